// The selection commands that act on a document: invert (2055) and release (2058).
#pragma once

#include "Operations.h"

void AddSelectionOperations(OperationTable& table);
