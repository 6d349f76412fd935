// The histogram dialog's stretch ("픽셀분포조정", command 2533): levels low..high of the
// chosen table spread over 0..255 (below low 0, above high 255). Channel 0 stretches
// red, green and blue; 1, 2, 3 only red, green or blue. Present pixels inside the
// selection change; nothing changes when the automatic limits of the chosen table
// coincide (a flat picture). low must stay below high.
#pragma once

#include "Histogram.h"
#include "Operations.h"

enum LevelStretchParam : size_t { kLevelLow, kLevelHigh, kLevelChannel };

// The tables of one stretch: the chosen channels through StretchTable, the others unchanged.
ChannelTables LevelStretchTables(LevelLimits limits, int channel);
Status LevelStretchLayer(COrinDoc& doc, LayerRecord& layer, const OpValues& values);
Operation LevelStretchOperation();
