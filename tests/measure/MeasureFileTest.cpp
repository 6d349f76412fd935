#include <gtest/gtest.h>

#include "ByteStream.h"
#include "MeasureFile.h"
#include "MeasureTools.h"
#include "Messages.h"
#include "document/DocTestSupport.h"

namespace {

std::vector<MeasureObject> SampleObjects() {
    std::vector<MeasureObject> list;
    list.push_back(*MakeObject(MeasureKind::Segment, {{1, 2}, {30, 40}}));
    list.push_back(*MakeObject(MeasureKind::Circle, {{5, 5}, {8, 9}}));
    MeasureObject curve = *MakeObject(MeasureKind::Curve, {{1, 1}, {9, 9}});
    curve.control1 = {{2, 1}, {8, 7}};
    curve.control2 = {{3, 3}, {10, 11}};
    curve.style = 3;
    list.push_back(curve);
    list.push_back(*MakeObject(MeasureKind::Text, {{4, 4}}, "  두 칸 띄운 글자 "));
    list.push_back(*MakeObject(MeasureKind::Text, {{6, 6}}, ""));
    list.push_back(*MakeObject(MeasureKind::Polygon, {{0, 0}, {10, 0}, {10, 10}, {0, 10}}));
    return list;
}

std::string Bytes(MemoryStream& s) { return std::string(reinterpret_cast<const char*>(s.Data()), s.Size()); }

}  // namespace

TEST(MeasureFile, ObjectsAreWrittenExactlyAndReadBackByLength) {
    doctest::Bench bench(true);
    auto doc = bench.Open(12, 7, doctest::Gradient);
    MeasureSheet sheet;
    sheet.Reset(SampleObjects());
    MemoryStream out;
    ASSERT_TRUE(WriteMeasurements(*doc, sheet, out).ok);
    const std::string bytes = Bytes(out);
    const size_t objects = bytes.find("\n NumOf_MicObjs 6");
    ASSERT_NE(objects, std::string::npos);
    const auto pad = [](int n) { return "\n" + std::string(size_t(n), ' '); };
    EXPECT_EQ(bytes.substr(objects), "\n NumOf_MicObjs 6" + pad(13) + "선분 2 0 0 1 2 30 40" + pad(14) +
                                         "원 2 0 0 5 5 8 9" + pad(13) + "곡선 2 3 0 1 1 2 1 3 3 9 9 8 7 10 11" +
                                         pad(13) + "글자 1 0 12 4 4\n  두 칸 띄운 글자 " + pad(13) +
                                         "글자 1 0 0 6 6\n" + pad(12) + "다각형 4 0 0 0 0 10 0 10 10 0 10");
    EXPECT_EQ(bytes.substr(0, 5), "\n 0 0");

    Calibration c;
    c.xPixels = c.yPixels = 10;
    COrinDoc back(bench.workspace);
    MeasureSheet read;
    MemoryStream in(out.Data(), out.Size());
    ASSERT_TRUE(ReadMeasurements(back, read, in, c).ok);
    ASSERT_EQ(read.Count(), 6u);
    for (size_t i = 0; i < 6; ++i) {
        EXPECT_EQ(read.Objects()[i].kind, sheet.Objects()[i].kind);
        EXPECT_EQ(read.Objects()[i].points, sheet.Objects()[i].points);
        EXPECT_EQ(read.Objects()[i].text, sheet.Objects()[i].text) << i;
        EXPECT_EQ(read.Objects()[i].style, sheet.Objects()[i].style);
    }
    EXPECT_EQ(read.Objects()[2].control2, sheet.Objects()[2].control2);
    // Values are computed on opening with the calibration given.
    EXPECT_NEAR(read.Objects()[0].values[kValueLength], 4.7802, 1e-3);
    EXPECT_EQ(read.Objects()[5].values[kValueArea], 70.0f);  // clipped to the 12 x 7 picture
    // The layers came back.
    ASSERT_FALSE(back.IsEmpty());
    EXPECT_EQ(back.canvas.width, 12);
    EXPECT_EQ(back.layers[back.layers.bottom].pixels, doc->layers[doc->layers.bottom].pixels);
}

TEST(MeasureFile, EmptyListWritesTheCountOnly) {
    doctest::Bench bench(true);
    auto doc = bench.Open(3, 3, doctest::Gradient);
    MeasureSheet sheet;
    MemoryStream out;
    ASSERT_TRUE(WriteMeasurements(*doc, sheet, out).ok);
    const std::string bytes = Bytes(out);
    const std::string tail = "\n NumOf_MicObjs 0";
    EXPECT_EQ(bytes.substr(bytes.size() - tail.size()), tail);
}

TEST(MeasureFile, DamagedFilesLeaveTheDocumentEmpty) {
    doctest::Bench bench(true);
    auto doc = bench.Open(5, 4, doctest::Gradient);
    MeasureSheet sheet;
    sheet.Reset(SampleObjects());
    MemoryStream out;
    ASSERT_TRUE(WriteMeasurements(*doc, sheet, out).ok);
    const std::string good = Bytes(out);
    const size_t at = good.find("\n NumOf_MicObjs");
    const std::string layers = good.substr(0, at);
    const std::string damaged[] = {
        layers + "\n NumOf_MicObjs 2000000000",
        layers + "\n NumOf_MicObjs 1\n     segment 2 0 0 1 1 2 2",
        layers + "\n NumOf_MicObjs 1\n             선분 900000000 0 0 1 1",
        layers + "\n NumOf_MicObjs 1\n             글자 1 0 50 4 4\nshort",
        layers + "\n NumOf_MicObjs 1\n             선분 2 0 0 1 1 2",
        layers + "\n Objects 0",
        good.substr(0, at / 2),
        std::string("\n 0 0"),
    };
    for (const std::string& bytes : damaged) {
        COrinDoc back(bench.workspace);
        MeasureSheet read;
        read.Reset(SampleObjects());
        MemoryStream in(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
        const Status s = ReadMeasurements(back, read, in, Calibration{});
        EXPECT_FALSE(s.ok) << bytes.substr(at < bytes.size() ? at : 0);
        EXPECT_EQ(s.message, msg::kCannotOpen);
        EXPECT_TRUE(back.IsEmpty());
        EXPECT_EQ(read.Count(), 6u);  // the sheet as it was
    }
}

TEST(MeasureFile, SaveReplacesOnlyAfterACompleteWrite) {
    doctest::Bench bench(true);
    auto doc = bench.Open(4, 4, doctest::Gradient);
    MeasureSheet sheet;
    sheet.Reset(SampleObjects());
    const std::string path = bench.folder.File("a.sco");
    ASSERT_TRUE(SaveMeasurements(*doc, sheet, path).ok);
    COrinDoc back(bench.workspace);
    MeasureSheet read;
    ASSERT_TRUE(OpenMeasurements(back, read, path, Calibration{}).ok);
    EXPECT_EQ(read.Count(), 6u);
    EXPECT_EQ(back.fileName, "a.sco");
    const Status failed = SaveMeasurements(*doc, sheet, bench.folder.File("missing/b.sco"));
    EXPECT_FALSE(failed.ok);
    EXPECT_EQ(failed.message, msg::kSaveFailed);

    // Saving and opening by extension: the measurement file carries the objects, a
    // picture does not.
    ASSERT_TRUE(SaveWithMeasurements(*doc, sheet, bench.folder.File("c.sco")).ok);
    EXPECT_EQ(doc->fileName, "c.sco");
    ASSERT_TRUE(SaveWithMeasurements(*doc, sheet, bench.folder.File("c.bmp")).ok);
    COrinDoc picture(bench.workspace), measured(bench.workspace);
    MeasureSheet none, some;
    ASSERT_TRUE(OpenWithMeasurements(picture, none, bench.folder.File("c.bmp"), Calibration{}).ok);
    ASSERT_TRUE(OpenWithMeasurements(measured, some, bench.folder.File("c.sco"), Calibration{}).ok);
    EXPECT_EQ(none.Count(), 0u);
    EXPECT_EQ(some.Count(), 6u);
}
