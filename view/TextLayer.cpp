#include "TextLayer.h"

#include <algorithm>
#include <cctype>
#include <cstdio>

#include "CommandMap.h"
#include "History.h"
#include "LayerCoordinates.h"
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

bool ParseTextStyle(const std::string& text, TextSettings& s) {
    std::string lower;
    for (char c : text) lower.push_back(c == ' ' || c == '_' ? '-' : char(std::tolower(static_cast<unsigned char>(c))));
    int style = -1;
    bool underline = false, strikeout = false;
    size_t start = 0;
    while (start <= lower.size()) {
        const size_t plus = std::min(lower.find('+', start), lower.size());
        const std::string word = lower.substr(start, plus - start);
        static const char* const kNames[4] = {"regular", "italic", "bold", "bold-italic"};
        const auto named = std::find_if(std::begin(kNames), std::end(kNames), [&](const char* n) { return word == n; });
        if (word == "underline") {
            underline = true;
        } else if (word == "strikeout") {
            strikeout = true;
        } else if (style < 0 && named != std::end(kNames)) {
            style = int(named - std::begin(kNames));
        } else if (style < 0 && word.size() == 1 && word[0] >= '0' && word[0] <= '3') {
            style = word[0] - '0';
        } else if (!(word.empty() && lower.empty())) {
            return false;
        }
        start = plus + 1;
    }
    s.style = std::max(style, 0);
    s.underline = underline;
    s.strikeout = strikeout;
    return true;
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

namespace {

// The view point on the current layer's text: inside the box of its covered pixels.
bool OnCurrentText(const COrinDoc& doc, int viewX, int viewY) {
    const int slot = doc.layers.current;
    if (!IsValidSlot(slot) || doc.layers[slot].kind != kLayerText) return false;
    const LayerRecord& r = doc.layers[slot];
    const LayerPoint p = ViewToLayerOf(doc, slot, viewX, viewY);
    if (p.x < 0 || p.y < 0 || p.x >= r.width || p.y >= r.height || r.alpha.size() < size_t(r.width) * size_t(r.height))
        return false;
    int x0 = r.width, x1 = -1, y0 = r.height, y1 = -1;
    for (int y = 0; y < r.height; ++y) {
        const uint8_t* row = r.alpha.data() + size_t(y) * size_t(r.width);
        for (int x = 0; x < r.width; ++x)
            if (row[x]) {
                x0 = std::min(x0, x), x1 = std::max(x1, x);
                y0 = std::min(y0, y), y1 = std::max(y1, y);
            }
    }
    return p.x >= x0 && p.x <= x1 && p.y >= y0 && p.y <= y1;
}

void RequestText(COrinDoc& doc, int x, int y, bool edit) {
    if (doc.workspace.host) doc.workspace.host->TextRequested(doc, x, y, edit);
}

}  // namespace

Status TextToolPress(COrinDoc& doc, int viewX, int viewY) {
    if (doc.IsEmpty()) return Status::Ok();
    if (OnCurrentText(doc, viewX, viewY)) {
        RequestText(doc, 0, 0, true);
        return Status::Ok();
    }
    // Canvas pixels, top-down: the new text layer's own (its top row is the canvas's).
    const LayerPoint p = ViewToLayerOf(doc, -1, viewX, viewY);
    RequestText(doc, p.x, doc.canvas.height - 1 - p.y, false);
    return Status::Ok();
}

void TextDoubleClick(COrinDoc& doc, int viewX, int viewY) {
    const int tool = doc.workspace.currentTool;
    if ((tool == kCmdText || tool == kCmdMove) && OnCurrentText(doc, viewX, viewY)) RequestText(doc, 0, 0, true);
}

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
    // A layer still named after its text is named after the new text.
    const bool autoNamed = edit && current->name == TextLayerName(current->text);
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
    if (autoNamed) RenameForStep(doc, slot, TextLayerName(s.text));
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
