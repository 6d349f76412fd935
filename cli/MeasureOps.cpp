// The batch tool's measurement operations (the program folder is the current folder):
//   measure:kind=NAME,points=x:y;x:y;...[,text=T]   one object of a stored kind name
//   calibrate:name=,unit=,x=,y=,length=           a standard, made current
//   scale-bar:length=,unit=,corner=,colour=,face=,size=,edit=
//                                                 a scale bar from the current standard
//   export-text    "MicroMeasure.txt"
//   export-csv     "MicroMeasure.csv" (the separators of the user's locale)
//   export-sheet:sheet=N                          the table and the picture into sheet N
//                                                 (from 1) of "Micro.xlsx"
#include "BatchRun.h"
#include "MeasureExport.h"
#include "MeasureState.h"
#include "Messages.h"
#include "ScaleBar.h"
#include "TextOperations.h"
#include "Utf16.h"

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
    ops["scale-bar"] = [](Context& c, const CommandArgs& a) {
        // The values were checked before the run; a key left out takes the default the
        // dialog would offer.
        Operation shape;
        shape.key = "scale-bar";
        shape.params = NamedOpArgs().at("scale-bar");
        OpValues v;
        if (std::string bad = ReadValues(shape, a, v); !bad.empty()) return Status::Fail(bad);
        const Calibration& calibration = Measurement(c.workspace).calibration;
        const LayerRecord* current = c.doc->CurrentLayer();
        if (!current) return Status::Ok();
        const bool edit = v[6] == 1;
        std::optional<ScaleBarSettings> s =
            edit ? ReadScaleBar(*current) : DefaultScaleBar(c.doc->canvas.width, c.doc->canvas.height, calibration);
        if (!s) return Status::Fail(HasCalibration(calibration) ? msg::kNotScaleBar : msg::kNoCalibration);
        if (a.count("length")) s->length = float(v[0] / 1000.0);
        if (a.count("unit")) s->unit = Utf16ToUtf8(v.Text(1));
        if (a.count("corner")) s->corner = v[2];
        if (!edit || a.count("colour")) s->colour = uint32_t(v[3]);
        if (!edit || a.count("face"))
            s->face = UsableFace(*c.doc, a.count("face") ? Utf16ToUtf8(v.Text(4)) : c.workspace.textFace);
        if (a.count("size")) s->size = v[5];
        return PlaceScaleBar(*c.doc, *s, calibration, edit);
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
