// Stand-in until the capture service lands: copies a screen area into a bitmap.
#pragma once

#include "ImageBuffer.h"

class QWidget;

bool CaptureScreenArea(QWidget* parent, PlainBitmap& out);
