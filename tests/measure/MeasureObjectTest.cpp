#include <gtest/gtest.h>

#include <cmath>

#include "MeasureObject.h"
#include "MeasureSheet.h"

namespace {

Calibration TenPerUnit() {
    Calibration c;
    c.unit = "mm";
    c.xPixels = 10;
    c.yPixels = 10;
    c.length = 1.0f;
    return c;
}

MeasureObject Make(MeasureKind kind, std::vector<MeasurePoint> points) {
    MeasureObject o;
    o.kind = kind;
    o.points = std::move(points);
    return o;
}

}  // namespace

TEST(MeasureObject, KindNamesRoundTrip) {
    const char* names[] = {"점표시", "선분", "원", "사각형", "사이각", "다각선", "다각형", "곡선", "곡선영역", "글자"};
    for (int k = 0; k < kMeasureKindCount; ++k) {
        EXPECT_STREQ(KindName(MeasureKind(k)), names[k]);
        EXPECT_EQ(KindFromName(names[k]), MeasureKind(k));
    }
    EXPECT_FALSE(KindFromName("segment").has_value());
}

TEST(MeasureObject, AngleAtTheVertex) {
    struct Case {
        MeasurePoint p1, v, p3;
        double degrees;
    } cases[] = {
        {{0, 0}, {10, 0}, {10, 10}, 90.0},
        {{0, 0}, {10, 0}, {20, 0}, 180.0},   // straight on
        {{0, 0}, {10, 0}, {0, 0}, 0.0},      // folding back
        {{0, 0}, {10, 0}, {20, 10}, 135.0},
        {{0, 0}, {0, 0}, {5, 5}, 0.0},       // an arm of no length: finite
        {{5, 5}, {9, 9}, {9, 9}, 0.0},
        // Coordinates whose squares overflow 32 bits.
        {{0, 0}, {100000, 0}, {100000, 100000}, 90.0},
        {{0, 0}, {2000000000, 0}, {-2000000000, 0}, 0.0},
    };
    for (const Case& c : cases) {
        const double a = AngleAt(c.p1, c.v, c.p3);
        EXPECT_TRUE(std::isfinite(a));
        EXPECT_NEAR(a, c.degrees, 1e-4) << c.p3.x << "," << c.p3.y;
    }
}

TEST(MeasureObject, ValuesByKind) {
    const Calibration c = TenPerUnit();
    struct Case {
        MeasureObject object;
        int slot;
        double value;
    } cases[] = {
        {Make(MeasureKind::Segment, {{0, 0}, {30, 40}}), kValueLength, 5.0},
        {Make(MeasureKind::Circle, {{0, 0}, {3, 4}}), kValueCircle, 0.5},
        {Make(MeasureKind::Circle, {{0, 0}, {3, 4}}), kValueRadius, 0.5},
        {Make(MeasureKind::Angle, {{0, 0}, {10, 0}, {10, 10}}), kValueAngle, 90.0},
        {Make(MeasureKind::Angle, {{0, 0}, {10, 0}}), kValueAngle, 0.0},
        {Make(MeasureKind::Polyline, {{0, 0}, {30, 40}, {30, 50}}), kValueLength, 6.0},
        // One segment with a negative end: the error value, not a sum that contains it.
        {Make(MeasureKind::Polyline, {{0, 0}, {30, 40}, {-5, 40}, {0, 0}}), kValueLength, -1.0},
        // The polygon's own pixels (not the layer's), not calibrated.
        {Make(MeasureKind::Polygon, {{0, 0}, {10, 0}, {10, 10}, {0, 10}}), kValueArea, 100.0},
        {Make(MeasureKind::Polygon, {{0, 0}, {10, 0}, {0, 10}}), kValueArea, 45.0},  // centres strictly inside
        {Make(MeasureKind::Polygon, {{0, 0}, {10, 0}}), kValueArea, 0.0},
        // Clipped to the 40 x 30 picture.
        {Make(MeasureKind::Polygon, {{-10, -10}, {100, -10}, {100, 100}, {-10, 100}}), kValueArea, 1200.0},
        {Make(MeasureKind::Rectangle, {{0, 0}, {10, 10}}), kValueArea, 0.0},
    };
    for (Case& k : cases) {
        k.object.values.fill(7.0f);
        ComputeValues(k.object, c, 40, 30);
        EXPECT_NEAR(k.object.values[size_t(k.slot)], k.value, 1e-5) << KindName(k.object.kind) << " slot " << k.slot;
        // Slots the kind does not fill are 0.
        int filled = 0;
        for (float v : k.object.values) filled += v != 0.0f;
        EXPECT_LE(filled, k.object.kind == MeasureKind::Circle ? 2 : 1);
    }
    EXPECT_EQ(CircleRadius(Make(MeasureKind::Circle, {{0, 0}, {3, 4}})), 5);
    EXPECT_EQ(CircleRadius(Make(MeasureKind::Circle, {{0, 0}, {3, 3}})), 4);  // 4.24: whole pixels
}

TEST(MeasureObject, LabelsAndTheirPlace) {
    const Calibration c = TenPerUnit();
    MeasureObject segment = Make(MeasureKind::Segment, {{0, 0}, {30, 40}});
    ComputeValues(segment, c, 100, 100);
    EXPECT_EQ(ValueLabel(segment, c), "5.00 mm");
    MeasureObject polygon = Make(MeasureKind::Polygon, {{0, 0}, {10, 0}, {10, 10}, {0, 10}});
    ComputeValues(polygon, c, 100, 100);
    EXPECT_EQ(ValueLabel(polygon, c), "100 px");

    struct Case {
        std::vector<MeasurePoint> points;
        int height;
        MeasurePoint place;
    } cases[] = {
        {{{0, 0}, {30, 40}}, 100, {30, 50}},  // runs down: below
        {{{0, 0}, {30, 95}}, 100, {30, 99}},  // at most height - 1
        {{{0, 50}, {30, 40}}, 100, {30, 30}}, // runs up: above
        {{{0, 50}, {30, 4}}, 100, {30, 0}},   // at least 0
        {{{0, 40}, {30, 40}}, 100, {30, 30}}, // level: above
    };
    for (const Case& k : cases) {
        const MeasurePoint p = LabelPlace(Make(MeasureKind::Segment, k.points), k.height);
        EXPECT_EQ(p, k.place) << k.points[1].y;
    }
}

TEST(MeasureObject, PointsText) {
    auto p = ParsePoints("1:2;30:-4; 5 : 6");
    ASSERT_TRUE(p.has_value());
    EXPECT_EQ(*p, (std::vector<MeasurePoint>{{1, 2}, {30, -4}, {5, 6}}));
    EXPECT_EQ(FormatPoints(*p), "1:2;30:-4;5:6");
    for (const char* bad : {"", "1:2;", "1;2", "a:b", "1:2:3", "1:99999999999"})
        EXPECT_FALSE(ParsePoints(bad).has_value()) << bad;
}

TEST(MeasureSheet, UndoAndRedoOfVectorEdits) {
    MeasureSheet sheet;
    EXPECT_FALSE(sheet.CanUndo());
    sheet.Add(Make(MeasureKind::Point, {{1, 1}}));
    sheet.Add(Make(MeasureKind::Segment, {{1, 1}, {5, 5}}));
    ASSERT_TRUE(sheet.Remove(0));
    EXPECT_FALSE(sheet.Remove(5));
    EXPECT_EQ(sheet.Count(), 1u);
    ASSERT_TRUE(sheet.Undo());
    EXPECT_EQ(sheet.Count(), 2u);
    ASSERT_TRUE(sheet.Undo());
    ASSERT_TRUE(sheet.Undo());
    EXPECT_EQ(sheet.Count(), 0u);
    EXPECT_FALSE(sheet.Undo());
    ASSERT_TRUE(sheet.Redo());
    EXPECT_EQ(sheet.Objects()[0].kind, MeasureKind::Point);
    // A new edit drops what could be redone; an edit that changes nothing is no step.
    sheet.Add(Make(MeasureKind::Circle, {{1, 1}, {2, 2}}));
    EXPECT_FALSE(sheet.CanRedo());
    sheet.Edit([](std::vector<MeasureObject>&) {});
    ASSERT_TRUE(sheet.Undo());
    EXPECT_EQ(sheet.Count(), 1u);
    for (size_t i = 0; i < MeasureSheet::kMaxUndo + 20; ++i) sheet.Add(Make(MeasureKind::Point, {{int(i), 0}}));
    size_t undone = 0;
    while (sheet.Undo()) ++undone;
    EXPECT_EQ(undone, MeasureSheet::kMaxUndo);
}
