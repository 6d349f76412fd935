#include "Scanner.h"

#include <sane/sane.h>
#include <sane/saneopts.h>

#include <algorithm>
#include <cstring>

#include "ShellTexts.h"

// ---------------------------------------------------------------------------------
// Frame assembly

Status ScanAssembler::Begin(const Frame& frame) {
    const int channels = frame.kind == kRgb ? 3 : 1;
    const bool depthKnown = frame.depth == 1 || frame.depth == 8 || frame.depth == 16;
    const bool sized = frame.pixelsPerLine > 0 && frame.pixelsPerLine <= 1 << 16 && frame.bytesPerLine > 0 &&
                       int64_t(frame.pixelsPerLine) * channels * frame.depth <= int64_t(frame.bytesPerLine) * 8;
    const bool single = frame.kind == kGrey || frame.kind == kRgb;
    bool fits = m_frames.empty() || (!single && m_frames[0].kind != kGrey && m_frames[0].kind != kRgb &&
                                     frame.pixelsPerLine == m_frames[0].pixelsPerLine && m_frames.size() < 3);
    for (const Frame& f : m_frames) fits = fits && f.kind != frame.kind;
    const int64_t known = frame.lines > 0 ? int64_t(frame.lines) * frame.bytesPerLine : 0;
    if (!depthKnown || !sized || !fits || known > kMaxBytes) return Status::Fail(shell_text::kScanFormat);
    m_frames.push_back(frame);
    m_bytes.emplace_back();
    if (known > 0) m_bytes.back().reserve(size_t(known));
    return Status::Ok();
}

bool ScanAssembler::Add(const uint8_t* data, size_t size) {
    if (m_bytes.empty()) return false;
    int64_t total = 0;
    for (const auto& b : m_bytes) total += int64_t(b.size());
    if (total + int64_t(size) > kMaxBytes) return false;
    m_bytes.back().insert(m_bytes.back().end(), data, data + size);
    return true;
}

namespace {

// Sample `index` of a row (pixel x channel count + channel) as 0..255.
uint8_t Sample(const uint8_t* row, int depth, int index, bool grey) {
    switch (depth) {
        case 1: {
            const bool set = (row[index / 8] >> (7 - index % 8)) & 1;
            return grey ? (set ? 0 : 255) : (set ? 255 : 0);  // a grey bit set is black (line art)
        }
        case 16: {
            uint16_t v;
            std::memcpy(&v, row + size_t(index) * 2, 2);
            return uint8_t(v >> 8);
        }
        default:
            return row[index];
    }
}

}  // namespace

Status ScanAssembler::Finish(PlainBitmap& out) const {
    if (m_frames.empty()) return Status::Fail(shell_text::kScanFormat);
    const bool threePass = m_frames[0].kind != kGrey && m_frames[0].kind != kRgb;
    if (threePass && m_frames.size() != 3) return Status::Fail(shell_text::kScanFormat);
    int64_t lines = INT64_MAX;
    for (size_t i = 0; i < m_frames.size(); ++i) {
        int64_t complete = int64_t(m_bytes[i].size()) / m_frames[i].bytesPerLine;
        if (m_frames[i].lines > 0) complete = std::min<int64_t>(complete, m_frames[i].lines);
        lines = std::min(lines, complete);
    }
    if (lines <= 0) return Status::Fail(shell_text::kScannerFailed);
    PlainBitmap bitmap;
    bitmap.width = m_frames[0].pixelsPerLine;
    bitmap.height = int(lines);
    bitmap.bitsPerPixel = 24;
    bitmap.topDown = true;
    bitmap.stride = RowStride(bitmap.width, 24);
    bitmap.pixels.assign(size_t(bitmap.stride) * size_t(bitmap.height), 0);
    for (size_t i = 0; i < m_frames.size(); ++i) {
        const Frame& f = m_frames[i];
        for (int y = 0; y < bitmap.height; ++y) {
            const uint8_t* row = m_bytes[i].data() + size_t(y) * size_t(f.bytesPerLine);
            uint8_t* to = bitmap.pixels.data() + size_t(y) * size_t(bitmap.stride);
            for (int x = 0; x < bitmap.width; ++x, to += 3) {
                switch (f.kind) {
                    case kGrey: to[0] = to[1] = to[2] = Sample(row, f.depth, x, true); break;
                    case kRgb:
                        for (int c = 0; c < 3; ++c) to[2 - c] = Sample(row, f.depth, x * 3 + c, false);
                        break;
                    case kRed: to[2] = Sample(row, f.depth, x, false); break;
                    case kGreen: to[1] = Sample(row, f.depth, x, false); break;
                    case kBlue: to[0] = Sample(row, f.depth, x, false); break;
                }
            }
        }
    }
    out = std::move(bitmap);
    return Status::Ok();
}

// ---------------------------------------------------------------------------------
// SANE

namespace {

Status SaneFailure(const char* text, SANE_Status status) {
    std::string message = text;
    if (const char* reason = sane_strstatus(status); reason && *reason) message += std::string("\n") + reason;
    return Status::Fail(message);
}

// sane_init and sane_exit around one use of the library.
class SaneSession {
public:
    SaneSession() {
        SANE_Int version = 0;
        m_status = sane_init(&version, nullptr);
    }
    ~SaneSession() {
        if (m_status == SANE_STATUS_GOOD) sane_exit();
    }
    SaneSession(const SaneSession&) = delete;
    SaneSession& operator=(const SaneSession&) = delete;
    SANE_Status State() const { return m_status; }

private:
    SANE_Status m_status;
};

class SaneHandle {
public:
    explicit SaneHandle(const std::string& name) { m_status = sane_open(name.c_str(), &m_handle); }
    ~SaneHandle() {
        if (m_status == SANE_STATUS_GOOD) {
            sane_cancel(m_handle);
            sane_close(m_handle);
        }
    }
    SaneHandle(const SaneHandle&) = delete;
    SaneHandle& operator=(const SaneHandle&) = delete;
    SANE_Status State() const { return m_status; }
    SANE_Handle Get() const { return m_handle; }

private:
    SANE_Handle m_handle = nullptr;
    SANE_Status m_status;
};

// Colour where the device offers a colour mode among its scan modes.
void PreferColour(SANE_Handle handle) {
    for (SANE_Int i = 1;; ++i) {
        const SANE_Option_Descriptor* d = sane_get_option_descriptor(handle, i);
        if (!d) return;
        if (!d->name || std::strcmp(d->name, SANE_NAME_SCAN_MODE) != 0 || d->type != SANE_TYPE_STRING ||
            d->constraint_type != SANE_CONSTRAINT_STRING_LIST || !SANE_OPTION_IS_SETTABLE(d->cap))
            continue;
        for (const SANE_String_Const* v = d->constraint.string_list; *v; ++v) {
            if (std::strcmp(*v, SANE_VALUE_SCAN_MODE_COLOR) != 0) continue;
            std::vector<char> value(size_t(std::max<SANE_Int>(d->size, SANE_Int(std::strlen(*v) + 1))), 0);
            std::memcpy(value.data(), *v, std::strlen(*v));
            sane_control_option(handle, i, SANE_ACTION_SET_VALUE, value.data(), nullptr);
            return;
        }
        return;
    }
}

ScanAssembler::Kind KindOf(SANE_Frame frame) {
    switch (frame) {
        case SANE_FRAME_RGB: return ScanAssembler::kRgb;
        case SANE_FRAME_RED: return ScanAssembler::kRed;
        case SANE_FRAME_GREEN: return ScanAssembler::kGreen;
        case SANE_FRAME_BLUE: return ScanAssembler::kBlue;
        default: return ScanAssembler::kGrey;
    }
}

}  // namespace

Status ListScanDevices(std::vector<ScanDevice>& out) {
    out.clear();
    const SaneSession session;
    if (session.State() != SANE_STATUS_GOOD) return SaneFailure(shell_text::kNoScanner, session.State());
    const SANE_Device** devices = nullptr;
    if (const SANE_Status s = sane_get_devices(&devices, SANE_FALSE); s != SANE_STATUS_GOOD)
        return SaneFailure(shell_text::kNoScanner, s);
    for (int i = 0; devices && devices[i]; ++i) {
        const SANE_Device& d = *devices[i];
        std::string label = std::string(d.vendor ? d.vendor : "") + " " + (d.model ? d.model : "");
        if (d.type && *d.type) label += std::string(" (") + d.type + ")";
        out.push_back({d.name ? d.name : "", label});
    }
    return Status::Ok();
}

Status ScanPicture(const std::string& device, PlainBitmap& out, const std::function<bool(int)>& goOn) {
    const SaneSession session;
    if (session.State() != SANE_STATUS_GOOD) return SaneFailure(shell_text::kNoScanner, session.State());
    const SaneHandle handle(device);
    if (handle.State() != SANE_STATUS_GOOD) return SaneFailure(shell_text::kNoScanner, handle.State());
    PreferColour(handle.Get());
    ScanAssembler picture;
    std::vector<uint8_t> chunk(64 * 1024);
    for (;;) {
        if (const SANE_Status s = sane_start(handle.Get()); s != SANE_STATUS_GOOD)
            return s == SANE_STATUS_CANCELLED ? Status::Stopped() : SaneFailure(shell_text::kScannerFailed, s);
        SANE_Parameters p{};
        if (const SANE_Status s = sane_get_parameters(handle.Get(), &p); s != SANE_STATUS_GOOD)
            return SaneFailure(shell_text::kScannerFailed, s);
        if (p.format > SANE_FRAME_BLUE) return Status::Fail(shell_text::kScanFormat);
        if (Status s = picture.Begin({KindOf(p.format), p.depth, p.pixels_per_line, p.bytes_per_line, p.lines}); !s)
            return s;
        const int64_t expected = p.lines > 0 ? int64_t(p.lines) * p.bytes_per_line : 0;
        int64_t read = 0;
        for (;;) {
            SANE_Int got = 0;
            const SANE_Status s = sane_read(handle.Get(), chunk.data(), SANE_Int(chunk.size()), &got);
            if (s == SANE_STATUS_EOF) break;
            if (s != SANE_STATUS_GOOD) return s == SANE_STATUS_CANCELLED ? Status::Stopped() : SaneFailure(shell_text::kScannerFailed, s);
            if (got > 0 && !picture.Add(chunk.data(), size_t(got))) return Status::Fail(shell_text::kScanFormat);
            read += got;
            const int percent = expected > 0 ? int(std::min<int64_t>(100, read * 100 / expected)) : 0;
            if (goOn && !goOn(percent)) return Status::Stopped();
        }
        if (p.last_frame) break;
    }
    return picture.Finish(out);
}
