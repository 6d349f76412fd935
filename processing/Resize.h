// "그림크기조정" (1431): the whole picture to a new canvas width and height. Every layer
// is scaled by the canvas factors (its size and place rounded by floor(v + 0.5)) and
// resampled (Resample.h); a text layer keeps its text, its size scaled by the smaller
// factor and its place by both, and is drawn again at that size. Records "이미지크기"
// (every layer) and makes the size the new-picture size. Refused: a side below 1, a
// 24-bit picture of that size past 2^31 bytes. An unchanged size does nothing.
#pragma once

#include <functional>

#include "Operations.h"

// Draws a text layer's text again from its record (face, size, place) into its
// cleared opacity plane; fails when no font draws it. The text module supplies it.
using TextRedraw = std::function<Status(COrinDoc& doc, LayerRecord& layer)>;

// The width and height parameters; the canvas-size command adds its anchor.
enum SizeParam : size_t { kSizeWidth = 0, kSizeHeight = 1, kSizeAnchor = 2 };
inline constexpr int kMaxPictureSide = 1000000;

// The dialog's rules. The percent shown for `value` pixels of a `present` side:
// trunc((value / present + 0.005) x 100).
int SizePercent(int value, int present);
// Pixels for a percent of the present side: trunc(present x percent / 100), at least 1.
int PercentSize(int percent, int present);
// With the aspect lock: the other side for `changed` pixels of this one,
// presentOther x changed / presentChanged (at least 1).
int LockedSide(int changed, int presentChanged, int presentOther);

// Refuses a side below 1 or a 24-bit picture of that size past 2^31 bytes; Ok otherwise.
Status CheckPictureSize(int width, int height);

Status ResizeDocument(COrinDoc& doc, int width, int height, const TextRedraw& redraw);
Operation ResizeOperation(TextRedraw redraw);
