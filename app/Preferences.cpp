#include "Preferences.h"

#include <QSettings>

namespace {
const char* const kExifKey = "Preferences/ExifOrientation";

QSettings Store() { return QSettings(QString::fromUtf8(kPreferencesCompany), QString::fromUtf8(kPreferencesProduct)); }
}  // namespace

bool ExifOrientationPreference() { return Store().value(QString::fromUtf8(kExifKey), true).toBool(); }

void SetExifOrientationPreference(bool on) { Store().setValue(QString::fromUtf8(kExifKey), on); }
