#include "ProcessingOperations.h"

#include "AlphaCommands.h"
#include "AutoColour.h"
#include "BrightnessContrast.h"
#include "CanvasSize.h"
#include "ChannelOffsets.h"
#include "ChannelSplit.h"
#include "ColourDepth.h"
#include "Effects.h"
#include "FaceTransform.h"
#include "Flip.h"
#include "Greyscale.h"
#include "Invert.h"
#include "LevelStretch.h"
#include "Rotate.h"
#include "Warp.h"

void AddProcessingOperations(OperationTable& table, const TextRedraw& redrawText) {
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
    table.Add(FlipHorizontalOperation());
    table.Add(FlipVerticalOperation());
    table.Add(MirrorOperation());
    table.Add(Rotate90CwOperation());
    table.Add(Rotate90CcwOperation());
    table.Add(Rotate180CwOperation());
    table.Add(Rotate180CcwOperation());
    table.Add(FreeRotateOperation());
    table.Add(ResizeOperation(redrawText));
    table.Add(CanvasSizeOperation());
    table.Add(EllipseOperation());
    table.Add(FaceTransformOperation());
    AddEffects(table);
}
