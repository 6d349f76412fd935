// Texts of the interactive tools: the history-step labels they record and the status
// and window texts they show. Message-box texts stay in the one table of Messages.h.
#pragma once

namespace label {
inline constexpr const char* kBrush = "붓그리기";
inline constexpr const char* kErase = "영역지우기";
inline constexpr const char* kSpray = "스프레이";
inline constexpr const char* kDot = "점찍기";
inline constexpr const char* kWaterDrop = "물방울";
inline constexpr const char* kFill = "채우기";
inline constexpr const char* kLine = "선그리기";
inline constexpr const char* kPolyline = "다각형그리기";
inline constexpr const char* kCircle = "원 그리기";
inline constexpr const char* kGradient = "그라디언트";
}  // namespace label

namespace status {
inline constexpr const char* kDesignateArea = "영역지정";
inline constexpr const char* kAutoSelect = "인접한 유사영역 탐색지정";
inline constexpr const char* kAutoSelectPrompt = "클릭지점과 같은 색상의 영역을 자동으로 선택";
// Pixel count of a colour-range search: count, percentage of the layer, "%".
inline constexpr const char* kPixelCount = "픽셀수 %d   (%.2f)%s           ";
inline constexpr const char* kColourRangeTitle = " 색상범위 영역지정";
}  // namespace status
