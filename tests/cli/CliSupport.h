// Running the built batch tool in a test: each run gets a working folder (its current
// folder) and a temporary folder of its own (TMPDIR), so that a test can see every
// file a run leaves behind. Runs may be started from several threads at once.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <sys/types.h>
#include <vector>

#include "ImageBuffer.h"
#include "TestSupport.h"

namespace cli_support {

struct CliResult {
    int status = -1;  // exit status, or 128 + the signal that ended the run
    std::string out;
    std::string err;
    std::vector<std::string> OutLines() const;
    std::vector<std::string> ErrLines() const;
};

// Where a run's standard output goes: a pipe that the test reads, a full device, or a
// pipe whose reading end is already closed.
enum class CliOutput { kPipe, kFullDevice, kClosedPipe };

// A started run; Wait() collects its output and status.
class CliProcess {
public:
    CliProcess(const std::vector<std::string>& args, const std::filesystem::path& cwd,
               const std::filesystem::path& tmp, CliOutput output = CliOutput::kPipe);
    ~CliProcess();
    CliProcess(const CliProcess&) = delete;
    CliProcess& operator=(const CliProcess&) = delete;
    pid_t Pid() const { return m_pid; }
    CliResult Wait();

private:
    pid_t m_pid = -1;
    int m_out = -1;
    int m_err = -1;
};

CliResult RunCli(const std::vector<std::string>& args, const std::filesystem::path& cwd,
                 const std::filesystem::path& tmp);

std::vector<std::string> Lines(const std::string& text);
// Names of the entries of a folder, sorted.
std::vector<std::string> FolderEntries(const std::filesystem::path& folder);
// "*ud*.tmp" and "WrIniLrList_Head_*.tmp": the names of the editor's step files.
bool IsStepFileName(const std::string& name);

using testing_support::ManifestRow;
using testing_support::ReadManifest;

// Decodes a picture file with the project's own codecs (the format of its extension).
bool DecodeFile(const std::string& path, CImageBuffer& image);
// Colours equal pixel for pixel (whatever the depths), each channel within `tolerance`;
// a failure tells the first pixel beyond it and the largest difference.
::testing::AssertionResult SameColours(const CImageBuffer& got, const CImageBuffer& want, int tolerance = 0);

// A test whose runs share one working folder and one temporary folder; after every
// test neither may hold a step file, and the temporary folder must be empty again.
class CliTest : public ::testing::Test {
protected:
    CliResult Run(const std::vector<std::string>& args) { return RunCli(args, m_work.Path(), m_tmp.Path()); }
    std::string Work(const std::string& name) const { return m_work.File(name); }
    const std::filesystem::path& WorkPath() const { return m_work.Path(); }
    const std::filesystem::path& TmpPath() const { return m_tmp.Path(); }
    void TearDown() override;

private:
    testing_support::TempDir m_work;
    testing_support::TempDir m_tmp;
};

}  // namespace cli_support
