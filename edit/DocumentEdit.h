// The one walk over every layer for commands that change the whole picture: flips,
// rotations, resizing, the canvas size and the colour-mode conversions. Each layer of
// the stack (bottom to top) is built anew aside from the layer as it is; only when all
// are built do they replace the old ones, the canvas takes its new values and one
// history step (code 6, every layer) is recorded. A stop or a failure midway leaves
// the document exactly as it was. Memory: the new layers, one per old layer, while it
// runs; the old layers become the step's "before" without being copied.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "Document.h"
#include "RowLoop.h"
#include "Status.h"

struct WholeEdit {
    std::string label;  // the history step
    int command = -1;   // the command id kept as the current command while it runs
    // The canvas afterwards; 0 keeps the width, height or depth.
    int width = 0, height = 0, bpp = 0;
    std::optional<std::vector<RgbQuad>> palette;  // the canvas palette afterwards (empty: none)
    // Also after the swap, before the step is recorded (the new-picture size, ...).
    std::function<void(COrinDoc&)> after;
};

// Builds the new form of `layer` into `out`, which holds a copy of the layer's record
// fields and no buffers (AllocateLayer gives it some). `share` is the layer's part of
// the progress bar: pass it to RunRowBlocks. A failed status or Status::Stopped() ends
// the walk and the command.
using LayerRebuild = std::function<Status(const LayerRecord& layer, LayerRecord& out, ProgressShare share)>;

// Runs the walk (see above). Does nothing while the same command is running already.
Status EditEveryLayer(COrinDoc& doc, const WholeEdit& edit, const LayerRebuild& rebuild);

// Gives `out` a `width` x `height` geometry at `bits` per pixel (8 for a text layer)
// and fresh buffers: pixels white, alpha `alphaFill`, auxiliary 0. Fails with the
// memory message when the size is not positive, a plane would pass 2^31 bytes or
// memory runs out.
Status AllocateLayer(LayerRecord& out, int width, int height, int bits, uint8_t alphaFill = 0);

// The canvas depth a rebuilt layer takes: the edit's new depth, or the canvas's.
int RebuiltBits(const COrinDoc& doc, const WholeEdit& edit, const LayerRecord& layer);
