// The windows of start-up and the Help menu: the splash window (one picture, closed by
// a one-shot timer), the guide window and the about box.
#pragma once

#include <QDialog>

class CSplashDialog : public QDialog {
    Q_OBJECT
public:
    static constexpr int kShowMilliseconds = 700;
    explicit CSplashDialog(QWidget* parent = nullptr, int milliseconds = kShowMilliseconds);
};

class CGuideDialog : public QDialog {
    Q_OBJECT
public:
    explicit CGuideDialog(QWidget* parent = nullptr);
};

// The about box: program name, version and the site's address.
void ShowAboutBox(QWidget* parent, const QString& version, const QString& site);
