#include "Commands.h"

#include <cstdlib>

#include "ClipboardOps.h"
#include "CommandMap.h"
#include "History.h"
#include "LayerOps.h"

int ArgInt(const CommandArgs& args, const std::string& key, int fallback) {
    auto it = args.find(key);
    if (it == args.end() || it->second.empty()) return fallback;
    char* end = nullptr;
    const long v = std::strtol(it->second.c_str(), &end, 10);
    return *end == '\0' ? int(v) : fallback;
}

uint32_t ArgColour(const CommandArgs& args, const std::string& key, uint32_t fallback) {
    auto it = args.find(key);
    if (it == args.end() || it->second.empty()) return fallback;
    const std::string& v = it->second;
    char* end = nullptr;
    if (v[0] == '#' && v.size() == 7) {
        const unsigned long rgb = std::strtoul(v.c_str() + 1, &end, 16);
        if (*end != '\0') return fallback;
        return uint32_t(((rgb >> 16) & 0xFF) | (rgb & 0xFF00) | ((rgb & 0xFF) << 16));
    }
    const unsigned long n = std::strtoul(v.c_str(), &end, 10);
    return *end == '\0' ? uint32_t(n) : fallback;
}

void RegisterDocumentCommands(CommandRegistry& r) {
    r.Add(kCmdUndo, [](COrinDoc& doc, const CommandArgs&) {
        Undo(doc);
        return Status::Ok();
    });
    r.Add(kCmdRedo, [](COrinDoc& doc, const CommandArgs&) {
        Redo(doc);
        return Status::Ok();
    });
    r.Add(kCmdCopy, [](COrinDoc& doc, const CommandArgs&) { return CopyToClipboard(doc); });
    r.Add(kCmdCut, [](COrinDoc& doc, const CommandArgs&) { return CutToClipboard(doc); });
    r.Add(kCmdPaste, [](COrinDoc& doc, const CommandArgs&) { return PasteFromClipboard(doc); });
    r.Add(kCmdAddLayer, [](COrinDoc& doc, const CommandArgs&) { return AddLayer(doc); });
    r.Add(kCmdDeleteLayer, [](COrinDoc& doc, const CommandArgs&) { return DeleteLayer(doc); });
    r.Add(kCmdDuplicateLayer, [](COrinDoc& doc, const CommandArgs&) { return DuplicateLayer(doc); });
    r.Add(kCmdFlatten, [](COrinDoc& doc, const CommandArgs&) { return FlattenLayers(doc); });
    r.Add(kCmdMergeAbove, [](COrinDoc& doc, const CommandArgs&) { return MergeWithLayerAbove(doc); });
    r.Add(kCmdMergeBelow, [](COrinDoc& doc, const CommandArgs&) { return MergeWithLayerBelow(doc); });
    r.Add(kCmdRasterize, [](COrinDoc& doc, const CommandArgs&) { return RasterizeLayer(doc); });
    r.Add(kCmdLayerEffect, [](COrinDoc& doc, const CommandArgs& a) {
        return ApplyLayerEffect(doc, ArgInt(a, "size", 5), ArgColour(a, "colour", 0x000000));
    });
}
