// Export of the measured values: the text file "MicroMeasure.txt", a CSV file of the
// same table as the spreadsheet, and the table and the picture written into a sheet of
// the workbook "Micro.xlsx". All files live in the program folder and are written
// safely; a failed write is reported, never taken for a saved file.
#pragma once

#include <string>
#include <vector>

#include "Document.h"
#include "MeasureObject.h"
#include "Status.h"
#include "Workbook.h"

inline constexpr const char* kMeasureTextFile = "MicroMeasure.txt";
inline constexpr const char* kMeasureCsvFile = "MicroMeasure.csv";
inline constexpr const char* kWorkbookFile = "Micro.xlsx";
inline constexpr const char* kSheetPictureFile = "MicroExcel.jpg";
// The sheets of the workbook that ships beside the program.
inline const std::vector<std::string> kDefaultSheetNames = {"Sheet1", "Sheet2", "Sheet3"};

std::string InFolder(const std::string& folder, const std::string& name);

// Per object "\n %s %.2f %.2f %.2f %.2f": kind name, length, area, angle, radius ("\n"
// is CR LF).
std::string MeasureText(const std::vector<MeasureObject>& objects);
// Writes "MicroMeasure.txt"; on success the status carries the message that says so.
Status ExportText(const std::string& folder, const std::vector<MeasureObject>& objects);

// The table: a header row ("", "항목", "길이", "면적", "각도", "반지름", "지름") and per
// object its number from 0, kind name, length, area, angle, radius and diameter ("%.2f").
std::vector<std::vector<std::string>> MeasureTable(const std::vector<MeasureObject>& objects, char decimal = '.');

// Comma-decimal locales read ';' between fields and ',' in numbers.
struct CsvStyle {
    char separator = ',';
    char decimal = '.';
};
CsvStyle CsvStyleFor(char decimalMark);
// The decimal mark of the user's locale (the environment's), '.' when it cannot be told.
char UserDecimalMark();
// UTF-8 with a byte-order mark (so that spreadsheet programs take it as UTF-8), CR LF.
std::string MeasureCsv(const std::vector<MeasureObject>& objects, CsvStyle style);
Status ExportCsv(const std::string& folder, const std::vector<MeasureObject>& objects, CsvStyle style);

// Opens "Micro.xlsx" of the folder; a missing or unreadable workbook fails with
// "Excel 버전을 확인하십시요.".
Status OpenMeasureWorkbook(const std::string& folder, Workbook& workbook);

struct SheetExport {
    int pictureRow = 0;  // the row of column A where the picture was put
    int nextRow = 0;     // the row a following picture would take
};
// Writes the table from "A1" of sheet `sheet` (from 1), saves the picture as
// "MicroExcel.jpg" (the document keeps its own name and state), makes the sheet active,
// selects "F15", inserts the picture in column A below the table and writes the
// workbook back. Nothing is written unless every step succeeded.
Status ExportToWorkbook(COrinDoc& doc, const std::vector<MeasureObject>& objects, const std::string& folder,
                        Workbook& workbook, int sheet, SheetExport* placed = nullptr);
