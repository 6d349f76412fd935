#include "CommandMap.h"

const std::vector<CommandEntry>& MenuCommands() {
    static const std::vector<CommandEntry> table = {
        {"File", 57600, "새파일(&N)\tCtrl+N"},
        {"File", 57601, "열기(&O)\tCtrl+O"},
        {"File", 57602, "닫기(&C)"},
        {"File", 57603, "저장하기(&S)\tCtrl+S"},
        {"File", 57604, "새이름으로(&A)\tCtrl+Shift+S"},
        {"File", 1474, "외부장치 선택..."},
        {"File", 1475, "외부영상 입력 "},
        {"File", 57607, "인쇄(&P)    \tCtrl+P"},
        {"File", 57606, "프린터지정(R)"},
        {"File", 1571, "환경설정"},
        {"File", 57665, "종료(&x)"},
        {"Edit", 57643, "실행취소(&Z)\tCtrl+Z"},
        {"Edit", 57644, "실행반복(&Y)\tCtrl+Y"},
        {"Edit", 57635, "자르기(&t)\tCtrl+X"},
        {"Edit", 57634, "복사(&C)\tCtrl+C"},
        {"Edit", 57637, "붙이기(&P)\tCtrl+V"},
        {"Edit", 1482, "잘라서새로만들기"},
        {"Draw", 1354, "물방울"},
        {"Draw", 1347, "붓 그리기"},
        {"Draw", 1356, "선분"},
        {"Draw", 1380, "원 그리기"},
        {"Draw", 1357, "다각선"},
        {"Draw", 1346, "스프레이"},
        {"Draw", 1355, "지우개"},
        {"Draw", 1352, "채우기"},
        {"Image", 1450, "명도·대비"},
        {"Image", 1503, "RGB색상조정"},
        {"Image", 2533, "픽셀분포조정"},
        {"Image", 2076, "자동색상조정"},
        {"Image", 1413, "반전변환"},
        {"Image", 1414, "그레이스케일 표현"},
        {"Image", 2093, "RGB컬러 표현"},
        {"Image", 2113, "이진영상 으로"},
        {"Image", 2016, "8 비트 컬러 표현"},
        {"Layer", 1552, "레이어추가"},
        {"Layer", 1553, "레이어삭제"},
        {"Layer", 3500, "복제 레이어 만들기"},
        {"Layer", 1500, "떡그림만들기"},
        {"Layer", 1557, "아래쪽 레이어로  합치기"},
        {"Layer", 1555, "위쪽 레이어로 합치기"},
        {"Layer", 1558, "레이어효과"},
        {"Layer", 1545, "레스터 형식으로 변환"},
        {"Select", 1570, "이동"},
        {"Select", 1342, "사각선택"},
        {"Select", 1345, "다각형선택"},
        {"Select", 1343, "자유선택"},
        {"Select", 1344, "자동선택"},
        {"Select", 3327, "색상범위지정 선택"},
        {"Select", 2055, "선택반전"},
        {"Select", 2058, "선택/명령 해제\tCtrl+D"},
        {"Transform", 1431, "그림크기조정"},
        {"Transform", 1415, "자유회전"},
        {"Transform", 1491, " 90  시계방향"},
        {"Transform", 1492, " 90  반시계방향"},
        {"Transform", 1501, "180  시계방향"},
        {"Transform", 1502, "180  반시계방향"},
        {"Transform", 1411, "수직제비회전"},
        {"Transform", 1410, "수평제비회전"},
        {"Transform", 3338, "자유 변형"},
        {"Transform", 3379, "달력 넣기"},
        {"Transform", 3392, "사진틀 넣기"},
        {"Transform", 1353, "그라디언트"},
        {"Transform", 1432, "캔버스 크기 늘리기"},
        {"Transform", 3339, "얼굴 변형 "},
        {"Filter", 1453, "흐리게"},
        {"Filter", 1454, "부드럽게"},
        {"Filter", 1471, "방울채색"},
        {"Filter", 1472, "유화"},
        {"Filter", 1452, "엠보스"},
        {"Filter", 1461, "찍어붙이기"},
        {"Filter", 1462, "색종이뿌리기"},
        {"Filter", 1463, "선효과채색"},
        {"Filter", 1465, "수채화"},
        {"Filter", 1466, "한지효과"},
        {"Filter", 1467, "빗방울"},
        {"Filter", 2106, "달마시안"},
        {"Filter", 1468, "유리성에"},
        {"Filter", 1469, "잡영제거"},
        {"Filter", 1455, "강조"},
        {"Filter", 1470, "경계강조"},
        {"Filter", 1473, "영역확장"},
        {"Filter", 1460, "물체확장"},
        {"Filter", 1457, "물체축소"},
        {"View", 1554, "레이어.작업내역보기(&L)"},
        {"View", 1511, "포토 간편 편집 창"},
        {"View", 1405, "늘여보기(&e)"},
        {"View", 1420, "확대\t Ctrl + + "},
        {"View", 1421, "축소\tCtrl + -"},
        {"View", 1422, "(1:1)보기 \tCtrl + 1"},
        {"View", 1572, "격자보기"},
        {"Window", 1412, "복제"},
        {"Window", 57648, "새창(&N)"},
        {"Window", 57650, "계단식(&C)"},
        {"Window", 57651, "타일(&T)"},
        {"Window", 1426, "모두닫기"},
        {"Help", 57664, "'Tessaro'에 관하여(&A)..."},
        {"Help", 2074, "'Tessaro' 웹사이트 연결"},
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
