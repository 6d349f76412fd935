// The selection outline's 400 ms timer stops while an operation runs: an outline redraw
// in the middle of a change would draw into pixels being changed. Hold an OutlinePause
// for the length of the operation; when it ends the timer runs again while a selection
// is shown (also when the operation returns early or is refused). Pauses may nest: the
// flag matters only when control returns to the event loop, after the outermost one.
#pragma once

#include "Document.h"

class OutlinePause {
public:
    explicit OutlinePause(COrinDoc& doc) : m_doc(doc) { doc.view.timerRunning = false; }
    ~OutlinePause() { m_doc.view.timerRunning = m_doc.selection.shown; }
    OutlinePause(const OutlinePause&) = delete;
    OutlinePause& operator=(const OutlinePause&) = delete;

private:
    COrinDoc& m_doc;
};
