#include "TestSupport.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <random>
#include <sstream>

namespace testing_support {

std::string TestDataDir() {
    const std::string dir = TESSARO_TESTDATA_DIR;
    if (!std::filesystem::is_directory(dir)) {
        std::cerr << "\n*** The shared test pictures folder " << dir
                  << " is missing: the real-file tests are skipped. ***\n\n";
        return {};
    }
    return dir;
}

TempDir::TempDir() {
    std::random_device rd;
    for (;;) {
        m_path = std::filesystem::temp_directory_path() / ("tessaro-test-" + std::to_string(rd()));
        if (std::filesystem::create_directory(m_path)) break;
    }
}

TempDir::~TempDir() {
    std::error_code ec;
    std::filesystem::remove_all(m_path, ec);
}

std::vector<ManifestRow> ReadManifest(const std::string& name) {
    std::vector<ManifestRow> rows;
    const std::string dir = TestDataDir();
    if (dir.empty()) return rows;
    std::ifstream in(dir + "/" + name);
    std::string line;
    std::getline(in, line);  // header
    while (std::getline(in, line)) {
        std::vector<std::string> cols;
        std::stringstream ss(line);
        std::string col;
        while (std::getline(ss, col, '\t')) cols.push_back(col);
        if (cols.size() < 5) continue;
        rows.push_back({cols[0], cols[1], cols[2], cols[3], cols[4]});
    }
    return rows;
}

bool ReadPpm(const std::string& path, CImageBuffer& out) {
    std::ifstream in(path, std::ios::binary);
    std::string magic;
    int w = 0, h = 0, maxval = 0;
    if (!(in >> magic >> w >> h >> maxval) || magic != "P6" || maxval != 255) return false;
    in.get();
    std::vector<uint8_t> rgb(size_t(w) * h * 3);
    if (!in.read(reinterpret_cast<char*>(rgb.data()), std::streamsize(rgb.size()))) return false;
    if (!out.Allocate(w, h, 24, 1)) return false;
    for (int row = 0; row < h; ++row) {
        uint8_t* dst = out.Row(h - 1 - row);
        const uint8_t* src = rgb.data() + size_t(row) * w * 3;
        for (int x = 0; x < w; ++x) {
            dst[x * 3 + 0] = src[x * 3 + 2];
            dst[x * 3 + 1] = src[x * 3 + 1];
            dst[x * 3 + 2] = src[x * 3 + 0];
        }
    }
    return true;
}

bool ReadPam(const std::string& path, CImageBuffer& out) {
    std::ifstream in(path, std::ios::binary);
    std::string line, key;
    int w = 0, h = 0, depth = 0, maxval = 0;
    if (!std::getline(in, line) || line != "P7") return false;
    while (std::getline(in, line) && line != "ENDHDR") {
        std::istringstream fields(line);
        fields >> key;
        if (key == "WIDTH") fields >> w;
        else if (key == "HEIGHT") fields >> h;
        else if (key == "DEPTH") fields >> depth;
        else if (key == "MAXVAL") fields >> maxval;
    }
    if (line != "ENDHDR" || depth != 4 || maxval != 255 || w <= 0 || h <= 0) return false;
    std::vector<uint8_t> rgba(size_t(w) * h * 4);
    if (!in.read(reinterpret_cast<char*>(rgba.data()), std::streamsize(rgba.size()))) return false;
    if (!out.Allocate(w, h, 32, 1)) return false;
    out.Info().hasAlpha = true;
    for (int row = 0; row < h; ++row) {
        uint8_t* dst = out.Row(h - 1 - row);
        const uint8_t* src = rgba.data() + size_t(row) * w * 4;
        for (int x = 0; x < w; ++x) {
            dst[x * 4 + 0] = src[x * 4 + 2];
            dst[x * 4 + 1] = src[x * 4 + 1];
            dst[x * 4 + 2] = src[x * 4 + 0];
            dst[x * 4 + 3] = src[x * 4 + 3];
        }
    }
    return true;
}

bool ReadReference(const std::string& path, CImageBuffer& out) {
    const bool pam = path.size() > 4 && path.compare(path.size() - 4, 4, ".pam") == 0;
    return pam ? ReadPam(path, out) : ReadPpm(path, out);
}

int AlphaAt(const CImageBuffer& image, int x, int y) {
    return image.Bpp() == 32 && image.Info().hasAlpha ? image.ColourAt(x, y).reserved : 255;
}

::testing::AssertionResult SameRgba(const CImageBuffer& got, const CImageBuffer& want, int tolerance, bool withAlpha) {
    if (got.Width() != want.Width() || got.Height() != want.Height())
        return ::testing::AssertionFailure() << "size " << got.Width() << "x" << got.Height() << ", want "
                                             << want.Width() << "x" << want.Height();
    int differ = 0, largest = 0;
    std::ostringstream first;
    for (int y = 0; y < want.Height(); ++y)
        for (int x = 0; x < want.Width(); ++x) {
            const RgbQuad a = got.ColourAt(x, y), b = want.ColourAt(x, y);
            const int alphaGot = withAlpha ? AlphaAt(got, x, y) : 255;
            const int alphaWant = withAlpha ? AlphaAt(want, x, y) : 255;
            int d = alphaWant == 0 ? 0 : std::max({std::abs(a.red - b.red), std::abs(a.green - b.green), std::abs(a.blue - b.blue)});
            largest = std::max(largest, d);
            if (alphaGot != alphaWant) d = 1000;
            if (d <= tolerance) continue;
            if (differ++ == 0)
                first << "first at (" << x << "," << want.Height() - 1 - y << " from the top): got " << int(a.red) << ","
                      << int(a.green) << "," << int(a.blue) << "," << alphaGot << ", want " << int(b.red) << ","
                      << int(b.green) << "," << int(b.blue) << "," << alphaWant;
        }
    if (differ == 0) return ::testing::AssertionSuccess() << "largest difference " << largest;
    return ::testing::AssertionFailure() << differ << " pixels differ by more than " << tolerance << " (largest colour "
                                         << largest << "); " << first.str();
}

std::vector<uint8_t> ReadFileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

void WriteFileBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

}  // namespace testing_support
