// The one list of built-in operations: every subsystem's table entries, in the order
// `tessaro-cli ops` lists them. The editor and the batch tool each build one table
// from it at start-up.
#pragma once

#include "Operations.h"

void AddBuiltinOperations(OperationTable& table);
