// The text renderer's rules (key colour, coverage, the 34-pixel work size, placement)
// and text layers: making, editing, undo, saving in a project, rasterising.
#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>

#include "LayerOps.h"
#include "OpenSave.h"
#include "TextLayer.h"
#include "TextRenderer.h"
#include "ViewTestSupport.h"

using view_testing::TestDoc;

namespace {

TextFont Nanum(int size) {
    TextFont f;
    f.face = "NanumGothic";
    f.size = size;
    return f;
}

long Ink(const TextDrawing& d) { return std::accumulate(d.coverage.begin(), d.coverage.end(), 0L); }

// Rightmost column holding coverage, -1 when none.
int RightmostInk(const TextDrawing& d) {
    int right = -1;
    for (int y = 0; y < d.height; ++y)
        for (int x = 0; x < d.width; ++x)
            if (d.At(x, y) > 0) right = std::max(right, x);
    return right;
}

TEST(TextRendererTest, FontsKoreanFirstAndFallback) {
    const std::vector<FontFamily> families = ListFontFamilies();
    ASSERT_FALSE(families.empty());
    EXPECT_TRUE(families.front().korean);
    // Korean faces form one block at the top.
    const auto firstOther = std::find_if(families.begin(), families.end(), [](const FontFamily& f) { return !f.korean; });
    EXPECT_TRUE(std::none_of(firstOther, families.end(), [](const FontFamily& f) { return f.korean; }));
    EXPECT_TRUE(std::any_of(families.begin(), families.end(), [](const FontFamily& f) { return f.name == "NanumGothic"; }));
    EXPECT_EQ(DefaultKoreanFamily(), "NanumGothic");
    EXPECT_TRUE(IsKnownFontFamily("NanumGothic"));
    EXPECT_TRUE(IsKnownFontFamily("nanum gothic"));
    EXPECT_FALSE(IsKnownFontFamily("No Such Face 123"));
    // An unknown face draws Hangul with the Korean face.
    TextDrawing unknown, nanum;
    TextFont f = Nanum(40);
    ASSERT_TRUE(DrawTextBlock(u"한글", f, nanum).ok);
    f.face = "No Such Face 123";
    ASSERT_TRUE(DrawTextBlock(u"한글", f, unknown).ok);
    EXPECT_EQ(unknown.coverage, nanum.coverage);
}

TEST(TextRendererTest, KeyDistanceAndCoverageRule) {
    EXPECT_EQ(MaxKeyDistance(0x000000), 160);       // (50 + 55 + 55) x 255 / 255
    EXPECT_EQ(MaxKeyDistance(0xFFFFFF), 344);       // 605 x 145 / 255
    EXPECT_EQ(MaxKeyDistance(kTextKeyColour), 0);
    struct Case {
        int drawn;
        uint32_t colour;
        int coverage;
    } cases[] = {
        {0, 0x000000, 0},     {128, 0x000000, 128}, {255, 0x000000, 255},
        {255, 0xFFFFFF, 255}, {200, 0xFFFFFF, 158}, {0, 0xFFFFFF, -193},  // 255 - 255 x 55 / 145; 255 - 255 x 255 / 145
        // The key colour itself keeps the drawing's coverage (no solid block).
        {0, kTextKeyColour, 0}, {100, kTextKeyColour, 100},
    };
    for (const Case& c : cases) EXPECT_EQ(RuleCoverage(c.drawn, c.colour), c.coverage) << c.drawn << " " << c.colour;
}

TEST(TextRendererTest, PlacementThresholdsAndColour) {
    // A hand-made drawing: one row of coverages 7, 8, 19, 20, 255 at (3, 2) top-down.
    RenderedText text;
    text.drawing.width = 5;
    text.drawing.height = 1;
    text.drawing.coverage = {7, 8, 19, 20, 255};
    for (bool reduced : {false, true}) {
        TestDoc t(10, 6, 0xFFFFFF, 0);
        text.reduced = reduced;
        PutText(t.Doc(), t.Layer(), text, 0x0000FF, 3, 2);
        const int row = 6 - 1 - 2;
        const std::vector<int> expected = reduced ? std::vector<int>{0, 0, 0, 20, 255} : std::vector<int>{0, 8, 19, 20, 255};
        for (int i = 0; i < 5; ++i) {
            EXPECT_EQ(t.Alpha(3 + i, row), expected[size_t(i)]) << reduced << " " << i;
            EXPECT_EQ(t.Colour(3 + i, row), expected[size_t(i)] ? 0x0000FFu : 0xFFFFFFu);
        }
        // Nothing else changed.
        int touched = 0;
        for (int y = 0; y < 6; ++y)
            for (int x = 0; x < 10; ++x) touched += t.Alpha(x, y) != 0;
        EXPECT_EQ(touched, reduced ? 2 : 4);
    }
}

TEST(TextRendererTest, WorkSizeAndReduction) {
    RenderedText big, small;
    ASSERT_TRUE(RenderText(u"가나다라마바사", Nanum(40), big).ok);
    EXPECT_FALSE(big.reduced);
    EXPECT_EQ(big.drawing.height, 40);
    ASSERT_TRUE(RenderText(u"가나다라마바사", Nanum(20), small).ok);
    EXPECT_TRUE(small.reduced);
    EXPECT_EQ(small.drawing.height, 20);
    // The whole text is there after the reduction: its ink reaches as far right as the
    // text measured at 20 (within a pixel or two of FreeType's rounding).
    const TextBlock at20 = MeasureText(u"가나다라마바사", Nanum(20));
    EXPECT_GE(RightmostInk(small.drawing), at20.width - 3);
    EXPECT_LE(std::abs(small.drawing.width - at20.width), 2);
    // Output pixel 0 of a reduction by 1/2 samples source position 0.5: the mean of
    // source columns 0 and 1 (and rows 0 and 1).
    TextDrawing src;
    src.width = 4;
    src.height = 2;
    src.coverage = {0, 200, 100, 100, 0, 200, 100, 100};
    const TextDrawing half = ReduceDrawing(src, 17);
    ASSERT_EQ(half.width, 2);
    ASSERT_EQ(half.height, 1);
    EXPECT_EQ(half.At(0, 0), 100);
    EXPECT_EQ(half.At(1, 0), 100);
}

TEST(TextRendererTest, LinesStylesAndDecorations) {
    const TextBlock one = MeasureText(u"ab", Nanum(30)), two = MeasureText(u"ab\r\ncd", Nanum(30));
    EXPECT_EQ(one.height, 30);
    EXPECT_EQ(two.height, 60);
    EXPECT_EQ(two.top, 0);
    TextDrawing regular, bold, underline, strike;
    TextFont f = Nanum(40);
    ASSERT_TRUE(DrawTextBlock(u"가a", f, regular).ok);
    f.bold = true;
    ASSERT_TRUE(DrawTextBlock(u"가a", f, bold).ok);
    EXPECT_GT(Ink(bold), Ink(regular) * 11 / 10);
    f.bold = false;
    f.underline = true;
    ASSERT_TRUE(DrawTextBlock(u"가a", f, underline).ok);
    f.underline = false;
    f.strikeout = true;
    ASSERT_TRUE(DrawTextBlock(u"가a", f, strike).ok);
    // A decoration is a full row across the text below (underline) or through it.
    auto fullRows = [](const TextDrawing& d, int from, int to) {
        int rows = 0;
        for (int y = from; y < to; ++y) {
            int full = 0;
            for (int x = 0; x < d.width; ++x) full += d.At(x, y) == 255;
            rows += full >= d.width * 3 / 4;
        }
        return rows;
    };
    EXPECT_EQ(fullRows(regular, 0, 40), 0);
    EXPECT_GE(fullRows(underline, 28, 40), 1);
    EXPECT_GE(fullRows(strike, 10, 30), 1);
}

TEST(TextRendererTest, KeyColouredTextKeepsItsShape) {
    TestDoc t(200, 60, 0xFFFFFF, 0);
    ASSERT_TRUE(RenderTextIntoLayer(t.Doc(), t.Layer(), u"가", Nanum(40), kTextKeyColour, 0, 0).ok);
    int covered = 0, empty = 0;
    for (int y = 20; y < 60; ++y)
        for (int x = 0; x < 40; ++x) (t.Alpha(x, y) ? covered : empty) += 1;
    EXPECT_GT(covered, 100);
    EXPECT_GT(empty, 400);
}

TextSettings Words(const std::u16string& text, int size = 40) {
    TextSettings s;
    s.text = text;
    s.face = "NanumGothic";
    s.size = size;
    s.colour = 0x2040C0;
    return s;
}

TEST(TextLayerTest, MakeEditUndo) {
    TestDoc t(300, 200);
    const int base = t.Doc().layers.current;
    ASSERT_TRUE(PlaceText(t.Doc(), Words(u"안녕 Hello"), TextPoint{20, 30}, false).ok);
    const int slot = t.Doc().layers.current;
    ASSERT_NE(slot, base);
    const LayerRecord& r = t.Doc().layers[slot];
    EXPECT_EQ(r.kind, kLayerText);
    EXPECT_EQ(r.stride, r.width);
    EXPECT_EQ(r.colour, 0xC04020u);  // blue first
    EXPECT_EQ(r.name, u"[Text:안녕 Hello]");
    EXPECT_EQ(TextLayerPoint(r).x, 20);
    EXPECT_EQ(TextLayerPoint(r).y, 30);
    const HistoryEntry& step = t.Doc().history.entries[size_t(t.Doc().history.position)];
    EXPECT_EQ(step.label, u"글자입력");
    EXPECT_EQ(step.code, kStepText);
    // Coverage only inside the block's rows (top-down 30..69).
    for (int y = 0; y < r.height; ++y)
        for (int x = 0; x < r.width; ++x)
            if (r.alpha[size_t(y) * size_t(r.width) + size_t(x)]) {
                const int top = r.height - 1 - y;
                ASSERT_GE(top, 30);
                ASSERT_LT(top, 70);
                ASSERT_GE(x, 20);
            }

    // Editing keeps the place and replaces the text; undo brings the old text back.
    TextSettings edit = Words(u"Bye", 30);
    edit.style = 3;
    edit.underline = true;
    ASSERT_TRUE(PlaceText(t.Doc(), edit, std::nullopt, true).ok);
    EXPECT_EQ(t.Doc().layers.current, slot);
    TextSettings now = TextLayerSettings(t.Doc().layers[slot]);
    EXPECT_EQ(now.text, u"Bye");
    EXPECT_EQ(now.size, 30);
    EXPECT_EQ(now.style, 3);
    EXPECT_TRUE(now.underline);
    EXPECT_FALSE(now.strikeout);
    EXPECT_EQ(now.face, "NanumGothic");
    EXPECT_EQ(TextLayerPoint(t.Doc().layers[slot]).x, 20);
    EXPECT_EQ(TextLayerPoint(t.Doc().layers[slot]).y, 30);
    EXPECT_EQ(t.Doc().layers[slot].name, u"[Text:Bye]");  // named after its new text
    ASSERT_TRUE(Undo(t.Doc()));
    EXPECT_TRUE(t.Doc().layers[slot].inUse);
    EXPECT_EQ(TextLayerSettings(t.Doc().layers[slot]).text, u"안녕 Hello");
    EXPECT_EQ(TextLayerSettings(t.Doc().layers[slot]).size, 40);
    EXPECT_EQ(t.Doc().layers[slot].name, u"[Text:안녕 Hello]");
    // A name the user gave stays through an edit.
    t.Doc().layers[slot].name = u"제목";
    ASSERT_TRUE(PlaceText(t.Doc(), Words(u"Title"), std::nullopt, true).ok);
    EXPECT_EQ(t.Doc().layers[slot].name, u"제목");
    ASSERT_TRUE(Undo(t.Doc()));
    ASSERT_TRUE(Undo(t.Doc()));
    EXPECT_FALSE(t.Doc().layers[slot].inUse);
    EXPECT_EQ(t.Doc().layers.current, base);
}

TEST(TextLayerTest, PlacesAndRefusals) {
    TestDoc t(300, 200);
    // Without a point: a fifth of the width, half the height.
    ASSERT_TRUE(PlaceText(t.Doc(), Words(u"A"), std::nullopt, false).ok);
    EXPECT_EQ(TextLayerPoint(*t.Doc().CurrentLayer()).x, 60);
    EXPECT_EQ(TextLayerPoint(*t.Doc().CurrentLayer()).y, 100);
    // A block crossing the bottom is pulled up to end at the canvas edge.
    ASSERT_TRUE(PlaceText(t.Doc(), Words(u"A\nB"), TextPoint{10, 190}, false).ok);
    EXPECT_EQ(TextLayerPoint(*t.Doc().CurrentLayer()).y, 200 - 80);
    EXPECT_EQ(t.Doc().CurrentLayer()->height, 200);
    // Text longer than 700 characters is cut at 700.
    ASSERT_TRUE(PlaceText(t.Doc(), Words(std::u16string(750, u'i'), 4), TextPoint{0, 0}, false).ok);
    EXPECT_EQ(t.Doc().CurrentLayer()->textLength, 700);
    // Empty text and size 0 change nothing.
    const int layers = t.Doc().layers.Count(), position = t.Doc().history.position;
    EXPECT_EQ(PlaceText(t.Doc(), Words(u""), std::nullopt, false).message, msg::kEmptyText);
    EXPECT_FALSE(PlaceText(t.Doc(), Words(u"x", 0), std::nullopt, false).ok);
    EXPECT_EQ(t.Doc().layers.Count(), layers);
    EXPECT_EQ(t.Doc().history.position, position);
    // A full layer table.
    while (t.Doc().layers.FirstFree() >= 0) ASSERT_TRUE(AddLayer(t.Doc()).ok);
    EXPECT_EQ(PlaceText(t.Doc(), Words(u"x"), std::nullopt, false).message, msg::kTooManyLayers);
}

TEST(TextLayerTest, ProjectKeepsTextEditableAndRasterise) {
    testing_support::TempDir dir;
    const std::string path = (dir.Path() / "page.tsr").string();
    std::vector<uint8_t> alpha;
    {
        TestDoc t(240, 160);
        TextSettings s = Words(u"달력 2025");
        s.style = 2;
        s.strikeout = true;
        ASSERT_TRUE(PlaceText(t.Doc(), s, TextPoint{12, 34}, false).ok);
        alpha = t.Doc().CurrentLayer()->alpha;
        ASSERT_TRUE(SaveDocument(t.Doc(), path).ok);
    }
    TestDoc t(8, 8);
    ASSERT_TRUE(OpenDocument(t.Doc(), path).ok);
    int slot = -1;
    for (int s : t.Doc().layers.Chain())
        if (t.Doc().layers[s].kind == kLayerText) slot = s;
    ASSERT_GE(slot, 0);
    const TextSettings back = TextLayerSettings(t.Doc().layers[slot]);
    EXPECT_EQ(back.text, u"달력 2025");
    EXPECT_EQ(back.face, "NanumGothic");
    EXPECT_EQ(back.size, 40);
    EXPECT_EQ(back.style, 2);
    EXPECT_TRUE(back.strikeout);
    EXPECT_EQ(back.colour, 0x2040C0u);
    EXPECT_EQ(t.Doc().layers[slot].alpha, alpha);
    SelectLayer(t.Doc(), slot);
    TextSettings edit = back;
    edit.text = u"고침";
    ASSERT_TRUE(PlaceText(t.Doc(), edit, std::nullopt, true).ok);
    EXPECT_EQ(TextLayerPoint(t.Doc().layers[slot]).x, 12);
    // Rasterised, the layer's pixels take the text colour; its coverage stays.
    alpha = t.Doc().layers[slot].alpha;
    ASSERT_TRUE(RasterizeLayer(t.Doc()).ok);
    EXPECT_EQ(t.Doc().layers[slot].kind, kLayerRaster);
    EXPECT_EQ(t.Doc().layers[slot].alpha, alpha);
    EXPECT_EQ(t.Colour(0, 0), 0x2040C0u);
}

}  // namespace
