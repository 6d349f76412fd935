// The user's working settings, kept in "Dravcon_34.ini" in the program folder, and the
// optional translation table "KrStr2JpStr.txt" beside it. Plain C++ (no Qt).
//
// The settings file is single-byte text lines with Windows line ends ("\r\n") followed by
// two strings stored as raw UTF-16LE code units without terminator; the formatted lines
// are read with scanf's rules, so a value that does not match keeps its previous value.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

inline constexpr const char* kSettingsFileName = "Dravcon_34.ini";
inline constexpr const char* kTranslationFileName = "KrStr2JpStr.txt";

// The three integers the colour selector keeps with each drawing colour.
struct ColourSelectorState {
    int32_t selector = 0;
    int32_t x = 0;
    int32_t y = 0;
    bool operator==(const ColourSelectorState&) const = default;
};

// Every value of the settings file. Colours are 32-bit values with red in the low byte.
// The initial values are those of the file installed with the program.
struct Settings {
    int32_t foreground = 0x000000;       // FG
    int32_t background = 0xFFFFFF;       // BG
    int32_t textColour = 0x000000;       // TX
    int32_t pFG = 0x000000;              // pFG
    int32_t pBG = 0xFFFFFF;              // pBG
    ColourSelectorState fgSelector;      // "FG:" selector, X, Y
    ColourSelectorState bgSelector;      // "BG:"
    ColourSelectorState txSelector;      // "TX:"
    int32_t fontSize = 24;               // twice the point size the text dialog shows; >= 2 after reading
    int32_t fontStrikeOut = 0;           // 0 or 1
    int32_t fontUnderLine = 0;           // 0 or 1
    int32_t toolNumber = 1;              // >= 1 after reading
    int32_t toolGroup = 0;               // 0 or 1
    int32_t gridGap = -16;               // pixels; negative = grid hidden; written as its absolute value
    int32_t gridColour = 0xC0C0C0;       // GClr
    int32_t cursorKind = 5;              // 1 arrow, 2 up-arrow, 3 own cursor, 4 I-beam, other cross-hair
    int32_t paintValue = 0;              // Pnt
    int32_t toolValue = 0;               // the value after Pnt
    int32_t fog = 0;                     // Fog
    int32_t transpRep = 0;               // TranspRep
    int32_t samplesFolder = 0;           // "Folder:" as read; always written as 0
    int32_t updateCheck = 1;             // UD: 1 = check for updates at start-up
    int32_t rs = 0;                      // RS
    int32_t wsValue = 0;                 // WS, first integer
    int32_t wsCheck = 0;                 // WS, second integer
    std::u16string lastText;             // last text of the text tool, at most 100 characters
    std::u16string faceName = u"NanumGothic";  // text font face name, at most 100 characters
    bool operator==(const Settings&) const = default;
};

// Longest stored string (characters); longer strings are cut when written and read.
inline constexpr int kSettingsMaxString = 100;
// Largest stored font size (twice 1638 points, the largest size a font dialog offers).
inline constexpr int kSettingsMaxFontSize = 3276;

// The file's bytes for `settings` (what WriteSettingsFile stores).
std::string EncodeSettings(const Settings& settings);
// Reads `bytes` over `settings`: values that do not match keep what `settings` held;
// the string lengths that do not match keep the lengths of the strings held; the
// strings are read only when the lines before them were read to their end.
void DecodeSettings(const std::string& bytes, Settings& settings);

// Reads `folder`/Dravcon_34.ini over `settings`; false when the file cannot be opened.
bool ReadSettingsFile(const std::string& folder, Settings& settings);
// Replaces `folder`/Dravcon_34.ini (through a temporary file, so a failed write never
// leaves a damaged file); false when it could not be written.
bool WriteSettingsFile(const std::string& folder, const Settings& settings);

// Korean texts and their translations, in file order.
struct TranslationTable {
    std::vector<std::pair<std::u16string, std::u16string>> pairs;
};

inline constexpr int kTranslationMaxLines = 200;
inline constexpr int kTranslationMaxText = 79;  // characters per text

// Parses the table's bytes: one pair per line "korean~translation|"; at most 200 lines;
// the text is UTF-8 (an optional byte-order mark is skipped) or, when it is not valid
// UTF-8, code page 949. Lines without "~" give no pair.
TranslationTable ParseTranslationTable(const std::string& bytes);
// Loads `folder`/KrStr2JpStr.txt; a missing file gives an empty table.
TranslationTable LoadTranslationTable(const std::string& folder);
