#include "ProcessingOperations.h"

#include "Effects.h"
#include "Invert.h"

void AddProcessingOperations(OperationTable& table) {
    table.Add(InvertOperation());
    AddEffects(table);
}
