// The layer record and the canvas header: the in-memory form of the two stored
// records, with their serialisers. The stored layouts have fixed offsets: a layer
// record is 400 bytes (397 stored in project files, 388 in the undo head file, 293
// in old project files), the canvas header 256 bytes. Stored pointers are written as
// zero and never read back.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

enum LayerKind : uint8_t {
    kLayerRaster = 0,
    kLayerBackdrop = 1,
    kLayerText = 2,
    kLayerFloating = 3,
    kLayerMeasure = 4,
};

enum BlendMode : uint8_t {
    kBlendNormal = 0,
    kBlendMultiply = 2,
    kBlendScreen = 3,
    kBlendDarken = 4,
    kBlendLighten = 5,
    kBlendDifference = 6,
    kBlendNegation = 7,
    kBlendExclusion = 8,
    kBlendHardLight = 9,
};

inline constexpr int kMaxLayers = 25;
inline constexpr bool IsValidSlot(int slot) { return slot >= 0 && slot < kMaxLayers; }

// Text style kept by the text tool: three int32 (the third is the text size), a
// 48-byte style block and an int16.
struct TextStyle {
    int32_t first = 0;
    int32_t second = 0;
    int32_t size = 10;
    std::array<uint8_t, 48> block{};
    int16_t tail = 0;
};

// The record's fields without the layer's buffers: cheap to copy.
struct LayerFields {
    int32_t inUse = 0;
    int32_t pictureFlag = 0;
    std::u16string name;         // at most 99 characters are stored
    uint8_t kind = kLayerRaster;
    uint8_t blend = kBlendNormal;
    int16_t below = -1;
    int16_t above = -1;
    int16_t link = -1;           // floating pasted layer: slot it is merged into
    uint8_t effectOn = 0;
    uint8_t effectSize = 0;
    std::array<uint8_t, 10> extra{};  // bytes 218..227: stored and copied, not interpreted
    uint32_t colour = 0;         // vector layer colour: blue in the low byte
    uint8_t transparency = 0;    // 0 opaque .. 255 invisible
    int32_t visible = 0;
    int32_t x = 0;               // canvas column of layer column 0
    int32_t y = 0;               // layer row of canvas row 0 (rows bottom-up)
    int32_t height = 0;
    int32_t width = 0;
    int32_t planeSize = 0;       // width x height
    int32_t pixelSize = 0;       // stride x height
    int32_t stride = 0;
    int32_t textLength = 0;
    TextStyle style;
    std::array<uint8_t, 400> unlisted{};  // padding and bytes 338..387, kept as read
};

struct LayerRecord : LayerFields {
    LayerRecord() = default;
    explicit LayerRecord(const LayerFields& fields) : LayerFields(fields) {}

    std::vector<uint8_t> pixels;  // pixelSize bytes, rows bottom-up at the canvas depth
    std::vector<uint8_t> alpha;   // planeSize bytes, 255 covered .. 0 empty
    std::vector<uint8_t> aux;     // planeSize bytes, the layer effect's coverage
    std::u16string text;          // vector layers only

    bool HasBuffers() const { return !pixels.empty(); }
    void FreeBuffers();
};

inline constexpr size_t kLayerRecordBytes = 400;
inline constexpr size_t kProjectRecordBytes = 397;
inline constexpr size_t kHeadRecordBytes = 388;
inline constexpr size_t kOldProjectRecordBytes = 293;

// Writes the first `bytes` bytes (at most 400) of the stored form of `record`.
void SerializeLayerRecord(const LayerRecord& record, uint8_t* out, size_t bytes);
// Reads the fields that lie inside the first `bytes` bytes; fields beyond keep their values.
void DeserializeLayerRecord(LayerRecord& record, const uint8_t* in, size_t bytes);

struct CanvasHeader {
    std::u16string title;        // at most 99 characters are stored
    int32_t height = 0;
    int32_t width = 0;
    std::array<uint8_t, 8> extra{};  // bytes 208..215: stored, not interpreted
    int32_t format = 0;
    int32_t paletteCount = 0;
    int32_t bpp = 24;
    int32_t pixelDataSize = 0;   // stride(width, bpp) x height
    int32_t area = 0;            // width x height
};

inline constexpr size_t kCanvasHeaderBytes = 256;
void SerializeCanvasHeader(const CanvasHeader& header, uint8_t* out);  // 256 bytes
void DeserializeCanvasHeader(CanvasHeader& header, const uint8_t* in);
