#include "EffectCatalogue.h"

#include <algorithm>

#include "EditSteps.h"
#include "History.h"
#include "LayerEdit.h"
#include "Messages.h"

namespace {

struct Dispatch {
    const char* name;
    int id;
};

// The dispatch order: the binary conversion (sub-mode 0) first, then the effects.
constexpr Dispatch kDispatch[] = {
    {kBinaryEffect, 1435}, {"물체축소", 1457}, {"물체확장", 1460}, {"흐리게", 1453},     {"부드럽게", 1454},
    {"강조", 1455},         {"윤곽선", 1456},   {"엠보스", 1452},   {"찍어붙이기", 1461}, {"색종이뿌리기", 1462},
    {"선효과채색", 1463},   {"렌즈효과", 3479}, {"욕실효과", 3477}, {"수채화", 1465},     {"한지효과", 1466},
    {"빗방울", 1467},       {"유리성에", 1468}, {"잡영제거", 1469}, {"경계강조", 1470},   {"영역확장", 1473},
    {"방울채색", 1471},     {"유화", 1472},     {"달마시안", 2106},
};
constexpr int kBinaryIds[3] = {1435, 1436, 1440};
constexpr const char* kUntranslated = "........";

// What a Korean text translates to; a text without a translation matches nothing.
std::string Translation(const TranslationPairs& translations, const std::string& korean) {
    for (const auto& [from, to] : translations)
        if (from == korean) return to;
    return kUntranslated;
}

int DispatchId(std::string_view name, int binaryMode, const TranslationPairs& translations) {
    auto id = [&](const Dispatch& d) { return d.id == kBinaryIds[0] ? kBinaryIds[std::clamp(binaryMode, 0, 2)] : d.id; };
    for (const Dispatch& d : kDispatch)
        if (name == d.name) return id(d);
    if (name == kUntranslated) return 0;
    for (const Dispatch& d : kDispatch)
        if (name == Translation(translations, d.name)) return id(d);
    return 0;
}

}  // namespace

const std::array<const char*, kEffectCount>& EffectNames() {
    static const std::array<const char*, kEffectCount> names = {
        "경계강조", "강조",     "윤곽선", "흐리게",   "부드럽게", "물체축소",   "물체확장", "찍어붙이기",
        "색종이뿌리기", "선효과채색", "수채화", "한지효과", "빗방울",   "유리성에",   "잡영제거", "영역확장",
        "방울채색", "유화",     "엠보스", "달마시안", "렌즈효과", "욕실효과",
    };
    return names;
}

const std::array<const char*, 3>& BinaryModeNames() {
    static const std::array<const char*, 3> names = {"FS 디더링", "OR 디더링", "절대변환"};
    return names;
}

const std::vector<FilterCommand>& FilterCommands() {
    static const std::vector<FilterCommand> commands = {
        {1453, "흐리게", 3},     {1454, "부드럽게", 4},   {1471, "방울채색", 16}, {1472, "유화", 17},
        {1447, nullptr, 1},      {1452, "엠보스", 18},    {1461, "찍어붙이기", 7}, {1462, "색종이뿌리기", 8},
        {1463, "선효과채색", 9}, {3479, nullptr, 20},     {3477, nullptr, 21},    {1465, "수채화", 10},
        {1466, "한지효과", 11},  {1467, "빗방울", 12},    {2106, "달마시안", 19}, {1468, "유리성에", 13},
        {1469, "잡영제거", 14},  {1455, "강조", 0},       {1470, "경계강조", 0},  {1473, "영역확장", 15},
        {1460, "물체확장", 6},   {1457, "물체축소", 5},
    };
    return commands;
}

int FilterCommandIndex(int id) {
    for (const FilterCommand& c : FilterCommands())
        if (c.id == id) return c.index;
    return -1;
}

const Operation* FindEffect(const OperationTable& table, std::string_view name, int binaryMode,
                            const TranslationPairs& translations) {
    const int id = DispatchId(name, binaryMode, translations);
    return id ? table.Find(id) : nullptr;
}

std::string EffectNameOf(std::string_view nameOrIndex, const TranslationPairs& translations) {
    int index = -1;
    if (ParseWholeInt(nameOrIndex, index)) return index >= 0 && index < kEffectCount ? EffectNames()[size_t(index)] : "";
    const int id = DispatchId(nameOrIndex, 0, translations);
    if (!id || id == kBinaryIds[0]) return "";
    for (const Dispatch& d : kDispatch)
        if (d.id == id) return d.name;
    return "";
}

bool ChangesEveryLayer(const Operation& op) {
    return op.id == kBinaryIds[0] || op.id == kBinaryIds[1] || op.id == kBinaryIds[2];
}

void BeginEffect(COrinDoc& doc, const Operation& op) {
    if (!ChangesEveryLayer(op)) return;
    BeginLayerStep(doc);
    BeginAllLayerChange(doc);
    EndLayerStep(doc);
}

Status RestoreEffectStart(COrinDoc& doc, const Operation& op) {
    if (!ChangesEveryLayer(op)) return RestoreStartImage(doc);
    BeginLayerStep(doc);
    bool restored = true;
    for (int slot : doc.layers.Chain()) restored = RestoreRecordedLayer(doc, slot) && restored;
    RefreshWorkingCopy(doc);
    MarkLayerChanged(doc);
    EndLayerStep(doc);
    return restored ? Status::Ok() : Status::Fail(msg::kCannotRestore);
}

Status RunEffect(COrinDoc& doc, const Operation& op, const OpValues& values) {
    // Runs never build on each other. A start image that cannot be read leaves the
    // present layer to run on, as inversion does.
    RestoreEffectStart(doc, op);
    return EditCurrentLayer(doc, {""}, [&](LayerRecord& layer, RowSpan&) { return op.change(doc, layer, values); });
}

void EndEffect(COrinDoc& doc, const Operation& op, bool keep) {
    if (!keep) {
        RestoreEffectStart(doc, op);
        doc.history.pendingBefore.clear();
        return;
    }
    if (!ChangesEveryLayer(op)) {
        RecordLayerStep(doc, op.label);
        return;
    }
    BeginLayerStep(doc);
    RecordStep(doc, op.label, kStepAllLayers);
    EndLayerStep(doc);
}
