#include "Codecs.h"

#include <algorithm>
#include <cctype>
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

}  // namespace

bool CanDecode(int code) { return DecoderFor(code) != nullptr; }
bool CanEncode(int code) { return EncoderFor(code) != nullptr; }
bool KeepsAlpha(int code) { return code == kFormatPng || code == kFormatWebp || code == kFormatAvif; }

bool CImageBuffer::Decode(ByteStream& file, int code) {
    if (code == kFormatProject || code == kFormatMeasure) return true;
    if (code == kFormatUnknown) {
        const int64_t start = file.Tell();
        static constexpr int kOrder[] = {kFormatBmp, kFormatJpeg, kFormatGif, kFormatTiff, kFormatPcx,
                                         kFormatPng, kFormatWebp, kFormatAvif};
        bool first = true;
        for (int c : kOrder) {
            if (!first && !file.Seek(start, SEEK_SET)) break;
            first = false;
            if (Decode(file, c)) return true;
        }
        return false;
    }
    DecodeFn decode = DecoderFor(code);
    if (!decode) {
        SetLastError(msg::kUnsupportedFormat);
        return false;
    }
    CImageBuffer temp(code);
    temp.Info().page = Info().page;
    temp.Info().quality = Info().quality;
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
    if (!IsValid()) return false;
    EncodeFn encode = EncoderFor(code);
    if (!encode) {
        SetLastError(msg::kUnsupportedFormat);
        return false;
    }
    return encode(file, *this);
}

bool CImageBuffer::Load(const std::string& path, int code) {
    {
        FileStream in;
        if (!in.Open(path, "rb")) return false;
        if (Decode(in, code)) return true;
    }
    if (code == kFormatUnknown) return false;
    FileStream again;
    if (!again.Open(path, "rb")) return false;
    return Decode(again, kFormatUnknown);
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
