#include "MeasureFile.h"

#include "CalibrationScale.h"

#include <algorithm>

#include "ByteStream.h"
#include "Codecs.h"
#include "LayerModel.h"
#include "MeasureText.h"
#include "OpenSave.h"
#include "Messages.h"
#include "ProjectFile.h"
#include "SafeFile.h"
#include "Utf16.h"

namespace {

bool Put(ByteStream& out, const std::string& text) { return out.WriteAll(text.data(), text.size()); }

void AppendPair(std::string& text, MeasurePoint p) {
    text += ' ';
    text += std::to_string(p.x);
    text += ' ';
    text += std::to_string(p.y);
}

std::string ObjectText(const MeasureObject& o) {
    // "%15s": the name right-aligned in 15 characters (characters, not bytes).
    const std::string name = KindName(o.kind);
    const size_t chars = measuretext::CharCount(name);
    std::string text(1, '\n');
    text.append(chars < 15 ? 15 - chars : 0, ' ');
    text += name;
    for (const long long n : {(long long)o.points.size(), (long long)o.style, (long long)measuretext::CharCount(o.text)}) {
        text += ' ';
        text += std::to_string(n);
    }
    for (size_t i = 0; i < o.points.size(); ++i) {
        AppendPair(text, o.points[i]);
        if (IsCurveKind(o.kind)) {
            AppendPair(text, i < o.control1.size() ? o.control1[i] : o.points[i]);
            AppendPair(text, i < o.control2.size() ? o.control2[i] : o.points[i]);
        }
    }
    if (o.kind == MeasureKind::Text) text += "\n" + o.text;
    return text;
}

void SkipSpace(ByteStream& in) {
    int c = in.GetByte();
    while (c >= 0 && measuretext::IsSpace(char(c))) c = in.GetByte();
    if (c >= 0) in.Seek(-1, SEEK_CUR);
}

// A white-space delimited word of at most `limit` bytes; empty when there is none.
std::string ReadWord(ByteStream& in, size_t limit) {
    SkipSpace(in);
    std::string word;
    int c = in.GetByte();
    while (c >= 0 && !measuretext::IsSpace(char(c)) && word.size() <= limit) {
        word.push_back(char(c));
        c = in.GetByte();
    }
    if (c >= 0) in.Seek(-1, SEEK_CUR);
    return word.size() > limit ? std::string() : word;
}

// `count` UTF-8 characters.
bool ReadChars(ByteStream& in, int count, std::string& text) {
    for (int k = 0; k < count; ++k) {
        const int lead = in.GetByte();
        if (lead < 0) return false;
        text.push_back(char(lead));
        const size_t more = lead >= 0xF0 && lead <= 0xF4 ? 3 : lead >= 0xE0 && lead <= 0xEF ? 2 : lead >= 0xC2 && lead < 0xE0 ? 1 : 0;
        for (size_t m = 0; m < more; ++m) {
            const int c = in.GetByte();
            if (c < 0) return false;
            if ((c & 0xC0) != 0x80) {
                // Not a continuation byte: it starts the next character.
                in.Seek(-1, SEEK_CUR);
                break;
            }
            text.push_back(char(c));
        }
    }
    return true;
}

bool ReadPoint(ByteStream& in, MeasurePoint& p) {
    int x = 0, y = 0;
    if (!ReadFormattedInt(in, x) || !ReadFormattedInt(in, y)) return false;
    p = {x, y};
    return true;
}

bool ReadObjects(ByteStream& in, std::vector<MeasureObject>& objects) {
    int count = 0;
    if (ReadWord(in, 32) != "NumOf_MicObjs" || !ReadFormattedInt(in, count) || count < 0) return false;
    // Every object takes more than 8 bytes: a count beyond that is a damaged file.
    if (int64_t(count) * 8 > in.Remaining()) return false;
    objects.reserve(size_t(count));
    for (int i = 0; i < count; ++i) {
        const auto kind = KindFromName(ReadWord(in, 64));
        int points = 0, style = 0, textLength = 0;
        if (!kind || !ReadFormattedInt(in, points) || !ReadFormattedInt(in, style) ||
            !ReadFormattedInt(in, textLength))
            return false;
        const int64_t pairs = IsCurveKind(*kind) ? 3 : 1;
        if (points < 0 || textLength < 0 || int64_t(points) * pairs * 4 > in.Remaining() ||
            int64_t(textLength) > in.Remaining())
            return false;
        MeasureObject o;
        o.kind = *kind;
        o.style = style;
        o.points.resize(size_t(points));
        if (IsCurveKind(o.kind)) {
            o.control1.resize(size_t(points));
            o.control2.resize(size_t(points));
        }
        for (int k = 0; k < points; ++k) {
            if (!ReadPoint(in, o.points[size_t(k)])) return false;
            if (IsCurveKind(o.kind) && (!ReadPoint(in, o.control1[size_t(k)]) || !ReadPoint(in, o.control2[size_t(k)])))
                return false;
        }
        if (o.kind == MeasureKind::Text) {
            // The text follows one line feed and is read by its length, spaces and all.
            int c = in.GetByte();
            if (c == '\r') c = in.GetByte();
            if (c != '\n' || !ReadChars(in, textLength, o.text)) return false;
        }
        objects.push_back(std::move(o));
    }
    return true;
}

}  // namespace

Status WriteMeasurements(COrinDoc& doc, const MeasureSheet& sheet, ByteStream& out) {
    if (doc.IsEmpty()) return Status::Fail(msg::kSaveFailed);
    const SavedLayerPlaces places(doc);
    RefreshCanvasSizes(doc);
    bool ok = Put(out, "\n " + std::to_string(doc.layers.bottom) + " " + std::to_string(doc.layers.current));
    uint8_t header[kCanvasHeaderBytes];
    SerializeCanvasHeader(StoredCanvas(doc), header);
    ok = ok && out.WriteAll(header, sizeof header) && WriteLayerChain(doc, out, LayerLine::SlotAndOneSpace);
    ok = ok && Put(out, "\n NumOf_MicObjs " + std::to_string(sheet.Count()));
    for (const MeasureObject& o : sheet.Objects()) ok = ok && Put(out, ObjectText(o));
    doc.flattenRequest = false;
    return ok ? Status::Ok() : Status::Fail(msg::kSaveFailed);
}

Status SaveMeasurements(COrinDoc& doc, const MeasureSheet& sheet, const std::string& path) {
    SafeFile file;
    if (!file.Open(path)) return Status::Fail(file.ErrorOr(msg::kSaveFailed));
    if (Status s = WriteMeasurements(doc, sheet, file.Stream()); !s) return s;
    if (!file.Commit(doc.workspace.durableSaves)) return Status::Fail(msg::kSaveFailed);
    doc.changed = false;
    return Status::Ok();
}

Status ReadMeasurements(COrinDoc& doc, MeasureSheet& sheet, ByteStream& in, const Calibration& calibration) {
    const Status corrupt = Status::Fail(msg::kCannotOpen);
    int bottom = -1, current = -1;
    CanvasHeader canvas;
    if (!ReadFormattedInt(in, bottom) || !ReadFormattedInt(in, current) || !ReadCanvasHeader(in, canvas))
        return corrupt;
    LayerChainFormat format;
    format.line = LayerLine::SlotAndOneSpace;
    if (Status s = ReadLayerChain(doc, in, canvas, bottom, current, format); !s) return s;
    std::vector<MeasureObject> objects;
    if (!ReadObjects(in, objects)) {
        for (LayerRecord& r : doc.layers.slots) r = LayerRecord{};
        doc.layers.bottom = doc.layers.current = -1;
        return corrupt;
    }
    sheet.Reset(std::move(objects));
    sheet.Recompute(calibration, doc.canvas.width, doc.canvas.height);
    return Status::Ok();
}

Status OpenMeasurements(COrinDoc& doc, MeasureSheet& sheet, const std::string& path, const Calibration& calibration) {
    const std::string name = FileNamePart(path);
    if (Utf8ToUtf16(name).size() >= 100) return Status::Fail(msg::kNameTooLong);
    FileStream in;
    if (!in.Open(path, "rb")) return Status::Fail(msg::kCannotOpen);
    Status s = ReadMeasurements(doc, sheet, in, calibration);
    if (s) {
        doc.path = path;
        doc.fileName = name;
    }
    return s;
}

Status OpenWithMeasurements(COrinDoc& doc, MeasureSheet& sheet, const std::string& path, const Calibration& calibration) {
    if (FormatFromPath(path) == kFormatMeasure) return OpenMeasurements(doc, sheet, path, calibration);
    return OpenDocument(doc, path);
}

Status SaveWithMeasurements(COrinDoc& doc, const MeasureSheet& sheet, const std::string& path,
                            const Calibration* calibration) {
    if (FormatFromPath(path) != kFormatMeasure) {
        if (calibration && !sheet.Objects().empty()) StampCalibration(doc, *calibration);
        return SaveDocument(doc, path);
    }
    Status s = SaveMeasurements(doc, sheet, path);
    if (s) {
        doc.path = path;
        doc.fileName = FileNamePart(path);
    }
    return s;
}
