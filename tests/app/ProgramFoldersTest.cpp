// Where the editor keeps its files: the start-up folder for a run from the build, the
// XDG folders for an installed program (seeded from the shipped defaults once, a user's
// own copies never overwritten); and the channel that hands files to a running editor.
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QSignalSpy>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <map>
#include <sys/stat.h>
#include <thread>

#include "InstanceChannel.h"
#include "ProgramFolders.h"
#include "TestSupport.h"

namespace fs = std::filesystem;
using testing_support::TempDir;

namespace {

void Write(const fs::path& path, const std::string& text) {
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << text;
}

std::string Read(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

TEST(ProgramFolders, BuildRunsUseTheStartFolderAndInstalledOnesTheXdgFolders) {
    TempDir prefix;
    Write(prefix.Path() / "share/tessaro/Dravcon_34.ini", "shipped");
    fs::create_directories(prefix.Path() / "bin");
    const std::string bin = (prefix.Path() / "bin").string(), shipped = (prefix.Path() / "share/tessaro").string();
    using Env = std::map<std::string, std::string>;
    const struct {
        std::string executable;
        Env env;
        ProgramFolders want;
    } cases[] = {
        // A build folder has no shipped data beside it: everything in the start folder.
        {"/nowhere/build/app", {{"HOME", "/home/u"}}, {"/start", "/start", "/start", ""}},
        {"", {{"HOME", "/home/u"}}, {"/start", "/start", "/start", ""}},
        {bin, {{"HOME", "/home/u"}},
         {"/home/u/.config/tessaro", "/home/u/.local/share/tessaro", "/home/u/.cache/tessaro", shipped}},
        {bin, {{"HOME", "/home/u"}, {"XDG_CONFIG_HOME", "/c"}, {"XDG_DATA_HOME", "/d"}, {"XDG_CACHE_HOME", "/k"}},
         {"/c/tessaro", "/d/tessaro", "/k/tessaro", shipped}},
        // Relative base folders are not valid and are ignored.
        {bin, {{"HOME", "/home/u"}, {"XDG_CONFIG_HOME", "rel"}, {"XDG_CACHE_HOME", "./k"}},
         {"/home/u/.config/tessaro", "/home/u/.local/share/tessaro", "/home/u/.cache/tessaro", shipped}},
        {bin, {}, {"/tmp/.config/tessaro", "/tmp/.local/share/tessaro", "/tmp/.cache/tessaro", shipped}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.executable + " " + std::to_string(c.env.size()));
        const ProgramFolders f = ResolveProgramFolders("/start", c.executable, "../share/tessaro", [&](const char* name) {
            auto it = c.env.find(name);
            return it == c.env.end() ? std::string() : it->second;
        });
        EXPECT_EQ(f.settings, c.want.settings);
        EXPECT_EQ(f.data, c.want.data);
        EXPECT_EQ(f.steps, c.want.steps);
        EXPECT_EQ(f.shipped, c.want.shipped);
    }
}

TEST(ProgramFolders, FirstStartSeedsTheUserFoldersAndNeverOverwrites) {
    TempDir shipped, home;
    Write(shipped.Path() / "Dravcon_34.ini", "shipped settings");
    Write(shipped.Path() / "KrStr2JpStr.txt", "shipped table");
    Write(shipped.Path() / "Micro.xlsx", "shipped workbook");
    fs::permissions(shipped.Path() / "Dravcon_34.ini", fs::perms::owner_read | fs::perms::group_read);
    ProgramFolders f{(home.Path() / "config/tessaro").string(), (home.Path() / "data/tessaro").string(),
                     (home.Path() / "cache/tessaro").string(), shipped.File("")};
    SeedUserFolders(f);
    EXPECT_EQ(f.settings, (home.Path() / "config/tessaro").string());
    EXPECT_EQ(Read(home.Path() / "config/tessaro/Dravcon_34.ini"), "shipped settings");
    EXPECT_EQ(Read(home.Path() / "config/tessaro/KrStr2JpStr.txt"), "shipped table");
    EXPECT_EQ(Read(home.Path() / "data/tessaro/Micro.xlsx"), "shipped workbook");
    EXPECT_TRUE(fs::is_directory(home.Path() / "cache/tessaro"));
    // The user's copy of a read-only shipped file can be written back at exit.
    EXPECT_EQ(access((home.Path() / "config/tessaro/Dravcon_34.ini").c_str(), W_OK), 0);

    // The user's own files stay as they are on later starts.
    Write(home.Path() / "config/tessaro/Dravcon_34.ini", "mine");
    Write(home.Path() / "data/tessaro/Micro.xlsx", "my workbook");
    SeedUserFolders(f);
    EXPECT_EQ(Read(home.Path() / "config/tessaro/Dravcon_34.ini"), "mine");
    EXPECT_EQ(Read(home.Path() / "data/tessaro/Micro.xlsx"), "my workbook");

    // A settings folder that cannot be made: the shipped settings are read instead.
    Write(home.Path() / "blocked", "a file where the folder should be");
    ProgramFolders g{(home.Path() / "blocked/tessaro").string(), f.data, f.steps, shipped.File("")};
    SeedUserFolders(g);
    EXPECT_EQ(g.settings, shipped.File(""));

    // A run from the build changes nothing.
    ProgramFolders b{home.File("b"), home.File("b"), home.File("b"), ""};
    SeedUserFolders(b);
    EXPECT_FALSE(fs::exists(home.Path() / "b"));
}

TEST(InstanceChannel, FilesOfALaterStartReachTheRunningEditor) {
    TempDir runtime;
    const QString folder = QString::fromStdString(runtime.File("settings"));
    const QString run = QString::fromStdString(runtime.Path().string());
    CInstanceChannel first(folder, run);
    EXPECT_FALSE(first.SendToRunning({QStringLiteral("/a.png")}));  // nobody runs yet
    // A socket file left by an editor that crashed does not stop the next one.
    Write(first.SocketPath().toStdString(), "stale");
    ASSERT_TRUE(first.LockStart());
    ASSERT_TRUE(first.Listen());
    QSignalSpy received(&first, &CInstanceChannel::filesReceived);

    const QStringList files = {QStringLiteral("/pictures/사진 1.jpg"), QStringLiteral("/b.png")};
    bool sent = false, otherSent = true;
    std::thread later([&] {
        sent = CInstanceChannel(folder, run).SendToRunning(files);
        // Editors with other settings folders run on their own.
        otherSent = CInstanceChannel(folder + QStringLiteral("-other"), run).SendToRunning(files);
    });
    QElapsedTimer timer;
    timer.start();
    while (received.isEmpty() && timer.elapsed() < 10000) received.wait(100);
    later.join();
    EXPECT_TRUE(sent);
    EXPECT_FALSE(otherSent);
    ASSERT_EQ(received.size(), 1);
    EXPECT_EQ(received[0][0].toStringList(), files);
    // The socket is the user's own.
    struct stat st {};
    ASSERT_EQ(stat(first.SocketPath().toLocal8Bit().constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 077, 0u);
}

}  // namespace
