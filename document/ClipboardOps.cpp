#include "ClipboardOps.h"

#include <algorithm>
#include <cstring>

#include "Codecs.h"
#include "History.h"
#include "LayerModel.h"
#include "LayerOps.h"
#include "Messages.h"
#include "OutlinePause.h"
#include "Utf16.h"

void RefitMask(COrinDoc& doc) {
    const LayerRecord* layer = doc.CurrentLayer();
    if (!layer) return;
    SelectionMask& m = doc.selection;
    const int w = layer->width, h = layer->height;
    if (m.width == w && m.height == h && m.x == layer->x && m.y == layer->y && m.bytes.size() == size_t(w) * size_t(h))
        return;
    std::vector<uint8_t> bytes(size_t(w) * size_t(h), m.shown ? 0 : 1);
    // Old mask column c sits at canvas column c + m.x, i.e. layer column c + m.x - x.
    const int dx = m.x - layer->x, dy = m.y - layer->y;
    for (int y = 0; y < m.height; ++y) {
        const int ny = y - dy;
        if (ny < 0 || ny >= h) continue;
        for (int x = 0; x < m.width; ++x) {
            const int nx = x + dx;
            if (nx < 0 || nx >= w) continue;
            bytes[size_t(ny) * size_t(w) + size_t(nx)] = m.bytes[size_t(y) * size_t(m.width) + size_t(x)];
        }
    }
    m.bytes = std::move(bytes);
    m.width = w;
    m.height = h;
    m.x = layer->x;
    m.y = layer->y;
}

namespace {

struct Box {
    int x0 = 0, y0 = 0, x1 = -1, y1 = -1;  // inclusive, layer coordinates
    bool Empty() const { return x1 < x0 || y1 < y0; }
    int Width() const { return x1 - x0 + 1; }
    int Height() const { return y1 - y0 + 1; }
};

Box SelectedBox(const COrinDoc& doc) {
    const LayerRecord& layer = *const_cast<COrinDoc&>(doc).CurrentLayer();
    if (!doc.selection.shown) return {0, 0, layer.width - 1, layer.height - 1};
    Box box{layer.width, layer.height, -1, -1};
    const SelectionMask& m = doc.selection;
    for (int y = 0; y < m.height; ++y)
        for (int x = 0; x < m.width; ++x)
            if (m.bytes[size_t(y) * size_t(m.width) + size_t(x)]) {
                box.x0 = std::min(box.x0, x);
                box.y0 = std::min(box.y0, y);
                box.x1 = std::max(box.x1, x);
                box.y1 = std::max(box.y1, y);
            }
    return box;
}

// The box of the current layer as a picture at the canvas depth (24 bits for a
// vector layer, filled with its colour) and its coverage.
bool BoxPicture(const COrinDoc& doc, const Box& box, CImageBuffer& picture, std::vector<uint8_t>& coverage) {
    const LayerRecord& layer = *const_cast<COrinDoc&>(doc).CurrentLayer();
    const bool vector = layer.kind == kLayerText;
    const int bits = vector ? 24 : doc.canvas.bpp;
    if (!picture.Allocate(box.Width(), box.Height(), bits, kFormatBmp)) return false;
    for (size_t i = 0; i < doc.palette.size() && int(i) < picture.PaletteCount(); ++i)
        picture.SetPaletteEntry(int(i), doc.palette[i].Value());
    coverage.assign(size_t(box.Width()) * size_t(box.Height()), 0);
    const SelectionMask& m = doc.selection;
    for (int y = 0; y < box.Height(); ++y) {
        const int ly = box.y0 + y;
        const uint8_t* src = layer.pixels.data() + size_t(ly) * size_t(layer.stride);
        uint8_t* dst = picture.Row(y);
        for (int x = 0; x < box.Width(); ++x) {
            const int lx = box.x0 + x;
            const bool selected = !doc.selection.shown || m.At(lx, ly) != 0;
            coverage[size_t(y) * size_t(box.Width()) + size_t(x)] =
                selected ? layer.alpha[size_t(ly) * size_t(layer.width) + size_t(lx)] : 0;
            if (vector) {
                dst[3 * x] = uint8_t(layer.colour);
                dst[3 * x + 1] = uint8_t(layer.colour >> 8);
                dst[3 * x + 2] = uint8_t(layer.colour >> 16);
            } else if (bits >= 8) {
                std::memcpy(dst + size_t(x) * size_t(bits / 8), src + size_t(lx) * size_t(bits / 8), size_t(bits / 8));
            } else {
                const int index = bits == 4 ? ((lx & 1) ? src[lx >> 1] & 0x0F : src[lx >> 1] >> 4)
                                            : (src[lx >> 3] >> (7 - (lx & 7))) & 1;
                CImageBuffer::PutIndex(picture.PixelArea(), bits, picture.Stride(), x, y, uint8_t(index));
            }
        }
    }
    return true;
}

// While a clipboard command runs the outline timer is paused and the document busy.
class ClipboardCommand {
public:
    explicit ClipboardCommand(COrinDoc& doc) : m_doc(doc), m_pause(doc) {
        doc.busy = true;
    }
    ~ClipboardCommand() { m_doc.busy = false; }
    ClipboardCommand(const ClipboardCommand&) = delete;
    ClipboardCommand& operator=(const ClipboardCommand&) = delete;

private:
    COrinDoc& m_doc;
    OutlinePause m_pause;
};

// Writes a colour into a layer pixel at the canvas depth.
void PutLayerColour(const COrinDoc& doc, CImageBuffer& paletteHolder, LayerRecord& layer, int x, int y, RgbQuad c) {
    uint8_t* row = layer.pixels.data() + size_t(y) * size_t(layer.stride);
    const int bits = layer.kind == kLayerText ? 8 : doc.canvas.bpp;
    if (bits == 24) {
        row[3 * x] = c.blue;
        row[3 * x + 1] = c.green;
        row[3 * x + 2] = c.red;
    } else if (layer.kind != kLayerText) {
        const int index = paletteHolder.NearestPaletteIndex(c.Value() & 0xFFFFFF);
        CImageBuffer::PutIndex(layer.pixels.data(), bits, uint32_t(layer.stride), x, y, uint8_t(index));
    }
}

}  // namespace

Status CopyToClipboard(COrinDoc& doc) {
    LayerRecord* layer = doc.CurrentLayer();
    if (!layer) return Status::Ok();
    if (layer->kind == kLayerMeasure) return Status::Fail(msg::kCopyVector);
    const ClipboardCommand command(doc);
    if (doc.selection.shown) RefitMask(doc);
    const Box box = SelectedBox(doc);
    CImageBuffer picture(kFormatBmp);
    std::vector<uint8_t> coverage;
    if (box.Empty() || !BoxPicture(doc, box, picture, coverage)) return Status::Ok();
    Workspace::CopiedArea& c = doc.workspace.copied;
    c.dib = picture.ToPackedDib();
    c.coverage = std::move(coverage);
    c.boxX = box.x0;
    c.boxY = box.y0;
    c.boxWidth = box.Width();
    c.boxHeight = box.Height();
    c.layerX = layer->x;
    c.layerY = layer->y;
    c.layerWidth = layer->width;
    c.layerHeight = layer->height;
    c.kind = layer->kind;
    c.colour = layer->colour;
    c.text = layer->text;
    c.textLength = layer->textLength;
    SerializeLayerRecord(*layer, c.styleRecord.data(), c.styleRecord.size());
    if (doc.workspace.host) doc.workspace.host->SetClipboardDib(c.dib);
    return Status::Ok();
}

Status CutToClipboard(COrinDoc& doc) {
    LayerRecord* layer = doc.CurrentLayer();
    if (!layer) return Status::Ok();
    if (layer->kind == kLayerText) return Status::Fail(msg::kTextLayer);
    if (Status s = CopyToClipboard(doc); !s) return s;
    layer = doc.CurrentLayer();
    const SelectionMask& m = doc.selection;
    for (int y = 0; y < layer->height; ++y)
        for (int x = 0; x < layer->width; ++x)
            if (!m.shown || m.At(x, y)) layer->alpha[size_t(y) * size_t(layer->width) + size_t(x)] = 0;
    doc.Touch();
    RecordStep(doc, label::kCut, kStepPixels);
    return Status::Ok();
}

Status PasteFromClipboard(COrinDoc& doc, bool duplicate) {
    if (!doc.layers.IsCurrentValid()) return Status::Ok();
    const std::vector<uint8_t> dib =
        doc.workspace.host ? doc.workspace.host->ClipboardDib() : doc.workspace.copied.dib;
    CImageBuffer picture(kFormatBmp);
    if (dib.empty() || !picture.FromPackedDib(dib.data(), dib.size())) return Status::Ok();
    doc.busy = true;
    const Workspace::CopiedArea& c = doc.workspace.copied;
    const bool ours = !c.dib.empty() && dib == c.dib;
    const int source = doc.layers.current;
    const bool floating = !duplicate && doc.selection.shown && doc.layers.FirstOfKind(kLayerFloating) < 0;

    // The new layer: our own copy keeps the copied layer's place, a foreign picture
    // goes to the top-left corner of the canvas.
    const int slot = doc.layers.FirstFree();
    if (slot < 0) {
        doc.busy = false;
        return Status::Fail(msg::kTooManyLayers);
    }
    LayerSlotParams p;
    p.format = doc.canvas.format;
    p.bpp = doc.canvas.bpp;
    p.paletteCount = doc.canvas.paletteCount;
    p.slot = slot;
    p.paletteMode = 2;
    p.canvasWidth = doc.canvas.width;
    p.canvasHeight = doc.canvas.height;
    p.kind = duplicate && ours ? c.kind : floating ? kLayerFloating : kLayerRaster;
    p.link = floating ? source : -1;
    int placeX = 0, placeY = 0;
    if (ours) {
        p.width = c.layerWidth;
        p.height = c.layerHeight;
        p.x = floating || duplicate ? doc.layers[source].x : c.layerX;
        p.y = floating || duplicate ? doc.layers[source].y : c.layerY;
        placeX = c.boxX;
        placeY = c.boxY;
    } else {
        p.width = std::max(picture.Width(), doc.canvas.width);
        p.height = std::max(picture.Height(), doc.canvas.height);
        p.x = floating ? doc.layers[source].x : 0;
        p.y = (floating ? doc.layers[source].y : 0) + (p.height - doc.canvas.height);
        placeY = p.height - picture.Height();
    }
    if (!CreateLayerInSlot(doc, p)) {
        doc.busy = false;
        return Status::Fail(std::string("Paste") + "::Memory Alloc");
    }
    LayerRecord& r = doc.layers[slot];
    EnterNewLayer(doc, slot, source);
    if (duplicate && ours && c.kind == kLayerText) {
        LayerRecord styleSource;
        DeserializeLayerRecord(styleSource, c.styleRecord.data(), c.styleRecord.size());
        r.style = styleSource.style;
        r.colour = c.colour;
        r.text = c.text;
        r.textLength = c.textLength;
    }

    // The picture's pixels fill the new layer through its coverage.
    CImageBuffer paletteHolder(1, 1, std::max(1, std::min(8, doc.canvas.bpp)), 0);
    for (size_t i = 0; i < doc.palette.size() && int(i) < paletteHolder.PaletteCount(); ++i)
        paletteHolder.SetPaletteEntry(int(i), doc.palette[i].Value());
    const bool withCoverage = ours && c.coverage.size() == size_t(picture.Width()) * size_t(picture.Height());
    for (int y = 0; y < picture.Height(); ++y) {
        const int ly = placeY + y;
        if (ly < 0 || ly >= r.height) continue;
        for (int x = 0; x < picture.Width(); ++x) {
            const int lx = placeX + x;
            if (lx < 0 || lx >= r.width) continue;
            PutLayerColour(doc, paletteHolder, r, lx, ly, picture.ColourAt(x, y));
            r.alpha[size_t(ly) * size_t(r.width) + size_t(lx)] =
                withCoverage ? c.coverage[size_t(y) * size_t(picture.Width()) + size_t(x)] : 255;
        }
    }
    SelectLayer(doc, slot);
    doc.SetTitle(Utf16ToUtf8(r.name));
    doc.Touch();
    doc.busy = false;
    RecordStep(doc, label::kPaste, kStepPaste, slot);
    return Status::Ok();
}

Status CutToNewDocument(COrinDoc& doc, std::unique_ptr<COrinDoc>& created) {
    if (!doc.selection.shown) return Status::Fail(msg::kSelectFirst);
    LayerRecord* layer = doc.CurrentLayer();
    if (!layer) return Status::Ok();
    if (layer->kind == kLayerText) return Status::Fail(msg::kTextLayer);
    RefitMask(doc);
    const Box box = SelectedBox(doc);
    CImageBuffer picture(kFormatBmp);
    std::vector<uint8_t> coverage;
    if (box.Empty() || !BoxPicture(doc, box, picture, coverage)) return Status::Ok();
    auto fresh = std::make_unique<COrinDoc>(doc.workspace);
    fresh->mainImage->TakeOver(picture);
    fresh->fileName = "이름없음";
    fresh->canvas.title = Utf8ToUtf16("이름없음");
    for (size_t i = 0; i < doc.palette.size() && int(i) < fresh->mainImage->PaletteCount(); ++i)
        fresh->mainImage->SetPaletteEntry(int(i), doc.palette[i].Value());
    if (Status s = OpenPictureInDocument(*fresh); !s) return s;
    fresh->canvas.title = Utf8ToUtf16("이름없음");
    if (Status s = CutToClipboard(doc); !s) return s;
    created = std::move(fresh);
    return Status::Ok();
}
