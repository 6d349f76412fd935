#include "ProgramFolders.h"

#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "MeasureExport.h"
#include "SettingsFile.h"

namespace fs = std::filesystem;

namespace {

constexpr const char* kFolderName = "tessaro";

// An XDG base folder: the variable when it holds an absolute path (a relative one is
// invalid and ignored), otherwise $HOME with the default ending.
std::string BaseFolder(const EnvironmentLookup& env, const char* variable, const char* underHome) {
    const std::string set = env(variable);
    if (!set.empty() && set[0] == '/') return set;
    std::string home = env("HOME");
    if (home.empty()) home = "/tmp";
    return (fs::path(home) / underHome).string();
}

bool IsFile(const fs::path& path) {
    std::error_code ec;
    return fs::is_regular_file(path, ec);
}

// Copies the shipped file when the user has none; true when the user's file is there.
bool Seed(const std::string& shipped, const std::string& folder, const char* name) {
    const fs::path from = fs::path(shipped) / name, to = fs::path(folder) / name;
    if (IsFile(to)) return true;
    if (!IsFile(from)) return false;
    std::error_code ec;
    fs::copy_file(from, to, fs::copy_options::skip_existing, ec);
    if (ec) return false;
    // The shipped file may be read-only (a system prefix): the user's copy is theirs.
    fs::permissions(to, fs::perms::owner_read | fs::perms::owner_write, fs::perm_options::add, ec);
    return true;
}

bool MakeFolder(const std::string& folder) {
    std::error_code ec;
    fs::create_directories(folder, ec);
    return fs::is_directory(folder, ec);
}

}  // namespace

std::string SystemEnvironment(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

ProgramFolders ResolveProgramFolders(const std::string& currentFolder, const std::string& executableFolder,
                                     const std::string& dataFromBin, const EnvironmentLookup& env) {
    ProgramFolders f;
    const fs::path shipped = (fs::path(executableFolder) / dataFromBin).lexically_normal();
    if (executableFolder.empty() || !IsFile(shipped / kSettingsFileName)) {
        f.settings = f.data = f.steps = currentFolder;
        return f;
    }
    f.shipped = shipped.string();
    f.settings = (fs::path(BaseFolder(env, "XDG_CONFIG_HOME", ".config")) / kFolderName).string();
    f.data = (fs::path(BaseFolder(env, "XDG_DATA_HOME", ".local/share")) / kFolderName).string();
    f.steps = (fs::path(BaseFolder(env, "XDG_CACHE_HOME", ".cache")) / kFolderName).string();
    return f;
}

void SeedUserFolders(ProgramFolders& folders) {
    if (folders.shipped.empty()) return;
    if (!MakeFolder(folders.settings) || !Seed(folders.shipped, folders.settings, kSettingsFileName))
        folders.settings = folders.shipped;
    else
        Seed(folders.shipped, folders.settings, kTranslationFileName);
    // Without a workbook of the user's own the export reports it as it always did.
    if (MakeFolder(folders.data)) Seed(folders.shipped, folders.data, kWorkbookFile);
    // The step spaces fall back to the system's temporary folder when this one fails.
    MakeFolder(folders.steps);
}
