// The selection outline's 400 ms timer runs while a selection is shown and no operation
// holds an OutlinePause: an outline redraw in the middle of a change would draw into
// pixels being changed. Hold one for the length of the operation; the outline runs
// again when the last pause ends, also when the operation returns early or is refused.
// Pauses nest. A tool whose change spans several mouse events (a gradient or a line from
// press to release, the free transform while its handles are shown) keeps its pause in
// the view state and drops it when the change ends or the stroke is forgotten.
#pragma once

#include "Document.h"

class OutlinePause {
public:
    explicit OutlinePause(COrinDoc& doc) : m_doc(doc) { ++doc.outlinePauses; }
    ~OutlinePause() { --m_doc.outlinePauses; }
    OutlinePause(const OutlinePause&) = delete;
    OutlinePause& operator=(const OutlinePause&) = delete;

private:
    COrinDoc& m_doc;
};

// Whether the views animate the selection outline now.
inline bool OutlineRunning(const COrinDoc& doc) { return doc.selection.shown && doc.outlinePauses == 0; }
