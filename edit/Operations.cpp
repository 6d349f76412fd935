#include "Operations.h"

#include <cassert>
#include <cctype>
#include <climits>
#include <cstdio>
#include <cstdlib>

#include "Utf16.h"

OpValues Operation::Defaults() const {
    OpValues v;
    for (const OpParam& p : params) v.numbers.push_back(p.kind == ParamKind::kText ? 0 : p.def);
    v.texts.resize(params.size());
    return v;
}

const OpParam* Operation::Param(std::string_view name) const {
    for (const OpParam& p : params)
        if (p.key == name) return &p;
    return nullptr;
}

Operation PlainOperation(int id, std::string key, std::string label, std::function<Status(COrinDoc&)> fn) {
    Operation op;
    op.id = op.menuId = id;
    op.key = std::move(key);
    op.label = std::move(label);
    op.run = [fn = std::move(fn)](COrinDoc& doc, const OpValues&) { return fn(doc); };
    return op;
}

void OperationTable::Add(Operation op) {
    assert(op.run && "an operation needs its command");
    assert(!Find(op.id) && "operation ids are unique");
    assert(!Find(op.key) && "operation keys are unique");
    if (!op.params.empty()) {
        // Whoever runs it (menu, dialog, batch tool), a value outside its range never
        // reaches the command: missing values take their defaults, others are clamped.
        op.run = [run = std::move(op.run), params = op.params](COrinDoc& doc, const OpValues& values) {
            OpValues v = values;
            v.numbers.resize(params.size(), 0);
            for (size_t i = 0; i < params.size(); ++i)
                v.numbers[i] = i < values.numbers.size() ? params[i].Clamp(values.numbers[i]) : params[i].def;
            return run(doc, v);
        };
    }
    m_ops.push_back(std::move(op));
}

const Operation* OperationTable::Find(int id) const {
    for (const Operation& op : m_ops)
        if (op.id == id) return &op;
    return nullptr;
}

const Operation* OperationTable::Find(std::string_view key) const {
    for (const Operation& op : m_ops)
        if (op.key == key) return &op;
    return nullptr;
}

const Operation* OperationTable::FindByName(std::string_view name) const {
    int id = 0;
    if (!name.empty() && name[0] != '-' && ParseWholeInt(name, id)) return Find(id);
    return Find(name);
}

bool ParseWholeInt(std::string_view text, int& value) {
    const size_t digits = text.size() - (!text.empty() && text[0] == '-' ? 1 : 0);
    if (digits == 0 || digits > 10) return false;
    for (size_t i = text.size() - digits; i < text.size(); ++i)
        if (text[i] < '0' || text[i] > '9') return false;
    const long long v = std::strtoll(std::string(text).c_str(), nullptr, 10);
    if (v < INT_MIN || v > INT_MAX) return false;
    value = int(v);
    return true;
}

std::string OpParam::Text(int v) const {
    if (decimals <= 0) return std::to_string(v);
    int scale = 1;
    for (int i = 0; i < decimals; ++i) scale *= 10;
    const long long a = v < 0 ? -(long long)v : v;
    char text[48];
    std::snprintf(text, sizeof text, "%s%lld.%0*lld", v < 0 ? "-" : "", a / scale, decimals, a % scale);
    return text;
}

bool OpParam::Parse(std::string_view text, int& v) const {
    const size_t dot = text.find('.');
    if (decimals <= 0 || dot == std::string_view::npos) {
        if (!ParseWholeInt(text, v)) return false;
        for (int i = 0; i < decimals; ++i) {
            if (v > INT_MAX / 10 || v < INT_MIN / 10) return false;
            v *= 10;
        }
        return true;
    }
    const std::string_view whole = text.substr(0, dot), places = text.substr(dot + 1);
    if (places.empty() || places.size() > size_t(decimals) || whole.empty() || whole == "-") return false;
    for (char c : places)
        if (c < '0' || c > '9') return false;
    int w = 0;
    if (!ParseWholeInt(whole, w)) return false;
    long long units = std::llabs(w);
    for (int i = 0; i < decimals; ++i) units = units * 10 + (size_t(i) < places.size() ? places[size_t(i)] - '0' : 0);
    if (whole[0] == '-') units = -units;
    if (units < INT_MIN || units > INT_MAX) return false;
    v = int(units);
    return true;
}

namespace {

bool IsColourText(const std::string& text) {
    if (text.size() == 7 && text[0] == '#') {
        for (size_t i = 1; i < 7; ++i)
            if (!std::isxdigit(static_cast<unsigned char>(text[i]))) return false;
        return true;
    }
    int v = 0;
    return ParseWholeInt(text, v) && v >= 0 && v <= 0xFFFFFF;
}

std::string ColourText(int rgb) {
    char text[16];
    std::snprintf(text, sizeof text, "#%02X%02X%02X", rgb & 0xFF, (rgb >> 8) & 0xFF, (rgb >> 16) & 0xFF);
    return text;
}

// "0..255", or the names of a choice: "rgb|hsl".
std::string RangeText(const OpParam& p) {
    if (p.choices.empty()) return p.Text(p.min) + ".." + p.Text(p.max);
    std::string text;
    for (const std::string& name : p.choices) text += (text.empty() ? "" : "|") + name;
    return text;
}

// A number in the range (with its decimals), or the name of one of the choices.
bool ReadInteger(const OpParam& p, const std::string& text, int& v) {
    for (size_t c = 0; c < p.choices.size(); ++c)
        if (text == p.choices[c]) {
            v = p.min + int(c);
            return true;
        }
    return p.Parse(text, v) && p.Accepts(v);
}

}  // namespace

std::string ReadValues(const Operation& op, const CommandArgs& args, OpValues& out) {
    out = op.Defaults();
    for (const auto& [key, value] : args) {
        if (key == "answer") continue;
        const OpParam* p = op.Param(key);
        if (!p) return "unknown key: " + key + " (" + op.key + ")";
        const size_t index = size_t(p - op.params.data());
        int v = 0;
        switch (p->kind) {
        case ParamKind::kInteger:
            if (!ReadInteger(*p, value, v)) return "bad value: " + key + "=" + value + " (" + RangeText(*p) + ")";
            out.numbers[index] = v;
            break;
        case ParamKind::kColour:
            if (!IsColourText(value)) return "bad value: " + key + "=" + value + " (#RRGGBB)";
            out.numbers[index] = int(ArgColour(args, key, 0));
            break;
        case ParamKind::kText:
            out.text = Utf8ToUtf16(value);
            out.texts[index] = out.text;
            break;
        }
    }
    for (const OpParam& p : op.params)
        if (p.required && !args.count(p.key)) return "missing value: " + p.key + " (" + op.key + ")";
    return {};
}

OpValues ClampedValues(const Operation& op, std::vector<int> numbers) {
    OpValues v = op.Defaults();
    for (size_t i = 0; i < op.params.size() && i < numbers.size(); ++i) v.numbers[i] = op.params[i].Clamp(numbers[i]);
    return v;
}

std::vector<std::string> OperationListing(const OperationTable& table) {
    std::vector<std::string> lines;
    for (const Operation& op : table.All()) {
        std::string line = std::to_string(op.id) + "\t" + op.key + "\t" + op.label;
        for (const OpParam& p : op.params) {
            line += "\t" + p.key + "=";
            switch (p.kind) {
            case ParamKind::kInteger:
                line += RangeText(p) + (p.required                ? " (required)"
                                        : " (" + (p.choices.empty() ? p.Text(p.def) : p.choices[size_t(p.def - p.min)]) + ")");
                break;
            case ParamKind::kColour: line += "#RRGGBB (" + ColourText(p.def) + ")"; break;
            case ParamKind::kText: line += "TEXT"; break;
            }
            if (!p.label.empty()) line += " " + p.label;
        }
        lines.push_back(std::move(line));
    }
    return lines;
}

int ArgInt(const CommandArgs& args, const std::string& key, int fallback) {
    auto it = args.find(key);
    if (it == args.end() || it->second.empty()) return fallback;
    char* end = nullptr;
    const long v = std::strtol(it->second.c_str(), &end, 10);
    return *end == '\0' ? int(v) : fallback;
}

uint32_t ArgColour(const CommandArgs& args, const std::string& key, uint32_t fallback) {
    auto it = args.find(key);
    if (it == args.end() || it->second.empty()) return fallback;
    const std::string& v = it->second;
    char* end = nullptr;
    if (v[0] == '#' && v.size() == 7) {
        const unsigned long rgb = std::strtoul(v.c_str() + 1, &end, 16);
        if (*end != '\0') return fallback;
        return uint32_t(((rgb >> 16) & 0xFF) | (rgb & 0xFF00) | ((rgb & 0xFF) << 16));
    }
    const unsigned long n = std::strtoul(v.c_str(), &end, 10);
    return *end == '\0' ? uint32_t(n) : fallback;
}
