#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "SettingsFile.h"
#include "TestSupport.h"

using testing_support::ReadFileBytes;
using testing_support::TempDir;
using namespace std::string_literals;

namespace {

std::string Bytes(const std::vector<uint8_t>& v) { return std::string(v.begin(), v.end()); }

void WriteText(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(bytes.data(), std::streamsize(bytes.size()));
}

// A settings record with a distinct value in every field.
Settings Sample() {
    Settings s;
    s.foreground = 255;
    s.background = 16777215;
    s.textColour = 65280;
    s.pFG = -1;
    s.pBG = 0x123456;
    s.fgSelector = {3, 10, 20};
    s.bgSelector = {4, -5, 6};
    s.txSelector = {0, 7, 8};
    s.fontSize = 24;
    s.fontStrikeOut = 1;
    s.fontUnderLine = 0;
    s.toolNumber = 7;
    s.toolGroup = 1;
    s.gridGap = -16;
    s.gridColour = 12632256;
    s.cursorKind = 4;
    s.paintValue = 2;
    s.toolValue = 3;
    s.fog = 9;
    s.transpRep = 1;
    s.samplesFolder = 1;
    s.updateCheck = 1;
    s.rs = 0;
    s.wsValue = 12;
    s.wsCheck = 1;
    s.lastText = u"\uAC00a";
    s.faceName = u"Nanum";
    return s;
}

// The bytes of Sample(), worked out by hand: "\r\n" line ends, the strings as
// UTF-16LE code units (U+AC00 is 00 AC) without terminators.
const std::string kSampleBytes = std::string(
    "FG255 BG16777215 TX65280 pFG-1 pBG1193046\r\n"
    "FG: 3 X10 Y20\r\n"
    "BG: 4 X-5 Y6\r\n"
    "TX: 0 X7 Y8\r\n"
    "FontSize 24 2 5\r\n"
    "\r\n"
    "FontStrikeOut 1\r\n"
    "FontUnderLine 0\r\n"
    "7 1\r\n"
    "GGap16 GClr12632256 Cur4 Pnt2 3\r\n"
    "Fog 9\r\n"
    "TranspRep 1\r\n"
    "Folder: 0\r\n"
    "UD 1\r\n"
    "RS 0\r\n"
    "WS 12 1\r\n") +
    std::string("\x00\xAC" "a\x00", 4) + "\r\n" + std::string("N\0a\0n\0u\0m\0", 10);

// The formatted lines of a file with the given FontSize line and tool line, up to and
// including the line end before the strings.
std::string Lines(const std::string& fontSize, const std::string& tool = "3 0") {
    return "FG1 BG2 TX3 pFG4 pBG5\r\nFG: 0 X0 Y0\r\nBG: 0 X0 Y0\r\nTX: 0 X0 Y0\r\n" + fontSize +
           "\r\n\r\nFontStrikeOut 0\r\nFontUnderLine 0\r\n" + tool +
           "\r\nGGap16 GClr0 Cur5 Pnt0 0\r\nFog 0\r\nTranspRep 0\r\nFolder: 0\r\nUD 1\r\nRS 0\r\nWS 0 0\r\n";
}

std::string Utf16Bytes(const std::u16string& text) {
    std::string out;
    for (char16_t c : text) out += std::string{char(c & 0xFF), char(c >> 8)};
    return out;
}

}  // namespace

TEST(SettingsFile, WritesTheLayoutByteForByteAndReadsItBack) {
    TempDir dir;
    ASSERT_TRUE(WriteSettingsFile(dir.Path().string(), Sample()));
    EXPECT_EQ(Bytes(ReadFileBytes(dir.File(kSettingsFileName))), kSampleBytes);

    Settings back;
    back.lastText = u"previous";
    ASSERT_TRUE(ReadSettingsFile(dir.Path().string(), back));
    Settings expected = Sample();
    expected.gridGap = 16;        // stored as its absolute value
    expected.samplesFolder = 0;   // the samples switch is always stored off
    EXPECT_EQ(back, expected);
}

TEST(SettingsFile, FolderLineIsWrittenZeroButReadAsStored) {
    std::string edited = kSampleBytes;
    const size_t at = edited.find("Folder: 0");
    ASSERT_NE(at, std::string::npos);
    edited[at + 8] = '1';
    Settings s;
    DecodeSettings(edited, s);
    EXPECT_EQ(s.samplesFolder, 1);
    EXPECT_NE(EncodeSettings(s).find("\r\nFolder: 0\r\n"), std::string::npos);
}

TEST(SettingsFile, StringsKeepEveryCodeUnitUntranslated) {
    // Code units whose bytes look like line ends or blanks must come back unchanged:
    // the strings are never subject to text-mode translation or blank skipping.
    Settings s;
    s.lastText = std::u16string{0x0020, 0x0A0D, 0xAC0A, 0x000A, 0x000D};
    s.faceName = std::u16string{0x000A, 0x0D0A, 0x0020, 0xD83D, 0xDE00};
    const std::string bytes = EncodeSettings(s);
    const std::string tail = std::string("\r\n" "\x20\x00\x0D\x0A\x0A\xAC\x0A\x00\x0D\x00" "\r\n", 14) +
                             std::string("\x0A\x00\x0A\x0D\x20\x00\x3D\xD8\x00\xDE", 10);
    ASSERT_GE(bytes.size(), tail.size());
    EXPECT_EQ(bytes.substr(bytes.size() - tail.size()), tail);
    Settings back;
    back.lastText.clear();
    back.faceName.clear();
    DecodeSettings(bytes, back);
    EXPECT_EQ(back.lastText, s.lastText);
    EXPECT_EQ(back.faceName, s.faceName);
}

TEST(SettingsFile, ReaderAppliesTheLimits) {
    // Font size 0 -> 2, tool 0 -> 1, a text length of 150 reads 100 characters and the
    // face name (stored length 3) then continues right after them.
    std::u16string text(100, u'x');
    text += u"ABCDEFGHIJKLMNOPQRSTUVWXYZABCDEFGHIJKLMNOPQRSTUVWX";
    ASSERT_EQ(text.size(), 150u);
    Settings s;
    DecodeSettings(Lines("FontSize 0 150 3", "0 1") + Utf16Bytes(text) + "\r\n" + Utf16Bytes(u"QQQ"), s);
    EXPECT_EQ(s.fontSize, 2);
    EXPECT_EQ(s.toolNumber, 1);
    EXPECT_EQ(s.toolGroup, 1);
    EXPECT_EQ(s.lastText, std::u16string(100, u'x'));
    EXPECT_EQ(s.faceName, u"ABC");

    // Negative lengths read nothing; a negative font size becomes 2; a negative tool 1.
    Settings t;
    DecodeSettings(Lines("FontSize -7 -5 -1", "-4 0") + "a\0\r\nb\0"s, t);
    EXPECT_EQ(t.fontSize, 2);
    EXPECT_EQ(t.toolNumber, 1);
    EXPECT_TRUE(t.lastText.empty());
    EXPECT_TRUE(t.faceName.empty());

    // Values inside the limits are kept as stored.
    Settings u;
    DecodeSettings(Lines("FontSize 2 0 0", "1 0"), u);
    EXPECT_EQ(u.fontSize, 2);
    EXPECT_EQ(u.toolNumber, 1);
}

TEST(SettingsFile, WriterCutsStringsToTheReadableLength) {
    Settings s;
    s.lastText = std::u16string(130, u'k');
    s.faceName = u"Face";
    const std::string bytes = EncodeSettings(s);
    EXPECT_NE(bytes.find("FontSize 24 100 4\r\n"), std::string::npos);
    Settings back;
    DecodeSettings(bytes, back);
    EXPECT_EQ(back.lastText, std::u16string(100, u'k'));
    EXPECT_EQ(back.faceName, u"Face");
}

TEST(SettingsFile, MismatchKeepsPreviousValuesLikeScanf) {
    // "BG" is followed by a letter: the first call keeps FG, stops, and every later call
    // stops at the same character, so everything else keeps its previous value, the
    // strings included (their place is unknown).
    Settings s = Sample();
    DecodeSettings("FG12 BGx TX5 pFG6 pBG7\r\nFG: 1 X1 Y1\r\nUD 0\r\nWS 5 5\r\na\0b\0c\0"s, s);
    Settings expected = Sample();
    expected.foreground = 12;
    EXPECT_EQ(s, expected);

    // A mismatch inside a line keeps the values converted before it.
    Settings t;
    DecodeSettings("FG1 BG2 TX3 pFG4 pBG5\r\nFG: 6 X7 Yq", t);
    EXPECT_EQ(t.fgSelector, (ColourSelectorState{6, 7, 0}));
    EXPECT_EQ(t.foreground, 1);
    EXPECT_EQ(t.pBG, 5);

    // A junk line in the middle: the lines before it are read, those after it keep
    // their previous values.
    std::string file = Lines("FontSize 30 0 0");
    file.replace(file.find("FontUnderLine 0"), 15, "FontUnderLine ?");
    Settings u;
    u.updateCheck = 7;
    DecodeSettings(file, u);
    EXPECT_EQ(u.fontSize, 30);
    EXPECT_EQ(u.fontUnderLine, 0);
    EXPECT_EQ(u.toolNumber, 1);
    EXPECT_EQ(u.updateCheck, 7);
    EXPECT_EQ(u.faceName, u"NanumGothic");
}

TEST(SettingsFile, ValuesBeyondThirtyTwoBitsAreHeldAtTheLimit) {
    Settings s;
    DecodeSettings("FG99999999999999999999 BG-99999999999 TX2147483647 pFG-2147483648 pBG0", s);
    EXPECT_EQ(s.foreground, INT32_MAX);
    EXPECT_EQ(s.background, INT32_MIN);
    EXPECT_EQ(s.textColour, INT32_MAX);
    EXPECT_EQ(s.pFG, INT32_MIN);
    EXPECT_EQ(s.pBG, 0);

    Settings g;
    g.gridGap = INT32_MIN;
    Settings back;
    DecodeSettings(EncodeSettings(g), back);
    EXPECT_EQ(back.gridGap, 40);  // 2147483648 is held to the grid's range
}

// The grid spacing was negated as read (INT_MIN overflowed) and the font size had no
// upper bound: the reader holds both to their ranges, keeping the grid's sign.
TEST(SettingsFile, GridSpacingAndFontSizeAreHeldToTheirRanges) {
    Settings s;
    const std::vector<uint8_t> bytes = testing_support::RegressionBytes("settings/ggap-int-min-fontsize-int-max.ini");
    DecodeSettings(std::string(bytes.begin(), bytes.end()), s);
    EXPECT_EQ(s.gridGap, -40);
    EXPECT_EQ(s.fontSize, kSettingsMaxFontSize);
    EXPECT_EQ(s.faceName, u"NanumGothic");  // the rest of the file is read as before
    const struct {
        const char* line;
        int gap;
    } cases[] = {{"GGap0", 4}, {"GGap3", 4}, {"GGap4", 4}, {"GGap40", 40}, {"GGap41", 40}, {"GGap-16", -16},
                 {"GGap-2", -4}, {"GGap2147483647", 40}};
    for (const auto& c : cases) {
        Settings t;
        std::string text = Lines("FontSize 24 0 0", "1 0");
        text.replace(text.find("GGap16"), 6, c.line);
        DecodeSettings(text, t);
        EXPECT_EQ(t.gridGap, c.gap) << c.line;
    }
}

TEST(SettingsFile, OddFilesNeverFail) {
    TempDir dir;
    Settings s;
    EXPECT_FALSE(ReadSettingsFile(dir.Path().string(), s)) << "missing file";
    std::filesystem::create_directory(dir.File(kSettingsFileName));
    EXPECT_FALSE(ReadSettingsFile(dir.Path().string(), s)) << "a folder in its place";
    std::filesystem::remove(dir.File(kSettingsFileName));

    WriteText(dir.File(kSettingsFileName), "");
    Settings empty;
    ASSERT_TRUE(ReadSettingsFile(dir.Path().string(), empty));
    EXPECT_EQ(empty, Settings{}) << "an empty file keeps every value";

    // Every prefix of a real file: the values of the complete lines are read.
    for (size_t n = 0; n <= kSampleBytes.size(); ++n) {
        Settings t;
        t.faceName.clear();
        DecodeSettings(kSampleBytes.substr(0, n), t);
        if (n >= kSampleBytes.find("\r\nFontUnderLine")) {
            EXPECT_EQ(t.fontStrikeOut, 1) << n;
        } else if (n < kSampleBytes.find("FontStrikeOut")) {
            EXPECT_EQ(t.fontStrikeOut, 0) << n;
        }
        EXPECT_LE(t.lastText.size(), 2u);
        EXPECT_LE(t.faceName.size(), 5u);
    }
    Settings cut;
    DecodeSettings(kSampleBytes.substr(0, kSampleBytes.size() - 3), cut);
    EXPECT_EQ(cut.faceName, u"Nan") << "a cut-off string keeps its whole characters";
    EXPECT_EQ(cut.lastText, u"\uAC00a");

    // Binary junk, a formula instead of a random generator.
    std::string junk(5000, '\0');
    for (size_t i = 0; i < junk.size(); ++i) junk[i] = char((i * 7919 + (i >> 3) * 31) & 0xFF);
    Settings j;
    DecodeSettings(junk, j);
    EXPECT_GE(j.fontSize, 2);
    EXPECT_GE(j.toolNumber, 1);
    EXPECT_LE(j.lastText.size(), 100u);
    EXPECT_LE(j.faceName.size(), 100u);

    // Huge lengths in an otherwise fine file.
    Settings h;
    DecodeSettings(Lines("FontSize 20 2147483647 99999999999") + "z\0"s, h);
    EXPECT_EQ(h.lastText, u"z");
    EXPECT_TRUE(h.faceName.empty());
}

TEST(SettingsFile, WriteFailsWithoutTheFolderAndKeepsAnOldFileOnFailure) {
    TempDir dir;
    EXPECT_FALSE(WriteSettingsFile(dir.File("no such folder"), Settings{}));
    ASSERT_TRUE(WriteSettingsFile(dir.Path().string(), Sample()));
    EXPECT_EQ(Bytes(ReadFileBytes(dir.File(kSettingsFileName))), kSampleBytes);
    // Nothing else is left beside it.
    int entries = 0;
    for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(dir.Path())) ++entries;
    EXPECT_EQ(entries, 1);
}

TEST(SettingsFile, InstalledFileHoldsTheDefaults) {
    const std::string folder = TESSARO_APP_DATA_DIR;
    const std::string bytes = Bytes(ReadFileBytes(folder + "/" + kSettingsFileName));
    EXPECT_EQ(bytes, EncodeSettings(Settings{}));
    Settings s;
    s.faceName.clear();
    ASSERT_TRUE(ReadSettingsFile(folder, s));
    EXPECT_EQ(s.foreground, 0);
    EXPECT_EQ(s.background, 0xFFFFFF);
    EXPECT_EQ(s.cursorKind, 5);
    EXPECT_EQ(s.updateCheck, 1);
    EXPECT_EQ(s.gridGap, 16);
    EXPECT_TRUE(s.lastText.empty());
    EXPECT_EQ(s.faceName, u"NanumGothic");
}

// ---------------------------------------------------------------------------

TEST(TranslationTable, ParsesPairsUpToTheSeparators) {
    const TranslationTable t = ParseTranslationTable(
        "\xEF\xBB\xBF수채화~Watercolor|comment\r\n"
        "no separator here\n"
        "흐리게~Blur\n"
        "~empty|\n"
        "a~b~c|d|e\n");
    ASSERT_EQ(t.pairs.size(), 4u);
    EXPECT_EQ(t.pairs[0].first, u"수채화");
    EXPECT_EQ(t.pairs[0].second, u"Watercolor");
    EXPECT_EQ(t.pairs[1].first, u"흐리게");
    EXPECT_EQ(t.pairs[1].second, u"Blur") << "no bar: up to the line end";
    EXPECT_EQ(t.pairs[2].first, u"");
    EXPECT_EQ(t.pairs[2].second, u"empty");
    EXPECT_EQ(t.pairs[3].first, u"a");
    EXPECT_EQ(t.pairs[3].second, u"b~c");
}

TEST(TranslationTable, ReadsCodePage949WhenTheFileIsNotUtf8) {
    // "가~나|" and "수채화~물감|" in code page 949: B0A1 = 가, B3AA = 나, BCF6 C3A4 C8AD = 수채화,
    // B9B0 B0A8 = 물감.
    const TranslationTable t = ParseTranslationTable(
        "\xB0\xA1~\xB3\xAA|\r\n"
        "\xBC\xF6\xC3\xA4\xC8\xAD~\xB9\xB0\xB0\xA8|\r\n");
    ASSERT_EQ(t.pairs.size(), 2u);
    EXPECT_EQ(t.pairs[0].first, u"가");
    EXPECT_EQ(t.pairs[0].second, u"나");
    EXPECT_EQ(t.pairs[1].first, u"수채화");
    EXPECT_EQ(t.pairs[1].second, u"물감");

    // A byte no decoding knows becomes U+FFFD; the rest of the line still counts.
    const TranslationTable bad = ParseTranslationTable("\xFF~\xB0\xA1|\n");
    ASSERT_EQ(bad.pairs.size(), 1u);
    EXPECT_EQ(bad.pairs[0].first, u"\uFFFD");
    EXPECT_EQ(bad.pairs[0].second, u"가");
}

TEST(TranslationTable, LimitsLinesAndTextLengths) {
    std::string many;
    for (int i = 0; i < 250; ++i) many += "k" + std::to_string(i) + "~t" + std::to_string(i) + "|\n";
    const TranslationTable t = ParseTranslationTable(many);
    ASSERT_EQ(t.pairs.size(), 200u);
    EXPECT_EQ(t.pairs[199].first, u"k199");

    // Lines without a pair still count towards the 200.
    std::string sparse(150, '\n');
    sparse += many;
    EXPECT_EQ(ParseTranslationTable(sparse).pairs.size(), 50u);

    const std::string longText(120, 'a');
    const TranslationTable cut = ParseTranslationTable(longText + "~" + longText + "|");
    ASSERT_EQ(cut.pairs.size(), 1u);
    EXPECT_EQ(cut.pairs[0].first, std::u16string(79, u'a'));
    EXPECT_EQ(cut.pairs[0].second, std::u16string(79, u'a'));

    // The cut never leaves half a surrogate pair.
    const TranslationTable emoji = ParseTranslationTable(std::string(78, 'b') + "\xF0\x9F\x98\x80~x|");
    ASSERT_EQ(emoji.pairs.size(), 1u);
    EXPECT_EQ(emoji.pairs[0].first, std::u16string(78, u'b'));
}

TEST(TranslationTable, LoadsFromTheFolder) {
    TempDir dir;
    EXPECT_TRUE(LoadTranslationTable(dir.Path().string()).pairs.empty()) << "missing file";
    WriteText(dir.File(kTranslationFileName), "흐리게~Blur|\r\n");
    const TranslationTable t = LoadTranslationTable(dir.Path().string());
    ASSERT_EQ(t.pairs.size(), 1u);
    EXPECT_EQ(t.pairs[0].second, u"Blur");

    // The installed table parses.
    const TranslationTable installed = LoadTranslationTable(TESSARO_APP_DATA_DIR);
    for (const auto& [korean, translated] : installed.pairs) {
        EXPECT_FALSE(korean.empty());
        EXPECT_LE(translated.size(), 79u);
    }
}
