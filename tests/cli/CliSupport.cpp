#include "CliSupport.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <poll.h>
#include <spawn.h>
#include <sstream>
#include <sys/wait.h>
#include <unistd.h>

#include "Codecs.h"

extern char** environ;

namespace cli_support {

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::string line;
    std::istringstream in(text);
    while (std::getline(in, line)) lines.push_back(line);
    return lines;
}

std::vector<std::string> CliResult::OutLines() const { return Lines(out); }
std::vector<std::string> CliResult::ErrLines() const { return Lines(err); }

CliProcess::CliProcess(const std::vector<std::string>& args, const std::filesystem::path& cwd,
                       const std::filesystem::path& tmp, CliOutput output) {
    // Everything the child needs is built here: posix_spawn runs nothing of ours in
    // the child, so runs can start from several threads at once.
    std::vector<std::string> argStore;
    argStore.push_back(TESSARO_CLI_PATH);
    argStore.insert(argStore.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& a : argStore) argv.push_back(a.data());
    argv.push_back(nullptr);

    std::vector<std::string> envStore;
    for (char** e = environ; *e; ++e)
        if (std::strncmp(*e, "TMPDIR=", 7) != 0) envStore.emplace_back(*e);
    envStore.push_back("TMPDIR=" + tmp.string());
    std::vector<char*> envp;
    for (std::string& e : envStore) envp.push_back(e.data());
    envp.push_back(nullptr);

    int out[2] = {-1, -1}, err[2] = {-1, -1};
    if (pipe2(out, O_CLOEXEC) != 0 || pipe2(err, O_CLOEXEC) != 0) {
        for (int fd : {out[0], out[1], err[0], err[1]})
            if (fd >= 0) close(fd);
        return;
    }
    if (output != CliOutput::kPipe) {
        close(out[0]);
        out[0] = -1;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addchdir_np(&actions, cwd.c_str());
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    if (output == CliOutput::kFullDevice) posix_spawn_file_actions_addopen(&actions, 1, "/dev/full", O_WRONLY, 0);
    else posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    posix_spawn_file_actions_adddup2(&actions, err[1], 2);
    pid_t pid = -1;
    if (posix_spawn(&pid, argStore[0].c_str(), &actions, nullptr, argv.data(), envp.data()) == 0) m_pid = pid;
    posix_spawn_file_actions_destroy(&actions);
    close(out[1]);
    close(err[1]);
    m_out = out[0];
    m_err = err[0];
}

CliProcess::~CliProcess() {
    if (m_pid > 0) Wait();
    if (m_out >= 0) close(m_out);
    if (m_err >= 0) close(m_err);
}

CliResult CliProcess::Wait() {
    CliResult r;
    if (m_pid <= 0) {
        r.err = "could not start " TESSARO_CLI_PATH;
        return r;
    }
    pollfd fds[2] = {{m_out, POLLIN, 0}, {m_err, POLLIN, 0}};
    std::string* sinks[2] = {&r.out, &r.err};
    int open = (m_out >= 0 ? 1 : 0) + (m_err >= 0 ? 1 : 0);
    while (open > 0) {
        if (poll(fds, 2, -1) < 0) {
            if (errno == EINTR) continue;
            break;
        }
        for (int i = 0; i < 2; ++i) {
            if (fds[i].fd < 0 || fds[i].revents == 0) continue;
            char buffer[4096];
            const ssize_t n = read(fds[i].fd, buffer, sizeof buffer);
            if (n > 0) {
                sinks[i]->append(buffer, size_t(n));
            } else if (n == 0 || errno != EINTR) {
                fds[i].fd = -1;
                --open;
            }
        }
    }
    int status = 0;
    while (waitpid(m_pid, &status, 0) < 0 && errno == EINTR) {
    }
    m_pid = -1;
    r.status = WIFEXITED(status) ? WEXITSTATUS(status) : WIFSIGNALED(status) ? 128 + WTERMSIG(status) : -1;
    return r;
}

CliResult RunCli(const std::vector<std::string>& args, const std::filesystem::path& cwd,
                 const std::filesystem::path& tmp) {
    CliProcess p(args, cwd, tmp);
    return p.Wait();
}

std::vector<std::string> FolderEntries(const std::filesystem::path& folder) {
    std::vector<std::string> names;
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(folder, ec)) names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

bool IsStepFileName(const std::string& name) {
    const bool tmp = name.size() >= 4 && name.compare(name.size() - 4, 4, ".tmp") == 0;
    return tmp && (name.find("ud") != std::string::npos || name.rfind("WrIniLrList_Head_", 0) == 0);
}

bool DecodeFile(const std::string& path, CImageBuffer& image) {
    return image.Load(path, FormatFromPath(path)) && image.IsValid();
}

::testing::AssertionResult SameColours(const CImageBuffer& got, const CImageBuffer& want, int tolerance) {
    return testing_support::SameRgba(got, want, tolerance, false);
}

void CliTest::TearDown() {
    for (const std::string& name : FolderEntries(m_work.Path()))
        EXPECT_FALSE(IsStepFileName(name)) << "step file " << name << " in the current folder";
    EXPECT_EQ(FolderEntries(m_tmp.Path()), std::vector<std::string>{}) << "left in the temporary folder";
}

}  // namespace cli_support
