#include "OpenSave.h"

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <optional>

#include "Codecs.h"
#include "Compositor.h"
#include "History.h"
#include "LayerModel.h"
#include "LayerOps.h"
#include "Messages.h"
#include "ProjectFile.h"
#include "Quantize.h"
#include "SafeFile.h"
#include "ByteStream.h"
#include "Utf16.h"

Status CannotOpen(const std::string& reason) {
    return Status::Fail(reason.empty() ? std::string(msg::kCannotOpen) : std::string(msg::kCannotOpen) + "\n" + reason);
}

PictureLimits OpenLimits(const Workspace& workspace) {
    PictureLimits limits;
    limits.maxPixels = workspace.pixelLimit;
    limits.availableBytes = workspace.availableMemory ? workspace.availableMemory() : -1;
    limits.bytesPerPixel = kOpenBytesPerPixel;
    return limits;
}

Status OpenDocumentFrom(COrinDoc& doc, ByteStream& in, int code) {
    if (code == kFormatProject) {
        Status s = ReadProject(doc, in);
        if (!s) {
            // A failed read leaves an empty document.
            for (LayerRecord& r : doc.layers.slots) r = LayerRecord{};
            doc.layers.bottom = doc.layers.current = -1;
        }
        return s;
    }
    if (code == kFormatMeasure) return Status::Fail(msg::kCannotOpen);
    auto image = std::make_unique<CImageBuffer>(code);
    image->Info().limits = OpenLimits(doc.workspace);
    image->Info().exifUpright = doc.workspace.exifOrientation;
    // A name whose extension names no format is tried with every reader in turn.
    if (!image->Load(in, code) || !image->IsValid()) return CannotOpen(image->LastError());
    doc.mainImage = std::move(image);
    return OpenPictureInDocument(doc);
}

Status OpenDocument(COrinDoc& doc, const std::string& path) {
    const int code = FormatFromPath(path);
    const std::string name = FileNamePart(path);
    if (Utf8ToUtf16(name).size() >= 100) return Status::Fail(msg::kNameTooLong);
    doc.fileName = name;
    doc.path = path;
    FileStream in;
    // An unreadable project fails without a message.
    if (!in.Open(path, "rb")) return Status::Fail(code == kFormatProject ? "" : msg::kCannotOpen);
    return OpenDocumentFrom(doc, in, code);
}

namespace {

// The picture with the layer's alpha plane (canvas size, rows bottom-up) as its
// fourth byte, in `out`; false when every pixel is fully covered (the picture is
// written as it is). The composite of a flatten carries colour times alpha: that
// colour is divided back, so that a half-covered pixel keeps its own colour.
bool WithAlphaPlane(const CImageBuffer& image, const std::vector<uint8_t>& alpha, bool premultiplied,
                    CImageBuffer& out) {
    const int w = image.Width(), h = image.Height();
    if (alpha.size() != size_t(w) * size_t(h) || std::all_of(alpha.begin(), alpha.end(), [](uint8_t a) { return a == 255; }))
        return false;
    if (!out.Allocate(w, h, 32, image.Type(), false)) return false;
    ImageInfo info = image.Info();
    info.stride = out.Stride();
    info.hasAlpha = true;
    out.Info() = info;
    out.SetHorizontalDpi(info.dpiX);
    out.SetVerticalDpi(info.dpiY);
    const bool divide = premultiplied && image.Bpp() == 24;
    for (int y = 0; y < h; ++y) {
        const uint8_t* cover = alpha.data() + size_t(y) * size_t(w);
        uint8_t* dst = out.Row(y);
        for (int x = 0; x < w; ++x, dst += 4) {
            const RgbQuad c = image.ColourAt(x, y);
            const int a = cover[x];
            const uint8_t colour[3] = {c.blue, c.green, c.red};
            for (int i = 0; i < 3; ++i)
                dst[i] = divide ? uint8_t(a == 0 ? 0 : std::min(255, (colour[i] * 255 + a / 2) / a)) : colour[i];
            dst[3] = uint8_t(a);
        }
    }
    return true;
}

Status SavePicture(COrinDoc& doc, const std::string& path, int code) {
    // A target that cannot be written is refused before anything is flattened.
    SafeFile file;
    if (!file.Open(path)) return Status::Fail(file.ErrorOr(msg::kSaveFailed));
    // A single plain layer is written with its own colour and alpha, an opaque single
    // layer as it is (it is its own flattened picture); any other stack is flattened
    // straight into the picture, band by band. The layers and the history never change.
    const int plain = KeepsAlpha(code) ? PlainSingleLayer(doc) : -1;
    const int opaque = plain < 0 ? OpaqueSingleLayer(doc) : -1;
    const bool flatten = plain < 0 && opaque < 0;
    // A single layer's rows are lent to the writer rather than copied, unless they are
    // to be reduced to a palette in place.
    std::vector<uint8_t> cover;
    std::optional<LayerExport> single;
    const int slot = opaque >= 0 ? opaque : plain;
    bool exported = false;
    if (flatten) exported = ExportCompositeToMainImage(doc, KeepsAlpha(code) ? &cover : nullptr);
    else if (code == kFormatGif) exported = ExportLayerToMainImage(doc, slot, opaque >= 0);
    else exported = single.emplace(doc, slot, opaque >= 0).Ok();
    Status result = Status::Fail(msg::kSaveFailed);
    if (exported) {
        CImageBuffer& image = *doc.mainImage;
        bool ready = true;
        if (code == kFormatGif && image.Bpp() > 8) ready = ReduceTo8Bit(image);
        CImageBuffer withAlpha(code);
        const std::vector<uint8_t>& alphaPlane = plain < 0 ? cover : doc.layers[plain].alpha;
        const bool alpha = KeepsAlpha(code) && WithAlphaPlane(image, alphaPlane, flatten, withAlpha);
        CImageBuffer& picture = alpha ? withAlpha : image;
        if (ready) {
            if (picture.Encode(file.Stream(), code) && file.Commit(doc.workspace.durableSaves)) result = Status::Ok();
            else if (!picture.LastError().empty()) result = Status::Fail(picture.LastError());
        }
    }
    return result;
}

}  // namespace

Status SaveDocument(COrinDoc& doc, const std::string& path) {
    if (doc.IsEmpty()) return Status::Fail(msg::kSaveFailed);
    Status result = Status::Fail(msg::kSaveFailed);
    {
        const SavedLayerPlaces places(doc);
        const int code = FormatFromPath(path);
        if (LowerExtension(path).empty() || !IsUsableSaveName(path)) {
            result = Status::Fail(msg::kSaveFailed);
        } else if (code == kFormatProject) {
            result = WriteProjectFile(doc, path);
        } else if (CanEncode(code)) {
            const bool changed = doc.changed;
            result = SavePicture(doc, path, code);
            doc.changed = changed;
        }
    }
    doc.flattenRequest = false;
    doc.Touch();
    if (result) {
        doc.changed = false;
        doc.path = path;
        doc.fileName = FileNamePart(path);
    }
    return result;
}

std::string FormatExtension(int formatCode) {
    for (const FilterEntry& e : FilterTable())
        if (e.code == formatCode && std::strlen(e.filter) >= 5) {
            // The first pattern without its star: "*.jpg;*.jpeg" gives ".jpg", "*.webp" ".webp".
            const std::string first(e.filter + 1, std::strcspn(e.filter + 1, ";"));
            return first;
        }
    return ".jpg";
}

std::string SuggestedSaveName(const COrinDoc& doc, bool saveAs) {
    bool mayOpen = false, maySave = false;
    const int format = doc.mainImage ? doc.mainImage->Type() : kFormatJpeg;
    const bool offered = FilterFlags(format, mayOpen, maySave) && maySave;
    std::string name = doc.path;
    if (name.empty() || !offered || saveAs) {
        // Without a usable path the document's title names the file.
        if (name.empty() || !offered) name = doc.fileName;
        if (name == doc.fileName && name.find_first_of("#%;/\\") != std::string::npos) name = "UntitledImage";
    }
    const std::string extension = FormatExtension(offered ? format : kFormatJpeg);
    const std::string file = FileNamePart(name);
    const size_t dot = file.rfind('.');
    if (dot != std::string::npos) name.erase(name.size() - (file.size() - dot));
    return name + extension;
}

bool IsUsableSaveName(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    const size_t point = name.find_last_of('.');
    if (name.empty() || point == 0 || name == "." || name == "..") return false;
    std::error_code ec;
    return !std::filesystem::is_directory(path, ec);
}

std::string WithFormatExtension(const std::string& name, int formatCode) {
    // Characters, not bytes: a Korean character is three bytes of the name.
    const std::u16string text = Utf8ToUtf16(name);
    const size_t tail = text.size() > 5 ? text.size() - 5 : 0;
    if (text.find(u'.', tail) != std::u16string::npos) return name;
    return name + FormatExtension(formatCode);
}
