// View coordinates to the current layer's coordinates (columns from the left, rows
// bottom-up), growing the layer when a painted point falls outside it.
#pragma once

#include "Document.h"

struct LayerPoint {
    int x = 0;
    int y = 0;
};

// layer x = trunc(view x / zoom) - layer x offset;
// layer y = layer y offset + canvas height - trunc(view y / zoom) - 1.
// With `grow`, a point outside the current layer enlarges it first (by the overshoot
// plus 15 on that axis) and the conversion is repeated.
LayerPoint ViewToLayer(COrinDoc& doc, int viewX, int viewY, bool grow, bool refresh = true);
// The same for another layer than the current one, never growing it.
LayerPoint ViewToLayerOf(const COrinDoc& doc, int slot, int viewX, int viewY);
