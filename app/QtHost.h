// The editor's DocumentHost: message boxes and questions in Korean as the core gives
// them, the status bar's progress bar and text, and the system clipboard. Tests
// replace the boxes through the hooks.
#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <functional>

#include "Workspace.h"

class QLabel;
class QProgressBar;
class QWidget;

class QtDocumentHost : public QObject, public DocumentHost {
    Q_OBJECT
public:
    explicit QtDocumentHost(QWidget* window);

    void SetStatusWidgets(QLabel* text, QProgressBar* progress);

    void Message(const std::string& text) override;
    bool Ask(const std::string& question) override;
    void Progress(int percent) override;
    void Refresh(COrinDoc& doc) override;
    void StatusText(const std::string& text) override;
    void ColoursChanged() override;
    void TextRequested(COrinDoc& doc, int x, int y, bool edit) override;
    void SetClipboardDib(const std::vector<uint8_t>& dib) override;
    std::vector<uint8_t> ClipboardDib() override;

    // When set, used instead of the message box and the OK / Cancel question.
    std::function<void(const QString&)> messageHook;
    std::function<bool(const QString&)> askHook;

    // A core text as the boxes show it ("\n\r" line breaks become one).
    static QString BoxText(const std::string& text);

Q_SIGNALS:
    void refreshRequested(COrinDoc* doc);
    void coloursChanged();
    // The text tool asks for the text dialog (delivered after the mouse event ends).
    void textRequested(COrinDoc* doc, int x, int y, bool edit);

private:
    QPointer<QWidget> m_window;
    QPointer<QLabel> m_statusText;
    QPointer<QProgressBar> m_progress;
};
