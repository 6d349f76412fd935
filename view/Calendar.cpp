#include "Calendar.h"

#include <algorithm>
#include <cstdio>

#include "EditSteps.h"
#include "History.h"
#include "LayerModel.h"
#include "LayerOps.h"
#include "Messages.h"
#include "PaintPrimitives.h"
#include "TextRenderer.h"
#include "Utf16.h"

namespace {

std::u16string Format(const char* pattern, int a, int b = 0) {
    char text[64];
    std::snprintf(text, sizeof text, pattern, a, b);
    return Utf8ToUtf16(text);
}

Status RangeRefusal(int lo, int hi) {
    char text[96];
    std::snprintf(text, sizeof text, msg::kIntegerRange, lo, hi);
    return Status::Fail(text);
}

}  // namespace

bool IsLeapYear(int year) { return year % 4 == 0 && (year % 100 != 0 || year % 400 == 0); }

int MonthLength(int year, int month) {
    static constexpr int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month < 1 || month > 12) return 0;
    return month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
}

int FirstWeekday(int year, int month) {
    // 1 January of year y falls (y - 1) x 365 days plus the leap days before it after
    // 1 January of the year 1, a Monday. 365 = 1 (mod 7), so each year moves a day on.
    const long long y = year - 1;
    const long long leapDays = y / 4 - y / 100 + y / 400;
    long long days = y + leapDays;  // weekday shift from the year 1
    for (int m = 1; m < month && m <= 12; ++m) days += MonthLength(year, m);
    const long long w = (1 + days) % 7;  // 1 January of the year 1 is weekday 1
    return int(w < 0 ? w + 7 : w);
}

std::u16string CalendarPreviewText(int year, int month) {
    std::u16string text = Format("\r\n        %4d년 %2d월 \r\n", year, month);
    text += u"\r\n    일 월 화 수 목 금 토\r\n";
    text += u"  ";
    const int first = FirstWeekday(year, month);
    for (int i = 0; i < first; ++i) text += u"   ";
    const int days = MonthLength(year, month);
    for (int d = 1; d <= days; ++d) {
        text += Format("%3d", d);
        if ((first + d) % 7 == 0) text += u"\r\n  ";
    }
    return text;
}

int CalendarDrawSize(int chosen) { return chosen < 2 ? 10 : chosen + 8; }

Status CheckCalendar(const CalendarSettings& s) {
    if (s.year < 1 || s.year > kMaxCalendarYear) return RangeRefusal(1, kMaxCalendarYear);
    if (s.month < 1 || s.month > 12) return RangeRefusal(1, 12);
    return Status::Ok();
}

Status DrawCalendar(COrinDoc& doc, const CalendarSettings& s) {
    if (Status c = CheckCalendar(s); !c) return c;
    if (!doc.CurrentLayer()) return Status::Ok();
    TextFont font;
    font.face = s.face;
    font.size = CalendarDrawSize(s.size);
    font.bold = (s.style & 2) != 0;
    font.italic = (s.style & 1) != 0;
    const int size = font.size, pitch = size + size / 4;
    const int first = FirstWeekday(s.year, s.month), days = MonthLength(s.year, s.month);

    // The layer holds the preview's block from the centre, and every cell drawn: the
    // day names and the days are laid out by the pitch, not by the preview's spaces.
    const TextBlock block = MeasureText(CalendarPreviewText(s.year, s.month), font);
    const int rows = 2 + (first + days + 6) / 7;
    const int cx = doc.canvas.width / 2, cy = doc.canvas.height / 2;
    const int width = std::max({doc.canvas.width, cx + block.width, cx + 7 * pitch});
    const int height = std::max({doc.canvas.height, cy + block.height, cy + rows * pitch});

    // Every string first, so that a missing font adds no layer.
    struct Cell {
        std::u16string text;
        int x, y;
    };
    std::vector<Cell> cells;
    int y = cy;
    cells.push_back({Format("%d년 %d월", s.year, s.month), cx, y});
    y += pitch;
    static const char16_t* const kDayNames[7] = {u"일", u"월", u"화", u"수", u"목", u"금", u"토"};
    for (int i = 0; i < 7; ++i) cells.push_back({kDayNames[i], cx + i * pitch, y});
    y += pitch;
    int x = cx + pitch * first, count = first;
    for (int d = 1; d <= days; ++d) {
        cells.push_back({Format("%d", d), d <= 9 ? x + pitch / 4 : x, y});
        if (++count % 7 == 0) {
            y += pitch;
            x = cx;
        } else {
            x += pitch;
        }
    }
    std::vector<RenderedText> rendered(cells.size());
    for (size_t i = 0; i < cells.size(); ++i)
        if (Status r = RenderText(cells[i].text, font, rendered[i]); !r) return r;

    int slot = -1;
    // A layer taller than the canvas reaches below it: its top row is the canvas's.
    NewLayerPlace place{width, height, 0, height - doc.canvas.height, kLayerRaster};
    if (Status r = InsertLayerAbove(doc, place, slot); !r) return r;
    LayerRecord& layer = doc.layers[slot];
    layer.name = Format(" [달력]%2d월", s.month);
    layer.colour = ((s.colour & 0xFF) << 16) | (s.colour & 0xFF00) | ((s.colour >> 16) & 0xFF);
    for (size_t i = 0; i < cells.size(); ++i) PutText(doc, layer, rendered[i], s.colour, cells[i].x, cells[i].y);
    MarkLayerChanged(doc);
    return Status::Ok();
}

Status InsertCalendar(COrinDoc& doc, const CalendarSettings& s) {
    if (Status d = DrawCalendar(doc, s); !d) return d;
    RecordStep(doc, label::kCalendar, kStepAdd);
    return Status::Ok();
}

void BeginCalendar(COrinDoc& doc) {
    RestoreWorkingCopy(doc);
    SaveToStore(doc, doc.working2, doc.layers.current);
}

void CancelCalendar(COrinDoc& doc) {
    RestoreWorkingCopy(doc);
    MarkLayerChanged(doc);
}
