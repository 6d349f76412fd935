// The batch tool's measurement operations (the program folder is the current folder):
//   measure:kind=NAME,points=x:y;x:y;...[,text=T]   one object of a stored kind name
//   calibrate:name=,unit=,x=,y=,length=           a standard, made current
//   export-text    "MicroMeasure.txt"
//   export-csv     "MicroMeasure.csv" (the separators of the user's locale)
//   export-sheet:sheet=N                          the table and the picture into sheet N
//                                                 (from 1) of "Micro.xlsx"
#include "BatchRun.h"
#include "MeasureExport.h"
#include "MeasureState.h"
#include "Messages.h"

namespace batch {
namespace {

std::string Arg(const CommandArgs& a, const char* key) {
    auto it = a.find(key);
    return it == a.end() ? std::string() : it->second;
}

}  // namespace

void RegisterMeasureOps(std::map<std::string, NamedOp>& ops) {
    ops["measure"] = [](Context& c, const CommandArgs& a) {
        MeasureState& m = Measures(*c.doc);
        Status s = AddMeasurement(*c.doc, m.sheet, Measurement(c.workspace).calibration, Arg(a, "kind"),
                                  Arg(a, "points"), Arg(a, "text"));
        if (s) m.changed = true;
        return s;
    };
    ops["calibrate"] = [](Context& c, const CommandArgs& a) {
        Status s = Calibrate(Measurement(c.workspace), Arg(a, "name"), Arg(a, "unit"), Arg(a, "x"), Arg(a, "y"),
                             Arg(a, "length"));
        if (s) RedrawMeasurements(*c.doc);
        return s;
    };
    ops["export-text"] = [](Context& c, const CommandArgs&) {
        const Status s = ExportText(Measurement(c.workspace).folder, Measures(*c.doc).sheet.Objects());
        return s ? Status::Ok() : s;
    };
    ops["export-csv"] = [](Context& c, const CommandArgs&) {
        const Status s =
            ExportCsv(Measurement(c.workspace).folder, Measures(*c.doc).sheet.Objects(), CsvStyleFor(UserDecimalMark()));
        return s ? Status::Ok() : s;
    };
    ops["export-sheet"] = [](Context& c, const CommandArgs& a) {
        const std::string& folder = Measurement(c.workspace).folder;
        Workbook workbook;
        if (Status s = OpenMeasureWorkbook(folder, workbook); !s) return s;
        return ExportToWorkbook(*c.doc, Measures(*c.doc).sheet.Objects(), folder, workbook, ArgInt(a, "sheet", 1));
    };
}

}  // namespace batch
