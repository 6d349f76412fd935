// The automatic stretch ("자동색상조정", command 2076): each of red, green and blue is
// stretched between its own automatic limits (1 % of the pixels cut at each end, or
// the occupied levels where those meet), over every present pixel of the layer
// whatever the selection. A flat picture (one luminance level) and a channel whose
// limits still coincide stay unchanged. The step "자동 색상 조정" is recorded and the
// completion message shown in every case.
#pragma once

#include "Histogram.h"
#include "Operations.h"

// The tables the automatic stretch applies to a layer with this histogram set; the
// identity for every channel of a flat picture.
ChannelTables AutoColourTables(const HistogramSet& set);
Status AutoColourLayer(COrinDoc& doc, LayerRecord& layer, const OpValues& values);
Operation AutoColourOperation();
