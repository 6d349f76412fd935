// The operation table: every command that the menus, the dialogs, the effect bar and
// the batch tool run, each with its command id, the menu entry that runs it, a stable
// English key for the batch tool, its Korean label and its parameters (key, label,
// minimum, maximum, default). Dialog ranges, the batch tool's checks and the clamps
// before a command runs all read this one table. A front end builds one table at
// start-up (AddBuiltinOperations) and passes it around; there is no global instance.
#pragma once

#include <algorithm>
#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "Document.h"
#include "Status.h"

// KEY=VALUE arguments as the batch tool passes them.
using CommandArgs = std::map<std::string, std::string>;

// A number with decimals is a kInteger with `decimals` set.
enum class ParamKind { kInteger, kColour, kText };

struct OpParam {
    std::string key;    // batch-tool key: "size"
    std::string label;  // Korean label beside the slider or field
    int min = 0;
    int max = 0;
    int def = 0;        // colours: red in the low byte
    ParamKind kind = ParamKind::kInteger;
    // Names of the values min..max in order ("rgb", "hsl"): the batch tool accepts a name
    // or its number, and `tessaro-cli ops` lists the names.
    std::vector<std::string> choices{};
    // Decimal places of a number: the value is kept as an integer of 10^-decimals units
    // (an angle of 17.25 degrees with 2 places is 1725); min, max and def count the same.
    int decimals = 0;
    // The batch tool refuses a run without this key (a size with no sensible default).
    bool required = false;

    // A default may lie outside the range (a slider that starts off its scale): that
    // value passes as it is until the user moves the slider.
    bool Accepts(int v) const {
        return kind != ParamKind::kInteger || (v >= min && v <= max) || v == def;
    }
    int Clamp(int v) const { return Accepts(v) ? v : std::clamp(v, min, max); }
    // The value as the batch tool and the dialogs write it: "17", "-0.25".
    std::string Text(int v) const;
    // Reads "17", "-0.25" (at most `decimals` places) into units; false when malformed.
    bool Parse(std::string_view text, int& v) const;
};

// The values an operation runs with: one number per parameter, in the table's order
// (colours red in the low byte; 0 for a text parameter), and the text parameter's text.
struct OpValues {
    std::vector<int> numbers;
    std::u16string text;
    std::vector<std::u16string> texts;  // per parameter: the text of each text parameter
    int operator[](size_t i) const { return i < numbers.size() ? numbers[i] : 0; }
    std::u16string Text(size_t i) const { return i < texts.size() ? texts[i] : std::u16string(); }
};

// Runs the command on a document. Refusals come back as a failed Status with the
// system's message; Status::Stopped() when the user stopped it (nothing changed).
using OperationFn = std::function<Status(COrinDoc& doc, const OpValues& values)>;
// The pixel change of an operation on the current layer alone, without the history
// step (dialog previews and the effect bar's runs call it between restores).
using LayerChangeFn = std::function<Status(COrinDoc& doc, LayerRecord& layer, const OpValues& values)>;

struct Operation {
    int id = 0;          // the command id: what the batch tool accepts by number
    int menuId = 0;      // the menu entry that runs it, 0 when none
    std::string key;     // stable English key for the batch tool: "invert", "merge-down"
    std::string label;   // Korean label; the history step of a layer operation
    std::vector<OpParam> params;
    OperationFn run;
    // Set for operations that change the current layer's pixels; `run` is then the one
    // edit path around it (see LayerOperation in LayerEdit.h).
    LayerChangeFn change;
    // When set, the menus offer the command only while it holds for the document (a
    // depth change only from the depths it converts); the batch tool runs it anyway,
    // and the command itself leaves a document it does not apply to as it is.
    std::function<bool(const COrinDoc& doc)> applies;

    OpValues Defaults() const;
    const OpParam* Param(std::string_view key) const;
};

// An operation without parameters whose command is `fn` (menu entry `id` runs it).
Operation PlainOperation(int id, std::string key, std::string label, std::function<Status(COrinDoc&)> fn);

class OperationTable {
public:
    // Ids and keys are unique (asserted).
    void Add(Operation op);
    const Operation* Find(int id) const;
    const Operation* Find(std::string_view key) const;
    // An id written as a number ("1413") or a key ("invert").
    const Operation* FindByName(std::string_view name) const;
    const std::vector<Operation>& All() const { return m_ops; }

private:
    std::vector<Operation> m_ops;
};

// Reads KEY=VALUE arguments into values: a missing key takes its default; an unknown
// key, a malformed value or an integer outside its range gives the usage error text
// ("bad value: size=31 (0..30)"), and so does a missing required key ("missing value:
// width (resize)"). "answer" (the batch tool's reply to a question) is
// not a parameter and passes. Returns "" when every argument is fine.
std::string ReadValues(const Operation& op, const CommandArgs& args, OpValues& out);
// Values as a dialog or the effect bar produce them: each clamped to its range.
OpValues ClampedValues(const Operation& op, std::vector<int> numbers);

// One line per operation for `tessaro-cli ops`: id, key, label and each parameter as
// "key=min..max (default) label" (colours "key=#RRGGBB (default) label").
std::vector<std::string> OperationListing(const OperationTable& table);

// A whole decimal integer that fits an int ("-12", "7"); no spaces, no "+".
bool ParseWholeInt(std::string_view text, int& value);
// Reads an integer argument; `fallback` when absent or malformed.
int ArgInt(const CommandArgs& args, const std::string& key, int fallback);
// Reads a colour "#RRGGBB" (or a decimal number) as red in the low byte.
uint32_t ArgColour(const CommandArgs& args, const std::string& key, uint32_t fallback);
