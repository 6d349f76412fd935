// The selection outline's 400 ms timer stops while an operation runs: an outline redraw
// in the middle of a change would draw into pixels being changed. Hold an OutlinePause
// for the length of the operation; when the last one ends the timer runs again while a
// selection is shown (also when the operation returns early or is refused).
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
