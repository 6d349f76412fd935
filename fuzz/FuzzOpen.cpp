// libFuzzer target of one file format (TESSARO_FUZZ_FORMAT is its format code): the
// bytes are opened and the document used as in OpenAndUse.
#include <memory>

#include "OpenAndUse.h"
#include "StepStorage.h"

namespace {

struct Bench {
    Bench() {
        workspace.host = &host;
        workspace.steps = std::make_shared<MemoryStepStorage>();
        // Small limits: the fuzzer is to find faults, not to decode giant pictures.
        workspace.pixelLimit = 1000 * 1000;
        workspace.availableMemory = [] { return int64_t(512) << 20; };
    }
    SilentHost host;
    Workspace workspace;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static Bench bench;
    OpenAndUse(bench.workspace, data, size, TESSARO_FUZZ_FORMAT);
    bench.host.messages.clear();
    return 0;
}
