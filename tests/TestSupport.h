// Helpers shared by the tests: small pictures built in memory, the shared test
// pictures folder and temporary folders that clean up after themselves.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <ostream>
#include <string>
#include <vector>

#include "ImageBuffer.h"

namespace testing_support {

// The folder of real pictures that no one here wrote, or "" (with a loud notice).
std::string TestDataDir();

// A fresh empty folder under the system temporary folder, removed on destruction.
class TempDir {
public:
    TempDir();
    ~TempDir();
    const std::filesystem::path& Path() const { return m_path; }
    std::string File(const std::string& name) const { return (m_path / name).string(); }

private:
    std::filesystem::path m_path;
};

// A 24-bit picture whose pixel (x, y) (y = 0 the bottom row) is given by colour(x, y)
// as 0xRRGGBB.
template <class F>
void FillTrueColour(CImageBuffer& image, F colour) {
    for (int y = 0; y < image.Height(); ++y)
        for (int x = 0; x < image.Width(); ++x) {
            const uint32_t c = colour(x, y);
            uint8_t* p = image.Row(y) + size_t(x) * (image.Bpp() / 8);
            p[0] = uint8_t(c);
            p[1] = uint8_t(c >> 8);
            p[2] = uint8_t(c >> 16);
        }
}

// One row of a manifest of the shared pictures: MANIFEST.tsv, or MANIFEST-beyond.tsv
// for the PNG, WebP, AVIF and EXIF orientation files (empty list when the folder is missing).
struct ManifestRow {
    std::string file, format, variant, expect, reference;
    bool Marked(const char* mark) const { return variant.find(mark) != std::string::npos; }
};
std::vector<ManifestRow> ReadManifest(const std::string& name = "MANIFEST.tsv");
inline void PrintTo(const ManifestRow& row, std::ostream* os) { *os << row.file; }

// Reads a binary PPM (P6, maxval 255) into a 24-bit picture; false when unreadable.
bool ReadPpm(const std::string& path, CImageBuffer& out);
// Reads a PAM (P7, depth 4, maxval 255, RGB_ALPHA) into a 32-bit picture with alpha.
bool ReadPam(const std::string& path, CImageBuffer& out);
// A reference picture: PAM for names ending in ".pam", PPM otherwise.
bool ReadReference(const std::string& path, CImageBuffer& out);

// A decoded picture against a reference, pixel for pixel (whatever the depths): with a
// reference that has alpha, alpha must be equal everywhere and colour (within
// `tolerance`) wherever the reference alpha is not 0; an opaque reference wants equal
// colour and no pixel of `got` less than fully covered. Without `withAlpha` only the
// colours are compared, everywhere.
::testing::AssertionResult SameRgba(const CImageBuffer& got, const CImageBuffer& want, int tolerance = 0,
                                    bool withAlpha = true);
// Alpha of a pixel: the fourth byte of a picture with alpha, 255 otherwise.
int AlphaAt(const CImageBuffer& image, int x, int y);

std::vector<uint8_t> ReadFileBytes(const std::string& path);
void WriteFileBytes(const std::string& path, const std::vector<uint8_t>& bytes);

}  // namespace testing_support
