// A document opened from a blank true-colour picture for the benchmarks, its history
// kept in memory.
#pragma once

#include <memory>

#include "Document.h"
#include "LayerModel.h"
#include "Workspace.h"

struct BenchDocument {
    SilentHost host;
    Workspace workspace;
    COrinDoc doc{workspace};
    BenchDocument(int width, int height) {
        workspace.host = &host;
        workspace.steps = std::make_shared<MemoryStepStorage>();
        doc.mainImage = std::make_unique<CImageBuffer>(width, height, 24, kFormatBmp);
        OpenPictureInDocument(doc);
    }
};
