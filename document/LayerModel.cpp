#include "LayerModel.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "History.h"
#include "Messages.h"
#include "Utf16.h"

int LayerBits(const COrinDoc& doc, const LayerRecord& layer) { return layer.kind == kLayerText ? 8 : doc.canvas.bpp; }

void SetLayerGeometry(const COrinDoc& doc, LayerRecord& layer, int width, int height) {
    layer.width = width;
    layer.height = height;
    layer.planeSize = width * height;
    layer.stride = layer.kind == kLayerText ? width : RowStride(width, doc.canvas.bpp);
    layer.pixelSize = layer.stride * height;
}

void RefreshCanvasSizes(COrinDoc& doc) {
    doc.canvas.pixelDataSize = doc.canvas.height * RowStride(doc.canvas.width, doc.canvas.bpp);
    doc.canvas.area = doc.canvas.width * doc.canvas.height;
}

bool CreateLayerInSlot(COrinDoc& doc, const LayerSlotParams& p) {
    if (!IsValidSlot(p.slot) || p.width <= 0 || p.height <= 0) return false;
    const int canvasW = p.canvasWidth == -1 ? p.width : p.canvasWidth;
    const int canvasH = p.canvasWidth == -1 ? p.height : p.canvasHeight;
    if (canvasW <= 0 || canvasH <= 0) return false;
    const int width = std::max(p.width, canvasW);
    const int height = std::max(p.height, canvasH);
    const int bits = p.kind == kLayerText ? 8 : p.bpp;
    const int32_t stride = p.kind == kLayerText ? width : RowStride(width, bits);
    const int64_t plane = int64_t(width) * height;
    const int64_t pixelBytes = int64_t(stride) * height;
    const int32_t canvasStride = RowStride(canvasW, p.bpp);
    if (stride < 0 || canvasStride < 0 || plane > INT32_MAX || pixelBytes > INT32_MAX ||
        int64_t(canvasStride) * canvasH > INT32_MAX)
        return false;
    // No layer holds more pixels than the user allows (the readers refuse such files
    // with their message before this; here every other way of making a layer stops).
    if (doc.workspace.pixelLimit > 0 && plane > doc.workspace.pixelLimit) return false;

    // Allocate first, so that a failure leaves everything as it was.
    std::vector<uint8_t> pixels, alpha, aux;
    const bool adopt = p.adoptRows && p.adoptRows->size() == size_t(pixelBytes);
    try {
        if (adopt) {
            pixels.swap(*p.adoptRows);
        } else if (p.sourceRows && p.sourceStride == stride) {
            pixels.assign(p.sourceRows, p.sourceRows + size_t(pixelBytes));
        } else {
            pixels.assign(size_t(pixelBytes), 0xFF);
        }
        alpha.assign(size_t(plane), p.alphaFill);
        aux.assign(size_t(plane), 0);
    } catch (const std::bad_alloc&) {
        if (adopt) p.adoptRows->swap(pixels);
        return false;
    }

    CanvasHeader& c = doc.canvas;
    if (!p.title.empty()) c.title = p.title.substr(0, 100);
    c.width = canvasW;
    c.height = canvasH;
    c.format = p.format;
    c.bpp = p.bpp;
    c.paletteCount = p.paletteCount;

    LayerRecord& r = doc.layers[p.slot];
    r.kind = uint8_t(p.kind);
    r.pictureFlag = p.pictureFlag;
    r.textLength = 0;
    r.text.clear();
    r.width = width;
    r.height = height;
    r.stride = stride;
    r.pixelSize = int32_t(pixelBytes);
    r.planeSize = int32_t(plane);
    r.link = int16_t(p.link);
    if (p.centre) {
        r.x = (canvasW - width) / 2;
        r.y = (canvasH - height) / 2;
    } else {
        r.x = p.x;
        r.y = p.y;
    }
    RefreshCanvasSizes(doc);

    if (!doc.selection.shown || p.resetMask) {
        doc.selection.bytes.assign(size_t(plane), 1);
        doc.selection.width = width;
        doc.selection.height = height;
        doc.selection.x = r.x;
        doc.selection.y = r.y;
    }

    r.pixels = std::move(pixels);
    r.alpha = std::move(alpha);
    r.aux = std::move(aux);

    if (p.paletteMode != 2 && p.paletteCount != 0) {
        doc.palette.assign(size_t(p.paletteCount), RgbQuad{});
        if (p.paletteMode == 0 && doc.mainImage && doc.mainImage->Palette()) {
            const int n = std::min(p.paletteCount, doc.mainImage->PaletteCount());
            std::copy(doc.mainImage->Palette(), doc.mainImage->Palette() + n, doc.palette.begin());
        }
    }
    if (p.paletteCount == 0) doc.palette.clear();
    return true;
}

void SaveToStore(COrinDoc& doc, LayerStore& store, int slot) {
    if (!IsValidSlot(slot)) return;
    LayerStore::Entry& e = store.entries[size_t(slot)];
    e.record = doc.layers[slot];  // record fields and fresh copies of the buffers
    e.canvas = doc.canvas;
    e.palette = doc.palette;
    e.valid = true;
}

void RestoreFromStore(COrinDoc& doc, LayerStore& store, int slot) {
    if (!IsValidSlot(slot) || !doc.layers[slot].inUse) return;
    const LayerStore::Entry& e = store.entries[size_t(slot)];
    if (!e.valid) return;
    LayerRecord& live = doc.layers[slot];
    const LayerRecord keep = [&] {
        LayerRecord k;
        k.below = live.below;
        k.above = live.above;
        k.kind = live.kind;
        k.transparency = live.transparency;
        k.visible = live.visible;
        k.inUse = live.inUse;
        return k;
    }();
    live = e.record;
    live.below = keep.below;
    live.above = keep.above;
    live.kind = keep.kind;
    live.transparency = keep.transparency;
    live.visible = keep.visible;
    live.inUse = keep.inUse;
    const std::u16string title = doc.canvas.title;
    doc.canvas = e.canvas;
    doc.canvas.title = title;
    doc.palette = e.palette;
}

void SelectLayer(COrinDoc& doc, int slot) {
    if (!IsValidSlot(slot) || !doc.layers[slot].inUse) return;
    doc.layers.current = slot;
    doc.redoTitle = false;
}

void ExpandIndexRow(const COrinDoc& doc, const uint8_t* src, int width, int bits, uint8_t* dst) {
    for (int x = 0; x < width; ++x) {
        int index = 0;
        if (bits == 8) index = src[x];
        else if (bits == 4) index = (x & 1) ? src[x >> 1] & 0x0F : src[x >> 1] >> 4;
        else index = (src[x >> 3] >> (7 - (x & 7))) & 1;
        const RgbQuad c = size_t(index) < doc.palette.size() ? doc.palette[size_t(index)] : RgbQuad{};
        dst[3 * x] = c.blue;
        dst[3 * x + 1] = c.green;
        dst[3 * x + 2] = c.red;
    }
}

bool ConvertLayerToTrueColour(COrinDoc& doc, int slot) {
    if (!IsValidSlot(slot)) return false;
    LayerRecord& r = doc.layers[slot];
    const int bits = LayerBits(doc, r);
    if (r.kind == kLayerText || bits >= 24) return false;
    const int32_t newStride = RowStride(r.width, 24);
    std::vector<uint8_t> out;
    try {
        out.assign(size_t(newStride) * size_t(r.height), 0xFF);
    } catch (const std::bad_alloc&) {
        return false;
    }
    for (int y = 0; y < r.height; ++y)
        ExpandIndexRow(doc, r.pixels.data() + size_t(y) * size_t(r.stride), r.width, bits,
                       out.data() + size_t(y) * size_t(newStride));
    r.pixels = std::move(out);
    r.stride = newStride;
    r.pixelSize = newStride * r.height;
    doc.canvas.bpp = 24;
    doc.canvas.paletteCount = 0;
    doc.palette.clear();
    RefreshCanvasSizes(doc);
    return true;
}

namespace {

// A 32-bit picture keeps its colour bytes; the fourth becomes `alpha` (rows bottom-up,
// as the layer's plane) when it is the picture's alpha, and is dropped otherwise.
bool SplitFourthByte(const CImageBuffer& image, CImageBuffer& out, std::vector<uint8_t>& alpha) {
    if (!out.Allocate(image.Width(), image.Height(), 24, image.Type(), false)) return false;
    const bool keep = image.Info().hasAlpha;
    try {
        if (keep) alpha.resize(size_t(image.Width()) * size_t(image.Height()));
    } catch (const std::bad_alloc&) {
        return false;
    }
    for (int y = 0; y < image.Height(); ++y) {
        const uint8_t* s = image.Row(y);
        uint8_t* d = out.Row(y);
        uint8_t* a = keep ? alpha.data() + size_t(y) * size_t(image.Width()) : nullptr;
        for (int x = 0; x < image.Width(); ++x) {
            std::memcpy(d + 3 * x, s + 4 * x, 3);
            if (a) a[x] = s[4 * x + 3];
        }
    }
    return true;
}

}  // namespace

Status OpenPictureInDocument(COrinDoc& doc) {
    if (!doc.mainImage->IsValid()) {
        doc.mainImage = std::make_unique<CImageBuffer>(kFormatBmp);
        return Status::Fail(msg::kFileMissing);
    }
    // A 32-bit picture enters the layer as 24 bits with its alpha, when it has one, as
    // the layer's alpha plane. The layer takes the decoded rows over instead of copying
    // them: the picture is held once; the main image keeps its header, palette and
    // record, which describe the file.
    CImageBuffer trueColour(kFormatBmp);
    std::vector<uint8_t> alpha;
    if (doc.mainImage->Bpp() == 32 && !SplitFourthByte(*doc.mainImage, trueColour, alpha))
        return Status::Fail(msg::kCannotOpen);
    CImageBuffer& image = trueColour.IsValid() ? trueColour : *doc.mainImage;
    std::vector<uint8_t> rows;
    image.SwapPixels(rows);
    if (doc.number == 0) doc.number = doc.workspace.NextDocumentNumber();

    LayerRecord& layer = doc.layers[0];
    layer.name = Utf8ToUtf16("배경영상");
    layer.inUse = 1;
    layer.visible = 1;
    layer.below = layer.above = -1;
    layer.transparency = 0;
    layer.FreeBuffers();

    LayerSlotParams p;
    p.format = image.Type();
    p.bpp = image.Bpp();
    p.paletteCount = image.PaletteCount();
    p.alphaFill = 0;
    p.slot = 0;
    p.x = p.y = -1;
    p.width = image.Width();
    p.height = image.Height();
    p.paletteMode = 0;
    p.canvasWidth = image.Width();
    p.canvasHeight = image.Height();
    p.pictureFlag = 1;
    p.kind = kLayerRaster;
    p.centre = true;
    // The layer has the picture's size, so its rows are the picture's rows and every
    // alpha byte lies under the picture (255).
    p.adoptRows = &rows;
    p.alphaFill = 255;
    if (!CreateLayerInSlot(doc, p)) {
        image.SwapPixels(rows);
        layer.inUse = 0;
        return Status::Fail(msg::kCannotOpen);
    }
    if (&image != doc.mainImage.get()) {
        std::vector<uint8_t> decoded;
        doc.mainImage->SwapPixels(decoded);
    }

    if (alpha.size() == layer.alpha.size()) layer.alpha = std::move(alpha);
    doc.layers.bottom = doc.layers.current = 0;
    layer.kind = kLayerBackdrop;
    if (doc.canvas.bpp != 24 && !ConvertLayerToTrueColour(doc, 0)) {
        // A picture that cannot become true colour is not left half opened.
        layer = LayerRecord{};
        doc.layers.bottom = doc.layers.current = -1;
        return Status::Fail(std::string("ConvertLayerToTrueColour") + "::Memory Alloc");
    }
    doc.Touch();
    doc.history.position = -1;
    RecordStep(doc, label::kOpening, kStepPixels, 0);
    return Status::Ok();
}

std::u16string NumberedLayerName(int slot) { return Utf8ToUtf16("레이어 " + std::to_string(slot)); }

void EnterNewLayer(COrinDoc& doc, int slot, int below) {
    LayerRecord& r = doc.layers[slot];
    r.below = int16_t(below);
    r.above = IsValidSlot(below) ? doc.layers[below].above : int16_t(-1);
    if (IsValidSlot(below)) {
        if (IsValidSlot(r.above)) doc.layers[r.above].below = int16_t(slot);
        doc.layers[below].above = int16_t(slot);
    } else {
        doc.layers.bottom = slot;
    }
    r.transparency = 0;
    r.visible = 1;
    r.effectOn = 0;
    r.blend = kBlendNormal;
    r.inUse = 1;
    r.name = NumberedLayerName(slot);
}

SavedLayerPlaces::SavedLayerPlaces(COrinDoc& doc) : m_doc(doc), m_selectionShown(doc.selection.shown) {
    for (int i = 0; i < kMaxLayers; ++i) m_places[size_t(i)] = {doc.layers[i].transparency, doc.layers[i].x, doc.layers[i].y};
}

SavedLayerPlaces::~SavedLayerPlaces() {
    for (int i = 0; i < kMaxLayers; ++i) {
        m_doc.layers[i].transparency = m_places[size_t(i)].transparency;
        m_doc.layers[i].x = m_places[size_t(i)].x;
        m_doc.layers[i].y = m_places[size_t(i)].y;
    }
    if (!m_selectionShown) m_doc.selection.shown = false;
}
