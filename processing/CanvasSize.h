// "캔버스 크기 늘리기" (1432): a new canvas width and height with the picture kept at one
// of nine anchors ("확장방향": 0 top-left, 1 top, 2 top-right, 3 left, 4 centre, 5 right,
// 6 bottom-left, 7 bottom, 8 bottom-right). Every layer takes the new size, its place
// unchanged, white and transparent where the old layer does not reach; a smaller
// canvas cuts the layers. A text layer's text keeps its place on the picture. Records
// "캔버스크기조정" (every layer). Refused: a side below 1, a 24-bit picture of that
// size past 2^31 bytes, an anchor outside 0..8. An unchanged size does nothing.
#pragma once

#include "Operations.h"

// Where old layer pixel (0, 0) lands in the new layer (rows bottom-up) for an old
// w x h layer in a new W x H one.
void AnchorShift(int anchor, int w, int h, int W, int H, int& dx, int& dy);

Status CanvasSizeDocument(COrinDoc& doc, int width, int height, int anchor);
Operation CanvasSizeOperation();
