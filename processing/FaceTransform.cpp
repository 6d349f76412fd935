#include "FaceTransform.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "Distortion.h"
#include "EditSteps.h"
#include "History.h"
#include "LayerModel.h"
#include "CommandMap.h"
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
    if (const int current = m_doc.layers.current; current != m_slot && IsValidSlot(current)) {
        // Another layer was chosen while the window was open: what was done to the first
        // one is kept as its own step, and the new layer's picture is the start picture.
        Commit();
        m_slot = current;
        SaveToStore(m_doc, m_doc.working2, m_slot);
        SaveToStore(m_doc, m_doc.working, m_slot);
    }
    if (Status r = FaceTransformRect(m_doc, x0, y0, x1, y1, s); !r) return r;
    SaveToStore(m_doc, m_doc.working, m_doc.layers.current);
    m_done = true;
    return Status::Ok();
}

void FaceSession::Restart() {
    if (!SlotInUse()) return;
    RestoreFromStore(m_doc, m_doc.working2, m_slot);
    SaveToStore(m_doc, m_doc.working, m_slot);
    MarkLayerChanged(m_doc);
    m_done = false;
}

void FaceSession::Commit() {
    if (m_done && SlotInUse()) RecordStep(m_doc, label::kFaceTransform, kStepPixels, m_slot);
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

bool SelectionBox(const COrinDoc& doc, int& x0, int& y0, int& x1, int& y1) {
    const SelectionMask& m = doc.selection;
    if (!m.shown) return false;
    x0 = std::min(m.rect[0], m.rect[2]);
    x1 = std::max(m.rect[0], m.rect[2]) + 1;
    y0 = std::min(m.rect[1], m.rect[3]);
    y1 = std::max(m.rect[1], m.rect[3]) + 1;
    return true;
}

Operation FaceTransformOperation() {
    Operation op;
    op.id = op.menuId = kCmdFaceTransform;
    op.key = "face";
    op.label = label::kFaceTransform;
    op.params = {{"mode", "늘리기(0), 쭈구리기(1)", 0, 1, 0},
                 {"strength", "강도", 0, int(kMaxFaceStrength * 10), 10, ParamKind::kInteger, {}, 1},
                 {"x0", "", -100000, 100000, 0},
                 {"y0", "", -100000, 100000, 0},
                 {"x1", "", -100000, 100000, 0},
                 {"y1", "", -100000, 100000, 0}};
    op.run = [](COrinDoc& doc, const OpValues& v) {
        FaceSettings s;
        s.mode = v[kFaceMode];
        s.strength = v[kFaceStrength] / 10.0;
        int x0 = v[kFaceX0], y0 = v[kFaceY0], x1 = v[kFaceX1], y1 = v[kFaceY1];
        if (x0 == 0 && y0 == 0 && x1 == 0 && y1 == 0 && !SelectionBox(doc, x0, y0, x1, y1)) {
            // No rectangle: the half sizes the transform takes without its window.
            const LayerRecord* layer = doc.CurrentLayer();
            if (!layer) return Status::Ok();
            x0 = layer->width / 2 - 80;
            x1 = layer->width / 2 + 80;
            y0 = layer->height / 2 - 60;
            y1 = layer->height / 2 + 60;
        }
        return ApplyFaceTransform(doc, x0, y0, x1, y1, s);
    };
    return op;
}
