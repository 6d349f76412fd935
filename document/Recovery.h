// Crash recovery: every few minutes the editor keeps a project copy of each document
// with unsaved changes in a recovery folder under the user's data folder
// ($XDG_DATA_HOME/tessaro/recovery, else ~/.local/share/tessaro/recovery). Each running
// editor writes into a session folder of its own, "session-<pid>-<n>", whose "lock"
// file carries an flock for as long as the editor runs; the kernel drops it when the
// editor ends, even by a crash. A copy is removed when its document is saved or closed;
// a normal end removes the session folder. Copies in unlocked session folders are what
// a crash left behind: the next start lists them and offers to open, save elsewhere or
// discard each. A copy never replaces the user's file. Plain C++ (POSIX), no Qt.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "Status.h"

class COrinDoc;

// The recovery folder; "" when neither XDG_DATA_HOME nor HOME is set.
std::string RecoveryFolder();

// This editor's session: its locked folder and the worker thread that writes copies.
class RecoverySession {
public:
    // Makes and locks a session folder in `folder` (made when missing). Not Ready() when
    // that fails: the editor then keeps no copies.
    explicit RecoverySession(const std::string& folder);
    // Finishes the writes under way, then removes the session folder with every copy
    // left in it (a normal end: the user answered the save questions).
    ~RecoverySession();
    RecoverySession(const RecoverySession&) = delete;
    RecoverySession& operator=(const RecoverySession&) = delete;

    bool Ready() const { return !m_folder.empty(); }
    const std::string& Folder() const { return m_folder; }
    // Serialises the document as a project in memory now and writes it on the worker
    // thread, over the document's previous copy (never a half-written one).
    Status Keep(COrinDoc& doc, const std::string& title);
    // The document was saved or closed: its copy goes.
    void Drop(const COrinDoc& doc);
    // Takes over a copy that a crashed editor left (opened as `doc`) as `doc`'s copy.
    bool Adopt(const struct RecoverableCopy& copy, const COrinDoc& doc);
    // Waits until every queued copy is on disk.
    void Flush();
    // The paths of a document's copy and of its description.
    std::string CopyPath(const COrinDoc& doc) const;

private:
    struct Job {
        std::string path;  // the copy; "" for a removal of `remove`
        std::string remove;
        std::shared_ptr<const std::vector<uint8_t>> bytes;
        std::string info;
    };
    void Run();

    std::string m_folder;
    int m_lock = -1;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::deque<Job> m_queue;
    bool m_busy = false;
    bool m_stop = false;
    std::thread m_worker;
};

// A copy that a crashed editor left.
struct RecoverableCopy {
    std::string project;   // the copy (a project file)
    std::string title;     // the document's title when the copy was made
    std::string original;  // the file the document came from; "" for a new picture
    int64_t savedAt = 0;   // seconds since 1970
};

// The copies of every session in `folder` whose editor no longer runs, newest first.
std::vector<RecoverableCopy> FindRecoverableCopies(const std::string& folder);
// Removes a copy and its description; its session folder goes once empty.
void DiscardRecoverableCopy(const RecoverableCopy& copy);
// "2026-12-10 04:20" in local time.
std::string RecoveryTimeText(int64_t savedAt);
