// Changes of every layer of a document as one history step (colour modes, depth
// changes): the one walk over the layer chain that such commands share. The layers
// are visited in stack order from the bottom; each is made current for its change, with
// the selection laid onto it, so that the row loop's selection rule holds on every
// layer; the current layer and the selection are the user's again afterwards.
#pragma once

#include <functional>
#include <string>

#include "Document.h"
#include "Status.h"

struct AllLayerEdit {
    std::string label;        // the step recorded after the change
    bool skipText = true;     // text layers are not visited
    // Runs after every layer changed, before the step is recorded (a depth change sets
    // the canvas depth and palette here).
    std::function<void()> finish{};
};

// Changes one layer (the current one while it runs). A failed status, or
// Status::Stopped() when the user stopped it, ends the walk.
using EachLayerChange = std::function<Status(LayerRecord& layer, int slot)>;

// Runs `change` on every layer and records one step over all layers. When a change
// fails or is stopped, every layer (and the canvas depth and palette) comes back as it
// was, nothing is recorded and that status is returned. An empty document is Ok.
Status EditAllLayers(COrinDoc& doc, const AllLayerEdit& edit, const EachLayerChange& change);
