#include "ChannelSplit.h"

#include <cstdio>
#include <new>

#include "ColourSpace.h"
#include "CommandMap.h"
#include "EditSteps.h"
#include "LayerModel.h"
#include "Messages.h"
#include "RowLoop.h"
#include "Utf16.h"

Status LayerRgbPlanes(const COrinDoc& doc, ChannelPlanes& out) {
    out = ChannelPlanes{};
    const LayerRecord* layer = doc.layers.IsCurrentValid() ? &doc.layers[doc.layers.current] : nullptr;
    if (!layer || layer->kind == kLayerText || layer->width <= 0 || layer->height <= 0) return Status::Ok();
    const size_t w = size_t(layer->width), size = w * size_t(layer->height);
    try {
        for (auto& p : out.planes) p.resize(size);
    } catch (const std::bad_alloc&) {
        out = ChannelPlanes{};
        return Status::Fail(msg::kAllocMemory);
    }
    out.width = layer->width;
    out.height = layer->height;
    ScanLayerRows(doc, *layer, [&](int y, std::span<const Bgr> row, std::span<const uint8_t>) {
        uint8_t* r = out.planes[0].data() + size_t(y) * w;
        uint8_t* g = out.planes[1].data() + size_t(y) * w;
        uint8_t* b = out.planes[2].data() + size_t(y) * w;
        for (size_t x = 0; x < row.size(); ++x) {
            r[x] = row[x].r;
            g[x] = row[x].g;
            b[x] = row[x].b;
        }
    });
    return Status::Ok();
}

ChannelPlanes ConvertPlanes(const ChannelPlanes& rgb, ChannelModel model) {
    if (model == ChannelModel::kRgb) return rgb;
    ChannelPlanes out = rgb;
    const size_t n = rgb.planes[0].size();
    for (size_t i = 0; i < n; ++i) {
        const int r = rgb.planes[0][i], g = rgb.planes[1][i], b = rgb.planes[2][i];
        if (model == ChannelModel::kYuv) {
            const Yuv c = RgbToYuv(r, g, b);
            out.planes[0][i] = c.y;
            out.planes[1][i] = c.u;
            out.planes[2][i] = c.v;
        } else {
            const Hsl c = RgbToHsl(r, g, b);
            out.planes[0][i] = c.h;
            out.planes[1][i] = c.s;
            out.planes[2][i] = c.l;
        }
    }
    return out;
}

std::array<const char*, 3> ChannelNames(ChannelModel model) {
    switch (model) {
    case ChannelModel::kYuv: return {"Y", "U", "V"};
    case ChannelModel::kHsl: return {"Hue", "Saturation", "Lightness"};
    default: return {"R", "G", "B"};
    }
}

std::string ChannelTitle(ChannelModel model, int channel, int number, const std::string& source) {
    return std::string(ChannelNames(model)[size_t(channel)]) + " Channel " + std::to_string(number) + " from " + source;
}

Status ChannelDocument(Workspace& workspace, const ChannelPlanes& planes, int channel, const std::string& title,
                       std::unique_ptr<COrinDoc>& out) {
    auto image = std::make_unique<CImageBuffer>(kFormatBmp);
    if (!image->Allocate(planes.width, planes.height, 8, kFormatBmp, false)) return Status::Fail(msg::kAllocMemory);
    image->MakeGreyPalette();
    const std::vector<uint8_t>& plane = planes.planes[size_t(channel)];
    for (int y = 0; y < planes.height; ++y)
        std::copy_n(plane.data() + size_t(y) * size_t(planes.width), planes.width, image->Row(y));
    auto doc = std::make_unique<COrinDoc>(workspace);
    doc->number = workspace.NextDocumentNumber();
    doc->mainImage = std::move(image);
    doc->fileName = title;
    if (Status s = OpenPictureInDocument(*doc); !s) return s;
    doc->canvas.title = Utf8ToUtf16(title).substr(0, 100);
    out = std::move(doc);
    return Status::Ok();
}

Status OpenChannelDocuments(COrinDoc& source, ChannelModel model) {
    if (Status s = RefuseTextLayer(source); !s) return s;
    ChannelPlanes planes;
    if (Status s = LayerRgbPlanes(source, planes); !s || planes.width == 0) return s;
    planes = ConvertPlanes(planes, model);
    Workspace& ws = source.workspace;
    for (int c = 0; c < 3; ++c) {
        std::unique_ptr<COrinDoc> doc;
        const std::string title = ChannelTitle(model, c, ws.pictureCounter++, source.fileName);
        if (Status s = ChannelDocument(ws, planes, c, title, doc); !s) return s;
        ws.NewDocument(std::move(doc));
    }
    return Status::Ok();
}

Operation ChannelSplitOperation(ChannelModel model) {
    Operation op;
    switch (model) {
    case ChannelModel::kRgb:
        op.id = kCmdSplitRgb;
        op.key = "split-rgb";
        op.label = "RGB구분";
        break;
    case ChannelModel::kYuv:
        op.id = kCmdSplitYuv;
        op.key = "split-yuv";
        op.label = "YUV구분";
        break;
    case ChannelModel::kHsl:
        op.id = kCmdSplitHsl;
        op.key = "split-hsl";
        op.label = "HSL구분";
        break;
    }
    op.menuId = op.id;
    op.run = [model](COrinDoc& doc, const OpValues&) { return OpenChannelDocuments(doc, model); };
    return op;
}
