#include "ProcessingOperations.h"

#include "AlphaCommands.h"
#include "AutoColour.h"
#include "BrightnessContrast.h"
#include "ChannelOffsets.h"
#include "ChannelSplit.h"
#include "ColourDepth.h"
#include "Effects.h"
#include "FaceTransform.h"
#include "Greyscale.h"
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
    table.Add(GreyscaleOperation());
    table.Add(RgbColourOperation());
    table.Add(EightBitColourOperation());
    table.Add(FourBitOperation(true));
    table.Add(FourBitOperation(false));
    for (Operation& op : AlphaOperations()) table.Add(std::move(op));
    table.Add(FaceTransformOperation());
    AddEffects(table);
}
