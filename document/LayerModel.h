// The layer model's primitives: initialising a slot, the working copies, opening a
// decoded picture as the first layer, and whole-layer conversions. Every way of making
// a layer (add, paste, rasterize, loading, opening) goes through CreateLayerInSlot.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "Document.h"
#include "Status.h"

struct LayerSlotParams {
    std::u16string title;     // first 100 characters become the canvas title when not empty
    int format = 0;
    int bpp = 24;
    int paletteCount = 0;
    uint8_t alphaFill = 0;
    int slot = -1;
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    int paletteMode = 2;      // 0 copy the main image's palette, 1 fresh palette, 2 keep
    int canvasWidth = -1;     // -1: the requested size
    int canvasHeight = -1;
    bool resetMask = false;
    int pictureFlag = 0;
    int kind = kLayerRaster;
    int link = -1;
    bool centre = false;
    // Rows to copy into the new pixel buffer (bottom-up, `sourceStride` bytes apart),
    // instead of filling it with 255; only when the layer is the source's size.
    const uint8_t* sourceRows = nullptr;
    int sourceStride = 0;
    // Rows the layer takes over instead of copying them, when they are exactly its
    // pixel buffer (the layer's size and stride at the canvas depth); left as they
    // were otherwise, and then copied from `sourceRows` when that is given.
    std::vector<uint8_t>* adoptRows = nullptr;
};

// Initialises one slot: canvas values, geometry (never smaller than the canvas),
// fresh buffers (pixels 255, alpha = alphaFill, auxiliary 0). False for an invalid
// slot, a non-positive size or a size that does not fit in memory; nothing changes then.
bool CreateLayerInSlot(COrinDoc& doc, const LayerSlotParams& params);

// Stride, pixel size and plane size of a layer of this size at the canvas depth
// (8 bits for vector layers).
void SetLayerGeometry(const COrinDoc& doc, LayerRecord& layer, int width, int height);
int LayerBits(const COrinDoc& doc, const LayerRecord& layer);

// Working copies (store = doc.working or doc.working2).
void SaveToStore(COrinDoc& doc, LayerStore& store, int slot);
void RestoreFromStore(COrinDoc& doc, LayerStore& store, int slot);

// Makes a slot the current layer (the layer panel shows it).
void SelectLayer(COrinDoc& doc, int slot);

// Opening: the decoded main image becomes layer slot 0 ("배경영상"), converted to 24-bit
// colour when it has another depth, and the history restarts with "Opening....".
Status OpenPictureInDocument(COrinDoc& doc);

// The current layer of a palette canvas becomes a 24-bit layer (palette colours);
// false when memory runs out (the layer is unchanged then).
bool ConvertLayerToTrueColour(COrinDoc& doc, int slot);
// One row of palette indices (1, 4 or 8 bits) as blue, green, red bytes through the
// document's palette (entries it lacks are black).
void ExpandIndexRow(const COrinDoc& doc, const uint8_t* src, int width, int bits, uint8_t* dst);

// Refreshes the canvas header's derived sizes (pixel data size, width x height).
void RefreshCanvasSizes(COrinDoc& doc);

// "레이어 %d" with the slot number: the name of a new layer.
std::u16string NumberedLayerName(int slot);

// Links a freshly initialised slot into the stack directly above `below` (-1: as the
// only layer) and gives it the new-layer state: opaque, visible, normal blend, no
// effect, in use, named "레이어 %d" after its slot.
void EnterNewLayer(COrinDoc& doc, int slot, int below);

// Keeps every slot's transparency and offsets and the selection flag while a save
// runs, and puts them back when it ends, whatever happened (dropping a selection that
// was not shown before).
class SavedLayerPlaces {
public:
    explicit SavedLayerPlaces(COrinDoc& doc);
    ~SavedLayerPlaces();
    SavedLayerPlaces(const SavedLayerPlaces&) = delete;
    SavedLayerPlaces& operator=(const SavedLayerPlaces&) = delete;

private:
    struct Place {
        uint8_t transparency;
        int32_t x, y;
    };
    COrinDoc& m_doc;
    std::array<Place, kMaxLayers> m_places;
    bool m_selectionShown;
};
