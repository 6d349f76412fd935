#include "ViewState.h"

#include "OutlinePause.h"

ViewState& ViewOf(COrinDoc& doc) {
    if (!doc.viewState) doc.viewState = std::make_shared<ViewState>();
    return *doc.viewState;
}

const ViewState& ViewOf(const COrinDoc& doc) {
    static const ViewState kDefaults;
    return doc.viewState ? *doc.viewState : kDefaults;
}
