#include "ExifBlock.h"

#include <libexif/exif-data.h>

#include <cstdlib>
#include <memory>

namespace exif {

namespace {

struct DataFree {
    void operator()(ExifData* d) const { exif_data_unref(d); }
};
using Data = std::unique_ptr<ExifData, DataFree>;

// JPEG markers hold at most 65533 bytes of payload.
constexpr size_t kMaxMarkerBytes = 65533;

// Loads the block as it stands: libexif neither adds the tags that the standard calls
// mandatory nor drops the ones it does not know.
Data Load(const uint8_t* block, size_t size) {
    if (!block || size < 6 || size > kMaxMarkerBytes) return nullptr;
    Data data(exif_data_new());
    if (!data) return nullptr;
    exif_data_unset_option(data.get(), EXIF_DATA_OPTION_FOLLOW_SPECIFICATION);
    exif_data_unset_option(data.get(), EXIF_DATA_OPTION_IGNORE_UNKNOWN_TAGS);
    exif_data_load_data(data.get(), block, unsigned(size));
    return data;
}

// An integer entry's first value. Cameras write some tags with another integer type
// than the standard's (a Panasonic writes Orientation as a signed long): any is taken.
bool IntegerEntry(const ExifEntry* e, int& value, ExifByteOrder order) {
    if (!e || e->components < 1 || !e->data) return false;
    switch (e->format) {
    case EXIF_FORMAT_SHORT:
    case EXIF_FORMAT_SSHORT:
        if (e->size < 2) return false;
        value = exif_get_short(e->data, order);
        return true;
    case EXIF_FORMAT_LONG:
    case EXIF_FORMAT_SLONG:
        if (e->size < 4) return false;
        value = int(exif_get_long(e->data, order) & 0x7FFFFFFF);
        return true;
    default: return false;
    }
}

void SetInteger(ExifEntry* e, int value, ExifByteOrder order) {
    int old = 0;
    if (!IntegerEntry(e, old, order)) return;
    if (e->format == EXIF_FORMAT_SHORT || e->format == EXIF_FORMAT_SSHORT) {
        if (value <= 0x7FFF) exif_set_short(e->data, order, ExifShort(value));
    } else {
        exif_set_long(e->data, order, ExifLong(value));
    }
}

ExifEntry* OrientationEntry(ExifData* data) { return exif_content_get_entry(data->ifd[EXIF_IFD_0], EXIF_TAG_ORIENTATION); }

void SetDimension(ExifData* data, ExifTag tag, int value) {
    SetInteger(exif_content_get_entry(data->ifd[EXIF_IFD_EXIF], tag), value, exif_data_get_byte_order(data));
}

}  // namespace

int Orientation(const uint8_t* block, size_t size) {
    Data data = Load(block, size);
    if (!data) return 0;
    int value = 0;
    if (!IntegerEntry(OrientationEntry(data.get()), value, exif_data_get_byte_order(data.get()))) return 0;
    return value >= 1 && value <= 8 ? value : 0;
}

std::vector<uint8_t> ForSave(const std::vector<uint8_t>& block, int width, int height, bool resetOrientation) {
    Data data = Load(block.data(), block.size());
    if (!data) return {};
    if (resetOrientation) SetInteger(OrientationEntry(data.get()), 1, exif_data_get_byte_order(data.get()));
    SetDimension(data.get(), EXIF_TAG_PIXEL_X_DIMENSION, width);
    SetDimension(data.get(), EXIF_TAG_PIXEL_Y_DIMENSION, height);
    // The default allocator of exif_data_new() is malloc and free.
    std::free(data->data);
    data->data = nullptr;
    data->size = 0;
    ExifContent* thumbnail = data->ifd[EXIF_IFD_1];
    while (thumbnail && thumbnail->count) exif_content_remove_entry(thumbnail, thumbnail->entries[0]);
    unsigned char* bytes = nullptr;
    unsigned int count = 0;
    exif_data_save_data(data.get(), &bytes, &count);
    std::vector<uint8_t> out;
    if (bytes && count <= kMaxMarkerBytes) out.assign(bytes, bytes + count);
    std::free(bytes);
    return out;
}

}  // namespace exif
