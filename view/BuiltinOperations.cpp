#include "BuiltinOperations.h"

#include "DocumentOperations.h"
#include "ProcessingOperations.h"
#include "SelectionCommands.h"
#include "TextOperations.h"
#include "ToolRouter.h"

void AddBuiltinOperations(OperationTable& table) {
    AddDocumentOperations(table);
    AddSelectionOperations(table);
    AddProcessingOperations(table);
    AddTextOperations(table);
    AddToolOperations(table);
}
