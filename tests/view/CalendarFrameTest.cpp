// The calendar (weekdays, preview text, the drawn layer) and the photo frame (ring
// formulas, the frame layer, the dialog's apply / OK / Cancel).
#include <gtest/gtest.h>

#include "Calendar.h"
#include "LayerOps.h"
#include "PaintPrimitives.h"
#include "PhotoFrame.h"
#include "Utf16.h"
#include "ViewTestSupport.h"

using view_testing::TestDoc;

namespace {

// The weekday walk from 1995 (1 January 1995 is a Sunday), year by year, as the
// calendar was first defined: the oracle for the years near it.
int WalkedWeekday(int year) {
    int w;
    if (year >= 1995) {
        w = -1;
        for (int y = 1995; y <= year; ++y) w += 1 + (y >= 1996 && IsLeapYear(y - 1) ? 1 : 0);
    } else {
        w = 0;
        for (int y = 1994; y >= year; --y) {
            w -= 1 + (IsLeapYear(y) ? 1 : 0);
            if (w < 0) w += 7;
        }
    }
    return w % 7;
}

TEST(CalendarTest, MonthLengthsAndWeekdays) {
    EXPECT_EQ(MonthLength(2000, 2), 29);
    EXPECT_EQ(MonthLength(1900, 2), 28);
    EXPECT_EQ(MonthLength(2024, 2), 29);
    EXPECT_EQ(MonthLength(2023, 2), 28);
    EXPECT_EQ(MonthLength(2023, 4), 30);
    EXPECT_EQ(MonthLength(2023, 12), 31);
    EXPECT_EQ(FirstWeekday(1995, 1), 0);
    EXPECT_EQ(FirstWeekday(1996, 1), 1);
    EXPECT_EQ(FirstWeekday(1994, 1), 6);
    EXPECT_EQ(FirstWeekday(1, 1), 1);       // a Monday
    EXPECT_EQ(FirstWeekday(2000, 1), 6);
    EXPECT_EQ(FirstWeekday(1582, 10), 5);   // 1 October 1582 (proleptic): a Friday
    EXPECT_EQ(FirstWeekday(9999, 12), 3);   // 1 December 9999: a Wednesday
    for (int year = 1700; year <= 2300; ++year) ASSERT_EQ(FirstWeekday(year, 1), WalkedWeekday(year)) << year;
    // Every month of the years 1 to 9999 against a running count of days from Monday
    // 1 January of the year 1.
    long long days = 0;
    for (int year = 1; year <= kMaxCalendarYear; ++year)
        for (int month = 1; month <= 12; ++month) {
            ASSERT_EQ(FirstWeekday(year, month), int((1 + days) % 7)) << year << "-" << month;
            days += MonthLength(year, month);
        }
}

TEST(CalendarTest, PreviewText) {
    // January 2022 starts on a Saturday: six empty cells, a new row after day 1.
    ASSERT_EQ(FirstWeekday(2022, 1), 6);
    const std::u16string expected =
        u"\r\n        2022년  1월 \r\n\r\n    일 월 화 수 목 금 토\r\n  "
        u"                    1\r\n  "
        u"  2  3  4  5  6  7  8\r\n  "
        u"  9 10 11 12 13 14 15\r\n  "
        u" 16 17 18 19 20 21 22\r\n  "
        u" 23 24 25 26 27 28 29\r\n  "
        u" 30 31";
    EXPECT_EQ(CalendarPreviewText(2022, 1), expected);
    EXPECT_EQ(CalendarDrawSize(12), 20);
    EXPECT_EQ(CalendarDrawSize(1), 10);
    EXPECT_EQ(CalendarDrawSize(0), 10);
}

TEST(CalendarTest, RefusalsChangeNothing) {
    TestDoc t(200, 100);
    const int layers = t.Doc().layers.Count();
    for (auto [year, month] : {std::pair{0, 5}, {10000, 5}, {2024, 0}, {2024, 13}}) {
        CalendarSettings s;
        s.year = year;
        s.month = month;
        EXPECT_FALSE(InsertCalendar(t.Doc(), s).ok) << year << " " << month;
    }
    EXPECT_EQ(t.Doc().layers.Count(), layers);
    CalendarSettings far;
    far.year = 9999;
    far.month = 12;
    EXPECT_TRUE(InsertCalendar(t.Doc(), far).ok);
}

TEST(CalendarTest, DrawsTheMonthAtTheCentreInItsColour) {
    for (int size : {12, 30}) {  // drawn at 20 (reduced from 34) and at 38 (directly)
        TestDoc t(400, 300);
        const int base = t.Doc().layers.current;
        CalendarSettings s;
        s.year = 2025;
        s.month = 5;
        s.size = size;
        s.colour = 0x1030E0;
        ASSERT_TRUE(InsertCalendar(t.Doc(), s).ok);
        const int slot = t.Doc().layers.current;
        ASSERT_NE(slot, base);
        const LayerRecord& r = t.Doc().layers[slot];
        EXPECT_EQ(r.name, u" [달력] 5월");
        EXPECT_EQ(r.kind, kLayerRaster);
        EXPECT_EQ(r.below, base);
        const HistoryEntry& step = t.Doc().history.entries[size_t(t.Doc().history.position)];
        EXPECT_EQ(step.label, u"[달력]");
        EXPECT_EQ(step.code, kStepAdd);
        // Ink only right of and below the centre; every drawn pixel in the chosen colour.
        const int S = CalendarDrawSize(size), B = S + S / 4;
        int drawn = 0, titleRow = 0;
        for (int y = 0; y < r.height; ++y)
            for (int x = 0; x < r.width; ++x) {
                if (!r.alpha[size_t(y) * size_t(r.width) + size_t(x)]) continue;
                const int top = 299 - (y - r.y);  // canvas rows from the top
                ASSERT_GE(x, 200);
                ASSERT_GE(top, 150);
                ASSERT_LT(top, 150 + 7 * B);
                ASSERT_EQ(LayerColourAt(t.Doc(), r, x, y), 0x1030E0u);
                ++drawn;
                titleRow += top < 150 + S;
            }
        EXPECT_GT(drawn, 200);
        EXPECT_GT(titleRow, 20);
        ASSERT_TRUE(Undo(t.Doc()));
        EXPECT_FALSE(t.Doc().layers[slot].inUse);
    }
}

TEST(CalendarTest, LayerReachesBelowASmallCanvas) {
    TestDoc t(60, 40);
    CalendarSettings s;
    s.size = 30;
    ASSERT_TRUE(InsertCalendar(t.Doc(), s).ok);
    const LayerRecord& r = *t.Doc().CurrentLayer();
    EXPECT_GE(r.width, 30 + 7 * 47);
    EXPECT_GE(r.height, 20 + 7 * 47);
    // Its top row is the canvas's top row.
    EXPECT_EQ(r.y, r.height - 40);
}

uint32_t Rgb(int r, int g, int b) { return uint32_t(r) | uint32_t(g) << 8 | uint32_t(b) << 16; }

TEST(PhotoFrameTest, RingColours) {
    FrameSettings s;
    s.thickness = 5;
    s.main = Rgb(100, 200, 50);
    s.secondary = Rgb(10, 20, 30);
    struct Case {
        int style, band, ring, n, x;
        uint32_t colour;
    } cases[] = {
        {0, 0, 2, 0, 2, Rgb(40, 80, 20)},       // i / T = 0.4
        {0, 3, 0, 7, 19, Rgb(0, 0, 0)},         // the outer ring is black
        {1, 0, 0, 0, 0, Rgb(20, 40, 10)},       // min(1, 0 / 20 + 0.2)
        {1, 1, 1, 9, 10, Rgb(72, 145, 36)},     // 10 / 19 + 0.2 = 0.7263
        {1, 2, 0, 3, 0, Rgb(0, 0, 0)},          // max(0, 0 - 0.2)
        {1, 2, 4, 3, 4, Rgb(60, 120, 30)},      // 0.8 - 0.2
        {1, 3, 0, 3, 19, Rgb(130, 255, 65)},    // min(1.3, 1.8), clamped
        {2, 2, 2, 0, 2, Rgb(40, 80, 20)},       // even ring on the left: i / T
        {2, 3, 2, 0, 17, Rgb(140, 255, 70)},    // 0.6 + 0.8, no upper limit on the factor
        {2, 0, 1, 8, 9, Rgb(8, 17, 26)},        // odd ring: tent, h = (20 - 2) / 2 = 9, 1 - 1 / 9
        {2, 0, 1, 0, 1, Rgb(0, 0, 0)},          // its end: 1 - 9 / 9
        {3, 0, 0, 0, 0, Rgb(50, 100, 25)},      // half brightness at the ends
        {3, 2, 0, 5, 0, Rgb(100, 200, 50)},     // 1 - 5 / 10 + 0.5
    };
    for (const Case& c : cases) {
        s.style = c.style;
        EXPECT_EQ(FrameColour(s, c.band, c.ring, c.n, c.x, 20, 20), c.colour)
            << c.style << " " << c.band << " " << c.ring << " " << c.n;
    }
    // A ring of one pixel (an odd side, the thickness reaching the middle) is its
    // side's middle: full brightness, no division by zero.
    s.thickness = 6;
    s.style = 2;
    EXPECT_EQ(FrameColour(s, 0, 5, 0, 5, 11, 11), s.secondary);
    s.style = 3;
    EXPECT_EQ(FrameColour(s, 2, 5, 0, 5, 11, 11), s.main);
}

int CountAlpha(TestDoc& t, int slot) {
    const LayerRecord& r = t.Doc().layers[slot];
    return int(std::count_if(r.alpha.begin(), r.alpha.end(), [](uint8_t a) { return a != 0; }));
}

TEST(PhotoFrameTest, RingsOfAThinFrameAndTheOddMiddle) {
    TestDoc t(20, 20);
    FrameSettings s;
    s.thickness = 5;
    ASSERT_TRUE(InsertFrame(t.Doc(), s).ok);
    const int slot = FindFrameLayer(t.Doc());
    ASSERT_GE(slot, 0);
    EXPECT_EQ(t.Doc().layers[slot].name, u"[ImgFrame]");
    EXPECT_EQ(CountAlpha(t, slot), 400 - 100);
    // Row 4 is the innermost top ring (x = 4..15) between the side rings; row 5 is inside.
    for (int x = 0; x < 20; ++x) EXPECT_NE(LayerAlphaAt(t.Doc().layers[slot], x, 4), 0) << x;
    for (int x = 5; x < 15; ++x) EXPECT_EQ(LayerAlphaAt(t.Doc().layers[slot], x, 5), 0) << x;
    const HistoryEntry& step = t.Doc().history.entries[size_t(t.Doc().history.position)];
    EXPECT_EQ(step.label, u"사진틀 넣기");
    EXPECT_EQ(step.code, kStepAdd);
    // Thickness reaching the middle of an 11 x 11 canvas: every pixel painted.
    for (int style : {2, 3}) {
        TestDoc odd(11, 11);
        FrameSettings m;
        m.style = style;
        m.thickness = 6;
        ASSERT_TRUE(InsertFrame(odd.Doc(), m).ok);
        EXPECT_EQ(CountAlpha(odd, FindFrameLayer(odd.Doc())), 121);
    }
    EXPECT_FALSE(CheckFrame(FrameSettings{0, 4}).ok);
    EXPECT_FALSE(CheckFrame(FrameSettings{0, 301}).ok);
    EXPECT_TRUE(CheckFrame(FrameSettings{3, 300}).ok);
}

TEST(PhotoFrameTest, DialogApplyCommitCancel) {
    TestDoc t(40, 30);
    const int base = t.Doc().layers.current, layers = t.Doc().layers.Count();
    t.Doc().layers[base].name = u" [달력] 5월";
    {
        // Several changes, then Cancel: no frame layer is left, and the layer below
        // keeps its name (the next step renames nothing either).
        FrameSession session(t.Doc());
        for (int thickness : {10, 6, 12}) ASSERT_TRUE(session.Apply(FrameSettings{1, thickness}).ok);
        session.Cancel();
        EXPECT_EQ(FindFrameLayer(t.Doc()), -1);
        EXPECT_EQ(t.Doc().layers.Count(), layers);
        EXPECT_EQ(t.Doc().layers.current, base);
        EXPECT_EQ(t.Doc().layers[base].name, u" [달력] 5월");
        EXPECT_TRUE(t.Doc().history.pendingNames.empty());
    }
    int slot;
    {
        // A thinner frame after a thicker one leaves no outer rings of the first.
        FrameSession session(t.Doc());
        ASSERT_TRUE(session.Apply(FrameSettings{0, 12}).ok);
        ASSERT_TRUE(session.Apply(FrameSettings{0, 5}).ok);
        session.Commit();
        slot = FindFrameLayer(t.Doc());
        EXPECT_EQ(CountAlpha(t, slot), 40 * 30 - 30 * 20);
    }
    const std::vector<uint8_t> committed = t.Doc().layers[slot].alpha;
    {
        // A second frame command reuses the layer; its Cancel keeps the first frame.
        FrameSession session(t.Doc());
        ASSERT_TRUE(session.Apply(FrameSettings{3, 8}).ok);
        EXPECT_EQ(FindFrameLayer(t.Doc()), slot);
        EXPECT_EQ(t.Doc().layers.Count(), layers + 1);
        session.Cancel();
        EXPECT_EQ(t.Doc().layers[slot].alpha, committed);
    }
    ASSERT_TRUE(Undo(t.Doc()));
    EXPECT_EQ(FindFrameLayer(t.Doc()), -1);
}

}  // namespace
