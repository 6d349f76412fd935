// The warps: the projective map of the free transform (corners land where they were
// dragged, the identity keeps every pixel, folded quadrilaterals are refused) and the
// ellipse transform (inside the inscribed ellipse the picture, outside transparent).
#include <gtest/gtest.h>

#include "Messages.h"
#include "ProcessingOperations.h"
#include "Utf16.h"
#include "Warp.h"
#include "document/DocTestSupport.h"

using namespace doctest;

namespace {

TEST(Warp, TheProjectiveMapTakesTheCornersWhereTheyWereDragged) {
    const std::array<WarpPoint, 4> quad{{{1, 2}, {9, 0}, {8, 7}, {0, 5}}};
    Projective p;
    ASSERT_TRUE(RectangleToQuad(4, 3, quad, p));
    const WarpPoint from[4] = {{0, 0}, {4, 0}, {4, 3}, {0, 3}};
    for (int i = 0; i < 4; ++i) {
        const WarpPoint q = p.Apply(from[i]);
        EXPECT_NEAR(q.x, quad[size_t(i)].x, 1e-9) << i;
        EXPECT_NEAR(q.y, quad[size_t(i)].y, 1e-9) << i;
    }
    Projective back;
    ASSERT_TRUE(p.Inverse(back));
    const WarpPoint there = back.Apply(p.Apply({1.5, 2.25}));
    EXPECT_NEAR(there.x, 1.5, 1e-9);
    EXPECT_NEAR(there.y, 2.25, 1e-9);
    // Crossed corners (a bow tie) and three corners in a line have no such map.
    EXPECT_FALSE(RectangleToQuad(4, 3, {{{0, 0}, {4, 3}, {4, 0}, {0, 3}}}, p));
    EXPECT_FALSE(RectangleToQuad(4, 3, {{{0, 0}, {2, 0}, {4, 0}, {0, 3}}}, p));
}

TEST(Warp, TheIdentityKeepsEveryPixelAndAHalfWidthQuadAveragesPairs) {
    Bench bench;
    auto doc = bench.Open(4, 3, Gradient);
    LayerRecord& layer = doc->layers[0];
    const LayerRecord was = layer;
    ASSERT_TRUE(WarpToQuad(*doc, layer, {{{0, 0}, {4, 0}, {4, 3}, {0, 3}}}).ok);
    EXPECT_EQ(layer.pixels, was.pixels);
    EXPECT_EQ(layer.alpha, was.alpha);
    // Squeezed into the left half: target pixel i samples source x = 2i + 0.5, the mean
    // of pixels 2i and 2i+1 rounded; the right half is empty.
    ASSERT_TRUE(WarpToQuad(*doc, layer, {{{0, 0}, {2, 0}, {2, 3}, {0, 3}}}).ok);
    for (int c = 0; c < 3; ++c) {
        const int a = (PixelAt(was, 0, 1) >> (8 * c)) & 255, b = (PixelAt(was, 1, 1) >> (8 * c)) & 255;
        EXPECT_EQ(int((PixelAt(layer, 0, 1) >> (8 * c)) & 255), (a * 128 + b * 128 + 128) >> 8) << c;
    }
    EXPECT_EQ(AlphaAt(layer, 3, 1), 0);
    EXPECT_EQ(PixelAt(layer, 3, 1), 0xFFFFFFu);
    EXPECT_EQ(WarpToQuad(*doc, layer, {{{0, 0}, {4, 3}, {4, 0}, {0, 3}}}).message, msg::kNotConvex);
}

TEST(Warp, TheEllipseKeepsTheCentreAndEmptiesTheCorners) {
    Bench bench;
    auto doc = bench.Open(9, 5, Gradient);
    const LayerRecord was = doc->layers[0];
    OperationTable table;
    AddProcessingOperations(table);
    const Operation* op = table.FindByName("ellipse");
    ASSERT_NE(op, nullptr);
    ASSERT_TRUE(op->run(*doc, {}).ok);
    const LayerRecord& r = doc->layers[0];
    EXPECT_EQ(PixelAt(r, 4, 2), PixelAt(was, 4, 2));  // the centre maps onto itself
    EXPECT_EQ(r.alpha[0], 0);                          // corners lie outside the ellipse
    EXPECT_EQ(r.alpha[size_t(4 * 9 + 8)], 0);
    EXPECT_EQ(r.alpha[size_t(2 * 9 + 4)], 255);
    EXPECT_EQ(Utf16ToUtf8(doc->history.entries[size_t(doc->history.position)].label), "타원변환");
    doc->layers[0].kind = kLayerText;
    EXPECT_EQ(op->run(*doc, {}).message, msg::kTextLayer);
}

}  // namespace
