// The face transform and the distortion routine under it: the rectangle it touches,
// its clamps at the rectangle's and the layer's edges, feathering, refusals, the window's
// start picture and its step.
#include <gtest/gtest.h>

#include "Distortion.h"
#include "FaceTransform.h"
#include "History.h"
#include "LayerModel.h"
#include "LayerOps.h"
#include "Messages.h"
#include "EditorFixture.h"
#include "Workspace.h"

namespace {

// A 24-bit layer whose every pixel has its own colour.
class PatternDoc : public editor_test::Bench {
public:
    PatternDoc(int w, int h) {
        doc = Open(w, h, [](int x, int y) {
            return uint32_t((x * 7) & 0xFF) | uint32_t((y * 5) & 0xFF) << 8 | uint32_t((x + y) & 0xFF) << 16;
        }, "");
        doc->CurrentLayer()->kind = kLayerRaster;
    }
    LayerRecord& Layer() { return *doc->CurrentLayer(); }
    uint32_t At(int x, int y) {
        const uint8_t* p = Layer().pixels.data() + size_t(y) * size_t(Layer().stride) + size_t(x) * 3;
        return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16;
    }
    void Set(int x, int y, uint32_t c) {
        uint8_t* p = Layer().pixels.data() + size_t(y) * size_t(Layer().stride) + size_t(x) * 3;
        p[0] = uint8_t(c);
        p[1] = uint8_t(c >> 8);
        p[2] = uint8_t(c >> 16);
    }
    std::unique_ptr<COrinDoc> doc;
};

// Columns and rows whose pixels changed between two copies of a layer's pixels.
struct Changed {
    int x0 = 1 << 30, x1 = -1, y0 = 1 << 30, y1 = -1, count = 0;
};
Changed Diff(PatternDoc& d, const std::vector<uint8_t>& before) {
    Changed c;
    const LayerRecord& r = d.Layer();
    for (int y = 0; y < r.height; ++y)
        for (int x = 0; x < r.width; ++x) {
            const size_t at = size_t(y) * size_t(r.stride) + size_t(x) * 3;
            if (std::equal(before.begin() + ptrdiff_t(at), before.begin() + ptrdiff_t(at + 3), r.pixels.begin() + ptrdiff_t(at)))
                continue;
            c.x0 = std::min(c.x0, x), c.x1 = std::max(c.x1, x), c.y0 = std::min(c.y0, y), c.y1 = std::max(c.y1, y);
            ++c.count;
        }
    return c;
}

TEST(FaceTransformTest, TouchesOnlyItsRectangle) {
    for (int mode : {0, 1}) {
        PatternDoc d(400, 300);
        const std::vector<uint8_t> before = d.Layer().pixels;
        FaceSettings s;
        s.mode = mode;
        s.strength = 2.0;
        // 100 x 60 centred on (200, 150): columns 150..249, rows 120..179.
        ASSERT_TRUE(FaceDistortion(*d.doc, 200, 150, 50, 30, s).ok);
        const Changed c = Diff(d, before);
        EXPECT_GE(c.x0, 150);
        EXPECT_LE(c.x1, 249);
        EXPECT_GE(c.y0, 120);
        EXPECT_LE(c.y1, 179);
        EXPECT_GT(c.count, 1000) << mode;
        // The centre keeps its own colour.
        const size_t centre = size_t(150) * size_t(d.Layer().stride) + 600;
        EXPECT_EQ(d.At(200, 150), uint32_t(before[centre]) | uint32_t(before[centre + 1]) << 8 |
                                       uint32_t(before[centre + 2]) << 16);
        // Feathered, the rectangle's first column and row (weight 0) keep their colour.
        if (mode == 1) EXPECT_TRUE(c.x0 > 150 && c.y0 > 120);
    }
}

TEST(FaceTransformTest, NeverReadsPastItsRectangleOrTheLayer) {
    // Column 250 and row 180 (just outside) are red: no pixel inside may turn red.
    PatternDoc d(400, 300);
    for (int y = 0; y < 300; ++y) d.Set(250, y, 0x0000FF);
    for (int x = 0; x < 400; ++x) d.Set(x, 180, 0x0000FF);
    FaceSettings s;
    s.strength = 10.0;
    ASSERT_TRUE(FaceTransformRect(*d.doc, 150, 120, 250, 180, s).ok);
    for (int y = 120; y < 180; ++y)
        for (int x = 150; x < 250; ++x) ASSERT_NE(d.At(x, y), 0x0000FFu) << x << " " << y;
    // A rectangle reaching past the layer's corner changes only pixels inside it.
    PatternDoc e(120, 80);
    const std::vector<uint8_t> before = e.Layer().pixels;
    ASSERT_TRUE(FaceTransformRect(*e.doc, 90, 60, 150, 100, s).ok);
    const Changed c = Diff(e, before);
    EXPECT_GE(c.x0, 90);
    EXPECT_GE(c.y0, 60);
    EXPECT_GT(c.count, 0);
}

TEST(FaceTransformTest, RoutineRules) {
    // Transparent pixels stay; mode 4 leaves the columns x mod 32 = 16 alone.
    PatternDoc d(100, 40);
    for (int x = 0; x < 100; ++x) d.Layer().alpha[size_t(5) * 100 + size_t(x)] = 0;
    const std::vector<uint8_t> before = d.Layer().pixels;
    DistortParams p;
    p.mode = 4;
    p.left = 0;
    p.right = 100;
    p.top = 0;
    p.bottom = 40;
    p.radius = 1000;
    ASSERT_TRUE(Distort(*d.doc, d.doc->layers.current, p));
    for (int y = 0; y < 40; ++y)
        for (int x : {16, 48, 80}) EXPECT_EQ(d.Layer().pixels[size_t(y) * d.Layer().stride + size_t(x) * 3],
                                             before[size_t(y) * d.Layer().stride + size_t(x) * 3]);
    for (int x = 0; x < 100; ++x)
        EXPECT_EQ(d.Layer().pixels[size_t(5) * d.Layer().stride + size_t(x) * 3], before[size_t(5) * d.Layer().stride + size_t(x) * 3]);
    EXPECT_FALSE(Distort(*d.doc, d.doc->layers.current, DistortParams{0, false, 1.0, 0, 0, 10, 7, 7}));
}

TEST(FaceTransformTest, RefusalsAndTheWindowSteps) {
    PatternDoc d(200, 150);
    const std::vector<uint8_t> start = d.Layer().pixels;
    FaceSettings bad;
    bad.strength = 10.5;
    EXPECT_FALSE(ApplyFaceTransform(*d.doc, 50, 50, 100, 100, bad).ok);
    bad.strength = 1.0;
    bad.mode = 2;
    EXPECT_FALSE(ApplyFaceTransform(*d.doc, 50, 50, 100, 100, bad).ok);
    EXPECT_EQ(d.Layer().pixels, start);
    d.Layer().kind = kLayerText;
    EXPECT_EQ(FaceDistortion(*d.doc, 60, 60, 20, 20, FaceSettings{}).message, msg::kTextLayer);
    d.Layer().kind = kLayerRaster;

    RecordStep(*d.doc, label::kInitialState, kStepPixels);
    const int position = d.doc->history.position;
    FaceSession session(*d.doc);
    session.Commit();  // nothing done: no step
    EXPECT_EQ(d.doc->history.position, position);
    FaceSettings s;
    s.second = 7.0;  // enters no computation
    ASSERT_TRUE(session.Transform(40, 40, 120, 100, s).ok);
    const std::vector<uint8_t> once = d.Layer().pixels;
    EXPECT_NE(once, start);
    session.Restart();
    EXPECT_EQ(d.Layer().pixels, start);
    EXPECT_FALSE(session.Done());
    ASSERT_TRUE(session.Transform(40, 40, 120, 100, FaceSettings{}).ok);
    EXPECT_EQ(d.Layer().pixels, once);
    session.Commit();
    const HistoryEntry& step = d.doc->history.entries[size_t(d.doc->history.position)];
    EXPECT_EQ(step.label, u"얼굴변형");
    EXPECT_EQ(step.code, kStepPixels);
    ASSERT_TRUE(Undo(*d.doc));
    EXPECT_EQ(d.Layer().pixels, start);

    // Another layer chosen while the window is open: the first layer's transform is
    // recorded for that layer, and the start picture is now the second layer's.
    const int first = d.doc->layers.current;
    FaceSession two(*d.doc);
    ASSERT_TRUE(two.Transform(40, 40, 120, 100, FaceSettings{}).ok);
    const std::vector<uint8_t> firstDone = d.Layer().pixels;
    ASSERT_TRUE(AddLayer(*d.doc).ok);
    const int second = d.doc->layers.current;
    ASSERT_NE(second, first);
    d.Layer().pixels = start;
    std::fill(d.Layer().alpha.begin(), d.Layer().alpha.end(), uint8_t(255));
    const int before = d.doc->history.position;
    ASSERT_TRUE(two.Transform(40, 40, 120, 100, FaceSettings{}).ok);
    ASSERT_EQ(d.doc->history.position, before + 1);
    EXPECT_EQ(d.doc->history.entries[size_t(before + 1)].slot, first);
    EXPECT_NE(d.Layer().pixels, start);
    two.Restart();
    EXPECT_EQ(d.Layer().pixels, start);
    EXPECT_EQ(d.doc->layers[first].pixels, firstDone);
    two.Commit();  // nothing done since the restart
    EXPECT_EQ(d.doc->history.position, before + 1);
}

}  // namespace
