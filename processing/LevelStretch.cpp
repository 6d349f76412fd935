#include "LevelStretch.h"

#include "CommandMap.h"
#include "LayerEdit.h"
#include "Messages.h"

ChannelTables LevelStretchTables(LevelLimits limits, int channel) {
    ChannelTables tables = ChannelTables::Identity();
    const LevelTable stretch = StretchTable(limits);
    if (channel == kHistLuminance || channel == kHistRed) tables.red = stretch;
    if (channel == kHistLuminance || channel == kHistGreen) tables.green = stretch;
    if (channel == kHistLuminance || channel == kHistBlue) tables.blue = stretch;
    return tables;
}

Status LevelStretchLayer(COrinDoc& doc, LayerRecord& layer, const OpValues& values) {
    const LevelLimits limits{values[kLevelLow], values[kLevelHigh]};
    if (limits.low >= limits.high) return Status::Fail(msg::kLevelOrder);
    const int channel = values[kLevelChannel];
    const HistogramSet set = LayerHistogram(doc, layer);
    const LevelLimits automatic = AutomaticLimits(set.tables[size_t(channel)], set.pixels);
    if (automatic.low == automatic.high) return Status::Ok();
    return ApplyChannelTables(doc, layer, LevelStretchTables(limits, channel));
}

Operation LevelStretchOperation() {
    Operation op;
    op.id = op.menuId = kCmdHistogram;
    op.key = "levels";
    op.label = "색상조정";
    op.params = {{"low", "", 0, 255, 0},
                 {"high", "", 0, 255, 255},
                 {"channel", "", kHistLuminance, kHistBlue, kHistLuminance}};
    op.change = LevelStretchLayer;
    return LayerOperation(std::move(op));
}
