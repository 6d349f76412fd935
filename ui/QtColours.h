// Colours of the core (32-bit values, red in the low byte, then green, then blue) as
// Qt colours and back.
#pragma once

#include <QColor>
#include <cstdint>

inline QColor ToQColor(uint32_t c) { return QColor(int(c & 0xFF), int((c >> 8) & 0xFF), int((c >> 16) & 0xFF)); }

inline uint32_t FromQColor(const QColor& c) {
    return uint32_t(c.red()) | (uint32_t(c.green()) << 8) | (uint32_t(c.blue()) << 16);
}
