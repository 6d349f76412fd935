#include "ProcessingOperations.h"

#include "Invert.h"

void AddProcessingOperations(OperationTable& table) {
    table.Add(InvertOperation());
}
