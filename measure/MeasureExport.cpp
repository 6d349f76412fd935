#include "MeasureExport.h"

#include <cmath>
#include <cstdio>
#include <locale>

#include "ByteStream.h"
#include "MeasureText.h"
#include "Messages.h"
#include "OpenSave.h"
#include "SafeFile.h"

using measuretext::Fixed2;

namespace {

Status WriteWhole(const std::string& path, const std::string& text, const char* failure) {
    SafeFile file;
    if (!file.Open(path) || !file.Stream().WriteAll(text.data(), text.size()) || !file.Commit())
        return Status::Fail(failure);
    return Status::Ok();
}

std::string Formatted(const char* pattern, int value) {
    char line[256];
    std::snprintf(line, sizeof line, pattern, value);
    return line;
}

// The diameter of a circle from its radius; the error value stays the error value.
float Diameter(const MeasureObject& o) {
    const float r = o.values[kValueCircle];
    return r < 0 ? -1.0f : 2.0f * r;
}

}  // namespace

std::string InFolder(const std::string& folder, const std::string& name) {
    if (folder.empty()) return name;
    return folder.back() == '/' ? folder + name : folder + "/" + name;
}

std::string MeasureText(const std::vector<MeasureObject>& objects) {
    std::string text;
    for (const MeasureObject& o : objects) {
        text += "\r\n " + std::string(KindName(o.kind)) + " " + Fixed2(o.values[kValueLength]) + " " +
                Fixed2(o.values[kValueArea]) + " " + Fixed2(o.values[kValueAngle]) + " " + Fixed2(o.values[kValueRadius]);
    }
    return text;
}

Status ExportText(const std::string& folder, const std::vector<MeasureObject>& objects) {
    if (Status s = WriteWhole(InFolder(folder, kMeasureTextFile), MeasureText(objects), msg::kTextNotSaved); !s) return s;
    return Status{true, msg::kTextSaved};
}

std::vector<std::vector<std::string>> MeasureTable(const std::vector<MeasureObject>& objects, char decimal) {
    std::vector<std::vector<std::string>> table;
    table.push_back({"", "항목", "길이", "면적", "각도", "반지름", "지름"});
    for (size_t n = 0; n < objects.size(); ++n) {
        const MeasureObject& o = objects[n];
        table.push_back({std::to_string(n), KindName(o.kind), Fixed2(o.values[kValueLength], decimal),
                         Fixed2(o.values[kValueArea], decimal), Fixed2(o.values[kValueAngle], decimal),
                         Fixed2(o.values[kValueRadius], decimal), Fixed2(Diameter(o), decimal)});
    }
    return table;
}

CsvStyle CsvStyleFor(char decimalMark) {
    return decimalMark == ',' ? CsvStyle{';', ','} : CsvStyle{',', '.'};
}

char UserDecimalMark() {
    try {
        return std::use_facet<std::numpunct<char>>(std::locale("")).decimal_point();
    } catch (const std::exception&) {
        return '.';
    }
}

std::string MeasureCsv(const std::vector<MeasureObject>& objects, CsvStyle style) {
    std::string text = "\xEF\xBB\xBF";
    for (const auto& row : MeasureTable(objects, style.decimal)) {
        for (size_t i = 0; i < row.size(); ++i) {
            if (i) text += style.separator;
            const std::string& field = row[i];
            if (field.find_first_of(std::string("\"\r\n") + style.separator) == std::string::npos) {
                text += field;
                continue;
            }
            text += '"';
            for (char c : field) text += c == '"' ? std::string("\"\"") : std::string(1, c);
            text += '"';
        }
        text += "\r\n";
    }
    return text;
}

Status ExportCsv(const std::string& folder, const std::vector<MeasureObject>& objects, CsvStyle style) {
    if (Status s = WriteWhole(InFolder(folder, kMeasureCsvFile), MeasureCsv(objects, style), msg::kCsvNotSaved); !s)
        return s;
    return Status{true, msg::kCsvSaved};
}

Status OpenMeasureWorkbook(const std::string& folder, Workbook& workbook) {
    if (!workbook.Open(InFolder(folder, kWorkbookFile))) return Status::Fail(msg::kExcelVersion);
    return Status::Ok();
}

Status ExportToWorkbook(COrinDoc& doc, const std::vector<MeasureObject>& objects, const std::string& folder,
                        Workbook& workbook, int sheet, SheetExport* placed) {
    if (doc.IsEmpty()) return Status::Fail(msg::kSaveFailed);
    if (sheet < 1 || sheet > workbook.SheetCount()) return Status::Fail(Formatted(msg::kSheetNumber, sheet));
    const auto table = MeasureTable(objects);
    if (Status s = workbook.SetRange(sheet, "A1", table); !s) return s;

    // The picture is the document saved as a JPEG file; the document keeps its name,
    // path and changed state (it is not renamed to the exported file).
    const std::string picturePath = InFolder(folder, kSheetPictureFile);
    const std::string path = doc.path, fileName = doc.fileName;
    const bool changed = doc.changed;
    Status saved = SaveDocument(doc, picturePath);
    doc.path = path;
    doc.fileName = fileName;
    doc.changed = changed;
    if (!saved) return saved;
    std::string jpeg;
    {
        FileStream in;
        const int64_t size = in.Open(picturePath, "rb") ? in.Size() : -1;
        if (size <= 0) return Status::Fail(msg::kSaveFailed);
        jpeg.resize(size_t(size));
        if (!in.ReadExact(jpeg.data(), jpeg.size())) return Status::Fail(msg::kSaveFailed);
    }

    // The sheet that receives the table receives the picture: it becomes the active one.
    SheetExport where;
    where.pictureRow = int(table.size()) + 2;  // one empty row under the table
    const double rows = std::ceil(doc.canvas.height * 0.75 / workbook.RowHeight(sheet));
    where.nextRow = where.pictureRow + int(std::max(1.0, rows));
    if (Status s = workbook.Activate(sheet); !s) return s;
    if (Status s = workbook.Select(sheet, "F15"); !s) return s;
    if (Status s = workbook.InsertPicture(sheet, CellName(where.pictureRow, 1), jpeg, doc.canvas.width, doc.canvas.height);
        !s)
        return s;
    if (Status s = workbook.Save(InFolder(folder, kWorkbookFile), doc.workspace.durableSaves); !s) return s;
    if (placed) *placed = where;
    return Status::Ok();
}
