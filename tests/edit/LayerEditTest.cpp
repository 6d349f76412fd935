// The edit path (refusal, step, working copy), the start image that dialogs come back
// to, and the operation table's reading of KEY=VALUE arguments.
#include <gtest/gtest.h>

#include "EditSteps.h"
#include "LayerEdit.h"
#include "Messages.h"
#include "Utf16.h"
#include "document/DocTestSupport.h"

using namespace doctest;

namespace {

std::string TopLabel(const COrinDoc& doc) { return Utf16ToUtf8(doc.history.entries[size_t(doc.history.position)].label); }

TEST(EditCurrentLayer, RecordsAfterTheChangeAndNothingWhenRefusedOrStopped) {
    Bench bench(true);
    auto doc = bench.Open(6, 4, Gradient);
    const int start = doc->history.position;
    auto paint = [&](uint32_t rgb) {
        return [&doc, rgb](LayerRecord& layer, RowSpan&) {
            SetPixel(layer, 1, 1, rgb);
            return Status::Ok();
        };
    };
    ASSERT_TRUE(EditCurrentLayer(*doc, {"칠하기"}, paint(0x123456)).ok);
    EXPECT_EQ(doc->history.position, start + 1);
    EXPECT_EQ(TopLabel(*doc), "칠하기");
    // The working copy follows the change, so that a later restore keeps it.
    RestoreWorkingCopy(*doc);
    EXPECT_EQ(PixelAt(doc->layers[0], 1, 1), 0x123456u);

    // "" records nothing but still refreshes the working copy.
    ASSERT_TRUE(EditCurrentLayer(*doc, {""}, paint(0x654321)).ok);
    EXPECT_EQ(doc->history.position, start + 1);
    RestoreWorkingCopy(*doc);
    EXPECT_EQ(PixelAt(doc->layers[0], 1, 1), 0x654321u);

    // A change that stops records nothing; a text layer is refused before any change.
    EXPECT_FALSE(EditCurrentLayer(*doc, {"멈춤"}, [](LayerRecord&, RowSpan&) { return Status::Stopped(); }).ok);
    EXPECT_EQ(doc->history.position, start + 1);
    doc->layers[0].kind = kLayerText;
    bool ran = false;
    const Status refused = EditCurrentLayer(*doc, {"글"}, [&](LayerRecord&, RowSpan&) {
        ran = true;
        return Status::Ok();
    });
    EXPECT_EQ(refused.message, msg::kTextLayer);
    EXPECT_FALSE(ran);
    EXPECT_EQ(doc->history.position, start + 1);
}

TEST(StartImage, RestoreBringsBackTheRecordedLayerAndSaveReplacesItUntilTheNextStep) {
    Bench bench;  // step files on disk: the restore reads them back
    auto doc = bench.Open(6, 4, Gradient);
    LayerRecord& layer = doc->layers[0];
    ASSERT_TRUE(EditCurrentLayer(*doc, {"칠하기"}, [](LayerRecord& l, RowSpan&) {
                    SetPixel(l, 2, 2, 0x0000FF);
                    return Status::Ok();
                }).ok);
    const std::vector<uint8_t> recorded = layer.pixels;

    // An unrecorded preview, a move of the layer and a new transparency: the restore
    // takes the pixels back, not the place or the panel values.
    SetPixel(layer, 0, 0, 0xABCDEF);
    layer.x = 3;
    layer.transparency = 90;
    ASSERT_TRUE(RestoreStartImage(*doc).ok);
    EXPECT_EQ(layer.pixels, recorded);
    EXPECT_EQ(layer.x, 3);
    EXPECT_EQ(layer.transparency, 90);

    SetPixel(layer, 0, 0, 0xABCDEF);
    SaveStartImage(*doc);
    const std::vector<uint8_t> saved = layer.pixels;
    SetPixel(layer, 0, 0, 0x111111);
    ASSERT_TRUE(RestoreStartImage(*doc).ok);
    EXPECT_EQ(layer.pixels, saved);
    // The saved state never reaches the history: undo and redo bring back what was recorded.
    ASSERT_TRUE(Undo(*doc));
    ASSERT_TRUE(Redo(*doc));
    EXPECT_EQ(layer.pixels, recorded);
    SetPixel(layer, 0, 0, 0x111111);
    ASSERT_TRUE(RestoreStartImage(*doc).ok);
    EXPECT_EQ(layer.pixels, recorded);
}

TEST(OperationValues, ArgumentsAreReadAgainstTheParameterTable) {
    Operation op;
    op.key = "shadow";
    op.params = {{"size", "크기", 0, 30, 5}, {"colour", "색", 0, 0, 0x0000FF, ParamKind::kColour},
                 {"name", "이름", 0, 0, 0, ParamKind::kText}};
    const struct {
        CommandArgs args;
        std::string error;
        std::vector<int> numbers;
    } cases[] = {
        {{}, "", {5, 0x0000FF, 0}},
        {{{"size", "30"}, {"answer", "no"}}, "", {30, 0x0000FF, 0}},
        {{{"size", "31"}}, "bad value: size=31 (0..30)", {}},
        {{{"size", "-1"}}, "bad value: size=-1 (0..30)", {}},
        {{{"size", "3x"}}, "bad value: size=3x (0..30)", {}},
        {{{"colour", "#FF8000"}}, "", {5, 0x0080FF, 0}},
        {{{"colour", "65280"}}, "", {5, 65280, 0}},
        {{{"colour", "red"}}, "bad value: colour=red (#RRGGBB)", {}},
        {{{"width", "3"}}, "unknown key: width (shadow)", {}},
    };
    for (const auto& c : cases) {
        OpValues v;
        EXPECT_EQ(ReadValues(op, c.args, v), c.error);
        if (c.error.empty()) {
            EXPECT_EQ(v.numbers, c.numbers);
        }
    }
    OpValues named;
    EXPECT_EQ(ReadValues(op, {{"name", "맨위"}}, named), "");
    EXPECT_EQ(named.text, Utf8ToUtf16("맨위"));
    // Values from a dialog are clamped; missing ones take their defaults.
    EXPECT_EQ(ClampedValues(op, {99}).numbers, (std::vector<int>{30, 0x0000FF, 0}));
}

TEST(OperationTable, RunsClampValuesWhoeverCalls) {
    OperationTable table;
    int seen = -1;
    Operation op;
    op.id = 77;
    op.key = "seven";
    op.params = {{"n", "", 2, 9, 4}};
    op.run = [&](COrinDoc&, const OpValues& v) {
        seen = v[0];
        return Status::Ok();
    };
    table.Add(op);
    Bench bench(true);
    auto doc = bench.Open(2, 2, Gradient);
    const Operation* found = table.FindByName("77");
    ASSERT_EQ(found, table.FindByName("seven"));
    ASSERT_NE(found, nullptr);
    for (const auto& [given, used] : std::vector<std::pair<std::vector<int>, int>>{{{100}, 9}, {{-5}, 2}, {{}, 4}, {{6}, 6}}) {
        found->run(*doc, OpValues{given, {}});
        EXPECT_EQ(seen, used);
    }
    EXPECT_EQ(table.FindByName("-77"), nullptr);
    EXPECT_EQ(table.FindByName("78"), nullptr);
}

}  // namespace
