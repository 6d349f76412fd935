// Calibration: the table of measurement standards kept in "MicroCalib.ini" in the
// program folder, the current calibration that every measured length uses, and the
// calibrated length of a segment. Lengths are in the standard's unit; the unit is a
// label only, nothing is converted between units.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "Status.h"

inline constexpr const char* kCalibrationFile = "MicroCalib.ini";
inline constexpr int kMaxStandards = 30;
inline constexpr int kMaxStandardName = 49;  // characters
inline constexpr int kMaxStandardUnit = 9;

// The unit labels the standards dialog offers, in its order.
inline constexpr const char* kUnitLabels[] = {"pixel", "mm",     "um",    "ums",  "minch",
                                              "minches", "meter", "meters", "yard", "yards"};

// One standard: xPixels pixels across (or yPixels down) make up `length` units.
struct MeasureStandard {
    std::string name;  // one word (white space is stored as '_'), unique in the table
    std::string unit;  // one word
    int32_t xPixels = 0;
    int32_t yPixels = 0;
    float length = 0.0f;
    bool inUse = true;  // false marks a deleted entry until the table is written again
};

struct StandardsTable {
    std::vector<MeasureStandard> standards;  // at most kMaxStandards
    int current = 0;                         // index into `standards`
    int Find(const std::string& name) const;  // -1 when absent
};

// The main frame's current calibration. Until a standard is applied lengths come out in
// pixels.
struct Calibration {
    std::string name = "pixel";
    std::string unit = "pixel";
    int32_t xPixels = 1;
    int32_t yPixels = 1;
    float length = 1.0f;
    bool option = false;  // the standards dialog's check box
};

// sqrt((|x2-x1|/X)^2 + (|y2-y1|/Y)^2) x L in extended precision; -1 when a coordinate is
// negative or the pixel counts cannot give a length (below 1).
double CalibratedLength(int x1, int y1, int x2, int y2, int32_t xPixels, int32_t yPixels, float length);
double CalibratedLength(int x1, int y1, int x2, int y2, const Calibration& calibration);

// The file's text: "\n %d %d" (count, current position among the written standards),
// then "\n %s %s %d %d %.2f" per standard in use; "\n" is CR LF, UTF-8 without a mark.
std::string FormatCalibration(const StandardsTable& table);
// Reads that text into `table` (every entry in use). Strings are bounded to their field
// sizes, at most kMaxStandards entries are taken, a negative or out-of-range current
// index becomes 0, and entries whose values could never measure (pixel counts below 1,
// a length not above 0) are dropped. False, table untouched, when the first line is not
// two numbers.
bool ParseCalibration(const std::string& text, StandardsTable& table);

// The file in `folder`. Reading a missing file changes nothing and is not a failure.
Status ReadCalibration(const std::string& folder, StandardsTable& table);
// Written safely (a temporary file renamed over the old one); a failure is reported.
Status WriteCalibration(const std::string& folder, const StandardsTable& table);

// Copies the current standard into `calibration` (nothing when the table is empty).
void ApplyStandard(const StandardsTable& table, Calibration& calibration);

// The dialog's fields as typed. The name and unit are trimmed, inner white space
// becomes '_' (names are stored as one word), and the values must be numbers: pixel
// counts of at least 1 and a length above 0. A refusal carries its message.
Status StandardFromFields(const std::string& name, const std::string& xPixels, const std::string& yPixels,
                          const std::string& unit, const std::string& length, MeasureStandard& out);
// Save: replaces the values of the standard with the same name, or appends the new
// standard and makes it current (refused when the table already holds kMaxStandards).
Status SaveStandard(StandardsTable& table, const MeasureStandard& standard);
// Delete: the first standard in use becomes current, every standard named `name` is
// marked not in use, and the table is compacted as writing and reading it back would.
void DeleteStandard(StandardsTable& table, const std::string& name);
// Compacts the table to the standards in use, renumbering the current index.
void CompactStandards(StandardsTable& table);
