// A document with one small 24-bit layer built in memory for the tool tests, its step
// files in a private folder. Layer coordinates have rows bottom-up; at zoom 1 with
// offsets 0 the view point of layer pixel (x, y) is (x, height - 1 - y).
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "Document.h"
#include "History.h"
#include "LayerModel.h"
#include "Messages.h"
#include "EditorFixture.h"
#include "TestSupport.h"
#include "Workspace.h"

namespace view_testing {

class TestDoc : public editor_test::Bench {
public:
    // Every pixel `colour` (red in the low byte) with opacity `alpha`.
    TestDoc(int width, int height, uint32_t colour = 0xFFFFFF, uint8_t alpha = 255) {
        const uint32_t rgb = ((colour & 0xFF) << 16) | (colour & 0xFF00) | ((colour >> 16) & 0xFF);
        doc = Open(width, height, [rgb](int, int) { return rgb; }, "");
        Layer().kind = kLayerRaster;
        std::fill(Layer().alpha.begin(), Layer().alpha.end(), alpha);
        Restart();
    }

    // The history starts again from the present pixels.
    void Restart() { RecordStep(*doc, label::kInitialState, kStepPixels); }

    COrinDoc& Doc() { return *doc; }
    LayerRecord& Layer() { return *doc->CurrentLayer(); }
    int Height() { return Layer().height; }
    int ViewY(int layerY) { return doc->canvas.height - 1 - layerY + Layer().y; }

    uint32_t Colour(int x, int y) {
        const LayerRecord& l = Layer();
        const uint8_t* p = l.pixels.data() + size_t(y) * size_t(l.stride) + size_t(x) * 3;
        return uint32_t(p[2]) | (uint32_t(p[1]) << 8) | (uint32_t(p[0]) << 16);
    }
    uint8_t Alpha(int x, int y) { return Layer().alpha[size_t(y) * size_t(Layer().width) + size_t(x)]; }
    void Set(int x, int y, uint32_t colour, uint8_t alpha = 255) {
        LayerRecord& l = Layer();
        uint8_t* p = l.pixels.data() + size_t(y) * size_t(l.stride) + size_t(x) * 3;
        p[0] = uint8_t(colour >> 16);
        p[1] = uint8_t(colour >> 8);
        p[2] = uint8_t(colour);
        l.alpha[size_t(y) * size_t(l.width) + size_t(x)] = alpha;
    }
    uint8_t Mask(int x, int y) { return doc->selection.At(x, y); }
    // The layer's pixels and opacity, to compare before and after.
    std::vector<uint8_t> Snapshot() {
        std::vector<uint8_t> bytes = Layer().pixels;
        bytes.insert(bytes.end(), Layer().alpha.begin(), Layer().alpha.end());
        return bytes;
    }
    // A second raster layer above the current one, every pixel `colour` / `alpha`.
    int AddLayerAbove(uint32_t colour, uint8_t alpha) {
        const int below = doc->layers.current;
        const int slot = doc->layers.FirstFree();
        LayerSlotParams p;
        p.bpp = 24;
        p.slot = slot;
        p.width = doc->canvas.width;
        p.height = doc->canvas.height;
        p.canvasWidth = doc->canvas.width;
        p.canvasHeight = doc->canvas.height;
        p.alphaFill = alpha;
        EXPECT_TRUE(CreateLayerInSlot(*doc, p));
        LayerRecord& r = doc->layers[slot];
        r.inUse = 1;
        r.visible = 1;
        r.below = int16_t(below);
        r.above = -1;
        doc->layers[below].above = int16_t(slot);
        for (int y = 0; y < r.height; ++y)
            for (int x = 0; x < r.width; ++x) {
                uint8_t* px = r.pixels.data() + size_t(y) * size_t(r.stride) + size_t(x) * 3;
                px[0] = uint8_t(colour >> 16);
                px[1] = uint8_t(colour >> 8);
                px[2] = uint8_t(colour);
            }
        return slot;
    }

    std::unique_ptr<COrinDoc> doc;
};

}  // namespace view_testing
