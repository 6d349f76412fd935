#include "ProcessingOperations.h"

#include "CanvasSize.h"
#include "FaceTransform.h"
#include "Flip.h"
#include "Invert.h"
#include "Rotate.h"
#include "Warp.h"

void AddProcessingOperations(OperationTable& table, const TextRedraw& redrawText) {
    table.Add(InvertOperation());
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
}
