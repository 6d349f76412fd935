// The system clipboard: a DIB goes out as "image/bmp" (file header + DIB) and
// "image/png", comes back byte for byte, and pictures of other programs come in as
// 24-bit DIBs; copy and paste through the core round-trip a layer.
#include <QApplication>
#include <QBuffer>
#include <QClipboard>
#include <QMimeData>
#include <QWidget>
#include <gtest/gtest.h>

#include "AppTestSupport.h"
#include "ClipboardBridge.h"
#include "ClipboardOps.h"
#include "Endian.h"
#include "History.h"
#include "QtHost.h"

namespace {

using testing_support::TempDir;

// A 3 x 2 24-bit DIB: bottom row red, green, blue; top row white, black, grey.
std::vector<uint8_t> SmallDib() {
    CImageBuffer image(3, 2, 24, kFormatBmp);
    testing_support::FillTrueColour(image, [](int x, int y) -> uint32_t {
        static const uint32_t colours[2][3] = {{0xFF0000, 0x00FF00, 0x0000FF}, {0xFFFFFF, 0x000000, 0x808080}};
        return colours[y][x];
    });
    return image.ToPackedDib();
}

TEST(ClipboardBridgeTest, BmpFileHeaderPrecedesTheDib) {
    const std::vector<uint8_t> dib = SmallDib();
    ASSERT_EQ(dib.size(), 40u + 2 * 12);  // stride 12
    const QByteArray file = BmpFileFromDib(dib);
    ASSERT_EQ(size_t(file.size()), 14 + dib.size());
    const auto* p = reinterpret_cast<const uint8_t*>(file.constData());
    EXPECT_EQ(p[0], 'B');
    EXPECT_EQ(p[1], 'M');
    EXPECT_EQ(GetLE32(p + 2), 14u + 64u);
    EXPECT_EQ(GetLE32(p + 6), 0u);
    EXPECT_EQ(GetLE32(p + 10), 54u);
    EXPECT_EQ(DibFromBmpFile(file), dib);
}

TEST(ClipboardBridgeTest, PaletteDibsPutThePixelsAfterThePalette) {
    CImageBuffer image(4, 1, 8, kFormatBmp);
    const std::vector<uint8_t> dib = image.ToPackedDib();
    const QByteArray file = BmpFileFromDib(dib);
    const auto* p = reinterpret_cast<const uint8_t*>(file.constData());
    EXPECT_EQ(GetLE32(p + 10), 14u + 40u + 4u * uint32_t(image.PaletteCount()));
}

TEST(ClipboardBridgeTest, ShortOrForeignDataIsRefused) {
    EXPECT_TRUE(BmpFileFromDib({1, 2, 3}).isEmpty());
    EXPECT_TRUE(DibFromBmpFile(QByteArray("XX0123456789012345678901234567890123456789012345678901234")).empty());
    EXPECT_TRUE(DibFromBmpFile(QByteArray("BM")).empty());
    EXPECT_TRUE(ImageFromDib({}).isNull());
}

TEST(ClipboardBridgeTest, PicturesBecomeBottomUpTwentyFourBitDibs) {
    QImage image(3, 2, QImage::Format_ARGB32);
    image.setPixel(0, 0, qRgb(255, 255, 255));
    image.setPixel(1, 0, qRgb(0, 0, 0));
    image.setPixel(2, 0, qRgba(0, 0, 0, 0));  // transparent: laid over white
    image.setPixel(0, 1, qRgb(255, 0, 0));
    image.setPixel(1, 1, qRgb(0, 255, 0));
    image.setPixel(2, 1, qRgb(0, 0, 255));
    const std::vector<uint8_t> dib = DibFromImage(image);
    ASSERT_EQ(dib.size(), 40u + 24u);
    const DibHeader h = DibHeader::ReadFrom(dib.data());
    EXPECT_EQ(h.biWidth, 3);
    EXPECT_EQ(h.biHeight, 2);
    EXPECT_EQ(h.biBitCount, 24);
    const uint8_t* bottom = dib.data() + 40;  // the picture's lower row, blue first
    EXPECT_EQ(std::vector<uint8_t>(bottom, bottom + 9), (std::vector<uint8_t>{0, 0, 255, 0, 255, 0, 255, 0, 0}));
    const uint8_t* top = bottom + 12;
    EXPECT_EQ(std::vector<uint8_t>(top, top + 9), (std::vector<uint8_t>{255, 255, 255, 0, 0, 0, 255, 255, 255}));
}

TEST(ClipboardHostTest, ADibRoundTripsThroughTheSystemClipboard) {
    QWidget window;
    QtDocumentHost host(&window);
    const std::vector<uint8_t> dib = SmallDib();
    host.SetClipboardDib(dib);
    const QMimeData* data = QApplication::clipboard()->mimeData();
    ASSERT_NE(data, nullptr);
    EXPECT_TRUE(data->hasFormat(QStringLiteral("image/bmp")));
    ASSERT_TRUE(data->hasFormat(QStringLiteral("image/png")));
    const QImage png = QImage::fromData(data->data(QStringLiteral("image/png")), "PNG");
    ASSERT_EQ(png.size(), QSize(3, 2));
    EXPECT_EQ(png.pixel(0, 1) & 0xFFFFFF, 0xFF0000u);  // bottom-left red
    EXPECT_EQ(png.pixel(2, 0) & 0xFFFFFF, 0x808080u);  // top-right grey
    EXPECT_EQ(host.ClipboardDib(), dib);
}

TEST(ClipboardHostTest, AnotherProgramsPictureIsTaken) {
    QWidget window;
    QtDocumentHost host(&window);
    QImage image(2, 1, QImage::Format_RGB32);
    image.setPixel(0, 0, qRgb(10, 20, 30));
    image.setPixel(1, 0, qRgb(40, 50, 60));
    QApplication::clipboard()->setImage(image);
    const std::vector<uint8_t> dib = host.ClipboardDib();
    ASSERT_EQ(dib.size(), 40u + 8u);
    EXPECT_EQ(std::vector<uint8_t>(dib.begin() + 40, dib.begin() + 46), (std::vector<uint8_t>{30, 20, 10, 60, 50, 40}));

    // Only a PNG on offer.
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    ASSERT_TRUE(image.save(&buffer, "PNG"));
    auto* data = new QMimeData;
    data->setData(QStringLiteral("image/png"), png);
    QApplication::clipboard()->setMimeData(data);
    EXPECT_EQ(host.ClipboardDib().size(), 48u);

    QApplication::clipboard()->setText(QStringLiteral("no picture"));
    EXPECT_TRUE(host.ClipboardDib().empty());
}

TEST(ClipboardHostTest, CopyAndPasteThroughTheCoreMakeAnEqualLayer) {
    TempDir steps;
    Workspace ws;
    ws.stepFolder = steps.Path().string();
    QWidget window;
    QtDocumentHost host(&window);
    ws.host = &host;
    auto doc = app_test::PlainDocument(ws, 5, 3, 0x204060);
    doc->layers[0].pixels[0] = 0x11;  // bottom-left blue byte
    ASSERT_TRUE(CopyToClipboard(*doc));
    EXPECT_TRUE(QApplication::clipboard()->mimeData()->hasFormat(QStringLiteral("image/bmp")));
    ASSERT_TRUE(PasteFromClipboard(*doc));
    ASSERT_EQ(doc->layers.Count(), 2);
    const LayerRecord& pasted = doc->layers[doc->layers.current];
    EXPECT_EQ(pasted.width, 5);
    EXPECT_EQ(pasted.height, 3);
    EXPECT_EQ(pasted.pixels, doc->layers[0].pixels);
    EXPECT_EQ(doc->history.entries[size_t(doc->history.position)].code, kStepPaste);
}

}  // namespace

#include "OpenPictureDialog.h"

namespace {

TEST(OpenDialogTest, FiltersFollowTheFormatTable) {
    const QStringList open = PictureFilters(false);
    ASSERT_EQ(open.size(), 12);
    EXPECT_EQ(open.front(), QStringLiteral("JPG (*.jpg *.jpeg)"));
    EXPECT_EQ(open[7], QString::fromUtf8("모든그림형식 (*.bmp *.gif *.jpg *.png *.tif *.pcx *.tsr *.psd)"));
    EXPECT_EQ(open.mid(8), (QStringList{"PNG (*.png)", "WEBP (*.webp)", "AVIF (*.avif)", "SCO (*.sco)"}));
    EXPECT_EQ(PictureFilterFor(kFormatMeasure, true), QStringLiteral("SCO (*.sco)"));
    EXPECT_EQ(PictureFilterFor(kFormatWebp, true), QStringLiteral("WEBP (*.webp)"));
    const QStringList save = PictureFilters(true);
    EXPECT_FALSE(save.contains(QStringLiteral("PCX (*.pcx)")));
    EXPECT_FALSE(save.contains(QStringLiteral("PSD (*.psd)")));
    EXPECT_EQ(FormatOfFilter(QStringLiteral("TIF (*.tif *.tiff)")), 3);
    EXPECT_EQ(PictureFilterFor(5, true), QStringLiteral("TSR (*.tsr)"));
    EXPECT_TRUE(PictureFilterFor(4, true).isEmpty());
}

TEST(OpenDialogTest, PreviewsShowPicturesIncludingPng) {
    testing_support::TempDir folder;
    const std::string bmp = app_test::WritePicture(folder, "wide.bmp", 40, 10, [](int x, int) -> uint32_t {
        return x < 20 ? 0xFF0000u : 0x0000FFu;
    });
    const QImage preview = PreviewPicture(QString::fromStdString(bmp), QSize(20, 20));
    ASSERT_EQ(preview.size(), QSize(20, 5));
    EXPECT_EQ(preview.pixel(2, 2) & 0xFFFFFF, 0xFF0000u);
    QImage png(6, 6, QImage::Format_RGB32);
    png.fill(qRgb(0, 200, 0));
    const QString pngPath = QString::fromStdString(folder.File("green.png"));
    ASSERT_TRUE(png.save(pngPath, "PNG"));
    const QImage pngPreview = PreviewPicture(pngPath, QSize(20, 20));
    ASSERT_FALSE(pngPreview.isNull());
    EXPECT_EQ(pngPreview.pixel(0, 0) & 0xFFFFFF, 0x00C800u);
    testing_support::WriteFileBytes(folder.File("junk.pcx"), {1, 2, 3});
    EXPECT_TRUE(PreviewPicture(QString::fromStdString(folder.File("junk.pcx")), QSize(20, 20)).isNull());
}

}  // namespace
