// GIF (87a and 89a) reading and writing. The reader takes the whole file into memory
// once, counts the images, and decodes the requested one from its own image
// descriptor (its own size, no offset); a later image whose disposal method is 1 is
// drawn over a copy of the image before it. The writer produces one GIF87a image
// with a graphic-control extension, compressed by the classic hashed LZW encoder.
#include <algorithm>
#include <cstring>
#include <new>
#include <string>
#include <vector>

#include "ByteStream.h"
#include "Codecs.h"
#include "Messages.h"
#include "Quantize.h"

namespace {

constexpr int kMaxCodeBits = 12;
constexpr int kMaxCodes = 1 << kMaxCodeBits;  // 4096
constexpr uint8_t kExtension = 0x21;           // '!'
constexpr uint8_t kImageDescriptor = 0x2C;     // ','
constexpr uint8_t kTrailer = 0x3B;             // ';'
constexpr uint8_t kGraphicControl = 0xF9;
constexpr uint8_t kComment = 0xFE;

uint16_t Le16(const uint8_t* p) { return uint16_t(p[0] | (p[1] << 8)); }

// ---------------------------------------------------------------------------------
// Reading

struct ColourTable {
    int count = 0;  // 0: no table
    uint8_t rgb[256 * 3] = {};
};

// The bytes of the file from the stream's position on; false when memory ran out.
bool ReadRest(ByteStream& in, std::vector<uint8_t>& data) {
    const int64_t hint = in.Remaining();
    size_t chunk = hint > 0 ? size_t(std::min<int64_t>(hint + 1, int64_t(64) << 20)) : size_t(1) << 16;
    try {
        for (;;) {
            const size_t old = data.size();
            data.resize(old + chunk);
            const size_t got = in.Read(data.data() + old, 1, chunk);
            data.resize(old + got);
            if (got < chunk) return true;
            chunk = std::min(chunk * 2, size_t(64) << 20);
        }
    } catch (const std::bad_alloc&) {
        return false;
    }
}

// A read position over the file bytes; every access is checked against the end.
class Cursor {
public:
    Cursor(const std::vector<uint8_t>& data, size_t pos) : m_data(data), m_pos(pos) {}
    size_t Pos() const { return m_pos; }
    bool Byte(uint8_t& value) {
        if (m_pos >= m_data.size()) return false;
        value = m_data[m_pos++];
        return true;
    }
    // The next n bytes, or nullptr when fewer remain.
    const uint8_t* Take(size_t n) {
        if (n > m_data.size() - std::min(m_pos, m_data.size())) return nullptr;
        const uint8_t* p = m_data.data() + m_pos;
        m_pos += n;
        return p;
    }
    bool ReadTable(int count, ColourTable& table) {
        const uint8_t* p = Take(size_t(count) * 3);
        if (!p) return false;
        table.count = count;
        std::memcpy(table.rgb, p, size_t(count) * 3);
        return true;
    }
    // Skips data sub-blocks up to and including the zero-length terminator; appends
    // their contents to `out` when given. False when the file ends first.
    bool SubBlocks(std::vector<uint8_t>* out) {
        for (;;) {
            uint8_t length;
            if (!Byte(length)) return false;
            if (length == 0) return true;
            const size_t n = std::min<size_t>(length, m_data.size() - m_pos);
            if (out) out->insert(out->end(), m_data.begin() + ptrdiff_t(m_pos), m_data.begin() + ptrdiff_t(m_pos + n));
            m_pos += n;
            if (n < length) return false;
        }
    }

private:
    const std::vector<uint8_t>& m_data;
    size_t m_pos;
};

int TableSize(uint8_t packed) { return 2 << (packed & 7); }

// One image of the file: where its descriptor starts and what the graphic-control
// extension before it said.
struct FrameRecord {
    size_t descriptor = 0;
    int transparent = -1;
    int disposal = 0;
    int delay = 0;
};

// Walks the blocks from `start`, counts the images and records the first `keep` of
// them. The walk ends at the trailer, at an unknown block or where the file ends; an
// image counts once its descriptor and colour table are complete.
int ScanFrames(const std::vector<uint8_t>& data, size_t start, size_t keep, std::vector<FrameRecord>& records) {
    Cursor c(data, start);
    FrameRecord pending;
    int count = 0;
    for (;;) {
        uint8_t introducer;
        if (!c.Byte(introducer) || introducer == kTrailer) break;
        if (introducer == kExtension) {
            uint8_t label, length;
            if (!c.Byte(label)) break;
            if (label == kGraphicControl) {
                if (!c.Byte(length)) break;
                const uint8_t* p = c.Take(length);
                if (!p) break;
                if (length >= 4) {
                    pending.disposal = (p[0] >> 2) & 7;
                    pending.delay = Le16(p + 1);
                    pending.transparent = (p[0] & 1) ? p[3] : -1;
                }
                if (length == 0) continue;  // that zero length was the terminator
            }
            if (!c.SubBlocks(nullptr)) break;
        } else if (introducer == kImageDescriptor) {
            const size_t at = c.Pos() - 1;
            const uint8_t* d = c.Take(9);
            if (!d || ((d[8] & 0x80) && !c.Take(size_t(TableSize(d[8])) * 3))) break;
            if (size_t(count) < keep) {
                pending.descriptor = at;
                records.push_back(pending);
            }
            ++count;
            pending = FrameRecord{};  // a graphic-control extension applies to one image
            uint8_t minCodeSize;
            if (!c.Byte(minCodeSize) || !c.SubBlocks(nullptr)) break;
        } else {
            break;
        }
    }
    return count;
}

// The most pixels that `bytes` of LZW data can stand for. Every code takes at least
// minCodeSize + 1 bits, so the data holds at most n codes. The k-th code after a
// clear stands for at most k pixels (each new table entry extends an older one by a
// single pixel), and no string is longer than the 4096-entry table. So n codes give
// at most the sum of min(k, 4096) for k = 1 .. n. A picture claiming more pixels than
// this cannot be complete and is refused before anything is allocated for it.
uint64_t MaxLzwPixels(size_t bytes, int minCodeSize) {
    const uint64_t codes = uint64_t(bytes) * 8 / uint64_t(minCodeSize + 1);
    if (codes <= uint64_t(kMaxCodes)) return codes * (codes + 1) / 2;
    return uint64_t(kMaxCodes) * (kMaxCodes + 1) / 2 + (codes - kMaxCodes) * kMaxCodes;
}

// The variable-length LZW decoder of GIF: codes from minCodeSize + 1 up to 12 bits,
// least significant bit first, with clear and end codes. When the table is full it
// stays full (codes keep 12 bits) until the next clear.
class LzwDecoder {
public:
    LzwDecoder(const uint8_t* data, size_t size, int minCodeSize)
        : m_data(data), m_size(size), m_clear(1 << minCodeSize), m_end(m_clear + 1), m_minWidth(minCodeSize + 1) {
        Reset();
    }

    // Writes exactly n pixels; false when the data is corrupt or ends first (an end
    // code counts as the data ending). Literal codes above 255, possible with minimum
    // code sizes above 8, keep their low byte.
    bool Read(uint8_t* out, size_t n) {
        while (n > 0) {
            if (m_top > 0) {
                const size_t k = std::min(n, size_t(m_top));
                for (size_t i = 0; i < k; ++i) *out++ = m_stack[--m_top];
                n -= k;
                continue;
            }
            int code = NextCode();
            if (code < 0 || code == m_end) return false;
            if (code == m_clear) {
                Reset();
                continue;
            }
            if (m_prev < 0) {
                if (code > m_end) return false;  // only a literal may follow a clear
                m_first = uint8_t(code);
                m_prev = code;
                *out++ = m_first;
                --n;
                continue;
            }
            if (code > m_next) return false;  // refers to an entry not yet made
            const int incode = code;
            if (code == m_next) {  // the entry being made: previous string + its first pixel
                if (m_next == kMaxCodes) return false;
                m_stack[m_top++] = m_first;
                code = m_prev;
            }
            // Prefixes are always lower codes, so this walk ends within 4096 steps.
            while (code > m_end) {
                m_stack[m_top++] = m_suffix[code];
                code = m_prefix[code];
            }
            m_first = uint8_t(code);
            m_stack[m_top++] = m_first;
            if (m_next < kMaxCodes) {
                m_prefix[m_next] = uint16_t(m_prev);
                m_suffix[m_next] = m_first;
                ++m_next;
                if (m_next == (1 << m_width) && m_width < kMaxCodeBits) ++m_width;
            }
            m_prev = incode;
        }
        return true;
    }

private:
    void Reset() {
        m_width = m_minWidth;
        m_next = m_clear + 2;
        m_prev = -1;
    }

    int NextCode() {
        while (m_bitCount < m_width) {
            if (m_pos >= m_size) return -1;
            m_bits |= uint32_t(m_data[m_pos++]) << m_bitCount;
            m_bitCount += 8;
        }
        const int code = int(m_bits & ((1u << m_width) - 1));
        m_bits >>= m_width;
        m_bitCount -= m_width;
        return code;
    }

    const uint8_t* m_data;
    size_t m_size;
    size_t m_pos = 0;
    uint32_t m_bits = 0;
    int m_bitCount = 0;
    const int m_clear, m_end, m_minWidth;
    int m_width = 0, m_next = 0, m_prev = -1;
    uint8_t m_first = 0;
    int m_top = 0;
    uint16_t m_prefix[kMaxCodes] = {};
    uint8_t m_suffix[kMaxCodes] = {};
    uint8_t m_stack[kMaxCodes + 1] = {};  // the longest string plus the pending pixel
};

struct Placement {
    int left = 0, top = 0;
};

// Decodes the image of one record into `frame` at its own size. Returns nullptr or
// the error text.
const char* DecodeFrame(const std::vector<uint8_t>& data, const FrameRecord& record, const ColourTable& global,
                        const PictureLimits& limits, CImageBuffer& frame, Placement& at) {
    Cursor c(data, record.descriptor + 1);
    const uint8_t* d = c.Take(9);
    if (!d) return msg::kGifCorrupted;
    at.left = Le16(d);
    at.top = Le16(d + 2);
    const int width = Le16(d + 4), height = Le16(d + 6);
    const uint8_t packed = d[8];
    const bool interlaced = (packed & 0x40) != 0;
    ColourTable local;
    if ((packed & 0x80) && !c.ReadTable(TableSize(packed), local)) return msg::kGifCorrupted;
    const ColourTable& table = local.count ? local : global;
    uint8_t minCodeSize;
    if (!c.Byte(minCodeSize) || minCodeSize < 1 || minCodeSize > kMaxCodeBits - 1) return msg::kGifCorrupted;
    std::vector<uint8_t> lzw;
    c.SubBlocks(&lzw);  // a missing terminator is no fault while the pixels are complete
    if (width == 0 || height == 0 || uint64_t(width) * uint64_t(height) > MaxLzwPixels(lzw.size(), minCodeSize))
        return msg::kGifCorrupted;
    if (const char* refusal = limits.Refusal(width, height)) return refusal;

    // Without any colour table the indices are shown as a grey ramp.
    const int colours = table.count ? table.count : std::min(256, 1 << minCodeSize);
    const int bits = colours <= 2 ? 1 : colours <= 16 ? 4 : 8;
    if (!frame.Allocate(width, height, bits, kFormatGif)) return msg::kAllocMemory;
    if (table.count) {
        for (int i = 0; i < table.count && i < frame.PaletteCount(); ++i)
            frame.SetPaletteEntry(i, table.rgb[3 * i], table.rgb[3 * i + 1], table.rgb[3 * i + 2]);
    } else {
        frame.MakeGreyPalette();
    }
    // With a transparent index, entries the table does not give are white (so is
    // entry 255 of an 8-bit picture whose table is shorter).
    if (record.transparent >= 0 && table.count < 256)
        for (int i = table.count; i < frame.PaletteCount(); ++i) frame.SetPaletteEntry(i, 255, 255, 255);
    frame.Info().backgroundIndex = record.transparent;

    LzwDecoder decoder(lzw.data(), lzw.size(), minCodeSize);
    std::vector<uint8_t> row(static_cast<size_t>(width));
    struct Pass {
        int start, step;
    };
    static constexpr Pass kInterlaced[] = {{0, 8}, {4, 8}, {2, 4}, {1, 2}};
    static constexpr Pass kSequential[] = {{0, 1}};
    const Pass* passes = interlaced ? kInterlaced : kSequential;
    const int passCount = interlaced ? 4 : 1;
    for (int p = 0; p < passCount; ++p)
        for (int line = passes[p].start; line < height; line += passes[p].step) {
            if (!decoder.Read(row.data(), row.size())) return msg::kGifCorrupted;
            PackIndexRow(row.data(), width, bits, frame.Row(height - 1 - line));
        }
    return nullptr;
}

// Draws `frame` over `canvas` with its top-left corner at `at` (top-down
// coordinates), clipped to the canvas; transparent pixels leave the canvas as it is.
// Indices are carried over where both palettes hold the same colour and otherwise
// become the canvas entry nearest to the frame's colour.
void DrawOver(CImageBuffer& canvas, const CImageBuffer& frame, Placement at) {
    uint8_t translate[256];
    for (int i = 0; i < 256; ++i) {
        const uint32_t colour = frame.PaletteEntry(i) & 0xFFFFFF;
        translate[i] = i < canvas.PaletteCount() && (canvas.PaletteEntry(i) & 0xFFFFFF) == colour
                           ? uint8_t(i)
                           : uint8_t(canvas.NearestPaletteIndex(colour));
    }
    const int transparent = frame.Info().backgroundIndex;
    std::vector<uint8_t> src(size_t(frame.Width())), dst(size_t(canvas.Width()));
    for (int y = 0; y < frame.Height() && at.top + y < canvas.Height(); ++y) {
        const int canvasRow = canvas.Height() - 1 - (at.top + y);
        UnpackIndexRow(frame.Row(frame.Height() - 1 - y), frame.Width(), frame.Bpp(), src.data());
        UnpackIndexRow(canvas.Row(canvasRow), canvas.Width(), canvas.Bpp(), dst.data());
        for (int x = 0; x < frame.Width() && at.left + x < canvas.Width(); ++x)
            if (src[size_t(x)] != transparent) dst[size_t(at.left + x)] = translate[src[size_t(x)]];
        PackIndexRow(dst.data(), canvas.Width(), canvas.Bpp(), canvas.Row(canvasRow));
    }
}

// ---------------------------------------------------------------------------------
// Writing

// What a written image carries besides its pixels. The encoder of the format code
// writes the defaults; a caller with a comment or an animation delay passes them.
struct GifWriteOptions {
    int disposal = 0;
    int delay = 0;  // hundredths of a second
    std::string comment;
};

// Buffered output that also packs image data into sub-blocks of at most 255 bytes.
class GifOutput {
public:
    explicit GifOutput(ByteStream& stream) : m_stream(stream) { m_buffer.reserve(kSpill + 512); }

    void Byte(uint8_t value) {
        m_buffer.push_back(value);
        if (m_buffer.size() >= kSpill) Spill();
    }
    void Bytes(const void* data, size_t n) {
        const uint8_t* p = static_cast<const uint8_t*>(data);
        m_buffer.insert(m_buffer.end(), p, p + n);
        if (m_buffer.size() >= kSpill) Spill();
    }
    void Word(int value) {
        Byte(uint8_t(value));
        Byte(uint8_t(value >> 8));
    }
    void DataByte(uint8_t value) {
        m_block[m_blockLength++] = value;
        if (m_blockLength == 255) EndSubBlock();
    }
    void EndSubBlock() {
        if (m_blockLength == 0) return;
        Byte(uint8_t(m_blockLength));
        Bytes(m_block, size_t(m_blockLength));
        m_blockLength = 0;
    }
    // Writes what is buffered; false when any write failed.
    bool Finish() {
        Spill();
        return m_ok;
    }

private:
    static constexpr size_t kSpill = 1 << 16;
    void Spill() {
        if (m_ok && !m_stream.WriteAll(m_buffer.data(), m_buffer.size())) m_ok = false;
        m_buffer.clear();
    }

    ByteStream& m_stream;
    std::vector<uint8_t> m_buffer;
    uint8_t m_block[255] = {};
    int m_blockLength = 0;
    bool m_ok = true;
};

// The classic GIF LZW encoder: strings found through a 5003-slot open-addressing hash
// table keyed by (pixel << 12) + prefix code, probed with the secondary displacement
// 5003 - slot (1 for slot 0); a clear code is sent when the next code would pass 4095.
class LzwEncoder {
public:
    LzwEncoder(GifOutput& out, int minCodeSize)
        : m_out(out), m_initBits(minCodeSize + 1), m_clear(1 << minCodeSize), m_end(m_clear + 1) {
        m_width = m_initBits;
        m_maxCode = MaxCode(m_width);
        m_nextCode = m_clear + 2;
        ClearHash();
        Output(m_clear);
    }

    void Add(const uint8_t* pixels, size_t n) {
        size_t i = 0;
        if (!m_started && n > 0) {
            m_prefix = pixels[i++];
            m_started = true;
        }
        for (; i < n; ++i) {
            const int c = pixels[i];
            const int32_t key = (int32_t(c) << kMaxCodeBits) + m_prefix;
            int slot = (c << kHashShift) ^ m_prefix;
            if (m_keys[slot] == key) {
                m_prefix = m_codes[slot];
                continue;
            }
            if (m_keys[slot] >= 0) {
                const int displacement = slot == 0 ? 1 : kHashSize - slot;
                bool found = false;
                do {
                    slot -= displacement;
                    if (slot < 0) slot += kHashSize;
                    if (m_keys[slot] == key) {
                        found = true;
                        break;
                    }
                } while (m_keys[slot] >= 0);
                if (found) {
                    m_prefix = m_codes[slot];
                    continue;
                }
            }
            Output(m_prefix);
            m_prefix = c;
            if (m_nextCode < kMaxCodes) {
                m_codes[slot] = uint16_t(m_nextCode++);
                m_keys[slot] = key;
            } else {
                ClearHash();
                m_nextCode = m_clear + 2;
                m_clearPending = true;
                Output(m_clear);
            }
        }
    }

    // Sends the last string and the end code, then the last partial byte.
    void Finish() {
        if (m_started) Output(m_prefix);
        Output(m_end);
        while (m_bitCount > 0) {
            m_out.DataByte(uint8_t(m_bits));
            m_bits >>= 8;
            m_bitCount = std::max(0, m_bitCount - 8);
        }
        m_out.EndSubBlock();
    }

private:
    static constexpr int kHashSize = 5003;
    static constexpr int kHashShift = 4;  // 8 - log2 of the first power of two times 5003 above 65535
    static int MaxCode(int width) { return width == kMaxCodeBits ? kMaxCodes : (1 << width) - 1; }

    void ClearHash() { std::fill(std::begin(m_keys), std::end(m_keys), -1); }

    void Output(int code) {
        m_bits |= uint32_t(code) << m_bitCount;
        m_bitCount += m_width;
        while (m_bitCount >= 8) {
            m_out.DataByte(uint8_t(m_bits));
            m_bits >>= 8;
            m_bitCount -= 8;
        }
        // The code width grows once the next code to be made needs another bit; after
        // a clear code it starts again.
        if (m_clearPending) {
            m_width = m_initBits;
            m_maxCode = MaxCode(m_width);
            m_clearPending = false;
        } else if (m_nextCode > m_maxCode) {
            ++m_width;
            m_maxCode = MaxCode(m_width);
        }
    }

    GifOutput& m_out;
    const int m_initBits, m_clear, m_end;
    int m_width = 0, m_maxCode = 0, m_nextCode = 0;
    bool m_clearPending = false;
    bool m_started = false;
    int m_prefix = 0;
    uint32_t m_bits = 0;
    int m_bitCount = 0;
    int32_t m_keys[kHashSize];
    uint16_t m_codes[kHashSize] = {};
};

bool WriteGif(ByteStream& stream, CImageBuffer& image, const GifWriteOptions& options) {
    const int bits = image.Bpp();
    const int width = image.Width(), height = image.Height();
    // Deeper pictures are reduced by the caller first; the format cannot hold more
    // than 65535 pixels a side.
    if (!image.IsValid() || bits > 8 || width > 0xFFFF || height > 0xFFFF) {
        image.SetLastError(msg::kUnsupportedFormat);
        return false;
    }
    GifOutput out(stream);
    out.Bytes("GIF87a", 6);
    out.Word(width);
    out.Word(height);
    out.Byte(bits == 1 ? 0x80 : bits == 4 ? 0xE3 : 0xE7);
    out.Byte(0);  // background index
    out.Byte(0);  // aspect
    for (int i = 0; i < image.PaletteCount(); ++i) {
        const RgbQuad c = RgbQuad::FromValue(image.PaletteEntry(i));
        const uint8_t rgb[3] = {c.red, c.green, c.blue};
        out.Bytes(rgb, 3);
    }

    const int transparent = image.Info().backgroundIndex;
    const bool hasTransparent = transparent >= 0 && transparent < image.PaletteCount();
    const uint8_t control[3] = {kExtension, kGraphicControl, 4};
    out.Bytes(control, 3);
    out.Byte(uint8_t(((options.disposal << 2) & 0x1F) | (hasTransparent ? 1 : 0)));
    out.Word(options.delay);
    out.Byte(hasTransparent ? uint8_t(transparent) : 0);
    out.Byte(0);

    out.Byte(kImageDescriptor);
    out.Word(0);  // the picture fills the logical screen
    out.Word(0);
    out.Word(width);
    out.Word(height);
    out.Byte(0);
    const int minCodeSize = std::max(bits, 2);
    out.Byte(uint8_t(minCodeSize));
    {
        LzwEncoder encoder(out, minCodeSize);
        std::vector<uint8_t> row(static_cast<size_t>(width));
        for (int line = 0; line < height; ++line) {
            UnpackIndexRow(image.Row(height - 1 - line), width, bits, row.data());
            encoder.Add(row.data(), row.size());
        }
        encoder.Finish();
    }
    out.Byte(0);

    if (!options.comment.empty()) {
        const size_t length = std::min<size_t>(options.comment.size(), 255);
        const uint8_t head[3] = {kExtension, kComment, uint8_t(length)};
        out.Bytes(head, 3);
        out.Bytes(options.comment.data(), length);
        out.Byte(0);
    }
    out.Byte(kTrailer);
    if (!out.Finish()) {
        image.SetLastError(msg::kGifWrite);
        return false;
    }
    return true;
}

}  // namespace

namespace codec {

bool DecodeGif(ByteStream& in, CImageBuffer& out) {
    uint8_t screen[13];
    const size_t got = in.Read(screen, 1, sizeof screen);
    // Not a GIF: no message, the fall-back order goes on to the next reader.
    if (got < 4 || std::memcmp(screen, "GIF8", 4) != 0) return false;
    auto fail = [&out](const char* text) {
        out.SetLastError(text);
        return false;
    };
    if (got < sizeof screen) return fail(msg::kGifCorrupted);
    std::vector<uint8_t> data;
    if (!ReadRest(in, data)) return fail(msg::kAllocMemory);

    Cursor c(data, 0);
    ColourTable global;
    if ((screen[10] & 0x80) && !c.ReadTable(TableSize(screen[10]), global)) return fail(msg::kGifCorrupted);

    const int page = out.Info().page;
    std::vector<FrameRecord> records;
    const int count = ScanFrames(data, c.Pos(), page >= 0 ? size_t(page) + 1 : 0, records);
    out.Info().pageCount = count;
    if (count == 0) return fail(msg::kGifCorrupted);
    if (page < 0 || page >= count) return fail(msg::kGifPage);

    // Back to the nearest image that does not draw over the one before it.
    size_t first = size_t(page);
    while (first > 0 && records[first].disposal == 1) --first;
    CImageBuffer canvas(kFormatGif);
    for (size_t i = first; i <= size_t(page); ++i) {
        CImageBuffer frame(kFormatGif);
        Placement at;
        if (const char* error = DecodeFrame(data, records[i], global, out.Info().limits, frame, at)) return fail(error);
        if (i == first) canvas.TakeOver(frame);
        else DrawOver(canvas, frame, at);
    }

    const ImageInfo requested = out.Info();
    out.TakeOver(canvas);
    out.Info().quality = requested.quality;
    out.Info().page = page;
    out.Info().pageCount = count;
    return true;
}

bool EncodeGif(ByteStream& out, CImageBuffer& image) { return WriteGif(out, image, GifWriteOptions{}); }

}  // namespace codec
