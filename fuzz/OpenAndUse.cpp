#include "OpenAndUse.h"

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

void UseDocument(COrinDoc& doc) {
    // What the view does first: the composite of every layer, here at a small size.
    ComposeParams p;
    p.width = 64;
    p.height = 64;
    p.zoomX = 64.0f / float(doc.canvas.width);
    p.zoomY = 64.0f / float(doc.canvas.height);
    std::vector<uint32_t> composite;
    ComposeLayers(doc, p, composite);
    // What a user does next, on every layer of a small document: a dot, a fill and a
    // copy at the centre (view coordinates at zoom 1), then a project save.
    if (int64_t(doc.canvas.width) * doc.canvas.height > 16384) return;
    for (int slot : doc.layers.Chain()) {
        SelectLayer(doc, slot);
        DotAt(doc, doc.canvas.width / 2, doc.canvas.height / 2);
        FillAt(doc, doc.canvas.width / 2, doc.canvas.height / 2);
        CopyToClipboard(doc);
    }
    MemoryStream out;
    WriteProject(doc, out);
}

Status OpenAndUse(Workspace& workspace, const uint8_t* data, size_t size, int code) {
    COrinDoc doc(workspace);
    MemoryStream in(data, size);
    const Status status = OpenDocumentFrom(doc, in, code);
    if (status) UseDocument(doc);
    RemoveStepFiles(doc);
    return status;
}
