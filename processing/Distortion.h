// The distortion routine: resamples a rectangle of a layer from radially displaced
// source points, in place (a source point the scan has already rewritten gives its
// new colour). Rows are layer rows (bottom-up); the rectangle covers columns left ..
// right - 1 and rows top .. bottom - 1, clipped to the layer, and sources are clamped
// to the processed pixels (the last column and row included), so nothing outside the layer is ever read.
#pragma once

#include "Document.h"
#include "Status.h"

struct DistortParams {
    int mode = 0;          // 0 enlarge, 1 squash, 3 polar unwrap, 4 and above glass ribs
    bool feather = false;  // fade the effect to nothing at the rectangle's edges
    double strength = 1.0;
    int radius = 0;        // 0: half the rectangle's diagonal
    int left = 0, right = 0, top = 0, bottom = 0;
};

// Fails (nothing done, no message) when top == bottom or the slot holds no layer.
// Reports progress per row and stops between rows when the host asks
// (Status::Stopped(); the rows done stay changed: the caller restores the layer).
Status Distort(COrinDoc& doc, int slot, const DistortParams& p);
