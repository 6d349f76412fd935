#include "ScaleBar.h"

#include <zlib.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "CalibrationScale.h"
#include "EditSteps.h"
#include "Endian.h"
#include "History.h"
#include "LayerModel.h"
#include "LayerOps.h"
#include "Messages.h"
#include "PaintPrimitives.h"
#include "TextRenderer.h"
#include "Utf16.h"

namespace {

// 'S' 'B' 'A' 'R' read as a little-endian int32.
constexpr int32_t kMarker = int32_t(uint32_t('S') | uint32_t('B') << 8 | uint32_t('A') << 16 | uint32_t('R') << 24);
// Places inside the 48-byte style block.
constexpr size_t kFaceAt = 0, kFaceBytes = 28, kUnitAt = 28, kUnitBytes = 16, kCrcAt = 44;
// No picture needs a bar longer than this; a hostile length stops here.
constexpr float kMaxLength = 1e9f;

uint32_t SwapRedBlue(uint32_t colour) {
    return ((colour & 0xFF) << 16) | (colour & 0xFF00) | ((colour >> 16) & 0xFF);
}

std::string Lower(std::string text) {
    for (char& c : text) c = char(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

bool SameUnit(const std::string& a, const std::string& b) { return Lower(a) == Lower(b); }

// A NUL-terminated field of printable text (UTF-8 bytes pass); nothing when the field
// has no terminator or holds control characters.
std::optional<std::string> GetField(const uint8_t* in, size_t bytes) {
    const void* end = std::memchr(in, 0, bytes);
    if (!end) return std::nullopt;
    std::string text(reinterpret_cast<const char*>(in), size_t(static_cast<const uint8_t*>(end) - in));
    for (unsigned char c : text)
        if (c < 0x20 || c == 0x7F) return std::nullopt;
    return text;
}

void PutField(uint8_t* out, size_t bytes, const std::string& text) {
    std::memset(out, 0, bytes);
    std::memcpy(out, text.data(), std::min(text.size(), bytes - 1));
}

uint32_t LayerChecksum(const LayerRecord& r) {
    uLong crc = crc32(0L, Z_NULL, 0);
    // zlib takes at most 4 GB a call; layers stay below 2 GB.
    crc = crc32(crc, r.pixels.data(), uInt(r.pixels.size()));
    crc = crc32(crc, r.alpha.data(), uInt(r.alpha.size()));
    return uint32_t(crc);
}

// Whole UTF-8 characters of at most `bytes` bytes.
std::string CutUtf8(const std::string& text, size_t bytes) {
    if (text.size() <= bytes) return text;
    size_t n = bytes;
    while (n > 0 && (static_cast<unsigned char>(text[n]) & 0xC0) == 0x80) --n;
    return text.substr(0, n);
}

std::u16string BarLayerName(const ScaleBarSettings& s) {
    std::u16string label = ScaleBarLabel(s);
    return u"[축척]" + label.substr(0, 10);
}

void StoreSettings(LayerRecord& r, const ScaleBarSettings& s) {
    r.style.first = kMarker;
    float length = s.length;
    int32_t bits = 0;
    std::memcpy(&bits, &length, sizeof bits);
    r.style.second = bits;
    r.style.size = s.size;
    PutField(r.style.block.data() + kFaceAt, kFaceBytes, CutUtf8(s.face, kMaxBarFaceBytes));
    PutField(r.style.block.data() + kUnitAt, kUnitBytes, CutUtf8(s.unit, kMaxBarUnitBytes));
    r.style.tail = int16_t(s.corner);
    r.colour = SwapRedBlue(s.colour);
    PutLE32(r.style.block.data() + kCrcAt, LayerChecksum(r));
}

// A round number near `x` > 0: 1, 2 or 5 times a power of ten, nearest on a log scale.
double RoundLength(double x) {
    const double power = std::pow(10.0, std::floor(std::log10(x)));
    const double m = x / power;
    const double nice = m < std::sqrt(2.0) ? 1 : m < std::sqrt(10.0) ? 2 : m < std::sqrt(50.0) ? 5 : 10;
    return nice * power;
}

}  // namespace

bool HasCalibration(const Calibration& c) {
    return !SameUnit(c.unit, "pixel") && !c.unit.empty() && c.xPixels >= 1 && c.yPixels >= 1 &&
           std::isfinite(c.length) && c.length > 0;
}

std::vector<std::string> ScaleBarUnits(const Calibration& c) {
    std::vector<std::string> units{c.unit};
    const std::optional<double> own = MetresPerUnit(c.unit);
    if (!own) return units;
    for (const char* u : {"nm", "um", "mm", "cm", "m"})
        if (std::fabs(*MetresPerUnit(u) / *own - 1) > 1e-9) units.push_back(u);
    return units;
}

std::optional<ScaleBarSettings> DefaultScaleBar(int width, int height, const Calibration& c) {
    if (!HasCalibration(c) || width < 1 || height < 1) return std::nullopt;
    ScaleBarSettings s;
    s.unit = c.unit;
    double value = width / 5.0 * double(c.length) / c.xPixels;  // in the calibration's unit
    if (const std::optional<double> own = MetresPerUnit(c.unit)) {
        // The metric unit that keeps the round length between 1 and 999.
        const double metres = RoundLength(value * *own);
        for (const char* u : {"nm", "um", "mm", "m"}) {
            const double in = metres / *MetresPerUnit(u);
            if (in >= 1 - 1e-9 && in < 1000) {
                s.unit = std::fabs(*MetresPerUnit(u) / *own - 1) <= 1e-9 ? c.unit : u;
                value = in;
                break;
            }
        }
    }
    s.length = float(RoundLength(value));
    s.size = std::clamp(std::min(width, height) / 16, 16, 300);
    return s;
}

Status ScaleBarPixels(const ScaleBarSettings& s, const Calibration& c, int& pixels) {
    if (!HasCalibration(c)) return Status::Fail(msg::kNoCalibration);
    if (!std::isfinite(s.length) || !(s.length > 0) || s.length > kMaxLength) return Status::Fail(msg::kStandardLength);
    double factor = 1;
    if (!SameUnit(s.unit, c.unit)) {
        const std::optional<double> from = MetresPerUnit(s.unit), to = MetresPerUnit(c.unit);
        if (!from || !to) {
            char text[192];
            std::snprintf(text, sizeof text, msg::kBarUnit, s.unit.c_str(), c.unit.c_str());
            return Status::Fail(text);
        }
        factor = *from / *to;
    }
    const double across = double(s.length) * factor * c.xPixels / double(c.length);
    if (!(across < 1e9)) return Status::Fail(msg::kBarTooLarge);
    pixels = int(std::lround(across));
    if (pixels < 1) return Status::Fail(msg::kBarTooShort);
    return Status::Ok();
}

std::u16string ScaleBarLabel(const ScaleBarSettings& s) {
    char number[32];
    std::snprintf(number, sizeof number, "%.6g", double(s.length));
    // The unit as the standard spells it: the Korean faces have no micro sign.
    return Utf8ToUtf16(std::string(number) + " " + s.unit);
}

std::optional<ScaleBarSettings> ReadScaleBar(const LayerRecord& r) {
    if (r.kind != kLayerRaster || r.style.first != kMarker) return std::nullopt;
    ScaleBarSettings s;
    std::memcpy(&s.length, &r.style.second, sizeof s.length);
    s.size = r.style.size;
    s.corner = r.style.tail;
    const std::optional<std::string> face = GetField(r.style.block.data() + kFaceAt, kFaceBytes);
    const std::optional<std::string> unit = GetField(r.style.block.data() + kUnitAt, kUnitBytes);
    if (!face || !unit || unit->empty() || !std::isfinite(s.length) || !(s.length > 0) || s.length > kMaxLength ||
        s.size < 1 || s.size > kMaxBarTextSize || s.corner < 0 || s.corner > 3)
        return std::nullopt;
    // The pixels must still be the ones the bar drew.
    if (r.pixels.size() != size_t(std::max(0, r.pixelSize)) || r.alpha.size() != size_t(std::max(0, r.planeSize)) ||
        r.pixels.empty() || GetLE32(r.style.block.data() + kCrcAt) != LayerChecksum(r))
        return std::nullopt;
    s.face = *face;
    s.unit = *unit;
    s.colour = SwapRedBlue(r.colour);
    return s;
}

Status PlaceScaleBar(COrinDoc& doc, const ScaleBarSettings& in, const Calibration& calibration, bool edit) {
    LayerRecord* current = doc.CurrentLayer();
    if (!current) return Status::Ok();
    edit = edit && ReadScaleBar(*current).has_value();
    ScaleBarSettings s = in;
    s.face = CutUtf8(s.face, kMaxBarFaceBytes);
    // A bar in a standard's unit too long for the record keeps it cut: drawn again, it
    // takes the whole unit back from the standard.
    if (s.unit == CutUtf8(calibration.unit, kMaxBarUnitBytes)) s.unit = calibration.unit;
    s.corner = std::clamp(s.corner, 0, 3);
    int length = 0;
    if (Status p = ScaleBarPixels(s, calibration, length); !p) return p;
    if (s.size < 1 || s.size > kMaxBarTextSize) {
        char text[96];
        std::snprintf(text, sizeof text, msg::kIntegerRange, 1, kMaxBarTextSize);
        return Status::Fail(text);
    }
    TextFont font;
    font.face = s.face;
    font.size = s.size;
    RenderedText label;
    if (Status r = RenderText(ScaleBarLabel(s), font, label); !r) return r;

    // The block: the label's line, a gap, the bar; a margin from the canvas edges.
    const int width = doc.canvas.width, height = doc.canvas.height;
    const int margin = std::max(4, std::min(width, height) / 40);
    const int thickness = std::max(2, (s.size + 2) / 4), gap = std::max(2, s.size / 8);
    const int blockHeight = label.drawing.height + gap + thickness;
    if (length + 2 * margin > width || blockHeight + 2 * margin > height) return Status::Fail(msg::kBarTooLarge);
    const bool right = s.corner == kBarBottomRight || s.corner == kBarTopRight;
    const bool bottom = s.corner == kBarBottomRight || s.corner == kBarBottomLeft;
    const int barLeft = right ? width - margin - length : margin;
    const int top = bottom ? height - margin - blockHeight : margin;  // rows top-down
    const int barTop = top + label.drawing.height + gap;
    const int labelLeft = std::clamp(barLeft + (length - label.drawing.width) / 2, 0, std::max(0, width - label.drawing.width));

    int slot = doc.layers.current;
    const bool autoNamed = edit && current->name == BarLayerName(*ReadScaleBar(*current));
    if (edit) {
        LayerSlotParams lp;
        lp.format = doc.canvas.format;
        lp.bpp = doc.canvas.bpp;
        lp.paletteCount = doc.canvas.paletteCount;
        lp.slot = slot;
        lp.width = width;
        lp.height = height;
        lp.canvasWidth = width;
        lp.canvasHeight = height;
        lp.kind = kLayerRaster;
        lp.pictureFlag = current->pictureFlag;
        if (!CreateLayerInSlot(doc, lp)) return Status::Fail(std::string("ScaleBar") + "::Memory Alloc");
    } else {
        NewLayerPlace place{width, height, 0, 0, kLayerRaster};
        if (Status r = InsertLayerAbove(doc, place, slot); !r) return r;
        doc.layers[slot].name = BarLayerName(s);
    }
    if (autoNamed) RenameForStep(doc, slot, BarLayerName(s));
    LayerRecord& r = doc.layers[slot];
    // Layer rows are bottom-up; the layer is the canvas's size at offset 0.
    for (int y = barTop; y < barTop + thickness; ++y) {
        const int row = r.height - 1 - y;
        for (int x = barLeft; x < barLeft + length; ++x) {
            WriteLayerColour(doc, r, x, row, s.colour);
            r.alpha[size_t(row) * size_t(r.width) + size_t(x)] = 255;
        }
    }
    PutText(doc, r, label, s.colour, labelLeft, top);
    StoreSettings(r, s);
    MarkLayerChanged(doc);
    RecordStep(doc, label::kScaleBar, edit ? kStepPixels : kStepAdd, slot);
    return Status::Ok();
}
