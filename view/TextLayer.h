// Text layers: the text tool's values, making a text layer or replacing the text of
// one, and reading a text layer's values back for editing. A text layer keeps its
// text, face, size, style and colour in its record, so a saved project reopens with
// its text editable. Positions are top-down layer pixels (y from the layer's top row).
#pragma once

#include <optional>
#include <string>

#include "Document.h"
#include "Status.h"
#include "TextRenderer.h"

inline constexpr int kMaxTextLength = 700;  // characters kept in a text layer
inline constexpr int kMaxFaceLength = 23;   // characters of the face name kept
inline constexpr int kMinStoredTextSize = 4;
inline constexpr int kMaxStoredTextSize = 1000;
inline constexpr const char* kTextStyleNames[4] = {"Regular", "Italic", "Bold", "Bold Italic"};

namespace label {
inline constexpr const char* kTextInput = "글자입력";
}

// What the dialog "글자입력" collects; the main frame keeps the last values.
struct TextSettings {
    std::u16string text;
    std::string face = "NanumGothic";
    int size = 24;  // stored size: the pixel height of a line; the dialog shows half of it
    int style = 0;  // index into kTextStyleNames
    bool strikeout = false;
    bool underline = false;
    uint32_t colour = 0;  // red in the low byte
};

TextFont FontOf(const TextSettings& settings);
// A style as the batch tool writes it: "regular", "italic", "bold", "bold-italic" (or
// a style name, or 0..3), optionally followed by "+underline" and "+strikeout"; case
// is ignored. False for anything else.
bool ParseTextStyle(const std::string& text, TextSettings& settings);
// The values a text layer was made with (its text cut at its length).
TextSettings TextLayerSettings(const LayerRecord& layer);
// The top-down point where a layer's text block starts.
struct TextPoint {
    int x = 0;
    int y = 0;
};
TextPoint TextLayerPoint(const LayerRecord& layer);

// The text tool's press at view point (x, y): on the current text layer's text it asks
// the host to edit that text, elsewhere for a new text at the point.
Status TextToolPress(COrinDoc& doc, int viewX, int viewY);
// A double click with the text or the move tool on the current text layer asks the
// host to edit its text.
void TextDoubleClick(COrinDoc& doc, int viewX, int viewY);

// Writes a new text layer above the current layer at `at` (top-down canvas pixels;
// without a point: a fifth of the current layer's width, half its height), or with
// `edit` replaces the current text layer's text and values keeping its place. Records
// "글자입력" with code 4. Refuses an empty text, a size below 1 and a full layer table.
Status PlaceText(COrinDoc& doc, const TextSettings& settings, std::optional<TextPoint> at, bool edit);

// Draws a text layer's text again from its record (face, size, colour, place) into
// its opacity plane, without a history step (a resized picture's text layers).
Status RedrawTextLayer(COrinDoc& doc, LayerRecord& layer);
