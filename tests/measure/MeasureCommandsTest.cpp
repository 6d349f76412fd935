#include <gtest/gtest.h>

#include "MeasureCommands.h"
#include "Messages.h"
#include "document/DocTestSupport.h"

TEST(MeasureCommands, AddCalibrateAndList) {
    doctest::Bench bench(true);
    auto doc = bench.Open(50, 40, doctest::Gradient);
    MeasureSettings settings;
    settings.folder = bench.folder.Path().string();
    MeasureSheet sheet;

    struct Refusal {
        const char *kind, *points, *message;
    } refusals[] = {
        {"segment", "0:0;3:4", "알 수 없는 측정 개체입니다: segment"},
        {"선분", "0:0;3", "측정 점의 좌표가 올바르지 않습니다: 0:0;3"},
        {"선분", "0:0;3:4;5:5", "측정 점의 좌표가 올바르지 않습니다: 0:0;3:4;5:5"},
        {"다각형", "0:0;3:4", "측정 점의 좌표가 올바르지 않습니다: 0:0;3:4"},
    };
    for (const Refusal& r : refusals) {
        const Status s = AddMeasurement(*doc, sheet, settings.calibration, r.kind, r.points);
        EXPECT_FALSE(s.ok);
        EXPECT_EQ(s.message, r.message);
    }
    EXPECT_EQ(sheet.Count(), 0u);
    EXPECT_FALSE(sheet.CanUndo());

    // Refused calibrations change neither the file nor the calibration.
    EXPECT_EQ(Calibrate(settings, "scale", "mm", "0", "10", "1").message, msg::kStandardPixels);
    EXPECT_EQ(Calibrate(settings, "scale", "mm", "10", "10", "abc").message, msg::kStandardLength);
    EXPECT_TRUE(testing_support::ReadFileBytes(bench.folder.File(kCalibrationFile)).empty());
    EXPECT_EQ(settings.calibration.unit, "pixel");

    ASSERT_TRUE(Calibrate(settings, "scale bar", "mm", "10", "10", "1").ok);
    EXPECT_EQ(settings.calibration.name, "scale_bar");
    MeasureSettings again;
    again.folder = settings.folder;
    again.Load();
    EXPECT_EQ(again.calibration.name, "scale_bar");
    EXPECT_EQ(again.calibration.xPixels, 10);

    ASSERT_TRUE(AddMeasurement(*doc, sheet, settings.calibration, "선분", "0:0;30:40").ok);
    ASSERT_TRUE(AddMeasurement(*doc, sheet, settings.calibration, "원", "0:0;3:4").ok);
    ASSERT_TRUE(AddMeasurement(*doc, sheet, settings.calibration, "글자", "5:5", "a b").ok);
    EXPECT_EQ(MeasureListing(sheet),
              "objects 3\n"
              "object 0 kind=선분 points=0:0;30:40 v1=5 v2=0 v3=0 v4=0 v5=0\n"
              "object 1 kind=원 points=0:0;3:4 v1=0 v2=0 v3=0 v4=0.5 v5=0.5\n"
              "object 2 kind=글자 points=5:5 v1=0 v2=0 v3=0 v4=0 v5=0 text=a b\n");
}
