// libFuzzer target: opens the bytes as a file of one format, exactly as the editor
// opens a file (the reader chosen by the extension, then the fall-back readers), and
// draws and saves the document it made. TESSARO_FUZZ_FORMAT is the format code.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "ByteStream.h"
#include "ClipboardOps.h"
#include "Compositor.h"
#include "Document.h"
#include "History.h"
#include "LayerModel.h"
#include "OpenSave.h"
#include "PaintTools.h"
#include "ProjectFile.h"
#include "StepStorage.h"
#include "Workspace.h"

namespace {

struct Bench {
    Bench() {
        workspace.host = &host;
        workspace.steps = std::make_shared<MemoryStepStorage>();
        // Small limits: the fuzzer is to find faults, not to decode giant pictures.
        workspace.pixelLimit = 1000 * 1000;
        workspace.availableMemory = [] { return int64_t(512) << 20; };
    }
    SilentHost host;
    Workspace workspace;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static Bench bench;
    COrinDoc doc(bench.workspace);
    MemoryStream in(data, size);
    if (OpenDocumentFrom(doc, in, TESSARO_FUZZ_FORMAT)) {
        // What the view does first: the composite of every layer, here at a small size.
        ComposeParams p;
        p.width = 64;
        p.height = 64;
        p.zoomX = 64.0f / float(doc.canvas.width);
        p.zoomY = 64.0f / float(doc.canvas.height);
        std::vector<uint32_t> composite;
        ComposeLayers(doc, p, composite);
        // What a user does next, on every layer of a small document: a dot, a fill
        // and a copy at the centre (view coordinates at zoom 1), then a project save.
        if (int64_t(doc.canvas.width) * doc.canvas.height <= 16384) {
            for (int slot : doc.layers.Chain()) {
                SelectLayer(doc, slot);
                DotAt(doc, doc.canvas.width / 2, doc.canvas.height / 2);
                FillAt(doc, doc.canvas.width / 2, doc.canvas.height / 2);
                CopyToClipboard(doc);
            }
            MemoryStream out;
            WriteProject(doc, out);
        }
    }
    RemoveStepFiles(doc);
    bench.host.messages.clear();
    return 0;
}
