#include <gtest/gtest.h>

#include <cmath>

#include "ByteStream.h"
#include "CalibrationScale.h"
#include "Codecs.h"
#include "MeasureFile.h"
#include "MeasureTools.h"
#include "OpenSave.h"
#include "document/DocTestSupport.h"

namespace {

Calibration Standard(const char* unit, int x, int y, float length) {
    Calibration c;
    c.unit = unit;
    c.xPixels = x;
    c.yPixels = y;
    c.length = length;
    return c;
}

}  // namespace

TEST(CalibrationScale, LengthUnitsGivePixelsPerMetreOthersNothing) {
    const struct {
        Calibration c;
        double x, y;  // 0: the unit does not convert
    } cases[] = {
        {Standard("um", 1, 1, 25.4f), 39370.0787, 39370.0787},  // 25.4 um a pixel is 1000 DPI
        {Standard("mm", 100, 50, 1.0f), 1e5, 5e4},
        {Standard("ums", 2, 2, 1.0f), 2e6, 2e6},
        {Standard("Meter", 3780, 3780, 1.0f), 3780, 3780},
        {Standard("yards", 9144, 9144, 1.0f), 10000, 10000},
        {Standard("cm", 118, 118, 1.0f), 11800, 11800},
        {Standard("pixel", 10, 10, 1.0f), 0, 0},
        {Standard("minch", 10, 10, 1.0f), 0, 0},  // milli- or micro-inch: not guessed
        {Standard("um", 0, 10, 1.0f), 0, 0},
    };
    for (const auto& t : cases) {
        const auto r = CalibrationResolution(t.c);
        if (t.x == 0) {
            EXPECT_FALSE(r) << t.c.unit;
            continue;
        }
        ASSERT_TRUE(r) << t.c.unit;
        EXPECT_NEAR(r->x, t.x, t.x * 1e-6) << t.c.unit;
        EXPECT_NEAR(r->y, t.y, t.y * 1e-6) << t.c.unit;
    }
}

TEST(CalibrationScale, ResolutionBecomesARoundStandard) {
    const struct {
        double x, y;
        const char* unit;  // nullptr: no standard
        float length;
        int xPixels, yPixels;
    } cases[] = {
        {39370.0787, 39370.0787, "meter", 1, 39370, 39370},  // 1000 DPI
        {2e6, 2e6, "mm", 10, 20000, 20000},                  // 0.5 um a pixel
        {1e5, 5e4, "mm", 100, 10000, 5000},                  // the larger axis picks the length
        {1e10, 1e10, "um", 1, 10000, 10000},
        {1e12, 1e12, "um", 1, 1000000, 1000000},  // finer than 10000 a micrometre: the smallest length
        {50, 50, "meter", 100, 5000, 5000},       // coarser than 10000 in 100 m: the largest length
        {1e16, 1e16, nullptr, 0, 0, 0},           // beyond a 32-bit count
        {0, 100, nullptr, 0, 0, 0},
    };
    for (const auto& t : cases) {
        const auto s = StandardFromResolution("cells 1.tif", {t.x, t.y});
        if (!t.unit) {
            EXPECT_FALSE(s) << t.x;
            continue;
        }
        ASSERT_TRUE(s) << t.x;
        EXPECT_EQ(s->name, "cells_1.tif");
        EXPECT_EQ(s->unit, t.unit) << t.x;
        EXPECT_EQ(s->length, t.length) << t.x;
        EXPECT_EQ(s->xPixels, t.xPixels) << t.x;
        EXPECT_EQ(s->yPixels, t.yPixels) << t.x;
    }
    // The name is cut to the standard's 49 characters.
    EXPECT_EQ(StandardFromResolution(std::string(60, 'a'), {1e5, 1e5})->name, std::string(49, 'a'));
}

TEST(CalibrationScale, PrintResolutionsAreNotMeasuredScales) {
    EXPECT_TRUE(IsPrintResolution({2835, 2835}));      // 72 DPI as PNG keeps it
    EXPECT_TRUE(IsPrintResolution({11811.02, 11811.02}));  // 300 DPI
    EXPECT_TRUE(IsPrintResolution({2800, 2800}));      // 28 dots a centimetre
    EXPECT_FALSE(IsPrintResolution({39370.08, 39370.08}));  // 1000 DPI
    EXPECT_FALSE(IsPrintResolution({2835, 5669}));
    EXPECT_FALSE(IsPrintResolution({2e6, 2e6}));
    EXPECT_TRUE(IsPrintResolution({3150, 3150}));      // 80 DPI as PNG keeps it
    EXPECT_FALSE(IsPrintResolution({3210, 3210}));     // 81.5 DPI, 32.1 a centimetre
}

// A calibrated picture written in each format and read back gives its scale again, as
// exactly as the format's field allows.
TEST(CalibrationScale, ScaleSurvivesEveryFormatsResolutionField) {
    const struct {
        int code;
        double ppm;       // written
        double expected;  // read back
        double tolerance;
        int dpi;
    } cases[] = {
        {kFormatTiff, 1e6 / 25.4, 1e6 / 25.4, 0.01, 1000},  // a fraction: float digits
        {kFormatTiff, 1e6 / 0.37, 1e6 / 0.37, 0.5, 68649},
        {kFormatPng, 1e6 / 25.4, 39370, 0, 1000},            // whole pixels per metre
        {kFormatPng, 1e6 / 0.37, 2702703, 0, 68649},
        {kFormatBmp, 1e6 / 25.4, 39370, 0, 1000},
        {kFormatJpeg, 1e6 / 25.4, 1000 / 0.0254, 1e-6, 1000},  // 1000 dots an inch, exact
        {kFormatJpeg, 1e6 / 3.0, 8467 / 0.0254, 1e-6, 8467},   // 8466.67 DPI: inches are closer
        {kFormatJpeg, 2e4, 2e4, 1e-6, 508},                    // 508 DPI exactly: inches on the tie
        {kFormatJpeg, 1234500, 1234500, 1e-6, 31356},          // 12345 dots a centimetre, exact
        {kFormatJpeg, 1e6 / 0.37, 27027 * 100.0, 1e-6, 68649},  // beyond 16 bits in inches
    };
    for (const auto& t : cases) {
        CImageBuffer image(8, 6, 24, t.code);
        image.SetHorizontalResolution(t.ppm);
        image.SetVerticalResolution(t.ppm);
        MemoryStream out;
        ASSERT_TRUE(image.Encode(out, t.code)) << t.code << " " << image.LastError();
        MemoryStream in(out.Data(), size_t(out.Size()));
        CImageBuffer back(t.code);
        ASSERT_TRUE(back.Decode(in, t.code)) << t.code;
        const auto r = FileResolution(back);
        ASSERT_TRUE(r) << t.code;
        EXPECT_NEAR(r->x, t.expected, t.tolerance) << t.code << " " << t.ppm;
        EXPECT_NEAR(r->y, t.expected, t.tolerance) << t.code << " " << t.ppm;
        EXPECT_EQ(back.Info().dpiX, t.dpi) << t.code << " " << t.ppm;
    }
}

TEST(CalibrationScale, ExactResolutionLastsWhileTheDpiAgrees) {
    CImageBuffer image(4, 4, 24, kFormatBmp);
    image.SetHorizontalResolution(1e6 / 25.4);
    EXPECT_EQ(image.Info().dpiX, 1000);
    EXPECT_EQ(image.Header().biXPelsPerMeter, 39370);
    image.SetHorizontalDpi(1000);  // the same DPI again (a copy of the record) keeps it
    EXPECT_NEAR(image.PixelsPerMetreX(), 39370.0787, 1e-3);
    image.SetHorizontalDpi(300);  // another DPI (the preferences) drops it
    EXPECT_EQ(image.Info().pixelsPerMetreX, 0);
    EXPECT_EQ(image.Header().biXPelsPerMeter, 11811);
    image.SetVerticalResolution(2500);  // 63.5 DPI rounds up
    EXPECT_EQ(image.Info().dpiY, 64);
}

// Saving a measured picture stamps the current calibration; opening it offers the scale.
TEST(CalibrationScale, MeasuredPictureCarriesTheCalibrationThroughAFile) {
    doctest::Bench bench;
    testing_support::TempDir dir;
    auto doc = bench.Open(12, 7, doctest::Gradient);
    MeasureSheet sheet;
    const Calibration c = Standard("um", 1, 1, 25.4f);
    const std::string plain = dir.File("plain.png"), measured = dir.File("measured.png");
    ASSERT_TRUE(SaveWithMeasurements(*doc, sheet, plain, &c).ok);  // nothing measured yet
    sheet.Reset({*MakeObject(MeasureKind::Segment, {{1, 2}, {10, 2}})});
    ASSERT_TRUE(SaveWithMeasurements(*doc, sheet, measured, &c).ok);

    COrinDoc first(bench.workspace), second(bench.workspace);
    ASSERT_TRUE(OpenDocument(first, plain).ok);
    ASSERT_TRUE(OpenDocument(second, measured).ok);
    const auto p = FileResolution(*first.mainImage);
    ASSERT_TRUE(p);
    EXPECT_TRUE(IsPrintResolution(*p));
    const auto r = FileResolution(*second.mainImage);
    ASSERT_TRUE(r);
    EXPECT_FALSE(IsPrintResolution(*r));
    const auto s = StandardFromResolution(second.fileName, *r);
    ASSERT_TRUE(s);
    EXPECT_EQ(s->name, "measured.png");
    EXPECT_EQ(s->unit, "meter");
    EXPECT_EQ(s->xPixels, 39370);
    // 39370 pixels in a metre: 1000 pixels measure 25.4 mm within the field's rounding.
    Calibration back;
    ApplyStandard(StandardsTable{{*s}, 0}, back);
    EXPECT_NEAR(CalibratedLength(0, 0, 1000, 0, back) * 1000.0, 25.4, 1e-3);
}
