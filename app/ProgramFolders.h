// Where the editor keeps its files. Run from the build folder (or any folder holding the
// settings file), everything is in the folder current at start-up, as it always was.
// Installed under a prefix, the shipped defaults are read from <prefix>/share/tessaro and
// the user's own files live in the XDG base folders:
//   settings file and translation table   $XDG_CONFIG_HOME/tessaro   (~/.config/tessaro)
//   measurement workbook and exports      $XDG_DATA_HOME/tessaro     (~/.local/share/tessaro)
//   undo step files                       $XDG_CACHE_HOME/tessaro    (~/.cache/tessaro)
// Plain C++, no Qt.
#pragma once

#include <functional>
#include <string>

struct ProgramFolders {
    std::string settings;  // Dravcon_34.ini (read at start, written at exit) and KrStr2JpStr.txt
    std::string data;      // Micro.xlsx and the measurement exports
    std::string steps;     // the step spaces of running editors
    std::string shipped;   // the installed defaults; "" when running from a build
};

// Reads an environment variable ("" when unset); tests pass their own.
using EnvironmentLookup = std::function<std::string(const char*)>;
std::string SystemEnvironment(const char* name);

// The folders for a program started in `currentFolder` whose executable lies in
// `executableFolder`; `dataFromBin` is the shipped data folder relative to the
// executable's ("../share/tessaro"). Installed means that folder holds the settings file.
ProgramFolders ResolveProgramFolders(const std::string& currentFolder, const std::string& executableFolder,
                                     const std::string& dataFromBin, const EnvironmentLookup& env = SystemEnvironment);

// First start of an installed program: makes the user's folders and copies the shipped
// settings file, translation table and workbook into them where the user has none yet
// (a user's own copy is never overwritten). When the settings folder cannot be made or
// written, the settings are read from the shipped folder instead. Nothing happens for
// a program run from a build.
void SeedUserFolders(ProgramFolders& folders);
