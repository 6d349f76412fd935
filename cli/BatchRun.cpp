#include "BatchRun.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cctype>
#include <climits>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <unistd.h>

#include "BuiltinOperations.h"
#include "ByteStream.h"
#include "ClipboardOps.h"
#include "Codecs.h"
#include "EffectCatalogue.h"
#include "History.h"
#include "LayerModel.h"
#include "LayerOps.h"
#include "MeasureFile.h"
#include "MeasureState.h"
#include "Messages.h"
#include "OpenSave.h"
#include "SafeFile.h"
#include "ScaleBar.h"
#include "StepSpace.h"
#include "Utf16.h"

namespace batch {

// What a signal handler removes when a run is interrupted: every step file name the
// run's document can use and then the folder. Built before it is published and never
// changed afterwards, so the handler only reads it.
struct CleanupList {
    std::vector<std::string> files;
    std::string folder;
};

namespace {

std::atomic<const CleanupList*> g_cleanup{nullptr};
static_assert(std::atomic<const CleanupList*>::is_always_lock_free);

constexpr int kCleanupSignals[] = {SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGPIPE};

void RemoveStepFolderAndDie(int sig) {
    // A save under way leaves no partial temporary file beside its target.
    RemoveUnfinishedSaves();
    if (const CleanupList* c = g_cleanup.load()) {
        for (const std::string& f : c->files) unlink(f.c_str());
        rmdir(c->folder.c_str());
    }
    // The handler was reset to the default action on entry: this ends the process
    // with the signal's own status once the handler returns.
    raise(sig);
}

void InstallCleanupHandlers() {
    static bool installed = false;
    if (installed) return;
    installed = true;
    for (int sig : kCleanupSignals) {
        struct sigaction old {};
        if (sigaction(sig, nullptr, &old) != 0 || old.sa_handler == SIG_IGN) continue;  // nohup, background jobs
        struct sigaction sa {};
        sa.sa_handler = RemoveStepFolderAndDie;
        sigemptyset(&sa.sa_mask);
        sa.sa_flags = SA_RESETHAND;
        sigaction(sig, &sa, nullptr);
    }
}

std::string Formatted(const char* pattern, int value) {
    char text[256];
    std::snprintf(text, sizeof text, pattern, value);
    return text;
}

}  // namespace

std::unique_ptr<ByteStream> DiscardStepStorage::Read(const std::string&) { return nullptr; }

void BatchHost::Message(const std::string& text) {
    std::fprintf(stderr, "%s\n", text.c_str());
    lastMessage = text;
}

Context::Context(bool keepSteps) {
    workspace.host = &host;
    workspace.durableSaves = false;
    AddBuiltinOperations(operations);
    named = NamedOps();
    // The program folder is the current folder: its standards are the calibration.
    Measurement(workspace).Load();
    doc = std::make_unique<COrinDoc>(workspace);
    // Numbered now, so that the step file names are known before anything is written.
    doc->number = workspace.NextDocumentNumber();
    // Every run saves: an interrupted save removes its temporary file.
    InstallCleanupHandlers();
    // Runs that were killed left their step spaces behind: those of ended processes go.
    const std::string temp = TemporaryFolder();
    if (!temp.empty()) SweepStaleStepSpaces(temp, false);
    if (!keepSteps) {
        workspace.steps = std::make_shared<DiscardStepStorage>();
        ready = true;
        return;
    }
    if (temp.empty()) {
        error = std::strerror(ENOENT);
        return;
    }
    stepFolder = CreateStepSpace(temp);
    if (stepFolder.empty()) {
        error = std::strerror(errno ? errno : EACCES);
        return;
    }
    workspace.stepFolder = stepFolder;
    workspace.steps = std::make_shared<DiskStepStorage>();

    auto list = std::make_unique<CleanupList>();
    list->folder = stepFolder;
    list->files.push_back(HeadFilePath(*doc));
    for (int e = 0; e < History::kPositions; ++e) list->files.push_back(StepFilePath(*doc, e));
    for (int s = 0; s < kMaxLayers; ++s) list->files.push_back(DroppedFilePath(*doc, s));
    list->files.push_back((std::filesystem::path(stepFolder) / kStepSpaceLockName).string());
    cleanup = std::move(list);
    g_cleanup.store(cleanup.get());
    ready = true;
}

Context::~Context() {
    if (doc && !stepFolder.empty()) RemoveStepFiles(*doc);
    doc.reset();
    if (g_cleanup.load() == cleanup.get()) g_cleanup.store(nullptr);
    if (!stepFolder.empty()) RemoveStepSpace(stepFolder);
}

bool ParseOp(const std::string& text, std::string& name, CommandArgs& args) {
    const size_t colon = text.find(':');
    name = text.substr(0, colon);
    if (name.empty()) return false;
    if (colon == std::string::npos) return true;
    const std::string rest = text.substr(colon + 1);
    size_t start = 0;
    while (start <= rest.size()) {
        size_t comma = rest.find(',', start);
        if (comma == std::string::npos) comma = rest.size();
        const std::string pair = rest.substr(start, comma - start);
        if (!pair.empty()) {
            const size_t eq = pair.find('=');
            if (eq == std::string::npos || eq == 0) return false;
            args[pair.substr(0, eq)] = pair.substr(eq + 1);
        }
        start = comma + 1;
    }
    return true;
}

namespace {

// effect:name=NAME,p1=,p2=,p3= (NAME Korean or the list index) and binary:mode=,p1=:
// the table entry of the effect with the sliders it has; a value for a slider the
// effect does not have is allowed and unused.
std::string CheckEffect(const Context& context, ParsedOp& out) {
    CommandArgs rest = out.args;
    if (out.name == "effect") {
        const auto it = rest.find("name");
        if (it == rest.end()) return "missing key: name (effect)";
        const std::string korean = EffectNameOf(it->second);
        if (korean.empty()) return "unknown effect: " + it->second;
        out.operation = FindEffect(context.operations, korean);
        rest.erase(it);
    } else {
        int mode = 0;
        if (const auto it = rest.find("mode"); it != rest.end()) {
            if (!ParseWholeInt(it->second, mode) || mode < 0 || mode > 2) return "bad value: mode=" + it->second + " (0..2)";
            rest.erase(it);
        }
        out.operation = FindEffect(context.operations, kBinaryEffect, mode);
    }
    if (!out.operation) return "unknown effect: " + out.name;
    for (size_t i = out.operation->params.size(); i < 3; ++i) {
        const std::string key = "p" + std::to_string(i + 1);
        const auto it = rest.find(key);
        if (it == rest.end()) continue;
        int unused = 0;
        if (!ParseWholeInt(it->second, unused)) return "bad value: " + key + "=" + it->second;
        rest.erase(it);
    }
    return ReadValues(*out.operation, rest, out.values);
}

}  // namespace

std::string CheckOp(const std::string& text, const Context& context, ParsedOp& out) {
    out = ParsedOp{};
    if (!ParseOp(text, out.name, out.args)) return "bad operation: " + text;
    if (auto it = out.args.find("answer"); it != out.args.end() && it->second != "yes" && it->second != "no")
        return "bad value: answer=" + it->second + " (yes or no)";
    if (auto it = context.named.find(out.name); it != context.named.end()) {
        out.named = &it->second;
        const auto& table = NamedOpArgs();
        const auto specs = table.find(out.name);
        if (specs == table.end()) return {};
        Operation shape;  // the named operation's keys, checked as the table's are
        shape.key = out.name;
        shape.params = specs->second;
        return ReadValues(shape, out.args, out.values);
    }
    if (out.name == "effect" || out.name == "binary") return CheckEffect(context, out);
    out.operation = context.operations.FindByName(out.name);
    if (!out.operation) return "unknown operation: " + out.name;
    return ReadValues(*out.operation, out.args, out.values);
}

int ListOperations() {
    OperationTable table;
    AddBuiltinOperations(table);
    for (const std::string& line : OperationListing(table)) std::printf("%s\n", line.c_str());
    return 0;
}

namespace {

int Fail(const std::string& message) {
    std::fprintf(stderr, "%s\n", message.c_str());
    return 1;
}

Status OpenInput(Context& c, const std::string& path) {
    Status s = OpenWithMeasurements(*c.doc, Measures(*c.doc).sheet, path, Measurement(c.workspace).calibration);
    if (!s && s.message.empty()) s.message = msg::kCannotOpen;
    return s;
}

Status SaveOutput(Context& c, const std::string& path) {
    Status s = SaveWithMeasurements(*c.doc, Measures(*c.doc).sheet, path, &Measurement(c.workspace).calibration);
    if (!s && s.message.empty()) s.message = msg::kSaveFailed;
    return s;
}

}  // namespace

std::string CreatedPath(const std::string& output, const std::string& title) {
    const std::filesystem::path out(output);
    const std::string word = title.substr(0, title.find(' '));
    return (out.parent_path() / (out.stem().string() + "-" + word + out.extension().string())).string();
}

int Info(const std::string& path) {
    Context c(false);
    if (!c.ready) return Fail(c.error);
    if (Status s = OpenInput(c, path); !s) return Fail(s.message);
    const COrinDoc& doc = *c.doc;
    const int format = FormatFromPath(path);
    const bool project = format == kFormatProject || format == kFormatMeasure;
    const CImageBuffer& image = *doc.mainImage;
    std::printf("format %d\n", project ? format : image.Type());
    std::printf("width %d\n", project ? doc.canvas.width : image.Width());
    std::printf("height %d\n", project ? doc.canvas.height : image.Height());
    std::printf("bits %d\n", project ? doc.canvas.bpp : image.Bpp());
    std::printf("palette %d\n", project ? doc.canvas.paletteCount : image.PaletteCount());
    std::printf("layers %d\n", int(doc.layers.Chain().size()));
    if (format == kFormatMeasure) std::printf("%s", MeasureListing(Measures(*c.doc).sheet).c_str());
    return 0;
}

int Convert(const std::string& input, const std::string& output) {
    // Nothing in a conversion looks at its step files: none are kept.
    Context c(false);
    if (!c.ready) return Fail(c.error);
    if (Status s = OpenInput(c, input); !s) return Fail(s.message);
    if (Status s = SaveOutput(c, output); !s) return Fail(s.message);
    return 0;
}

int Apply(const ApplyOptions& options) {
    Context c(true);
    if (!c.ready) return Fail(c.error);
    // Every operation is checked before anything is opened: a usage error runs nothing.
    std::vector<ParsedOp> ops(options.ops.size());
    for (size_t i = 0; i < ops.size(); ++i) {
        if (const std::string error = CheckOp(options.ops[i].text, c, ops[i]); !error.empty()) {
            const std::string& where = options.ops[i].where;
            std::fprintf(stderr, "%s%s%s\n", where.c_str(), where.empty() ? "" : ": ", error.c_str());
            return 2;
        }
    }
    if (Status s = OpenInput(c, options.input); !s) return Fail(s.message);
    bool refused = false;
    for (const ParsedOp& op : ops) {
        c.host.answer = !(op.args.count("answer") && op.args.at("answer") == "no");
        c.host.lastMessage.clear();
        const Status s = op.named ? (*op.named)(c, op.args) : op.operation->run(*c.doc, op.values);
        // A failure without a message is a question answered "no": nothing to report.
        if (!s && !s.message.empty()) {
            if (s.message != c.host.lastMessage) std::fprintf(stderr, "%s\n", s.message.c_str());
            refused = true;
        }
    }
    COrinDoc& doc = *c.doc;
    if (options.printLayers) {
        for (int slot : doc.layers.Chain()) {
            const LayerRecord& r = doc.layers[slot];
            std::printf("slot=%d kind=%d visible=%d transparency=%d blend=%d x=%d y=%d width=%d height=%d name=%s\n", slot,
                        r.kind, r.visible, r.transparency, r.blend, r.x, r.y, r.width, r.height,
                        Utf16ToUtf8(r.name).c_str());
        }
    }
    if (options.printHistory)
        for (const std::string& row : HistoryRows(doc)) std::printf("%s\n", row.c_str());
    if (options.output != "-") {
        if (Status s = SaveOutput(c, options.output); !s) return Fail(s.message);
        for (const std::unique_ptr<COrinDoc>& made : c.host.created) {
            const Status s = SaveDocument(*made, CreatedPath(options.output, made->fileName));
            if (!s) return Fail(s.message.empty() ? msg::kSaveFailed : s.message);
        }
    }
    return refused ? 1 : 0;
}

namespace {

bool InStack(const COrinDoc& doc, int slot) {
    const std::vector<int> chain = doc.layers.Chain();
    return std::find(chain.begin(), chain.end(), slot) != chain.end();
}

}  // namespace

const std::map<std::string, std::vector<OpParam>>& NamedOpArgs() {
    // Offsets stay far from the int range, so that no position sum can overflow.
    constexpr int kOffset = 1000000;
    static const std::map<std::string, std::vector<OpParam>> table = {
        {"select-layer", {{"slot", "", INT_MIN, INT_MAX}}},
        {"set-layer",
         {{"visible", "", 0, 1}, {"transparency", "", 0, 255}, {"blend", "", 0, 9}, {"x", "", -kOffset, kOffset},
          {"y", "", -kOffset, kOffset}}},
        {"move-layer", {{"slot", "", INT_MIN, INT_MAX}}},
        {"measure", {{"kind", "", 0, 0, 0, ParamKind::kText}, {"points", "", 0, 0, 0, ParamKind::kText},
                     {"text", "", 0, 0, 0, ParamKind::kText}}},
        {"calibrate", {{"name", "", 0, 0, 0, ParamKind::kText}, {"unit", "", 0, 0, 0, ParamKind::kText},
                       {"x", "", 0, 0, 0, ParamKind::kText}, {"y", "", 0, 0, 0, ParamKind::kText},
                       {"length", "", 0, 0, 0, ParamKind::kText}}},
        {"scale-bar",
         {{"length", "", 1, 1000000000, 0, ParamKind::kInteger, {}, 3},
          {"unit", "", 0, 0, 0, ParamKind::kText},
          {"corner", "", 0, 3, 0, ParamKind::kInteger, {std::begin(kBarCornerKeys), std::end(kBarCornerKeys)}},
          {"colour", "", 0, 0, 0xFFFFFF, ParamKind::kColour},
          {"face", "", 0, 0, 0, ParamKind::kText},
          {"size", "", 1, kMaxBarTextSize, 0},
          {"edit", "", 0, 1, 0}}},
        {"export-text", {}},
        {"export-csv", {}},
        {"export-sheet", {{"sheet", "", 1, 255, 1}}},
    };
    return table;
}

std::map<std::string, NamedOp> NamedOps() {
    std::map<std::string, NamedOp> ops = {
        {"select-layer",
         [](Context& c, const CommandArgs& a) {
             const int slot = ArgInt(a, "slot", -1);
             if (!InStack(*c.doc, slot)) return Status::Fail(Formatted(msg::kNoLayerInSlot, slot));
             SelectLayer(*c.doc, slot);
             return Status::Ok();
         }},
        {"set-layer",
         [](Context& c, const CommandArgs& a) {
             LayerRecord* r = c.doc->CurrentLayer();
             if (!r) return Status::Ok();
             r->visible = ArgInt(a, "visible", r->visible) ? 1 : 0;
             r->transparency = uint8_t(ArgInt(a, "transparency", r->transparency));
             r->blend = uint8_t(ArgInt(a, "blend", r->blend));
             r->x = ArgInt(a, "x", r->x);
             r->y = ArgInt(a, "y", r->y);
             c.doc->Touch();
             return Status::Ok();
         }},
        {"move-layer",
         [](Context& c, const CommandArgs& a) {
             const int slot = ArgInt(a, "slot", -1);
             if (!InStack(*c.doc, slot)) return Status::Fail(Formatted(msg::kNoLayerInSlot, slot));
             return SwapLayers(*c.doc, c.doc->layers.current, slot);
         }},
    };
    RegisterToolOps(ops);
    RegisterMeasureOps(ops);
    return ops;
}

}  // namespace batch
