// Crash recovery in the editor: a copy that a killed editor left opens as an unsaved
// document without a file name and becomes the new editor's own copy; the start-up
// window saves a copy elsewhere or discards it; a normal end leaves no copy.
#include <QMdiArea>
#include <csignal>
#include <filesystem>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include "AppTestSupport.h"
#include "CommandMap.h"
#include "MainFrame.h"
#include "OpenSave.h"
#include "Recovery.h"
#include "RecoveryDialog.h"
#include "StepStorage.h"

namespace {

using testing_support::TempDir;

uint32_t Checks(int x, int y) { return (x + y) % 2 ? 0x00FF00 : 0x102030; }

// A killed editor that had kept a copy of a 6 x 4 picture titled `title`.
void KilledEditorKept(const std::string& title) {
    Workspace ws;
    ws.steps = std::make_shared<MemoryStepStorage>();
    auto doc = app_test::PlainDocument(ws, 6, 4, 0x336699);
    doc->path = "/data/" + title;
    const pid_t child = fork();
    if (child == 0) {
        RecoverySession session(RecoveryFolder());
        session.Keep(*doc, title);
        session.Flush();
        raise(SIGKILL);
    }
    int status = 0;
    waitpid(child, &status, 0);
}

}  // namespace

TEST(RecoveryEditor, AKilledEditorsWorkOpensAsAnUnsavedDocumentOrIsSavedElsewhereOrDiscarded) {
    TempDir program;
    KilledEditorKept("a.bmp");
    KilledEditorKept("b.bmp");
    KilledEditorKept("c.bmp");
    {
        const std::unique_ptr<CMainFrame> started = app_test::StartHidden(program);
        ASSERT_TRUE(started);
        CMainFrame& frame = *started;
        std::vector<RecoverableCopy> copies = FindRecoverableCopies(RecoveryFolder());
        ASSERT_EQ(copies.size(), 3u);
        CRecoveryDialog dialog(copies, [&](const RecoverableCopy& c) { return frame.OpenRecovered(c) != nullptr; });
        dialog.Select(0);
        ASSERT_TRUE(dialog.OpenSelected());
        ASSERT_EQ(frame.DocumentCount(), 1);
        COrinDoc* doc = frame.DocumentAt(0);
        EXPECT_EQ(doc->canvas.width, 6);
        EXPECT_TRUE(doc->changed);
        EXPECT_TRUE(doc->path.empty());  // saving asks for a name: the user's file is not replaced
        EXPECT_EQ(doc->fileName, copies[0].title);
        EXPECT_TRUE(std::filesystem::exists(frame.Recovery()->CopyPath(*doc)));
        // Saved elsewhere: a project that opens.
        dialog.Select(0);
        const std::string saved = program.File("kept.tsr");
        ASSERT_TRUE(dialog.SaveSelectedAs(QString::fromStdString(saved)));
        Workspace ws;
        ws.steps = std::make_shared<MemoryStepStorage>();
        COrinDoc back(ws);
        EXPECT_TRUE(OpenDocument(back, saved).ok);
        EXPECT_EQ(back.canvas.width, 6);
        dialog.Select(0);
        dialog.DiscardSelected();
        EXPECT_TRUE(dialog.Remaining().empty());
        EXPECT_TRUE(FindRecoverableCopies(RecoveryFolder()).empty());
        // The editor keeps its own copies of changed documents.
        frame.KeepRecoveryCopies();
        frame.Recovery()->Flush();
        EXPECT_TRUE(std::filesystem::exists(frame.Recovery()->CopyPath(*doc)));
        doc->changed = false;
    }
    // A normal end leaves nothing to recover.
    EXPECT_TRUE(FindRecoverableCopies(RecoveryFolder()).empty());
    for (const auto& e : std::filesystem::directory_iterator(RecoveryFolder())) ADD_FAILURE() << e.path();
}
