// Projects whose stored layers do not fit what they become: every layer opened must
// have buffers of its kind and the canvas depth, and the tools that read and write
// them (dot, brush, fill, copy) then stay inside them.
#include <gtest/gtest.h>

#include "ByteStream.h"
#include "ClipboardOps.h"
#include "Compositor.h"
#include "OpenSave.h"
#include "PaintPrimitives.h"
#include "PaintTools.h"
#include "ViewTestSupport.h"

namespace {

struct Opened {
    explicit Opened(const std::string& file) {
        workspace.host = &host;
        workspace.stepFolder = dir.Path().string();
        doc = std::make_unique<COrinDoc>(workspace);
        MemoryStream in(testing_support::RegressionBytes(file));
        status = OpenDocumentFrom(*doc, in, kFormatProject);
    }
    ~Opened() { RemoveStepFiles(*doc); }
    testing_support::TempDir dir;
    SilentHost host;
    Workspace workspace;
    std::unique_ptr<COrinDoc> doc;
    Status status;
};

// Every layer's buffers hold its rows at its depth (8 bits for text, the canvas depth
// otherwise) and its planes.
void ExpectBuffersFit(const COrinDoc& doc) {
    for (int slot : doc.layers.Chain()) {
        const LayerRecord& r = doc.layers[slot];
        const int32_t stride = r.kind == kLayerText ? r.width : RowStride(r.width, doc.canvas.bpp);
        EXPECT_EQ(r.stride, stride) << slot;
        EXPECT_EQ(r.pixels.size(), size_t(stride) * size_t(r.height)) << slot;
        EXPECT_EQ(r.alpha.size(), size_t(r.width) * size_t(r.height)) << slot;
        EXPECT_EQ(r.aux.size(), r.alpha.size()) << slot;
    }
}

void UseTheTools(COrinDoc& doc) {
    const int x = doc.canvas.width / 2, y = doc.canvas.height / 2;
    doc.workspace.foreground = 0x102030;
    doc.workspace.brushSize = 3;
    EXPECT_TRUE(DotAt(doc, x, y).ok);
    EXPECT_TRUE(StrokePress(doc, kDabPaint, 0, 0).ok);
    EXPECT_TRUE(StrokeDrag(doc, kDabPaint, doc.canvas.width - 1, doc.canvas.height - 1).ok);
    EXPECT_TRUE(StrokeRelease(doc, kDabPaint).ok);
    EXPECT_TRUE(FillAt(doc, x, y).ok);
    EXPECT_TRUE(CopyToClipboard(doc).ok);
}

}  // namespace

// The text layer at the bottom kept its one-byte rows while it became the 24-bit
// backdrop; the tools then wrote past them. It now becomes pixels of its colour where
// its alpha covers, at the canvas depth.
TEST(HostileProject, TextLayerAtTheBottomBecomesABackdropOfTheCanvasDepth) {
    Opened o("project/text-layer-at-bottom.tsr");
    ASSERT_TRUE(o.status.ok) << o.status.message;
    COrinDoc& doc = *o.doc;
    const LayerRecord& bottom = doc.layers[doc.layers.bottom];
    EXPECT_EQ(bottom.kind, kLayerBackdrop);
    EXPECT_EQ(doc.canvas.bpp, 24);
    ExpectBuffersFit(doc);
    // The stored colour 0x336699 (blue first) wherever the text covered.
    for (int y = 0; y < bottom.height; ++y)
        for (int x = 0; x < bottom.width; ++x) {
            const size_t i = size_t(y) * size_t(bottom.width) + size_t(x);
            EXPECT_EQ(bottom.alpha[i], i % 3 ? 255 : 0);
            const uint8_t* p = bottom.pixels.data() + size_t(y) * size_t(bottom.stride) + size_t(x) * 3;
            EXPECT_EQ(p[0] | p[1] << 8 | p[2] << 16, 0x336699);
        }
    UseTheTools(doc);
    ExpectBuffersFit(doc);
}

// Offsets near the int range made the compositor's position sums overflow; they are
// bounded by the layer's size when read, and every tool works on the layers.
TEST(HostileProject, OffsetsBeyondTheLayerSizeAreBoundedWhenRead) {
    Opened o("project/offsets-beyond-int-range.tsr");
    ASSERT_TRUE(o.status.ok) << o.status.message;
    COrinDoc& doc = *o.doc;
    const LayerRecord& bottom = doc.layers[0];
    const LayerRecord& top = doc.layers[1];
    EXPECT_EQ(bottom.x, bottom.width);
    EXPECT_EQ(bottom.y, -bottom.height);
    EXPECT_EQ(top.x, -top.width);
    EXPECT_EQ(top.y, top.height);
    ComposeParams p;
    p.width = doc.canvas.width;
    p.height = doc.canvas.height;
    std::vector<uint32_t> composite;
    ComposeLayers(doc, p, composite);
    // Both layers lie wholly off the canvas.
    for (uint32_t c : composite) EXPECT_EQ(c, 0u);
    for (int slot : doc.layers.Chain()) {
        SelectLayer(doc, slot);
        UseTheTools(doc);
    }
    ExpectBuffersFit(doc);
}
