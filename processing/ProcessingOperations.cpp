#include "ProcessingOperations.h"

#include "AutoColour.h"
#include "BrightnessContrast.h"
#include "ChannelOffsets.h"
#include "ChannelSplit.h"
#include "Invert.h"
#include "LevelStretch.h"

void AddProcessingOperations(OperationTable& table) {
    table.Add(BrightnessContrastOperation());
    table.Add(ChannelOffsetsOperation());
    table.Add(LevelStretchOperation());
    table.Add(AutoColourOperation());
    table.Add(InvertOperation());
    table.Add(ChannelSplitOperation(ChannelModel::kRgb));
    table.Add(ChannelSplitOperation(ChannelModel::kYuv));
    table.Add(ChannelSplitOperation(ChannelModel::kHsl));
}
