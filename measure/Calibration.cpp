#include "Calibration.h"

#include <cfloat>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "ByteStream.h"
#include "MeasureText.h"
#include "Messages.h"
#include "SafeFile.h"

using namespace measuretext;

namespace {

// The calibration file is a few lines; anything past this is not read.
constexpr size_t kMaxCalibrationBytes = 1 << 20;

// Names and units are stored as single words.
std::string OneWord(const std::string& text) {
    std::string word = Trim(text);
    for (char& c : word)
        if (IsSpace(c)) c = '_';
    return word;
}

std::string Bounded(const std::string& text, size_t characters) {
    return text.substr(0, CharsToBytes(text, characters));
}

bool Usable(int64_t x, int64_t y, double length) {
    return x >= 1 && y >= 1 && x <= INT32_MAX && y <= INT32_MAX && std::isfinite(length) && length > 0 &&
           length <= FLT_MAX;
}

std::string JoinPath(const std::string& folder, const char* name) {
    if (folder.empty()) return name;
    return folder.back() == '/' ? folder + name : folder + "/" + name;
}

}  // namespace

int StandardsTable::Find(const std::string& name) const {
    for (size_t i = 0; i < standards.size(); ++i)
        if (standards[i].inUse && standards[i].name == name) return int(i);
    return -1;
}

double CalibratedLength(int x1, int y1, int x2, int y2, int32_t xPixels, int32_t yPixels, float length) {
    if (x1 < 0 || y1 < 0 || x2 < 0 || y2 < 0) return -1.0;
    // A standard of 0 pixels would make every length infinite: it is no calibration.
    if (xPixels < 1 || yPixels < 1 || !std::isfinite(length)) return -1.0;
    const long double dx = std::fabs(static_cast<long double>(x2) - x1) / xPixels;
    const long double dy = std::fabs(static_cast<long double>(y2) - y1) / yPixels;
    return static_cast<double>(std::sqrt(dx * dx + dy * dy) * static_cast<long double>(length));
}

double CalibratedLength(int x1, int y1, int x2, int y2, const Calibration& c) {
    return CalibratedLength(x1, y1, x2, y2, c.xPixels, c.yPixels, c.length);
}

std::string FormatCalibration(const StandardsTable& table) {
    int count = 0, position = 0;
    for (size_t i = 0; i < table.standards.size(); ++i) {
        if (!table.standards[i].inUse) continue;
        if (int(i) < table.current) ++position;
        ++count;
    }
    std::string text = "\r\n " + Int(count) + " " + Int(position);
    for (const MeasureStandard& s : table.standards) {
        if (!s.inUse) continue;
        text += "\r\n " + OneWord(s.name) + " " + OneWord(s.unit) + " " + Int(s.xPixels) + " " + Int(s.yPixels) + " " +
                Fixed2(s.length);
    }
    return text;
}

bool ParseCalibration(const std::string& text, StandardsTable& table) {
    std::vector<std::string> tokens;
    size_t at = text.compare(0, 3, "\xEF\xBB\xBF") == 0 ? 3 : 0;
    while (at < text.size()) {
        while (at < text.size() && IsSpace(text[at])) ++at;
        const size_t start = at;
        while (at < text.size() && !IsSpace(text[at])) ++at;
        if (at > start) tokens.push_back(text.substr(start, at - start));
    }
    if (tokens.size() < 2) return false;
    const auto count = ParseInt(tokens[0]);
    const auto current = ParseInt(tokens[1]);
    if (!count || !current) return false;

    StandardsTable read;
    const long long wanted = std::max(0LL, *count);
    const long long fileCurrent = std::max(0LL, *current);
    size_t t = 2;
    for (long long k = 0; k < wanted && int(read.standards.size()) < kMaxStandards && t + 5 <= tokens.size(); ++k, t += 5) {
        const auto x = ParseInt(tokens[t + 2]);
        const auto y = ParseInt(tokens[t + 3]);
        const auto length = ParseNumber(tokens[t + 4]);
        if (!x || !y || !length) break;
        if (!Usable(*x, *y, *length)) continue;
        MeasureStandard s;
        s.name = Bounded(tokens[t], kMaxStandardName);
        s.unit = Bounded(tokens[t + 1], kMaxStandardUnit);
        s.xPixels = int32_t(*x);
        s.yPixels = int32_t(*y);
        s.length = float(*length);
        if (k == fileCurrent) read.current = int(read.standards.size());
        read.standards.push_back(std::move(s));
    }
    table = std::move(read);
    return true;
}

Status ReadCalibration(const std::string& folder, StandardsTable& table) {
    FileStream in;
    if (!in.Open(JoinPath(folder, kCalibrationFile), "rb")) return Status::Ok();
    std::string text(kMaxCalibrationBytes, '\0');
    text.resize(in.Read(text.data(), 1, text.size()));
    ParseCalibration(text, table);
    return Status::Ok();
}

Status WriteCalibration(const std::string& folder, const StandardsTable& table) {
    const std::string text = FormatCalibration(table);
    SafeFile file;
    if (!file.Open(JoinPath(folder, kCalibrationFile)) || !file.Stream().WriteAll(text.data(), text.size()) ||
        !file.Commit())
        return Status::Fail(msg::kSaveFailed);
    return Status::Ok();
}

void ApplyStandard(const StandardsTable& table, Calibration& calibration) {
    if (table.current < 0 || table.current >= int(table.standards.size())) return;
    const MeasureStandard& s = table.standards[size_t(table.current)];
    calibration.name = s.name;
    calibration.unit = s.unit;
    calibration.xPixels = s.xPixels;
    calibration.yPixels = s.yPixels;
    calibration.length = s.length;
}

Status StandardFromFields(const std::string& name, const std::string& xPixels, const std::string& yPixels,
                          const std::string& unit, const std::string& length, MeasureStandard& out) {
    MeasureStandard s;
    s.name = OneWord(name);
    s.unit = OneWord(unit);
    if (s.unit.empty()) s.unit = kUnitLabels[0];
    if (s.name.empty()) return Status::Fail(msg::kStandardName);
    if (CharCount(s.name) > size_t(kMaxStandardName) || CharCount(s.unit) > size_t(kMaxStandardUnit))
        return Status::Fail(msg::kStandardTooLong);
    const auto x = ParseInt(xPixels);
    const auto y = ParseInt(yPixels);
    if (!x || !y || *x < 1 || *y < 1 || *x > INT32_MAX || *y > INT32_MAX) return Status::Fail(msg::kStandardPixels);
    // A comma is taken as the decimal mark too.
    std::string lengthText = length;
    if (lengthText.find(',') != std::string::npos && lengthText.find('.') == std::string::npos)
        lengthText[lengthText.find(',')] = '.';
    const auto l = ParseNumber(lengthText);
    if (!l || !Usable(*x, *y, *l)) return Status::Fail(msg::kStandardLength);
    s.xPixels = int32_t(*x);
    s.yPixels = int32_t(*y);
    s.length = float(*l);
    out = std::move(s);
    return Status::Ok();
}

Status SaveStandard(StandardsTable& table, const MeasureStandard& standard) {
    const int found = table.Find(standard.name);
    if (found >= 0) {
        MeasureStandard& s = table.standards[size_t(found)];
        s.xPixels = standard.xPixels;
        s.yPixels = standard.yPixels;
        s.unit = standard.unit;
        s.length = standard.length;
        return Status::Ok();
    }
    CompactStandards(table);
    if (int(table.standards.size()) >= kMaxStandards) return Status::Fail(msg::kStandardsFull);
    table.standards.push_back(standard);
    table.standards.back().inUse = true;
    table.current = int(table.standards.size()) - 1;
    return Status::Ok();
}

void DeleteStandard(StandardsTable& table, const std::string& name) {
    table.current = 0;
    for (size_t i = 0; i < table.standards.size(); ++i) {
        if (table.standards[i].inUse) {
            table.current = int(i);
            break;
        }
    }
    for (MeasureStandard& s : table.standards)
        if (s.name == name) s.inUse = false;
    CompactStandards(table);
}

void CompactStandards(StandardsTable& table) {
    StandardsTable compact;
    int position = 0;
    for (size_t i = 0; i < table.standards.size(); ++i) {
        if (!table.standards[i].inUse) continue;
        if (int(i) < table.current) ++position;
        compact.standards.push_back(table.standards[i]);
    }
    compact.current = position < int(compact.standards.size()) ? position : 0;
    table = std::move(compact);
}
