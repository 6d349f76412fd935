// The frame around the adjustment dialogs: before the dialog opens the current layer
// comes back as last recorded (the start image); every preview restores it and applies
// the operation's change anew (no step); OK records the operation's step, Cancel
// restores the start image. A preview that the user stopped leaves the start image, and
// OK after it records nothing. The workspace's current command is the dialog's while it
// is open.
#pragma once

#include <functional>
#include <vector>

#include "Document.h"
#include "Operations.h"

class LivePreview {
public:
    // `refresh` redraws the document's views after each change.
    LivePreview(COrinDoc& doc, const Operation& op, std::function<void()> refresh);
    ~LivePreview();
    LivePreview(const LivePreview&) = delete;
    LivePreview& operator=(const LivePreview&) = delete;

    // The start image back; a failed status when the layer refuses the operation (a
    // text layer), and the dialog must not open.
    Status Begin();
    // Restores the start image and applies the values (clamped to their ranges).
    Status Show(const std::vector<int>& numbers);
    void Accept();
    void Cancel();
    const Operation& Op() const { return m_op; }

private:
    COrinDoc& m_doc;
    const Operation& m_op;
    std::function<void()> m_refresh;
    bool m_done = false;
    bool m_stopped = false;  // the last preview was stopped: the layer is the start image
};
