#include "AutoColour.h"

#include "CommandMap.h"
#include "LayerEdit.h"
#include "Messages.h"

ChannelTables AutoColourTables(const HistogramSet& set) {
    ChannelTables tables = ChannelTables::Identity();
    const LevelLimits lum = AutomaticLimits(set.tables[kHistLuminance], set.pixels);
    if (lum.low == lum.high) return tables;
    tables.red = StretchTable(AutomaticLimits(set.tables[kHistRed], set.pixels));
    tables.green = StretchTable(AutomaticLimits(set.tables[kHistGreen], set.pixels));
    tables.blue = StretchTable(AutomaticLimits(set.tables[kHistBlue], set.pixels));
    return tables;
}

Status AutoColourLayer(COrinDoc& doc, LayerRecord& layer, const OpValues&) {
    const ChannelTables tables = AutoColourTables(LayerHistogram(doc, layer));
    const ChannelTables same = ChannelTables::Identity();
    if (tables.red == same.red && tables.green == same.green && tables.blue == same.blue) return Status::Ok();
    return ApplyChannelTables(doc, layer, tables, false);
}

Operation AutoColourOperation() {
    Operation op;
    op.id = op.menuId = kCmdAutoColour;
    op.key = "auto-colour";
    op.label = "자동 색상 조정";
    op.change = AutoColourLayer;
    op = LayerOperation(std::move(op));
    op.run = [run = op.run](COrinDoc& doc, const OpValues& values) {
        const Status s = run(doc, values);
        if (s) doc.workspace.Message(msg::kAutoColourDone);
        return s;
    };
    return op;
}
