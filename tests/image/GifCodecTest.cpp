// GIF reading and writing: round trips, the bytes the writer must produce, files
// built here byte by byte (interlace, several images, transparency, hostile sizes,
// broken code streams) and an independent decoder's view of what we write.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "ByteStream.h"
#include "Codecs.h"
#include "ImageBuffer.h"
#include "Messages.h"
#include "Random.h"
#include "TestSupport.h"

namespace {

// --- Building files by hand ------------------------------------------------------

// Codes packed least significant bit first with the widths a GIF decoder expects:
// minCodeSize + 1 after a clear, one bit more whenever the next table entry reaches
// the next power of two (the first code after a clear makes no entry), 12 at most.
std::vector<uint8_t> PackCodes(const std::vector<int>& codes, int minCodeSize) {
    const int clear = 1 << minCodeSize;
    int width = minCodeSize + 1, next = clear + 2;
    bool afterClear = true;
    uint32_t acc = 0;
    int bits = 0;
    std::vector<uint8_t> out;
    for (int code : codes) {
        acc |= uint32_t(code) << bits;
        bits += width;
        while (bits >= 8) {
            out.push_back(uint8_t(acc));
            acc >>= 8;
            bits -= 8;
        }
        if (code == clear) {
            width = minCodeSize + 1;
            next = clear + 2;
            afterClear = true;
        } else if (afterClear) {
            afterClear = false;
        } else if (next < 4096 && ++next == (1 << width) && width < 12) {
            ++width;
        }
    }
    if (bits > 0) out.push_back(uint8_t(acc));
    return out;
}

// Clear, every pixel as a literal, end: valid LZW that uses no table entry.
std::vector<int> LiteralCodes(const std::vector<uint8_t>& pixels, int minCodeSize) {
    std::vector<int> codes{1 << minCodeSize};
    codes.insert(codes.end(), pixels.begin(), pixels.end());
    codes.push_back((1 << minCodeSize) + 1);
    return codes;
}

int TableBits(size_t entries) {
    int bits = 0;
    while ((2u << bits) < entries) ++bits;
    return bits;
}

class GifBuilder {
public:
    // colours as 0xRRGGBB; their count a power of two from 2 to 256, or none.
    GifBuilder(int width, int height, const std::vector<uint32_t>& global) {
        Add("GIF89a");
        Word(width);
        Word(height);
        bytes.push_back(global.empty() ? 0 : uint8_t(0x80 | TableBits(global.size())));
        bytes.push_back(0);
        bytes.push_back(0);
        Table(global);
    }
    void Control(int transparent, int disposal, int delay = 0) {
        bytes.insert(bytes.end(), {0x21, 0xF9, 4});
        bytes.push_back(uint8_t((disposal << 2) | (transparent >= 0 ? 1 : 0)));
        Word(delay);
        bytes.push_back(uint8_t(transparent >= 0 ? transparent : 0));
        bytes.push_back(0);
    }
    void Comment(const std::string& text) {
        bytes.insert(bytes.end(), {0x21, 0xFE, uint8_t(text.size())});
        Add(text);
        bytes.push_back(0);
    }
    // The descriptor, the local table, the minimum code size and `data` in
    // sub-blocks of `blockSize` bytes, then the terminator.
    void ImageData(int left, int top, int width, int height, int minCodeSize, const std::vector<uint8_t>& data,
                   bool interlaced = false, const std::vector<uint32_t>& local = {}, size_t blockSize = 255) {
        bytes.push_back(0x2C);
        Word(left);
        Word(top);
        Word(width);
        Word(height);
        bytes.push_back(uint8_t((interlaced ? 0x40 : 0) | (local.empty() ? 0 : 0x80 | TableBits(local.size()))));
        Table(local);
        bytes.push_back(uint8_t(minCodeSize));
        for (size_t at = 0; at < data.size(); at += blockSize) {
            const size_t n = std::min(blockSize, data.size() - at);
            bytes.push_back(uint8_t(n));
            bytes.insert(bytes.end(), data.begin() + ptrdiff_t(at), data.begin() + ptrdiff_t(at + n));
        }
        bytes.push_back(0);
    }
    // Pixels in file order (top line first, or interlace order when interlaced).
    void Image(int left, int top, int width, int height, const std::vector<uint8_t>& pixels, int minCodeSize = 2,
               bool interlaced = false, const std::vector<uint32_t>& local = {}) {
        ImageData(left, top, width, height, minCodeSize, PackCodes(LiteralCodes(pixels, minCodeSize), minCodeSize),
                  interlaced, local);
    }
    void Trailer() { bytes.push_back(0x3B); }

    std::vector<uint8_t> bytes;

private:
    void Add(const std::string& s) { bytes.insert(bytes.end(), s.begin(), s.end()); }
    void Word(int v) {
        bytes.push_back(uint8_t(v));
        bytes.push_back(uint8_t(v >> 8));
    }
    void Table(const std::vector<uint32_t>& colours) {
        for (uint32_t c : colours) bytes.insert(bytes.end(), {uint8_t(c >> 16), uint8_t(c >> 8), uint8_t(c)});
    }
};

const std::vector<uint32_t> kFour = {0x000000, 0xFF0000, 0x00FF00, 0x0000FF};

// --- Reading and writing through the image object ---------------------------------

bool DecodeBytes(const std::vector<uint8_t>& bytes, CImageBuffer& image, int page = 0) {
    MemoryStream in(bytes.data(), bytes.size());
    image.Info().page = page;
    return image.Decode(in, kFormatGif);
}

std::vector<uint8_t> EncodeBytes(CImageBuffer& image) {
    MemoryStream out;
    EXPECT_TRUE(image.Encode(out, kFormatGif)) << image.LastError();
    return out.Buffer();
}

// The indices of the picture from the top line down, as a file stores them.
std::vector<uint8_t> TopDownIndices(const CImageBuffer& image) {
    std::vector<uint8_t> out;
    for (int y = image.Height() - 1; y >= 0; --y)
        for (int x = 0; x < image.Width(); ++x) out.push_back(image.IndexAt(x, y));
    return out;
}

uint32_t Rgb(const CImageBuffer& image, int x, int yFromTop) {
    const RgbQuad c = image.ColourAt(x, image.Height() - 1 - yFromTop);
    return (uint32_t(c.red) << 16) | (uint32_t(c.green) << 8) | c.blue;
}

// An indexed picture with a palette of distinct colours and pixels from `index`.
template <class F>
void FillIndexed(CImageBuffer& image, F index) {
    for (int i = 0; i < image.PaletteCount(); ++i) image.SetPaletteEntry(i, uint8_t(i * 7), uint8_t(255 - i), uint8_t(i * 3 + 1));
    for (int y = 0; y < image.Height(); ++y)
        for (int x = 0; x < image.Width(); ++x)
            CImageBuffer::PutIndex(image.PixelArea(), image.Bpp(), image.Stride(), x, y, uint8_t(index(x, y)));
}

void ExpectSamePicture(const CImageBuffer& got, const CImageBuffer& want) {
    ASSERT_TRUE(got.IsValid());
    ASSERT_EQ(got.Width(), want.Width());
    ASSERT_EQ(got.Height(), want.Height());
    ASSERT_EQ(got.Bpp(), want.Bpp());
    for (int i = 0; i < want.PaletteCount(); ++i) ASSERT_EQ(got.PaletteEntry(i), want.PaletteEntry(i)) << "entry " << i;
    EXPECT_EQ(TopDownIndices(got), TopDownIndices(want));
}

// The codes of the first image's LZW data, walked with the decoder's code widths:
// how many clear codes it holds.
int CountClearCodes(const std::vector<uint8_t>& file) {
    size_t at = 13 + 3 * size_t(2 << (file[10] & 7));
    while (file[at] == 0x21) {  // extensions
        at += 2;
        while (file[at]) at += file[at] + 1u;
        ++at;
    }
    at += 10;  // image descriptor without local table
    const int minCodeSize = file[at++];
    std::vector<uint8_t> data;
    while (file[at]) {
        data.insert(data.end(), file.begin() + ptrdiff_t(at + 1), file.begin() + ptrdiff_t(at + 1 + file[at]));
        at += file[at] + 1u;
    }
    const int clear = 1 << minCodeSize;
    int width = minCodeSize + 1, next = clear + 2, clears = 0;
    bool afterClear = true;
    size_t bit = 0;
    while (bit + size_t(width) <= data.size() * 8) {
        int code = 0;
        for (int k = 0; k < width; ++k, ++bit) code |= ((data[bit / 8] >> (bit % 8)) & 1) << k;
        if (code == clear + 1) break;
        if (code == clear) {
            ++clears;
            width = minCodeSize + 1;
            next = clear + 2;
            afterClear = true;
        } else if (afterClear) {
            afterClear = false;
        } else if (next < 4096 && ++next == (1 << width) && width < 12) {
            ++width;
        }
    }
    return clears;
}

// --- Round trips ------------------------------------------------------------------

TEST(GifCodec, RoundTripsIndexedPicturesOfEveryDepthAndOddSizes) {
    struct Case {
        int width, height, bits;
    };
    for (const Case& c : {Case{1, 1, 1}, Case{1, 1, 8}, Case{9, 3, 1}, Case{13, 7, 4}, Case{17, 5, 8}, Case{3, 1, 4},
                          Case{33, 2, 1}}) {
        SCOPED_TRACE(testing::Message() << c.width << "x" << c.height << "x" << c.bits);
        CImageBuffer image(c.width, c.height, c.bits, kFormatGif);
        const int colours = image.PaletteCount();
        FillIndexed(image, [&](int x, int y) { return (x * 5 + y * 3 + x * y) % colours; });
        const std::vector<uint8_t> bytes = EncodeBytes(image);
        CImageBuffer back(kFormatBmp);
        ASSERT_TRUE(DecodeBytes(bytes, back)) << back.LastError();
        ExpectSamePicture(back, image);
        EXPECT_EQ(back.Type(), kFormatGif);
        EXPECT_EQ(back.Info().pageCount, 1);
        EXPECT_EQ(back.Info().backgroundIndex, -1);
    }
}

TEST(GifCodec, LongCodeStreamsSendClearCodesAndStillRoundTrip) {
    // Random indices make a new table entry for almost every pixel: the table fills
    // many times over, so the writer must send clear codes and the reader follow them.
    rng::Reset();
    CImageBuffer image(301, 157, 8, kFormatGif);
    FillIndexed(image, [](int, int) { return rng::Next() % 256; });
    const std::vector<uint8_t> bytes = EncodeBytes(image);
    EXPECT_GE(CountClearCodes(bytes), 4);  // the opening clear and at least three more
    CImageBuffer back(kFormatBmp);
    ASSERT_TRUE(DecodeBytes(bytes, back)) << back.LastError();
    ExpectSamePicture(back, image);

    // Long runs of one index: strings up to the table's length, no early clear.
    CImageBuffer flat(4099, 40, 1, kFormatGif);
    FillIndexed(flat, [](int x, int y) { return (x / 1000 + y) & 1; });
    const std::vector<uint8_t> flatBytes = EncodeBytes(flat);
    CImageBuffer flatBack(kFormatBmp);
    ASSERT_TRUE(DecodeBytes(flatBytes, flatBack)) << flatBack.LastError();
    ExpectSamePicture(flatBack, flat);
    rng::Reset();
}

TEST(GifCodec, WritesTheDocumentedBytes) {
    CImageBuffer image(3, 2, 4, kFormatGif);
    FillIndexed(image, [](int x, int y) { return x + 3 * y; });
    image.Info().backgroundIndex = 5;
    const std::vector<uint8_t> b = EncodeBytes(image);
    ASSERT_GT(b.size(), 13u + 48 + 8 + 10 + 2);
    EXPECT_EQ(std::string(b.begin(), b.begin() + 6), "GIF87a");
    EXPECT_EQ(b[6] | (b[7] << 8), 3);
    EXPECT_EQ(b[8] | (b[9] << 8), 2);
    EXPECT_EQ(b[10], 0xE3);
    EXPECT_EQ(b[11], 0);
    EXPECT_EQ(b[12], 0);
    // Entry 2 of the palette as red, green, blue.
    EXPECT_EQ(b[13 + 6], 14);
    EXPECT_EQ(b[13 + 7], 253);
    EXPECT_EQ(b[13 + 8], 7);
    const size_t control = 13 + 48;
    const std::vector<uint8_t> wantControl = {0x21, 0xF9, 0x04, 0x01, 0, 0, 5, 0};
    EXPECT_EQ(std::vector<uint8_t>(b.begin() + control, b.begin() + control + 8), wantControl);
    const size_t descriptor = control + 8;
    const std::vector<uint8_t> wantDescriptor = {0x2C, 0, 0, 0, 0, 3, 0, 2, 0, 0, 4};
    EXPECT_EQ(std::vector<uint8_t>(b.begin() + descriptor, b.begin() + descriptor + 11), wantDescriptor);
    EXPECT_EQ(b.back(), 0x3B);
    EXPECT_EQ(b[b.size() - 2], 0x00);  // block terminator

    // 1 bit: packed 0x80, two entries, minimum code size 2; no transparency flag.
    CImageBuffer bits(5, 1, 1, kFormatGif);
    FillIndexed(bits, [](int x, int) { return x & 1; });
    const std::vector<uint8_t> one = EncodeBytes(bits);
    EXPECT_EQ(one[10], 0x80);
    EXPECT_EQ(one[13 + 6 + 3], 0x00);  // control packed byte
    EXPECT_EQ(one[13 + 6 + 8 + 10], 2);
    CImageBuffer eight(2, 2, 8, kFormatGif);
    FillIndexed(eight, [](int x, int y) { return x + y; });
    EXPECT_EQ(EncodeBytes(eight)[10], 0xE7);
}

TEST(GifCodec, TransparentIndexSurvivesARoundTrip) {
    CImageBuffer image(6, 4, 8, kFormatGif);
    FillIndexed(image, [](int x, int y) { return x * 4 + y; });
    image.Info().backgroundIndex = 9;
    CImageBuffer back(kFormatBmp);
    ASSERT_TRUE(DecodeBytes(EncodeBytes(image), back));
    EXPECT_EQ(back.Info().backgroundIndex, 9);
    ExpectSamePicture(back, image);  // a full table keeps every entry, entry 9 included

    // An index outside the palette is no transparency.
    CImageBuffer bits(2, 2, 1, kFormatGif);
    FillIndexed(bits, [](int x, int) { return x; });
    bits.Info().backgroundIndex = 7;
    CImageBuffer bitsBack(kFormatBmp);
    ASSERT_TRUE(DecodeBytes(EncodeBytes(bits), bitsBack));
    EXPECT_EQ(bitsBack.Info().backgroundIndex, -1);
}

TEST(GifCodec, RefusesWhatItCannotWrite) {
    CImageBuffer rgb(4, 4, 24, kFormatGif);
    MemoryStream out;
    EXPECT_FALSE(rgb.Encode(out, kFormatGif));
    EXPECT_EQ(rgb.LastError(), msg::kUnsupportedFormat);
    EXPECT_EQ(out.Size(), 0);

    CImageBuffer wide(70000, 1, 1, kFormatGif);
    ASSERT_TRUE(wide.IsValid());
    EXPECT_FALSE(wide.Encode(out, kFormatGif));

    // A stream that takes no bytes.
    CImageBuffer image(4, 4, 8, kFormatGif);
    const uint8_t none[1] = {0};
    MemoryStream readOnly(none, 0);
    EXPECT_FALSE(image.Encode(readOnly, kFormatGif));
    EXPECT_EQ(image.LastError(), msg::kGifWrite);
}

// --- Hand-built files -------------------------------------------------------------

TEST(GifCodec, ReadsAnInterlacedImageInLineOrder) {
    // 10 lines, line t all index t % 4; stored in the four interlace passes.
    const int height = 10;
    std::vector<uint8_t> pixels;
    for (int start : {0, 4, 2, 1}) {
        const int step = start == 0 ? 8 : start == 4 ? 8 : start == 2 ? 4 : 2;
        for (int t = start; t < height; t += step)
            for (int x = 0; x < 3; ++x) pixels.push_back(uint8_t((t + x) % 4));
    }
    GifBuilder gif(3, height, kFour);
    gif.Image(0, 0, 3, height, pixels, 2, true);
    gif.Trailer();
    CImageBuffer image(kFormatBmp);
    ASSERT_TRUE(DecodeBytes(gif.bytes, image)) << image.LastError();
    ASSERT_EQ(image.Height(), height);
    EXPECT_EQ(image.Bpp(), 4);  // four colours
    for (int t = 0; t < height; ++t)
        for (int x = 0; x < 3; ++x) EXPECT_EQ(Rgb(image, x, t), kFour[size_t((t + x) % 4)]) << x << "," << t;
}

TEST(GifCodec, TakesTheFirstImageAtItsOwnSizeAndPalette) {
    GifBuilder gif(10, 10, kFour);
    gif.Comment("made by hand");
    gif.Image(4, 5, 2, 3, {0, 1, 2, 3, 3, 2}, 2, false, {0x101010, 0x202020, 0x303030, 0x404040});
    gif.Trailer();
    CImageBuffer image(kFormatBmp);
    ASSERT_TRUE(DecodeBytes(gif.bytes, image)) << image.LastError();
    EXPECT_EQ(image.Width(), 2);
    EXPECT_EQ(image.Height(), 3);
    EXPECT_EQ(Rgb(image, 0, 0), 0x101010u);  // the local table wins, no offset
    EXPECT_EQ(Rgb(image, 1, 2), 0x303030u);
    EXPECT_EQ(image.Info().xOffset, 0);
}

TEST(GifCodec, PaletteRulesWithATransparentIndex) {
    for (bool transparent : {false, true}) {
        GifBuilder gif(2, 1, kFour);
        if (transparent) gif.Control(2, 0);
        gif.Image(0, 0, 2, 1, {2, 1});
        gif.Trailer();
        CImageBuffer image(kFormatBmp);
        ASSERT_TRUE(DecodeBytes(gif.bytes, image)) << image.LastError();
        ASSERT_EQ(image.PaletteCount(), 16);
        EXPECT_EQ(image.Info().backgroundIndex, transparent ? 2 : -1);
        // The transparent pixel keeps its own colour; entries past the table are
        // white only when there is a transparent index.
        EXPECT_EQ(Rgb(image, 0, 0), 0x00FF00u);
        EXPECT_EQ(image.PaletteEntry(1), 0xFF0000u);  // red: the entry's third byte
        for (int i = 4; i < 16; ++i) EXPECT_EQ(image.PaletteEntry(i), transparent ? 0xFFFFFFu : 0u) << i;
    }
}

TEST(GifCodec, CountsPagesAndSelectsOne) {
    GifBuilder gif(4, 2, kFour);
    gif.Control(-1, 0);
    gif.Image(0, 0, 4, 2, {1, 1, 1, 1, 2, 2, 2, 2});
    gif.Control(-1, 2);
    gif.Image(1, 0, 3, 1, {3, 3, 3});
    // Disposal 1: drawn over the page before. Index 0 is transparent; the local
    // table's grey is nearest to the global black, its green is the global entry 2.
    gif.Control(0, 1);
    gif.Image(0, 0, 3, 2, {0, 2, 1, 1, 1, 1}, 2, false, {0xFF0000, 0x00FF00, 0x101010, 0xFFFFFF});
    gif.Trailer();

    CImageBuffer first(kFormatBmp);
    ASSERT_TRUE(DecodeBytes(gif.bytes, first, 0));
    EXPECT_EQ(first.Info().pageCount, 3);
    EXPECT_EQ(first.Info().page, 0);
    EXPECT_EQ(first.Width(), 4);
    EXPECT_EQ(Rgb(first, 0, 1), 0x00FF00u);

    CImageBuffer second(kFormatBmp);
    ASSERT_TRUE(DecodeBytes(gif.bytes, second, 1)) << second.LastError();
    EXPECT_EQ(second.Info().page, 1);
    EXPECT_EQ(second.Width(), 3);
    EXPECT_EQ(second.Height(), 1);
    EXPECT_EQ(Rgb(second, 0, 0), 0x0000FFu);

    // Page 2 keeps page 1 (3x1, all blue) beneath it, clipped to that picture.
    CImageBuffer third(kFormatBmp);
    ASSERT_TRUE(DecodeBytes(gif.bytes, third, 2)) << third.LastError();
    ASSERT_EQ(third.Width(), 3);
    ASSERT_EQ(third.Height(), 1);
    EXPECT_EQ(third.Info().pageCount, 3);
    EXPECT_EQ(Rgb(third, 0, 0), 0x0000FFu);  // transparent: page 1 shows through
    EXPECT_EQ(third.IndexAt(1, 0), 0);       // grey became black
    EXPECT_EQ(third.IndexAt(2, 0), 2);       // green

    CImageBuffer missing(kFormatBmp);
    EXPECT_FALSE(DecodeBytes(gif.bytes, missing, 3));
    EXPECT_EQ(missing.LastError(), msg::kGifPage);
    EXPECT_FALSE(DecodeBytes(gif.bytes, missing, -1));
    EXPECT_EQ(missing.LastError(), msg::kGifPage);
}

TEST(GifCodec, AcceptsWhatPeerDecodersAccept) {
    // Twelve-bit codes from the start (minimum code size 11).
    GifBuilder wide(3, 1, kFour);
    wide.Image(0, 0, 3, 1, {3, 2, 1}, 11);
    wide.Trailer();
    CImageBuffer image(kFormatBmp);
    ASSERT_TRUE(DecodeBytes(wide.bytes, image)) << image.LastError();
    EXPECT_EQ(Rgb(image, 0, 0), 0x0000FFu);

    // Surplus pixels, no end code, no trailer, data in one-byte sub-blocks.
    GifBuilder extra(2, 1, kFour);
    std::vector<int> codes = {4, 1, 2, 3, 3, 3};
    extra.ImageData(0, 0, 2, 1, 2, PackCodes(codes, 2), false, {}, 1);
    CImageBuffer surplus(kFormatBmp);
    ASSERT_TRUE(DecodeBytes(extra.bytes, surplus)) << surplus.LastError();
    EXPECT_EQ(Rgb(surplus, 1, 0), 0x00FF00u);

    // A code for the entry being made (previous string plus its first pixel) and
    // codes without a leading clear.
    GifBuilder kwk(4, 1, kFour);
    kwk.ImageData(0, 0, 4, 1, 2, PackCodes({1, 6, 2, 5}, 2));
    CImageBuffer repeated(kFormatBmp);
    ASSERT_TRUE(DecodeBytes(kwk.bytes, repeated)) << repeated.LastError();
    for (int x = 0; x < 3; ++x) EXPECT_EQ(Rgb(repeated, x, 0), 0xFF0000u);
    EXPECT_EQ(Rgb(repeated, 3, 0), 0x00FF00u);
}

TEST(GifCodec, BrokenCodeStreamsFailWithTheCorruptionText) {
    struct Case {
        const char* what;
        std::vector<int> codes;
        int minCodeSize;
    };
    const Case cases[] = {
        {"code beyond the next entry", {4, 1, 7, 5}, 2},
        {"entry code right after a clear", {4, 6, 5}, 2},
        {"entry code right after the start", {6, 1, 5}, 2},
        {"end code before the last pixel", {4, 1, 2, 5}, 2},
        {"data ends before the last pixel", {128, 1, 2}, 7},  // 8-bit codes: no padding bits
        {"minimum code size 12", {}, 12},
        {"minimum code size 0", {1, 0, 0, 0, 2}, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        GifBuilder gif(3, 1, kFour);
        gif.ImageData(0, 0, 3, 1, c.minCodeSize, c.minCodeSize <= 11 ? PackCodes(c.codes, std::max(c.minCodeSize, 1))
                                                                     : std::vector<uint8_t>{0, 0, 0});
        gif.Trailer();
        CImageBuffer image(kFormatBmp);
        EXPECT_FALSE(DecodeBytes(gif.bytes, image));
        EXPECT_EQ(image.LastError(), msg::kGifCorrupted);
        EXPECT_FALSE(image.IsValid());
    }
}

TEST(GifCodec, NonGifDataFailsWithoutText) {
    CImageBuffer image(kFormatBmp);
    for (const std::string& s : {std::string("BM......"), std::string("GIF"), std::string()}) {
        const std::vector<uint8_t> bytes(s.begin(), s.end());
        EXPECT_FALSE(DecodeBytes(bytes, image));
        EXPECT_EQ(image.LastError(), "");
    }
    // A GIF signature with too little behind it, or without any image, is a broken GIF.
    const std::string shortGif = "GIF89a\x01";
    EXPECT_FALSE(DecodeBytes(std::vector<uint8_t>(shortGif.begin(), shortGif.end()), image));
    EXPECT_EQ(image.LastError(), msg::kGifCorrupted);
    GifBuilder empty(1, 1, kFour);
    empty.Trailer();
    EXPECT_FALSE(DecodeBytes(empty.bytes, image));
    EXPECT_EQ(image.LastError(), msg::kGifCorrupted);
}

TEST(GifCodec, HugeClaimsFailQuicklyBeforeAllocating) {
    // 30000 x 30000 would be an allocatable 1-bit picture (112 MB), and
    // 65535 x 65535 an 8-bit one that no signed size can hold: a few bytes of data
    // justify neither.
    for (int side : {30000, 65535}) {
        GifBuilder gif(side, side, side == 30000 ? std::vector<uint32_t>{0, 0xFFFFFF} : std::vector<uint32_t>(256));
        gif.Image(0, 0, side, side, std::vector<uint8_t>(200, 1));
        gif.Trailer();
        CImageBuffer image(kFormatBmp);
        const auto start = std::chrono::steady_clock::now();
        EXPECT_FALSE(DecodeBytes(gif.bytes, image));
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(200));
        EXPECT_EQ(image.LastError(), msg::kGifCorrupted);
    }
}

TEST(GifCodec, EveryTruncationFailsCleanlyOrDecodes) {
    CImageBuffer image(23, 11, 8, kFormatGif);
    FillIndexed(image, [](int x, int y) { return (x * x + y * 7) % 256; });
    const std::vector<uint8_t> full = EncodeBytes(image);
    // The LZW data ends before the block terminator and the trailer; its last two
    // bytes may hold nothing but the 9-bit end code.
    const size_t dataEnd = full.size() - 2;
    for (size_t n = 0; n < full.size(); ++n) {
        const std::vector<uint8_t> cut(full.begin(), full.begin() + ptrdiff_t(n));
        CImageBuffer back(kFormatBmp);
        const bool ok = DecodeBytes(cut, back);
        if (n < dataEnd - 2) {
            EXPECT_FALSE(ok) << "cut at " << n;
        }
        if (n >= dataEnd) {
            EXPECT_TRUE(ok) << "cut at " << n;  // only the terminator or the trailer is missing
        }
        if (ok) {
            ExpectSamePicture(back, image);
        } else if (n >= 4) {
            EXPECT_FALSE(back.LastError().empty()) << "cut at " << n;
        }
    }
}

TEST(GifCodec, ScrambledFilesNeverCrash) {
    // Random bytes changed in valid files: whatever happens, no crash, no hang, and
    // a failure carries its text (run under the sanitizers to see every access).
    rng::Reset();
    CImageBuffer image(37, 19, 8, kFormatGif);
    FillIndexed(image, [](int x, int y) { return (x ^ y) * 5 % 256; });
    image.Info().backgroundIndex = 3;
    const std::vector<uint8_t> full = EncodeBytes(image);
    GifBuilder multi(8, 8, kFour);
    multi.Control(1, 1);
    multi.Image(0, 0, 3, 2, {0, 1, 2, 3, 2, 1}, 2, true);
    multi.Control(2, 1);
    multi.Image(2, 3, 2, 2, {3, 3, 1, 0});
    multi.Trailer();
    for (const std::vector<uint8_t>* base : std::vector<const std::vector<uint8_t>*>{&full, &multi.bytes}) {
        for (int round = 0; round < 1500; ++round) {
            std::vector<uint8_t> bytes = *base;
            const int changes = 1 + rng::Next() % 4;
            for (int k = 0; k < changes; ++k) bytes[size_t(rng::Next()) % bytes.size()] = uint8_t(rng::Next());
            CImageBuffer back(kFormatBmp);
            if (!DecodeBytes(bytes, back, rng::Next() % 3) && std::memcmp(bytes.data(), "GIF8", 4) == 0) {
                EXPECT_FALSE(back.LastError().empty());
            }
        }
    }
    rng::Reset();
}

// --- Files on disk and another decoder --------------------------------------------

TEST(GifCodec, ReadsTheSharedMultiImageFilesPageByPage) {
    const std::string dir = testing_support::TestDataDir();
    if (dir.empty()) GTEST_SKIP();
    CImageBuffer image(kFormatBmp);
    image.Info().page = 0;
    ASSERT_TRUE(image.Load(dir + "/wx-examples--throbber-anim-transparent.gif", kFormatGif)) << image.LastError();
    EXPECT_EQ(image.Info().pageCount, 8);
    EXPECT_EQ(image.Info().backgroundIndex, 15);
    CImageBuffer last(kFormatBmp);
    last.Info().page = 7;
    ASSERT_TRUE(last.Load(dir + "/wx-examples--throbber-anim-transparent.gif", kFormatGif)) << last.LastError();
    EXPECT_EQ(last.Info().page, 7);
    EXPECT_EQ(last.Info().pageCount, 8);
}

TEST(GifCodec, AnotherDecoderReadsWhatWeWrite) {
    if (std::system("convert -version > /dev/null 2>&1") != 0) GTEST_SKIP() << "ImageMagick not available";
    testing_support::TempDir dir;
    rng::Reset();
    for (int bits : {1, 4, 8}) {
        SCOPED_TRACE(bits);
        CImageBuffer image(203, 61, bits, kFormatGif);
        FillIndexed(image, [&](int x, int y) { return (x / 3 + y * y + rng::Next() % 3) % image.PaletteCount(); });
        const std::string gif = dir.File("w" + std::to_string(bits) + ".gif");
        const std::string ppm = dir.File("w" + std::to_string(bits) + ".ppm");
        ASSERT_TRUE(image.Save(gif, kFormatGif));
        ASSERT_EQ(std::system(("convert '" + gif + "' '" + ppm + "'").c_str()), 0);
        CImageBuffer theirs(kFormatBmp);
        ASSERT_TRUE(testing_support::ReadPpm(ppm, theirs));
        ASSERT_EQ(theirs.Width(), image.Width());
        ASSERT_EQ(theirs.Height(), image.Height());
        int differ = 0;
        for (int y = 0; y < image.Height(); ++y)
            for (int x = 0; x < image.Width(); ++x)
                differ += image.ColourAt(x, y).Value() != (theirs.ColourAt(x, y).Value() & 0xFFFFFF);
        EXPECT_EQ(differ, 0);
    }
    rng::Reset();
}

}  // namespace

namespace {

// A stream that counts the bytes read through it.
class CountingStream final : public ByteStream {
public:
    explicit CountingStream(std::vector<uint8_t> bytes) : m_in(std::move(bytes)) {}
    size_t Read(void* b, size_t size, size_t count) override {
        const size_t got = m_in.Read(b, size, count);
        bytesRead += got * size;
        return got;
    }
    size_t Write(const void* b, size_t size, size_t count) override { return m_in.Write(b, size, count); }
    bool Seek(int64_t offset, int whence) override { return m_in.Seek(offset, whence); }
    int64_t Tell() override { return m_in.Tell(); }
    int64_t Size() override { return m_in.Size(); }
    bool Flush() override { return true; }
    bool Eof() override { return m_in.Eof(); }
    bool Error() override { return m_in.Error(); }
    bool PutByte(uint8_t v) override { return m_in.PutByte(v); }
    int GetByte() override {
        const int c = m_in.GetByte();
        if (c >= 0) ++bytesRead;
        return c;
    }
    size_t bytesRead = 0;

private:
    MemoryStream m_in;
};

}  // namespace

// A GIF whose LZW data is junk was decoded twice: by its name, and again in the
// fall-back order that tries every reader. It is decoded once, and its own message
// stays.
TEST(GifCodec, JunkDataIsDecodedOnceAndKeepsItsMessage) {
    const std::vector<uint8_t> bytes = testing_support::RegressionBytes("gif/junk-lzw-1000x1000.gif.gz");
    CountingStream in(bytes);
    CImageBuffer image;
    EXPECT_FALSE(image.Load(in, kFormatGif));
    EXPECT_EQ(image.LastError(), msg::kGifCorrupted);
    // The other readers stop at their headers (JPEG's reads one 64 KB block).
    EXPECT_LT(in.bytesRead, bytes.size() + bytes.size() / 2);
    EXPECT_GE(in.bytesRead, bytes.size());
}
