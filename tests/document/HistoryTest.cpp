// Undo and redo: the twelve positions, undo and redo of every operation code on a
// document with several layers (whole layers and the stack compared), the step files
// and the head file byte for byte, the 12-position shift, unreadable step files,
// memory and disk storage, the history rows and the redo title.
#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>

#include "ByteStream.h"
#include "ClipboardOps.h"
#include "CommandMap.h"
#include "DocTestSupport.h"
#include "DocumentOperations.h"
#include "Endian.h"
#include "History.h"
#include "LayerOps.h"
#include "Messages.h"

using namespace doctest;
using testing_support::ReadFileBytes;

namespace {

// A step or head file's bytes as they were written (the disk holds them compressed).
std::vector<uint8_t> StepBytes(const COrinDoc& doc, const std::string& path) {
    std::vector<uint8_t> bytes;
    std::unique_ptr<ByteStream> in = doc.workspace.steps->Read(path);
    if (!in) return bytes;
    bytes.resize(size_t(in->Size()));
    EXPECT_TRUE(in->ReadExact(bytes.data(), bytes.size()));
    return bytes;
}

std::string Label(const COrinDoc& doc, int position) { return Utf16ToUtf8(doc.history.entries[size_t(position)].label); }

void PaintStep(COrinDoc& doc, int slot, int seed, const char* label = "붓 그리기") {
    LayerRecord& r = doc.layers[slot];
    for (size_t i = 0; i < r.pixels.size(); ++i) r.pixels[i] = uint8_t(i * 7 + size_t(seed) * 31);
    for (size_t i = 0; i < r.alpha.size(); ++i) r.alpha[i] = uint8_t(i * 3 + size_t(seed));
    RecordStep(doc, label, kStepPixels, slot);
}

TEST(HistoryPositions, FifteenStepsKeepTheFirstTwoAndTheLastTen) {
    Bench bench;
    auto doc = bench.Open(3, 2, Gradient);
    for (int i = 1; i <= 14; ++i) RecordStep(*doc, "s" + std::to_string(i), kStepPixels);
    EXPECT_EQ(doc->history.position, 11);
    EXPECT_EQ(doc->history.top, 11);
    EXPECT_EQ(Label(*doc, 0), "Opening....");
    EXPECT_EQ(Label(*doc, 1), "s1");
    for (int p = 2; p <= 11; ++p) EXPECT_EQ(Label(*doc, p), "s" + std::to_string(p + 3)) << p;
    // The step files were renamed along: position n holds the step now at n.
    for (int p = 0; p <= 11; ++p) EXPECT_TRUE(std::filesystem::exists(StepFilePath(*doc, p))) << p;
}

TEST(HistoryPositions, UndoAtZeroAndRedoAtTopDoNothing) {
    Bench bench;
    auto doc = bench.Open(3, 2, Gradient);
    const DocState start = Capture(*doc);
    EXPECT_FALSE(Undo(*doc));
    EXPECT_EQ(doc->history.position, 0);
    EXPECT_FALSE(Redo(*doc));
    EXPECT_EQ(doc->history.position, 0);
    EXPECT_SAME_STATE(start, Capture(*doc));
    EXPECT_FALSE(CanUndo(*doc));
    EXPECT_FALSE(CanRedo(*doc));
}

TEST(HistoryPositions, ANewStepAfterTwoUndosMakesRedoImpossible) {
    Bench bench;
    auto doc = bench.Open(3, 2, Gradient);
    for (int i = 1; i <= 4; ++i) PaintStep(*doc, 0, i);
    ASSERT_TRUE(Undo(*doc));
    ASSERT_TRUE(Undo(*doc));
    EXPECT_TRUE(CanRedo(*doc));
    PaintStep(*doc, 0, 9, "new");
    EXPECT_EQ(doc->history.position, 3);
    EXPECT_EQ(doc->history.top, 3);
    EXPECT_FALSE(CanRedo(*doc));
    const DocState now = Capture(*doc);
    EXPECT_FALSE(Redo(*doc));
    EXPECT_EQ(doc->history.position, 3);
    EXPECT_SAME_STATE(now, Capture(*doc));
}

TEST(HistoryPositions, DocumentsUseTheirOwnStepFiles) {
    Bench bench;
    auto a = bench.Open(3, 2, Gradient);
    auto b = bench.Open(3, 2, [](int, int) { return 0x123456u; });
    EXPECT_EQ(a->number, 101);
    EXPECT_EQ(b->number, 102);
    EXPECT_EQ(std::filesystem::path(StepFilePath(*a, 0)).filename(), "101ud0.tmp");
    EXPECT_EQ(std::filesystem::path(StepFilePath(*b, 0)).filename(), "102ud0.tmp");
    EXPECT_EQ(std::filesystem::path(HeadFilePath(*b)).filename(), "WrIniLrList_Head_102.tmp");
    PaintStep(*a, 0, 1);
    PaintStep(*b, 0, 2);
    ASSERT_TRUE(Undo(*a));
    ASSERT_TRUE(Undo(*b));
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x) {
            EXPECT_EQ(PixelAt(a->layers[0], x, y), Gradient(x, y));
            EXPECT_EQ(PixelAt(b->layers[0], x, y), 0x123456u);
        }
}

// ---- Undo and redo of every operation code ----

struct OperationCase {
    const char* name;
    int code;
    std::function<void(COrinDoc&)> run;
};

void Select(COrinDoc& doc, int slot) { SelectLayer(doc, slot); }

const std::vector<OperationCase>& Operations() {
    static const std::vector<OperationCase> cases = {
        {"paint a larger layer with offsets", kStepPixels, [](COrinDoc& d) { PaintStep(d, 2, 5); }},
        {"delete the top layer (the one below is renamed)", kStepDelete,
         [](COrinDoc& d) { EXPECT_TRUE(DeleteLayer(d).ok); }},
        {"delete a middle layer", kStepDelete,
         [](COrinDoc& d) {
             Select(d, 1);
             EXPECT_TRUE(DeleteLayer(d).ok);
         }},
        {"delete the backdrop", kStepDelete,
         [](COrinDoc& d) {
             Select(d, 0);
             EXPECT_TRUE(DeleteLayer(d).ok);
         }},
        {"add above the top", kStepAdd, [](COrinDoc& d) { EXPECT_TRUE(AddLayer(d).ok); }},
        {"add above a middle layer", kStepAdd,
         [](COrinDoc& d) {
             Select(d, 1);
             EXPECT_TRUE(AddLayer(d).ok);
         }},
        {"paste", kStepPaste,
         [](COrinDoc& d) {
             Select(d, 2);
             EXPECT_TRUE(CopyToClipboard(d).ok);
             EXPECT_TRUE(PasteFromClipboard(d).ok);
         }},
        {"duplicate", kStepPaste,
         [](COrinDoc& d) {
             Select(d, 1);
             EXPECT_TRUE(DuplicateLayer(d).ok);
         }},
        {"swap neighbours", kStepMove, [](COrinDoc& d) { EXPECT_TRUE(SwapLayers(d, 2, 3).ok); }},
        {"swap with the bottom", kStepMove, [](COrinDoc& d) { EXPECT_TRUE(SwapLayers(d, 0, 2).ok); }},
        {"change every layer", kStepAllLayers,
         [](COrinDoc& d) {
             BeginAllLayerChange(d);
             for (int slot : d.layers.Chain()) {
                 LayerRecord& r = d.layers[slot];
                 for (uint8_t& b : r.pixels) b = uint8_t(255 - b);
                 for (uint8_t& a : r.alpha) a = uint8_t(a / 2);
                 r.x += 1;
             }
             RecordStep(d, "반전변환", kStepAllLayers);
         }},
        {"flatten", kStepFlatten, [](COrinDoc& d) { EXPECT_TRUE(FlattenLayers(d).ok); }},
        {"merge the top into the layer below", kStepMerge, [](COrinDoc& d) { EXPECT_TRUE(MergeWithLayerBelow(d).ok); }},
        {"merge a middle layer with the one above", kStepMerge,
         [](COrinDoc& d) {
             Select(d, 1);
             EXPECT_TRUE(MergeWithLayerAbove(d).ok);
         }},
        {"merge into the backdrop (the layer above is renamed)", kStepMerge,
         [](COrinDoc& d) {
             Select(d, 1);
             EXPECT_TRUE(MergeWithLayerBelow(d).ok);
         }},
        {"layer effect", kStepPixels,
         [](COrinDoc& d) {
             Select(d, 1);
             EXPECT_TRUE(ApplyLayerEffect(d, 2, 0x0000FF).ok);
         }},
    };
    return cases;
}

TEST(HistoryRoundTrip, UndoAndRedoOfEveryOperationBringBackWholeLayersAndTheStack) {
    for (const OperationCase& c : Operations()) {
        SCOPED_TRACE(c.name);
        Bench bench;
        auto doc = OpenRich(bench);
        const DocState before = Capture(*doc);
        c.run(*doc);
        ASSERT_EQ(doc->history.position, 7);
        EXPECT_EQ(doc->history.entries[7].code, c.code);
        const DocState after = Capture(*doc);
        ASSERT_NE(Difference(before, after), "");
        for (int round = 0; round < 2; ++round) {
            ASSERT_TRUE(Undo(*doc));
            EXPECT_EQ(doc->history.position, 6);
            EXPECT_SAME_STATE(before, Capture(*doc));
            ASSERT_TRUE(Redo(*doc));
            EXPECT_EQ(doc->history.position, 7);
            EXPECT_SAME_STATE(after, Capture(*doc));
        }
    }
}

TEST(HistoryRoundTrip, EveryPositionComesBackOnTheWayDownAndUp) {
    Bench bench;
    std::vector<DocState> states;
    auto doc = OpenRich(bench, &states);
    ASSERT_EQ(states.size(), 7u);
    for (int p = 5; p >= 0; --p) {
        ASSERT_TRUE(Undo(*doc));
        EXPECT_SAME_STATE(states[size_t(p)], Capture(*doc)) << "undo to " << p;
    }
    for (int p = 1; p <= 6; ++p) {
        ASSERT_TRUE(Redo(*doc));
        EXPECT_SAME_STATE(states[size_t(p)], Capture(*doc)) << "redo to " << p;
    }
}

TEST(HistoryRoundTrip, ALayerBroughtBackAfterItsSlotWasReusedIsTheOldLayer) {
    // Deleting "Paint" (slot 1) and adding a layer, which takes slot 1 again; undoing
    // both must bring back "Paint" with its name, mode, pixels and planes.
    Bench bench;
    std::vector<DocState> states;
    auto doc = OpenRich(bench, &states);
    Select(*doc, 1);
    ASSERT_TRUE(DeleteLayer(*doc).ok);
    const DocState deleted = Capture(*doc);
    ASSERT_TRUE(AddLayer(*doc).ok);
    EXPECT_EQ(doc->layers.current, 1);
    const DocState added = Capture(*doc);
    ASSERT_TRUE(Undo(*doc));
    EXPECT_SAME_STATE(deleted, Capture(*doc));
    ASSERT_TRUE(Undo(*doc));
    EXPECT_SAME_STATE(states[6], Capture(*doc));
    ASSERT_TRUE(Redo(*doc));
    EXPECT_SAME_STATE(deleted, Capture(*doc));
    ASSERT_TRUE(Redo(*doc));
    EXPECT_SAME_STATE(added, Capture(*doc));
}

TEST(HistoryRoundTrip, UndoingBackToADeleteLeavesAUsableCurrentLayer) {
    // The step returned to is the delete itself: its layer is out of the stack, so it
    // cannot be the current one. A layer added next must go into the stack.
    Bench bench;
    auto doc = OpenRich(bench);
    Select(*doc, 1);
    ASSERT_TRUE(DeleteLayer(*doc).ok);
    ASSERT_TRUE(AddLayer(*doc).ok);
    ASSERT_TRUE(Undo(*doc));
    ASSERT_TRUE(doc->layers.IsCurrentValid());
    const std::vector<int> chain = doc->layers.Chain();
    EXPECT_EQ(chain, (std::vector<int>{0, 2, 3}));
    ASSERT_TRUE(AddLayer(*doc).ok);
    EXPECT_EQ(doc->layers.Chain().size(), 4u);
    EXPECT_EQ(doc->layers.bottom, 0);
}

TEST(HistoryRoundTrip, AMergedAwayLayerComesBackAfterItsSlotWasReused) {
    Bench bench;
    std::vector<DocState> states;
    auto doc = OpenRich(bench, &states);
    ASSERT_TRUE(MergeWithLayerBelow(*doc).ok);  // "Sky" (slot 3) into "Tree" (slot 2)
    ASSERT_EQ(doc->layers[3].inUse, 0);
    const DocState merged = Capture(*doc);
    ASSERT_TRUE(AddLayer(*doc).ok);
    ASSERT_EQ(doc->layers.current, 3);
    ASSERT_TRUE(Undo(*doc));
    EXPECT_SAME_STATE(merged, Capture(*doc));
    ASSERT_TRUE(Undo(*doc));
    EXPECT_SAME_STATE(states[6], Capture(*doc));
}

TEST(HistoryRoundTrip, TextComesBackFromAnOlderStepFile) {
    // A text layer made at position 1, slot 0 painted at 2, the text changed at 3:
    // undoing to 2 must bring the first text back from position 1's file.
    Bench bench;
    auto doc = bench.Open(4, 3, Gradient);
    LayerSlotParams p;
    p.slot = 1;
    p.width = 4;
    p.height = 3;
    p.bpp = 24;
    p.canvasWidth = 4;
    p.canvasHeight = 3;
    p.kind = kLayerText;
    p.alphaFill = 200;
    ASSERT_TRUE(CreateLayerInSlot(*doc, p));
    LayerRecord& t = doc->layers[1];
    t.inUse = 1;
    t.visible = 1;
    t.below = 0;
    t.name = u"T";
    t.colour = 0x00FF00;
    doc->layers[0].above = 1;
    t.text = U("가나다");
    t.textLength = 3;
    SelectLayer(*doc, 1);
    RecordStep(*doc, "글자입력", kStepText);
    PaintStep(*doc, 0, 4);
    const DocState painted = Capture(*doc);
    t.text = U("라마");
    t.textLength = 2;
    t.alpha[0] = 1;
    RecordStep(*doc, "글자입력", kStepPixels, 1);
    const DocState edited = Capture(*doc);
    ASSERT_TRUE(Undo(*doc));
    EXPECT_SAME_STATE(painted, Capture(*doc));
    EXPECT_EQ(doc->layers[1].text, U("가나다"));
    ASSERT_TRUE(Redo(*doc));
    EXPECT_SAME_STATE(edited, Capture(*doc));
}

TEST(HistoryRoundTrip, AllLayerStepRestoresBeforeCopiesAndRedoesAfterCopiesWithTheCanvas) {
    // A code-6 change of depth: every layer becomes 8 bits with a grey palette.
    Bench bench;
    auto doc = OpenRich(bench);
    const DocState before = Capture(*doc);
    BeginAllLayerChange(*doc);
    for (int slot = 0; slot < kMaxLayers; ++slot) {
        LayerRecord& r = doc->layers[slot];
        if (!r.inUse) continue;
        std::vector<uint8_t> grey(size_t(RowStride(r.width, 8)) * size_t(r.height), 0);
        for (int y = 0; y < r.height; ++y)
            for (int x = 0; x < r.width; ++x) grey[size_t(y) * size_t(RowStride(r.width, 8)) + size_t(x)] = uint8_t(PixelAt(r, x, y));
        r.stride = RowStride(r.width, 8);
        r.pixelSize = r.stride * r.height;
        r.pixels = grey;
    }
    doc->canvas.bpp = 8;
    doc->canvas.paletteCount = 256;
    doc->palette.resize(256);
    for (int i = 0; i < 256; ++i) doc->palette[size_t(i)] = RgbQuad{uint8_t(i), uint8_t(i), uint8_t(i), 0};
    RefreshCanvasSizes(*doc);
    doc->workspace.newWidth = 31;
    doc->workspace.newHeight = 17;
    RecordStep(*doc, "그레이스케일 표현", kStepAllLayers);
    const DocState after = Capture(*doc);
    ASSERT_TRUE(Undo(*doc));
    EXPECT_SAME_STATE(before, Capture(*doc));
    EXPECT_EQ(doc->canvas.bpp, 24);
    EXPECT_TRUE(doc->palette.empty());
    doc->workspace.newWidth = doc->workspace.newHeight = 0;
    ASSERT_TRUE(Redo(*doc));
    EXPECT_SAME_STATE(after, Capture(*doc));
    EXPECT_EQ(doc->workspace.newWidth, 31);  // the two document-level values come back
    EXPECT_EQ(doc->workspace.newHeight, 17);
}

TEST(HistoryRoundTrip, UndoOfAPastedBackdropCopyAsksAndCanBeRefused) {
    Bench bench;
    auto doc = bench.Open(4, 3, Gradient);
    Select(*doc, 0);
    ASSERT_TRUE(DuplicateLayer(*doc).ok);  // the copy takes the backdrop kind
    EXPECT_EQ(doc->layers[1].kind, kLayerBackdrop);
    const DocState pasted = Capture(*doc);
    bench.host.answer = false;
    EXPECT_FALSE(UndoStep(*doc));
    EXPECT_EQ(doc->history.position, 1);
    EXPECT_SAME_STATE(pasted, Capture(*doc));
    ASSERT_EQ(bench.host.questions.size(), 1u);
    EXPECT_EQ(bench.host.questions[0], "배경영상 레이어를 삭제합니다");
    bench.host.answer = true;
    EXPECT_TRUE(UndoStep(*doc));
    EXPECT_EQ(doc->layers.Chain(), std::vector<int>{0});
}

// ---- Files ----

TEST(StepFiles, HoldPixelsAlphaAuxMaskAndText) {
    Bench bench;
    auto doc = bench.Open(6, 4, Gradient);  // stride 20: pixels 80, planes 24
    const std::vector<uint8_t> file0 = StepBytes(*doc, StepFilePath(*doc, 0));
    ASSERT_EQ(file0.size(), 80u + 24 + 24 + 24);
    const LayerRecord& r = doc->layers[0];
    EXPECT_TRUE(std::equal(r.pixels.begin(), r.pixels.end(), file0.begin()));
    EXPECT_EQ(std::vector<uint8_t>(file0.begin() + 80, file0.begin() + 104), std::vector<uint8_t>(24, 255));
    EXPECT_EQ(std::vector<uint8_t>(file0.begin() + 104, file0.begin() + 128), std::vector<uint8_t>(24, 0));
    EXPECT_EQ(std::vector<uint8_t>(file0.begin() + 128, file0.end()), std::vector<uint8_t>(24, 1));

    // A text layer: 8-bit pixels (plane size), alpha, aux, the mask, then the text.
    LayerSlotParams p;
    p.slot = 1;
    p.width = 6;
    p.height = 4;
    p.bpp = 24;
    p.canvasWidth = 6;
    p.canvasHeight = 4;
    p.kind = kLayerText;
    p.alphaFill = 7;
    ASSERT_TRUE(CreateLayerInSlot(*doc, p));
    LayerRecord& t = doc->layers[1];
    t.inUse = 1;
    t.visible = 1;
    t.below = 0;
    doc->layers[0].above = 1;
    t.text = U("가나다");
    t.textLength = 3;
    t.aux[5] = 99;
    doc->selection.bytes[2] = 0;
    SelectLayer(*doc, 1);
    RecordStep(*doc, "글자입력", kStepText);
    const std::vector<uint8_t> file1 = StepBytes(*doc, StepFilePath(*doc, 1));
    ASSERT_EQ(file1.size(), 24u * 4 + 6);
    EXPECT_EQ(std::vector<uint8_t>(file1.begin(), file1.begin() + 24), std::vector<uint8_t>(24, 255));
    EXPECT_EQ(std::vector<uint8_t>(file1.begin() + 24, file1.begin() + 48), std::vector<uint8_t>(24, 7));
    EXPECT_EQ(file1[48 + 5], 99);
    EXPECT_EQ(file1[72 + 2], 0);
    EXPECT_EQ(file1[72 + 3], 1);
    EXPECT_EQ(GetLE16(file1.data() + 96), 0xAC00);  // 가
    EXPECT_EQ(GetLE16(file1.data() + 98), 0xB098);  // 나
    EXPECT_EQ(GetLE16(file1.data() + 100), 0xB2E4); // 다
}

TEST(StepFiles, HeadFileHoldsTheCanvasAndEveryLayerWithItsIndexLine) {
    Bench bench;
    auto doc = bench.Open(6, 4, Gradient);
    const std::vector<uint8_t> head = StepBytes(*doc, HeadFilePath(*doc));
    const std::string line = "388 80 24";
    ASSERT_EQ(head.size(), 256 + line.size() + 388 + 80 + 24 + 24);
    uint8_t canvas[256];
    SerializeCanvasHeader(doc->canvas, canvas);
    EXPECT_TRUE(std::equal(canvas, canvas + 256, head.begin()));
    EXPECT_EQ(GetLE32(head.data() + 200), 4u);
    EXPECT_EQ(GetLE32(head.data() + 204), 6u);
    EXPECT_EQ(GetLE32(head.data() + 228), 80u);
    EXPECT_EQ(std::string(head.begin() + 256, head.begin() + 256 + long(line.size())), line);
    uint8_t record[388];
    SerializeLayerRecord(doc->layers[0], record, 388);
    const size_t at = 256 + line.size();
    EXPECT_TRUE(std::equal(record, record + 388, head.begin() + long(at)));
    EXPECT_TRUE(std::equal(doc->layers[0].pixels.begin(), doc->layers[0].pixels.end(), head.begin() + long(at + 388)));
    EXPECT_EQ(head[at + 388 + 80], 255);  // alpha
    EXPECT_EQ(head.back(), 0);            // aux
}

TEST(StepFiles, AStepFileThatCannotBeReadLeavesTheLayerUnchanged) {
    for (int damage = 0; damage < 3; ++damage) {
        SCOPED_TRACE(damage);
        Bench bench;
        auto doc = bench.Open(6, 4, Gradient);
        PaintStep(*doc, 0, 3);
        const DocState painted = Capture(*doc);
        const std::string file0 = StepFilePath(*doc, 0);
        std::vector<uint8_t> bytes = StepBytes(*doc, file0);
        if (damage == 0) std::filesystem::remove(file0);
        if (damage == 1) bytes.resize(100);  // inside the alpha plane
        if (damage == 2) bytes.pop_back();   // only the mask's last byte missing
        if (damage > 0) ASSERT_TRUE(bench.workspace.steps->Write(file0, {{bytes.data(), bytes.size()}}));
        Undo(*doc);
        EXPECT_SAME_STATE(painted, Capture(*doc));
    }
}

TEST(StepFiles, AStepFileThatCannotBeWrittenLeavesNoOlderFileToBeReadInstead) {
    // Position 1 first holds a step that is undone; the step recorded there next cannot
    // be written. Undoing back to position 1 must not bring the undone step's pixels.
    Bench bench;
    auto storage = std::make_shared<FailingStorage>();
    bench.workspace.steps = storage;
    auto doc = bench.Open(4, 3, Gradient);
    PaintStep(*doc, 0, 1);
    const DocState undone = Capture(*doc);
    ASSERT_TRUE(Undo(*doc));
    storage->failWrites = true;
    PaintStep(*doc, 0, 2);
    PaintStep(*doc, 0, 2);
    // The user hears of it once, and again only after a step was kept in between.
    EXPECT_EQ(bench.host.messages, std::vector<std::string>{msg::kStepNotKept});
    storage->failWrites = false;
    PaintStep(*doc, 0, 3);
    const DocState third = Capture(*doc);
    // Nothing to read: the undo is refused and nothing changes, the position included.
    EXPECT_FALSE(Undo(*doc));
    EXPECT_TRUE(doc->history.unreadable);
    EXPECT_EQ(doc->history.position, 3);
    EXPECT_NE(Difference(undone, Capture(*doc)), "");
    EXPECT_SAME_STATE(third, Capture(*doc));
}

TEST(StepFiles, FailedWritesAreReportedAndAnUndoOrRedoThatCannotRestoreChangesNothing) {
    Bench bench;
    auto storage = std::make_shared<FailingStorage>();
    bench.workspace.steps = storage;
    auto doc = bench.Open(4, 3, Gradient);
    PaintStep(*doc, 0, 1);
    EXPECT_TRUE(bench.host.messages.empty());
    storage->failWrites = true;
    PaintStep(*doc, 0, 2);  // position 2: not stored
    EXPECT_EQ(bench.host.messages, std::vector<std::string>{msg::kStepNotKept});
    storage->failWrites = false;
    PaintStep(*doc, 0, 3);
    PaintStep(*doc, 0, 4);
    EXPECT_EQ(bench.host.messages.size(), 1u);
    // Back to 3 works; back to 2 needs the file that was never written. The undo and
    // redo commands (menu, keys, batch tool) say so.
    OperationTable commands;
    AddDocumentOperations(commands);
    auto command = [&](int id) { return commands.Find(id)->run(*doc, OpValues{}); };
    ASSERT_TRUE(Undo(*doc));
    const DocState atThree = Capture(*doc);
    EXPECT_EQ(command(kCmdUndo).message, msg::kUndoFailed);
    EXPECT_TRUE(doc->history.unreadable);
    EXPECT_EQ(doc->history.position, 3);
    EXPECT_SAME_STATE(atThree, Capture(*doc));
    // Redo still works, and a redo whose file is gone is refused in the same way.
    ASSERT_TRUE(Redo(*doc));
    EXPECT_FALSE(doc->history.unreadable);
    ASSERT_TRUE(Undo(*doc));
    storage->Remove(StepFilePath(*doc, 4));
    EXPECT_EQ(command(kCmdRedo).message, msg::kRedoFailed);
    EXPECT_TRUE(doc->history.unreadable);
    EXPECT_EQ(doc->history.position, 3);
    EXPECT_SAME_STATE(atThree, Capture(*doc));
}

// Free bytes that the step folder's file system reports in the next test.
std::atomic<int64_t> g_freeBytes{0};
int64_t SimulatedFreeSpace(const std::string&) { return g_freeBytes; }

// Steps of a big layer on disk: colours that cannot shrink and planes that shrink to
// almost nothing come back exactly. A disk too full for the next step refuses it with
// the system's message; every step before it still undoes and redoes, and the refused
// one is refused again rather than brought back wrong.
TEST(StepFiles, BigStepsComeBackFromCompressedFilesAndAFullDiskKeepsTheHistory) {
    Bench bench;
    g_freeBytes = int64_t(1) << 40;
    bench.workspace.steps = std::make_shared<DiskStepStorage>(SimulatedFreeSpace);
    auto doc = bench.Open(700, 500, Gradient);  // 1 MB of pixels: a step whose room is checked
    const DocState opened = Capture(*doc);
    LayerRecord& layer = doc->layers[0];
    uint32_t state = 12345;
    for (uint8_t& b : layer.pixels) {
        state ^= state << 13, state ^= state >> 17, state ^= state << 5;
        b = uint8_t(state);
    }
    RecordStep(*doc, "붓 그리기", kStepPixels);
    const DocState noisy = Capture(*doc);
    const uint64_t planes = layer.pixels.size() + 2 * layer.alpha.size();
    const uint64_t onDisk = std::filesystem::file_size(StepFilePath(*doc, 1));
    EXPECT_GE(onDisk, layer.pixels.size());
    EXPECT_LT(onDisk, layer.pixels.size() + (planes - layer.pixels.size()) / 8);

    g_freeBytes = int64_t(kStepReserveBytes);  // nothing left above the reserve
    PaintStep(*doc, 0, 5);
    EXPECT_EQ(bench.host.messages, std::vector<std::string>{msg::kStepNotKept});
    EXPECT_FALSE(std::filesystem::exists(StepFilePath(*doc, 2)));
    ASSERT_TRUE(Undo(*doc));
    EXPECT_SAME_STATE(noisy, Capture(*doc));
    ASSERT_TRUE(Undo(*doc));
    EXPECT_SAME_STATE(opened, Capture(*doc));
    ASSERT_TRUE(Redo(*doc));
    EXPECT_SAME_STATE(noisy, Capture(*doc));
    EXPECT_FALSE(Redo(*doc));
    EXPECT_TRUE(doc->history.unreadable);
    EXPECT_SAME_STATE(noisy, Capture(*doc));
}

TEST(StepFiles, ADeletedLayerWhoseStepCouldNotBeWrittenIsNotBroughtBackEmpty) {
    Bench bench;
    auto storage = std::make_shared<FailingStorage>();
    bench.workspace.steps = storage;
    auto doc = bench.Open(4, 3, Gradient);
    ASSERT_TRUE(AddLayer(*doc).ok);
    PaintStep(*doc, doc->layers.current, 5);
    storage->failWrites = true;
    ASSERT_TRUE(DeleteLayer(*doc).ok);
    EXPECT_EQ(bench.host.messages, std::vector<std::string>{msg::kStepNotKept});
    storage->failWrites = false;
    const DocState deleted = Capture(*doc);
    EXPECT_FALSE(Undo(*doc));
    EXPECT_TRUE(doc->history.unreadable);
    EXPECT_SAME_STATE(deleted, Capture(*doc));
}

TEST(StepFiles, UndoAcrossTheTwelvePositionShiftUsesDroppedSteps) {
    // Slot 1 is painted at step 3, which is dropped later; steps 5..14 paint slot 0
    // except step 9, which paints slot 1 again. Undoing step 9 must bring slot 1 back
    // as step 3 left it.
    Bench bench;
    auto doc = bench.Open(4, 3, Gradient);
    std::vector<DocState> states(1, Capture(*doc));
    ASSERT_TRUE(AddLayer(*doc).ok);  // step 1, slot 1
    states.push_back(Capture(*doc));
    for (int step = 2; step <= 14; ++step) {
        const int slot = step == 3 || step == 9 ? 1 : 0;
        PaintStep(*doc, slot, step, ("s" + std::to_string(step)).c_str());
        states.push_back(Capture(*doc));
    }
    ASSERT_EQ(doc->history.position, 11);
    // Positions 11..2 hold steps 14..5.
    for (int p = 10; p >= 2; --p) {
        ASSERT_TRUE(Undo(*doc));
        EXPECT_SAME_STATE(states[size_t(p + 3)], Capture(*doc)) << "position " << p;
    }
    // Position 1 is step 1 again: both layers as they were then.
    ASSERT_TRUE(Undo(*doc));
    EXPECT_SAME_STATE(states[1], Capture(*doc));
    ASSERT_TRUE(Undo(*doc));
    EXPECT_SAME_STATE(states[0], Capture(*doc));
}

TEST(StepFiles, ADroppedAllLayerStepStillHoldsEveryLayer) {
    // Step 2 changes both layers (code 6) and is dropped later; slot 1 is painted again
    // only at step 11. Undoing step 11 brings slot 1 back as step 2 left it.
    Bench bench;
    auto doc = bench.Open(4, 3, Gradient);
    ASSERT_TRUE(AddLayer(*doc).ok);  // 1
    std::vector<DocState> states = {DocState{}, Capture(*doc)};
    BeginAllLayerChange(*doc);
    for (int slot : {0, 1}) {
        for (uint8_t& b : doc->layers[slot].pixels) b = uint8_t(b ^ 0x5A);
        for (uint8_t& a : doc->layers[slot].alpha) a = uint8_t(a / 3 + 7);
    }
    RecordStep(*doc, "반전변환", kStepAllLayers);  // 2
    states.push_back(Capture(*doc));
    for (int step = 3; step <= 12; ++step) {
        PaintStep(*doc, step == 11 ? 1 : 0, step);
        states.push_back(Capture(*doc));
    }
    ASSERT_EQ(doc->history.position, 11);  // steps 12 and 11 at positions 11 and 10
    ASSERT_TRUE(Undo(*doc));
    EXPECT_SAME_STATE(states[11], Capture(*doc));
    ASSERT_TRUE(Undo(*doc));
    EXPECT_SAME_STATE(states[10], Capture(*doc));
}

TEST(StepFiles, UndoFallsBackToTheHeadFileForALayerNoStepConcerned) {
    // A project-like start: two layers, the first step concerns slot 1 only. Flattening
    // into slot 0 and undoing must bring slot 0 back although no step holds it.
    Bench bench;
    auto doc = bench.Open(4, 3, Gradient);
    ASSERT_TRUE(AddLayer(*doc).ok);
    Paint(doc->layers[1], [](int x, int) { return uint32_t(x * 0x111111); }, [](int x, int) { return uint8_t(x * 80); });
    doc->layers[0].x = 1;
    doc->history.position = -1;
    RecordStep(*doc, "Opening....", kStepPixels, 1);  // the history restarts on slot 1
    const DocState start = Capture(*doc);
    ASSERT_TRUE(FlattenLayers(*doc).ok);
    ASSERT_TRUE(Undo(*doc));
    EXPECT_SAME_STATE(start, Capture(*doc));
}

class StepStorageKinds : public ::testing::TestWithParam<bool> {};

// Memory storage, and the editor's background-writing disk storage, against plain disk.
TEST_P(StepStorageKinds, GiveTheSameDocumentsAndFilesAsTheDisk) {
    const bool background = GetParam();
    Bench disk(false), memory(!background);
    if (background) memory.workspace.steps = std::make_shared<BackgroundStepStorage>(size_t(1) << 16);
    std::vector<DocState> a, b;
    auto da = OpenRich(disk, &a);
    auto db = OpenRich(memory, &b);
    ASSERT_EQ(a.size(), b.size());
    for (size_t i = 0; i < a.size(); ++i) EXPECT_SAME_STATE(a[i], b[i]);
    // More steps than positions, then undo and redo through all of them.
    auto script = [](COrinDoc& d) {
        for (int i = 0; i < 4; ++i) PaintStep(d, i, 20 + i);
        Select(d, 2);
        DeleteLayer(d);
        FlattenLayers(d);
        AddLayer(d);
        MergeWithLayerBelow(d);
    };
    script(*da);
    script(*db);
    EXPECT_SAME_STATE(Capture(*da), Capture(*db));
    const auto fileBytes = StepBytes;
    for (int p = 0; p < History::kPositions; ++p)
        EXPECT_EQ(fileBytes(*da, StepFilePath(*da, p)), fileBytes(*db, StepFilePath(*db, p))) << p;
    EXPECT_EQ(fileBytes(*da, HeadFilePath(*da)), fileBytes(*db, HeadFilePath(*db)));
    for (int i = 0; i < 12; ++i) {
        Undo(*da);
        Undo(*db);
        EXPECT_SAME_STATE(Capture(*da), Capture(*db)) << "undo " << i;
    }
    for (int i = 0; i < 12; ++i) {
        Redo(*da);
        Redo(*db);
        EXPECT_SAME_STATE(Capture(*da), Capture(*db)) << "redo " << i;
    }
    if (background) {
        // Once written, the background run's files are the disk run's, byte for byte.
        static_cast<BackgroundStepStorage&>(*memory.workspace.steps).Flush();
        for (int p = 0; p < History::kPositions; ++p)
            EXPECT_EQ(ReadFileBytes(StepFilePath(*db, p)), ReadFileBytes(StepFilePath(*da, p))) << p;
    } else {
        // Nothing was written to the folder of the memory run.
        EXPECT_TRUE(std::filesystem::is_empty(memory.folder.Path()));
    }
}

INSTANTIATE_TEST_SUITE_P(MemoryAndBackground, StepStorageKinds, ::testing::Values(false, true));

// ---- Rows and title ----

TEST(HistoryText, RowsNewestFirstWithColoursAndLabels) {
    Bench bench;
    COrinDoc empty(bench.workspace);
    EXPECT_EQ(HistoryRows(empty), std::vector<std::string>{"   0  (처음상태)"});
    auto doc = bench.Open(3, 2, Gradient);
    ASSERT_TRUE(AddLayer(*doc).ok);
    doc->canvas.paletteCount = 256;  // shown from the entry recorded next
    RecordStep(*doc, "8 비트 컬러 표현", kStepPixels);
    const std::vector<std::string> rows = HistoryRows(*doc);
    ASSERT_EQ(rows.size(), 3u);
    // "%3d %4s %13s": the label "8 비트 컬러 표현" has 10 characters, so 3 spaces.
    EXPECT_EQ(rows[0], "  2 256 칼라    8 비트 컬러 표현");
    EXPECT_EQ(rows[1], "  1              레이어추가");  // 1 + 4 (for "") + 1 + 8 spaces before 5 characters
    EXPECT_EQ(rows[2], "  0             (처음영상)");  // "Opening...." shown as "(처음영상)": 1 + 4 + 1 + 7 spaces
}

TEST(HistoryText, RedoTitleListsEveryPositionUpToTheCurrentOne) {
    Bench bench;
    auto doc = bench.Open(3, 2, Gradient);
    ASSERT_TRUE(AddLayer(*doc).ok);
    PaintStep(*doc, 1, 1, "채우기");
    ASSERT_TRUE(Undo(*doc));
    ASSERT_TRUE(Undo(*doc));
    ASSERT_TRUE(Redo(*doc));
    EXPECT_EQ(RedoTitleText(*doc), "REDO : 언두리스트(Top 1) (0) Opening.... (1) 레이어추가");
    EXPECT_EQ(doc->titleText, "test.bmp 100 % REDO : 언두리스트(Top 1) (0) Opening.... (1) 레이어추가");
}

TEST(HistoryText, RedoRowsListTheUndoneStepsNewestFirst) {
    Bench bench;
    auto doc = bench.Open(3, 2, Gradient);
    EXPECT_TRUE(RedoRows(*doc).empty());
    ASSERT_TRUE(AddLayer(*doc).ok);
    PaintStep(*doc, 1, 1, "채우기");
    ASSERT_TRUE(Undo(*doc));
    ASSERT_TRUE(Undo(*doc));
    EXPECT_EQ(RedoRows(*doc), (std::vector<std::string>{"  2 채우기", "  1 레이어추가"}));
    ASSERT_TRUE(Redo(*doc));
    EXPECT_EQ(RedoRows(*doc), (std::vector<std::string>{"  2 채우기"}));
}

TEST(HistoryFiles, SweepRemovesEveryDocumentsFilesAndNothingElse) {
    testing_support::TempDir dir;
    const char* removed[] = {"WrIniLrList_Head_100.tmp", "WrIniLrList_Head_998.tmp", "100ud0.tmp", "998ud11.tmp",
                             "555ud3.tmp", "101ud36.tmp"};  // 36: the last dropped-layer slot
    const char* kept[] = {"999ud0.tmp",  "99ud0.tmp",   "0100ud0.tmp", "100ud37.tmp", "100ud01.tmp",
                          "100ud-1.tmp", "100ud0.tmpx", "100ud.tmp",   "WrIniLrList_Head_99.tmp", "keep.tmp"};
    for (const char* name : removed) testing_support::WriteFileBytes(dir.File(name), {1});
    for (const char* name : kept) testing_support::WriteFileBytes(dir.File(name), {1});
    SweepStepFiles(dir.Path().string());
    for (const char* name : removed) EXPECT_FALSE(std::filesystem::exists(dir.File(name))) << name;
    for (const char* name : kept) EXPECT_TRUE(std::filesystem::exists(dir.File(name))) << name;
}

}  // namespace
