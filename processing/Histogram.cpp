#include "Histogram.h"

#include "RowLoop.h"

HistogramSet LayerHistogram(const COrinDoc& doc, const LayerRecord& layer) {
    HistogramSet set;
    // Plain references: clang 14 cannot capture structured bindings in a lambda.
    auto& lum = set.tables[0];
    auto& red = set.tables[1];
    auto& green = set.tables[2];
    auto& blue = set.tables[3];
    ScanLayerRows(doc, layer, [&](int, std::span<const Bgr> row, std::span<const uint8_t>) {
        for (const Bgr c : row) {
            ++lum[(11 * c.b + 59 * c.g + 30 * c.r) / 100];
            ++red[c.r];
            ++green[c.g];
            ++blue[c.b];
        }
        set.pixels += row.size();
    });
    return set;
}

LevelLimits ThresholdLimits(const LevelCounts& counts, uint64_t threshold) {
    LevelLimits limits;
    uint64_t sum = 0;
    int v = 0;
    for (; v < 256 && (sum += counts[size_t(v)]) <= threshold; ++v) {}
    if (v == 256) return limits;
    limits.low = v;
    sum = 0;
    for (v = 255; v >= 0 && (sum += counts[size_t(v)]) <= threshold; --v) {}
    limits.high = v;
    return limits;
}

LevelLimits OccupiedLimits(const LevelCounts& counts) { return ThresholdLimits(counts, 0); }

LevelLimits AutomaticLimits(const LevelCounts& counts, uint64_t pixels) {
    const LevelLimits limits = ThresholdLimits(counts, pixels / 100);
    return limits.low == limits.high ? OccupiedLimits(counts) : limits;
}

LevelTable StretchTable(LevelLimits limits) {
    LevelTable table;
    const int low = limits.low, high = limits.high;
    for (int v = 0; v < 256; ++v) {
        if (high <= low) table[size_t(v)] = uint8_t(v);
        else if (v < low) table[size_t(v)] = 0;
        else if (v > high) table[size_t(v)] = 255;
        else table[size_t(v)] = uint8_t((v - low) * 255 / (high - low));
    }
    return table;
}

int MeanGrey(const COrinDoc& doc, const LayerRecord& layer) {
    uint64_t sum = 0, pixels = 0;
    ScanLayerRows(doc, layer, [&](int, std::span<const Bgr> row, std::span<const uint8_t>) {
        for (const Bgr c : row) sum += (c.b + c.g + c.r) / 3;
        pixels += row.size();
    });
    return pixels ? int(sum / pixels) : 0;
}

ChannelTables ChannelTables::Identity() {
    ChannelTables t;
    for (int v = 0; v < 256; ++v) t.red[size_t(v)] = t.green[size_t(v)] = t.blue[size_t(v)] = uint8_t(v);
    return t;
}

Status ApplyChannelTables(COrinDoc& doc, LayerRecord& layer, const ChannelTables& tables, bool selection) {
    RowLoopOptions options;
    options.selection = selection;
    options.paletteEntries = true;
    return ForEachPixel(doc, layer, options, [&tables](Bgr c) {
        return Bgr{tables.blue[c.b], tables.green[c.g], tables.red[c.r]};
    });
}
