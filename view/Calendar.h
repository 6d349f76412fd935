// The month calendar: weekdays and month lengths of the proleptic Gregorian calendar
// for the years 1 to 9999, the preview text the dialog shows, and the calendar layer
// drawn with the text renderer at the canvas centre.
#pragma once

#include <string>

#include "Document.h"
#include "Status.h"

inline constexpr int kMaxCalendarYear = 9999;

namespace label {
inline constexpr const char* kCalendar = "[달력]";
}

bool IsLeapYear(int year);
// Days of `month` (1..12) of `year`.
int MonthLength(int year, int month);
// Weekday of the month's first day: 0 Sunday .. 6 Saturday (1 January 1995 is a Sunday).
int FirstWeekday(int year, int month);
// The text the dialog shows: the title line, the day names and the days in rows of seven.
std::u16string CalendarPreviewText(int year, int month);

struct CalendarSettings {
    int year = 2024;
    int month = 1;
    std::string face = "NanumGothic";
    int size = 12;  // the dialog's number (2..120); text is drawn at size + 8
    int style = 0;  // "Regular", "Italic", "Bold", "Bold Italic"
    uint32_t colour = 0;  // red in the low byte
};
// The pixel size the calendar is drawn at: the chosen size plus 8, and 10 for a size
// below 2.
int CalendarDrawSize(int chosen);
// The refusal for a year outside 1..9999 or a month outside 1..12; Ok otherwise.
Status CheckCalendar(const CalendarSettings& settings);

// Adds the calendar layer " [달력]%2d월" above the current layer and draws the
// month into it at the canvas centre; records no step.
Status DrawCalendar(COrinDoc& doc, const CalendarSettings& settings);
// The dialog's OK: draws the calendar and records "[달력]" (a layer was added).
Status InsertCalendar(COrinDoc& doc, const CalendarSettings& settings);

// The command's start: the current layer back from its working copy and saved into the
// second working copy, the outline timer stopped. Cancel: the layer back again.
void BeginCalendar(COrinDoc& doc);
void CancelCalendar(COrinDoc& doc);
