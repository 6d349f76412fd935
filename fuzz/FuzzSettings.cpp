// libFuzzer target: the settings file's bytes read over the installed settings, as
// the editor reads them at start-up, then written and read back.
#include <cstddef>
#include <cstdint>
#include <string>

#include "SettingsFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Settings settings;
    DecodeSettings(std::string(reinterpret_cast<const char*>(data), size), settings);
    Settings again;
    DecodeSettings(EncodeSettings(settings), again);
    return 0;
}
