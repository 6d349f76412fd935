// The effect catalogue of the easy-edit panel: the effect list (22 Korean names in
// their order), the binary conversion "임계치변환" with its three sub-modes, the Filter
// menu, the dispatch from an effect's name (Korean, or its translation in the
// user-interface translation table) to its table entry, and the frame that the effect
// bar runs effects in: every run starts again from the start image, "닫기" records
// the step named after the effect, Cancel brings the start image back.
#pragma once

#include <array>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "Operations.h"

inline constexpr int kEffectCount = 22;
inline constexpr const char* kBinaryEffect = "임계치변환";

// Index -> Korean name; the list starts at index 0.
const std::array<const char*, kEffectCount>& EffectNames();
// Sub-modes of the binary conversion, in the list's order: "FS 디더링", "OR 디더링", "절대변환".
const std::array<const char*, 3>& BinaryModeNames();

// The filter commands: each selects an entry of the effect list and opens the bar.
// `label` is the menu text, null for commands without a menu entry.
struct FilterCommand {
    int id;
    const char* label;
    int index;
};
const std::vector<FilterCommand>& FilterCommands();
// The effect-list index a filter command selects, -1 for other ids.
int FilterCommandIndex(int id);

// Korean text -> translated text, in the translation table's order.
using TranslationPairs = std::vector<std::pair<std::string, std::string>>;

// The table entry an effect name runs: the Korean names first, in the dispatch order,
// then their translations; "임계치변환" runs the entry of sub-mode `binaryMode`. Null for
// an unknown name (nothing runs).
const Operation* FindEffect(const OperationTable& table, std::string_view name, int binaryMode = 0,
                            const TranslationPairs& translations = {});
// The Korean name of an effect given by name or by its list index "0".."21"; "" when unknown.
std::string EffectNameOf(std::string_view nameOrIndex, const TranslationPairs& translations = {});

// The binary conversions change every layer of the stack.
bool ChangesEveryLayer(const Operation& op);

// The effect bar's frame. BeginEffect when the bar opens; RunEffect for each "실행"
// (the start image again, then the effect; no step); RestoreEffectStart for "시작 영상";
// EndEffect(keep) when the bar closes: "닫기" records the step labelled with the effect,
// Cancel brings the start image back.
void BeginEffect(COrinDoc& doc, const Operation& op);
Status RunEffect(COrinDoc& doc, const Operation& op, const OpValues& values);
Status RestoreEffectStart(COrinDoc& doc, const Operation& op);
void EndEffect(COrinDoc& doc, const Operation& op, bool keep);
