#include "Codecs.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>

#include "ByteStream.h"
#include "Messages.h"

namespace {

using DecodeFn = bool (*)(ByteStream&, CImageBuffer&);
using EncodeFn = bool (*)(ByteStream&, CImageBuffer&);

DecodeFn DecoderFor(int code) {
    switch (code) {
    case kFormatJpeg: return codec::DecodeJpeg;
    case kFormatBmp: return codec::DecodeBmp;
    case kFormatGif: return codec::DecodeGif;
    case kFormatTiff: return codec::DecodeTiff;
    case kFormatPcx: return codec::DecodePcx;
    case kFormatPng: return codec::DecodePng;
    case kFormatWebp: return codec::DecodeWebp;
    case kFormatAvif: return codec::DecodeAvif;
    default: return nullptr;
    }
}

EncodeFn EncoderFor(int code) {
    switch (code) {
    case kFormatJpeg: return codec::EncodeJpeg;
    case kFormatBmp: return codec::EncodeBmp;
    case kFormatGif: return codec::EncodeGif;
    case kFormatTiff: return codec::EncodeTiff;
    case kFormatPng: return codec::EncodePng;
    case kFormatWebp: return codec::EncodeWebp;
    case kFormatAvif: return codec::EncodeAvif;
    default: return nullptr;
    }
}

// The merged picture of a PSD file, as a 24-bit picture at 96 DPI.
bool DecodePsd(ByteStream& file, CImageBuffer& out) {
    PlainBitmap bitmap;
    const char* refusal = nullptr;
    const int result = ImportPsd(file, bitmap, out.Info().limits, &refusal);
    if (result != 0) {
        char text[128];
        std::snprintf(text, sizeof text, msg::kPsdFailed, result);
        out.SetLastError(refusal ? refusal : text);
        return false;
    }
    if (!out.FromBitmapHandle(&bitmap)) return false;
    out.SetHorizontalDpi(96);
    out.SetVerticalDpi(96);
    return true;
}

// Tries the readers in the fall-back order, each from `start`, leaving out `tried`
// (the reader that has already failed on this file).
bool DecodeInOrder(CImageBuffer& image, ByteStream& file, int64_t start, int tried) {
    static constexpr int kOrder[] = {kFormatBmp, kFormatJpeg, kFormatGif,  kFormatTiff,
                                     kFormatPcx, kFormatPng,  kFormatWebp, kFormatAvif};
    for (int c : kOrder) {
        if (c == tried) continue;
        if (!file.Seek(start, SEEK_SET)) return false;
        if (image.Decode(file, c)) return true;
    }
    return false;
}

}  // namespace

bool CanDecode(int code) { return DecoderFor(code) != nullptr; }
bool CanEncode(int code) { return EncoderFor(code) != nullptr; }
bool KeepsAlpha(int code) { return code == kFormatPng || code == kFormatWebp || code == kFormatAvif; }

bool CImageBuffer::Decode(ByteStream& file, int code) {
    if (code == kFormatProject || code == kFormatMeasure) return true;
    if (code == kFormatUnknown) return DecodeInOrder(*this, file, file.Tell(), kFormatUnknown);
    DecodeFn decode = code == kFormatPsd ? DecodePsd : DecoderFor(code);
    if (!decode) {
        SetLastError(msg::kUnsupportedFormat);
        return false;
    }
    CImageBuffer temp(code);
    temp.Info().page = Info().page;
    temp.Info().quality = Info().quality;
    temp.Info().limits = Info().limits;
    temp.Info().exifUpright = Info().exifUpright;
    if (!decode(file, temp) || !temp.IsValid()) {
        SetLastError(temp.LastError());
        return false;
    }
    TakeOver(temp);
    // The type code says which format the picture came from.
    Info().typeCode = uint8_t(code);
    return true;
}

bool CImageBuffer::Encode(ByteStream& file, int code) {
    if (code == kFormatProject || code == kFormatMeasure) return true;
    if (!HasPixels()) return false;
    EncodeFn encode = EncoderFor(code);
    if (!encode) {
        SetLastError(msg::kUnsupportedFormat);
        return false;
    }
    return encode(file, *this);
}

bool CImageBuffer::Load(ByteStream& file, int code) {
    const int64_t start = file.Tell();
    if (Decode(file, code)) return true;
    if (code == kFormatUnknown) return false;
    // A file whose name says the wrong format: the other readers, each once. When
    // none can read it, the message is the one of the format its name gives.
    const std::string reason = LastError();
    if (DecodeInOrder(*this, file, start, code)) return true;
    SetLastError(reason);
    return false;
}

bool CImageBuffer::Load(const std::string& path, int code) {
    FileStream in;
    if (!in.Open(path, "rb")) return false;
    return Load(in, code);
}

bool CImageBuffer::Save(const std::string& path, int code) {
    FileStream out;
    if (!out.Open(path, "wb")) return false;
    const bool ok = Encode(out, code);
    const bool closed = out.Close();
    return ok && closed;
}

bool CImageBuffer::FromResource(const uint8_t* data, size_t size, int code) {
    if (!data || size == 0) {
        SetLastError(msg::kResourceLoad);
        return false;
    }
    MemoryStream in(data, size);
    return Decode(in, code);
}

std::string FileNamePart(const std::string& path) {
    const size_t slash = path.find_last_of("/\\");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string LowerExtension(const std::string& path) {
    const std::string name = FileNamePart(path);
    const size_t dot = name.rfind('.');
    if (dot == std::string::npos) return {};
    std::string ext = name.substr(dot + 1);
    std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return char(std::tolower(c)); });
    return ext;
}

int FormatFromPath(const std::string& path) {
    const std::string ext = LowerExtension(path);
    if (ext == "jpg" || ext == "jpeg") return kFormatJpeg;
    if (ext == "bmp") return kFormatBmp;
    if (ext == "gif") return kFormatGif;
    if (ext == "tif" || ext == "tiff") return kFormatTiff;
    if (ext == "pcx") return kFormatPcx;
    if (ext == "tsr") return kFormatProject;
    if (ext == "sco") return kFormatMeasure;
    if (ext == "psd") return kFormatPsd;
    if (ext == "png") return kFormatPng;
    if (ext == "webp") return kFormatWebp;
    if (ext == "avif") return kFormatAvif;
    return kFormatUnknown;
}

const char* const kInsertPictureFilter =
    "Picture Files (*.jpg;*.gif;*.bmp;*.png)|*.jpg;*.gif;*.bmp;*.png|All Files (*.*)|*.*||";

const std::vector<FilterEntry>& FilterTable() {
    static const std::vector<FilterEntry> table = {
        {"JPG", "*.jpg;*.jpeg", 0, true, true},
        {"BMP", "*.bmp", 1, true, true},
        {"GIF", "*.gif", 2, true, true},
        {"TIF", "*.tif;*.tiff", 3, true, true},
        {"PCX", "*.pcx", 4, true, false},
        {"TSR", "*.tsr", 5, true, true},
        {"PSD", "*.psd", 7, true, false},
        {"모든그림형식", "*.bmp;*.gif;*.jpg;*.png;*.tif;*.pcx;*.tsr;*.psd", 8, true, true},
        {"PNG", "*.png", kFormatPng, true, true},
        {"WEBP", "*.webp", kFormatWebp, true, true},
        {"AVIF", "*.avif", kFormatAvif, true, true},
        {"SCO", "*.sco", kFormatMeasure, true, true},
    };
    return table;
}

const FilterEntry* NthFilter(int n, bool forSave) {
    for (const FilterEntry& e : FilterTable()) {
        if (!(forSave ? e.maySave : e.mayOpen)) continue;
        if (n-- == 0) return &e;
    }
    return nullptr;
}

const char* FilterLabel(int code) {
    for (const FilterEntry& e : FilterTable())
        if (e.code == code) return e.label;
    return nullptr;
}

bool FilterFlags(int code, bool& mayOpen, bool& maySave) {
    for (const FilterEntry& e : FilterTable())
        if (e.code == code) {
            mayOpen = e.mayOpen;
            maySave = e.maySave;
            return true;
        }
    return false;
}

std::string DialogFilterString(bool forSave) {
    std::string out;
    for (const FilterEntry& e : FilterTable()) {
        if (!(forSave ? e.maySave : e.mayOpen)) continue;
        out += e.label;
        out.push_back('\0');
        out += e.filter;
        out.push_back('\0');
    }
    return out;
}

int SaveFilterPosition(const std::string& label) {
    int pos = 0;
    for (const FilterEntry& e : FilterTable()) {
        if (!e.maySave) continue;
        if (label == e.label) return pos;
        ++pos;
    }
    return -1;
}
