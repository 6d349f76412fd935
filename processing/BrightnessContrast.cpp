#include "BrightnessContrast.h"

#include <algorithm>
#include <cstdio>

#include "CommandMap.h"
#include "LayerEdit.h"
#include "Messages.h"

LevelTable BrightnessContrastTable(int brightness, int contrast) {
    const float q = float(255 + contrast) / 255.0f;
    LevelTable table;
    for (int v = 0; v < 256; ++v) {
        const float t = float(brightness) + float(v - 128) * q + 128.0f;
        table[size_t(v)] = uint8_t(std::clamp(int(t), 0, 255));
    }
    return table;
}

Status BrightnessContrastLayer(COrinDoc& doc, LayerRecord& layer, const OpValues& values) {
    if (values[kBcBrightness] == 0 && values[kBcContrast] == 0) return Status::Ok();
    ChannelTables tables;
    tables.red = tables.green = tables.blue = BrightnessContrastTable(values[kBcBrightness], values[kBcContrast]);
    return ApplyChannelTables(doc, layer, tables);
}

Operation BrightnessContrastOperation() {
    Operation op;
    op.id = op.menuId = kCmdBrightness;
    op.key = "brightness-contrast";
    op.label = "명도·대비 조절";
    op.params = {{"b", "명도", -255, 255, 0}, {"c", "대비", -255, 255, 0}};
    op.change = BrightnessContrastLayer;
    return LayerOperation(std::move(op));
}

Status DarkImageCheck(COrinDoc& doc, LayerRecord& layer) {
    const int grey = MeanGrey(doc, layer);
    if (grey < 130) {
        char text[64];
        std::snprintf(text, sizeof text, msg::kTooDark, grey);
        return Status::Fail(text);
    }
    OpValues values;
    values.numbers = {250 - grey, 128};
    return BrightnessContrastLayer(doc, layer, values);
}
