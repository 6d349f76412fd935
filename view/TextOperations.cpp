#include "TextOperations.h"

#include <cstdio>
#include <ctime>

#include "Calendar.h"
#include "CommandMap.h"
#include "Messages.h"
#include "PhotoFrame.h"
#include "TextLayer.h"
#include "Utf16.h"

namespace {

std::tm LocalNow() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return local;
}

Status BadStyle(const std::u16string& style) {
    return Status::Fail("bad value: style=" + Utf16ToUtf8(style) + " (regular, italic, bold, bold-italic, +underline, +strikeout)");
}

}  // namespace

std::string UsableFace(COrinDoc& doc, const std::string& face) {
    if (IsKnownFontFamily(face)) return face;
    const std::string korean = DefaultKoreanFamily();
    char text[256];
    std::snprintf(text, sizeof text, msg::kFaceFallback, face.c_str(), korean.c_str());
    doc.workspace.Message(text);
    return korean;
}

Operation TextOperation() {
    Operation op;
    op.id = kCmdText;
    op.key = "text";
    op.label = label::kTextInput;
    op.params = {{"x", "가로 위치", -1, 100000, -1},
                 {"y", "세로 위치", -1, 100000, -1},
                 {"text", "글자", 0, 0, 0, ParamKind::kText},
                 {"size", "크기", 1, kMaxStoredTextSize / 2, 12},
                 {"face", "글꼴", 0, 0, 0, ParamKind::kText},
                 {"colour", "색상", 0, 0, 0x000000, ParamKind::kColour},
                 {"style", "모양", 0, 0, 0, ParamKind::kText},
                 {"edit", "고치기", 0, 1, 0}};
    op.run = [](COrinDoc& doc, const OpValues& v) {
        TextSettings s;
        // "\n" written in the batch text is a line break.
        std::u16string text = v.Text(kTextText);
        for (size_t at = text.find(u"\\n"); at != std::u16string::npos; at = text.find(u"\\n", at + 2))
            text.replace(at, 2, u"\r\n");
        s.text = text;
        s.size = v[kTextSize] * 2;
        const std::u16string face = v.Text(kTextFace);
        s.face = UsableFace(doc, face.empty() ? doc.workspace.textFace : Utf16ToUtf8(face));
        s.colour = uint32_t(v[kTextColour]);
        if (!ParseTextStyle(Utf16ToUtf8(v.Text(kTextStyle)), s)) return BadStyle(v.Text(kTextStyle));
        std::optional<TextPoint> at;
        if (v[kTextX] >= 0 && v[kTextY] >= 0) at = TextPoint{v[kTextX], v[kTextY]};
        return PlaceText(doc, s, at, v[kTextEdit] == 1);
    };
    return op;
}

Operation CalendarOperation() {
    const std::tm now = LocalNow();
    Operation op;
    op.id = op.menuId = kCmdCalendar;
    op.key = "calendar";
    op.label = label::kCalendar;
    op.params = {{"year", "년", 1, kMaxCalendarYear, now.tm_year + 1900},
                 {"month", "월", 1, 12, now.tm_mon + 1},
                 {"size", "크기", 0, 120, 12},
                 {"face", "글꼴", 0, 0, 0, ParamKind::kText},
                 {"style", "모양", 0, 0, 0, ParamKind::kText},
                 {"colour", "색상", 0, 0, 0x000000, ParamKind::kColour}};
    op.run = [](COrinDoc& doc, const OpValues& v) {
        CalendarSettings s;
        s.year = v[kCalYear];
        s.month = v[kCalMonth];
        s.size = v[kCalSize];
        const std::u16string face = v.Text(kCalFace);
        s.face = UsableFace(doc, face.empty() ? doc.workspace.textFace : Utf16ToUtf8(face));
        TextSettings style;
        if (!ParseTextStyle(Utf16ToUtf8(v.Text(kCalStyle)), style)) return BadStyle(v.Text(kCalStyle));
        s.style = style.style;
        s.colour = uint32_t(v[kCalColour]);
        return InsertCalendar(doc, s);
    };
    return op;
}

Operation PhotoFrameOperation() {
    const FrameSettings defaults;
    Operation op;
    op.id = op.menuId = kCmdPhotoFrame;
    op.key = "frame";
    op.label = label::kPhotoFrame;
    op.params = {{"style", "사진틀", 0, 3, 0},
                 {"thickness", "두께", kMinFrameThickness, kMaxFrameThickness, defaults.thickness},
                 {"main", "메인색상", 0, 0, int(defaults.main), ParamKind::kColour},
                 {"secondary", "보조색상", 0, 0, int(defaults.secondary), ParamKind::kColour}};
    op.run = [](COrinDoc& doc, const OpValues& v) {
        FrameSettings s;
        s.style = v[kFrameStyle];
        s.thickness = v[kFrameThickness];
        s.main = uint32_t(v[kFrameMain]);
        s.secondary = uint32_t(v[kFrameSecondary]);
        return InsertFrame(doc, s);
    };
    return op;
}

void AddTextOperations(OperationTable& table) {
    table.Add(TextOperation());
    table.Add(CalendarOperation());
    table.Add(PhotoFrameOperation());
}
