// Depth changes of a whole document. The canvas depth is the depth of every raster
// layer, so each command converts every layer (text layers keep their coverage):
// - "RGB컬러 표현" (2093): a palette canvas becomes 24-bit colour, each pixel its
//   palette colour; a 24-bit canvas is left alone.
// - "8 비트 컬러 표현" (2016): a 24-bit canvas becomes 8 bits with the optimal palette of
//   all layers together (see OptimalPalette; pixels of opacity 0 do not count), each
//   pixel its nearest entry; a canvas of 8 bits or fewer is left alone.
// - "4비트칼라 최적변환" (2011) and "4비트칼라 표준변환" (2013): a 24- or 8-bit canvas
//   becomes 4 bits with the optimal 16 colours or the standard 16-colour palette.
// The reduction commands keep their parameters in the document (depth, optimal or
// standard) and hold the current-command id 1433 while they run. Each change is one
// step over all layers; rows report progress and Esc stops a conversion with the
// document as it was.
#pragma once

#include <array>
#include <vector>

#include "Operations.h"

class PaletteMapper;

// The standard 16-colour palette: black, the eight dark colours, silver, grey and the
// six bright colours, white last.
const std::array<RgbQuad, 16>& StandardPalette16();

// Every layer to `bits` (24, 8 or 4) with `palette` (ignored for 24 bits), recorded as
// `label`.
Status ConvertDocumentDepth(COrinDoc& doc, int bits, const std::vector<RgbQuad>& palette, const std::string& label);

// One layer from the canvas depth `fromBits` and its palette `fromPalette` to `toBits`,
// each pixel the nearest entry of `mapper` at a palette depth (null for 24 bits); the
// canvas itself is left to the caller. A stop or a failure leaves the layer as it was.
// When the step of a change of every layer holds the layer as it was (UntouchedCopy),
// the rows are read from that copy and the layer's own buffer is freed before the new
// one is made, so the layer, its copy and the result never all exist at once.
Status ConvertLayerDepth(COrinDoc& doc, LayerRecord& layer, int fromBits, const std::vector<RgbQuad>& fromPalette,
                         int toBits, PaletteMapper* mapper);

// The optimal palette of at most `colours` entries over every raster layer.
std::vector<RgbQuad> DocumentOptimalPalette(const COrinDoc& doc, int colours);

Operation RgbColourOperation();
Operation EightBitColourOperation();
Operation FourBitOperation(bool optimal);
