#include "BatchRun.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <unistd.h>

#include <algorithm>

#include "ClipboardOps.h"
#include "Codecs.h"
#include "History.h"
#include "LayerModel.h"
#include "LayerOps.h"
#include "OpenSave.h"
#include "Utf16.h"

namespace batch {

void BatchHost::Message(const std::string& text) { std::fprintf(stderr, "%s\n", text.c_str()); }

Context::Context() {
    std::string pattern = (std::filesystem::temp_directory_path() / "tessaro-cli-XXXXXX").string();
    if (mkdtemp(pattern.data())) stepFolder = pattern;
    workspace.host = &host;
    workspace.durableSaves = false;
    workspace.stepFolder = stepFolder.empty() ? std::filesystem::temp_directory_path().string() : stepFolder;
    RegisterDocumentCommands(commands);
    RegisterToolCommands(commands);
    doc = std::make_unique<COrinDoc>(workspace);
}

Context::~Context() {
    if (doc) RemoveStepFiles(*doc);
    doc.reset();
    std::error_code ec;
    if (!stepFolder.empty()) std::filesystem::remove_all(stepFolder, ec);
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

int Fail(const std::string& message) {
    if (!message.empty()) std::fprintf(stderr, "%s\n", message.c_str());
    return 1;
}

Status OpenInput(Context& c, const std::string& path) {
    Status s = OpenDocument(*c.doc, path);
    if (!s && s.message.empty()) s.message = "해당 파일을 열 수 없습니다.";
    return s;
}

}  // namespace

int Info(const std::string& path) {
    Context c;
    if (Status s = OpenInput(c, path); !s) return Fail(s.message);
    const COrinDoc& doc = *c.doc;
    const bool project = FormatFromPath(path) == kFormatProject;
    const CImageBuffer& image = *doc.mainImage;
    std::printf("format %d\n", project ? 5 : image.Type());
    std::printf("width %d\n", project ? doc.canvas.width : image.Width());
    std::printf("height %d\n", project ? doc.canvas.height : image.Height());
    std::printf("bits %d\n", project ? doc.canvas.bpp : image.Bpp());
    std::printf("palette %d\n", project ? doc.canvas.paletteCount : image.PaletteCount());
    std::printf("layers %d\n", int(doc.layers.Chain().size()));
    return 0;
}

int Convert(const std::string& input, const std::string& output) {
    Context c;
    // Nothing in a conversion can look at its step files: they stay in memory.
    c.workspace.steps = std::make_shared<MemoryStepStorage>();
    if (Status s = OpenInput(c, input); !s) return Fail(s.message);
    if (Status s = SaveDocument(*c.doc, output); !s) return Fail(s.message.empty() ? "저장 실패" : s.message);
    return 0;
}

int Apply(const ApplyOptions& options) {
    Context c;
    if (Status s = OpenInput(c, options.input); !s) return Fail(s.message);
    bool refused = false;
    for (const std::string& text : options.ops) {
        std::string name;
        CommandArgs args;
        if (!ParseOp(text, name, args)) {
            std::fprintf(stderr, "bad operation: %s\n", text.c_str());
            return 2;
        }
        c.host.answer = !(args.count("answer") && args.at("answer") == "no");
        Status s;
        auto& named = NamedOps();
        if (auto it = named.find(name); it != named.end()) {
            s = it->second(c, args);
        } else {
            char* end = nullptr;
            const long id = std::strtol(name.c_str(), &end, 10);
            const CommandFn* fn = *end == '\0' ? c.commands.Find(int(id)) : nullptr;
            if (!fn) {
                std::fprintf(stderr, "unknown operation: %s\n", name.c_str());
                return 2;
            }
            s = (*fn)(*c.doc, args);
        }
        if (!s && !s.message.empty()) {
            std::fprintf(stderr, "%s\n", s.message.c_str());
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
        if (Status s = SaveDocument(doc, options.output); !s) {
            std::fprintf(stderr, "%s\n", s.message.c_str());
            return 1;
        }
    }
    return refused ? 1 : 0;
}

std::map<std::string, NamedOp>& NamedOps() {
    static std::map<std::string, NamedOp> ops = {
        {"select-layer",
         [](Context& c, const CommandArgs& a) {
             const int slot = ArgInt(a, "slot", -1);
             if (!IsValidSlot(slot) || !c.doc->layers[slot].inUse) return Status::Fail("no layer in slot " + std::to_string(slot));
             SelectLayer(*c.doc, slot);
             return Status::Ok();
         }},
        {"set-layer",
         [](Context& c, const CommandArgs& a) {
             LayerRecord* r = c.doc->CurrentLayer();
             if (!r) return Status::Ok();
             r->visible = ArgInt(a, "visible", r->visible) ? 1 : 0;
             r->transparency = uint8_t(std::clamp(ArgInt(a, "transparency", r->transparency), 0, 255));
             r->blend = uint8_t(std::clamp(ArgInt(a, "blend", r->blend), 0, 255));
             r->x = ArgInt(a, "x", r->x);
             r->y = ArgInt(a, "y", r->y);
             c.doc->view.rebuild = true;
             return Status::Ok();
         }},
        {"rename-layer",
         [](Context& c, const CommandArgs& a) {
             auto it = a.find("name");
             return RenameLayer(*c.doc, Utf8ToUtf16(it == a.end() ? std::string() : it->second));
         }},
        {"layer-effect",
         [](Context& c, const CommandArgs& a) {
             return ApplyLayerEffect(*c.doc, ArgInt(a, "size", 5), ArgColour(a, "colour", 0x000000));
         }},
        {"move-layer",
         [](Context& c, const CommandArgs& a) {
             return SwapLayers(*c.doc, c.doc->layers.current, ArgInt(a, "slot", -1));
         }},
        {"copy", [](Context& c, const CommandArgs&) { return CopyToClipboard(*c.doc); }},
        {"cut", [](Context& c, const CommandArgs&) { return CutToClipboard(*c.doc); }},
        {"paste", [](Context& c, const CommandArgs&) { return PasteFromClipboard(*c.doc); }},
    };
    static const bool registered = (RegisterToolOps(ops), true);
    (void)registered;
    return ops;
}

}  // namespace batch
