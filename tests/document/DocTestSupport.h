// Helpers for the document tests: a workspace whose step files go to a temporary
// folder (or memory), small documents opened from pictures built in the test, and a
// whole-document snapshot (every layer in use with its record and buffers, the
// stack, the canvas and the palette) that can be compared after undo and redo.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "Document.h"
#include "Compositor.h"
#include "History.h"
#include "LayerModel.h"
#include "LayerOps.h"
#include "EditorFixture.h"
#include "TestSupport.h"
#include "Utf16.h"
#include "Workspace.h"

namespace doctest {

using editor_test::Bench;
using editor_test::Gradient;

// Blue, green, red bytes of a 24-bit layer pixel as 0xRRGGBB.
inline uint32_t PixelAt(const LayerRecord& r, int x, int y) {
    const uint8_t* p = r.pixels.data() + size_t(y) * size_t(r.stride) + size_t(x) * 3;
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16;
}
inline void SetPixel(LayerRecord& r, int x, int y, uint32_t rgb) {
    uint8_t* p = r.pixels.data() + size_t(y) * size_t(r.stride) + size_t(x) * 3;
    p[0] = uint8_t(rgb);
    p[1] = uint8_t(rgb >> 8);
    p[2] = uint8_t(rgb >> 16);
}
inline uint8_t& AlphaAt(LayerRecord& r, int x, int y) { return r.alpha[size_t(y) * size_t(r.width) + size_t(x)]; }

// Fills a 24-bit layer: colour(x, y) and alpha(x, y) for every pixel of the layer.
inline void Paint(LayerRecord& r, const std::function<uint32_t(int, int)>& colour,
                  const std::function<uint8_t(int, int)>& alpha = nullptr) {
    for (int y = 0; y < r.height; ++y)
        for (int x = 0; x < r.width; ++x) {
            SetPixel(r, x, y, colour(x, y));
            if (alpha) AlphaAt(r, x, y) = alpha(x, y);
        }
}

// Every layer in use (its stored record bytes, buffers and text), the stack and the canvas.
struct DocState {
    struct Slot {
        int slot = -1;
        std::vector<uint8_t> record;  // the 400 stored bytes
        std::vector<uint8_t> pixels, alpha, aux;
        std::u16string text;
    };
    std::vector<Slot> slots;
    std::vector<int> chain;
    int bottom = -1;
    std::vector<uint8_t> canvas;
    std::vector<uint32_t> palette;
};

inline DocState Capture(const COrinDoc& doc) {
    DocState s;
    for (int i = 0; i < kMaxLayers; ++i) {
        const LayerRecord& r = doc.layers[i];
        if (!r.inUse) continue;
        DocState::Slot slot;
        slot.slot = i;
        slot.record.resize(kLayerRecordBytes);
        SerializeLayerRecord(r, slot.record.data(), kLayerRecordBytes);
        slot.pixels = r.pixels;
        slot.alpha = r.alpha;
        slot.aux = r.aux;
        slot.text = r.text;
        s.slots.push_back(std::move(slot));
    }
    s.chain = doc.layers.Chain();
    s.bottom = doc.layers.bottom;
    s.canvas.resize(kCanvasHeaderBytes);
    SerializeCanvasHeader(doc.canvas, s.canvas.data());
    for (const RgbQuad& q : doc.palette) s.palette.push_back(q.Value());
    return s;
}

// Describes the first difference, or returns "" when the two states are equal.
inline std::string Difference(const DocState& a, const DocState& b) {
    if (a.chain != b.chain) return "stack order differs";
    if (a.bottom != b.bottom) return "bottom slot differs";
    if (a.canvas != b.canvas) return "canvas header differs";
    if (a.palette != b.palette) return "palette differs";
    if (a.slots.size() != b.slots.size()) return "number of layers in use differs";
    for (size_t i = 0; i < a.slots.size(); ++i) {
        const DocState::Slot& x = a.slots[i];
        const DocState::Slot& y = b.slots[i];
        const std::string where = "slot " + std::to_string(x.slot) + ": ";
        if (x.slot != y.slot) return "slots in use differ";
        for (size_t k = 0; k < x.record.size(); ++k)
            if (x.record[k] != y.record[k]) return where + "record byte " + std::to_string(k) + " differs";
        if (x.pixels != y.pixels) return where + "pixels differ";
        if (x.alpha != y.alpha) return where + "alpha plane differs";
        if (x.aux != y.aux) return where + "auxiliary plane differs";
        if (x.text != y.text) return where + "text differs";
    }
    return "";
}

// Four layers on a 6 x 4 canvas, recorded as seven positions (0..6):
//   slot 0 the backdrop (the opened gradient);
//   slot 1 "Paint" in screen mode, painted with partial alpha and an auxiliary plane;
//   slot 2 "Tree", re-made 9 x 7 at offsets (-2, 1) and painted;
//   slot 3 "Sky", hidden, multiply, transparency 100, painted. Slot 3 is current.
// `states` receives the document after each position.
inline std::unique_ptr<COrinDoc> OpenRich(Bench& bench, std::vector<DocState>* states = nullptr) {
    auto doc = bench.Open(6, 4, Gradient);
    auto keep = [&] {
        if (states) states->push_back(Capture(*doc));
    };
    keep();
    EXPECT_TRUE(AddLayer(*doc).ok);  // 1
    RenameLayer(*doc, u"Paint");
    doc->layers[1].blend = kBlendScreen;
    keep();
    Paint(doc->layers[1], [](int x, int y) { return uint32_t(0x102030 * (x + 1) + 0x050301 * y); },
          [](int x, int y) { return uint8_t((x + y) % 3 == 0 ? 0 : 40 * (x + 1)); });
    for (size_t i = 0; i < doc->layers[1].aux.size(); ++i) doc->layers[1].aux[i] = uint8_t(i * 10);
    RecordStep(*doc, "붓 그리기", kStepPixels);  // 2
    keep();
    EXPECT_TRUE(AddLayer(*doc).ok);  // 3
    RenameLayer(*doc, u"Tree");
    keep();
    LayerSlotParams p;
    p.slot = 2;
    p.width = 9;
    p.height = 7;
    p.x = -2;
    p.y = 1;
    p.bpp = 24;
    p.paletteMode = 2;
    p.canvasWidth = 6;
    p.canvasHeight = 4;
    EXPECT_TRUE(CreateLayerInSlot(*doc, p));
    Paint(doc->layers[2], [](int x, int y) { return uint32_t(0x0F0E0D * (x + 2 * y)); },
          [](int x, int y) { return uint8_t(x > 6 ? 0 : 255 - 20 * y); });
    RecordStep(*doc, "그림크기조정", kStepPixels);  // 4
    keep();
    EXPECT_TRUE(AddLayer(*doc).ok);  // 5
    RenameLayer(*doc, u"Sky");
    doc->layers[3].visible = 0;
    doc->layers[3].blend = kBlendMultiply;
    keep();
    Paint(doc->layers[3], [](int x, int y) { return uint32_t(0xA0B0C0 - 0x010101 * (x * y)); },
          [](int x, int) { return uint8_t(x * 50); });
    doc->layers[3].transparency = 100;
    RecordStep(*doc, "채우기", kStepPixels);  // 6
    keep();
    return doc;
}

#define EXPECT_SAME_STATE(a, b) EXPECT_EQ(doctest::Difference((a), (b)), "")

// The composite of the whole canvas at zoom 1, rows top-down.
inline std::vector<uint32_t> Composite(const COrinDoc& doc) {
    ComposeParams p;
    p.width = doc.canvas.width;
    p.height = doc.canvas.height;
    std::vector<uint32_t> out;
    ComposeLayers(doc, p, out);
    return out;
}

inline std::u16string U(const char* utf8) { return Utf8ToUtf16(utf8); }

}  // namespace doctest
