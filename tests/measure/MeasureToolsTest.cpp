#include <gtest/gtest.h>

#include "MeasureTools.h"
#include "Messages.h"

namespace {

// Press, optional drag, release at the given points.
ToolOutcome Stroke(MeasureToolState& tool, MeasureSheet& sheet, MeasurePoint from, MeasurePoint to) {
    tool.Press(sheet, from);
    if (!(from == to)) tool.Drag(sheet, to);
    return tool.Release(sheet, to);
}

}  // namespace

TEST(MeasureTools, ObjectsFromDragsAndClicks) {
    MeasureSheet sheet;
    MeasureToolState tool;
    tool.Choose(MeasureTool::Segment);
    EXPECT_TRUE(Stroke(tool, sheet, {1, 1}, {20, 1}).changed);
    // Continuous: the tool stays armed; two clicks make the next segment.
    EXPECT_FALSE(Stroke(tool, sheet, {5, 5}, {5, 5}).changed);
    EXPECT_TRUE(Stroke(tool, sheet, {9, 5}, {9, 5}).changed);
    ASSERT_EQ(sheet.Count(), 2u);
    EXPECT_EQ(sheet.Objects()[1].points, (std::vector<MeasurePoint>{{5, 5}, {9, 5}}));

    tool.Choose(MeasureTool::Angle);
    Stroke(tool, sheet, {0, 0}, {10, 0});
    EXPECT_TRUE(Stroke(tool, sheet, {10, 10}, {10, 10}).changed);
    EXPECT_EQ(sheet.Objects().back().kind, MeasureKind::Angle);
    EXPECT_EQ(sheet.Objects().back().points.size(), 3u);

    tool.Choose(MeasureTool::Polygon);
    for (MeasurePoint p : {MeasurePoint{0, 0}, MeasurePoint{10, 0}, MeasurePoint{10, 10}}) Stroke(tool, sheet, p, p);
    EXPECT_TRUE(tool.DoubleClick(sheet, {10, 10}).changed);
    EXPECT_EQ(sheet.Objects().back().kind, MeasureKind::Polygon);
    EXPECT_EQ(sheet.Objects().back().points.size(), 3u);

    // Escape drops the unfinished polyline and ends the continuous measurement.
    tool.Choose(MeasureTool::Polyline);
    Stroke(tool, sheet, {0, 0}, {4, 4});
    EXPECT_EQ(tool.Pending().size(), 2u);
    tool.Key(sheet, MeasureToolState::kKeyEscape);
    EXPECT_EQ(tool.Tool(), MeasureTool::None);
    EXPECT_TRUE(tool.Pending().empty());
    EXPECT_FALSE(Stroke(tool, sheet, {1, 1}, {9, 9}).changed);
    EXPECT_EQ(sheet.Count(), 4u);

    // The standard tool measures without adding an object: a level bar gives no 0.
    tool.Choose(MeasureTool::Standard);
    const ToolOutcome standard = Stroke(tool, sheet, {10, 50}, {110, 50});
    ASSERT_TRUE(standard.standard.has_value());
    EXPECT_EQ(*standard.standard, (MeasurePoint{100, 100}));
    EXPECT_EQ(sheet.Count(), 4u);
}

TEST(MeasureTools, ParallelAndDistanceBetweenSegments) {
    MeasureSheet sheet;
    MeasureToolState tool;
    tool.Choose(MeasureTool::Parallel);
    Stroke(tool, sheet, {0, 0}, {10, 0});
    ASSERT_TRUE(Stroke(tool, sheet, {3, 7}, {3, 7}).changed);
    ASSERT_EQ(sheet.Count(), 3u);
    EXPECT_EQ(sheet.Objects()[1].points, (std::vector<MeasurePoint>{{3, 7}, {13, 7}}));
    EXPECT_EQ(sheet.Objects()[2].points, (std::vector<MeasurePoint>{{3, 7}, {3, 0}}));
    EXPECT_EQ(sheet.CanUndo(), true);
    sheet.Undo();
    EXPECT_EQ(sheet.Count(), 0u);  // one step for the three

    const auto link = ShortestConnection({0, 0}, {10, 0}, {4, 6}, {8, 9});
    EXPECT_EQ(link.first, (MeasurePoint{4, 0}));
    EXPECT_EQ(link.second, (MeasurePoint{4, 6}));
    const auto crossing = ShortestConnection({0, 0}, {10, 10}, {0, 10}, {10, 0});
    EXPECT_EQ(crossing.first, crossing.second);
}

TEST(MeasureTools, SelectAndModify) {
    MeasureSheet sheet;
    sheet.Add(*MakeObject(MeasureKind::Segment, {{10, 10}, {50, 10}}));
    sheet.Add(*MakeObject(MeasureKind::Circle, {{100, 100}, {100, 120}}));
    MeasureToolState tool;

    tool.Choose(MeasureTool::Segment);
    EXPECT_EQ(tool.Key(sheet, MeasureToolState::kKeyDelete).message, msg::kChooseObject);
    tool.Choose(MeasureTool::SelectModify);
    EXPECT_EQ(tool.Key(sheet, MeasureToolState::kKeyDelete).message, msg::kSelectToRemove);

    // Grabbing an end point moves that point only.
    tool.Press(sheet, {51, 11});
    EXPECT_EQ(tool.Selected(), 0);
    tool.Drag(sheet, {61, 21});
    EXPECT_EQ(sheet.Objects()[0].points[1], (MeasurePoint{50, 10}));  // not before the release
    EXPECT_TRUE(tool.Release(sheet, {61, 21}).changed);
    EXPECT_EQ(sheet.Objects()[0].points, (std::vector<MeasurePoint>{{10, 10}, {60, 20}}));

    // Grabbing the rim moves the whole circle.
    tool.Press(sheet, {120, 100});
    EXPECT_EQ(tool.Selected(), 1);
    EXPECT_TRUE(tool.Release(sheet, {125, 90}).changed);
    EXPECT_EQ(sheet.Objects()[1].points, (std::vector<MeasurePoint>{{105, 90}, {105, 110}}));

    EXPECT_TRUE(tool.Key(sheet, MeasureToolState::kKeyDelete).changed);
    EXPECT_EQ(sheet.Count(), 1u);
    sheet.Undo();
    sheet.Undo();
    EXPECT_EQ(sheet.Objects()[1].points[0], (MeasurePoint{100, 100}));

    // A click on nothing chooses nothing.
    tool.Press(sheet, {300, 300});
    EXPECT_EQ(tool.Selected(), -1);
    EXPECT_FALSE(tool.Release(sheet, {300, 300}).changed);
}
