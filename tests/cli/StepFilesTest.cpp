// Where the batch tool keeps its step files: in a private folder under the temporary
// folder, removed when the run ends, however it ends; never in the current folder,
// whose files (an editor's own step files included) it never touches. Runs at the
// same time in the same folder do not disturb each other.
#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <csignal>
#include <thread>

#include "CliSupport.h"
#include "Codecs.h"

using namespace cli_support;
using testing_support::FillTrueColour;
using testing_support::ReadFileBytes;
using testing_support::TempDir;
using testing_support::WriteFileBytes;

namespace {

using Lines_ = std::vector<std::string>;

void WritePicture(const std::string& path, int width, int height) {
    CImageBuffer picture(width, height, 24, kFormatBmp);
    FillTrueColour(picture, [](int x, int y) { return uint32_t(x * 7 + y * 13) * 0x010305u & 0xFFFFFF; });
    ASSERT_TRUE(picture.Save(path, kFormatBmp));
}

// Enough steps to pass the twelve history positions (so that dropped steps get files
// of their own), with deletes, undo and redo.
Lines_ ManySteps() {
    Lines_ ops;
    for (int i = 0; i < 14; ++i) ops.push_back("1552");
    for (const char* op : {"1553", "1553", "57643", "57643", "57644", "3500", "select-layer:slot=0", "1553", "57643",
                           "1500", "57643", "57643", "57644"})
        ops.push_back(op);
    return ops;
}

class StepFiles : public CliTest {};

TEST_F(StepFiles, EditorStepFilesInTheCurrentFolderAreNeverTouched) {
    TempDir folder;
    WritePicture(folder.File("in.bmp"), 5, 4);
    // What the editor leaves in its program folder until its next start.
    const std::vector<std::pair<std::string, std::vector<uint8_t>>> leftovers = {
        {"101ud0.tmp", {1, 2, 3}},
        {"101ud1.tmp", {4, 5}},
        {"101ud13.tmp", {6}},
        {"WrIniLrList_Head_101.tmp", {7, 8, 9, 10}},
    };
    for (const auto& [name, bytes] : leftovers) WriteFileBytes(folder.File(name), bytes);
    const auto before = FolderEntries(folder.Path());

    Lines_ args = {"apply", "in.bmp", "out.tsr", "--history"};
    for (const std::string& op : ManySteps()) args.push_back(op);
    const CliResult r = RunCli(args, folder.Path(), TmpPath());
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.OutLines().size(), 11u);  // positions 10 .. 0 after the last undo and redo

    for (const auto& [name, bytes] : leftovers) EXPECT_EQ(ReadFileBytes(folder.File(name)), bytes) << name;
    auto after = before;
    after.push_back("out.tsr");
    std::sort(after.begin(), after.end());
    EXPECT_EQ(FolderEntries(folder.Path()), after);
}

TEST_F(StepFiles, NothingIsLeftWhateverTheEnd) {
    WritePicture(Work("in.bmp"), 5, 4);
    Lines_ ops = ManySteps();
    const std::vector<std::pair<Lines_, int>> runs = {
        {{"apply", "in.bmp", "out.bmp"}, 0},
        {{"apply", "in.bmp", "out.pcx", "1553", "1552", "1552"}, 1},  // a refusal and a failed save
        {{"apply", "missing.bmp", "out.bmp", "1552"}, 1},
        {{"apply", "in.bmp", "out.bmp", "1552", "nonsense"}, 2},
        {{"convert", "in.bmp", "out.tif"}, 0},
        {{"convert", "in.bmp", "out.pcx"}, 1},
        {{"info", "out.tif"}, 0},
    };
    for (auto [args, status] : runs) {
        SCOPED_TRACE(::testing::PrintToString(args));
        if (args[0] == "apply" && status == 0) args.insert(args.end(), ops.begin(), ops.end());
        const CliResult r = Run(args);
        EXPECT_EQ(r.status, status) << r.err;
        EXPECT_EQ(FolderEntries(TmpPath()), Lines_{});
    }
    EXPECT_EQ(FolderEntries(WorkPath()), (Lines_{"in.bmp", "out.bmp", "out.tif"}));
}

// Killed in the middle of a run: the step files were in the run's own folder under the
// temporary folder, and the signal handler removes them with the folder.
TEST_F(StepFiles, AnInterruptedRunRemovesItsStepFolder) {
    WritePicture(Work("big.bmp"), 1500, 1000);
    Lines_ args = {"apply", "big.bmp", "out.bmp"};
    for (int i = 0; i < 40; ++i) {
        args.push_back("3500");
        args.push_back("57643");
    }
    for (int sig : {SIGTERM, SIGINT, SIGHUP}) {
        SCOPED_TRACE(sig);
        CliProcess run(args, WorkPath(), TmpPath());
        ASSERT_GT(run.Pid(), 0);
        // Wait for the first step file in the run's folder (and nowhere else).
        std::string seen;
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
        while (seen.empty() && std::chrono::steady_clock::now() < deadline) {
            for (const std::string& folder : FolderEntries(TmpPath())) {
                for (const std::string& name : FolderEntries(TmpPath() / folder))
                    if (IsStepFileName(name)) seen = folder + "/" + name;
            }
            if (seen.empty()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        ASSERT_FALSE(seen.empty()) << "no step file appeared";
        EXPECT_EQ(seen.rfind(".tessaro-steps-", 0), 0u) << seen;
        kill(run.Pid(), sig);
        const CliResult r = run.Wait();
        EXPECT_EQ(r.status, 128 + sig) << r.err;
        EXPECT_EQ(FolderEntries(TmpPath()), Lines_{});
        EXPECT_EQ(FolderEntries(WorkPath()), Lines_{"big.bmp"});
    }
}

// Killed where no handler runs (SIGKILL, a crash): the run's space stays, and the next
// run of the batch tool, whatever it does, removes it; a live run's space stays.
TEST_F(StepFiles, AKilledRunsFolderIsSweptByTheNextRun) {
    WritePicture(Work("big.bmp"), 1500, 1000);
    WritePicture(Work("small.bmp"), 3, 2);
    Lines_ args = {"apply", "big.bmp", "out.bmp"};
    for (int i = 0; i < 40; ++i) {
        args.push_back("3500");
        args.push_back("57643");
    }
    auto waitForStepFile = [&] {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
        while (std::chrono::steady_clock::now() < deadline) {
            for (const std::string& folder : FolderEntries(TmpPath()))
                for (const std::string& name : FolderEntries(TmpPath() / folder))
                    if (IsStepFileName(name)) return folder;
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        return std::string();
    };
    CliProcess killed(args, WorkPath(), TmpPath());
    const std::string left = waitForStepFile();
    ASSERT_FALSE(left.empty());
    kill(killed.Pid(), SIGKILL);
    EXPECT_EQ(killed.Wait().status, 128 + SIGKILL);
    EXPECT_EQ(FolderEntries(TmpPath()), Lines_{left});

    CliProcess live(args, WorkPath(), TmpPath());
    std::string running;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (running.empty() && std::chrono::steady_clock::now() < deadline) {
        for (const std::string& f : FolderEntries(TmpPath()))
            if (f != left) running = f;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    ASSERT_FALSE(running.empty());
    EXPECT_EQ(Run({"info", "small.bmp"}).status, 0);
    EXPECT_EQ(FolderEntries(TmpPath()), Lines_{running});  // the killed run's went, the live one's stayed
    kill(live.Pid(), SIGTERM);
    live.Wait();
    EXPECT_EQ(FolderEntries(TmpPath()), Lines_{});
}

// A signal while the output is being written: the partial temporary file beside the
// output goes with the run, and no output appears.
TEST_F(StepFiles, AnInterruptedSaveLeavesNoTemporaryFile) {
    WritePicture(Work("big.bmp"), 4000, 3000);
    for (int sig : {SIGTERM, SIGINT, SIGHUP}) {
        SCOPED_TRACE(sig);
        CliProcess run({"convert", "big.bmp", "out.tif"}, WorkPath(), TmpPath());
        bool saving = false;
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
        while (!saving && std::chrono::steady_clock::now() < deadline) {
            for (const std::string& name : FolderEntries(WorkPath())) saving = saving || name.rfind(".out.tif.saving-", 0) == 0;
            if (!saving) std::this_thread::sleep_for(std::chrono::microseconds(200));
        }
        ASSERT_TRUE(saving) << "the save never began";
        kill(run.Pid(), sig);
        const CliResult r = run.Wait();
        EXPECT_EQ(r.status, 128 + sig) << r.err;
        EXPECT_EQ(FolderEntries(WorkPath()), (Lines_{"big.bmp"}));
    }
}

// Printing into a pipe that nobody reads any more ends the run with SIGPIPE, as other
// tools end; its step folder goes with it. With SIGPIPE ignored the write fails and
// the run says so with exit status 1.
TEST_F(StepFiles, AClosedPipeEndsTheRunAndRemovesItsFolder) {
    WritePicture(Work("in.bmp"), 5, 4);
    const Lines_ args = {"apply", "in.bmp", "-", "--history", "1552", "1552"};
    CliResult r = CliProcess(args, WorkPath(), TmpPath(), CliOutput::kClosedPipe).Wait();
    EXPECT_EQ(r.status, 128 + SIGPIPE) << r.err;
    EXPECT_EQ(FolderEntries(TmpPath()), Lines_{});

    struct sigaction ignore {}, old {};
    ignore.sa_handler = SIG_IGN;
    sigaction(SIGPIPE, &ignore, &old);  // inherited by the child
    r = CliProcess(args, WorkPath(), TmpPath(), CliOutput::kClosedPipe).Wait();
    sigaction(SIGPIPE, &old, nullptr);
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.ErrLines(), Lines_{std::strerror(EPIPE)});
    EXPECT_EQ(FolderEntries(TmpPath()), Lines_{});
}

TEST_F(StepFiles, RunsAtTheSameTimeDoNotDisturbEachOther) {
    WritePicture(Work("in.bmp"), 400, 300);
    Lines_ ops = ManySteps();
    auto applyArgs = [&](const std::string& output) {
        Lines_ args = {"apply", "in.bmp", output, "--layers", "--history"};
        args.insert(args.end(), ops.begin(), ops.end());
        return args;
    };
    // Alone first: the expected output and files.
    const CliResult alone = Run(applyArgs("alone.tsr"));
    ASSERT_EQ(alone.status, 0) << alone.err;
    ASSERT_EQ(Run({"convert", "in.bmp", "alone.gif"}).status, 0);

    for (int round = 0; round < 3; ++round) {
        SCOPED_TRACE(round);
        CliProcess a(applyArgs("a.tsr"), WorkPath(), TmpPath());
        CliProcess b(applyArgs("b.tsr"), WorkPath(), TmpPath());
        CliProcess c(applyArgs("same.tsr"), WorkPath(), TmpPath());
        CliProcess d(applyArgs("same.tsr"), WorkPath(), TmpPath());
        CliProcess e({"convert", "in.bmp", "e.gif"}, WorkPath(), TmpPath());
        for (CliProcess* p : {&a, &b, &c, &d}) {
            const CliResult r = p->Wait();
            EXPECT_EQ(r.status, 0) << r.err;
            EXPECT_EQ(r.out, alone.out);
        }
        EXPECT_EQ(e.Wait().status, 0);
        const auto expected = ReadFileBytes(Work("alone.tsr"));
        for (const char* name : {"a.tsr", "b.tsr", "same.tsr"}) EXPECT_EQ(ReadFileBytes(Work(name)), expected) << name;
        EXPECT_EQ(ReadFileBytes(Work("e.gif")), ReadFileBytes(Work("alone.gif")));
        EXPECT_EQ(FolderEntries(WorkPath()),
                  (Lines_{"a.tsr", "alone.gif", "alone.tsr", "b.tsr", "e.gif", "in.bmp", "same.tsr"}));
    }
}

// Without a usable temporary folder `apply` cannot keep its steps and says so; `info`
// and `convert` keep none and still work.
TEST_F(StepFiles, UnusableTemporaryFolder) {
    WritePicture(Work("in.bmp"), 5, 4);
    const std::filesystem::path missing = TmpPath() / "missing";
    CliResult r = RunCli({"apply", "in.bmp", "out.bmp", "1552"}, WorkPath(), missing);
    EXPECT_EQ(r.status, 1);
    EXPECT_FALSE(r.err.empty());
    r = RunCli({"convert", "in.bmp", "out.bmp"}, WorkPath(), missing);
    EXPECT_EQ(r.status, 0) << r.err;
    r = RunCli({"info", "out.bmp"}, WorkPath(), missing);
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(FolderEntries(WorkPath()), (Lines_{"in.bmp", "out.bmp"}));
}

}  // namespace
