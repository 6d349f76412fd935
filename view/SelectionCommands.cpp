#include "SelectionCommands.h"

#include "CommandMap.h"
#include "Selection.h"

void AddSelectionOperations(OperationTable& table) {
    Operation invert;
    invert.id = invert.menuId = kCmdInvertSelection;
    invert.key = "invert-selection";
    invert.label = "선택반전";
    invert.run = [](COrinDoc& doc, const OpValues&) { return InvertSelection(doc); };
    table.Add(std::move(invert));
    Operation release;
    release.id = release.menuId = kCmdReleaseSelection;
    release.key = "deselect";
    release.label = "선택/명령 해제";
    release.run = [](COrinDoc& doc, const OpValues&) { return ReleaseCommand(doc); };
    table.Add(std::move(release));
}
