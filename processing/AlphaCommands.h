// The transparency and alpha commands. They act on the picture's transparency
// settings (the transparent palette entry, the fill colour, the alpha-palette flag,
// the alpha maximum) that the picture is saved with, and each records a step so that
// it undoes:
// - "Remove Transparency" (1430): no palette entry is transparent any more.
// - "Set Transparency" (1427): the next click on the picture makes the clicked colour
//   the transparent one (see PickTransparentColour); no step until then.
// - "Remove Alpha Channel" (1483): alpha maximum 255, and the current layer becomes
//   opaque everywhere.
// - "Invert Alpha Channel" (1485): each opacity of the current layer becomes 255 minus it.
// - "Toggle Alpha Palette " (1486): the palette's fourth bytes are read as opacities, or not.
// - "Strip Alpha" (1490): the fill colour becomes white.
#pragma once

#include "Operations.h"

// The click of "Set Transparency" at layer pixel (x, y) of the current layer: on a
// palette canvas its entry becomes the transparent one, on a true-colour canvas its
// colour becomes the fill colour that transparent areas are saved with; recorded as
// "Settransparency". Ends the waiting (setTransparency 0). Outside the layer nothing
// changes.
Status PickTransparentColour(COrinDoc& doc, int x, int y);

std::vector<Operation> AlphaOperations();
