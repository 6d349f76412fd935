#include "TextRenderer.h"

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H
#include FT_SYNTHESIS_H
#include FT_TRUETYPE_TABLES_H

#include <algorithm>
#include <array>
#include <cctype>
#include <cmath>
#include <map>
#include <memory>
#include <mutex>

#include "Messages.h"
#include "PaintPrimitives.h"

namespace {

// Drawings larger than this many pixels are refused (a 700-character line at the
// largest size would otherwise take gigabytes).
constexpr int64_t kMaxDrawingPixels = int64_t(1) << 27;

std::string Folded(const std::string& name) {
    std::string out;
    for (unsigned char c : name)
        if (c != ' ') out.push_back(char(std::tolower(c)));
    return out;
}

// Unicode code points of UTF-16 text; unpaired surrogates become U+FFFD.
std::vector<std::u32string> SplitLines(const std::u16string& text) {
    std::vector<std::u32string> lines(1);
    for (size_t i = 0; i < text.size(); ++i) {
        char32_t c = text[i];
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
            c = 0x10000 + ((c - 0xD800) << 10) + (char32_t(text[i + 1]) - 0xDC00);
            ++i;
        } else if (c >= 0xD800 && c <= 0xDFFF) {
            c = 0xFFFD;
        }
        if (c == U'\r') continue;
        if (c == U'\n') {
            lines.emplace_back();
            continue;
        }
        if (c == U'\t') c = U' ';
        lines.back().push_back(c);
    }
    return lines;
}

struct FaceFile {
    std::string file;
    int index = 0;
    bool emboldened = false;  // the file's weight is below bold: bold is synthesised
    bool slanted = false;     // the file is upright: italic is synthesised
};

// One FreeType library and the faces opened from it. Fontconfig and FreeType keep
// process-wide state of their own; this object is reached only under its mutex.
class FontEngine {
public:
    static FontEngine& Get() {
        static FontEngine engine;
        return engine;
    }
    std::mutex mutex;

    FontEngine() {
        FcInit();
        if (FT_Init_FreeType(&m_library) != 0) m_library = nullptr;
    }
    ~FontEngine() {
        for (auto& [key, face] : m_faces)
            if (face) FT_Done_Face(face);
        if (m_library) FT_Done_FreeType(m_library);
    }

    const std::vector<FontFamily>& Families() {
        if (m_familiesRead) return m_families;
        m_familiesRead = true;
        FcPattern* pattern = FcPatternCreate();
        FcPatternAddBool(pattern, FC_SCALABLE, FcTrue);
        FcObjectSet* objects = FcObjectSetBuild(FC_FAMILY, FC_LANG, nullptr);
        FcFontSet* set = FcFontList(nullptr, pattern, objects);
        std::map<std::string, FontFamily> byName;
        for (int i = 0; set && i < set->nfont; ++i) {
            FcChar8* family = nullptr;
            if (FcPatternGetString(set->fonts[i], FC_FAMILY, 0, &family) != FcResultMatch || !family) continue;
            FcLangSet* langs = nullptr;
            const bool korean = FcPatternGetLangSet(set->fonts[i], FC_LANG, 0, &langs) == FcResultMatch &&
                                FcLangSetHasLang(langs, reinterpret_cast<const FcChar8*>("ko")) == FcLangEqual;
            const std::string name(reinterpret_cast<const char*>(family));
            FontFamily& entry = byName[name];
            entry.name = name;
            entry.korean = entry.korean || korean;
        }
        if (set) FcFontSetDestroy(set);
        FcObjectSetDestroy(objects);
        FcPatternDestroy(pattern);
        for (auto& [name, family] : byName) m_families.push_back(family);
        std::stable_sort(m_families.begin(), m_families.end(), [](const FontFamily& a, const FontFamily& b) {
            if (a.korean != b.korean) return a.korean;
            return Folded(a.name) < Folded(b.name);
        });
        return m_families;
    }

    bool Known(const std::string& name) {
        const std::string folded = Folded(name);
        if (folded.empty()) return false;
        for (const FontFamily& f : Families())
            if (Folded(f.name) == folded) return true;
        // Fontconfig also knows a family by its other names (a Korean name, say).
        FaceFile file;
        return Match(name, false, false, file, true);
    }

    std::string KoreanDefault() {
        for (const FontFamily& f : Families())
            if (f.korean && Folded(f.name) == "nanumgothic") return f.name;
        for (const FontFamily& f : Families())
            if (f.korean) return f.name;
        return Families().empty() ? std::string() : Families().front().name;
    }

    // The file fontconfig picks for a family and style; with `exactFamily` only a
    // file of that family counts.
    bool Match(const std::string& family, bool bold, bool italic, FaceFile& out, bool exactFamily) {
        FcPattern* pattern = FcPatternCreate();
        FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family.c_str()));
        FcPatternAddInteger(pattern, FC_WEIGHT, bold ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
        FcPatternAddInteger(pattern, FC_SLANT, italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
        FcPatternAddBool(pattern, FC_SCALABLE, FcTrue);
        FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
        FcDefaultSubstitute(pattern);
        FcResult result = FcResultNoMatch;
        FcPattern* match = FcFontMatch(nullptr, pattern, &result);
        FcPatternDestroy(pattern);
        if (!match) return false;
        bool ok = true;
        if (exactFamily) {
            ok = false;
            const std::string folded = Folded(family);
            FcChar8* name = nullptr;
            for (int i = 0; FcPatternGetString(match, FC_FAMILY, i, &name) == FcResultMatch; ++i)
                if (Folded(reinterpret_cast<const char*>(name)) == folded) ok = true;
        }
        FcChar8* file = nullptr;
        int index = 0, weight = FC_WEIGHT_REGULAR, slant = FC_SLANT_ROMAN;
        if (ok && FcPatternGetString(match, FC_FILE, 0, &file) == FcResultMatch && file) {
            FcPatternGetInteger(match, FC_INDEX, 0, &index);
            FcPatternGetInteger(match, FC_WEIGHT, 0, &weight);
            FcPatternGetInteger(match, FC_SLANT, 0, &slant);
            out.file = reinterpret_cast<const char*>(file);
            out.index = index;
            out.emboldened = bold && weight < FC_WEIGHT_DEMIBOLD;
            out.slanted = italic && slant == FC_SLANT_ROMAN;
        } else {
            ok = false;
        }
        FcPatternDestroy(match);
        return ok;
    }

    FT_Face Open(const FaceFile& file) {
        if (!m_library || file.file.empty()) return nullptr;
        const auto key = std::make_pair(file.file, file.index);
        auto it = m_faces.find(key);
        if (it != m_faces.end()) return it->second;
        FT_Face face = nullptr;
        if (FT_New_Face(m_library, file.file.c_str(), file.index, &face) != 0) face = nullptr;
        m_faces[key] = face;
        return face;
    }

private:
    FT_Library m_library = nullptr;
    std::map<std::pair<std::string, int>, FT_Face> m_faces;
    std::vector<FontFamily> m_families;
    bool m_familiesRead = false;
};

// A face set up for one font at one pixel size: the chosen face and a Korean face for
// characters the chosen one lacks.
struct SizedFace {
    FT_Face face = nullptr;
    FaceFile file;
    int baseline = 0;  // rows from the line's top to the baseline
    int size = 0;
};

// Scales the face so that its line (Windows ascent plus descent where the font has
// them, else the horizontal header's) is `size` pixels tall.
bool SetLineSize(SizedFace& f, int size) {
    FT_Face face = f.face;
    if (!face || !FT_IS_SCALABLE(face) || face->units_per_EM == 0) return false;
    long ascent = face->ascender, descent = -long(face->descender);
    if (const auto* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2));
        os2 && os2->version != 0xFFFF && os2->usWinAscent + os2->usWinDescent > 0) {
        ascent = os2->usWinAscent;
        descent = os2->usWinDescent;
    }
    const long line = std::max(1L, ascent + descent);
    const FT_F26Dot6 em = FT_F26Dot6(std::llround(double(size) * 64.0 * face->units_per_EM / double(line)));
    if (FT_Set_Char_Size(face, 0, std::max<FT_F26Dot6>(em, 1), 72, 72) != 0) return false;
    f.baseline = int(std::lround(double(size) * double(ascent) / double(line)));
    f.size = size;
    return true;
}

struct FacePair {
    SizedFace main, fallback;
};

Status OpenFaces(FontEngine& engine, const TextFont& font, int size, FacePair& out) {
    FaceFile file;
    const std::string korean = engine.KoreanDefault();
    if (!engine.Match(font.face, font.bold, font.italic, file, true) &&
        !engine.Match(korean, font.bold, font.italic, file, false))
        return Status::Fail(msg::kNoFont);
    out.main.file = file;
    out.main.face = engine.Open(file);
    if (!SetLineSize(out.main, size)) return Status::Fail(msg::kNoFont);
    FaceFile other;
    if (engine.Match(korean, font.bold, font.italic, other, false) && other.file != file.file) {
        out.fallback.file = other;
        out.fallback.face = engine.Open(other);
        if (!SetLineSize(out.fallback, size)) out.fallback.face = nullptr;
    }
    return Status::Ok();
}

// Loads one glyph with its outline moved by the pen's fraction; the glyph slot then
// holds its bitmap. Returns the face used, or null when neither face has the glyph's
// outline.
const SizedFace* LoadGlyph(const FacePair& faces, char32_t c, FT_Pos fraction, bool render) {
    const SizedFace* f = &faces.main;
    FT_UInt index = FT_Get_Char_Index(f->face, c);
    if (index == 0 && faces.fallback.face) {
        if (FT_UInt other = FT_Get_Char_Index(faces.fallback.face, c); other != 0) {
            f = &faces.fallback;
            index = other;
        }
    }
    FT_Face face = f->face;
    if (FT_Load_Glyph(face, index, FT_LOAD_NO_HINTING | FT_LOAD_NO_BITMAP) != 0) return nullptr;
    FT_GlyphSlot slot = face->glyph;
    if (slot->format != FT_GLYPH_FORMAT_OUTLINE) return nullptr;
    if (f->file.slanted) FT_GlyphSlot_Oblique(slot);
    if (f->file.emboldened) FT_GlyphSlot_Embolden(slot);
    if (!render) return f;
    FT_Outline_Translate(&slot->outline, fraction, 0);
    if (FT_Render_Glyph(slot, FT_RENDER_MODE_NORMAL) != 0) return nullptr;
    return f;
}

struct LineRun {
    FT_Pos advance = 0;  // 26.6
    int inkRight = 0;    // pixels
};

// Walks one line: `plot(face, bitmapLeft, bitmapTop)` for every rendered glyph at the
// pen position, when `render` is set.
template <class Plot>
LineRun WalkLine(const FacePair& faces, const std::u32string& line, bool render, Plot&& plot) {
    LineRun run;
    FT_Pos pen = 0;
    for (char32_t c : line) {
        const SizedFace* f = LoadGlyph(faces, c, render ? (pen & 63) : 0, render);
        if (!f) continue;
        FT_GlyphSlot slot = f->face->glyph;
        if (render) {
            const int left = int(pen >> 6) + slot->bitmap_left;
            run.inkRight = std::max(run.inkRight, left + int(slot->bitmap.width));
            plot(*f, slot, left);
        } else {
            FT_BBox box;
            FT_Outline_Get_CBox(&slot->outline, &box);
            run.inkRight = std::max(run.inkRight, int((pen + box.xMax + 63) >> 6));
        }
        pen += slot->advance.x;
    }
    run.advance = pen;
    return run;
}

int BlockWidth(const FacePair& faces, const std::vector<std::u32string>& lines) {
    int width = 0;
    for (const std::u32string& line : lines) {
        const LineRun run = WalkLine(faces, line, false, [](const SizedFace&, FT_GlyphSlot, int) {});
        width = std::max({width, int((run.advance + 63) >> 6), run.inkRight});
    }
    return width;
}

// A horizontal bar `thickness` rows tall whose top is `top`, over columns 0..right-1.
void Bar(TextDrawing& d, int top, int thickness, int right) {
    for (int y = std::max(0, top); y < std::min(d.height, top + std::max(1, thickness)); ++y)
        std::fill_n(d.coverage.begin() + ptrdiff_t(size_t(y) * size_t(d.width)), std::min(right, d.width), uint8_t(255));
}

void DrawLineDecorations(const SizedFace& f, const TextFont& font, TextDrawing& d, int lineTop, int right) {
    FT_Face face = f.face;
    const double scale = double(face->size->metrics.y_ppem) / double(face->units_per_EM);
    const int baseline = lineTop + f.baseline;
    if (font.underline) {
        const int thickness = std::max(1, int(std::lround(face->underline_thickness * scale)));
        // The position is the stem's centre; some faces put it below their own line,
        // where it would be cut off: it stays inside the line.
        const int top = baseline - int(std::lround(face->underline_position * scale)) - thickness / 2;
        Bar(d, std::min(top, lineTop + f.size - thickness), thickness, right);
    }
    if (font.strikeout) {
        int position = int(std::lround(f.size * 0.22)), thickness = std::max(1, f.size / 16);
        if (const auto* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2));
            os2 && os2->version != 0xFFFF && os2->yStrikeoutSize > 0) {
            position = int(std::lround(os2->yStrikeoutPosition * scale));
            thickness = std::max(1, int(std::lround(os2->yStrikeoutSize * scale)));
        }
        Bar(d, baseline - position - thickness + 1, thickness, right);
    }
}

}  // namespace

std::vector<FontFamily> ListFontFamilies() {
    FontEngine& engine = FontEngine::Get();
    std::lock_guard lock(engine.mutex);
    return engine.Families();
}

bool IsKnownFontFamily(const std::string& name) {
    FontEngine& engine = FontEngine::Get();
    std::lock_guard lock(engine.mutex);
    return engine.Known(name);
}

std::string DefaultKoreanFamily() {
    FontEngine& engine = FontEngine::Get();
    std::lock_guard lock(engine.mutex);
    return engine.KoreanDefault();
}

TextBlock MeasureText(const std::u16string& text, const TextFont& font) {
    FontEngine& engine = FontEngine::Get();
    std::lock_guard lock(engine.mutex);
    const std::vector<std::u32string> lines = SplitLines(text);
    TextBlock block;
    const int size = std::max(1, font.size);
    block.height = int(std::min<int64_t>(int64_t(lines.size()) * size, INT32_MAX / 2));
    FacePair faces;
    if (OpenFaces(engine, font, size, faces)) block.width = BlockWidth(faces, lines);
    return block;
}

Status DrawTextBlock(const std::u16string& text, const TextFont& font, TextDrawing& out) {
    FontEngine& engine = FontEngine::Get();
    std::lock_guard lock(engine.mutex);
    out = TextDrawing{};
    const int size = std::max(1, font.size);
    FacePair faces;
    if (Status s = OpenFaces(engine, font, size, faces); !s) return s;
    const std::vector<std::u32string> lines = SplitLines(text);
    const int width = BlockWidth(faces, lines);
    const int64_t height = int64_t(lines.size()) * size;
    if (int64_t(width) * height > kMaxDrawingPixels) return Status::Fail(msg::kTextTooLarge);
    out.width = width;
    out.height = int(height);
    out.coverage.assign(size_t(width) * size_t(height), 0);
    if (width == 0) return Status::Ok();
    for (size_t i = 0; i < lines.size(); ++i) {
        const int lineTop = int(i) * size;
        WalkLine(faces, lines[i], true, [&](const SizedFace& f, FT_GlyphSlot slot, int left) {
            const FT_Bitmap& bm = slot->bitmap;
            const int top = lineTop + f.baseline - slot->bitmap_top;
            for (unsigned r = 0; r < bm.rows; ++r) {
                const int y = top + int(r);
                if (y < 0 || y >= out.height) continue;
                const uint8_t* src = bm.buffer + ptrdiff_t(r) * bm.pitch;
                uint8_t* dst = out.coverage.data() + size_t(y) * size_t(width);
                for (unsigned c = 0; c < bm.width; ++c) {
                    const int x = left + int(c);
                    // Overlapping glyphs add up, as paint over paint would.
                    if (x >= 0 && x < width) dst[x] = uint8_t(std::min(255, dst[x] + src[c]));
                }
            }
        });
        if (font.underline || font.strikeout) {
            const LineRun run = WalkLine(faces, lines[i], false, [](const SizedFace&, FT_GlyphSlot, int) {});
            DrawLineDecorations(faces.main, font, out, lineTop, int((run.advance + 63) >> 6));
        }
    }
    return Status::Ok();
}

TextDrawing ReduceDrawing(const TextDrawing& big, int size) {
    TextDrawing out;
    if (size <= 0 || big.width <= 0 || big.height <= 0) return out;
    const double factor = double(size) / kDirectTextSize;
    out.width = std::max(1, int(std::ceil(big.width * factor)));
    out.height = std::max(1, int(std::ceil(big.height * factor)));
    out.coverage.assign(size_t(out.width) * size_t(out.height), 0);
    // Source position of output index i along an axis of `n` source pixels.
    auto source = [&](int i, int n, int& lo, double& t) {
        const double s = std::clamp((i + 0.5) / factor - 0.5, 0.0, double(n - 1));
        lo = int(s);
        t = s - lo;
    };
    for (int y = 0; y < out.height; ++y) {
        int y0;
        double ty;
        source(y, big.height, y0, ty);
        const int y1 = std::min(y0 + 1, big.height - 1);
        for (int x = 0; x < out.width; ++x) {
            int x0;
            double tx;
            source(x, big.width, x0, tx);
            const int x1 = std::min(x0 + 1, big.width - 1);
            const double top = big.At(x0, y0) * (1 - tx) + big.At(x1, y0) * tx;
            const double bottom = big.At(x0, y1) * (1 - tx) + big.At(x1, y1) * tx;
            out.coverage[size_t(y) * size_t(out.width) + size_t(x)] = uint8_t(std::lround(top * (1 - ty) + bottom * ty));
        }
    }
    return out;
}

int MaxKeyDistance(uint32_t colour) {
    const int r = int(colour & 0xFF), g = int((colour >> 8) & 0xFF), b = int((colour >> 16) & 0xFF);
    const int brightness = (r + g + b) / 3;
    return (std::abs(r - 50) + std::abs(g - 55) + std::abs(b - 55)) * std::min(255, 400 - brightness) / 255;
}

int RuleCoverage(int drawn, uint32_t colour) {
    const int r = int(colour & 0xFF), g = int((colour >> 8) & 0xFF), b = int((colour >> 16) & 0xFF);
    const int m = std::min(255, 400 - (r + g + b) / 3);  // at least 145
    // On the key surface a pixel drawn with coverage a lies K (255 - a) / 255 from the
    // text colour and D = K m / 255, so 255 d / D = 255 (255 - a) / m whatever K is.
    return int(std::trunc(255.0 - 255.0 * double(255 - drawn) / double(m)));
}

Status RenderText(const std::u16string& text, const TextFont& font, RenderedText& out) {
    out.reduced = font.size < kDirectTextSize;
    TextFont work = font;
    work.size = out.reduced ? kDirectTextSize : font.size;
    if (Status s = DrawTextBlock(text, work, out.drawing); !s) return s;
    if (out.reduced) out.drawing = ReduceDrawing(out.drawing, std::max(1, font.size));
    return Status::Ok();
}

void PutText(COrinDoc& doc, LayerRecord& layer, const RenderedText& text, uint32_t colour, int x, int y) {
    const TextDrawing& drawing = text.drawing;
    const int floor = text.reduced ? kReducedCoverageFloor : kDirectCoverageFloor;
    const bool colourPixels = layer.kind != kLayerText;
    if (layer.alpha.size() < size_t(layer.width) * size_t(layer.height)) return;
    std::array<int, 256> rule;  // the rule once per coverage value, not per pixel
    for (int a = 0; a < 256; ++a) rule[size_t(a)] = RuleCoverage(a, colour);
    for (int j = 0; j < drawing.height; ++j) {
        const int row = layer.height - 1 - (y + j);
        if (row < 0 || row >= layer.height) continue;
        for (int i = 0; i < drawing.width; ++i) {
            const int col = x + i;
            if (col < 0 || col >= layer.width) continue;
            const int coverage = rule[drawing.At(i, j)];
            if (coverage < floor) continue;
            uint8_t& alpha = layer.alpha[size_t(row) * size_t(layer.width) + size_t(col)];
            alpha = uint8_t(std::max<int>(alpha, coverage));
            if (colourPixels) WriteLayerColour(doc, layer, col, row, colour);
        }
    }
}

Status RenderTextIntoLayer(COrinDoc& doc, LayerRecord& layer, const std::u16string& text, const TextFont& font,
                           uint32_t colour, int x, int y) {
    RenderedText rendered;
    if (Status s = RenderText(text, font, rendered); !s) return s;
    PutText(doc, layer, rendered, colour, x, y);
    return Status::Ok();
}
