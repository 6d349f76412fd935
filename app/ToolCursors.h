// The tools' own cursors, drawn once on first use: move (resource 2050), water drop
// (2049), zoom (4012), dot (1110) and colour pick (3353). Each is 32 x 32 pixels, black
// with a white rim so that it shows on any picture.
#pragma once

#include <QCursor>

const QCursor& MoveCursor();
const QCursor& WaterDropCursor();
const QCursor& ZoomCursor();
const QCursor& DotCursor();
// Cursor kind 3: the program's own pointer.
const QCursor& ProgramCursor();
const QCursor& ColourPickCursor();
// The brush outline: a ring of `radius` logical pixels with a small cross at its centre,
// drawn at `scale` device pixels per logical pixel.
QCursor BrushOutlineCursor(qreal radius, qreal scale);
