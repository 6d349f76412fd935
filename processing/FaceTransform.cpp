#include "FaceTransform.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "Distortion.h"
#include "EditSteps.h"
#include "History.h"
#include "LayerModel.h"
#include "Messages.h"
#include "PaintPrimitives.h"

Status CheckFace(const FaceSettings& s) {
    char text[96];
    if (s.mode != 0 && s.mode != 1) {
        std::snprintf(text, sizeof text, msg::kIntegerRange, 0, 1);
        return Status::Fail(text);
    }
    if (!(s.strength >= 0.0 && s.strength <= kMaxFaceStrength)) {
        std::snprintf(text, sizeof text, msg::kRealRange, 0.0, kMaxFaceStrength);
        return Status::Fail(text);
    }
    return Status::Ok();
}

Status FaceDistortion(COrinDoc& doc, int cx, int cy, int hw, int hh, const FaceSettings& s) {
    if (Status c = CheckFace(s); !c) return c;
    if (Status t = RefuseTextLayer(doc); !t) return t;
    if (!doc.CurrentLayer()) return Status::Ok();
    DistortParams p;
    p.mode = s.mode;
    p.feather = s.mode == 1;
    p.strength = s.strength;
    p.left = cx - hw;
    p.right = cx + hw;
    p.top = cy - hh;
    p.bottom = cy + hh;
    Distort(doc, doc.layers.current, p);
    MarkLayerChanged(doc);
    return Status::Ok();
}

Status FaceTransformRect(COrinDoc& doc, int x0, int y0, int x1, int y1, const FaceSettings& s) {
    const int w = std::abs(x1 - x0), h = std::abs(y1 - y0);
    return FaceDistortion(doc, std::min(x0, x1) + w / 2, std::min(y0, y1) + h / 2, w / 2, h / 2, s);
}

FaceSession::FaceSession(COrinDoc& doc) : m_doc(doc), m_slot(doc.layers.current) {
    SaveToStore(doc, doc.working2, m_slot);
    SaveToStore(doc, doc.working, m_slot);
}

Status FaceSession::Transform(int x0, int y0, int x1, int y1, const FaceSettings& s) {
    if (Status t = RefuseTextLayer(m_doc); !t) return t;
    RemoveOutline(m_doc);
    if (Status r = FaceTransformRect(m_doc, x0, y0, x1, y1, s); !r) return r;
    SaveToStore(m_doc, m_doc.working, m_doc.layers.current);
    m_done = true;
    return Status::Ok();
}

void FaceSession::Restart() {
    RestoreFromStore(m_doc, m_doc.working2, m_slot);
    SaveToStore(m_doc, m_doc.working, m_slot);
    MarkLayerChanged(m_doc);
    m_done = false;
}

void FaceSession::Commit() {
    if (m_done) RecordStep(m_doc, label::kFaceTransform, kStepPixels, m_slot);
    m_done = false;
}

void FaceSession::Cancel() {
    if (m_done) Restart();
}

Status ApplyFaceTransform(COrinDoc& doc, int x0, int y0, int x1, int y1, const FaceSettings& s) {
    if (Status c = CheckFace(s); !c) return c;
    FaceSession session(doc);
    if (Status r = session.Transform(x0, y0, x1, y1, s); !r) return r;
    session.Commit();
    return Status::Ok();
}
