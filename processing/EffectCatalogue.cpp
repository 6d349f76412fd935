#include "EffectCatalogue.h"

#include <algorithm>

#include "CommandMap.h"
#include "EditSteps.h"
#include "History.h"
#include "LayerEdit.h"
#include "Messages.h"
#include "OutlinePause.h"

namespace {

struct Dispatch {
    const char* name;
    int id;
};

// The dispatch order: the binary conversion (sub-mode 0) first, then the effects.
constexpr Dispatch kDispatch[] = {
    {kBinaryEffect, kCmdFsDither}, {"물체축소", kCmdErode}, {"물체확장", kCmdDilate}, {"흐리게", kCmdBlur},     {"부드럽게", kCmdSoften},
    {"강조", kCmdEmphasis},         {"윤곽선", kCmdOutline},   {"엠보스", kCmdEmboss},   {"찍어붙이기", kCmdStamp}, {"색종이뿌리기", kCmdColouredPaper},
    {"선효과채색", kCmdLineColouring},   {"렌즈효과", kCmdLens}, {"욕실효과", kCmdBathroomGlass}, {"수채화", kCmdWatercolour},     {"한지효과", kCmdMulberryPaper},
    {"빗방울", kCmdRaindrops},       {"유리성에", kCmdFrostedGlass}, {"잡영제거", kCmdNoiseRemoval}, {"경계강조", kCmdEdgeEmphasis},   {"영역확장", kCmdRegionExpansion},
    {"방울채색", kCmdBubbles},     {"유화", kCmdOilPainting},     {"달마시안", kCmdDalmatian},
};
constexpr int kBinaryIds[3] = {kCmdFsDither, kCmdOrderedDither, kCmdThreshold};
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
        {kCmdBlur, "흐리게", 3},     {kCmdSoften, "부드럽게", 4},   {kCmdBubbles, "방울채색", 16}, {kCmdOilPainting, "유화", 17},
        {kCmdSharpen, nullptr, 1},      {kCmdEmboss, "엠보스", 18},    {kCmdStamp, "찍어붙이기", 7}, {kCmdColouredPaper, "색종이뿌리기", 8},
        {kCmdLineColouring, "선효과채색", 9}, {kCmdLens, nullptr, 20},     {kCmdBathroomGlass, nullptr, 21},    {kCmdWatercolour, "수채화", 10},
        {kCmdMulberryPaper, "한지효과", 11},  {kCmdRaindrops, "빗방울", 12},    {kCmdDalmatian, "달마시안", 19}, {kCmdFrostedGlass, "유리성에", 13},
        {kCmdNoiseRemoval, "잡영제거", 14},  {kCmdEmphasis, "강조", 0},       {kCmdEdgeEmphasis, "경계강조", 0},  {kCmdRegionExpansion, "영역확장", 15},
        {kCmdDilate, "물체확장", 6},   {kCmdErode, "물체축소", 5},
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
    const OutlinePause pause(doc);
    BeginAllLayerChange(doc);
}

Status RestoreEffectStart(COrinDoc& doc, const Operation& op) {
    if (!ChangesEveryLayer(op)) return RestoreStartImage(doc);
    const OutlinePause pause(doc);
    bool restored = true;
    for (int slot : doc.layers.Chain()) restored = RestoreRecordedLayer(doc, slot) && restored;
    RefreshWorkingCopy(doc);
    MarkLayerChanged(doc);
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
    const OutlinePause pause(doc);
    RecordStep(doc, op.label, kStepAllLayers);
}
