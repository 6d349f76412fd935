// The face transform: enlarges (mode 0) or squashes (mode 1) a small rectangle of the
// current layer, an eye or the nose, through the distortion routine. Points and rows
// are layer coordinates (rows bottom-up).
#pragma once

#include "Document.h"
#include "Operations.h"
#include "Status.h"

inline constexpr double kMaxFaceStrength = 10.0;

namespace label {
inline constexpr const char* kFaceTransform = "얼굴변형";
}

// The face window's values; `second` is shown and edited but enters no computation.
struct FaceSettings {
    int mode = 0;  // 0 "늘리기" enlarge, 1 "쭈구리기" squash
    double strength = 1.0;
    double second = 1.0;
};

// The refusal for a mode other than 0 or 1 or a strength outside 0..10.
Status CheckFace(const FaceSettings& s);
// The face distortion centred on (cx, cy) over columns cx - hw .. cx + hw - 1 and rows
// cy - hh .. cy + hh - 1 (clipped to the layer); squashing fades out at the edges.
// Refuses a text layer; records nothing.
Status FaceDistortion(COrinDoc& doc, int cx, int cy, int hw, int hh, const FaceSettings& s);
// The rectangle x0 .. x1 - 1, y0 .. y1 - 1 (corners in any order) transformed about
// its centre.
Status FaceTransformRect(COrinDoc& doc, int x0, int y0, int x1, int y1, const FaceSettings& s);

// One use of the face window: the start picture is kept; transforms accumulate; "시작
// 영상" returns to the start picture; OK records "얼굴변형" (code 0) when a transform
// was made; closing the window otherwise returns to the start picture.
class FaceSession {
public:
    explicit FaceSession(COrinDoc& doc);
    Status Transform(int x0, int y0, int x1, int y1, const FaceSettings& s);
    void Restart();
    void Commit();
    void Cancel();
    bool Done() const { return m_done; }

private:
    bool SlotInUse() const { return IsValidSlot(m_slot) && m_doc.layers[m_slot].inUse; }

    COrinDoc& m_doc;
    int m_slot = -1;  // the layer whose start picture is kept
    bool m_done = false;
};

// The batch form: transform and record in one.
Status ApplyFaceTransform(COrinDoc& doc, int x0, int y0, int x1, int y1, const FaceSettings& s);

// The shown selection's rectangle as x0 .. x1 - 1, y0 .. y1 - 1; false without one.
bool SelectionBox(const COrinDoc& doc, int& x0, int& y0, int& x1, int& y1);

// The operation-table entry `face:` (mode, strength in tenths, the rectangle; without
// a rectangle the selection's, else 160 x 120 pixels about the layer's centre).
enum FaceParam { kFaceMode, kFaceStrength, kFaceX0, kFaceY0, kFaceX1, kFaceY1 };
Operation FaceTransformOperation();
