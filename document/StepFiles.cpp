#include "StepFiles.h"

#include <cstdio>
#include <filesystem>
#include <memory>
#include <string_view>
#include <vector>

#include "ByteStream.h"
#include "Document.h"
#include "LayerModel.h"

namespace {

std::string FormatName(const char* pattern, int a, int b = 0) {
    char name[64];
    std::snprintf(name, sizeof name, pattern, a, b);
    return name;
}

std::string InFolder(const std::string& folder, const std::string& name) {
    return (std::filesystem::path(folder.empty() ? "." : folder) / name).string();
}

// A number as "%d" writes it, within [low, high]: digits only, no sign, no leading zero.
bool IsNumberIn(std::string_view text, int low, int high) {
    if (text.empty() || text.size() > 9 || (text.size() > 1 && text[0] == '0')) return false;
    int value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return false;
        value = value * 10 + (c - '0');
    }
    return value >= low && value <= high;
}

// The head and step file names of document numbers 100 to 998: "WrIniLrList_Head_%d.tmp"
// and "%dud%d.tmp" with positions 0 to 12 + 24.
bool IsStepFileName(std::string_view name) {
    constexpr std::string_view head = "WrIniLrList_Head_", suffix = ".tmp";
    if (!name.ends_with(suffix)) return false;
    name.remove_suffix(suffix.size());
    if (name.starts_with(head)) return IsNumberIn(name.substr(head.size()), 100, 998);
    const size_t ud = name.find("ud");
    return ud != std::string_view::npos && IsNumberIn(name.substr(0, ud), 100, 998) &&
           IsNumberIn(name.substr(ud + 2), 0, History::kPositions + kMaxLayers - 1);
}

const LayerRecord* AllLayerCopy(const std::vector<LayerCopy>& copies, int slot) {
    for (const LayerCopy& c : copies)
        if (c.slot == slot) return &c.record;
    return nullptr;
}

}  // namespace

void AddLayerPlanes(StepStorage::Pieces& pieces, const LayerRecord& layer) {
    pieces.emplace_back(layer.pixels.data(), std::min(layer.pixels.size(), size_t(std::max(0, layer.pixelSize))));
    pieces.emplace_back(layer.alpha.data(), std::min(layer.alpha.size(), size_t(std::max(0, layer.planeSize))));
    pieces.emplace_back(layer.aux.data(), std::min(layer.aux.size(), size_t(std::max(0, layer.planeSize))));
}

// The layer's text as stored: text length x 2 bytes of UTF-16LE.
std::vector<uint8_t> TextBytes(const LayerRecord& layer) {
    std::vector<uint8_t> text(size_t(std::max(0, layer.textLength)) * 2, 0);
    for (size_t i = 0; i < layer.text.size() && 2 * i + 1 < text.size(); ++i) {
        text[2 * i] = uint8_t(layer.text[i]);
        text[2 * i + 1] = uint8_t(layer.text[i] >> 8);
    }
    return text;
}

bool WriteStepFile(const COrinDoc& doc, int position, const LayerRecord& layer) {
    StepStorage::Pieces pieces;
    AddLayerPlanes(pieces, layer);
    const SelectionMask& m = doc.selection;
    pieces.emplace_back(m.bytes.data(), std::min(m.bytes.size(), size_t(m.width) * size_t(m.height)));
    const std::vector<uint8_t> text = TextBytes(layer);
    pieces.emplace_back(text.data(), text.size());
    return doc.workspace.steps->Write(StepFilePath(doc, position), pieces);
}

// When the file cannot be written, the places are kept all the same: undo then finds
// the file missing and says so, rather than leaving the layers without their planes.
bool WriteHeadFile(COrinDoc& doc) {
    History& h = doc.history;
    h.dropped.clear();
    h.head.clear();
    RefreshCanvasSizes(doc);
    StepStorage::Pieces pieces;
    uint8_t header[kCanvasHeaderBytes];
    SerializeCanvasHeader(doc.canvas, header);
    pieces.emplace_back(header, sizeof header);
    int64_t offset = int64_t(sizeof header);
    std::vector<uint8_t> pal(size_t(std::max(0, doc.canvas.paletteCount)) * 4, 0);
    for (size_t i = 0; i < doc.palette.size() && 4 * i + 3 < pal.size(); ++i) {
        pal[4 * i] = doc.palette[i].blue;
        pal[4 * i + 1] = doc.palette[i].green;
        pal[4 * i + 2] = doc.palette[i].red;
        pal[4 * i + 3] = doc.palette[i].reserved;
    }
    pieces.emplace_back(pal.data(), pal.size());
    offset += int64_t(pal.size());
    const std::vector<int> chain = doc.layers.Chain();
    std::vector<std::string> lines(chain.size());
    std::vector<std::array<uint8_t, kHeadRecordBytes>> records(chain.size());
    std::map<int, History::Stored> stored;
    for (size_t i = 0; i < chain.size(); ++i) {
        const LayerRecord& layer = doc.layers[chain[i]];
        char line[64];
        std::snprintf(line, sizeof line, "%d %d %d", int(kHeadRecordBytes), layer.pixelSize, layer.planeSize);
        lines[i] = line;
        SerializeLayerRecord(layer, records[i].data(), kHeadRecordBytes);
        pieces.emplace_back(reinterpret_cast<const uint8_t*>(lines[i].data()), lines[i].size());
        pieces.emplace_back(records[i].data(), kHeadRecordBytes);
        offset += int64_t(lines[i].size() + kHeadRecordBytes);
        History::Stored entry;
        entry.offset = offset;
        entry.record = LayerRecord(static_cast<const LayerFields&>(layer));
        stored[chain[i]] = std::move(entry);
        const size_t before = pieces.size();
        AddLayerPlanes(pieces, layer);
        for (size_t k = before; k < pieces.size(); ++k) offset += int64_t(pieces[k].second);
    }
    h.head = std::move(stored);
    return doc.workspace.steps->Write(HeadFilePath(doc), pieces);
}

std::string StepFilePath(const COrinDoc& doc, int position) {
    return InFolder(doc.workspace.stepFolder, FormatName("%dud%d.tmp", doc.number, position));
}

std::string HeadFilePath(const COrinDoc& doc) {
    return InFolder(doc.workspace.stepFolder, FormatName("WrIniLrList_Head_%d.tmp", doc.number));
}

std::string DroppedFilePath(const COrinDoc& doc, int slot) {
    return InFolder(doc.workspace.stepFolder, FormatName("%dud%d.tmp", doc.number, History::kPositions + slot));
}

Snapshot StepSnapshot(const COrinDoc& doc, int position) {
    const HistoryEntry& e = doc.history.entries[size_t(position)];
    Snapshot s;
    s.file = StepFilePath(doc, position);
    s.withMaskAndText = true;
    s.applyMask = true;
    s.maskWidth = e.maskWidth;
    s.maskHeight = e.maskHeight;
    s.maskX = e.maskX;
    s.maskY = e.maskY;
    s.record = &e.layer;
    return s;
}

// The latest stored state of `slot` at or before `position`.
bool FindSnapshot(const COrinDoc& doc, int slot, int position, Snapshot& out) {
    const History& h = doc.history;
    auto fromEntry = [&](int k) {
        const HistoryEntry& e = h.entries[size_t(k)];
        if (!e.used) return false;
        if (e.code == kStepAllLayers && e.slot != slot) {
            if (const LayerRecord* copy = AllLayerCopy(e.after, slot)) {
                out = Snapshot{};
                out.record = copy;
                return true;
            }
            return false;
        }
        if (e.slot != slot) return false;
        out = StepSnapshot(doc, k);
        out.applyMask = false;  // the planes and the text, not that step's selection
        return true;
    };
    for (int k = position; k >= 2; --k)
        if (fromEntry(k)) return true;
    if (position >= 2) {
        auto it = h.dropped.find(slot);
        if (it != h.dropped.end()) {
            out = Snapshot{};
            out.file = DroppedFilePath(doc, slot);
            out.record = &it->second.record;
            out.withMaskAndText = it->second.maskWidth >= 0;
            out.maskWidth = std::max(0, it->second.maskWidth);
            out.maskHeight = it->second.maskHeight;
            return true;
        }
    }
    for (int k = std::min(position, 1); k >= 0; --k)
        if (fromEntry(k)) return true;
    auto it = h.head.find(slot);
    if (it == h.head.end()) return false;
    out = Snapshot{};
    out.file = HeadFilePath(doc);
    out.offset = it->second.offset;
    out.record = &it->second.record;
    return true;
}

int64_t SnapshotBytes(const Snapshot& s) {
    const LayerRecord& g = *s.record;
    if (g.pixelSize < 0 || g.planeSize < 0 || s.maskWidth < 0 || s.maskHeight < 0) return -1;
    const int64_t maskBytes = s.withMaskAndText ? int64_t(s.maskWidth) * s.maskHeight : 0;
    const int64_t textBytes = s.withMaskAndText ? 2 * int64_t(std::max(0, g.textLength)) : 0;
    return int64_t(g.pixelSize) + 2 * int64_t(g.planeSize) + maskBytes + textBytes;
}

bool Readable(const COrinDoc& doc, const Snapshot& s) {
    if (!s.record) return false;
    if (s.file.empty()) return true;
    std::unique_ptr<ByteStream> file = doc.workspace.steps->Read(s.file);
    const int64_t bytes = SnapshotBytes(s);
    return file && bytes >= 0 && file->Seek(s.offset, SEEK_SET) && bytes <= file->Remaining();
}

// Brings a layer back from a snapshot: its geometry first, then its planes, and from
// a step file also the selection mask and the text. A file that cannot be read
// leaves the layer as it was.
// `whole`: the layer is re-created (its slot may have held another layer meanwhile),
// so every field of the stored record comes back, not only the geometry.
bool BringBack(COrinDoc& doc, int slot, const Snapshot& s, bool whole) {
    if (!IsValidSlot(slot) || !s.record) return false;
    const LayerRecord& g = *s.record;
    LayerRecord& layer = doc.layers[slot];
    std::vector<uint8_t> pixels, alpha, aux, mask;
    std::u16string text;
    const bool withText = s.file.empty() || s.withMaskAndText;
    if (s.file.empty()) {
        pixels = g.pixels;
        alpha = g.alpha;
        aux = g.aux;
        text = g.text;
    } else {
        std::unique_ptr<ByteStream> file = doc.workspace.steps->Read(s.file);
        if (!file || !file->Seek(s.offset, SEEK_SET)) return false;
        ByteStream& in = *file;
        // Everything the snapshot needs must be there before anything is read, and it is
        // read into fresh buffers: a short or failing file leaves the layer as it was.
        const int64_t maskBytes = s.withMaskAndText ? int64_t(s.maskWidth) * s.maskHeight : 0;
        const int64_t textBytes = s.withMaskAndText ? 2 * int64_t(std::max(0, g.textLength)) : 0;
        const int64_t bytes = SnapshotBytes(s);
        if (bytes < 0 || bytes > in.Remaining()) return false;
        std::vector<uint8_t> raw;
        try {
            pixels.resize(size_t(g.pixelSize));
            alpha.resize(size_t(g.planeSize));
            aux.resize(size_t(g.planeSize));
            mask.resize(size_t(maskBytes));
            raw.resize(size_t(textBytes));
        } catch (const std::bad_alloc&) {
            return false;
        }
        if (!in.ReadExact(pixels.data(), pixels.size()) || !in.ReadExact(alpha.data(), alpha.size()) ||
            !in.ReadExact(aux.data(), aux.size()) || !in.ReadExact(mask.data(), mask.size()) ||
            !in.ReadExact(raw.data(), raw.size()))
            return false;
        for (size_t i = 0; i < raw.size(); i += 2) text.push_back(char16_t(raw[i] | (raw[i + 1] << 8)));
    }
    if (whole) {
        const int32_t inUse = layer.inUse;
        const int16_t below = layer.below, above = layer.above;
        static_cast<LayerFields&>(layer) = static_cast<const LayerFields&>(g);
        layer.inUse = inUse;
        layer.below = below;
        layer.above = above;
    }
    layer.x = g.x;
    layer.y = g.y;
    layer.width = g.width;
    layer.height = g.height;
    layer.stride = g.stride;
    layer.pixelSize = g.pixelSize;
    layer.planeSize = g.planeSize;
    layer.kind = g.kind;
    layer.transparency = g.transparency;
    layer.textLength = g.textLength;
    layer.style = g.style;
    layer.colour = g.colour;
    layer.effectOn = g.effectOn;
    layer.effectSize = g.effectSize;
    layer.extra = g.extra;
    layer.pixels = std::move(pixels);
    layer.alpha = std::move(alpha);
    layer.aux = std::move(aux);
    if (withText) layer.text = std::move(text);
    if (s.withMaskAndText && s.applyMask) {
        doc.selection.bytes = std::move(mask);
        doc.selection.width = s.maskWidth;
        doc.selection.height = s.maskHeight;
        doc.selection.x = s.maskX;
        doc.selection.y = s.maskY;
    }
    return true;
}

void SweepStepFiles(const std::string& folder) {
    // The folder is listed once and only names of step files go: trying every possible
    // name took tens of thousands of calls per folder, which slowed the start after a crash.
    std::error_code ec;
    std::vector<std::filesystem::path> found;
    std::filesystem::directory_iterator it(folder.empty() ? "." : folder, ec);
    for (; !ec && it != std::filesystem::directory_iterator(); it.increment(ec))
        if (IsStepFileName(it->path().filename().string())) found.push_back(it->path());
    for (const auto& path : found) std::filesystem::remove(path, ec);
}

void RemoveStepFiles(const COrinDoc& doc) {
    StepStorage& steps = *doc.workspace.steps;
    steps.Remove(HeadFilePath(doc));
    for (int e = 0; e < History::kPositions; ++e) steps.Remove(StepFilePath(doc, e));
    for (int s = 0; s < kMaxLayers; ++s) steps.Remove(DroppedFilePath(doc, s));
}
