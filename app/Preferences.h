// The editor's own preferences beyond the settings file (whose layout is fixed): kept
// with Qt's settings under the same names as the recent-file list, in the user's
// configuration folder.
#pragma once

inline constexpr const char* kPreferencesCompany = "Tessaro Applications";
inline constexpr const char* kPreferencesProduct = "Tessaro";

// JPEG pictures are turned upright by their EXIF orientation on open (default on).
bool ExifOrientationPreference();
void SetExifOrientationPreference(bool on);
