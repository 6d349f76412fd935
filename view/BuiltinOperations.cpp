#include "BuiltinOperations.h"

#include "DocumentOperations.h"
#include "ProcessingOperations.h"
#include "SelectionCommands.h"
#include "TextLayer.h"
#include "TextOperations.h"
#include "ToolRouter.h"

void AddBuiltinOperations(OperationTable& table) {
    AddDocumentOperations(table);
    AddSelectionOperations(table);
    AddProcessingOperations(table, RedrawTextLayer);
    AddTextOperations(table);
    AddToolOperations(table);
}
