#include "ClipboardBridge.h"

#include <QBuffer>
#include <QMimeData>
#include <QPainter>
#include <cstring>

#include "Endian.h"
#include "ImageBuffer.h"

namespace {

constexpr size_t kFileHeaderBytes = 14;
constexpr const char* kBmpMime = "image/bmp";
constexpr const char* kPngMime = "image/png";

}  // namespace

QByteArray BmpFileFromDib(const std::vector<uint8_t>& dib) {
    if (dib.size() < DibHeader::kSize) return {};
    const DibHeader h = DibHeader::ReadFrom(dib.data());
    uint64_t colours = h.biClrUsed;
    if (colours == 0 && h.biBitCount <= 8) colours = uint64_t(1) << h.biBitCount;
    uint64_t offset = kFileHeaderBytes + h.biSize + 4 * colours;
    if (h.biCompression == 3 && h.biSize == DibHeader::kSize) offset += 12;  // three colour masks
    const uint64_t total = kFileHeaderBytes + dib.size();
    if (offset > total || total > 0xFFFFFFFFu) return {};
    QByteArray file(int(kFileHeaderBytes), '\0');
    uint8_t* p = reinterpret_cast<uint8_t*>(file.data());
    p[0] = 'B';
    p[1] = 'M';
    PutLE32(p + 2, uint32_t(total));
    PutLE32(p + 10, uint32_t(offset));
    file.append(reinterpret_cast<const char*>(dib.data()), qsizetype(dib.size()));
    return file;
}

std::vector<uint8_t> DibFromBmpFile(const QByteArray& file) {
    if (size_t(file.size()) < kFileHeaderBytes + DibHeader::kSize || file[0] != 'B' || file[1] != 'M') return {};
    const uint8_t* p = reinterpret_cast<const uint8_t*>(file.constData());
    return std::vector<uint8_t>(p + kFileHeaderBytes, p + file.size());
}

std::vector<uint8_t> DibFromImage(const QImage& image) {
    if (image.isNull() || image.width() <= 0 || image.height() <= 0) return {};
    QImage flat(image.size(), QImage::Format_RGB32);
    flat.fill(Qt::white);
    {
        QPainter painter(&flat);
        painter.drawImage(0, 0, image);
    }
    flat = flat.convertToFormat(QImage::Format_BGR888);
    const int w = flat.width(), h = flat.height();
    const int32_t stride = RowStride(w, 24);
    if (stride < 0 || uint64_t(stride) * uint64_t(h) + DibHeader::kSize > 0x7FFFFFFFu) return {};
    DibHeader header;
    header.biWidth = w;
    header.biHeight = h;
    header.biPlanes = 1;
    header.biBitCount = 24;
    header.biSizeImage = uint32_t(stride) * uint32_t(h);
    header.biXPelsPerMeter = flat.dotsPerMeterX();
    header.biYPelsPerMeter = flat.dotsPerMeterY();
    std::vector<uint8_t> dib(DibHeader::kSize + header.biSizeImage, 0);
    header.WriteTo(dib.data());
    for (int y = 0; y < h; ++y)  // bottom-up rows
        std::memcpy(dib.data() + DibHeader::kSize + size_t(h - 1 - y) * size_t(stride), flat.constScanLine(y), size_t(w) * 3);
    return dib;
}

QImage ImageFromDib(const std::vector<uint8_t>& dib) {
    CImageBuffer picture(kFormatBmp);
    if (dib.empty() || !picture.FromPackedDib(dib.data(), dib.size())) return {};
    std::vector<uint32_t> pixels;
    if (!picture.DrawExact(pixels)) return {};
    const QImage view(reinterpret_cast<const uchar*>(pixels.data()), picture.Width(), picture.Height(),
                      picture.Width() * 4, QImage::Format_RGB32);
    QImage image = view.copy();
    if (picture.Info().dpiX > 0) image.setDotsPerMeterX(int(picture.Info().dpiX / 0.0254 + 0.5));
    if (picture.Info().dpiY > 0) image.setDotsPerMeterY(int(picture.Info().dpiY / 0.0254 + 0.5));
    return image;
}

QMimeData* MimeDataFromDib(const std::vector<uint8_t>& dib) {
    auto* data = new QMimeData;
    const QByteArray bmp = BmpFileFromDib(dib);
    if (!bmp.isEmpty()) data->setData(kBmpMime, bmp);
    const QImage image = ImageFromDib(dib);
    if (!image.isNull()) {
        QByteArray png;
        QBuffer buffer(&png);
        buffer.open(QIODevice::WriteOnly);
        if (image.save(&buffer, "PNG")) data->setData(kPngMime, png);
    }
    return data;
}

std::vector<uint8_t> DibFromMimeData(const QMimeData* data) {
    if (!data) return {};
    for (const char* bmpType : {kBmpMime, "image/x-bmp", "image/x-MS-bmp"}) {
        if (!data->hasFormat(bmpType)) continue;
        std::vector<uint8_t> dib = DibFromBmpFile(data->data(bmpType));
        CImageBuffer check(kFormatBmp);
        if (!dib.empty() && check.FromPackedDib(dib.data(), dib.size())) return dib;
    }
    if (data->hasImage()) {
        const QImage image = qvariant_cast<QImage>(data->imageData());
        if (!image.isNull()) return DibFromImage(image);
    }
    for (const QString& format : data->formats()) {
        if (!format.startsWith(QLatin1String("image/"))) continue;
        const QImage image = QImage::fromData(data->data(format));
        if (!image.isNull()) return DibFromImage(image);
    }
    return {};
}
