#include "NewPicture.h"

#include "LayerModel.h"
#include "Messages.h"
#include "OpenSave.h"

namespace {

Status Finish(COrinDoc& doc, std::unique_ptr<CImageBuffer> image, const std::string& name) {
    doc.fileName = name;
    doc.path.clear();
    doc.mainImage = std::move(image);
    return OpenPictureInDocument(doc);
}

}  // namespace

Status NewPictureDocument(COrinDoc& doc, int width, int height, const std::string& name) {
    if (width <= 0 || height <= 0) return Status::Fail(msg::kAllocMemory);
    if (const char* refusal = OpenLimits(doc.workspace).Refusal(width, height)) return Status::Fail(refusal);
    auto image = std::make_unique<CImageBuffer>(kFormatBmp);
    // New rows are 0xFF: a white picture.
    if (!image->Allocate(width, height, 24, kFormatBmp)) return Status::Fail(msg::kAllocMemory);
    image->SetHorizontalDpi(96);
    image->SetVerticalDpi(96);
    return Finish(doc, std::move(image), name);
}

Status BitmapDocument(COrinDoc& doc, const PlainBitmap& bitmap, const std::string& name) {
    if (const char* refusal = OpenLimits(doc.workspace).Refusal(bitmap.width, bitmap.height))
        return Status::Fail(refusal);
    auto image = std::make_unique<CImageBuffer>(kFormatBmp);
    if (!image->FromBitmapHandle(&bitmap) || !image->IsValid()) return Status::Fail(msg::kAllocMemory);
    image->Info().typeCode = kFormatBmp;
    return Finish(doc, std::move(image), name);
}
