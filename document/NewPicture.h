// Documents made without a file: a new blank picture of a given size, and a picture
// handed over by the platform (a screen capture). Both become a backdrop layer with
// the history started, like an opened picture.
#pragma once

#include <string>

#include "Document.h"
#include "Status.h"

// A white 24-bit picture of width x height named `name` (the window title).
Status NewPictureDocument(COrinDoc& doc, int width, int height, const std::string& name);

// A picture from a 24- or 32-bit bitmap, named `name`.
Status BitmapDocument(COrinDoc& doc, const PlainBitmap& bitmap, const std::string& name);
