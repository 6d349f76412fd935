// The painting tools on the current layer: brush, eraser, spray, dot, water drop,
// fill, line, polyline, circle, colour pick and move. Entry points take view points
// (zoomed picture, y down) as the view routes them; each converts them to layer
// coordinates (growing the layer when a painted point lies outside it), paints
// through the selection mask, keeps the working copy up to date and records its
// history step ("붓그리기", "채우기", ...) with operation code 0. Refusals (a text
// layer) come back as a failed Status carrying the message; nothing is painted then.
#pragma once

#include "Document.h"
#include "LayerEdit.h"
#include "Status.h"

// Converts both view points and runs the line raster with the brush size (1 while the
// gradient tool is active), the foreground colour and the soft flag; mode 0 paints,
// 1 erases. Returns the rows it touched.
RowSpan StrokeSegment(COrinDoc& doc, int mode, int x0, int y0, int x1, int y1);

// Brush (mode 0, "붓그리기") and eraser (mode 1, "영역지우기").
Status StrokePress(COrinDoc& doc, int mode, int x, int y);
Status StrokeDrag(COrinDoc& doc, int mode, int x, int y);
Status StrokeRelease(COrinDoc& doc, int mode);
// Spray: a soft dab of radius 20 at every event; "스프레이" on release.
Status SprayAt(COrinDoc& doc, int x, int y, bool press);
Status SprayRelease(COrinDoc& doc);
// Dot: a brush-size block at the point shifted by (-2, +1), "점찍기".
Status DotAt(COrinDoc& doc, int x, int y);
// Water drop: the colour under the point pulled outward; "물방울" on release.
Status WaterDropAt(COrinDoc& doc, int x, int y, bool press);
Status WaterDropRelease(COrinDoc& doc);
// The drop itself at a layer point; false when that pixel is transparent or outside.
bool WaterDrop(COrinDoc& doc, int x, int y);
// Fill from the point with the inclusion limit, "채우기". Nothing outside the selection.
Status FillAt(COrinDoc& doc, int x, int y);
// The flood fill itself from a layer point (8-connected, neighbour-to-neighbour colours).
void FloodFill(COrinDoc& doc, int x, int y);
// Line: rubber line from the press point, "선그리기" on release.
Status LinePress(COrinDoc& doc, int x, int y);
Status LineDrag(COrinDoc& doc, int x, int y);
Status LineRelease(COrinDoc& doc, int x, int y);
// Polyline: each press draws from the previous vertex and records "다각형그리기".
Status PolylinePress(COrinDoc& doc, int x, int y);
// Circle: centred on the mouse, through the press point; "원 그리기" on release.
Status CirclePress(COrinDoc& doc, int x, int y);
Status CircleDrag(COrinDoc& doc, int x, int y);
Status CircleRelease(COrinDoc& doc, int x, int y);
// Draws the circle centred on view point (cx, cy) through view point (rx, ry).
RowSpan DrawCircle(COrinDoc& doc, int rx, int ry, int cx, int cy);
// Colour pick: the pixel's colour (outside the layer: the picture's background colour)
// becomes the foreground colour.
Status ColourPickAt(COrinDoc& doc, int x, int y);
// Move: the current layer follows the mouse; the first step with a shown selection
// lifts it into a floating layer (kind 3) instead.
Status MovePress(COrinDoc& doc, int x, int y);
Status MoveDrag(COrinDoc& doc, int x, int y);
Status MoveRelease(COrinDoc& doc);
// One move step by (dx, dy) canvas pixels (x right, y down on screen). Refused
// (nothing moves) when an offset would leave -size..size.
Status MoveLayerBy(COrinDoc& doc, int dx, int dy);
