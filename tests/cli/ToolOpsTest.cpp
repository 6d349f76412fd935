// The batch tool's tool operations, run through the built tessaro-cli on small BMP
// pictures written here; the answers are the pixels of the written output.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdlib>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "ImageBuffer.h"
#include "TestSupport.h"

namespace {

using testing_support::TempDir;

constexpr uint32_t kWhite = 0xFFFFFF, kRed = 0x0000FF, kBlue = 0xFF0000;  // red in the low byte

struct CliRun {
    int status = -1;
    std::string err;
    std::string out;
};

class CliTools : public ::testing::Test {
protected:
    // A w x h picture; colour(x, row) with row 0 the top row (view coordinates).
    void Write(int w, int h, const std::function<uint32_t(int, int)>& colour) {
        CImageBuffer image(w, h, 24, kFormatBmp);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                const uint32_t c = colour(x, h - 1 - y);
                uint8_t* p = image.Row(y) + size_t(x) * 3;
                p[0] = uint8_t(c >> 16);
                p[1] = uint8_t(c >> 8);
                p[2] = uint8_t(c);
            }
        ASSERT_TRUE(image.Save(input, kFormatBmp));
    }
    CliRun Apply(const std::vector<std::string>& ops, const std::string& extra = "") {
        std::string cmd = std::string(TESSARO_CLI_PATH) + " apply '" + input + "' '" + output + "' " + extra;
        for (const std::string& op : ops) cmd += " '" + op + "'";
        cmd += " > '" + dir.File("out.txt") + "' 2> '" + dir.File("err.txt") + "'";
        CliRun r;
        const int raw = std::system(cmd.c_str());
        r.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
        auto slurp = [](const std::string& path) {
            std::ifstream in(path);
            std::stringstream s;
            s << in.rdbuf();
            return s.str();
        };
        r.err = slurp(dir.File("err.txt"));
        r.out = slurp(dir.File("out.txt"));
        return r;
    }
    // The output's pixel at (x, row), row 0 the top row, red in the low byte.
    uint32_t Pixel(int x, int row) {
        if (!result) {
            result = std::make_unique<CImageBuffer>();
            EXPECT_TRUE(result->Load(output, kFormatBmp));
        }
        const RgbQuad q = result->ColourAt(x, result->Height() - 1 - row);
        return uint32_t(q.red) | (uint32_t(q.green) << 8) | (uint32_t(q.blue) << 16);
    }

    TempDir dir;
    std::string input = dir.File("in.bmp");
    std::string output = dir.File("out.bmp");
    std::unique_ptr<CImageBuffer> result;
};

TEST_F(CliTools, BrushStrokeRecordsItsStep) {
    Write(8, 6, [](int, int) { return kWhite; });
    const CliRun r = Apply({"set:fg=#FF0000,brush=1", "tool:id=1347", "press:x=1,y=1", "move:x=5,y=1", "release:x=5,y=1"},
                        "--history");
    ASSERT_EQ(r.status, 0) << r.err;
    for (int x = 0; x < 8; ++x) EXPECT_EQ(Pixel(x, 1), x >= 1 && x <= 5 ? kRed : kWhite) << x;
    EXPECT_EQ(Pixel(3, 2), kWhite);
    EXPECT_NE(r.out.find("붓그리기"), std::string::npos) << r.out;
}

TEST_F(CliTools, RectangleSelectionLimitsTheFillAndInvertSwapsIt) {
    Write(6, 6, [](int, int) { return kWhite; });
    const std::vector<std::string> select = {"tool:id=1342", "press:x=1,y=1", "move:x=3,y=3", "release:x=3,y=3"};
    std::vector<std::string> ops = select;
    ops.insert(ops.end(), {"tool:id=1352", "set:fg=#0000FF", "press:x=2,y=2"});
    CliRun r = Apply(ops);
    ASSERT_EQ(r.status, 0) << r.err;
    for (int row = 0; row < 6; ++row)
        for (int x = 0; x < 6; ++x) {
            const bool in = x >= 1 && x <= 3 && row >= 1 && row <= 3;
            ASSERT_EQ(Pixel(x, row), in ? kBlue : kWhite) << x << "," << row;
        }
    ops = select;
    ops.insert(ops.end(), {"2055", "tool:id=1352", "set:fg=#0000FF", "press:x=0,y=0"});
    result.reset();
    r = Apply(ops);
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(Pixel(0, 0), kBlue);
    EXPECT_EQ(Pixel(5, 5), kBlue);
    EXPECT_EQ(Pixel(2, 2), kWhite);
    // Released with 2058, the fill reaches everything.
    ops = select;
    ops.insert(ops.end(), {"2058", "tool:id=1352", "set:fg=#0000FF", "press:x=0,y=0"});
    result.reset();
    r = Apply(ops);
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(Pixel(2, 2), kBlue);
}

// A selection drawn before saving leaves the picture as it was: its outline is shown on
// screen only, never written into the layers that the save reads.
TEST_F(CliTools, RectangleSelectionLeavesTheSavedPictureUnchanged) {
    auto colour = [](int x, int row) { return uint32_t(x * 20) | (uint32_t(row * 25) << 8) | 0x400000u; };
    Write(12, 10, colour);
    const CliRun r = Apply({"tool:id=1342", "press:x=2,y=2", "move:x=6,y=5", "move:x=9,y=7", "release:x=9,y=7"});
    ASSERT_EQ(r.status, 0) << r.err;
    for (int row = 0; row < 10; ++row)
        for (int x = 0; x < 12; ++x) ASSERT_EQ(Pixel(x, row), colour(x, row)) << x << "," << row;
}

TEST_F(CliTools, GradientClickWithoutDragFails) {
    Write(5, 5, [](int x, int) { return x == 2 ? kRed : kWhite; });
    const CliRun r = Apply({"tool:id=1353", "press:x=2,y=2", "release:x=2,y=2"});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("클릭이 아닌 드래깅으로 기준선을 먼저 잡으세요"), std::string::npos) << r.err;
    // Printed once, not once by the host and again as the failure.
    EXPECT_EQ(r.err.find("클릭이"), r.err.rfind("클릭이"));
    EXPECT_EQ(Pixel(2, 4), kRed);
    EXPECT_EQ(Pixel(3, 4), kWhite);
}

TEST_F(CliTools, HorizontalGradientRampsTheForegroundToBlack) {
    Write(4, 2, [](int, int) { return kWhite; });
    const CliRun r = Apply({"set:fg=#C86428", "tool:id=1353", "press:x=3,y=1", "move:x=0,y=1", "release:x=0,y=1"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(Pixel(0, 0), 0x2864C8u);
    EXPECT_EQ(Pixel(1, 1), 0x1E4B96u);  // 3/4 of 200, 100, 40
    EXPECT_EQ(Pixel(3, 0), 0x0A1932u);  // 1/4
}

TEST_F(CliTools, ZoomScalesTheViewPoints) {
    Write(6, 6, [](int, int) { return kWhite; });
    const CliRun r = Apply({"zoom:factor=2", "set:fg=#FF0000", "tool:id=1347", "press:x=5,y=9", "release:x=5,y=9"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(Pixel(2, 4), kRed);
    EXPECT_EQ(Pixel(5, 9 % 6), kWhite);
    const CliRun bad = Apply({"zoom:factor=3"});
    EXPECT_EQ(bad.status, 1);
    EXPECT_NE(bad.err.find("power of two"), std::string::npos);
    EXPECT_EQ(Apply({"zoom:factor=0.03125"}).status, 1);
    EXPECT_EQ(Apply({"zoom:factor=0.0625"}).status, 0);
}

TEST_F(CliTools, ColourRangePickLimitsTheBrush) {
    // Alternating red and white columns; picking red selects the red ones only.
    Write(6, 3, [](int x, int) { return x % 2 ? kWhite : kRed; });
    const CliRun r = Apply({"tool:id=3327", "set:tolerance=0", "pick:x=0,y=1", "set:fg=#0000FF", "tool:id=1347",
                         "press:x=0,y=1", "move:x=5,y=1", "release:x=5,y=1"});
    ASSERT_EQ(r.status, 0) << r.err;
    for (int x = 0; x < 6; ++x) EXPECT_EQ(Pixel(x, 1), x % 2 ? kWhite : kBlue) << x;
    EXPECT_EQ(Pixel(0, 0), kRed);
}

TEST_F(CliTools, MoveToolArrowKeyShiftsTheLayer) {
    Write(5, 3, [](int x, int) { return x == 0 ? kRed : kWhite; });
    const CliRun r = Apply({"tool:id=1570", "key:code=39"}, "--layers");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find(" x=1 "), std::string::npos) << r.out;
    EXPECT_EQ(Pixel(1, 1), kRed);
    EXPECT_EQ(Pixel(2, 1), kWhite);
}

TEST_F(CliTools, BadArgumentsFail) {
    Write(3, 3, [](int, int) { return kWhite; });
    EXPECT_EQ(Apply({"set:brush=9"}).status, 1);
    EXPECT_EQ(Apply({"set:fg=red"}).status, 1);
    EXPECT_EQ(Apply({"press:x=1"}).status, 1);
    EXPECT_EQ(Apply({"tool"}).status, 1);
    // Points beyond the picture act at its edge: no growth, no failure.
    EXPECT_EQ(Apply({"tool:id=1347", "press:x=-50,y=99999", "release:x=-50,y=99999"}).status, 0);
    EXPECT_EQ(Pixel(0, 2), 0x000000u);
}

}  // namespace
