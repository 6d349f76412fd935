#include "HistoryTexts.h"

#include <algorithm>
#include <cstdio>

#include "Document.h"
#include "History.h"
#include "Utf16.h"

namespace {

std::u16string PadLeft(const std::u16string& text, size_t width) {
    return text.size() >= width ? text : std::u16string(width - text.size(), u' ') + text;
}

}  // namespace

std::vector<std::string> HistoryRows(const COrinDoc& doc) {
    const History& h = doc.history;
    if (h.position < 0) return {"   0  (처음상태)"};
    std::vector<std::string> rows;
    for (int k = h.position; k >= 0; --k) {
        const HistoryEntry& e = h.entries[size_t(k)];
        char number[16];
        std::snprintf(number, sizeof number, "%3d ", k);
        std::u16string colours;
        if (e.canvas.paletteCount != 0) colours = Utf8ToUtf16(std::to_string(e.canvas.paletteCount) + " 칼라");
        const std::u16string shown = Utf16ToUtf8(e.label) == label::kOpening ? Utf8ToUtf16("(처음영상)") : e.label;
        rows.push_back(number + Utf16ToUtf8(PadLeft(colours, 4) + u" " + PadLeft(shown, 13)));
    }
    return rows;
}

std::vector<std::string> RedoRows(const COrinDoc& doc) {
    const History& h = doc.history;
    std::vector<std::string> rows;
    for (int k = std::min(h.top, History::kPositions - 1); k > h.position && h.position >= 0; --k) {
        char number[16];
        std::snprintf(number, sizeof number, "%3d ", k);
        rows.push_back(number + Utf16ToUtf8(h.entries[size_t(k)].label));
    }
    return rows;
}

std::string RedoTitleText(const COrinDoc& doc) {
    const History& h = doc.history;
    char head[64];
    std::snprintf(head, sizeof head, "REDO : 언두리스트(Top %d)", h.position);
    std::string text = head;
    for (int i = 0; i <= h.position && i < History::kPositions; ++i) {
        char item[16];
        std::snprintf(item, sizeof item, " (%d) ", i);
        text += item + Utf16ToUtf8(h.entries[size_t(i)].label);
    }
    return text;
}
