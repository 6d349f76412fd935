// JPEG reading and writing through libjpeg (the release 6b interface of
// libjpeg-turbo). The library reads from and writes to a ByteStream through the
// source and destination managers below; its errors long-jump back here and leave
// the library's own formatted message as the picture's last error text. Warnings
// (a file cut short in the middle of the scan, stray bytes) are not errors: the
// library fills in what is missing and the picture is kept.

// jpeglib.h uses size_t and FILE without including their headers.
#include <cstddef>
#include <cstdio>

#include <jpeglib.h>
#include <jerror.h>

#include <algorithm>
#include <cmath>
#include <csetjmp>
#include <cstring>
#include <cstdint>
#include <memory>
#include <new>
#include <vector>

#include "ByteStream.h"
#include "Codecs.h"
#include "ExifBlock.h"
#include "Messages.h"
#include "Orientation.h"

namespace {

constexpr size_t kStreamBufferBytes = 64 * 1024;
constexpr int kRowsPerBatch = 16;

// Upper bound on the pixels that one byte of a JPEG stream may stand for. Huffman
// coding needs at least one bit per 8x8 block per DC scan (and a sequential scan at
// least two: the DC difference and the end of block), so a complete file can hold
// at most 512 pixels per byte of one component. 2^12 leaves an eightfold margin for
// progressive end-of-block runs and files cut short. Arithmetic-coded pictures of
// one flat colour can beat it; refusing those is the price of never allocating
// gigabytes for a file of a few hundred bytes that claims to be huge.
constexpr int64_t kMaxPixelsPerByte = int64_t(1) << 12;

// A progressive file may hold any number of scans, and every scan walks the whole
// coefficient buffer: a small hostile file with thousands of empty scans would keep
// the reader busy for minutes. No encoder writes more than a few dozen.
constexpr int kMaxScans = 500;

struct ErrorManager {
    jpeg_error_mgr pub;
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
    bool ownMessage;  // true when message holds one of the program's own texts
};

[[noreturn]] void OnError(j_common_ptr cinfo) {
    ErrorManager* err = reinterpret_cast<ErrorManager*>(cinfo->err);
    if (!err->ownMessage) (*cinfo->err->format_message)(cinfo, err->message);
    std::longjmp(err->jump, 1);
}

// Warnings and trace messages are dropped: nothing is printed to the terminal.
void OnMessage(j_common_ptr cinfo, int level) {
    if (level < 0) ++cinfo->err->num_warnings;
}

jpeg_error_mgr* InstallErrorManager(ErrorManager& err) {
    jpeg_error_mgr* pub = jpeg_std_error(&err.pub);
    err.pub.error_exit = OnError;
    err.pub.emit_message = OnMessage;
    err.message[0] = '\0';
    err.ownMessage = false;
    return pub;
}

// Leaves with one of the program's own texts instead of a library message.
[[noreturn]] void FailWith(j_common_ptr cinfo, const char* text) {
    ErrorManager* err = reinterpret_cast<ErrorManager*>(cinfo->err);
    std::snprintf(err->message, sizeof err->message, "%s", text);
    err->ownMessage = true;
    OnError(cinfo);
}

// ---- Source manager over a ByteStream ----

struct StreamSource {
    jpeg_source_mgr pub;
    ByteStream* stream;
    JOCTET* buffer;
    bool atStart;
    bool atEnd;  // the data has run out and the buffer holds an inserted marker
};

void InitSource(j_decompress_ptr cinfo) { reinterpret_cast<StreamSource*>(cinfo->src)->atStart = true; }

boolean FillInputBuffer(j_decompress_ptr cinfo) {
    StreamSource* src = reinterpret_cast<StreamSource*>(cinfo->src);
    size_t got = src->stream->Read(src->buffer, 1, kStreamBufferBytes);
    if (got == 0) {
        if (src->atStart) ERREXIT(cinfo, JERR_INPUT_EMPTY);
        // The data ends early: hand the library an end-of-image marker so that it
        // finishes the picture with what it has, and let it note the warning.
        WARNMS(cinfo, JWRN_JPEG_EOF);
        src->buffer[0] = JOCTET(0xFF);
        src->buffer[1] = JOCTET(JPEG_EOI);
        got = 2;
        src->atEnd = true;
    }
    src->pub.next_input_byte = src->buffer;
    src->pub.bytes_in_buffer = got;
    src->atStart = false;
    return TRUE;
}

void SkipInputData(j_decompress_ptr cinfo, long count) {
    if (count <= 0) return;
    StreamSource* src = reinterpret_cast<StreamSource*>(cinfo->src);
    while (count > long(src->pub.bytes_in_buffer)) {
        count -= long(src->pub.bytes_in_buffer);
        FillInputBuffer(cinfo);  // never fails: the end of the data gives a marker
        if (src->atEnd) return;  // keep the end-of-image marker instead of skipping it
    }
    src->pub.next_input_byte += count;
    src->pub.bytes_in_buffer -= size_t(count);
}

void TermSource(j_decompress_ptr) {}

void AttachSource(j_decompress_ptr cinfo, StreamSource& src, ByteStream& stream, JOCTET* buffer) {
    src.pub.init_source = InitSource;
    src.pub.fill_input_buffer = FillInputBuffer;
    src.pub.skip_input_data = SkipInputData;
    src.pub.resync_to_restart = jpeg_resync_to_restart;
    src.pub.term_source = TermSource;
    src.pub.bytes_in_buffer = 0;
    src.pub.next_input_byte = nullptr;
    src.stream = &stream;
    src.buffer = buffer;
    src.atStart = true;
    src.atEnd = false;
    cinfo->src = &src.pub;
}

// ---- Destination manager over a ByteStream ----

struct StreamDestination {
    jpeg_destination_mgr pub;
    ByteStream* stream;
    JOCTET* buffer;
};

void InitDestination(j_compress_ptr cinfo) {
    StreamDestination* dest = reinterpret_cast<StreamDestination*>(cinfo->dest);
    dest->pub.next_output_byte = dest->buffer;
    dest->pub.free_in_buffer = kStreamBufferBytes;
}

boolean EmptyOutputBuffer(j_compress_ptr cinfo) {
    StreamDestination* dest = reinterpret_cast<StreamDestination*>(cinfo->dest);
    if (!dest->stream->WriteAll(dest->buffer, kStreamBufferBytes)) ERREXIT(cinfo, JERR_FILE_WRITE);
    dest->pub.next_output_byte = dest->buffer;
    dest->pub.free_in_buffer = kStreamBufferBytes;
    return TRUE;
}

void TermDestination(j_compress_ptr cinfo) {
    StreamDestination* dest = reinterpret_cast<StreamDestination*>(cinfo->dest);
    const size_t used = kStreamBufferBytes - dest->pub.free_in_buffer;
    if (!dest->stream->WriteAll(dest->buffer, used) || !dest->stream->Flush()) ERREXIT(cinfo, JERR_FILE_WRITE);
}

void AttachDestination(j_compress_ptr cinfo, StreamDestination& dest, ByteStream& stream, JOCTET* buffer) {
    dest.pub.init_destination = InitDestination;
    dest.pub.empty_output_buffer = EmptyOutputBuffer;
    dest.pub.term_destination = TermDestination;
    dest.stream = &stream;
    dest.buffer = buffer;
    cinfo->dest = &dest.pub;
}

// Reads a stream forwards in blocks, one byte at a time for the caller.
class BlockReader {
public:
    explicit BlockReader(ByteStream& in) : m_in(in) {}
    int Next() { return Fill() ? m_block[m_at++] : -1; }
    // Skips n bytes; false when the data ends first.
    bool Skip(int64_t n) {
        while (n > 0) {
            if (!Fill()) return false;
            const size_t step = size_t(std::min<int64_t>(n, int64_t(m_size - m_at)));
            m_at += step;
            n -= int64_t(step);
        }
        return true;
    }

private:
    bool Fill() {
        if (m_at < m_size) return true;
        m_size = m_in.Read(m_block, 1, sizeof m_block);
        m_at = 0;
        return m_size > 0;
    }
    ByteStream& m_in;
    uint8_t m_block[16384];
    size_t m_size = 0, m_at = 0;
};

// The bytes of entropy-coded scan data from the stream's position on (the stream is
// put back where it was). Marker segments (comments, application data, tables) and
// anything after the end of the picture carry no pixels and do not count, so that
// padding a small file never raises what it may decode to.
int64_t EntropyCodedBytes(ByteStream& in) {
    const int64_t start = in.Tell();
    BlockReader r(in);
    int64_t scan = 0;
    if (r.Next() != 0xFF || r.Next() != 0xD8) {
        in.Seek(start, SEEK_SET);
        return in.Remaining();  // not a JPEG start: the library reports it
    }
    int c = r.Next();
    bool inScan = false;
    while (c >= 0) {
        if (c != 0xFF) {  // scan data, or junk between segments
            if (inScan) ++scan;
            c = r.Next();
            continue;
        }
        int marker = r.Next();
        while (marker == 0xFF) marker = r.Next();  // fill bytes
        if (marker < 0 || marker == JPEG_EOI) break;
        if (inScan && (marker == 0x00 || (marker >= 0xD0 && marker <= 0xD7))) {
            scan += 2;  // a stuffed byte or a restart marker inside the scan
            c = r.Next();
            continue;
        }
        inScan = false;
        if (marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7)) {  // no length
            c = r.Next();
            continue;
        }
        const int high = r.Next(), low = r.Next();
        if (high < 0 || low < 0) break;
        const int length = (high << 8) | low;
        if (length < 2 || !r.Skip(length - 2)) break;
        inScan = marker == 0xDA;
        c = r.Next();
    }
    in.Seek(start, SEEK_SET);
    return scan;
}

// Stops progressive files with more scans than any encoder writes.
void WatchScans(j_common_ptr cinfo) {
    if (!cinfo->is_decompressor) return;
    if (reinterpret_cast<j_decompress_ptr>(cinfo)->input_scan_number > kMaxScans) FailWith(cinfo, msg::kJpegLimits);
}

// The JFIF density holds whole dots per inch or per centimetre (16 bits each): the
// unit that keeps the resolution closer is taken, so 1000 DPI (25.4 um a pixel) stays
// exact in inches and 20000 per metre (50 um) in centimetres. Nothing is written
// without a resolution (the density then stays the library's 1:1 aspect).
void WriteDensity(const CImageBuffer& image, jpeg_compress_struct& cinfo) {
    const double x = image.PixelsPerMetreX(), y = image.PixelsPerMetreY();
    if (!(x > 0) || !(y > 0)) return;
    struct Choice {
        uint8_t unit;
        double perMetre;  // units of the density in a metre
    };
    double best = 1e300;
    for (const Choice c : {Choice{1, 0.0254}, Choice{2, 0.01}}) {
        const double dx = std::round(x * c.perMetre), dy = std::round(y * c.perMetre);
        if (dx < 1 || dy < 1 || dx > 65535 || dy > 65535) continue;
        const double error = std::max(std::fabs(dx - x * c.perMetre) / (x * c.perMetre),
                                      std::fabs(dy - y * c.perMetre) / (y * c.perMetre));
        // Inches are kept on a tie: what every reader knows best.
        if (error < best - 1e-12) {
            best = error;
            cinfo.density_unit = c.unit;
            cinfo.X_density = uint16_t(dx);
            cinfo.Y_density = uint16_t(dy);
        }
    }
}

// Resolution from the JFIF density: unit 1 is dots per inch, unit 2 dots per
// centimetre; unit 0 gives only the aspect ratio and leaves the DPI alone.
void ReadDensity(const jpeg_decompress_struct& cinfo, CImageBuffer& out) {
    if (!cinfo.saw_JFIF_marker || cinfo.X_density == 0 || cinfo.Y_density == 0) return;
    if (cinfo.density_unit == 1) {
        out.SetHorizontalResolution(cinfo.X_density / 0.0254);
        out.SetVerticalResolution(cinfo.Y_density / 0.0254);
    } else if (cinfo.density_unit == 2) {
        out.SetHorizontalResolution(cinfo.X_density * 100.0);
        out.SetVerticalResolution(cinfo.Y_density * 100.0);
    }
}

// Four-component rows (C, M, Y, K as the library delivers them; Adobe files keep
// them inverted and they are used as delivered) to blue, green, red.
void CmykToBgr(const JSAMPLE* cmyk, uint8_t* bgr, JDIMENSION width) {
    for (JDIMENSION x = 0; x < width; ++x, cmyk += 4, bgr += 3) {
        const unsigned k = cmyk[3];
        bgr[0] = uint8_t(cmyk[2] * k / 255);
        bgr[1] = uint8_t(cmyk[1] * k / 255);
        bgr[2] = uint8_t(cmyk[0] * k / 255);
    }
}

// Everything that must survive a long jump lives here, created before setjmp. Work
// rows come from the library's own pools, so that running out of memory also ends
// in its error exit (and no C++ exception crosses its frames).
struct DecodeState {
    jpeg_decompress_struct cinfo{};
    ErrorManager err{};
    jpeg_progress_mgr progress{};
    StreamSource source{};
    std::unique_ptr<JOCTET[]> buffer;
    std::vector<uint8_t> exif;
};

struct EncodeState {
    jpeg_compress_struct cinfo{};
    ErrorManager err{};
    StreamDestination dest{};
    std::unique_ptr<JOCTET[]> buffer;
    std::vector<uint8_t> exif;  // the EXIF block to write, made before the library runs
};

// The body of the decoder; any library error long-jumps out to the caller's setjmp.
void DecodeBody(DecodeState& s, ByteStream& in, CImageBuffer& out) {
    jpeg_decompress_struct& cinfo = s.cinfo;
    const int64_t available = EntropyCodedBytes(in);
    AttachSource(&cinfo, s.source, in, s.buffer.get());
    s.progress.progress_monitor = WatchScans;
    cinfo.progress = &s.progress;
    jpeg_save_markers(&cinfo, JPEG_APP0 + 1, 0xFFFF);
    jpeg_read_header(&cinfo, TRUE);

    // Decide the output before the library allocates its own buffers for the size.
    const int64_t pixels = int64_t(cinfo.image_width) * int64_t(cinfo.image_height);
    if (pixels > available * kMaxPixelsPerByte) FailWith(reinterpret_cast<j_common_ptr>(&cinfo), msg::kJpegLimits);
    if (const char* refusal = out.Info().limits.Refusal(cinfo.image_width, cinfo.image_height))
        FailWith(reinterpret_cast<j_common_ptr>(&cinfo), refusal);
    bool cmyk = false;
    switch (cinfo.num_components) {
    case 1: cinfo.out_color_space = JCS_GRAYSCALE; break;
    case 3: cinfo.out_color_space = JCS_EXT_BGR; break;  // the same pixels as RGB, stored blue first
    case 4:
        cinfo.out_color_space = JCS_CMYK;  // Adobe YCCK files are turned into CMYK by the library
        cmyk = true;
        break;
    default: ERREXIT(&cinfo, JERR_CONVERSION_NOTIMPL);
    }
    jpeg_start_decompress(&cinfo);

    const int width = int(cinfo.output_width), height = int(cinfo.output_height);
    // The library delivers every line (filling in after a premature end of data).
    if (!out.Allocate(width, height, cmyk ? 24 : 8 * cinfo.output_components, kFormatJpeg, false))
        FailWith(reinterpret_cast<j_common_ptr>(&cinfo), msg::kAllocMemory);
    if (cinfo.output_components == 1) out.MakeGreyPalette();
    ReadDensity(cinfo, out);

    JSAMPARRAY cmykRows = nullptr;
    if (cmyk)
        cmykRows = (*cinfo.mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(&cinfo), JPOOL_IMAGE,
                                              cinfo.output_width * 4, kRowsPerBatch);
    JSAMPROW rows[kRowsPerBatch];
    while (cinfo.output_scanline < cinfo.output_height) {
        const int first = int(cinfo.output_scanline);
        const int count = std::min(kRowsPerBatch, height - first);
        // Lines arrive top first; storage is bottom-up.
        for (int i = 0; i < count; ++i)
            rows[i] = cmyk ? cmykRows[i] : out.Row(height - 1 - (first + i));
        const int got = int(jpeg_read_scanlines(&cinfo, rows, JDIMENSION(count)));
        if (cmyk)
            for (int i = 0; i < got; ++i) CmykToBgr(rows[i], out.Row(height - 1 - (first + i)), cinfo.output_width);
    }
    // The EXIF block: the first APP1 marker that starts with "Exif\0\0" (XMP is APP1 too).
    for (jpeg_saved_marker_ptr m = cinfo.marker_list; m; m = m->next)
        if (m->marker == JPEG_APP0 + 1 && m->data_length > 6 && std::memcmp(m->data, "Exif\0\0", 6) == 0) {
            s.exif.assign(m->data, m->data + m->data_length);
            break;
        }
    jpeg_finish_decompress(&cinfo);
}

// Turns the decoded picture upright by the EXIF orientation (when asked to) and keeps
// the block for the writer, its orientation reset once the picture has been turned. A
// block that cannot be read changes nothing and is not kept.
void ApplyExif(std::vector<uint8_t>& block, CImageBuffer& out) {
    if (block.empty()) return;
    const int orientation = exif::Orientation(block.data(), block.size());
    const bool turn = out.Info().exifUpright && orientation > 1;
    if (turn && !orientation::MakeUpright(out, orientation)) return;
    std::vector<uint8_t> kept = turn ? exif::ForSave(block, out.Width(), out.Height(), true) : std::move(block);
    if (!kept.empty()) out.Info().exif = std::make_shared<const std::vector<uint8_t>>(std::move(kept));
}

// Grey level of every palette entry, or false when some entry is not grey.
bool GreyLevels(const CImageBuffer& image, uint8_t (&levels)[256]) {
    for (int i = 0; i < image.PaletteCount(); ++i) {
        const RgbQuad c = RgbQuad::FromValue(image.PaletteEntry(i));
        if (c.red != c.green || c.green != c.blue) return false;
        levels[i] = c.red;
    }
    return true;
}

void EncodeBody(EncodeState& s, ByteStream& file, CImageBuffer& image, const uint8_t (&levels)[256]) {
    jpeg_compress_struct& cinfo = s.cinfo;
    AttachDestination(&cinfo, s.dest, file, s.buffer.get());
    const int bpp = image.Bpp();
    const bool grey = bpp <= 8;
    cinfo.image_width = JDIMENSION(image.Width());
    cinfo.image_height = JDIMENSION(image.Height());
    // True-colour rows are handed over as they are stored (blue first, and for 32
    // bits with the fourth byte skipped): the library converts them exactly as it
    // would convert red-first rows.
    cinfo.input_components = grey ? 1 : bpp / 8;
    cinfo.in_color_space = grey ? JCS_GRAYSCALE : bpp == 32 ? JCS_EXT_BGRX : JCS_EXT_BGR;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, std::min<int>(image.Info().quality, 100), TRUE);
    WriteDensity(image, cinfo);
    jpeg_start_compress(&cinfo, TRUE);
    if (!s.exif.empty()) jpeg_write_marker(&cinfo, JPEG_APP0 + 1, s.exif.data(), unsigned(s.exif.size()));

    const int width = image.Width(), height = image.Height();
    JSAMPROW workRow = nullptr;
    if (grey)
        workRow = (*cinfo.mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(&cinfo), JPOOL_IMAGE, cinfo.image_width, 1)[0];
    while (cinfo.next_scanline < cinfo.image_height) {
        const int y = height - 1 - int(cinfo.next_scanline);  // top line first
        JSAMPROW row = image.Row(y);
        if (grey) {
            for (int x = 0; x < width; ++x) workRow[x] = levels[image.IndexAt(x, y)];
            row = workRow;
        }
        jpeg_write_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_compress(&cinfo);
}

}  // namespace

namespace codec {

bool DecodeJpeg(ByteStream& in, CImageBuffer& out) {
    DecodeState s;
    s.buffer.reset(new (std::nothrow) JOCTET[kStreamBufferBytes]);
    if (!s.buffer) {
        out.SetLastError(msg::kAllocMemory);
        return false;
    }
    s.cinfo.err = InstallErrorManager(s.err);
    if (setjmp(s.err.jump)) {
        jpeg_destroy_decompress(&s.cinfo);
        out.ReleaseBuffers();
        out.SetLastError(s.err.message);
        return false;
    }
    jpeg_create_decompress(&s.cinfo);
    DecodeBody(s, in, out);
    jpeg_destroy_decompress(&s.cinfo);
    ApplyExif(s.exif, out);
    return true;
}

bool EncodeJpeg(ByteStream& out, CImageBuffer& image) {
    if (!image.IsValid()) return false;
    // Palette pictures are written as one-component greyscale when every entry is
    // grey (the 8-bit ramp with entry i = i writes its indices unchanged).
    uint8_t levels[256] = {};
    if (image.Bpp() <= 8 && !GreyLevels(image, levels)) {
        image.SetLastError(msg::kJpegOnlyRgbGrey);
        return false;
    }
    EncodeState s;
    if (const auto& exif = image.Info().exif) s.exif = exif::ForSave(*exif, image.Width(), image.Height(), false);
    s.buffer.reset(new (std::nothrow) JOCTET[kStreamBufferBytes]);
    if (!s.buffer) {
        image.SetLastError(msg::kAllocMemory);
        return false;
    }
    s.cinfo.err = InstallErrorManager(s.err);
    if (setjmp(s.err.jump)) {
        jpeg_destroy_compress(&s.cinfo);
        image.SetLastError(s.err.message);
        return false;
    }
    jpeg_create_compress(&s.cinfo);
    EncodeBody(s, out, image, levels);
    jpeg_destroy_compress(&s.cinfo);
    return true;
}

}  // namespace codec
