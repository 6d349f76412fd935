// COrinDoc: one open picture. It owns the canvas header, up to 25 layer slots linked
// into a stack, the palette, the selection mask, the two working copies, the history
// and the measurements; the view state that tools read (zoom, scroll, anchor points)
// belongs to the view code, and the views keep their composites themselves. The operations on it live in their own files
// (LayerModel, Compositor, History, ProjectFile, LayerOps, OpenSave, ClipboardOps).
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "History.h"
#include "ImageBuffer.h"
#include "Layer.h"
#include "Workspace.h"

// The 25 slots and the doubly linked stack through them. Every walk starts at the
// bottom slot, follows "above" and stops at a slot number outside 0..24 (and after
// 25 steps, so that a damaged link can never loop).
class LayerStack {
public:
    std::array<LayerRecord, kMaxLayers> slots;
    int bottom = -1;
    int current = -1;

    LayerRecord& operator[](int slot) { return slots[size_t(slot)]; }
    const LayerRecord& operator[](int slot) const { return slots[size_t(slot)]; }

    // Slots from `start` (the bottom slot when -1) upward, in stack order.
    std::vector<int> Chain(int start = -1) const;
    int Count() const;                // slots in use
    int FirstOfKind(int kind) const;  // -1 when none
    int Top() const;                  // the highest layer of the stack, -1 when empty
    int FirstFree() const;            // lowest slot not in use, -1 when all 25 are
    bool IsCurrentValid() const { return IsValidSlot(current) && slots[size_t(current)].inUse; }
    LayerRecord* Current() { return IsCurrentValid() ? &slots[size_t(current)] : nullptr; }
};

// Selection mask: one byte per pixel of the current layer (rows bottom-up): 0 outside,
// 1 inside, 2 boundary. All 1 when nothing is selected.
struct SelectionMask {
    std::vector<uint8_t> bytes;
    int32_t width = 0;
    int32_t height = 0;
    int32_t x = 0;
    int32_t y = 0;
    bool shown = false;          // a selection exists and its outline is animated (on screen only)
    bool built = false;          // interior filled
    bool closed = false;         // a free or polygon boundary waits to be filled
    bool polygonSkip = false;
    bool inverted = false;
    bool lifted = false;         // the move tool lifted the selection into a floating layer
    int32_t edgeCount = 0;
    int32_t rect[4] = {0, 0, 0, 0};  // x0, y0, x1, y1 in layer coordinates
    bool rubber = false;         // the rectangle tool's rubber band (rect) is being dragged
    int32_t phase = 0;
    bool outlineEnabled = true;
    int32_t state = 0;           // further selection state kept with history steps

    uint8_t At(int px, int py) const {
        return px >= 0 && py >= 0 && px < width && py < height ? bytes[size_t(py) * size_t(width) + size_t(px)] : 0;
    }
};

// One of the two working-copy stores: per slot, a saved copy of a layer with the
// canvas values and palette at the time it was saved.
class LayerStore {
public:
    struct Entry {
        bool valid = false;
        LayerRecord record;
        CanvasHeader canvas;
        std::vector<RgbQuad> palette;
    };
    std::array<Entry, kMaxLayers> entries;
    void Clear();
};

// A change that the views may not all have shown yet: canvas columns [x0, x1) and
// bottom-up canvas rows [y0, y1) of the layer in `slot`.
struct Damage {
    uint64_t revision = 0;
    int slot = -1;
    int32_t x0 = 0, y0 = 0, x1 = 0, y1 = 0;
    bool whole = false;  // a change of the whole layer: later dabs do not join it
};

// The measurement objects of a document and their tool state; defined and made by the
// measurement code (measure/MeasureState.h), opaque to the document.
struct MeasureState;

// Zoom, scroll position and tool anchor points of the windows on a document; defined
// and made by the view code (view/ViewState.h), opaque to the document.
struct ViewState;

class COrinDoc {
public:
    explicit COrinDoc(Workspace& workspace);
    ~COrinDoc();
    COrinDoc(const COrinDoc&) = delete;
    COrinDoc& operator=(const COrinDoc&) = delete;

    Workspace& workspace;
    std::unique_ptr<CImageBuffer> mainImage;
    CanvasHeader canvas;
    std::vector<RgbQuad> palette;   // copy of the canvas palette; empty when none
    SelectionMask selection;
    LayerStack layers;
    LayerStore working;
    LayerStore working2;
    History history;
    // Operations under way that keep the selection outline still (OutlinePause.h). Kept
    // before `view`, whose tool pauses count here until the very end.
    int outlinePauses = 0;
    std::shared_ptr<ViewState> viewState;  // read through ViewOf (view/ViewState.h)
    std::shared_ptr<MeasureState> measure;  // made on first use

    int32_t number = 0;             // 101..999, names the step files
    std::string path;               // full path of the file, empty for new pictures
    std::string fileName;           // the part after the last separator, shown in the title
    std::string titleText;          // current window title
    bool redoTitle = false;         // the title lists the redo positions until the next layer change
    bool busy = false;
    bool changed = false;             // unsaved changes (the exit question)
    uint64_t revision = 0;            // rises with every change that the display shows
    uint64_t damageFloor = 0;         // changes up to this revision are known only as "everything"
    std::vector<Damage> damage;       // the changes after damageFloor, oldest first
    bool flattenRequest = false;
    // The last colour reduction: its depth (4 or 8) and whether its palette was computed
    // from the picture (else the standard palette).
    int reductionDepth = 8;
    bool reductionOptimal = true;
    // "Set Transparency": 1 while the next click on the picture picks the transparent
    // colour, 2 while that click's button is still down (its drag and release do nothing).
    int setTransparency = 0;

    // Document working buffers used by painting and filters (pixels and alpha of a layer).
    std::vector<uint8_t> workPixels;
    std::vector<uint8_t> workAlpha;

    bool IsEmpty() const { return layers.bottom < 0; }
    // Something the display shows changed (pixels, layers, selection, zoom): views
    // compose the picture again instead of reusing their last composite.
    void Touch() {
        damageFloor = ++revision;
        damage.clear();
    }
    // Pixels of the layer in `slot` changed in its columns [x0, x1) and rows [y0, y1)
    // (layer coordinates, rows bottom-up): views compose that part again.
    void TouchLayer(int slot, int x0, int y0, int x1, int y1);
    // Anything of the layer in `slot` may have changed (pixels anywhere, its shadow):
    // views compose it again everywhere and keep what they hold of the other layers.
    void TouchLayer(int slot);
    LayerRecord* CurrentLayer() { return layers.Current(); }
    int CanvasStride() const;
    bool HasPalette() const { return canvas.paletteCount != 0 && !palette.empty(); }

    // Window title: "%s %d %s " with the file name, zoom x 100 and "%", then `text`.
    // Without a zoom the title keeps the zoom of the last title the views set.
    const std::string& SetTitle(const std::string& text);
    const std::string& SetTitle(const std::string& text, float zoom);
    int titlePercent = 100;

private:
    void KeepDamage(const Damage& d);
};
