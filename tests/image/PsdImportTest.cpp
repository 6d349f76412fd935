// PSD import on small documents built here byte by byte (big-endian header, the
// four sections, planar channel data raw or PackBits), with expected colours worked
// out by hand from the conversion rules.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cmath>

#include "ByteStream.h"
#include "Codecs.h"
#include "ImageBuffer.h"
#include "TestSupport.h"

namespace {

using Rgb = std::array<int, 3>;

struct Bytes {
    std::vector<uint8_t> v;
    void U8(unsigned x) { v.push_back(uint8_t(x)); }
    void U16(unsigned x) { U8(x >> 8), U8(x); }
    void U32(uint32_t x) { U16(x >> 16), U16(x & 0xFFFF); }
    void Add(const std::vector<uint8_t>& b) { v.insert(v.end(), b.begin(), b.end()); }
    void Section(const std::vector<uint8_t>& b) { U32(uint32_t(b.size())), Add(b); }
};

// PackBits as a writer would do it: repeats of 3 or more, literals otherwise.
std::vector<uint8_t> PackBits(const std::vector<uint8_t>& row) {
    std::vector<uint8_t> out;
    for (size_t i = 0; i < row.size();) {
        size_t run = 1;
        while (i + run < row.size() && run < 128 && row[i + run] == row[i]) ++run;
        if (run >= 3) {
            out.push_back(uint8_t(1 - int(run))), out.push_back(row[i]);
            i += run;
            continue;
        }
        size_t lit = 0;
        while (i + lit < row.size() && lit < 128 &&
               !(i + lit + 2 < row.size() && row[i + lit] == row[i + lit + 1] && row[i + lit] == row[i + lit + 2]))
            ++lit;
        out.push_back(uint8_t(lit - 1));
        out.insert(out.end(), row.begin() + long(i), row.begin() + long(i + lit));
        i += lit;
    }
    return out;
}

// A document description; `planes` holds width x height samples per channel, top row first.
struct Psd {
    uint16_t version = 1, mode = 3, depth = 8, compression = 0;
    uint32_t width = 1, height = 1;
    int channels = -1;  // -1: planes.size()
    std::vector<std::vector<uint32_t>> planes;
    std::vector<uint8_t> colourModeData, resources, layers;
    int resourceLengthDelta = 0;
    std::vector<std::vector<uint8_t>> packedRows;  // replaces the encoded rows when set

    std::vector<uint8_t> Build() const {
        Bytes b;
        b.Add({'8', 'B', 'P', 'S'});
        b.U16(version);
        b.Add({0, 0, 0, 0, 0, 0});
        b.U16(channels < 0 ? unsigned(planes.size()) : unsigned(channels));
        b.U32(height), b.U32(width), b.U16(depth), b.U16(mode);
        b.Section(colourModeData);
        b.U32(uint32_t(resources.size() + resourceLengthDelta)), b.Add(resources);
        b.Section(layers);
        b.U16(compression);
        std::vector<std::vector<uint8_t>> rows = packedRows;
        for (const auto& plane : planes)
            for (uint32_t y = 0; y < height && packedRows.empty(); ++y) {
                Bytes row;
                for (uint32_t x = 0; x < width; ++x) {
                    const uint32_t sample = plane[y * width + x];
                    depth == 16 ? row.U16(sample) : row.U8(sample);
                }
                rows.push_back(compression == 1 ? PackBits(row.v) : row.v);
            }
        if (compression == 1)
            for (const auto& r : rows) b.U16(unsigned(r.size()));
        for (const auto& r : rows) b.Add(r);
        return b.v;
    }
};

std::vector<uint8_t> Resource(uint16_t id, const std::string& name, const std::vector<uint8_t>& data) {
    Bytes b;
    b.Add({'8', 'B', 'I', 'M'});
    b.U16(id), b.U8(unsigned(name.size()));
    b.Add(std::vector<uint8_t>(name.begin(), name.end()));
    if (name.size() % 2 == 0) b.U8(0);
    b.U32(uint32_t(data.size())), b.Add(data);
    if (data.size() % 2) b.U8(0);
    return b.v;
}

int Import(const std::vector<uint8_t>& file, PlainBitmap& out) {
    MemoryStream in(file.data(), file.size());
    return ImportPsd(in, out);
}
int Import(const Psd& psd, PlainBitmap& out) { return Import(psd.Build(), out); }
int Import(const Psd& psd) {
    PlainBitmap ignored;
    return Import(psd, ignored);
}

Rgb At(const PlainBitmap& b, int x, int y) {  // y from the top
    const uint8_t* p = b.pixels.data() + size_t(y) * b.stride + size_t(x) * 3;
    return {p[2], p[1], p[0]};
}

// A one-pixel document of the given mode whose channels hold `samples`.
Rgb OnePixel(uint16_t mode, uint16_t depth, std::vector<uint32_t> samples, uint16_t compression = 0) {
    Psd psd;
    psd.mode = mode, psd.depth = depth, psd.compression = compression;
    for (uint32_t s : samples) psd.planes.push_back({s});
    PlainBitmap out;
    EXPECT_EQ(Import(psd, out), 0);
    return out.pixels.empty() ? Rgb{-1, -1, -1} : At(out, 0, 0);
}

Psd Rgb3x2(uint16_t compression) {
    Psd psd;
    psd.width = 3, psd.height = 2, psd.compression = compression;
    psd.planes = {{10, 20, 30, 40, 50, 60}, {1, 2, 3, 4, 5, 6}, {200, 201, 202, 203, 204, 205},
                  {9, 9, 9, 9, 9, 9}};  // the fourth (alpha) channel is ignored
    return psd;
}

TEST(PsdImport, RgbRawAndRunLengthGiveTheSameTopDownBitmap) {
    for (uint16_t compression : {0, 1}) {
        PlainBitmap out;
        ASSERT_EQ(Import(Rgb3x2(compression), out), 0) << compression;
        EXPECT_EQ(out.width, 3);
        EXPECT_EQ(out.height, 2);
        EXPECT_EQ(out.bitsPerPixel, 24);
        EXPECT_TRUE(out.topDown);
        EXPECT_EQ(out.stride, 12);
        EXPECT_EQ(out.dpi, 96);
        ASSERT_EQ(out.pixels.size(), 24u);
        EXPECT_EQ(out.pixels[3], 201);  // blue, green, red: pixel (1, 0) starts with its blue
        EXPECT_EQ(At(out, 0, 0), (Rgb{10, 1, 200}));
        EXPECT_EQ(At(out, 2, 0), (Rgb{30, 3, 202}));
        EXPECT_EQ(At(out, 1, 1), (Rgb{50, 5, 204}));
        EXPECT_EQ(out.pixels[9], 0xFF);  // row padding stays white
        // Through the image object the first file row becomes the top (y = 1) row.
        CImageBuffer image(kFormatBmp);
        ASSERT_TRUE(image.FromBitmapHandle(&out));
        EXPECT_EQ(image.ColourAt(2, 1).red, 30);
        EXPECT_EQ(image.ColourAt(0, 0).blue, 203);
    }
}

TEST(PsdImport, PackBitsRowsWithNoOpsAndMixedRuns) {
    Psd psd;
    psd.mode = 1, psd.width = 5, psd.height = 1, psd.compression = 1, psd.channels = 1;
    psd.packedRows = {{0x80, 0xFE, 16, 0x01, 32, 48}};  // no-op, 3 x 16, literal 32 48
    PlainBitmap out;
    ASSERT_EQ(Import(psd, out), 0);
    EXPECT_EQ(At(out, 2, 0), (Rgb{16, 16, 16}));
    EXPECT_EQ(At(out, 4, 0), (Rgb{48, 48, 48}));

    psd.packedRows = {{0x05, 1, 2, 3, 4, 5, 6}};  // a literal of 6 in a 5-byte row
    EXPECT_EQ(Import(psd), -6);
    psd.packedRows = {{0xFE, 7, 0x00, 8}};  // fills only 4 of 5 bytes
    EXPECT_EQ(Import(psd), -6);
    psd.packedRows = {{0x04, 1, 2, 3}};  // literal runs past the row's own bytes
    EXPECT_EQ(Import(psd), -6);
    psd.packedRows = {{0xFC}};  // repeat without its byte (and shorter than any 5-byte row)
    EXPECT_EQ(Import(psd), -6);
}

TEST(PsdImport, GreyDuotoneAndIndexed) {
    EXPECT_EQ(OnePixel(1, 8, {77}), (Rgb{77, 77, 77}));
    EXPECT_EQ(OnePixel(1, 16, {0x12AB}), (Rgb{0x12, 0x12, 0x12}));
    EXPECT_EQ(OnePixel(1, 16, {0x00FF}, 1), (Rgb{0, 0, 0}));
    EXPECT_EQ(OnePixel(8, 8, {200, 5}), (Rgb{200, 200, 200}));
    EXPECT_EQ(OnePixel(3, 16, {0xFF00, 0x80FF, 0x0101}, 1), (Rgb{255, 128, 1}));

    Psd psd;
    psd.mode = 2, psd.width = 3;
    psd.colourModeData.assign(768, 0);
    psd.colourModeData[1] = 11, psd.colourModeData[256 + 1] = 21, psd.colourModeData[512 + 1] = 31;
    psd.colourModeData[255] = 12, psd.colourModeData[256 + 255] = 22, psd.colourModeData[512 + 255] = 32;
    psd.planes = {{1, 255, 0}};
    PlainBitmap out;
    ASSERT_EQ(Import(psd, out), 0);
    EXPECT_EQ(At(out, 0, 0), (Rgb{11, 21, 31}));
    EXPECT_EQ(At(out, 1, 0), (Rgb{12, 22, 32}));
    EXPECT_EQ(At(out, 2, 0), (Rgb{0, 0, 0}));
    psd.colourModeData.resize(767);  // no usable colour table: refused, not a blank picture
    EXPECT_EQ(Import(psd), -6);
}

TEST(PsdImport, CmykAndMultichannelUseTheInvertedInkFormula) {
    // c = 1 - 255/256, k = 1/256: 1 - (k + (1 - k) c) = 1 - 511/65536, x 255 = 253.01 -> 253;
    // 128: 1 - 257/512 -> 127.002 -> 127; 64: 1 - 192.25/256 -> 63.501 + 0.5 -> 64.
    EXPECT_EQ(OnePixel(4, 8, {255, 128, 64, 255}), (Rgb{253, 127, 64}));
    EXPECT_EQ(OnePixel(4, 8, {255, 128, 64, 255}, 1), (Rgb{253, 127, 64}));
    // k = 1/2: C = 0 gives 0; M = 255: 1 - (1/2 + 1/512) -> 127.002 -> 127.
    EXPECT_EQ(OnePixel(4, 8, {0, 255, 255, 128}), (Rgb{0, 127, 127}));
    EXPECT_EQ(OnePixel(4, 8, {255, 255, 255, 0}), (Rgb{0, 0, 0}));
    // D = 65536: 65535 -> 254.992 + 0.5 -> 255; 32768 -> 65535/131072 x 255 = 127.498 -> 127.
    EXPECT_EQ(OnePixel(4, 16, {65535, 32768, 0, 65535}), (Rgb{255, 127, 0}));
    // Three channels: k = 0, so the byte is floor(C / 256 x 255 + 0.5).
    EXPECT_EQ(OnePixel(7, 8, {255, 128, 0}), (Rgb{254, 128, 0}));
    EXPECT_EQ(OnePixel(7, 8, {255, 128, 64, 255}), (Rgb{253, 127, 64}));
    EXPECT_EQ(OnePixel(7, 8, {255, 128, 64, 255, 0}, 1), (Rgb{253, 127, 64}));
    Psd two;
    two.mode = 7, two.planes = {{1}, {2}};
    EXPECT_EQ(Import(two), -6);
}

TEST(PsdImport, LabNeutralsFollowTheSrgbCurve) {
    EXPECT_EQ(OnePixel(9, 8, {0, 128, 128}), (Rgb{0, 0, 0}));
    // L* = 50 is relative luminance 0.18419, sRGB 0.4663 x 255 = 118.9.
    EXPECT_EQ(OnePixel(9, 8, {128, 128, 128}), (Rgb{119, 119, 119}));
    EXPECT_EQ(OnePixel(9, 16, {65535, 32768, 32768}), (Rgb{255, 255, 255}));
    // L* 50, a* +127, b* +72 lies outside sRGB: linear red 1.43 and green -0.17 are clamped.
    const Rgb red = OnePixel(9, 8, {128, 255, 200});
    EXPECT_EQ(red[0], 255);
    EXPECT_EQ(red[1], 0);
    EXPECT_LT(red[2], 20);
}

// Oracle: the sRGB curve with a power function per sample, rounded to the nearest byte.
int ScalarLabChannel(const std::array<double, 3>& row, double x, double y, double z) {
    double v = std::clamp(row[0] * x + row[1] * y + row[2] * z, 0.0, 1.0);
    v = v <= 0.0031308 ? 12.92 * v : 1.055 * std::pow(v, 1 / 2.4) - 0.055;
    return int(std::floor(v * 255 + 0.5));
}

TEST(PsdImport, LabMatchesAScalarConversionEverywhere) {
    Psd psd;
    psd.mode = 9, psd.planes.assign(3, {});
    for (uint32_t l = 0; l < 256; l += 5)
        for (uint32_t a = 0; a < 256; a += 15)
            for (uint32_t b = 0; b < 256; b += 15) {
                psd.planes[0].push_back(l);
                psd.planes[1].push_back(a);
                psd.planes[2].push_back(b);
            }
    psd.width = uint32_t(psd.planes[0].size());
    PlainBitmap out;
    ASSERT_EQ(Import(psd, out), 0);
    auto inverse = [](double f) { return f * f * f > 0.008856 ? f * f * f : (f - 16.0 / 116) / 7.787; };
    int differ = 0;
    for (uint32_t i = 0; i < psd.width; ++i) {
        const double fy = (psd.planes[0][i] * 100.0 / 256 + 16) / 116;
        const double x = 0.95047 * inverse(fy + (psd.planes[1][i] - 128.0) * 0.002);
        const double y = inverse(fy);
        const double z = 1.08883 * inverse(fy - (psd.planes[2][i] - 128.0) * 0.005);
        const Rgb want = {ScalarLabChannel({3.2404542, -1.5371385, -0.4985314}, x, y, z),
                          ScalarLabChannel({-0.9692660, 1.8760108, 0.0415560}, x, y, z),
                          ScalarLabChannel({0.0556434, -0.2040259, 1.0572252}, x, y, z)};
        differ += At(out, int(i), 0) != want;
    }
    EXPECT_EQ(differ, 0);
}

TEST(PsdImport, HeaderAndSectionFaults) {
    const std::vector<uint8_t> good = Rgb3x2(0).Build();
    auto patched = [&](size_t at, uint8_t value) {
        std::vector<uint8_t> f = good;
        f[at] = value;
        PlainBitmap out;
        return Import(f, out);
    };
    EXPECT_EQ(patched(0, '9'), -2);   // signature
    EXPECT_EQ(patched(5, 2), -2);     // version 2 (large document format)
    EXPECT_EQ(patched(11, 1), -2);    // reserved
    EXPECT_EQ(patched(26, 0x7F), -3); // colour mode data longer than the file
    EXPECT_EQ(patched(30, 0x7F), -4); // resource section longer than the file
    EXPECT_EQ(patched(34, 0x7F), -5); // layer section longer than the file
    PlainBitmap out;
    EXPECT_EQ(Import(std::vector<uint8_t>(good.begin(), good.begin() + 20), out), -2);
    EXPECT_EQ(ImportPsdFile("/nonexistent/x.psd", out), -1);

    Psd psd = Rgb3x2(1);
    psd.layers.assign(10, 0x55);  // skipped whole
    psd.colourModeData = {1, 2, 3};
    EXPECT_EQ(Import(psd), 0);
    for (auto [depth, code] : {std::pair{1, -7}, {32, -8}, {4, -8}}) {
        psd.depth = uint16_t(depth);
        EXPECT_EQ(Import(psd), code) << depth;
    }
    psd.depth = 8, psd.compression = 2;
    EXPECT_EQ(Import(psd), -6);
}

TEST(PsdImport, ResourceBlocksMustFillTheirSection) {
    Psd psd = Rgb3x2(0);
    Bytes res;
    res.Add(Resource(1005, "", {0, 72, 0, 0, 0, 1, 0, 1, 0, 72, 0, 0, 0, 1, 0, 1}));
    res.Add(Resource(1034, "a", {1}));         // odd size, padded
    res.Add(Resource(4000, "abc", {1, 2, 3}));  // unknown, skipped
    std::vector<uint8_t> thumb(28, 0);
    thumb.insert(thumb.end(), {1, 2, 3, 4, 5});
    res.Add(Resource(1033, "", thumb));
    res.Add(Resource(1037, "", {0, 0, 0, 30}));
    psd.resources = res.v;
    EXPECT_EQ(Import(psd), 0);
    psd.resourceLengthDelta = 2;  // two bytes no block fills
    EXPECT_EQ(Import(psd), -4);
    psd.resourceLengthDelta = -2;  // the last block passes the section
    EXPECT_EQ(Import(psd), -4);

    psd.resourceLengthDelta = 0;
    psd.resources = Resource(1005, "", {0, 72, 0, 0});  // shorter than its fields
    EXPECT_EQ(Import(psd), -4);
    psd.resources = Resource(1036, "", std::vector<uint8_t>(20, 0));
    EXPECT_EQ(Import(psd), -4);
    psd.resources = Resource(1000, "", std::vector<uint8_t>(10, 0));
    psd.resources[3] = 'X';  // not "8BIM"
    EXPECT_EQ(Import(psd), -4);
}

TEST(PsdImport, TruncatedOrDamagedImageData) {
    for (uint16_t compression : {0, 1}) {
        std::vector<uint8_t> f = Rgb3x2(compression).Build();
        PlainBitmap out;
        EXPECT_EQ(Import(std::vector<uint8_t>(f.begin(), f.end() - 1), out), -6) << compression;
        EXPECT_TRUE(out.pixels.empty());
        // The image data starts at 38 (header and three empty sections): cut in the
        // compression field, and in the byte-count table or the first raw row.
        EXPECT_EQ(Import(std::vector<uint8_t>(f.begin(), f.begin() + 39), out), -6);
        EXPECT_EQ(Import(std::vector<uint8_t>(f.begin(), f.begin() + 45), out), -6);
    }
    // The ignored alpha channel is still checked.
    Psd psd = Rgb3x2(1);
    psd.packedRows = {{2, 1, 2, 3}, {2, 1, 2, 3}, {2, 1, 2, 3}, {2, 1, 2, 3}, {2, 1, 2, 3}, {2, 1, 2, 3},
                      {2, 1, 2, 3}, {5, 1, 2, 3}};
    EXPECT_EQ(Import(psd), -6);
    psd.packedRows.back() = {2, 1, 2, 3};
    EXPECT_EQ(Import(psd), 0);
}

TEST(PsdImport, HostileSizesFailBeforeAllocating) {
    const auto start = std::chrono::steady_clock::now();
    for (uint16_t compression : {0, 1}) {
        Psd psd;
        psd.width = 30000, psd.height = 30000, psd.compression = compression;
        psd.planes = {{1}, {2}, {3}};
        psd.packedRows = {std::vector<uint8_t>(150, 0)};
        std::vector<uint8_t> f = psd.Build();
        EXPECT_LE(f.size(), 200u);
        PlainBitmap out;
        EXPECT_LT(Import(f, out), 0);
        psd.width = 0xFFFFFFFFu, psd.height = 0xFFFFFFFFu, psd.channels = 65535;
        EXPECT_LT(Import(psd), 0);
    }
    // A full byte-count table whose rows are too short to fill 20000 bytes each.
    Psd psd;
    psd.mode = 1, psd.width = 20000, psd.height = 20000, psd.compression = 1, psd.channels = 1;
    psd.packedRows.assign(20000, {0xFF, 0});
    EXPECT_EQ(Import(psd), -6);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));

    psd.width = 0, psd.height = 1, psd.packedRows = {{}};
    EXPECT_EQ(Import(psd), -9);
}

TEST(PsdImport, LargeRunLengthPicture) {
    // 6000 x 4000 RGB: each row of each channel is one value in 47 runs.
    Psd psd;
    psd.width = 6000, psd.height = 4000, psd.compression = 1, psd.channels = 3;
    for (int c = 0; c < 3; ++c)
        for (int y = 0; y < 4000; ++y) {
            std::vector<uint8_t> row;
            for (int left = 6000; left > 0; left -= 128)
                row.insert(row.end(), {uint8_t(1 - std::min(left, 128)), uint8_t(y * (c + 1))});
            psd.packedRows.push_back(row);
        }
    testing_support::TempDir dir;
    testing_support::WriteFileBytes(dir.File("big.psd"), psd.Build());
    PlainBitmap out;
    ASSERT_EQ(ImportPsdFile(dir.File("big.psd"), out), 0);
    EXPECT_EQ(out.stride, 18000);
    EXPECT_EQ(At(out, 5999, 3999), (Rgb{3999 & 0xFF, (3999 * 2) & 0xFF, (3999 * 3) & 0xFF}));
    EXPECT_EQ(At(out, 0, 1234), (Rgb{1234 & 0xFF, (1234 * 2) & 0xFF, (1234 * 3) & 0xFF}));
}

TEST(PsdImport, BrokenSharedFilesGiveTheirCodes) {
    const std::string dir = testing_support::TestDataDir();
    if (dir.empty()) GTEST_SKIP();
    PlainBitmap out;
    EXPECT_EQ(ImportPsdFile(dir + "/gen--psd-fail-resource-length-wrong.psd", out), -4);
    EXPECT_EQ(ImportPsdFile(dir + "/gen--psd-fail-version-2-in-header.psd", out), -2);
    EXPECT_TRUE(out.pixels.empty());
}

}  // namespace
