#include "CalibrationScale.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdint>

#include "Document.h"
#include "ImageBuffer.h"
#include "MeasureText.h"

namespace {

constexpr double kMetresPerInch = 0.0254;

std::string Lower(const std::string& text) {
    std::string lower = text;
    for (char& c : lower) c = char(std::tolower(static_cast<unsigned char>(c)));
    return lower;
}

// Within half a unit of the stored field (PNG and BMP keep whole pixels per metre) of a
// whole number of dots per `metresPerDot`, at most `most` of them.
bool WholeDots(double pixelsPerMetre, double metresPerDot, int most) {
    const double dots = std::round(pixelsPerMetre * metresPerDot);
    return dots >= 1 && dots <= most && std::fabs(pixelsPerMetre - dots / metresPerDot) <= 0.5 + 1e-9;
}

}  // namespace

std::optional<double> MetresPerUnit(const std::string& unit) {
    static const struct {
        const char* label;
        double metres;
    } kUnits[] = {
        {"nm", 1e-9},        {"um", 1e-6},        {"ums", 1e-6},       {"\xC2\xB5m", 1e-6}, {"micron", 1e-6},
        {"microns", 1e-6},   {"mm", 1e-3},        {"cm", 1e-2},        {"m", 1.0},          {"meter", 1.0},
        {"meters", 1.0},     {"metre", 1.0},      {"metres", 1.0},     {"in", kMetresPerInch},
        {"inch", kMetresPerInch}, {"inches", kMetresPerInch}, {"yard", 0.9144}, {"yards", 0.9144},
    };
    const std::string lower = Lower(measuretext::Trim(unit));
    for (const auto& u : kUnits)
        if (lower == u.label) return u.metres;
    return std::nullopt;
}

std::optional<PixelsPerMetre> CalibrationResolution(const Calibration& c) {
    const std::optional<double> metres = MetresPerUnit(c.unit);
    if (!metres || c.xPixels < 1 || c.yPixels < 1 || !std::isfinite(c.length) || !(c.length > 0)) return std::nullopt;
    const double span = double(c.length) * *metres;
    PixelsPerMetre r{c.xPixels / span, c.yPixels / span};
    if (!std::isfinite(r.x) || !std::isfinite(r.y)) return std::nullopt;
    return r;
}

std::optional<MeasureStandard> StandardFromResolution(const std::string& name, PixelsPerMetre resolution) {
    if (!(resolution.x > 0) || !(resolution.y > 0) || !std::isfinite(resolution.x) || !std::isfinite(resolution.y))
        return std::nullopt;
    static const char* const kUnitOf[3] = {"um", "mm", "meter"};
    const double larger = std::max(resolution.x, resolution.y);
    // Lengths of 10^k metres, k from -6 (1 um) to 2 (100 meter). Negative powers divide:
    // 1e5 / 10 is exactly 10000, 1e5 x 0.1 is not.
    auto pixelsIn = [](double perMetre, int k) {
        return k < 0 ? perMetre / std::pow(10.0, -k) : perMetre * std::pow(10.0, k);
    };
    int k = -6;
    while (k < 2 && pixelsIn(larger, k) < 10000) ++k;
    const double x = std::round(pixelsIn(resolution.x, k)), y = std::round(pixelsIn(resolution.y, k));
    if (x < 1 || y < 1 || x > INT32_MAX || y > INT32_MAX) return std::nullopt;
    MeasureStandard s;
    std::string word = measuretext::Trim(name);
    for (char& c : word)
        if (measuretext::IsSpace(c)) c = '_';
    s.name = word.substr(0, measuretext::CharsToBytes(word, size_t(kMaxStandardName)));
    if (s.name.empty()) s.name = "picture";
    const int step = k + 6;  // 0..8
    s.unit = kUnitOf[step / 3];
    s.length = float(std::pow(10.0, step % 3));
    s.xPixels = int32_t(x);
    s.yPixels = int32_t(y);
    return s;
}

std::optional<PixelsPerMetre> FileResolution(const CImageBuffer& image) {
    const ImageInfo& info = image.Info();
    if (!(info.pixelsPerMetreX > 0) || !(info.pixelsPerMetreY > 0)) return std::nullopt;
    return PixelsPerMetre{info.pixelsPerMetreX, info.pixelsPerMetreY};
}

bool IsPrintResolution(PixelsPerMetre r) {
    if (std::fabs(r.x - r.y) > 0.5 + 1e-9) return false;
    // 600 DPI is 236 dots per centimetre.
    return (WholeDots(r.x, kMetresPerInch, 600) && WholeDots(r.y, kMetresPerInch, 600)) ||
           (WholeDots(r.x, 0.01, 236) && WholeDots(r.y, 0.01, 236));
}

bool StampCalibration(COrinDoc& doc, const Calibration& calibration) {
    const std::optional<PixelsPerMetre> r = CalibrationResolution(calibration);
    if (!r || !doc.mainImage) return false;
    doc.mainImage->SetHorizontalResolution(r->x);
    doc.mainImage->SetVerticalResolution(r->y);
    return true;
}
