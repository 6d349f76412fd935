#include "AppTestSupport.h"

#include <QStandardPaths>
#include <filesystem>
#include <gtest/gtest.h>

#include "MainFrame.h"
#include "NewPicture.h"

namespace app_test {

namespace {
// Keeps the per-user settings (the recent-file list) out of the real home folder.
struct QuietSettings : ::testing::Environment {
    void SetUp() override { QStandardPaths::setTestModeEnabled(true); }
};
const auto* const kQuietSettings = ::testing::AddGlobalTestEnvironment(new QuietSettings);
}  // namespace

void InstallSettings(const testing_support::TempDir& folder) {
    std::filesystem::copy_file(std::filesystem::path(TESSARO_APP_DATA_DIR) / "Dravcon_34.ini",
                               folder.Path() / "Dravcon_34.ini", std::filesystem::copy_options::overwrite_existing);
}

std::unique_ptr<CMainFrame> StartHidden(const testing_support::TempDir& folder,
                                        std::function<void(const QString&)> hook) {
    InstallSettings(folder);
    StartupOptions options;
    options.programFolder = QString::fromStdString(folder.Path().string());
    options.interactive = false;
    options.show = false;
    options.messageHook = std::move(hook);
    return StartTessaro(options);
}

std::string WritePicture(const testing_support::TempDir& folder, const std::string& name, int width, int height,
                         uint32_t (*colour)(int, int)) {
    CImageBuffer image(width, height, 24, kFormatBmp);
    testing_support::FillTrueColour(image, colour);
    const std::string path = folder.File(name);
    EXPECT_TRUE(image.Save(path, kFormatBmp));
    return path;
}

std::unique_ptr<COrinDoc> PlainDocument(Workspace& ws, int width, int height, uint32_t rgb) {
    auto doc = std::make_unique<COrinDoc>(ws);
    EXPECT_TRUE(NewPictureDocument(*doc, width, height, "plain.bmp"));
    LayerRecord& layer = doc->layers[0];
    for (int y = 0; y < layer.height; ++y)
        for (int x = 0; x < layer.width; ++x) {
            uint8_t* p = layer.pixels.data() + size_t(y) * size_t(layer.stride) + size_t(x) * 3;
            p[0] = uint8_t(rgb);
            p[1] = uint8_t(rgb >> 8);
            p[2] = uint8_t(rgb >> 16);
        }
    return doc;
}

void EditorFrame::SetUp() {
    frame = StartHidden(folder, [this](const QString& text) { messages.push_back(text); });
    ASSERT_NE(frame, nullptr);
}

COrinDoc* EditorFrame::AdoptPlain(int width, int height, uint32_t rgb) {
    return frame->AdoptDocument(PlainDocument(Ws(), width, height, rgb));
}

}  // namespace app_test
