#include "TextLayer.h"

#include <algorithm>
#include <cstdio>

#include "History.h"
#include "LayerModel.h"
#include "LayerOps.h"
#include "Messages.h"
#include "PaintPrimitives.h"
#include "Utf16.h"

namespace {

// Style flags kept in the text style's last field.
enum : int16_t { kFlagItalic = 1, kFlagBold = 2, kFlagUnderline = 4, kFlagStrikeout = 8 };

// Blocks wider or taller than this are refused: no screen or printer needs more, and
// the layer would take gigabytes.
constexpr int kMaxBlockSide = 30000;

uint32_t BlueFirst(uint32_t colour) {
    return ((colour & 0xFF) << 16) | (colour & 0xFF00) | ((colour >> 16) & 0xFF);
}

// At most `n` UTF-16 units, never half of a surrogate pair.
std::u16string Cut(const std::u16string& text, size_t n) {
    if (text.size() <= n) return text;
    if (n > 0 && text[n - 1] >= 0xD800 && text[n - 1] <= 0xDBFF) --n;
    return text.substr(0, n);
}

// "[Text:" and the start of the first line: the layer panel shows what a layer says.
std::u16string TextLayerName(const std::u16string& text) {
    std::u16string first = text.substr(0, text.find_first_of(u"\r\n"));
    return u"[Text:" + Cut(first, 8) + u"]";
}

void StoreSettings(LayerRecord& r, const TextSettings& s, TextPoint at) {
    r.text = s.text;
    r.textLength = int32_t(s.text.size());
    r.colour = BlueFirst(s.colour);
    r.style.first = at.x;
    r.style.second = at.y;
    r.style.size = s.size;
    r.style.block.fill(0);
    PutUtf16Field(r.style.block.data(), r.style.block.size(), Cut(Utf8ToUtf16(s.face), kMaxFaceLength));
    r.style.tail = int16_t((s.style & 1 ? kFlagItalic : 0) | (s.style & 2 ? kFlagBold : 0) |
                           (s.underline ? kFlagUnderline : 0) | (s.strikeout ? kFlagStrikeout : 0));
}

}  // namespace

TextFont FontOf(const TextSettings& s) {
    TextFont f;
    f.face = s.face;
    f.size = s.size;
    f.italic = (s.style & 1) != 0;
    f.bold = (s.style & 2) != 0;
    f.underline = s.underline;
    f.strikeout = s.strikeout;
    return f;
}

TextSettings TextLayerSettings(const LayerRecord& r) {
    TextSettings s;
    s.text = r.text.substr(0, size_t(std::clamp(r.textLength, 0, kMaxTextLength)));
    s.face = Utf16ToUtf8(GetUtf16Field(r.style.block.data(), r.style.block.size()));
    s.size = r.style.size;
    s.style = (r.style.tail & kFlagItalic ? 1 : 0) | (r.style.tail & kFlagBold ? 2 : 0);
    s.underline = (r.style.tail & kFlagUnderline) != 0;
    s.strikeout = (r.style.tail & kFlagStrikeout) != 0;
    s.colour = BlueFirst(r.colour);
    return s;
}

TextPoint TextLayerPoint(const LayerRecord& r) { return {r.style.first, r.style.second}; }

Status PlaceText(COrinDoc& doc, const TextSettings& in, std::optional<TextPoint> at, bool edit) {
    LayerRecord* current = doc.CurrentLayer();
    if (!current) return Status::Ok();
    edit = edit && current->kind == kLayerText;
    TextSettings s = in;
    s.text = Cut(s.text, kMaxTextLength);
    if (s.text.empty()) return Status::Fail(msg::kEmptyText);
    if (s.size < 1 || s.size > kMaxStoredTextSize) {
        char text[96];
        std::snprintf(text, sizeof text, msg::kIntegerRange, 1, kMaxStoredTextSize);
        return Status::Fail(text);
    }
    const TextFont font = FontOf(s);
    const TextBlock block = MeasureText(s.text, font);
    if (block.width > kMaxBlockSide || block.height > kMaxBlockSide) return Status::Fail(msg::kTextTooLarge);
    RenderedText rendered;
    if (Status r = RenderText(s.text, font, rendered); !r) return r;
    const int blockWidth = int(block.width * 1.5), blockHeight = block.height;

    // The block's place: inside the current layer, pulled up to end at the canvas bottom.
    const int canvasW = doc.canvas.width, canvasH = doc.canvas.height;
    TextPoint p = edit ? TextLayerPoint(*current) : at.value_or(TextPoint{current->width / 5, current->height / 2});
    p.x = std::max(0, p.x);
    if (p.x > current->width) p.x = current->x;
    p.y = std::max(0, p.y);
    if (p.y > current->height) p.y = current->y;
    if (p.y + blockHeight > canvasH) p.y = canvasH + block.top - blockHeight;
    p.x = std::max(0, p.x);
    p.y = std::max(0, p.y);
    const int width = std::max(canvasW, p.x + blockWidth), height = std::max(canvasH, p.y + blockHeight);

    int slot = doc.layers.current;
    if (edit) {
        // The layer's top row stays where it was on the canvas when its height changes.
        const LayerRecord& old = *current;
        LayerSlotParams lp;
        lp.format = doc.canvas.format;
        lp.bpp = doc.canvas.bpp;
        lp.paletteCount = doc.canvas.paletteCount;
        lp.slot = slot;
        lp.x = old.x;
        lp.y = old.y + height - old.height;
        lp.width = width;
        lp.height = height;
        lp.paletteMode = 2;
        lp.canvasWidth = canvasW;
        lp.canvasHeight = canvasH;
        lp.kind = kLayerText;
        lp.pictureFlag = old.pictureFlag;
        if (!CreateLayerInSlot(doc, lp)) return Status::Fail(std::string("TextLayer") + "::Memory Alloc");
    } else {
        // A layer taller than the canvas reaches below it: its top row is the canvas's.
        NewLayerPlace place{width, height, 0, height - canvasH, kLayerText};
        if (Status r = InsertLayerAbove(doc, place, slot); !r) return r;
        doc.layers[slot].name = TextLayerName(s.text);
    }
    LayerRecord& r = doc.layers[slot];
    StoreSettings(r, s, p);
    PutText(doc, r, rendered, s.colour, p.x, p.y);
    MarkLayerChanged(doc);
    RecordStep(doc, label::kTextInput, kStepText, slot);
    return Status::Ok();
}

Status RedrawTextLayer(COrinDoc& doc, LayerRecord& layer) {
    const TextSettings s = TextLayerSettings(layer);
    if (s.text.empty()) return Status::Ok();
    const TextPoint p = TextLayerPoint(layer);
    return RenderTextIntoLayer(doc, layer, s.text, FontOf(s), s.colour, p.x, p.y);
}
