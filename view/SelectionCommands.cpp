#include "SelectionCommands.h"

#include "CommandMap.h"
#include "Selection.h"

void RegisterSelectionCommands(CommandRegistry& registry) {
    registry.Add(kCmdInvertSelection, [](COrinDoc& doc, const CommandArgs&) { return InvertSelection(doc); });
    registry.Add(kCmdReleaseSelection, [](COrinDoc& doc, const CommandArgs&) { return ReleaseCommand(doc); });
}
