// A small spreadsheet layer over an Office Open XML workbook (".xlsx"): the package is
// read with libzip, its XML parts edited with pugixml, and written back as a whole. It
// offers the calls the measurement export makes: the sheets and one sheet by number,
// a range by address resized and set from a table of texts, the active sheet, a
// selection, inserting a picture at a cell, and a row's height. Every part and cell it
// does not touch is kept as it was.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "Status.h"

namespace pugi {
class xml_document;
}

struct CellRef {
    int row = 1;     // from 1
    int column = 1;  // from 1 (A)
};
// "A1", "F15", "$B$2" -> row and column; false when it is no cell address.
bool ParseCellRef(const std::string& address, CellRef& cell);
std::string CellName(int row, int column);

class Workbook {
public:
    Workbook();
    ~Workbook();
    Workbook(const Workbook&) = delete;
    Workbook& operator=(const Workbook&) = delete;

    // Reads the package; a missing, damaged or unrecognised file fails (text empty: the
    // caller says what it means). Parts are bounded in count and size.
    Status Open(const std::string& path);
    // A new workbook of empty sheets with these names.
    void CreateNew(const std::vector<std::string>& sheetNames);

    std::vector<std::string> SheetNames() const;
    int SheetCount() const { return int(m_sheets.size()); }

    // The range starting at `address` resized to the table's rows and the widest row's
    // columns, set from the texts: a text that is a number becomes a number cell, other
    // text a string cell, an empty text leaves the cell without a value. Cell styles stay.
    Status SetRange(int sheet, const std::string& address, const std::vector<std::vector<std::string>>& texts);
    // The sheet becomes the workbook's active (and selected) sheet.
    Status Activate(int sheet);
    // The sheet's selection becomes the cell at `address`.
    Status Select(int sheet, const std::string& address);
    // The sheet's default row height in points.
    double RowHeight(int sheet);
    // Inserts a JPEG picture of width x height pixels with its top-left corner at the
    // top-left of `address`.
    Status InsertPicture(int sheet, const std::string& address, const std::string& jpegBytes, int width, int height);

    // The whole package, as the bytes of a zip file.
    Status Serialise(std::string& bytes);
    // Written safely: the old file stays unless the whole file was written.
    Status Save(const std::string& path, bool durable = true);

    // A cell's stored text (the number as written, a string's text); empty when none.
    std::string CellText(int sheet, const std::string& address);

private:
    struct Sheet {
        std::string name;
        std::string part;  // "xl/worksheets/sheet1.xml"
    };
    pugi::xml_document* Xml(const std::string& part);
    void Clear();
    Status Load();
    std::string NewPartName(const std::string& stem, const std::string& extension) const;
    std::string AddRelationship(const std::string& part, const std::string& type, const std::string& target);
    void AddContentType(const std::string& part, const std::string& type);
    void AddDefaultContentType(const std::string& extension, const std::string& type);
    std::string ResolveTarget(const std::string& part, const std::string& target) const;
    int TwoDecimalStyle();  // cell style index of "0.00", 0 when there is none to add to
    bool ValidSheet(int sheet) const { return sheet >= 1 && sheet <= int(m_sheets.size()); }

    std::vector<std::string> m_order;             // part names in package order
    std::map<std::string, std::string> m_parts;   // name -> bytes, unparsed parts
    std::map<std::string, std::unique_ptr<pugi::xml_document>> m_xml;  // parsed (and maybe changed) parts
    std::string m_workbookPart;
    std::vector<Sheet> m_sheets;
    bool m_removedFormula = false;
    int m_twoDecimalStyle = -1;
};
