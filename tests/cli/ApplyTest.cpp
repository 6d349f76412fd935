// `tessaro-cli apply`: operations run in order as the editor runs them, each with its
// history step; `--layers` and `--history` show the result line by line; refusals are
// reported and the run goes on; usage errors run nothing.
#include <gtest/gtest.h>

#include <cstdio>

#include "CliSupport.h"
#include "Codecs.h"

using namespace cli_support;
using testing_support::FillTrueColour;
using testing_support::ReadFileBytes;

namespace {

using Lines_ = std::vector<std::string>;

constexpr const char* kSaveFailed = "파일을 저장할 수 없습니다.";

// --layers line of a layer of the 3 x 2 test picture.
std::string Layer(int slot, int kind, const std::string& name, int visible = 1, int transparency = 0, int blend = 0,
                  int x = 0, int y = 0) {
    return "slot=" + std::to_string(slot) + " kind=" + std::to_string(kind) + " visible=" + std::to_string(visible) +
           " transparency=" + std::to_string(transparency) + " blend=" + std::to_string(blend) +
           " x=" + std::to_string(x) + " y=" + std::to_string(y) + " width=3 height=2 name=" + name;
}

const std::string kBackdrop = Layer(0, 1, "배경영상");

// History rows "%3d %4s %13s": number, no palette colours, the label right-aligned in
// 13 characters.
std::string Row(int n, const std::string& label) {
    char number[8];
    std::snprintf(number, sizeof number, "%3d", n);
    return number + label;
}
const std::string kOpened = "  0             (처음영상)";
std::string Added(int n) { return Row(n, "              레이어추가"); }
std::string Deleted(int n) { return Row(n, "              레이어삭제"); }
std::string Pasted(int n) { return Row(n, "                붙이기"); }

class Apply : public CliTest {
protected:
    // in.bmp: 3 x 2, pixel (x, y) (y = 0 the bottom row) = 0x10 * (x + 1), 0x40 * y, 0x77.
    void SetUp() override {
        CImageBuffer picture(3, 2, 24, kFormatBmp);
        FillTrueColour(picture, Colour);
        ASSERT_TRUE(picture.Save(Work("in.bmp"), kFormatBmp));
    }
    static uint32_t Colour(int x, int y) { return uint32_t(0x10 * (x + 1)) << 16 | uint32_t(0x40 * y) << 8 | 0x77; }

    CliResult ApplyOps(const std::string& output, const std::vector<std::string>& ops) {
        std::vector<std::string> args = {"apply", "in.bmp", output, "--layers", "--history"};
        args.insert(args.end(), ops.begin(), ops.end());
        return Run(args);
    }
    // Output split into the layer lines and the history lines.
    static Lines_ LayerLines(const CliResult& r) {
        Lines_ lines;
        for (const std::string& l : r.OutLines())
            if (l.rfind("slot=", 0) == 0) lines.push_back(l);
        return lines;
    }
    static Lines_ HistoryLines(const CliResult& r) {
        Lines_ lines;
        for (const std::string& l : r.OutLines())
            if (l.rfind("slot=", 0) != 0) lines.push_back(l);
        return lines;
    }
    // The saved picture's colours as 0xRRGGBB, rows from the bottom.
    std::vector<uint32_t> SavedColours(const std::string& name) {
        CImageBuffer image;
        std::vector<uint32_t> colours;
        if (!DecodeFile(Work(name), image)) return colours;
        for (int y = 0; y < image.Height(); ++y)
            for (int x = 0; x < image.Width(); ++x) {
                const RgbQuad c = image.ColourAt(x, y);
                colours.push_back(uint32_t(c.red) << 16 | uint32_t(c.green) << 8 | c.blue);
            }
        return colours;
    }
    std::vector<uint32_t> OriginalColours() const {
        std::vector<uint32_t> colours;
        for (int y = 0; y < 2; ++y)
            for (int x = 0; x < 3; ++x) colours.push_back(Colour(x, y));
        return colours;
    }
};

TEST_F(Apply, AddDeleteUndoRedo) {
    // Deleting the current (top) layer makes the one below current; undo brings the
    // deleted layer back, redo deletes it again.
    CliResult r = ApplyOps("-", {"1552", "1552", "1553"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(LayerLines(r), (Lines_{kBackdrop, Layer(1, 0, "레이어 1")}));
    EXPECT_EQ(HistoryLines(r), (Lines_{Deleted(3), Added(2), Added(1), kOpened}));

    r = ApplyOps("-", {"1552", "1552", "1553", "57643"});
    EXPECT_EQ(LayerLines(r), (Lines_{kBackdrop, Layer(1, 0, "레이어 1"), Layer(2, 0, "레이어 2")}));
    EXPECT_EQ(HistoryLines(r), (Lines_{Added(2), Added(1), kOpened}));

    r = ApplyOps("-", {"1552", "1552", "1553", "57643", "57644"});
    EXPECT_EQ(LayerLines(r), (Lines_{kBackdrop, Layer(1, 0, "레이어 1")}));
    EXPECT_EQ(HistoryLines(r), (Lines_{Deleted(3), Added(2), Added(1), kOpened}));

    // Undo past the opening and redo past the top change nothing.
    r = ApplyOps("-", {"1552", "57643", "57643", "57643", "57644", "57644", "57644"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(LayerLines(r), (Lines_{kBackdrop, Layer(1, 0, "레이어 1")}));
    EXPECT_EQ(HistoryLines(r), (Lines_{Added(1), kOpened}));
    EXPECT_EQ(r.err, "");
}

TEST_F(Apply, RenameAndSetLayerRecordNoStep) {
    const CliResult r = ApplyOps("-", {"1552", "rename-layer:name=그림자층", "set-layer:visible=0,transparency=128,blend=3,x=-2,y=7",
                                       "select-layer:slot=0", "set-layer:blend=9", "rename-layer:name=0123456789abcdefgh"});
    EXPECT_EQ(r.status, 0) << r.err;
    // A name keeps at most 15 characters, as the rename dialog's field does.
    EXPECT_EQ(LayerLines(r), (Lines_{Layer(0, 1, "0123456789abcde", 1, 0, 9), Layer(1, 0, "그림자층", 0, 128, 3, -2, 7)}));
    EXPECT_EQ(HistoryLines(r), (Lines_{Added(1), kOpened}));
}

TEST_F(Apply, MoveLayerSwapsPlacesAndRecordsCodeFive) {
    // Stack 0, 1, 2 with 2 current; swapping 2 with 0 gives 2, 1, 0 and the bottom
    // follows.
    CliResult r = ApplyOps("-", {"1552", "1552", "move-layer:slot=0"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(LayerLines(r), (Lines_{Layer(2, 0, "레이어 2"), Layer(1, 0, "레이어 1"), kBackdrop}));
    EXPECT_EQ(HistoryLines(r), (Lines_{"  3          레이어 위치 이동", Added(2), Added(1), kOpened}));

    r = ApplyOps("-", {"1552", "1552", "move-layer:slot=0", "57643"});
    EXPECT_EQ(LayerLines(r), (Lines_{kBackdrop, Layer(1, 0, "레이어 1"), Layer(2, 0, "레이어 2")}));

    // A slot that holds no layer of the stack is refused; the run goes on.
    r = ApplyOps("-", {"move-layer:slot=5", "1552", "move-layer:slot=1", "move-layer:slot=30"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.ErrLines(), (Lines_{"no layer in slot 5", "no layer in slot 30"}));
    EXPECT_EQ(LayerLines(r), (Lines_{kBackdrop, Layer(1, 0, "레이어 1")}));  // swapping with itself: nothing
    EXPECT_EQ(HistoryLines(r), (Lines_{Added(1), kOpened}));
}

TEST_F(Apply, FlattenLeavesTheBottomLayerAndUndoBringsTheOthersBack) {
    CliResult r = ApplyOps("-", {"1552", "1552", "1500"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(LayerLines(r), (Lines_{kBackdrop}));
    EXPECT_EQ(HistoryLines(r), (Lines_{"  3                떡그림", Added(2), Added(1), kOpened}));

    r = ApplyOps("-", {"1552", "1552", "1500", "57643"});
    EXPECT_EQ(LayerLines(r), (Lines_{kBackdrop, Layer(1, 0, "레이어 1"), Layer(2, 0, "레이어 2")}));
    r = ApplyOps("-", {"1552", "1552", "1500", "57643", "57644"});
    EXPECT_EQ(LayerLines(r), (Lines_{kBackdrop}));
}

TEST_F(Apply, MergesWithTheNeighbours) {
    const std::string merged = "  3              레이어병합";
    // 1557: the current layer (1) and the one above it (2) become slot 1.
    CliResult r = ApplyOps("-", {"1552", "1552", "select-layer:slot=1", "1557"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(LayerLines(r), (Lines_{kBackdrop, Layer(1, 0, "레이어 1")}));
    EXPECT_EQ(HistoryLines(r), (Lines_{merged, Added(2), Added(1), kOpened}));

    // 1555: the layer below (0) and the current one (1) become slot 0; deleting slot 1
    // made its upper neighbour current, which is renamed after its slot.
    r = ApplyOps("-", {"1552", "rename-layer:name=가운데", "1552", "rename-layer:name=위", "select-layer:slot=1", "1555"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(LayerLines(r), (Lines_{kBackdrop, Layer(2, 0, "레이어 2")}));
    EXPECT_EQ(HistoryLines(r), (Lines_{merged, Added(2), Added(1), kOpened}));

    // Without that neighbour nothing happens and nothing is recorded.
    r = ApplyOps("-", {"1552", "1557", "select-layer:slot=0", "1555"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(LayerLines(r), (Lines_{kBackdrop, Layer(1, 0, "레이어 1")}));
    EXPECT_EQ(HistoryLines(r), (Lines_{Added(1), kOpened}));

    r = ApplyOps("-", {"1552", "1552", "select-layer:slot=1", "1557", "57643"});
    EXPECT_EQ(LayerLines(r), (Lines_{kBackdrop, Layer(1, 0, "레이어 1"), Layer(2, 0, "레이어 2")}));
}

TEST_F(Apply, CopyPasteCutAndDuplicate) {
    // Copy records nothing; paste makes a raster layer above the current one.
    for (const Lines_& ops : {Lines_{"copy", "paste"}, Lines_{"57634", "57637"}}) {
        const CliResult r = ApplyOps("-", ops);
        EXPECT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(LayerLines(r), (Lines_{kBackdrop, Layer(1, 0, "레이어 1")}));
        EXPECT_EQ(HistoryLines(r), (Lines_{Pasted(1), kOpened}));
    }
    // Duplicating the backdrop pastes a layer of its kind.
    CliResult r = ApplyOps("-", {"3500", "3500"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(LayerLines(r), (Lines_{kBackdrop, Layer(1, 1, "레이어 1"), Layer(2, 1, "레이어 2")}));
    EXPECT_EQ(HistoryLines(r), (Lines_{Pasted(2), Pasted(1), kOpened}));

    r = ApplyOps("-", {"cut", "57643", "57635"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(HistoryLines(r), (Lines_{"  1                자르기", kOpened}));

    // Paste with nothing copied does nothing.
    r = ApplyOps("-", {"paste"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(LayerLines(r), (Lines_{kBackdrop}));
    EXPECT_EQ(HistoryLines(r), (Lines_{kOpened}));
}

TEST_F(Apply, SavedPictureIsTheCompositeOfTheLayers) {
    // Cut and paste back: the same picture.
    CliResult r = ApplyOps("cut-paste.bmp", {"cut", "paste"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(SavedColours("cut-paste.bmp"), OriginalColours());

    // A copy of the picture moved one column right covers columns 1 and 2 with the
    // picture's columns 0 and 1; column 0 shows the backdrop.
    r = ApplyOps("shifted.bmp", {"copy", "paste", "set-layer:x=1"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(SavedColours("shifted.bmp"),
              (std::vector<uint32_t>{Colour(0, 0), Colour(0, 0), Colour(1, 0), Colour(0, 1), Colour(0, 1), Colour(1, 1)}));

    // Hidden, the moved copy changes nothing.
    r = ApplyOps("hidden.bmp", {"copy", "paste", "set-layer:x=1,visible=0"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(SavedColours("hidden.bmp"), OriginalColours());
}

TEST_F(Apply, LayerEffectRecordsItsStep) {
    const std::string effect = "  2         레이어효과(그림자)";
    for (const char* op : {"layer-effect:size=3", "layer-effect:size=3,colour=#FF8000", "1558:size=2"}) {
        SCOPED_TRACE(op);
        const CliResult r = ApplyOps("-", {"1552", op});
        EXPECT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(HistoryLines(r), (Lines_{effect, Added(1), kOpened}));
    }
}

TEST_F(Apply, BackdropQuestionAnsweredNoKeepsTheLayers) {
    CliResult r = ApplyOps("-", {"1552", "select-layer:slot=0", "1553:answer=no"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(LayerLines(r), (Lines_{kBackdrop, Layer(1, 0, "레이어 1")}));
    EXPECT_EQ(HistoryLines(r), (Lines_{Added(1), kOpened}));

    for (const char* yes : {"1553", "1553:answer=yes"}) {
        r = ApplyOps("-", {"1552", "select-layer:slot=0", yes});
        EXPECT_EQ(r.status, 0);
        EXPECT_EQ(LayerLines(r), (Lines_{Layer(1, 0, "레이어 1")}));
        EXPECT_EQ(HistoryLines(r), (Lines_{Deleted(2), Added(1), kOpened}));
    }
}

TEST_F(Apply, RefusedOperationIsReportedAndTheRunGoesOn) {
    const CliResult r = ApplyOps("out.bmp", {"1553", "1552", "select-layer:slot=7", "1553"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.ErrLines(), (Lines_{"레이어가 1개 밖에 없습니다", "no layer in slot 7"}));
    // The layer that becomes current after a delete is renamed after its slot.
    EXPECT_EQ(LayerLines(r), (Lines_{Layer(0, 1, "레이어 0")}));
    EXPECT_EQ(HistoryLines(r), (Lines_{Deleted(2), Added(1), kOpened}));
    EXPECT_EQ(SavedColours("out.bmp"), OriginalColours());
}

TEST_F(Apply, TheTwentySixthLayerIsRefused) {
    std::vector<std::string> ops(25, "1552");
    const CliResult r = ApplyOps("-", ops);
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.ErrLines(), Lines_{"레이어수 과다... 기존 레이어의 병합 혹은 제거하신 후에 다시 시도."});
    EXPECT_EQ(LayerLines(r).size(), 25u);
    // Twelve history positions: the oldest steps after the opening were dropped.
    EXPECT_EQ(HistoryLines(r).size(), 12u);
    EXPECT_EQ(HistoryLines(r).front(), Added(11));
    EXPECT_EQ(HistoryLines(r).back(), kOpened);
}

TEST_F(Apply, UsageErrorsRunNothing) {
    testing_support::WriteFileBytes(Work("out.bmp"), {'o', 'l', 'd'});
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"frobnicate", "unknown operation: frobnicate"},
        {"99999", "unknown operation: 99999"},
        {"1552x", "unknown operation: 1552x"},
        {":slot=1", "bad operation: :slot=1"},
        {"select-layer:slot", "bad operation: select-layer:slot"},
        {"select-layer:slot=one", "bad value: slot=one (-2147483648..2147483647)"},
        {"set-layer:blend=10", "bad value: blend=10 (0..9)"},
        {"set-layer:transparency=256", "bad value: transparency=256 (0..255)"},
        {"set-layer:visible=", "bad value: visible= (0..1)"},
        {"set-layer:colour=1", "unknown key: colour (set-layer)"},
        {"layer-effect:colour=red", "bad value: colour=red (#RRGGBB)"},
        {"1553:answer=maybe", "bad value: answer=maybe (yes or no)"},
    };
    for (const auto& [op, message] : cases) {
        SCOPED_TRACE(op);
        const CliResult r = Run({"apply", "in.bmp", "out.bmp", "--layers", "1552", op});
        EXPECT_EQ(r.status, 2);
        EXPECT_EQ(r.out, "");
        EXPECT_EQ(r.ErrLines(), Lines_{message});
    }
    EXPECT_EQ(ReadFileBytes(Work("out.bmp")), (std::vector<uint8_t>{'o', 'l', 'd'}));
}

TEST_F(Apply, DashSavesNothing) {
    const CliResult r = ApplyOps("-", {"1552"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(FolderEntries(WorkPath()), Lines_{"in.bmp"});
}

TEST_F(Apply, FailedSaveLeavesTheExistingFileUntouched) {
    const std::vector<uint8_t> old = {'P', 'C', 'X', 0, 1, 2, 3};
    testing_support::WriteFileBytes(Work("out.pcx"), old);
    for (const Lines_& ops : {Lines_{}, Lines_{"1552"}}) {
        const CliResult r = ApplyOps("out.pcx", ops);
        EXPECT_EQ(r.status, 1);
        EXPECT_EQ(r.ErrLines(), Lines_{kSaveFailed});
        EXPECT_EQ(LayerLines(r).size(), ops.size() + 1);  // printed before the save
    }
    EXPECT_EQ(ReadFileBytes(Work("out.pcx")), old);
    EXPECT_EQ(FolderEntries(WorkPath()), (Lines_{"in.bmp", "out.pcx"}));
}

TEST_F(Apply, ProjectKeepsTheLayersThroughARoundTrip) {
    const Lines_ layers = {kBackdrop, Layer(1, 0, "레이어 1", 0, 40, 2, 1, -1), Layer(2, 0, "맨위", 1, 0, 5)};
    CliResult r = ApplyOps("project.tsr", {"1552", "set-layer:visible=0,transparency=40,blend=2,x=1,y=-1", "1552",
                                           "rename-layer:name=맨위", "set-layer:blend=5"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(LayerLines(r), layers);

    r = Run({"info", "project.tsr"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.OutLines().back(), "layers 3");

    // Read back, and written again through another apply: the same layers, a fresh
    // history, and the composite saved from the copy equals the one from the original.
    r = Run({"apply", "project.tsr", "again.tsr", "--layers", "--history"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(LayerLines(r), layers);
    EXPECT_EQ(HistoryLines(r), Lines_{kOpened});
    r = Run({"apply", "again.tsr", "-", "--layers"});
    EXPECT_EQ(LayerLines(r), layers);

    ASSERT_EQ(Run({"convert", "project.tsr", "a.bmp"}).status, 0);
    ASSERT_EQ(Run({"convert", "again.tsr", "b.bmp"}).status, 0);
    EXPECT_EQ(SavedColours("a.bmp"), SavedColours("b.bmp"));
    EXPECT_EQ(SavedColours("a.bmp").size(), 6u);
}

}  // namespace
