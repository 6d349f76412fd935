// The one fixture of the editor tests (document, edit, view, processing and measure):
// a workspace with a silent host whose step files go to a fresh temporary folder (or
// memory), and documents opened from small pictures built in the test.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "Document.h"
#include "LayerModel.h"
#include "TestSupport.h"
#include "Workspace.h"

namespace editor_test {

struct Bench {
    explicit Bench(bool inMemory = false) {
        workspace.host = &host;
        workspace.stepFolder = folder.Path().string();
        if (inMemory) workspace.steps = std::make_shared<MemoryStepStorage>();
    }
    Bench(const Bench&) = delete;
    Bench& operator=(const Bench&) = delete;

    testing_support::TempDir folder;
    SilentHost host;
    Workspace workspace;

    // A document opened from a 24-bit w x h picture whose pixel (x, y) (y = 0 the
    // bottom row) is colour(x, y) as 0xRRGGBB, named `fileName` ("" for a new picture).
    std::unique_ptr<COrinDoc> Open(int w, int h, const std::function<uint32_t(int, int)>& colour,
                                   const std::string& fileName = "test.bmp") {
        auto doc = std::make_unique<COrinDoc>(workspace);
        doc->mainImage = std::make_unique<CImageBuffer>(w, h, 24, kFormatBmp);
        testing_support::FillTrueColour(*doc->mainImage, colour);
        doc->fileName = fileName;
        EXPECT_TRUE(OpenPictureInDocument(*doc).ok);
        return doc;
    }
};

inline uint32_t Gradient(int x, int y) { return uint32_t((x * 37 + y * 11) & 0xFF) << 16 | uint32_t((x * 5 + 3 * y) & 0xFF) << 8 | uint32_t((x ^ y) * 13 & 0xFF); }

}  // namespace editor_test
