// The photo frame: four styles painted ring by ring along the canvas edges into the
// document's one frame layer "[ImgFrame]". Ring i lies i pixels inside the edge; rows
// are layer rows (row 0 at the bottom), so the "top" band is layer row i.
#pragma once

#include <cstdint>
#include <vector>

#include "Document.h"
#include "Status.h"

inline constexpr const char16_t* kFrameLayerName = u"[ImgFrame]";
inline constexpr int kMinFrameThickness = 5;
inline constexpr int kMaxFrameThickness = 300;

namespace label {
inline constexpr const char* kPhotoFrame = "사진틀 넣기";
}

struct FrameSettings {
    int style = 0;  // 0 shaded, 1 bevelled, 2 striped, 3 glow
    int thickness = 30;
    uint32_t main = 0x3C70A0;       // red in the low byte
    uint32_t secondary = 0xB4E6FF;
};

// The colour of a frame pixel: band 0 top, 1 bottom, 2 left, 3 right; ring i; position
// n along the band (from x or y = i); x the pixel's column; W x H the canvas.
uint32_t FrameColour(const FrameSettings& s, int band, int ring, int n, int x, int width, int height);
// Paints the frame over the canvas-sized area of `layer` (full opacity), bands in the
// order top, bottom, left, right.
void PaintFrame(COrinDoc& doc, LayerRecord& layer, const FrameSettings& s);
// A small picture of a style for the dialog's buttons: rows top-down as they will
// show, colours red in the low byte, `inside` within the frame.
std::vector<uint32_t> FrameSample(const FrameSettings& s, int width, int height, uint32_t inside);
// The slot of the layer named "[ImgFrame]", -1 when there is none.
int FindFrameLayer(const COrinDoc& doc);
// The refusal for a thickness outside 5..300 or an unknown style; Ok otherwise.
Status CheckFrame(const FrameSettings& s);

// One use of the frame command: the dialog's changes re-apply the frame, OK records
// "사진틀 넣기" (code 2), Cancel takes the frame back to what it was before the
// command (no frame layer when there was none).
class FrameSession {
public:
    explicit FrameSession(COrinDoc& doc);
    // Repaints the frame layer (made above the current layer when missing).
    Status Apply(const FrameSettings& s);
    void Commit();
    void Cancel();
    bool Applied() const { return m_applied; }

private:
    COrinDoc& m_doc;
    int m_start = -1;         // current layer when the command started
    int m_existing = -1;      // the frame layer before the command, -1 when none
    LayerRecord m_saved;      // its copy
    bool m_applied = false;
};

// The batch form: apply and record in one.
Status InsertFrame(COrinDoc& doc, const FrameSettings& s);
