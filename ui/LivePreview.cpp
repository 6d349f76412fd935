#include "LivePreview.h"

#include "EditSteps.h"
#include "LayerEdit.h"

LivePreview::LivePreview(COrinDoc& doc, const Operation& op, std::function<void()> refresh)
    : m_doc(doc), m_op(op), m_refresh(std::move(refresh)) {}

LivePreview::~LivePreview() {
    if (!m_done) Cancel();
    m_doc.workspace.currentCommand = -1;
}

Status LivePreview::Begin() {
    if (Status s = RefuseTextLayer(m_doc); !s) {
        m_done = true;
        return s;
    }
    m_doc.workspace.currentCommand = m_op.id;
    RestoreStartImage(m_doc);
    if (m_refresh) m_refresh();
    return Status::Ok();
}

Status LivePreview::Show(const std::vector<int>& numbers) {
    RestoreStartImage(m_doc);
    const OpValues values = ClampedValues(m_op, numbers);
    const Status s = EditCurrentLayer(m_doc, {""}, [&](LayerRecord& layer, RowSpan&) {
        return m_op.change(m_doc, layer, values);
    });
    m_stopped = !s && s.message.empty();
    if (m_refresh) m_refresh();
    return s;
}

void LivePreview::Accept() {
    if (m_stopped) {
        Cancel();
        return;
    }
    m_done = true;
    RecordLayerStep(m_doc, m_op.label);
    if (m_refresh) m_refresh();
}

void LivePreview::Cancel() {
    m_done = true;
    RestoreStartImage(m_doc);
    if (m_refresh) m_refresh();
}
