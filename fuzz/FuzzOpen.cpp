// libFuzzer target of one file format (TESSARO_FUZZ_FORMAT is its format code): the
// bytes are opened and the document used as in OpenAndUse.
#include "FuzzBench.h"
#include "OpenAndUse.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static FuzzBench bench;
    OpenAndUse(bench.workspace, data, size, TESSARO_FUZZ_FORMAT);
    bench.host.messages.clear();
    return 0;
}
