// Channel split: the current layer's red, green and blue planes (every pixel, present
// or not, in the layer's size, rows bottom-up), and their YUV or HSL forms as the
// colour models of ColourSpace.h give them. The YUV and HSL splits (commands 1442,
// 1443) open three new grey documents titled "Y Channel %d from %s", ... with the
// workspace's running picture number; the RGB split (1441) shows the planes in the
// editor's channel viewer, and as a table command it opens them as "R Channel %d
// from %s", ... The source document does not change and no step is recorded.
#pragma once

#include <array>
#include <memory>
#include <string>
#include <vector>

#include "Operations.h"

enum class ChannelModel { kRgb, kYuv, kHsl };

struct ChannelPlanes {
    int width = 0, height = 0;
    std::array<std::vector<uint8_t>, 3> planes;  // width x height bytes each, rows bottom-up
};

// The red, green and blue planes of the current layer; empty without a current layer
// or for a text layer. Fails with the memory message when the planes do not fit.
Status LayerRgbPlanes(const COrinDoc& doc, ChannelPlanes& out);
// Red, green and blue planes in the chosen model (RGB returns them as they are).
ChannelPlanes ConvertPlanes(const ChannelPlanes& rgb, ChannelModel model);

// The window-title words of a model's channels: "R", "G", "B" / "Y", "U", "V" / "Hue",
// "Saturation", "Lightness".
std::array<const char*, 3> ChannelNames(ChannelModel model);
// "%s Channel %d from %s" with the channel's name, the running number and the source.
std::string ChannelTitle(ChannelModel model, int channel, int number, const std::string& source);

// A new document holding one plane as a grey picture, titled `title`.
Status ChannelDocument(Workspace& workspace, const ChannelPlanes& planes, int channel, const std::string& title,
                       std::unique_ptr<COrinDoc>& out);
// The three documents of a split, in channel order, handed to the workspace's host;
// each takes the next running picture number.
Status OpenChannelDocuments(COrinDoc& source, ChannelModel model);

Operation ChannelSplitOperation(ChannelModel model);
