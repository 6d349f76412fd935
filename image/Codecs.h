// Picture file codecs. Each decoder reads one picture from the stream into `out`
// (an empty image carrying the requested page and quality in its information
// record) and returns false with out.LastError() set on failure; each encoder writes
// `image` to the stream. Decoders check every size, count and offset against what
// remains of the stream before allocating.
#pragma once

#include <string>
#include <vector>

#include "ImageBuffer.h"

class ByteStream;

namespace codec {
bool DecodeBmp(ByteStream& in, CImageBuffer& out);
bool EncodeBmp(ByteStream& out, CImageBuffer& image);
bool DecodeGif(ByteStream& in, CImageBuffer& out);
bool EncodeGif(ByteStream& out, CImageBuffer& image);
bool DecodeJpeg(ByteStream& in, CImageBuffer& out);
bool EncodeJpeg(ByteStream& out, CImageBuffer& image);
bool DecodeTiff(ByteStream& in, CImageBuffer& out);
bool EncodeTiff(ByteStream& out, CImageBuffer& image);
bool DecodePcx(ByteStream& in, CImageBuffer& out);
bool DecodePng(ByteStream& in, CImageBuffer& out);
bool EncodePng(ByteStream& out, CImageBuffer& image);
bool DecodeWebp(ByteStream& in, CImageBuffer& out);
bool EncodeWebp(ByteStream& out, CImageBuffer& image);
bool DecodeAvif(ByteStream& in, CImageBuffer& out);
bool EncodeAvif(ByteStream& out, CImageBuffer& image);
}  // namespace codec

// PSD import: reads the merged image data into a 24-bit top-down bitmap. Returns 0
// on success or -1 (open) .. -9 (bitmap) as the reader's result codes.
int ImportPsd(ByteStream& in, PlainBitmap& result);
int ImportPsdFile(const std::string& path, PlainBitmap& result);

// Format code from a file name: the lower-cased extension after the last point.
int FormatFromPath(const std::string& path);
std::string LowerExtension(const std::string& path);
// Formats with a reader (Decode) and with a writer (Encode) of their own.
bool CanDecode(int code);
bool CanEncode(int code);
// Formats whose files keep an alpha plane (PNG, WebP, AVIF).
bool KeepsAlpha(int code);
// The file name part after the last path separator.
std::string FileNamePart(const std::string& path);

// The open and save dialogs' filter table.
struct FilterEntry {
    const char* label;
    const char* filter;
    int code;
    bool mayOpen;
    bool maySave;
};
const std::vector<FilterEntry>& FilterTable();
const FilterEntry* NthFilter(int n, bool forSave);
const char* FilterLabel(int code);
bool FilterFlags(int code, bool& mayOpen, bool& maySave);
std::string DialogFilterString(bool forSave);  // label NUL filter NUL ..., as one string
int SaveFilterPosition(const std::string& label);  // -1 when absent
extern const char* const kInsertPictureFilter;
