#include "LayerKeeping.h"

#include "Codecs.h"
#include "Document.h"

bool SaveDropsLayers(const COrinDoc& doc, const std::string& path) {
    const int code = FormatFromPath(path);
    return doc.layers.Chain().size() > 1 && code != kFormatProject && code != kFormatMeasure;
}

bool LayerKeeping::TakeNotice(const COrinDoc& doc, const std::string& path) {
    State& s = m_states[&doc];
    if (s.noticed || !SaveDropsLayers(doc, path)) return false;
    s.noticed = true;
    return true;
}

void LayerKeeping::Saved(const COrinDoc& doc, const std::string& path) {
    // A measurement file leaves the picture's state as it was.
    if (FormatFromPath(path) == kFormatMeasure) return;
    m_states[&doc].unsaved = SaveDropsLayers(doc, path);
}

bool LayerKeeping::OnlyInDocument(const COrinDoc& doc) const {
    const auto it = m_states.find(&doc);
    return it != m_states.end() && it->second.unsaved && doc.layers.Chain().size() > 1;
}

void LayerKeeping::Forget(const COrinDoc& doc) { m_states.erase(&doc); }
