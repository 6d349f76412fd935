#include "ProcessingOperations.h"

#include "FaceTransform.h"
#include "Invert.h"

void AddProcessingOperations(OperationTable& table) {
    table.Add(InvertOperation());
    table.Add(FaceTransformOperation());
}
