// Scale bars: the bar's length and defaults from a calibration, the drawn layer, undo
// and redo, and the values kept through a project file (and refused when tampered with).
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <fstream>
#include <iterator>

#include "LayerOps.h"
#include "OpenSave.h"
#include "ScaleBar.h"
#include "ViewTestSupport.h"

using view_testing::TestDoc;

namespace {

Calibration Standard(const std::string& unit, int32_t pixels, float length) {
    Calibration c;
    c.name = "objective";
    c.unit = unit;
    c.xPixels = c.yPixels = pixels;
    c.length = length;
    return c;
}

// 500 pixels make 100 um: 5 pixels a micrometre.
const Calibration kFive = Standard("um", 500, 100);

ScaleBarSettings Bar(float length, const std::string& unit, int corner = kBarBottomRight, uint32_t colour = 0x0000FF) {
    ScaleBarSettings s;
    s.length = length;
    s.unit = unit;
    s.corner = corner;
    s.colour = colour;
    s.face = "NanumGothic";
    s.size = 24;
    return s;
}

// Opaque pixels of a layer row (bottom-up) and the first of them.
std::pair<int, int> OpaqueRun(const LayerRecord& r, int row) {
    int count = 0, first = -1;
    for (int x = 0; x < r.width; ++x)
        if (r.alpha[size_t(row) * size_t(r.width) + size_t(x)] == 255) {
            if (first < 0) first = x;
            ++count;
        }
    return {count, first};
}

TEST(ScaleBarTest, LengthsDefaultsAndLabels) {
    struct Case {
        Calibration calibration;
        float length;
        const char* unit;
        int pixels;  // -1: refused
    } cases[] = {
        {kFive, 40, "um", 200},
        {kFive, 0.01f, "mm", 50},             // converted: 10 um
        {kFive, 1000, "nm", 5},
        {Standard("ums", 500, 100), 3, "um", 15},
        {Standard("mm", 100, 1), 2.5f, "mm", 250},
        {Standard("minch", 30, 2), 4, "minch", 60},  // a label unit: drawn in itself only
        {Standard("minch", 30, 2), 4, "mm", -1},
        {Calibration{}, 4, "pixel", -1},      // no calibration
        {kFive, 0, "um", -1},
        {kFive, 0.05f, "um", -1},             // a quarter of a pixel
    };
    for (const Case& c : cases) {
        int pixels = -1;
        const Status s = ScaleBarPixels(Bar(c.length, c.unit), c.calibration, pixels);
        EXPECT_EQ(s.ok ? pixels : -1, c.pixels) << c.length << " " << c.unit;
    }
    int unused = 0;
    EXPECT_EQ(ScaleBarPixels(Bar(4, "pixel"), Calibration{}, unused).message, msg::kNoCalibration);
    EXPECT_EQ(ScaleBarPixels(Bar(4, "mm"), Standard("minch", 30, 2), unused).message,
              "단위 'mm'은(는) 측정 기준의 단위 'minch'(으)로 바꿀 수 없습니다.");

    // A round length near a fifth of the width, in the unit that keeps it 1..999.
    struct Default {
        Calibration calibration;
        int width;
        float length;
        const char* unit;
    } defaults[] = {
        {kFive, 1000, 50, "um"},                            // 200 px = 40 um
        {Standard("ums", 500, 100), 1000, 50, "ums"},       // the user's spelling kept
        {Standard("mm", 100, 1), 3000, 5, "mm"},            // 6 mm
        {Standard("meter", 1000000, 1), 640, 100, "um"},    // 128 um
        {Standard("mm", 10, 1), 20000, 500, "mm"},          // 400 mm
        {Standard("mm", 1, 1), 20000, 5, "m"},              // 4000 mm
        {Standard("minch", 30, 2), 500, 5, "minch"},        // 6.7 minch, no other unit
    };
    for (const Default& d : defaults) {
        const std::optional<ScaleBarSettings> s = DefaultScaleBar(d.width, 480, d.calibration);
        ASSERT_TRUE(s) << d.width;
        EXPECT_FLOAT_EQ(s->length, d.length) << d.width;
        EXPECT_EQ(s->unit, d.unit) << d.width;
        EXPECT_EQ(s->size, 30);
    }
    EXPECT_FALSE(DefaultScaleBar(640, 480, Calibration{}));

    EXPECT_EQ(ScaleBarLabel(Bar(100, "um")), u"100 um");
    EXPECT_EQ(ScaleBarLabel(Bar(0.25f, "mm")), u"0.25 mm");
    EXPECT_EQ(ScaleBarLabel(Bar(5, "minch")), u"5 minch");
    EXPECT_EQ(ScaleBarUnits(Standard("ums", 1, 1)), (std::vector<std::string>{"ums", "nm", "mm", "cm", "m"}));
    EXPECT_EQ(ScaleBarUnits(Standard("minch", 1, 1)), std::vector<std::string>{"minch"});
}

TEST(ScaleBarTest, DrawEditUndoRedo) {
    TestDoc t(400, 300, 0x808080);
    const int base = t.Doc().layers.current;
    ASSERT_TRUE(PlaceScaleBar(t.Doc(), Bar(40, "um"), kFive, false).ok);
    const int slot = t.Doc().layers.current;
    ASSERT_NE(slot, base);
    const LayerRecord& r = t.Doc().layers[slot];
    EXPECT_EQ(r.kind, kLayerRaster);
    EXPECT_EQ(r.name, u"[축척]40 um");
    EXPECT_EQ(t.Doc().history.entries[size_t(t.Doc().history.position)].label, u"축척 막대");
    // 40 um at 5 px/um: 200 px, ending a margin of 300 / 40 = 7 px from the right and
    // the bottom; the bar is (24 + 2) / 4 = 6 rows thick, red as asked.
    EXPECT_EQ(OpaqueRun(r, 7), std::make_pair(200, 193));
    EXPECT_EQ(OpaqueRun(r, 12), std::make_pair(200, 193));
    EXPECT_EQ(OpaqueRun(r, 6).first, 0);
    EXPECT_EQ(t.Colour(193, 7), 0x0000FFu);
    // The label above it: ink in rows over the bar, inside the bar's columns.
    long labelInk = 0;
    for (int row = 14; row < r.height; ++row)
        for (int x = 0; x < r.width; ++x)
            if (r.alpha[size_t(row) * size_t(r.width) + size_t(x)]) {
                ++labelInk;
                ASSERT_GE(x, 193);
                ASSERT_LT(x, 393);
            }
    EXPECT_GT(labelInk, 100);
    ASSERT_EQ(ReadScaleBar(r), Bar(40, "um"));
    EXPECT_FALSE(ReadScaleBar(t.Doc().layers[base]));

    // Edited: 0.02 mm = 100 px at the top left, one more step.
    const ScaleBarSettings edited = Bar(0.02f, "mm", kBarTopLeft, 0x00FF00);
    ASSERT_TRUE(PlaceScaleBar(t.Doc(), edited, kFive, true).ok);
    EXPECT_EQ(t.Doc().layers.current, slot);
    EXPECT_EQ(ReadScaleBar(t.Doc().layers[slot]), edited);
    EXPECT_EQ(t.Doc().layers[slot].name, u"[축척]0.02 mm");
    EXPECT_EQ(OpaqueRun(t.Doc().layers[slot], 7).first, 0);
    const std::vector<uint8_t> editedAlpha = t.Doc().layers[slot].alpha;

    ASSERT_TRUE(Undo(t.Doc()));
    EXPECT_EQ(ReadScaleBar(t.Doc().layers[slot]), Bar(40, "um"));
    EXPECT_EQ(t.Doc().layers[slot].name, u"[축척]40 um");
    EXPECT_EQ(OpaqueRun(t.Doc().layers[slot], 7), std::make_pair(200, 193));
    ASSERT_TRUE(Redo(t.Doc()));
    EXPECT_EQ(ReadScaleBar(t.Doc().layers[slot]), edited);
    EXPECT_EQ(t.Doc().layers[slot].alpha, editedAlpha);
    ASSERT_TRUE(Undo(t.Doc()));
    ASSERT_TRUE(Undo(t.Doc()));
    EXPECT_FALSE(t.Doc().layers[slot].inUse);
    EXPECT_EQ(t.Doc().layers.current, base);
    ASSERT_TRUE(Redo(t.Doc()));
    EXPECT_EQ(ReadScaleBar(t.Doc().layers[slot]), Bar(40, "um"));

    // Refusals change nothing; painting on the bar makes it an ordinary layer.
    const int layers = t.Doc().layers.Count(), position = t.Doc().history.position;
    EXPECT_EQ(PlaceScaleBar(t.Doc(), Bar(80, "um"), kFive, false).message, msg::kBarTooLarge);  // 400 px
    EXPECT_EQ(PlaceScaleBar(t.Doc(), Bar(4, "um"), Calibration{}, false).message, msg::kNoCalibration);
    EXPECT_EQ(t.Doc().layers.Count(), layers);
    EXPECT_EQ(t.Doc().history.position, position);
    SelectLayer(t.Doc(), slot);
    t.Set(0, 0, 0x123456);
    EXPECT_FALSE(ReadScaleBar(t.Doc().layers[slot]));

    // A standard's unit longer than the record holds is kept cut and taken back whole.
    const Calibration korean = Standard("마이크로미터", 500, 100);
    ASSERT_TRUE(PlaceScaleBar(t.Doc(), Bar(20, "마이크로미터"), korean, false).ok);
    const std::optional<ScaleBarSettings> cut = ReadScaleBar(*t.Doc().CurrentLayer());
    ASSERT_TRUE(cut);
    EXPECT_EQ(cut->unit, "마이크로미");
    ASSERT_TRUE(PlaceScaleBar(t.Doc(), *cut, korean, true).ok);
    EXPECT_EQ(t.Doc().CurrentLayer()->name, u"[축척]20 마이크로미터");
}

TEST(ScaleBarTest, ProjectRoundTripAndTamperedMarkers) {
    testing_support::TempDir dir;
    const std::string path = (dir.Path() / "cells.tsr").string();
    std::vector<uint8_t> pixels;
    const ScaleBarSettings bar = Bar(20, "um", kBarBottomLeft, 0xFFFFFF);
    {
        TestDoc t(320, 200, 0x202020);
        ASSERT_TRUE(PlaceScaleBar(t.Doc(), bar, kFive, false).ok);
        pixels = t.Doc().CurrentLayer()->pixels;
        ASSERT_TRUE(SaveDocument(t.Doc(), path).ok);
    }
    std::ifstream in(path, std::ios::binary);
    const std::vector<char> file{std::istreambuf_iterator<char>(in), {}};
    auto open = [&](const std::vector<char>& bytes, std::optional<ScaleBarSettings>& found) {
        const std::string copy = (dir.Path() / "copy.tsr").string();
        std::ofstream(copy, std::ios::binary).write(bytes.data(), std::streamsize(bytes.size()));
        TestDoc t(8, 8);
        ASSERT_TRUE(OpenDocument(t.Doc(), copy).ok);
        const std::vector<int> chain = t.Doc().layers.Chain();
        ASSERT_EQ(chain.size(), 2u);
        EXPECT_FALSE(ReadScaleBar(t.Doc().layers[chain[0]]));
        EXPECT_EQ(t.Doc().layers[chain[1]].pixels, pixels);
        found = ReadScaleBar(t.Doc().layers[chain[1]]);
    };
    std::optional<ScaleBarSettings> found;
    open(file, found);
    EXPECT_EQ(found, bar);

    // The marker sits at record byte 276; each damaged field leaves an ordinary layer.
    const auto marker = std::search(file.begin(), file.end(), std::begin("SBAR"), std::end("SBAR") - 1);
    ASSERT_NE(marker, file.end());
    const size_t at = size_t(marker - file.begin());
    const float nan = std::nanf("");
    const struct {
        size_t offset;  // from the marker
        std::vector<uint8_t> bytes;
    } damage[] = {
        {60, {7, 0}},                                // corner
        {4, {0, 0, 0, 0}},                            // length 0
        {4, std::vector<uint8_t>(reinterpret_cast<const uint8_t*>(&nan), reinterpret_cast<const uint8_t*>(&nan) + 4)},
        {8, {0xFF, 0xFF, 0xFF, 0x7F}},                // label size
        {12, std::vector<uint8_t>(28, 'A')},          // face without its terminator
        {40, {0}},                                    // empty unit
        {56, {uint8_t(~file[at + 56])}},              // checksum
    };
    for (const auto& d : damage) {
        std::vector<char> bad = file;
        std::copy(d.bytes.begin(), d.bytes.end(), bad.begin() + std::ptrdiff_t(at + d.offset));
        open(bad, found);
        EXPECT_FALSE(found) << d.offset;
    }
}

}  // namespace
