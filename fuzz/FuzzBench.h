// The workspace every file fuzz target opens into: step files in memory and small
// limits (the fuzzer is to find faults, not to decode giant pictures).
#pragma once

#include <memory>

#include "StepStorage.h"
#include "Workspace.h"

struct FuzzBench {
    FuzzBench() {
        workspace.host = &host;
        workspace.steps = std::make_shared<MemoryStepStorage>();
        workspace.pixelLimit = 1000 * 1000;
        workspace.availableMemory = [] { return int64_t(512) << 20; };
    }
    SilentHost host;
    Workspace workspace;
};
