// Rotations of the whole picture: the quarter and half turns (1491 " 90  시계방향",
// 1492, 1501, 1502) and "자유회전" (1415, any angle in degrees with decimals). Every
// layer turns about one common frame and every layer takes the size of the box that
// holds all turned layers (the largest turned layer when one holds the others); the
// canvas takes that size too and every layer's place becomes 0, 0. Positive angles
// turn clockwise as seen. Each destination pixel takes the nearest source pixel
// (floor(v + 0.5)), so quarter turns move pixels exactly and give the transposed
// size; what no source pixel covers is white and transparent. A measurement layer
// takes the new size and stays empty.
#pragma once

#include "Operations.h"

// The box of a turned block of pixels: columns minX..maxX, rows minY..maxY (rows up).
struct TurnedBox {
    int minX = 0, minY = 0, maxX = -1, maxY = -1;
    int Width() const { return maxX - minX + 1; }
    int Height() const { return maxY - minY + 1; }
};
// cos and sin of the turn for `degrees` (exact for multiples of 90).
void TurnCosSin(double degrees, double& c, double& s);
// The corners (x0, y0), (x0 + w - 1, y0), (x0, y0 + h - 1), (x0 + w - 1, y0 + h - 1) turned,
// each coordinate truncated toward zero (a whole number blurred by rounding counts as
// that number), and their box.
TurnedBox TurnCorners(double c, double s, int x0, int y0, int w, int h);

Status RotateDocument(COrinDoc& doc, double degrees, const std::string& label, int command);

// The free rotation's angle parameter, hundredths of a degree.
enum FreeRotateParam : size_t { kRotateAngle = 0 };
Operation Rotate90CwOperation();
Operation Rotate90CcwOperation();
Operation Rotate180CwOperation();
Operation Rotate180CcwOperation();
Operation FreeRotateOperation();
