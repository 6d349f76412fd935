// Window and view coordinates of a document window, and zooming. Window coordinates
// are client-area pixels (origin top-left); view coordinates are pixels of the
// zoomed picture (origin at its top-left corner, y down). The zoom factor, scroll
// positions and anchor points live in the view state (ViewState.h).
#pragma once

#include "Document.h"
#include "ViewState.h"

struct WindowRect {
    int left = 0, top = 0, right = -1, bottom = -1;  // inclusive
};

// The rectangle (window coordinates) that the zoomed picture occupies in a client area
// `client`; stores the client rectangle in the document and resets the scroll position
// of an axis on which the picture is centred.
WindowRect PictureRect(COrinDoc& doc, const WindowRect& client);
// Window point to view point; returns true when the point was clamped to the picture.
bool WindowToView(COrinDoc& doc, const WindowRect& client, int& x, int& y);

// Zoom commands. Each returns false when refused by the limits (or the stretch flag).
bool ZoomIn(COrinDoc& doc, int anchorX = -1, int anchorY = -1);
bool ZoomOut(COrinDoc& doc);
bool ZoomActualSize(COrinDoc& doc);
bool CanZoomIn(const COrinDoc& doc);
bool CanZoomOut(const COrinDoc& doc);
bool CanZoomActualSize(const COrinDoc& doc);

// "창에 맞추기" (fit to window), the editor's own View command (Ctrl+0): the largest zoom
// step (a power of two from 1/16 to 16) at which a width x height picture fits into
// roomWidth x roomHeight; 1/16 when even that does not fit.
inline constexpr int kCmdFitWindow = 1562;
float FitZoom(int width, int height, int roomWidth, int roomHeight);

// Scroll positions after a zoom change (update hint 1025): the new scroll range is the
// zoomed picture size; positions keep their fraction of the range and centre the
// anchor when one is set.
struct ScrollState {
    int rangeWidth = 0, rangeHeight = 0;   // scroll sizes (zoomed picture)
    int posX = 0, posY = 0;                // scroll positions
};
ScrollState RescrollAfterZoom(const COrinDoc& doc, const ScrollState& old, int clientWidth, int clientHeight);
