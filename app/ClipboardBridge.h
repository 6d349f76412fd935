// The clipboard's picture formats and the core's device-independent bitmaps: a BMP
// file is the 14-byte file header followed by the packed DIB; any other picture that
// another program offers enters as a 24-bit packed DIB (rows bottom-up).
#pragma once

#include <QByteArray>
#include <QImage>
#include <cstdint>
#include <vector>

class QMimeData;

// "BM" header + the DIB; empty for a DIB too short to hold its header.
QByteArray BmpFileFromDib(const std::vector<uint8_t>& dib);
// The DIB inside a BMP file; empty when the data is not a BMP file.
std::vector<uint8_t> DibFromBmpFile(const QByteArray& file);
// A 24-bit packed DIB of the picture, transparent areas laid over white.
std::vector<uint8_t> DibFromImage(const QImage& image);
// The DIB as a picture; a null image when the DIB cannot be read.
QImage ImageFromDib(const std::vector<uint8_t>& dib);

// What goes on the clipboard for a copied DIB: "image/bmp" and "image/png".
QMimeData* MimeDataFromDib(const std::vector<uint8_t>& dib);
// The DIB of whatever picture the clipboard data holds: "image/bmp" first, then any
// picture Qt can read; empty when there is none.
std::vector<uint8_t> DibFromMimeData(const QMimeData* data);
