// tessaro-workbook PATH: writes the default measurement workbook (three empty sheets)
// at PATH unless a file is there already, which is left as it is.
#include <cstdio>
#include <filesystem>

#include "MeasureExport.h"
#include "Workbook.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: tessaro-workbook PATH\n");
        return 2;
    }
    std::error_code error;
    if (std::filesystem::exists(argv[1], error)) return 0;
    Workbook workbook;
    workbook.CreateNew(kDefaultSheetNames);
    if (Status s = workbook.Save(argv[1]); !s) {
        std::fprintf(stderr, "%s\n", s.message.c_str());
        return 1;
    }
    return 0;
}
