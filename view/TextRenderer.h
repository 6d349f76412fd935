// The text renderer shared by text layers and the calendar: font faces through
// fontconfig, glyphs through FreeType, no window system. A font's size is the pixel
// height of one line (ascent plus descent); text below 34 pixels is drawn at 34 and
// reduced, so that small text keeps the shapes of large text. Coordinates passed in
// are top-down (y counts rows from the layer's top row); layers store rows bottom-up.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "Document.h"
#include "Status.h"

struct TextFont {
    std::string face;  // family name; an unknown family falls back to a Korean face
    int size = 24;     // pixel height of a line
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool strikeout = false;
};

// Scalable font families known to fontconfig: faces that cover Korean first, then
// the others, each group in name order.
struct FontFamily {
    std::string name;
    bool korean = false;
};
std::vector<FontFamily> ListFontFamilies();
// True when fontconfig knows the family (case and spaces ignored).
bool IsKnownFontFamily(const std::string& name);
// The family used when a face is unknown: the first Korean face ("NanumGothic" when
// installed); "" when no font at all is installed.
std::string DefaultKoreanFamily();

// The text block as the renderer lays it out: one line per "\n" ("\r" is ignored),
// each `size` pixels tall; the width covers every line's advance and ink.
struct TextBlock {
    int width = 0;
    int height = 0;
    int top = 0;  // first row of the block (always 0: lines start at the top)
};
TextBlock MeasureText(const std::u16string& text, const TextFont& font);

// The glyph coverage of a block (0 nothing .. 255 fully inside), rows top-down.
struct TextDrawing {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> coverage;
    uint8_t At(int x, int y) const { return coverage[size_t(y) * size_t(width) + size_t(x)]; }
};
// Draws the block at the font's size. Fails when no font is installed or the block
// would be unreasonably large.
Status DrawTextBlock(const std::u16string& text, const TextFont& font, TextDrawing& out);

// The size at and above which text is drawn directly; smaller text is drawn at this
// size and reduced by size / 34.
inline constexpr int kDirectTextSize = 34;
// Reduces a drawing made at 34 to `size`: output pixel i samples the source at
// (i + 0.5) x 34 / size - 0.5 (bilinear, never past the last source row or column).
TextDrawing ReduceDrawing(const TextDrawing& big, int size);

// The key colour the text is drawn over: red 50, green 55, blue 55.
inline constexpr uint32_t kTextKeyColour = 50u | (55u << 8) | (55u << 16);  // red in the low byte
// D of the coverage rule: (distance of the text colour from the key colour) x
// min(255, 400 - brightness) / 255, truncated; brightness = (r + g + b) / 3.
int MaxKeyDistance(uint32_t colour);
// The coverage the rule gives a pixel drawn with coverage `drawn` (0..255) in
// `colour`: 255 - 255 d / D with d the pixel's distance from the text colour on the
// key-coloured surface, i.e. 255 - 255 (255 - drawn) / min(255, 400 - brightness),
// truncated (may be negative). It is computed from the drawing, so a text colour
// equal to the key colour still gives its glyphs' shapes.
int RuleCoverage(int drawn, uint32_t colour);
// Pixels below these coverages are not written.
inline constexpr int kDirectCoverageFloor = 8;
inline constexpr int kReducedCoverageFloor = 20;

// Text ready to be put into a layer: drawn at the work size (the font's size, or 34
// for smaller text) and reduced to the font's size where it was drawn at 34.
struct RenderedText {
    TextDrawing drawing;
    bool reduced = false;
};
Status RenderText(const std::u16string& text, const TextFont& font, RenderedText& out);

// Puts rendered text with its top-left corner at (x, y) of `layer` (x from the left
// column, y from the top row down): each pixel that passes the coverage rule raises
// the layer's opacity to its coverage; on a layer that is not a text layer the pixel
// also takes `colour` (red in the low byte; nearest palette entry on palette canvases).
// Pixels outside the layer are left out.
void PutText(COrinDoc& doc, LayerRecord& layer, const RenderedText& text, uint32_t colour, int x, int y);

// RenderText and PutText in one.
Status RenderTextIntoLayer(COrinDoc& doc, LayerRecord& layer, const std::u16string& text, const TextFont& font,
                           uint32_t colour, int x, int y);
