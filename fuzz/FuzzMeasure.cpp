// libFuzzer target of the measurement file: the bytes read as the editor reads a
// measurement file, the document then used as in OpenAndUse and the file written.
#include "ByteStream.h"
#include "FuzzBench.h"
#include "History.h"
#include "MeasureFile.h"
#include "OpenAndUse.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static FuzzBench bench;
    COrinDoc doc(bench.workspace);
    MeasureSheet sheet;
    MemoryStream in(data, size);
    if (ReadMeasurements(doc, sheet, in, Calibration{})) {
        UseDocument(doc);
        MemoryStream out;
        WriteMeasurements(doc, sheet, out);
    }
    RemoveStepFiles(doc);
    bench.host.messages.clear();
    return 0;
}
