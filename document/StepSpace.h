// Step spaces: each running editor keeps the step files of its documents (the undo
// history, "%dud%d.tmp" and "WrIniLrList_Head_%d.tmp") in a folder of its own inside the
// program folder, ".tessaro-steps-<pid>-<n>"; each batch run keeps one in the system's
// temporary folder. The folder's "lock" file carries an
// exclusive flock for as long as the program runs (the kernel drops it when the program
// ends, even by a crash), so two editors started in the same program folder never share
// or sweep each other's step files. Plain C++ (POSIX), no Qt.
#pragma once

#include <string>

// The file inside a space that carries its lock.
inline constexpr const char* kStepSpaceLockName = "lock";

// Makes and locks a new step space in `programFolder`; when that folder is not
// writable, in the system's temporary folder instead. Returns the space's path, or ""
// when neither works. The lock is held until RemoveStepSpace or the end of the process.
std::string CreateStepSpace(const std::string& programFolder);

// Start-up sweep: removes the step files of every space in `folder` whose program no
// longer runs (its lock is free and its process is gone), then the space's lock file
// and the folder itself when nothing else is left in it; a live program's space is
// never touched. With `looseFiles` (the program folder), also removes the stale step
// files that lie directly in the folder. Files that cannot be removed are skipped.
void SweepStaleStepSpaces(const std::string& folder, bool looseFiles = true);
// The system's temporary folder, where batch runs (and editors whose program folder
// is not writable) keep their spaces; "" when there is none.
std::string TemporaryFolder();

// Clean exit: removes this program's own space (its step files, lock and folder) and
// releases its lock. Does nothing for a path that CreateStepSpace did not return.
void RemoveStepSpace(const std::string& space);
