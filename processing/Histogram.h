// The level statistics of a layer that the tone adjustments share: the histogram set
// (luminance, red, green, blue), the level limits at a threshold, the stretch table
// that spreads a level range over 0..255, and the mean grey.
#pragma once

#include <array>
#include <cstdint>

#include "Document.h"
#include "Status.h"

enum HistogramChannel : int { kHistLuminance = 0, kHistRed = 1, kHistGreen = 2, kHistBlue = 3 };

using LevelCounts = std::array<uint32_t, 256>;

// Four tables of counts, luminance ((11 B + 59 G + 30 R) / 100), red, green, blue,
// over every pixel of the layer, present or not.
struct HistogramSet {
    std::array<LevelCounts, 4> tables{};
    uint64_t pixels = 0;
};
HistogramSet LayerHistogram(const COrinDoc& doc, const LayerRecord& layer);

struct LevelLimits {
    int low = 0, high = 255;
    friend bool operator==(const LevelLimits&, const LevelLimits&) = default;
};
// low: the first level whose cumulative count from 0 exceeds `threshold`; high: the
// last level whose cumulative count from 255 down exceeds it. An empty table gives 0..255.
LevelLimits ThresholdLimits(const LevelCounts& counts, uint64_t threshold);
// The lowest and highest non-empty levels (0..255 for an empty table).
LevelLimits OccupiedLimits(const LevelCounts& counts);
// The automatic stretch's limits: those at 1 % of the pixels (trunc(W x H / 100)), or
// the occupied levels where those two coincide.
LevelLimits AutomaticLimits(const LevelCounts& counts, uint64_t pixels);

using LevelTable = std::array<uint8_t, 256>;
// v < low: 0; v > high: 255; otherwise (v - low) x 255 / (high - low). A range of one
// level would divide by zero: the table is then the identity (the channel stays).
LevelTable StretchTable(LevelLimits limits);

// The sum over every pixel of the layer of (B + G + R) / 3, divided by the pixel count
// (0 for an empty layer).
int MeanGrey(const COrinDoc& doc, const LayerRecord& layer);

// Replaces red, green and blue of the layer's present pixels through their own tables
// (a palette canvas: its entries), inside the selection when `selection` is set.
struct ChannelTables {
    LevelTable red, green, blue;
    static ChannelTables Identity();
};
Status ApplyChannelTables(COrinDoc& doc, LayerRecord& layer, const ChannelTables& tables, bool selection = true);
