// effect:name=,p1=,p2=,p3= and binary:mode=,p1= in the batch tool: the name by Korean
// text or list index, defaults for left-out values, the table's ranges checked before
// anything runs, one step named after the effect.
#include <gtest/gtest.h>

#include "CliSupport.h"
#include "Codecs.h"

using namespace cli_support;

namespace {

class EffectOps : public CliTest {
protected:
    void SetUp() override {
        CImageBuffer picture(6, 5, 24, kFormatBmp);
        testing_support::FillTrueColour(picture, [](int x, int y) { return uint32_t(0x203040 * (x + 1) + 0x11 * y); });
        ASSERT_TRUE(picture.Save(Work("in.bmp"), kFormatBmp));
    }
    std::vector<uint8_t> Pixels(const std::string& name) {
        CImageBuffer image;
        EXPECT_TRUE(DecodeFile(Work(name), image));
        std::vector<uint8_t> bytes;
        for (int y = 0; y < image.Height(); ++y)
            for (int x = 0; x < image.Width(); ++x) {
                const RgbQuad q = image.ColourAt(x, y);
                bytes.insert(bytes.end(), {q.red, q.green, q.blue});
            }
        return bytes;
    }
};

TEST_F(EffectOps, NameIndexAndIdGiveTheSameResultWithOneStep) {
    const CliResult byName = Run({"apply", "in.bmp", "a.bmp", "--history", "effect:name=흐리게,p1=3"});
    ASSERT_EQ(byName.status, 0) << byName.err;
    EXPECT_EQ(byName.OutLines().front(), "  1" + std::string(16, ' ') + "흐리게");
    ASSERT_EQ(Run({"apply", "in.bmp", "b.bmp", "effect:name=3,p1=3"}).status, 0);
    ASSERT_EQ(Run({"apply", "in.bmp", "c.bmp", "1453:p1=3"}).status, 0);
    ASSERT_EQ(Run({"apply", "in.bmp", "d.bmp", "blur"}).status, 0);  // the default 4
    EXPECT_EQ(Pixels("a.bmp"), Pixels("b.bmp"));
    EXPECT_EQ(Pixels("a.bmp"), Pixels("c.bmp"));
    EXPECT_NE(Pixels("a.bmp"), Pixels("d.bmp"));
    EXPECT_NE(Pixels("a.bmp"), Pixels("in.bmp"));
    // Generated effects repeat exactly: every run starts the generator afresh.
    ASSERT_EQ(Run({"apply", "in.bmp", "e.bmp", "effect:name=유리성에,p1=2"}).status, 0);
    ASSERT_EQ(Run({"apply", "in.bmp", "f.bmp", "effect:name=13,p1=2"}).status, 0);
    EXPECT_EQ(Pixels("e.bmp"), Pixels("f.bmp"));
}

TEST_F(EffectOps, BinaryModesAndTheirDefaults) {
    ASSERT_EQ(Run({"apply", "in.bmp", "w.bmp", "binary:mode=2,p1=255"}).status, 0);
    for (uint8_t b : Pixels("w.bmp")) ASSERT_EQ(b, 255);
    ASSERT_EQ(Run({"apply", "in.bmp", "k.bmp", "binary:mode=2,p1=0"}).status, 0);
    for (uint8_t b : Pixels("k.bmp")) ASSERT_EQ(b, 0);
    ASSERT_EQ(Run({"apply", "in.bmp", "fs.bmp", "binary"}).status, 0);
    ASSERT_EQ(Run({"apply", "in.bmp", "fs2.bmp", "fs-dither:p1=128"}).status, 0);
    EXPECT_EQ(Pixels("fs.bmp"), Pixels("fs2.bmp"));
}

TEST_F(EffectOps, UnknownNamesAndValuesOutsideTheTableAreUsageErrors) {
    const std::pair<const char*, const char*> cases[] = {
        {"effect:name=없음", "unknown effect: 없음"},
        {"effect:name=22", "unknown effect: 22"},
        {"effect", "missing key: name (effect)"},
        {"effect:name=흐리게,p1=10", "bad value: p1=10 (1..9)"},
        {"effect:name=찍어붙이기,p2=2", "bad value: p2=2 (3..30)"},
        {"effect:name=흐리게,size=3", "unknown key: size (blur)"},
        {"binary:mode=3", "bad value: mode=3 (0..2)"},
        {"binary:mode=1,p1=256", "bad value: p1=256 (0..255)"},
    };
    for (auto [op, message] : cases) {
        const CliResult r = Run({"apply", "in.bmp", "out.bmp", op});
        EXPECT_EQ(r.status, 2) << op;
        EXPECT_EQ(r.ErrLines(), std::vector<std::string>{message}) << op;
    }
    // Defaults off the scale and values of sliders an effect does not have pass.
    EXPECT_EQ(Run({"apply", "in.bmp", "-", "effect:name=찍어붙이기,p2=1"}).status, 0);
    EXPECT_EQ(Run({"apply", "in.bmp", "-", "effect:name=렌즈효과,p1=5,p3=-2"}).status, 0);
    EXPECT_EQ(Run({"apply", "in.bmp", "-", "effect:name=욕실효과,p1=-49"}).status, 0);
}

}  // namespace
