// Changes of every layer of a document as one history step (colour modes, depth
// changes, flips, turns, sizes): the one walk over the layer chain that such commands
// share. The layers are visited in stack order from the bottom; each is made current
// for its change, with the selection laid onto it, so that the row loop's selection
// rule holds on every layer; the current layer and the selection are the user's again
// afterwards. A failure or a stop leaves every layer, the canvas and the palette as
// they were and records nothing.
#pragma once

#include <functional>
#include <string>

#include "Document.h"
#include "RowLoop.h"
#include "Status.h"

struct AllLayerEdit {
    std::string label;        // the step recorded after the change
    bool skipText = true;     // text layers are not visited
    // Runs after every layer changed, before the step is recorded (a depth change sets
    // the canvas depth and palette here, a size change the canvas size).
    std::function<void()> finish{};
};

// Changes one layer in place (the current one while it runs). A failed status, or
// Status::Stopped() when the user stopped it, ends the walk.
using EachLayerChange = std::function<Status(LayerRecord& layer, int slot)>;

// Runs `change` on every layer and records one step over all layers. The layers are
// copied first for the step's "before". An empty document is Ok.
Status EditAllLayers(COrinDoc& doc, const AllLayerEdit& edit, const EachLayerChange& change);

// Builds the new form of `layer` into `out`, which holds a copy of the layer's record
// fields; it must call AllocateLayer on `out` first (its buffers may hold the memory of
// the layer's old working copy, which AllocateLayer sizes and fills). `share` is the
// layer's part of the progress bar (pass it to RunRowBlocks).
using EachLayerRebuild = std::function<Status(const LayerRecord& layer, LayerRecord& out, ProgressShare share)>;

// The walk for changes of geometry: every layer is built anew aside from the layer as
// it is; only when all are built do they replace the old ones, which become the step's
// "before" without a copy, and `finish` runs. Peak memory: one new layer per layer.
Status RebuildAllLayers(COrinDoc& doc, const AllLayerEdit& edit, const EachLayerRebuild& rebuild);
