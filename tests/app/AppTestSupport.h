// Shared set-up of the editor tests: a program folder with the installed settings
// file, small pictures written as BMP files, and documents built in memory.
#pragma once

#include <QString>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

#include "Application.h"
#include "Document.h"
#include "MainFrame.h"
#include "TestSupport.h"

namespace app_test {

// Copies the installed settings file into `folder`.
void InstallSettings(const testing_support::TempDir& folder);
// The settings file installed in `folder`, then the editor started there hidden and
// without its start-up windows (`hook` replaces the message box of a failed start).
std::unique_ptr<CMainFrame> StartHidden(const testing_support::TempDir& folder,
                                        std::function<void(const QString&)> hook = {});
// Writes a width x height 24-bit BMP whose pixel (x, y) (y = 0 the bottom row) is
// colour(x, y) = 0xRRGGBB; returns its path.
std::string WritePicture(const testing_support::TempDir& folder, const std::string& name, int width, int height,
                         uint32_t (*colour)(int, int));
// A document of one backdrop layer, width x height, every pixel `rgb` (0xRRGGBB).
std::unique_ptr<COrinDoc> PlainDocument(Workspace& ws, int width, int height, uint32_t rgb);

// The one fixture of the editor window tests: the editor started hidden in a fresh
// program folder, the texts of the message boxes it would have shown kept in order.
// A test that needs files in the folder before the start writes them and then calls
// EditorFrame::SetUp().
struct EditorFrame : ::testing::Test {
    testing_support::TempDir folder;
    std::unique_ptr<CMainFrame> frame;
    std::vector<QString> messages;

    void SetUp() override;
    Workspace& Ws() { return frame->GetWorkspace(); }
    // A PlainDocument adopted by the editor in a window of its own.
    COrinDoc* AdoptPlain(int width, int height, uint32_t rgb);
};

}  // namespace app_test
