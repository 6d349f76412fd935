#include "MeasureCommands.h"

#include <cstdio>

#include "MeasureText.h"
#include "MeasureTools.h"
#include "Messages.h"

namespace {
std::string Formatted(const char* pattern, const std::string& value) {
    char text[512];
    std::snprintf(text, sizeof text, pattern, value.c_str());
    return text;
}
}  // namespace

void MeasureSettings::Load() {
    ReadCalibration(folder, standards);
    ApplyStandard(standards, calibration);
}

Status AddMeasurement(COrinDoc& doc, MeasureSheet& sheet, const Calibration& calibration, const std::string& kind,
                      const std::string& points, const std::string& text) {
    const auto k = KindFromName(kind);
    if (!k) return Status::Fail(Formatted(msg::kUnknownKind, kind));
    const auto p = ParsePoints(points);
    if (!p) return Status::Fail(Formatted(msg::kBadPoints, points));
    auto object = MakeObject(*k, *p, text);
    if (!object) return Status::Fail(Formatted(msg::kBadPoints, points));
    ComputeValues(*object, calibration, doc.canvas.width, doc.canvas.height);
    sheet.Add(std::move(*object));
    return Status::Ok();
}

Status Calibrate(MeasureSettings& settings, const std::string& name, const std::string& unit, const std::string& x,
                 const std::string& y, const std::string& length) {
    MeasureStandard standard;
    if (Status s = StandardFromFields(name, x, y, unit, length, standard); !s) return s;
    StandardsTable table = settings.standards;
    if (Status s = SaveStandard(table, standard); !s) return s;
    table.current = table.Find(standard.name);
    if (Status s = WriteCalibration(settings.folder, table); !s) return s;
    settings.standards = std::move(table);
    ApplyStandard(settings.standards, settings.calibration);
    return Status::Ok();
}

std::string MeasureListing(const MeasureSheet& sheet) {
    std::string out = "objects " + std::to_string(sheet.Count()) + "\n";
    for (size_t i = 0; i < sheet.Count(); ++i) {
        const MeasureObject& o = sheet.Objects()[i];
        out += "object " + std::to_string(i) + " kind=" + KindName(o.kind) + " points=" + FormatPoints(o.points);
        for (size_t v = 0; v < o.values.size(); ++v)
            out += " v" + std::to_string(v + 1) + "=" + measuretext::Shortest(o.values[v]);
        if (o.kind == MeasureKind::Text) out += " text=" + o.text;
        out += "\n";
    }
    return out;
}
