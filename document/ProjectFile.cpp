#include "ProjectFile.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <set>

#include "ByteStream.h"
#include "Codecs.h"
#include "Compositor.h"
#include "History.h"
#include "LayerModel.h"
#include "Messages.h"
#include "SafeFile.h"
#include "Utf16.h"

namespace {

bool WriteText(ByteStream& out, const char* format, int a, int b = 0, int c = 0) {
    char line[64];
    const int n = std::snprintf(line, sizeof line, format, a, b, c);
    return out.WriteAll(line, size_t(n));
}

}  // namespace

bool ReadFormattedInt(ByteStream& in, int& value) {
    int c = in.GetByte();
    while (c == ' ' || c == '\n' || c == '\r' || c == '\t' || c == '\v' || c == '\f') c = in.GetByte();
    bool negative = false;
    if (c == '-' || c == '+') {
        negative = c == '-';
        c = in.GetByte();
    }
    if (c < '0' || c > '9') return false;
    int64_t v = 0;
    while (c >= '0' && c <= '9') {
        v = std::min<int64_t>(v * 10 + (c - '0'), int64_t(INT32_MAX) + 1);
        c = in.GetByte();
    }
    if (c >= 0) in.Seek(-1, SEEK_CUR);
    value = int(negative ? -v : std::min<int64_t>(v, INT32_MAX));
    return true;
}

namespace {

void SkipWhiteSpace(ByteStream& in) {
    int c = in.GetByte();
    while (c == ' ' || c == '\n' || c == '\r' || c == '\t' || c == '\v' || c == '\f') c = in.GetByte();
    if (c >= 0) in.Seek(-1, SEEK_CUR);
}

bool WriteUtf16(ByteStream& out, const std::u16string& text, size_t length) {
    std::vector<uint8_t> bytes(length * 2, 0);
    for (size_t i = 0; i < length && i < text.size(); ++i) {
        bytes[2 * i] = uint8_t(text[i]);
        bytes[2 * i + 1] = uint8_t(text[i] >> 8);
    }
    return out.WriteAll(bytes.data(), bytes.size());
}

// The composite as 24-bit rows of the canvas stride (blue, green, red), bottom-up.
std::vector<uint8_t> CompositePreview(const COrinDoc& doc) {
    const int w = doc.canvas.width, h = doc.canvas.height;
    const int32_t stride = RowStride(w, 24);
    std::vector<uint8_t> rows(size_t(std::max(0, doc.canvas.pixelDataSize)), 255);
    std::vector<uint32_t> composite;
    ComposeParams p;
    p.width = w;
    p.height = h;
    ComposeLayers(doc, p, composite);
    for (int y = 0; y < h; ++y) {
        const uint32_t* src = composite.data() + size_t(h - 1 - y) * size_t(w);
        for (int x = 0; x < w; ++x) {
            const size_t at = size_t(y) * size_t(stride) + size_t(x) * 3;
            if (at + 3 > rows.size()) break;
            rows[at] = uint8_t(src[x]);
            rows[at + 1] = uint8_t(src[x] >> 8);
            rows[at + 2] = uint8_t(src[x] >> 16);
        }
    }
    return rows;
}

}  // namespace

bool WriteLayerChain(COrinDoc& doc, ByteStream& out, LayerLine line) {
    bool ok = true;
    const std::vector<int> chain = doc.layers.Chain();
    for (int slot : chain) {
        if (!ok) break;
        const LayerRecord& r = doc.layers[slot];
        uint8_t record[kProjectRecordBytes];
        SerializeLayerRecord(r, record, sizeof record);
        ok = (line == LayerLine::SlotAndTextLength ? WriteText(out, "\n %d %d", slot, r.textLength)
                                                   : WriteText(out, "\n %d ", slot)) &&
             out.WriteAll(record, sizeof record) && r.pixels.size() >= size_t(r.pixelSize) &&
             r.alpha.size() >= size_t(r.planeSize) && r.aux.size() >= size_t(r.planeSize) &&
             out.WriteAll(r.pixels.data(), size_t(r.pixelSize)) && out.WriteAll(r.alpha.data(), size_t(r.planeSize)) &&
             out.WriteAll(r.aux.data(), size_t(r.planeSize));
        if (ok && r.kind == kLayerText) ok = WriteUtf16(out, r.text, size_t(std::max(0, r.textLength)));
    }
    // The walk must end at a layer whose "above" is -1.
    return ok && (chain.empty() || doc.layers[chain.back()].above == -1);
}

Status WriteProject(COrinDoc& doc, ByteStream& out) {
    // Transparency, offsets and the selection flag come back whatever happens.
    const SavedLayerPlaces places(doc);

    RefreshCanvasSizes(doc);
    bool ok = WriteText(out, "\n%d %d %d", kProjectVersion, doc.layers.bottom, doc.layers.current);
    uint8_t header[kCanvasHeaderBytes];
    SerializeCanvasHeader(doc.canvas, header);
    ok = ok && out.WriteAll(header, sizeof header);
    if (ok) {
        const std::vector<uint8_t> preview = CompositePreview(doc);
        ok = out.WriteAll(preview.data(), preview.size());
    }
    ok = ok && WriteLayerChain(doc, out, LayerLine::SlotAndTextLength);
    doc.flattenRequest = false;
    return ok ? Status::Ok() : Status::Fail(msg::kSaveFailed);
}

Status WriteProjectFile(COrinDoc& doc, const std::string& path) {
    SafeFile file;
    if (!file.Open(path)) return Status::Fail(msg::kSaveFailed);
    if (Status s = WriteProject(doc, file.Stream()); !s) return s;
    return file.Commit(doc.workspace.durableSaves) ? Status::Ok() : Status::Fail(msg::kSaveFailed);
}

bool ReadCanvasHeader(ByteStream& in, CanvasHeader& canvas) {
    uint8_t header[kCanvasHeaderBytes];
    if (!in.ReadExact(header, sizeof header)) return false;
    DeserializeCanvasHeader(canvas, header);
    const int bpp = canvas.bpp;
    return (bpp == 1 || bpp == 4 || bpp == 8 || bpp == 24) && canvas.width > 0 && canvas.height > 0 &&
           canvas.paletteCount >= 0 && canvas.paletteCount <= 256;
}

namespace {

Status ReadChain(COrinDoc& doc, ByteStream& in, const CanvasHeader& canvas, int bottom, int current,
                 const LayerChainFormat& format) {
    const Status corrupt = Status::Fail(msg::kCannotOpen);
    doc.canvas = canvas;
    const int bpp = canvas.bpp;
    std::set<int> seen;
    int slot = bottom, previous = -1;
    if (!IsValidSlot(slot)) return corrupt;
    while (IsValidSlot(slot)) {
        int lineSlot = 0, textLength = 0;
        if (!ReadFormattedInt(in, lineSlot)) return corrupt;
        switch (format.line) {
        case LayerLine::SlotAndTextLength:
            if (!ReadFormattedInt(in, textLength)) return corrupt;
            break;
        case LayerLine::SlotOnly:
            SkipWhiteSpace(in);
            break;
        case LayerLine::SlotAndOneSpace:
            // Exactly one space: the record may begin with a byte that looks like white space.
            if (in.GetByte() != ' ') return corrupt;
            break;
        }
        if (!IsValidSlot(lineSlot) || !seen.insert(lineSlot).second) return corrupt;
        slot = lineSlot;
        uint8_t bytes[kLayerRecordBytes] = {};
        if (!in.ReadExact(bytes, format.recordBytes)) return corrupt;
        LayerRecord& r = doc.layers[slot];
        r = LayerRecord{};
        DeserializeLayerRecord(r, bytes, format.recordBytes);
        if (format.recordBytes == kOldProjectRecordBytes) {
            r.style.size = 10;
            r.style.block[0] = r.style.block[1] = 0;
        }
        if (format.line == LayerLine::SlotAndOneSpace) textLength = r.textLength;
        textLength = std::clamp(textLength, 0, 700);
        if (r.kind > kLayerMeasure) r.kind = kLayerRaster;
        // Sizes are checked against what remains before anything is allocated.
        const int bits = r.kind == kLayerText ? 8 : bpp;
        const int w = std::max(r.width, canvas.width), h = std::max(r.height, canvas.height);
        const int64_t stride = r.kind == kLayerText ? w : RowStride(w, bits);
        const int64_t need = stride * h + 2 * int64_t(w) * h;
        if (r.width <= 0 || r.height <= 0 || stride <= 0 || need > in.Remaining()) return corrupt;

        LayerSlotParams p;
        p.format = canvas.format;
        p.bpp = bpp;
        p.paletteCount = canvas.paletteCount;
        p.slot = slot;
        p.x = r.x;
        p.y = r.y;
        p.width = r.width;
        p.height = r.height;
        p.paletteMode = 2;
        p.canvasWidth = canvas.width;
        p.canvasHeight = canvas.height;
        p.kind = r.kind;
        if (!CreateLayerInSlot(doc, p)) return corrupt;
        if (!in.ReadExact(r.pixels.data(), r.pixels.size()) || !in.ReadExact(r.alpha.data(), r.alpha.size()) ||
            !in.ReadExact(r.aux.data(), r.aux.size()))
            return corrupt;
        r.textLength = 0;
        if (r.kind == kLayerText && format.line != LayerLine::SlotOnly) {
            std::vector<uint8_t> raw(size_t(textLength) * 2);
            if (!in.ReadExact(raw.data(), raw.size())) return corrupt;
            for (size_t i = 0; i < raw.size(); i += 2) r.text.push_back(char16_t(raw[i] | (raw[i + 1] << 8)));
            r.textLength = textLength;
        }
        r.link = -1;
        // Whatever the record says, a layer read is in use and sits on the one read before.
        r.inUse = 1;
        r.below = int16_t(previous);
        previous = slot;
        SelectLayer(doc, slot);
        slot = r.above;
        if (slot != -1 && !IsValidSlot(slot)) return corrupt;
    }
    doc.canvas.title = canvas.title;
    doc.layers.bottom = bottom;
    if (IsValidSlot(current) && doc.layers[current].inUse) SelectLayer(doc, current);
    // Finish as for an opened picture.
    if (doc.number == 0) doc.number = doc.workspace.NextDocumentNumber();
    doc.layers[bottom].kind = kLayerBackdrop;
    doc.Touch();
    doc.history.position = -1;
    RecordStep(doc, label::kOpening, kStepPixels, doc.layers.current);
    return Status::Ok();
}

}  // namespace

Status ReadLayerChain(COrinDoc& doc, ByteStream& in, const CanvasHeader& canvas, int bottom, int current,
                      const LayerChainFormat& format) {
    const CanvasHeader before = doc.canvas;
    Status s = ReadChain(doc, in, canvas, bottom, current, format);
    if (!s) {
        // A file that fails part way leaves no half-read layers behind.
        for (LayerRecord& r : doc.layers.slots) r = LayerRecord{};
        doc.layers.bottom = doc.layers.current = -1;
        doc.canvas = before;
    }
    return s;
}

Status ReadProject(COrinDoc& doc, ByteStream& in) {
    const Status corrupt = Status::Fail(msg::kCannotOpen);
    int version = 0, bottom = -1, current = -1;
    if (!ReadFormattedInt(in, version)) return corrupt;
    if (version != 15 && version != 16 && version != 20 && version != 31) return Status::Fail(msg::kProjectVersion);
    if (!ReadFormattedInt(in, bottom) || !ReadFormattedInt(in, current)) return corrupt;
    CanvasHeader canvas;
    if (!ReadCanvasHeader(in, canvas)) return corrupt;
    if (version == 31) {
        if (canvas.pixelDataSize < 0 || canvas.pixelDataSize > in.Remaining() || !in.Seek(canvas.pixelDataSize, SEEK_CUR))
            return corrupt;
    }
    LayerChainFormat format;
    format.line = version == 15 ? LayerLine::SlotOnly : LayerLine::SlotAndTextLength;
    format.recordBytes = version == 15 || version == 16 ? kOldProjectRecordBytes : kProjectRecordBytes;
    return ReadLayerChain(doc, in, canvas, bottom, current, format);
}

Status ReadProjectFile(COrinDoc& doc, const std::string& path) {
    if (Utf8ToUtf16(FileNamePart(path)).size() >= 100) return Status::Fail(msg::kNameTooLong);
    FileStream in;
    if (!in.Open(path, "rb")) return Status::Fail("");
    return ReadProject(doc, in);
}
