#include "AlphaCommands.h"

#include <algorithm>

#include "CommandMap.h"
#include "LayerEdit.h"
#include "LayerModel.h"
#include "PaintPrimitives.h"
#include "Quantize.h"
#include "RowLoop.h"

namespace {

// A change of the picture's transparency settings, recorded as a step of the current
// layer so that undo brings the settings back.
Operation SettingOperation(int id, const char* key, const char* label, void (*set)(ImageInfo&)) {
    Operation op;
    op.id = op.menuId = id;
    op.key = key;
    op.label = label;
    op.run = [set, label = op.label](COrinDoc& doc, const OpValues&) {
        LayerEdit edit{label, false};  // a setting of the picture: any layer may be current
        return EditCurrentLayer(doc, edit, [&doc, set](LayerRecord&, RowSpan& rows) {
            if (doc.mainImage) set(doc.mainImage->Info());
            rows = {0, -1};  // no pixel changed
            return Status::Ok();
        });
    };
    return op;
}

// A change of the current layer's opacities (the whole layer, without the selection).
Operation AlphaOperation(int id, const char* key, const char* label, uint8_t (*alpha)(uint8_t), bool opaqueMaximum) {
    Operation op;
    op.id = op.menuId = id;
    op.key = key;
    op.label = label;
    op.change = [alpha, opaqueMaximum](COrinDoc& doc, LayerRecord& layer, const OpValues&) {
        if (opaqueMaximum && doc.mainImage) doc.mainImage->Info().maxOpacity = 255;
        std::transform(layer.alpha.begin(), layer.alpha.end(), layer.alpha.begin(), alpha);
        return Status::Ok();
    };
    return LayerOperation(std::move(op));
}

}  // namespace

Status PickTransparentColour(COrinDoc& doc, int x, int y) {
    LayerRecord* layer = doc.CurrentLayer();
    doc.setTransparency = 0;
    if (!layer || !InsideLayer(*layer, x, y) || layer->pixels.empty()) return Status::Ok();
    LayerEdit edit;
    edit.label = "Settransparency";
    return EditCurrentLayer(doc, edit, [&doc, x, y](LayerRecord& l, RowSpan&) {
        if (doc.canvas.bpp < 24) {
            std::vector<uint8_t> indices(size_t(l.width));
            UnpackIndexRow(l.pixels.data() + size_t(y) * size_t(l.stride), l.width, doc.canvas.bpp, indices.data());
            if (doc.mainImage) doc.mainImage->Info().backgroundIndex = indices[size_t(x)];
            return Status::Ok();
        }
        // True colour has no transparent entry: every pixel of the clicked colour turns
        // transparent instead, so that the formats with alpha keep it.
        const uint32_t colour = LayerColourAt(doc, l, x, y);
        for (int row = 0; row < l.height; ++row)
            for (int col = 0; col < l.width; ++col)
                if (LayerColourAt(doc, l, col, row) == colour) l.alpha[size_t(row) * size_t(l.width) + size_t(col)] = 0;
        return Status::Ok();
    });
}

std::vector<Operation> AlphaOperations() {
    std::vector<Operation> ops;
    ops.push_back(SettingOperation(kCmdRemoveTransparency, "remove-transparency", "Removetransparency",
                                   [](ImageInfo& i) { i.backgroundIndex = -1; }));
    ops.back().applies = [](const COrinDoc& doc) { return doc.mainImage && doc.mainImage->Info().backgroundIndex != -1; };
    Operation set;
    set.id = set.menuId = kCmdSetTransparency;
    set.key = "set-transparency";
    set.label = "Set Transparency";
    set.run = [](COrinDoc& doc, const OpValues&) {
        if (!doc.IsEmpty()) doc.setTransparency = 1;
        return Status::Ok();
    };
    ops.push_back(std::move(set));
    ops.push_back(AlphaOperation(kCmdRemoveAlpha, "remove-alpha", "Removealphachannel", [](uint8_t) { return uint8_t(255); },
                                 true));
    ops.push_back(AlphaOperation(kCmdInvertAlpha, "invert-alpha", "Invetalpha",
                                 [](uint8_t a) { return uint8_t(255 - a); }, false));
    ops.push_back(SettingOperation(kCmdToggleAlphaPalette, "toggle-alpha-palette", "Alphapalettetoggle",
                                   [](ImageInfo& i) { i.alphaPalette = !i.alphaPalette; }));
    ops.push_back(SettingOperation(kCmdStripAlpha, "strip-alpha", "Alphastrip",
                                   [](ImageInfo& i) { i.backgroundColour = RgbQuad::FromValue(0xFFFFFF); }));
    return ops;
}
