// Texts of the editor's own (the shell's questions and the scanner's messages), in the
// same form as the core's message table.
#pragma once

namespace shell_text {
// Saving several layers to a picture format (once per document; OK saves, Cancel does not).
inline constexpr const char* kFlatSaveNotice =
    "이 파일 형식에는 레이어가 저장되지 않고 합쳐진 그림만 저장됩니다.\n"
    "레이어를 보존하려면 프로젝트(.tsr)로도 저장하십시오.";
// Closing a document whose layers only a flat picture holds: its file name.
inline constexpr const char* kSaveLayersQuestion =
    "[%s]의 레이어는 합쳐진 그림으로만 저장되어 있습니다.\n레이어를 프로젝트(.tsr)로 저장하시겠습니까?";
// Scanner input.
inline constexpr const char* kNoScanner = "연결된 스캐너(외부장치)를 찾을 수 없습니다.";
inline constexpr const char* kScannerFailed = "스캐너에서 영상을 입력할 수 없습니다.";
inline constexpr const char* kScanFormat = "스캐너가 보낸 영상 형식을 읽을 수 없습니다.";
// A scanned picture's window title, with the picture counter.
inline constexpr const char* kScanTitle = "스캔 영상 %d";
}  // namespace shell_text
