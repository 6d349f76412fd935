// Layers are never lost silently: a picture format keeps only the merged picture of a
// document's layers. The editor tells the user so at the first such save of a document
// and, while no project holds the layers, asks at closing to save one. Plain C++.
#pragma once

#include <map>
#include <string>

class COrinDoc;

// Saving `doc` to `path` writes only the merged picture of its several layers.
bool SaveDropsLayers(const COrinDoc& doc, const std::string& path);

class LayerKeeping {
public:
    // True once per document, for the first save that drops layers: the moment to tell.
    bool TakeNotice(const COrinDoc& doc, const std::string& path);
    // A save of `doc` to `path` succeeded.
    void Saved(const COrinDoc& doc, const std::string& path);
    // The document has several layers and the last save kept only their merged picture.
    bool OnlyInDocument(const COrinDoc& doc) const;
    // The document is gone (its address may be reused).
    void Forget(const COrinDoc& doc);

private:
    struct State {
        bool noticed = false;
        bool unsaved = false;
    };
    std::map<const COrinDoc*, State> m_states;
};
