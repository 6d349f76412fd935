#include "ColourDepth.h"

#include <algorithm>
#include <cstdint>
#include <memory>
#include <new>

#include "AllLayers.h"
#include "CommandMap.h"
#include "LayerModel.h"
#include "Messages.h"
#include "Quantize.h"
#include "RowLoop.h"

namespace {

ColourRows RowsOfLayer(const COrinDoc& doc, const LayerRecord& layer) {
    ColourRows rows;
    rows.pixels = layer.pixels.data();
    rows.stride = size_t(layer.stride);
    rows.width = layer.width;
    rows.height = layer.height;
    rows.bits = doc.canvas.bpp;
    rows.palette = doc.palette.data();
    rows.paletteCount = int(doc.palette.size());
    if (layer.alpha.size() == size_t(layer.width) * size_t(layer.height)) rows.alpha = layer.alpha.data();
    return rows;
}

bool Convertible(const LayerRecord& layer) {
    return layer.kind != kLayerText && layer.width > 0 && layer.height > 0 &&
           layer.pixels.size() >= size_t(layer.stride) * size_t(layer.height);
}

}  // namespace

// Every row depends only on its own source row, so the rows go to every core; the
// mapper is shared (it may be used by several threads at once).
Status ConvertLayerDepth(COrinDoc& doc, LayerRecord& layer, int fromBits, const std::vector<RgbQuad>& fromPalette, int toBits,
                         PaletteMapper* mapper) {
    if (!Convertible(layer)) return Status::Ok();
    const int w = layer.width, h = layer.height;
    const int32_t stride = RowStride(w, toBits);
    if (stride < 0 || int64_t(stride) * h > INT32_MAX) return Status::Fail(msg::kAllocMemory);
    const LayerRecord* copy = UntouchedCopy(doc, layer);
    const uint8_t* in = copy ? copy->pixels.data() : layer.pixels.data();
    const size_t inStride = size_t(layer.stride);
    if (copy) std::vector<uint8_t>().swap(layer.pixels);
    // Each worker's row of indices and of colours (blue, green, red per pixel).
    struct Scratch {
        std::vector<uint8_t> indices, colours;
    };
    std::vector<uint8_t> out;
    std::vector<Scratch> scratch;
    const auto giveBack = [&](Status s) {
        if (copy) {
            std::vector<uint8_t>().swap(out);
            scratch.clear();
            try {
                layer.pixels = copy->pixels;
            } catch (const std::bad_alloc&) {
                // The layer stays without pixels; abandoning the step moves the copy back.
            }
        }
        return s;
    };
    try {
        scratch.resize(size_t(RowWorkers(h, 0)));
        out.assign(size_t(stride) * size_t(h), 0);
        for (Scratch& s : scratch) {
            s.indices.resize(size_t(w));
            s.colours.resize(size_t(w) * 3);
        }
    } catch (const std::bad_alloc&) {
        return giveBack(Status::Fail(msg::kAllocMemory));
    }
    const bool finished = RunRowBlocks(doc.workspace, h, 0, [&](int first, int last, int worker) {
        Scratch& s = scratch[size_t(worker)];
        for (int y = first; y < last; ++y) {
            const uint8_t* src = in + size_t(y) * inStride;
            uint8_t* dst = out.data() + size_t(y) * size_t(stride);
            const uint8_t* bgr = src;
            if (fromBits < 24) {
                UnpackIndexRow(src, w, fromBits, s.indices.data());
                for (int x = 0; x < w; ++x) {
                    const size_t i = s.indices[size_t(x)];
                    const RgbQuad c = i < fromPalette.size() ? fromPalette[i] : RgbQuad{};
                    s.colours[3 * size_t(x)] = c.blue;
                    s.colours[3 * size_t(x) + 1] = c.green;
                    s.colours[3 * size_t(x) + 2] = c.red;
                }
                bgr = s.colours.data();
            }
            if (toBits == 24) {
                std::copy_n(bgr, size_t(w) * 3, dst);
            } else {
                for (int x = 0; x < w; ++x) s.indices[size_t(x)] = uint8_t(mapper->MapBgr(bgr + 3 * size_t(x)));
                PackIndexRow(s.indices.data(), w, toBits, dst);
            }
        }
    });
    doc.workspace.Progress(0);
    if (!finished) return giveBack(Status::Stopped());
    layer.pixels = std::move(out);
    layer.stride = stride;
    layer.pixelSize = stride * h;
    if (copy) doc.history.untouchedSlot = -1;  // the layer no longer matches the copy
    return Status::Ok();
}

const std::array<RgbQuad, 16>& StandardPalette16() {
    static const std::array<RgbQuad, 16> palette = [] {
        const uint32_t rgb[16] = {0x000000, 0x800000, 0x008000, 0x808000, 0x000080, 0x800080, 0x008080, 0xC0C0C0,
                                  0x808080, 0xFF0000, 0x00FF00, 0xFFFF00, 0x0000FF, 0xFF00FF, 0x00FFFF, 0xFFFFFF};
        std::array<RgbQuad, 16> p{};
        for (size_t i = 0; i < 16; ++i) p[i] = RgbQuad::FromValue(rgb[i]);  // 0xRRGGBB: blue in the low byte
        return p;
    }();
    return palette;
}

std::vector<RgbQuad> DocumentOptimalPalette(const COrinDoc& doc, int colours) {
    std::vector<ColourRows> sources;
    for (int slot : doc.layers.Chain())
        if (Convertible(doc.layers[slot])) sources.push_back(RowsOfLayer(doc, doc.layers[slot]));
    std::vector<RgbQuad> palette = OptimalPalette(sources, colours);
    if (palette.empty()) {
        // Nothing is visible: the colours kept under the transparency still count.
        for (ColourRows& rows : sources) rows.alpha = nullptr;
        palette = OptimalPalette(sources, colours);
    }
    return palette;
}

Status ConvertDocumentDepth(COrinDoc& doc, int bits, const std::vector<RgbQuad>& palette, const std::string& label) {
    const int fromBits = doc.canvas.bpp;
    const std::vector<RgbQuad> fromPalette = doc.palette;
    std::vector<RgbQuad> entries;
    std::unique_ptr<PaletteMapper> mapper;
    if (bits < 24) {
        // Every entry the depth can address exists; those the palette leaves are black.
        entries.assign(size_t(1) << bits, RgbQuad{});
        std::copy_n(palette.begin(), std::min(palette.size(), entries.size()), entries.begin());
        try {
            mapper = std::make_unique<PaletteMapper>(entries.data(), int(entries.size()));
        } catch (const std::bad_alloc&) {
            return Status::Fail(msg::kAllocMemory);
        }
    }
    AllLayerEdit edit;
    edit.label = label;
    edit.finish = [&] {
        ImageInfo* info = doc.mainImage ? &doc.mainImage->Info() : nullptr;
        // A transparent entry keeps its colour: as the background colour at 24 bits, as
        // the entry nearest to it at a palette depth.
        if (info && info->backgroundIndex >= 0 && size_t(info->backgroundIndex) < fromPalette.size())
            info->backgroundColour = fromPalette[size_t(info->backgroundIndex)];
        doc.canvas.bpp = bits;
        doc.canvas.paletteCount = int32_t(entries.size());
        doc.palette = entries;
        if (info && info->backgroundIndex >= 0)
            info->backgroundIndex = mapper ? mapper->Map(info->backgroundColour.Value()) : -1;
        RefreshCanvasSizes(doc);
    };
    return EditAllLayers(doc, edit, [&](LayerRecord& layer, int) {
        return ConvertLayerDepth(doc, layer, fromBits, fromPalette, bits, mapper.get());
    });
}

namespace {

// Runs a reduction with the current-command id of reductions in force, and keeps its
// parameters in the document.
Status Reduce(COrinDoc& doc, int bits, bool optimal, const std::string& label) {
    const int source = doc.canvas.bpp;
    if (doc.IsEmpty() || !(source == 24 || (bits == 4 && source == 8))) return Status::Ok();
    doc.workspace.currentCommand = kCmdReductionInForce;
    doc.reductionDepth = bits;
    doc.reductionOptimal = optimal;
    std::vector<RgbQuad> palette;
    if (optimal) palette = DocumentOptimalPalette(doc, 1 << bits);
    else palette.assign(StandardPalette16().begin(), StandardPalette16().end());
    const Status s = ConvertDocumentDepth(doc, bits, palette, label);
    doc.workspace.currentCommand = -1;
    return s;
}

}  // namespace

Operation RgbColourOperation() {
    Operation op;
    op.id = op.menuId = kCmdRgbColour;
    op.key = "rgb-colour";
    op.label = "RGB 컬러영상으로 변환";
    op.applies = [](const COrinDoc& doc) { return doc.canvas.bpp < 24; };
    op.run = [](COrinDoc& doc, const OpValues&) {
        if (doc.IsEmpty() || doc.canvas.bpp >= 24) return Status::Ok();
        return ConvertDocumentDepth(doc, 24, {}, "RGB 컬러영상으로 변환");
    };
    return op;
}

Operation EightBitColourOperation() {
    Operation op;
    op.id = op.menuId = kCmd8BitColour;
    op.key = "8bit-colour";
    op.label = "8 비트 컬러 표현";
    op.applies = [](const COrinDoc& doc) { return doc.canvas.bpp == 24; };
    op.run = [](COrinDoc& doc, const OpValues&) { return Reduce(doc, 8, true, "8 비트 컬러 표현"); };
    return op;
}

Operation FourBitOperation(bool optimal) {
    Operation op;
    op.id = op.menuId = optimal ? kCmd4BitOptimal : kCmd4BitStandard;
    op.key = optimal ? "4bit-optimal" : "4bit-standard";
    op.label = optimal ? "4비트칼라 최적변환" : "4비트칼라 표준변환";
    op.applies = [](const COrinDoc& doc) { return doc.canvas.bpp == 24 || doc.canvas.bpp == 8; };
    op.run = [optimal, label = op.label](COrinDoc& doc, const OpValues&) { return Reduce(doc, 4, optimal, label); };
    return op;
}
