#include "CommandMap.h"

#include <algorithm>

const std::vector<CommandEntry>& MenuCommands() {
    static const std::vector<CommandEntry> table = {
        {"File", kCmdNew, "새파일(&N)\tCtrl+N"},
        {"File", kCmdOpen, "열기(&O)\tCtrl+O"},
        {"File", kCmdClose, "닫기(&C)"},
        {"File", kCmdSave, "저장하기(&S)\tCtrl+S"},
        {"File", kCmdSaveAs, "새이름으로(&A)\tCtrl+Shift+S"},
        {"File", kCmdScanSource, "외부장치 선택...", true},
        {"File", kCmdScanAcquire, "외부영상 입력 "},
        {"File", kCmdPrint, "인쇄(&P)    \tCtrl+P", true},
        {"File", kCmdPrintSetup, "프린터지정(R)"},
        {"File", kCmdPreferences, "환경설정", true},
        {"File", kCmdExit, "종료(&x)", true},
        {"Edit", kCmdUndo, "실행취소(&Z)\tCtrl+Z"},
        {"Edit", kCmdRedo, "실행반복(&Y)\tCtrl+Y"},
        {"Edit", kCmdCut, "자르기(&t)\tCtrl+X", true},
        {"Edit", kCmdCopy, "복사(&C)\tCtrl+C"},
        {"Edit", kCmdPaste, "붙이기(&P)\tCtrl+V"},
        {"Edit", kCmdCutToNew, "잘라서새로만들기", true},
        {"Draw", kCmdWaterDrop, "물방울"},
        {"Draw", kCmdBrush, "붓 그리기"},
        {"Draw", kCmdLine, "선분"},
        {"Draw", kCmdCircle, "원 그리기"},
        {"Draw", kCmdPolyline, "다각선"},
        {"Draw", kCmdSpray, "스프레이"},
        {"Draw", kCmdEraser, "지우개"},
        {"Draw", kCmdFill, "채우기"},
        {"Image", kCmdBrightness, "명도·대비"},
        {"Image", kCmdColourAdjust, "RGB색상조정"},
        {"Image", kCmdHistogram, "픽셀분포조정"},
        {"Image", kCmdAutoColour, "자동색상조정"},
        {"Image", kCmdInvert, "반전변환"},
        {"Image", kCmdGreyscale, "그레이스케일 표현", true},
        {"Image", kCmdRgbColour, "RGB컬러 표현"},
        {"Image", kCmdBinary, "이진영상 으로"},
        {"Image", kCmd8BitColour, "8 비트 컬러 표현"},
        {"Image", kCmd4BitOptimal, "4비트칼라 최적변환"},
        {"Image", kCmd4BitStandard, "4비트칼라 표준변환"},
        {"Image", kCmdSplitRgb, "RGB구분", true},
        {"Image", kCmdSplitYuv, "YUV구분"},
        {"Image", kCmdSplitHsl, "HSL구분"},
        {"Image", kCmdSetTransparency, "Set Transparency", true},
        {"Image", kCmdRemoveTransparency, "Remove Transparency"},
        {"Image", kCmdRemoveAlpha, "Remove Alpha Channel"},
        {"Image", kCmdInvertAlpha, "Invert Alpha Channel"},
        {"Image", kCmdToggleAlphaPalette, "Toggle Alpha Palette "},
        {"Image", kCmdStripAlpha, "Strip Alpha"},
        {"Layer", kCmdAddLayer, "레이어추가"},
        {"Layer", kCmdDeleteLayer, "레이어삭제"},
        {"Layer", kCmdDuplicateLayer, "복제 레이어 만들기"},
        {"Layer", kCmdFlatten, "떡그림만들기", true},
        {"Layer", kCmdMergeAbove, "아래쪽 레이어로  합치기"},
        {"Layer", kCmdMergeBelow, "위쪽 레이어로 합치기"},
        {"Layer", kCmdLayerEffect, "레이어효과", true},
        {"Layer", kCmdRasterize, "레스터 형식으로 변환"},
        {"Select", kCmdMove, "이동"},
        {"Select", kCmdRectSelect, "사각선택"},
        {"Select", kCmdPolygonSelect, "다각형선택"},
        {"Select", kCmdFreeSelect, "자유선택"},
        {"Select", kCmdAutoSelect, "자동선택"},
        {"Select", kCmdColourRange, "색상범위지정 선택"},
        {"Select", kCmdInvertSelection, "선택반전", true},
        {"Select", kCmdReleaseSelection, "선택/명령 해제\tCtrl+D"},
        {"Transform", kCmdResize, "그림크기조정"},
        {"Transform", kCmdFreeRotate, "자유회전"},
        {"Transform", kCmdRotate90Cw, " 90  시계방향", true},
        {"Transform", kCmdRotate90Ccw, " 90  반시계방향"},
        {"Transform", kCmdRotate180Cw, "180  시계방향"},
        {"Transform", kCmdRotate180Ccw, "180  반시계방향"},
        {"Transform", kCmdFlipVertical, "수직제비회전"},
        {"Transform", kCmdFlipHorizontal, "수평제비회전"},
        {"Transform", kCmdMirror, "거울변환"},
        {"Transform", kCmdFreeTransform, "자유 변형", true},
        {"Transform", kCmdEllipseTransform, "타원변환"},
        {"Transform", kCmdCalendar, "달력 넣기"},
        {"Transform", kCmdPhotoFrame, "사진틀 넣기"},
        {"Transform", kCmdGradient, "그라디언트"},
        {"Transform", kCmdCanvasSize, "캔버스 크기 늘리기"},
        {"Transform", kCmdFaceTransform, "얼굴 변형 "},
        {"Filter", kCmdBlur, "흐리게"},
        {"Filter", kCmdSoften, "부드럽게"},
        {"Filter", kCmdBubbles, "방울채색"},
        {"Filter", kCmdOilPainting, "유화"},
        {"Filter", kCmdEmboss, "엠보스"},
        {"Filter", kCmdStamp, "찍어붙이기"},
        {"Filter", kCmdColouredPaper, "색종이뿌리기"},
        {"Filter", kCmdLineColouring, "선효과채색"},
        {"Filter", kCmdWatercolour, "수채화"},
        {"Filter", kCmdMulberryPaper, "한지효과"},
        {"Filter", kCmdRaindrops, "빗방울"},
        {"Filter", kCmdDalmatian, "달마시안"},
        {"Filter", kCmdFrostedGlass, "유리성에"},
        {"Filter", kCmdNoiseRemoval, "잡영제거"},
        {"Filter", kCmdEmphasis, "강조"},
        {"Filter", kCmdEdgeEmphasis, "경계강조"},
        {"Filter", kCmdRegionExpansion, "영역확장"},
        {"Filter", kCmdDilate, "물체확장"},
        {"Filter", kCmdErode, "물체축소"},
        {"View", kCmdLayerPanel, "레이어.작업내역보기(&L)"},
        {"View", kCmdEasyPanel, "포토 간편 편집 창"},
        {"View", kCmdStretch, "늘여보기(&e)", true},
        {"View", kCmdZoomIn, "확대\t Ctrl + + ", true},
        {"View", kCmdZoomOut, "축소\tCtrl + -"},
        {"View", kCmdActualSize, "(1:1)보기 \tCtrl + 1"},
        {"View", kCmdGrid, "격자보기", true},
        {"Window", kCmdDuplicateWindow, "복제"},
        {"Window", kCmdNewWindow, "새창(&N)", true},
        {"Window", kCmdCascade, "계단식(&C)"},
        {"Window", kCmdTile, "타일(&T)"},
        {"Window", kCmdCloseAll, "모두닫기", true},
        {"Help", kCmdAbout, "'Tessaro'에 관하여(&A)..."},
        {"Help", kCmdWebSite, "'Tessaro' 웹사이트 연결"},
    };
    return table;
}

const CommandEntry* FindCommand(int id) {
    for (const CommandEntry& e : MenuCommands())
        if (e.id == id) return &e;
    return nullptr;
}

const char* MenuTitle(const std::string& menu) {
    if (menu == "File") return "파일(&F)";
    if (menu == "Edit") return "편집(&E)";
    if (menu == "Draw") return "그리기(&D)";
    if (menu == "Image") return "이미지(&I)";
    if (menu == "Layer") return "레이어(&L)";
    if (menu == "Select") return "선택(&S)";
    if (menu == "Transform") return "변형(&T)";
    if (menu == "Filter") return "필터(&R)";
    if (menu == "View") return "보기(&V)";
    if (menu == "Window") return "창(&W)";
    if (menu == "Help") return "도움말(&H)";
    return "";
}

std::string MenuText(const CommandEntry& entry) {
    std::string text = entry.label;
    text = text.substr(0, text.find('\t'));
    if (const size_t open = text.find("(&"); open != std::string::npos && text.find(')', open) == open + 3)
        text.erase(open, 4);
    text.erase(std::remove(text.begin(), text.end(), '&'), text.end());
    while (!text.empty() && text.back() == ' ') text.pop_back();
    while (!text.empty() && text.front() == ' ') text.erase(text.begin());
    return text;
}
