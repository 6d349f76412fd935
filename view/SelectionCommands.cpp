#include "SelectionCommands.h"

#include "ClipboardOps.h"
#include "CommandMap.h"
#include "EditSteps.h"
#include "LayerEdit.h"
#include "PaintPrimitives.h"
#include "Selection.h"

Status SelectWholeLayer(COrinDoc& doc) {
    if (Status s = RefuseTextLayer(doc); !s) return s;
    if (!doc.layers.IsCurrentValid()) return Status::Ok();
    ReleaseSelection(doc);
    RefitMask(doc);
    const LayerRecord& layer = *doc.CurrentLayer();
    SelectionMask& m = doc.selection;
    m.rect[0] = m.rect[1] = 0;
    m.rect[2] = layer.width - 1;
    m.rect[3] = layer.height - 1;
    FillRectMask(doc);
    m.shown = true;
    return Status::Ok();
}

Status ClearSelected(COrinDoc& doc) {
    const bool bottom = doc.layers.current == doc.layers.bottom;
    const uint32_t background = doc.workspace.background;
    return EditCurrentLayer(doc, {kClearSelectedLabel}, [&](LayerRecord& layer, RowSpan&) {
        const SelectionMask& m = doc.selection;
        for (int y = 0; y < layer.height; ++y)
            for (int x = 0; x < layer.width; ++x) {
                if (m.shown && !m.At(x, y)) continue;
                uint8_t& alpha = layer.alpha[size_t(y) * size_t(layer.width) + size_t(x)];
                if (!bottom) {
                    alpha = 0;
                } else {
                    WriteLayerColour(doc, layer, x, y, background);
                    alpha = 255;
                }
            }
        return Status::Ok();
    });
}

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
    Operation all;
    all.id = kCmdSelectAll;
    all.key = "select-all";
    all.label = "모두 선택";
    all.run = [](COrinDoc& doc, const OpValues&) { return SelectWholeLayer(doc); };
    table.Add(std::move(all));
    Operation clear;
    clear.id = kCmdClearSelected;
    clear.key = "clear";
    clear.label = kClearSelectedLabel;
    clear.run = [](COrinDoc& doc, const OpValues&) { return ClearSelected(doc); };
    table.Add(std::move(clear));
}
