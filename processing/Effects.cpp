#include "Effects.h"

void AddEffects(OperationTable& table) {
    AddBinaryImage(table);
    AddMorphology(table);
    AddBoxSmoothing(table);
    AddKernelEffects(table);
    AddStrokeEffects(table);
    AddLensEffects(table);
    AddWatercolour(table);
    AddMulberryPaper(table);
    AddRaindrops(table);
    AddFrostedGlass(table);
    AddNoiseRemoval(table);
    AddEdgeEmphasis(table);
    AddRegionExpansion(table);
    AddBubbleColouring(table);
    AddOilPainting(table);
    AddDalmatian(table);
}
