// Crash recovery: copies kept by a running editor are never offered; copies that a
// killed editor left are listed with their title, time and file, open back as the
// same layers, can be adopted by the next session or discarded; a normal end leaves
// nothing behind.
#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <sys/wait.h>
#include <unistd.h>

#include "DocTestSupport.h"
#include "ProjectFile.h"
#include "Recovery.h"

using namespace doctest;
using testing_support::TempDir;

namespace {

std::unique_ptr<COrinDoc> TwoLayers(Bench& bench) {
    auto doc = bench.Open(5, 3, Gradient);
    EXPECT_TRUE(AddLayer(*doc).ok);
    Paint(doc->layers[doc->layers.current], [](int x, int y) { return uint32_t(0x203040 + x * 9 + y); },
          [](int x, int) { return uint8_t(40 * x); });
    RecordStep(*doc, "붓 그리기", kStepPixels);
    doc->path = "/home/user/사진/a.bmp";
    return doc;
}

// What a killed editor leaves: a session whose process kept a copy of `doc`, then died.
void KilledEditorKeeps(const std::string& folder, COrinDoc& doc, const std::string& title) {
    const pid_t child = fork();
    if (child == 0) {
        RecoverySession session(folder);
        session.Keep(doc, title);
        session.Flush();
        raise(SIGKILL);
    }
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_TRUE(WIFSIGNALED(status));
}

}  // namespace

TEST(Recovery, CopiesOfALiveEditorAreNotOfferedAndANormalEndLeavesNothing) {
    TempDir dir;
    Bench bench;
    auto doc = TwoLayers(bench);
    {
        RecoverySession session(dir.File("recovery"));
        ASSERT_TRUE(session.Ready());
        ASSERT_TRUE(session.Keep(*doc, "a.bmp").ok);
        session.Flush();
        EXPECT_TRUE(std::filesystem::exists(session.CopyPath(*doc)));
        EXPECT_TRUE(FindRecoverableCopies(dir.File("recovery")).empty());
        // Saved or closed: the copy goes.
        session.Drop(*doc);
        session.Flush();
        EXPECT_FALSE(std::filesystem::exists(session.CopyPath(*doc)));
        ASSERT_TRUE(session.Keep(*doc, "a.bmp").ok);
    }
    EXPECT_TRUE(std::filesystem::is_empty(dir.File("recovery")));
}

TEST(Recovery, AKilledEditorsCopyIsListedOpensBackAndCanBeAdoptedOrDiscarded) {
    TempDir dir;
    const std::string folder = dir.File("recovery");
    Bench bench;
    auto doc = TwoLayers(bench);
    const int64_t before = int64_t(std::time(nullptr));
    KilledEditorKeeps(folder, *doc, "a.bmp");
    KilledEditorKeeps(folder, *doc, "b.bmp");

    std::vector<RecoverableCopy> copies = FindRecoverableCopies(folder);
    ASSERT_EQ(copies.size(), 2u);
    for (const RecoverableCopy& c : copies) {
        EXPECT_GE(c.savedAt, before);
        EXPECT_EQ(c.original, "/home/user/사진/a.bmp");
    }
    EXPECT_TRUE(copies[0].title == "a.bmp" || copies[0].title == "b.bmp");

    // The copy opens as the document that was kept.
    Bench other;
    COrinDoc back(other.workspace);
    ASSERT_TRUE(ReadProjectFile(back, copies[0].project).ok);
    EXPECT_EQ(back.layers.Chain(), doc->layers.Chain());
    for (int slot : doc->layers.Chain()) {
        EXPECT_EQ(back.layers[slot].pixels, doc->layers[slot].pixels) << slot;
        EXPECT_EQ(back.layers[slot].alpha, doc->layers[slot].alpha) << slot;
    }

    // The next editor adopts one: it is its copy now, no longer offered.
    {
        RecoverySession session(folder);
        ASSERT_TRUE(session.Adopt(copies[0], back));
        EXPECT_TRUE(std::filesystem::exists(session.CopyPath(back)));
        ASSERT_EQ(FindRecoverableCopies(folder).size(), 1u);
        // The other is discarded, with its session folder.
        DiscardRecoverableCopy(FindRecoverableCopies(folder)[0]);
        EXPECT_TRUE(FindRecoverableCopies(folder).empty());
        size_t folders = 0;
        for (const auto& e : std::filesystem::directory_iterator(folder)) folders += e.is_directory();
        EXPECT_EQ(folders, 1u);  // the live session's own
    }
    EXPECT_TRUE(std::filesystem::is_empty(folder));
}

TEST(Recovery, FolderFollowsXdgDataHomeThenHome) {
    const char* savedData = std::getenv("XDG_DATA_HOME");
    const std::string data = savedData ? savedData : "";
    setenv("XDG_DATA_HOME", "/x/data", 1);
    EXPECT_EQ(RecoveryFolder(), "/x/data/tessaro/recovery");
    setenv("XDG_DATA_HOME", "relative", 1);  // not absolute: ignored
    setenv("HOME", std::getenv("HOME") ? std::getenv("HOME") : "/root", 1);
    EXPECT_EQ(RecoveryFolder(), std::string(std::getenv("HOME")) + "/.local/share/tessaro/recovery");
    if (savedData) setenv("XDG_DATA_HOME", data.c_str(), 1);
    else unsetenv("XDG_DATA_HOME");
}
