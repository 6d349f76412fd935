// The tone adjustments and channel splits through the batch tool: values by key and by
// name, refusals, the completion message, and the channel documents written beside
// the output.
#include <gtest/gtest.h>

#include <filesystem>

#include "BatchRun.h"
#include "CliSupport.h"
#include "Codecs.h"

using namespace cli_support;

namespace {

class Adjust : public CliTest {
protected:
    void SetUp() override {
        CImageBuffer picture(2, 1, 24, kFormatBmp);
        testing_support::FillTrueColour(picture, [](int x, int) { return x ? 0xC83214u : 0x0A1421u; });
        ASSERT_TRUE(picture.Save(Work("in.bmp"), kFormatBmp));
    }
    RgbQuad Out(const std::string& name, int x) {
        CImageBuffer out;
        EXPECT_TRUE(DecodeFile(Work(name), out));
        return out.ColourAt(x, 0);
    }
};

}  // namespace

TEST_F(Adjust, ValuesByKeyAndChoiceName) {
    ASSERT_EQ(Run({"apply", "in.bmp", "bc.bmp", "1450:b=20,c=0"}).status, 0);
    EXPECT_EQ(Out("bc.bmp", 1).Value() & 0xFFFFFF, 0xDC4628u);  // (200, 50, 20) + 20, blue first
    ASSERT_EQ(Run({"apply", "in.bmp", "rgb.bmp", "1503:r=99,g=-99,b=5,mode=rgb"}).status, 0);
    EXPECT_EQ(Out("rgb.bmp", 1).red, 255);
    EXPECT_EQ(Out("rgb.bmp", 1).green, 0);
    EXPECT_EQ(Out("rgb.bmp", 1).blue, 25);
    ASSERT_EQ(Run({"apply", "in.bmp", "hsl.bmp", "colour-adjust:r=0,g=-99,mode=hsl"}).status, 0);
    // Saturation 209 - 99 at lightness 110: the spread of 180 becomes about 110 x 219.5 / 255.
    EXPECT_NEAR(Out("hsl.bmp", 1).red - Out("hsl.bmp", 1).blue, 95, 1);
    ASSERT_EQ(Run({"apply", "in.bmp", "one.bmp", "1503:r=10,mode=1"}).status, 0);

    const CliResult bad = Run({"apply", "in.bmp", "-", "1503:mode=cmyk"});
    EXPECT_EQ(bad.status, 2);
    EXPECT_EQ(bad.ErrLines(), std::vector<std::string>{"bad value: mode=cmyk (rgb|hsl)"});
}

TEST_F(Adjust, LevelsRefuseCrossedMarkersAndTheAutomaticStretchReportsItsEnd) {
    const CliResult crossed = Run({"apply", "in.bmp", "-", "2533:low=200,high=100"});
    EXPECT_EQ(crossed.status, 1);
    EXPECT_EQ(crossed.ErrLines(), std::vector<std::string>{"low must be below high"});
    ASSERT_EQ(Run({"apply", "in.bmp", "lv.bmp", "2533:low=10,high=200,channel=1"}).status, 0);
    EXPECT_EQ(Out("lv.bmp", 0).red, 0);
    EXPECT_EQ(Out("lv.bmp", 1).red, 255);
    EXPECT_EQ(Out("lv.bmp", 1).green, 50);

    const CliResult automatic = Run({"apply", "in.bmp", "auto.bmp", "--history", "2076"});
    EXPECT_EQ(automatic.status, 0);
    EXPECT_EQ(automatic.ErrLines(), std::vector<std::string>{"자동 색상 조정 완료"});
    // Two pixels: each channel stretches between its two values.
    EXPECT_EQ(Out("auto.bmp", 0).Value() & 0xFFFFFF, 0x0000FFu);
    EXPECT_EQ(Out("auto.bmp", 1).Value() & 0xFFFFFF, 0xFFFF00u);
}

TEST_F(Adjust, ChannelSplitsAreWrittenBesideTheOutput) {
    struct Case {
        const char* op;
        const char* suffixes[3];
        int first[3];  // channel values of pixel 1: (200, 50, 20)
    } cases[] = {
        {"1441", {"-R", "-G", "-B"}, {200, 50, 20}},
        {"split-yuv", {"-Y", "-U", "-V"}, {91, 87, 205}},
        {"1443", {"-Hue", "-Saturation", "-Lightness"}, {7, 209, 110}},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.op);
        ASSERT_EQ(Run({"apply", "in.bmp", "out.bmp", k.op}).status, 0);
        for (int c = 0; c < 3; ++c) {
            const std::string name = std::string("out") + k.suffixes[c] + ".bmp";
            ASSERT_TRUE(std::filesystem::exists(Work(name))) << name;
            EXPECT_EQ(Out(name, 1).red, k.first[c]) << name;
            EXPECT_EQ(Out(name, 1).blue, k.first[c]) << name;
        }
    }
    EXPECT_EQ(batch::CreatedPath("/a/b.c/out.png", "Hue Channel 3 from x y.jpg"), "/a/b.c/out-Hue.png");
}

TEST_F(Adjust, ColourModesByIdAndKey) {
    const CliResult grey = Run({"apply", "in.bmp", "grey.bmp", "1414"});
    EXPECT_EQ(grey.status, 0);
    EXPECT_EQ(grey.ErrLines(), std::vector<std::string>{"그레이스케일 변환 완료"});
    EXPECT_EQ(Out("grey.bmp", 0).Value() & 0xFFFFFF, 0x151515u);  // (10, 20, 33) -> 21

    struct Case {
        std::vector<std::string> ops;
        int bits;
    } cases[] = {
        {{"2016"}, 8},
        {{"4bit-standard"}, 4},
        {{"2011"}, 4},
        {{"8bit-colour", "2093"}, 24},
        {{"2093"}, 24},  // already true colour: nothing to do
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.ops.front());
        std::vector<std::string> args = {"apply", "in.bmp", "depth.bmp"};
        args.insert(args.end(), k.ops.begin(), k.ops.end());
        ASSERT_EQ(Run(args).status, 0);
        CImageBuffer out;
        ASSERT_TRUE(DecodeFile(Work("depth.bmp"), out));
        EXPECT_EQ(out.Bpp(), k.bits);
        if (k.ops.front() != "4bit-standard") {  // two colours: every other depth keeps them
            EXPECT_EQ(out.ColourAt(0, 0).Value() & 0xFFFFFF, 0x0A1421u);
            EXPECT_EQ(out.ColourAt(1, 0).Value() & 0xFFFFFF, 0xC83214u);
        }
    }
    EXPECT_EQ(Run({"apply", "in.bmp", "-", "remove-alpha", "1485", "1490", "1486", "1430", "1427"}).status, 0);
}
