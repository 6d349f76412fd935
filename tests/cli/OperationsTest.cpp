// The operation table as the batch tool sees it: `ops` lists it, every operation runs
// by its id and by its key, every integer range is checked before anything runs, and
// inversion gives the complemented picture with its history step.
#include <gtest/gtest.h>

#include <set>

#include "BatchRun.h"
#include "BuiltinOperations.h"
#include "CliSupport.h"
#include "CommandMap.h"
#include "Codecs.h"

using namespace cli_support;

namespace {

class Operations : public CliTest {
protected:
    void SetUp() override {
        CImageBuffer picture(3, 2, 24, kFormatBmp);
        testing_support::FillTrueColour(picture, [](int x, int y) { return uint32_t(0x102030 * (x + 1) + 0x40 * y); });
        ASSERT_TRUE(picture.Save(Work("in.bmp"), kFormatBmp));
        AddBuiltinOperations(table);
    }
    OperationTable table;
};

TEST_F(Operations, OpsListsTheTableAndNothingElse) {
    const CliResult r = Run({"ops"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.OutLines(), OperationListing(table));
    EXPECT_NE(std::find(r.OutLines().begin(), r.OutLines().end(), "1413\tinvert\t반전변환"), r.OutLines().end());
    EXPECT_NE(std::find(r.OutLines().begin(), r.OutLines().end(),
                        "1558\tlayer-effect\t레이어효과\tsize=0..30 (5) 효과크기\tcolour=#RRGGBB (#000000) 그림자색상"),
              r.OutLines().end());
    EXPECT_EQ(Run({"ops", "extra"}).status, 2);
}

TEST_F(Operations, KeysAndIdsAreUniqueTheMenuIdsExistAndNoKeyHidesABatchOperation) {
    std::set<int> ids;
    std::set<std::string> keys;
    const auto named = batch::NamedOps();
    for (const Operation& op : table.All()) {
        EXPECT_TRUE(ids.insert(op.id).second) << op.id;
        EXPECT_TRUE(keys.insert(op.key).second) << op.key;
        EXPECT_EQ(named.count(op.key), 0u) << op.key;
        if (op.menuId != 0) {
            EXPECT_NE(FindCommand(op.menuId), nullptr) << op.key;
        }
        EXPECT_FALSE(op.label.empty()) << op.key;
    }
}

TEST_F(Operations, TheBatchToolChecksEveryRangeOfTheTable) {
    for (const Operation& op : table.All())
        for (const OpParam& p : op.params) {
            if (p.kind != ParamKind::kInteger) continue;
            SCOPED_TRACE(op.key + ":" + p.key);
            std::string names;
            for (const std::string& name : p.choices) names += (names.empty() ? "" : "|") + name;
            const std::string range = " (" + (names.empty() ? p.Text(p.min) + ".." + p.Text(p.max) : names) + ")";
            for (int bad : {p.min - 1, p.max + 1}) {
                const std::string arg = p.key + "=" + p.Text(bad);
                for (const std::string& name : {op.key, std::to_string(op.id)}) {
                    const CliResult r = Run({"apply", "in.bmp", "-", name + ":" + arg});
                    EXPECT_EQ(r.status, 2);
                    EXPECT_EQ(r.ErrLines(), std::vector<std::string>{"bad value: " + arg + range});
                }
            }
            batch::Context context(false);
            batch::ParsedOp parsed;
            std::string others;  // required keys other than this one
            for (const OpParam& q : op.params)
                if (q.required && q.key != p.key) others += "," + q.key + "=" + q.Text(q.def);
            for (int good : {p.min, p.max, p.def})
                EXPECT_EQ(batch::CheckOp(op.key + ":" + p.key + "=" + p.Text(good) + others, context, parsed), "");
        }
}

TEST_F(Operations, InvertByIdAndByKeyWithItsStep) {
    for (const char* name : {"1413", "invert"}) {
        SCOPED_TRACE(name);
        const CliResult r = Run({"apply", "in.bmp", "out.bmp", "--history", name});
        ASSERT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(r.OutLines().front(), "  1" + std::string(15, ' ') + "반전변환");
        CImageBuffer out;
        ASSERT_TRUE(DecodeFile(Work("out.bmp"), out));
        CImageBuffer in;
        ASSERT_TRUE(DecodeFile(Work("in.bmp"), in));
        for (int y = 0; y < 2; ++y)
            for (int x = 0; x < 3; ++x) {
                const RgbQuad a = in.ColourAt(x, y), b = out.ColourAt(x, y);
                EXPECT_EQ(a.red + b.red, 255);
                EXPECT_EQ(a.green + b.green, 255);
                EXPECT_EQ(a.blue + b.blue, 255);
            }
    }
    // Undone, the picture is saved as it came in.
    ASSERT_EQ(Run({"apply", "in.bmp", "back.bmp", "invert", "undo"}).status, 0);
    CImageBuffer in, back;
    ASSERT_TRUE(DecodeFile(Work("in.bmp"), in));
    ASSERT_TRUE(DecodeFile(Work("back.bmp"), back));
    EXPECT_TRUE(SameColours(back, in));
}

}  // namespace

namespace {

class Transforms : public CliTest {
protected:
    // in.bmp: 3 x 2, pixel (x, y) = 0x10 * (x + 1), 0x40 * y, 0x77 (y = 0 the bottom row).
    void SetUp() override {
        CImageBuffer picture(3, 2, 24, kFormatBmp);
        testing_support::FillTrueColour(picture, Colour);
        ASSERT_TRUE(picture.Save(Work("in.bmp"), kFormatBmp));
    }
    static uint32_t Colour(int x, int y) { return uint32_t(0x10 * (x + 1)) << 16 | uint32_t(0x40 * y) << 8 | 0x77; }
    // Runs `ops` and reads the saved picture back; its pixel (x, y) is Colour(map(x, y)).
    void Expect(const std::vector<std::string>& ops, int w, int h, const std::function<std::pair<int, int>(int, int)>& map) {
        std::vector<std::string> args = {"apply", "in.bmp", "out.bmp"};
        args.insert(args.end(), ops.begin(), ops.end());
        const CliResult r = Run(args);
        ASSERT_EQ(r.status, 0) << r.err;
        CImageBuffer out;
        ASSERT_TRUE(DecodeFile(Work("out.bmp"), out));
        ASSERT_EQ(std::make_pair(out.Width(), out.Height()), std::make_pair(w, h));
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                const auto [sx, sy] = map(x, y);
                EXPECT_EQ(out.ColourAt(x, y).Value() & 0xFFFFFF, RgbQuad::FromValue(Colour(sx, sy)).Value() & 0xFFFFFF)
                    << x << "," << y;
            }
    }
};

TEST_F(Transforms, FlipsAndTurnsByIdAndKey) {
    using P = std::pair<int, int>;
    Expect({"1410"}, 3, 2, [](int x, int y) { return P{2 - x, y}; });
    Expect({"flip-vertical"}, 3, 2, [](int x, int y) { return P{x, 1 - y}; });
    Expect({"mirror"}, 3, 2, [](int x, int y) { return P{2 - x, y}; });
    Expect({"1408"}, 3, 2, [](int x, int y) { return P{2 - x, y}; });
    Expect({"1491"}, 2, 3, [](int x, int y) { return P{2 - y, x}; });  // clockwise, rows bottom-up
    Expect({"rotate-90-left"}, 2, 3, [](int x, int y) { return P{y, 1 - x}; });
    Expect({"1501"}, 3, 2, [](int x, int y) { return P{2 - x, 1 - y}; });
    Expect({"1502", "1491", "1492"}, 3, 2, [](int x, int y) { return P{2 - x, 1 - y}; });
    Expect({"1415:angle=90.00"}, 2, 3, [](int x, int y) { return P{2 - y, x}; });
    Expect({"rotate:angle=-270"}, 2, 3, [](int x, int y) { return P{2 - y, x}; });
    Expect({"1432:width=5,height=2,anchor=5", "1432:width=3,height=2,anchor=5"}, 3, 2,
           [](int x, int y) { return P{x, y}; });
    // Doubled, the corners keep their colours exactly (the samples clamp at the edges).
    ASSERT_EQ(Run({"apply", "in.bmp", "big.bmp", "1431:width=6,height=4"}).status, 0);
    CImageBuffer big;
    ASSERT_TRUE(DecodeFile(Work("big.bmp"), big));
    ASSERT_EQ(std::make_pair(big.Width(), big.Height()), std::make_pair(6, 4));
    EXPECT_EQ(big.ColourAt(0, 0).Value() & 0xFFFFFF, RgbQuad::FromValue(Colour(0, 0)).Value() & 0xFFFFFF);
    EXPECT_EQ(big.ColourAt(5, 3).Value() & 0xFFFFFF, RgbQuad::FromValue(Colour(2, 1)).Value() & 0xFFFFFF);
}

TEST_F(Transforms, SizesAnglesAndAnchorsAreChecked) {
    struct Case { const char* op; int status; const char* err; };
    for (const Case& c : {Case{"1415:angle=17.5", 0, ""}, Case{"1415:angle=17.255", 2, "bad value: angle=17.255 (-360.00..360.00)"},
                          Case{"1415:angle=361", 2, "bad value: angle=361 (-360.00..360.00)"},
                          Case{"1431:width=0,height=5", 2, "bad value: width=0 (1..1000000)"},
                          Case{"1431:width=5", 2, "missing value: height (resize)"},
                          Case{"1432:width=5,height=5,anchor=9", 2, "bad value: anchor=9 (0..8)"},
                          Case{"1431:width=60000,height=60000", 1, "그림 크기가 너무 큽니다."}}) {
        SCOPED_TRACE(c.op);
        const CliResult r = Run({"apply", "in.bmp", "out.bmp", c.op});
        EXPECT_EQ(r.status, c.status);
        if (*c.err) EXPECT_EQ(r.ErrLines(), std::vector<std::string>{c.err});
    }
}

}  // namespace
