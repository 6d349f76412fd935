// The inner loop of layer compositing: a run of layer pixels drawn over a run of the
// composite with one blend mode, on the widest vectors the processor has.
#pragma once

#include <cstddef>
#include <cstdint>

// The mode of the bottom slot: N s, no blending with what is under it.
constexpr int kBlendBottom = 100;

// Draws `count` source pixels over `dst`. A source pixel is its colour (blue in the
// low byte) with its coverage in the top byte; coverage 0 leaves the pixel under it as
// it is. `opacity` is 255 minus the layer's transparency; only the normal mode and the
// bottom slot weigh the colour by coverage x opacity, the others blend wherever the
// coverage is above 0. The alpha byte becomes min(255, a x (coverage + 1)), or the
// coverage where a is 0. Modes other than the listed ones draw as normal.
void BlendRow(int mode, int opacity, uint32_t* dst, const uint32_t* src, size_t count);

// The same with the source pixels read from a row of true colours (blue, green, red at
// 3 or 4 bytes a pixel) and their coverage bytes; nothing past the last pixel is read.
void BlendBgrRow(int mode, int opacity, uint32_t* dst, const uint8_t* colours, int bytesPerPixel,
                 const uint8_t* coverage, size_t count);
