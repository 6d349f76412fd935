#include "OpenSave.h"

#include <algorithm>
#include <cstring>
#include <filesystem>

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
    const int current = doc.layers.current;
    // Undoing the flatten would bring back the selection of the step before it; the
    // selection shown now stays.
    const SelectionMask selection = doc.selection;
    // A single plain layer is written with its own colour and alpha; anything else is
    // flattened first (and the flatten undone afterwards).
    const int plain = KeepsAlpha(code) ? PlainSingleLayer(doc) : -1;
    // An opaque single layer is its own flattened picture: it is written as it is,
    // without a flatten step to undo and read back (which would cost a second copy of
    // the layer at the save's peak).
    const int opaque = plain < 0 ? OpaqueSingleLayer(doc) : -1;
    const bool flatten = plain < 0 && opaque < 0;
    // The layers come back after writing through an undo of the flatten: a layer whose
    // step file cannot be read back (disk full) would stay flattened, so nothing is done.
    if (flatten && !CanRestoreLayers(doc)) return Status::Fail(msg::kSaveNeedsSteps);
    // The flatten's own step is never undone by the user: a failure to write it is no news.
    doc.history.reportFailures = false;
    if (flatten)
        if (Status s = FlattenLayers(doc); !s) {
            doc.history.reportFailures = true;
            return s;
        }
    const int slot = flatten ? doc.layers.bottom : opaque >= 0 ? opaque : plain;
    Status result = Status::Fail(msg::kSaveFailed);
    if (ExportLayerToMainImage(doc, slot, opaque >= 0)) {
        CImageBuffer& image = *doc.mainImage;
        bool ready = true;
        if (code == kFormatGif && image.Bpp() > 8) ready = ReduceTo8Bit(image);
        CImageBuffer withAlpha(code);
        const bool alpha = KeepsAlpha(code) && WithAlphaPlane(image, doc.layers[slot].alpha, flatten, withAlpha);
        CImageBuffer& picture = alpha ? withAlpha : image;
        if (ready) {
            if (picture.Encode(file.Stream(), code) && file.Commit(doc.workspace.durableSaves)) result = Status::Ok();
            else if (!picture.LastError().empty()) result = Status::Fail(picture.LastError());
        }
    }
    if (flatten) {
        // The flatten was made only for writing: once undone it is not offered for redo,
        // where it would flatten the picture the user never asked to flatten.
        if (Undo(doc)) doc.history.top = doc.history.position;
        else if (doc.history.unreadable) result = Status::Fail(msg::kCannotRestore);
        // Undo makes the layer of the step before current; the user's layer stays current.
        SelectLayer(doc, current);
        doc.selection = selection;
    }
    doc.history.reportFailures = true;
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
