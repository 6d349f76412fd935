// The notice shown at start-up when the product site publishes a newer version than
// this program's: four fixed lines, the new version as " 신버전  %d.%d" and one button.
// Versions are 100 x the major version number (3400 for 34.x.x.x).
#pragma once

#include <QDialog>
#include <QString>

class QWidget;

// " 신버전  %d.%d" for a remote version: remote / 100 split into tens and units
// (3500 -> " 신버전  3.5").
QString UpdateNoticeVersionText(int remote);

class UpdateNoticeDialog : public QDialog {
public:
    // `siteHost` is the product site's host name, shown on its own line.
    UpdateNoticeDialog(QWidget* parent, int local, int remote, const QString& siteHost);
};

// Shows the notice modally.
void ShowUpdateNotice(QWidget* parent, int local, int remote, const QString& siteHost);
