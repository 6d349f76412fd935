// The start-up update check: compares this program's version with the number published
// in "tessaro_update.txt" on the product site and shows a notice when the site's is
// newer. Versions are 100 x the major version number (34.x.x.x -> 3400). Every failure
// ends the check silently; it never stops start-up (the fetch gives up after a time-out).
#pragma once

#include <QString>
#include <functional>

#include "UpdateNoticeDialog.h"

class QByteArray;
class QWidget;

inline constexpr int kUpdateTimeoutMs = 5000;
inline constexpr int kUpdateReadLimit = 4096;  // bytes of the reply that are looked at

// 100 x the major part of a version "34.0.0.0"; -1 when it has none or it does not
// fit in 16 bits.
int LocalVersionFrom(const QString& version);
// This program's version (the build's TESSARO_VERSION_STRING); -1 when unknown.
int LocalVersion();

// The product site's base address, ending in "/": the environment variable
// TESSARO_UPDATE_URL when set, else the build's TESSARO_UPDATE_URL.
QString UpdateBaseUrl();

// 100 x the leading decimal integer of `text` as atoi reads it (leading blanks, a
// sign, digits); 0 when there is none. Held within the int range.
int RemoteVersionFromText(const QByteArray& text);

enum class UpdateResult { NewerAvailable, NoUpdate, Failed };

// Fetches baseUrl + "tessaro_update.txt" (always from the network, never from a
// cache, agent "AutoUpdateAgent"), reads at most 4096 bytes and sets `remote`. Runs
// the network synchronously in a local event loop for at most `timeoutMs`. Failed (and
// `remote` untouched) on a bad address, a network or HTTP error, an empty reply or the
// time-out; otherwise NewerAvailable when local < remote, else NoUpdate.
UpdateResult FetchRemoteVersion(const QString& baseUrl, int local, int& remote, int timeoutMs = kUpdateTimeoutMs);

// The notice with the host name of UpdateBaseUrl().
void ShowUpdateNotice(QWidget* parent, int local, int remote);

// Replaces the notice that RunUpdateCheck shows (tests); an empty hook restores it.
using UpdateNoticeHook = std::function<void(QWidget* parent, int local, int remote)>;
void SetUpdateNoticeHook(UpdateNoticeHook hook);

// Start-up step: nothing at all (no network access) when `enabled` is false or the
// local version is unknown; otherwise fetches the remote version and shows the notice
// only when the site's version is newer.
void RunUpdateCheck(QWidget* parent, bool enabled);
