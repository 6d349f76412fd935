#include "Layer.h"

#include <algorithm>
#include <cstring>

#include "Endian.h"
#include "Utf16.h"

void LayerRecord::FreeBuffers() {
    std::vector<uint8_t>().swap(pixels);
    std::vector<uint8_t>().swap(alpha);
    std::vector<uint8_t>().swap(aux);
}

namespace {

// Field offsets of the stored layer record.
enum : size_t {
    kOffInUse = 0, kOffPicture = 4, kOffName = 8, kOffKind = 208, kOffBlend = 209, kOffBelow = 210,
    kOffAbove = 212, kOffLink = 214, kOffEffectOn = 216, kOffEffectSize = 217, kOffExtra = 218,
    kOffColour = 228, kOffTransparency = 232, kOffVisible = 236, kOffX = 240, kOffY = 244, kOffHeight = 248,
    kOffWidth = 252, kOffPlane = 256, kOffPixelSize = 260, kOffStride = 264, kOffTextRef = 268,
    kOffTextLength = 272, kOffStyleFirst = 276, kOffStyleSecond = 280, kOffStyleSize = 284, kOffStyleBlock = 288,
    kOffStyleTail = 336, kOffEnd = 338,
};

// Byte ranges that no field covers: kept as read.
constexpr std::pair<size_t, size_t> kUnlisted[] = {{233, 236}, {338, 388}};

}  // namespace

void SerializeLayerRecord(const LayerRecord& r, uint8_t* out, size_t bytes) {
    uint8_t b[kLayerRecordBytes] = {};
    for (auto [from, to] : kUnlisted) std::memcpy(b + from, r.unlisted.data() + from, to - from);
    PutLE32(b + kOffInUse, uint32_t(r.inUse));
    PutLE32(b + kOffPicture, uint32_t(r.pictureFlag));
    PutUtf16Field(b + kOffName, 200, r.name);
    b[kOffKind] = r.kind;
    b[kOffBlend] = r.blend;
    PutLE16(b + kOffBelow, uint16_t(r.below));
    PutLE16(b + kOffAbove, uint16_t(r.above));
    PutLE16(b + kOffLink, uint16_t(r.link));
    b[kOffEffectOn] = r.effectOn;
    b[kOffEffectSize] = r.effectSize;
    std::memcpy(b + kOffExtra, r.extra.data(), r.extra.size());
    PutLE32(b + kOffColour, r.colour);
    b[kOffTransparency] = r.transparency;
    PutLE32(b + kOffVisible, uint32_t(r.visible));
    PutLE32(b + kOffX, uint32_t(r.x));
    PutLE32(b + kOffY, uint32_t(r.y));
    PutLE32(b + kOffHeight, uint32_t(r.height));
    PutLE32(b + kOffWidth, uint32_t(r.width));
    PutLE32(b + kOffPlane, uint32_t(r.planeSize));
    PutLE32(b + kOffPixelSize, uint32_t(r.pixelSize));
    PutLE32(b + kOffStride, uint32_t(r.stride));
    PutLE32(b + kOffTextRef, 0);
    PutLE32(b + kOffTextLength, uint32_t(r.textLength));
    PutLE32(b + kOffStyleFirst, uint32_t(r.style.first));
    PutLE32(b + kOffStyleSecond, uint32_t(r.style.second));
    PutLE32(b + kOffStyleSize, uint32_t(r.style.size));
    std::memcpy(b + kOffStyleBlock, r.style.block.data(), r.style.block.size());
    PutLE16(b + kOffStyleTail, uint16_t(r.style.tail));
    // Bytes 388..399 are the three buffer references: always zero when stored.
    std::memcpy(out, b, std::min(bytes, kLayerRecordBytes));
}

void DeserializeLayerRecord(LayerRecord& r, const uint8_t* in, size_t bytes) {
    auto has = [bytes](size_t offset, size_t width) { return offset + width <= bytes; };
    for (auto [from, to] : kUnlisted)
        for (size_t i = from; i < to && i < bytes; ++i) r.unlisted[i] = in[i];
    if (has(kOffInUse, 4)) r.inUse = int32_t(GetLE32(in + kOffInUse));
    if (has(kOffPicture, 4)) r.pictureFlag = int32_t(GetLE32(in + kOffPicture));
    if (has(kOffName, 200)) r.name = GetUtf16Field(in + kOffName, 200);
    if (has(kOffKind, 1)) r.kind = in[kOffKind];
    if (has(kOffBlend, 1)) r.blend = in[kOffBlend];
    if (has(kOffBelow, 2)) r.below = int16_t(GetLE16(in + kOffBelow));
    if (has(kOffAbove, 2)) r.above = int16_t(GetLE16(in + kOffAbove));
    if (has(kOffLink, 2)) r.link = int16_t(GetLE16(in + kOffLink));
    if (has(kOffEffectOn, 1)) r.effectOn = in[kOffEffectOn];
    if (has(kOffEffectSize, 1)) r.effectSize = in[kOffEffectSize];
    for (size_t i = 0; i < r.extra.size() && has(kOffExtra + i, 1); ++i) r.extra[i] = in[kOffExtra + i];
    if (has(kOffColour, 4)) r.colour = GetLE32(in + kOffColour);
    if (has(kOffTransparency, 1)) r.transparency = in[kOffTransparency];
    if (has(kOffVisible, 4)) r.visible = int32_t(GetLE32(in + kOffVisible));
    if (has(kOffX, 4)) r.x = int32_t(GetLE32(in + kOffX));
    if (has(kOffY, 4)) r.y = int32_t(GetLE32(in + kOffY));
    if (has(kOffHeight, 4)) r.height = int32_t(GetLE32(in + kOffHeight));
    if (has(kOffWidth, 4)) r.width = int32_t(GetLE32(in + kOffWidth));
    if (has(kOffPlane, 4)) r.planeSize = int32_t(GetLE32(in + kOffPlane));
    if (has(kOffPixelSize, 4)) r.pixelSize = int32_t(GetLE32(in + kOffPixelSize));
    if (has(kOffStride, 4)) r.stride = int32_t(GetLE32(in + kOffStride));
    if (has(kOffTextLength, 4)) r.textLength = int32_t(GetLE32(in + kOffTextLength));
    if (has(kOffStyleFirst, 4)) r.style.first = int32_t(GetLE32(in + kOffStyleFirst));
    if (has(kOffStyleSecond, 4)) r.style.second = int32_t(GetLE32(in + kOffStyleSecond));
    if (has(kOffStyleSize, 4)) r.style.size = int32_t(GetLE32(in + kOffStyleSize));
    for (size_t i = 0; i < r.style.block.size() && has(kOffStyleBlock + i, 1); ++i)
        r.style.block[i] = in[kOffStyleBlock + i];
    if (has(kOffStyleTail, 2)) r.style.tail = int16_t(GetLE16(in + kOffStyleTail));
}

void SerializeCanvasHeader(const CanvasHeader& h, uint8_t* out) {
    std::memset(out, 0, kCanvasHeaderBytes);
    PutUtf16Field(out, 200, h.title);
    PutLE32(out + 200, uint32_t(h.height));
    PutLE32(out + 204, uint32_t(h.width));
    std::memcpy(out + 208, h.extra.data(), h.extra.size());
    PutLE32(out + 216, uint32_t(h.format));
    PutLE32(out + 220, uint32_t(h.paletteCount));
    PutLE32(out + 224, uint32_t(h.bpp));
    PutLE32(out + 228, uint32_t(h.pixelDataSize));
    PutLE32(out + 232, uint32_t(h.area));
    // Bytes 236..255 are run-time working-buffer fields: no meaning when stored.
}

void DeserializeCanvasHeader(CanvasHeader& h, const uint8_t* in) {
    h.title = GetUtf16Field(in, 200);
    h.height = int32_t(GetLE32(in + 200));
    h.width = int32_t(GetLE32(in + 204));
    std::memcpy(h.extra.data(), in + 208, h.extra.size());
    h.format = int32_t(GetLE32(in + 216));
    h.paletteCount = int32_t(GetLE32(in + 220));
    h.bpp = int32_t(GetLE32(in + 224));
    h.pixelDataSize = int32_t(GetLE32(in + 228));
    h.area = int32_t(GetLE32(in + 232));
}
