// libFuzzer target of the calibration file: its text read into the standards table as
// the editor reads it, the current standard applied, then written and read back.
#include <cstddef>
#include <cstdint>
#include <string>

#include "Calibration.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    StandardsTable table;
    ParseCalibration(std::string(reinterpret_cast<const char*>(data), size), table);
    Calibration calibration;
    ApplyStandard(table, calibration);
    CalibratedLength(0, 0, 100, 50, calibration);
    StandardsTable again;
    ParseCalibration(FormatCalibration(table), again);
    return 0;
}
