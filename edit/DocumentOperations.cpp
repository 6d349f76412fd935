#include "DocumentOperations.h"

#include "ClipboardOps.h"
#include "CommandMap.h"
#include "History.h"
#include "LayerOps.h"
#include "Messages.h"

namespace {

// An operation without parameters that runs `fn` on the document.
Operation Plain(int id, const char* key, const char* label, Status (*fn)(COrinDoc&)) {
    return PlainOperation(id, key, label, fn);
}

Status UndoCommand(COrinDoc& doc) {
    UndoStep(doc);
    return Status::Ok();
}

Status RedoStep(COrinDoc& doc) {
    Redo(doc);
    return Status::Ok();
}

Status CopyLayer(COrinDoc& doc) { return CopyToClipboard(doc); }
Status CutLayer(COrinDoc& doc) { return CutToClipboard(doc); }
Status PasteLayer(COrinDoc& doc) { return PasteFromClipboard(doc); }
Status DeleteCurrentLayer(COrinDoc& doc) { return DeleteLayer(doc); }

}  // namespace

bool UndoStep(COrinDoc& doc) {
    const UndoResult r = Undo(doc);
    if (r.needsConfirmation && doc.workspace.Ask(msg::kBackdropDelete)) return bool(Undo(doc, true));
    return bool(r);
}

Status RemoveLayerEffectStep(COrinDoc& doc) {
    const LayerRecord* layer = doc.CurrentLayer();
    if (!layer || !layer->effectOn) return Status::Ok();
    RemoveLayerEffect(doc);
    RecordStep(doc, kRemoveLayerEffectLabel, kStepPixels, doc.layers.current);
    return Status::Ok();
}

void AddDocumentOperations(OperationTable& t) {
    t.Add(Plain(kCmdUndo, "undo", "실행취소", UndoCommand));
    t.Add(Plain(kCmdRedo, "redo", "실행반복", RedoStep));
    t.Add(Plain(kCmdCut, "cut", "자르기", CutLayer));
    t.Add(Plain(kCmdCopy, "copy", "복사", CopyLayer));
    t.Add(Plain(kCmdPaste, "paste", "붙이기", PasteLayer));
    t.Add(Plain(kCmdAddLayer, "add-layer", "레이어추가", AddLayer));
    t.Add(Plain(kCmdDeleteLayer, "delete-layer", "레이어삭제", DeleteCurrentLayer));
    t.Add(Plain(kCmdDuplicateLayer, "duplicate-layer", "복제 레이어 만들기", DuplicateLayer));
    t.Add(Plain(kCmdFlatten, "flatten", "떡그림만들기", FlattenLayers));
    // 1557 brings the layer above down into the current one; 1555 merges the current
    // layer into the one below.
    t.Add(Plain(kCmdMergeAbove, "merge-up", "아래쪽 레이어로  합치기", MergeWithLayerAbove));
    t.Add(Plain(kCmdMergeBelow, "merge-down", "위쪽 레이어로 합치기", MergeWithLayerBelow));
    t.Add(Plain(kCmdRasterize, "rasterize", "레스터 형식으로 변환", RasterizeLayer));

    Operation effect;
    effect.id = effect.menuId = kCmdLayerEffect;
    effect.key = "layer-effect";
    effect.label = "레이어효과";
    effect.params = {{"size", "효과크기", 0, 30, 5}, {"colour", "그림자색상", 0, 0, 0x000000, ParamKind::kColour}};
    effect.run = [](COrinDoc& doc, const OpValues& v) {
        return ApplyLayerEffect(doc, v[kShadowSize], uint32_t(v[kShadowColour]));
    };
    t.Add(std::move(effect));
    Operation removeEffect = Plain(kCmdRemoveLayerEffect, "remove-layer-effect", kRemoveLayerEffectLabel, RemoveLayerEffectStep);
    removeEffect.menuId = 0;  // its menu entry is the editor's own, not one of the command map
    t.Add(std::move(removeEffect));

    Operation rename;
    rename.id = kCmdRenameLayer;
    rename.key = "rename-layer";
    rename.label = "레이어 이름 변경";
    rename.params = {{"name", "레이어 이름", 0, 0, 0, ParamKind::kText}};
    rename.run = [](COrinDoc& doc, const OpValues& v) { return RenameLayer(doc, v.text); };
    t.Add(std::move(rename));
}
