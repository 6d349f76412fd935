#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <sstream>

#include "Calibration.h"
#include "Messages.h"
#include "TestSupport.h"

namespace {

std::string ReadText(const std::string& path) {
    const std::vector<uint8_t> bytes = testing_support::ReadFileBytes(path);
    return std::string(bytes.begin(), bytes.end());
}

MeasureStandard Standard(const char* name, const char* unit, int x, int y, float length) {
    MeasureStandard s;
    s.name = name;
    s.unit = unit;
    s.xPixels = x;
    s.yPixels = y;
    s.length = length;
    return s;
}

}  // namespace

TEST(Calibration, CalibratedLengthFormula) {
    struct Case {
        int x1, y1, x2, y2, xPixels, yPixels;
        float length;
        double expected;
    } cases[] = {
        {0, 0, 30, 40, 10, 10, 1.0f, 5.0},
        {0, 0, 30, 40, 10, 20, 1.0f, std::sqrt(13.0)},
        {30, 40, 0, 0, 10, 10, 2.5f, 12.5},        // direction does not matter
        {0, 0, 0, 0, 10, 10, 1.0f, 0.0},
        {-1, 0, 30, 40, 10, 10, 1.0f, -1.0},       // a negative coordinate
        {0, 0, 30, -40, 10, 10, 1.0f, -1.0},
        {0, 0, 30, 40, 0, 10, 1.0f, -1.0},         // 0 pixels is no calibration
        {0, 0, 30, 40, 10, -3, 1.0f, -1.0},
        {0, 0, 2147483647, 0, 1, 1, 1.0f, 2147483647.0},
    };
    for (const Case& c : cases)
        EXPECT_NEAR(CalibratedLength(c.x1, c.y1, c.x2, c.y2, c.xPixels, c.yPixels, c.length), c.expected, 1e-9)
            << c.x1 << "," << c.y1 << " " << c.x2 << "," << c.y2;
}

TEST(Calibration, FileIsWrittenExactlyAndReadBack) {
    StandardsTable table;
    table.standards = {Standard("objective10", "um", 120, 118, 2.345f), Standard("스케일", "mm", 50, 50, 1.0f)};
    table.current = 1;
    testing_support::TempDir dir;
    ASSERT_TRUE(WriteCalibration(dir.Path().string(), table).ok);
    const std::string text = ReadText(dir.File(kCalibrationFile));
    EXPECT_EQ(text, "\r\n 2 1\r\n objective10 um 120 118 2.35\r\n 스케일 mm 50 50 1.00");

    StandardsTable back;
    ASSERT_TRUE(ReadCalibration(dir.Path().string(), back).ok);
    ASSERT_EQ(back.standards.size(), 2u);
    EXPECT_EQ(back.current, 1);
    EXPECT_EQ(back.standards[0].name, "objective10");
    EXPECT_EQ(back.standards[0].yPixels, 118);
    EXPECT_FLOAT_EQ(back.standards[0].length, 2.35f);
    EXPECT_EQ(back.standards[1].name, "스케일");

    Calibration current;
    ApplyStandard(back, current);
    EXPECT_EQ(current.name, "스케일");
    EXPECT_EQ(current.unit, "mm");
    EXPECT_EQ(current.xPixels, 50);

    // A missing file changes nothing; an empty table leaves the calibration alone.
    testing_support::TempDir empty;
    ASSERT_TRUE(ReadCalibration(empty.Path().string(), back).ok);
    EXPECT_EQ(back.standards.size(), 2u);
    Calibration initial;
    ApplyStandard(StandardsTable{}, initial);
    EXPECT_EQ(initial.unit, "pixel");
    EXPECT_EQ(initial.xPixels, 1);
}

TEST(Calibration, DeletingTheFirstOfTwoLeavesOneAtPositionZero) {
    StandardsTable table;
    table.standards = {Standard("a", "mm", 10, 10, 1.0f), Standard("b", "um", 20, 20, 1.0f)};
    table.current = 1;
    DeleteStandard(table, "a");
    EXPECT_EQ(FormatCalibration(table), "\r\n 1 0\r\n b um 20 20 1.00");
    EXPECT_EQ(table.current, 0);
}

TEST(Calibration, ReaderBoundsEveryStringCountAndIndex) {
    struct Case {
        std::string text;
        size_t count;
        int current;
        std::string firstName;
    } cases[] = {
        // current beyond the table, negative count and index
        {"\n 1 7\n a mm 10 10 1.00", 1, 0, "a"},
        {"\n -3 -1\n a mm 10 10 1.00", 0, 0, ""},
        {"\n 2 -1\n a mm 10 10 1.00\n b mm 5 5 1.00", 2, 0, "a"},
        // a count beyond the entries present; an entry cut short
        {"\n 9 1\n a mm 10 10 1.00\n b mm 5 5 1.00\n c mm", 2, 1, "a"},
        // a non-numeric value stops the reading
        {"\n 3 0\n a mm 10 10 1.00\n b mm ten 5 1.00\n c mm 1 1 1", 1, 0, "a"},
        // standards that could never measure are dropped, the current one renumbered
        {"\n 3 2\n zero mm 0 10 1.00\n neg mm 5 5 -1\n c um 4 4 2.00", 1, 0, "c"},
        // a byte-order mark is allowed
        {"\xEF\xBB\xBF\r\n 1 0\r\n a mm 10 10 1.00", 1, 0, "a"},
        // a name longer than its field is cut to 49 characters
        {"\n 1 0\n " + std::string(80, 'n') + " " + std::string(20, 'u') + " 1 1 1", 1, 0, std::string(49, 'n')},
    };
    for (const Case& c : cases) {
        StandardsTable table;
        ASSERT_TRUE(ParseCalibration(c.text, table)) << c.text;
        EXPECT_EQ(table.standards.size(), c.count) << c.text;
        EXPECT_EQ(table.current, c.current) << c.text;
        if (c.count) {
            EXPECT_EQ(table.standards[0].name, c.firstName) << c.text;
            EXPECT_LE(table.standards[0].unit.size(), 9u);
        }
    }
    // More than 30 standards: the table holds 30.
    std::string many = "\n 40 35";
    for (int i = 0; i < 40; ++i) many += "\n s" + std::to_string(i) + " mm 1 1 1.00";
    StandardsTable table;
    ASSERT_TRUE(ParseCalibration(many, table));
    EXPECT_EQ(table.standards.size(), 30u);
    EXPECT_EQ(table.current, 0);
    // A first line that is not two numbers leaves the table as it was.
    EXPECT_FALSE(ParseCalibration("garbage", table));
    EXPECT_EQ(table.standards.size(), 30u);
}

TEST(Calibration, DialogFieldsAreCheckedAndStandardsKeptWithinThirty) {
    MeasureStandard s;
    ASSERT_TRUE(StandardFromFields("  New Unit ", "100", "98", "um", "1.0", s).ok);
    EXPECT_EQ(s.name, "New_Unit");  // one word, so that it reads back as one name
    EXPECT_EQ(s.xPixels, 100);
    ASSERT_TRUE(StandardFromFields("comma", "10", "10", "mm", "2,5", s).ok);
    EXPECT_FLOAT_EQ(s.length, 2.5f);

    struct Refusal {
        const char *name, *x, *y, *unit, *length, *message;
    } refusals[] = {
        {"a", "0", "10", "mm", "1", msg::kStandardPixels},   // "추가" offers 0: refused
        {"a", "10", "0", "mm", "1", msg::kStandardPixels},
        {"a", "ten", "10", "mm", "1", msg::kStandardPixels},
        {"a", "10", "10", "mm", "0", msg::kStandardLength},
        {"a", "10", "10", "mm", "x1", msg::kStandardLength},
        {"   ", "10", "10", "mm", "1", msg::kStandardName},
        {"a", "10", "10", "centimetres", "1", msg::kStandardTooLong},
    };
    for (const Refusal& r : refusals) {
        const Status st = StandardFromFields(r.name, r.x, r.y, r.unit, r.length, s);
        EXPECT_FALSE(st.ok) << r.name << r.x << r.y << r.length;
        EXPECT_EQ(st.message, r.message);
    }

    StandardsTable table;
    for (int i = 0; i < kMaxStandards; ++i) {
        std::string name(1, 's');
        name += std::to_string(i);
        ASSERT_TRUE(SaveStandard(table, Standard(name.c_str(), "mm", 1, 1, 1)).ok);
    }
    EXPECT_EQ(table.current, kMaxStandards - 1);
    const Status full = SaveStandard(table, Standard("s30", "mm", 1, 1, 1));
    EXPECT_FALSE(full.ok);
    EXPECT_EQ(full.message, msg::kStandardsFull);
    EXPECT_EQ(table.standards.size(), size_t(kMaxStandards));
    // An existing name is still replaced in a full table, without changing the current one.
    table.current = 3;
    ASSERT_TRUE(SaveStandard(table, Standard("s7", "um", 9, 8, 2)).ok);
    EXPECT_EQ(table.standards[7].unit, "um");
    EXPECT_EQ(table.standards[7].xPixels, 9);
    EXPECT_EQ(table.current, 3);
}

TEST(Calibration, FailedWriteIsReported) {
    StandardsTable table;
    table.standards = {Standard("a", "mm", 1, 1, 1)};
    const Status s = WriteCalibration("/nonexistent-folder/inner", table);
    EXPECT_FALSE(s.ok);
    EXPECT_EQ(s.message, msg::kSaveFailed);
}
