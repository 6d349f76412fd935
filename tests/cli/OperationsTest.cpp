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
            const std::string range =
                " (" + (names.empty() ? std::to_string(p.min) + ".." + std::to_string(p.max) : names) + ")";
            for (int bad : {p.min - 1, p.max + 1}) {
                const std::string arg = p.key + "=" + std::to_string(bad);
                for (const std::string& name : {op.key, std::to_string(op.id)}) {
                    const CliResult r = Run({"apply", "in.bmp", "-", name + ":" + arg});
                    EXPECT_EQ(r.status, 2);
                    EXPECT_EQ(r.ErrLines(), std::vector<std::string>{"bad value: " + arg + range});
                }
            }
            batch::Context context(false);
            batch::ParsedOp parsed;
            for (int good : {p.min, p.max, p.def})
                EXPECT_EQ(batch::CheckOp(op.key + ":" + p.key + "=" + std::to_string(good), context, parsed), "");
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
