// The editor's DocumentHost: message boxes and questions in Korean as the core gives
// them, the status bar's progress bar and text, and the system clipboard. Tests
// replace the boxes through the hooks.
//
// Long operations run on the user-interface thread. While a BusyScope is open, the
// core's Cancelled() lets the window paint (at most every 50 ms) and Esc stops the
// operation; every other key, click or wheel turn is dropped until the scope ends, so
// nothing else can start in the middle.
#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <functional>
#include <memory>

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
    bool Cancelled() override;
    void Refresh(COrinDoc& doc) override;
    void StatusText(const std::string& text) override;
    void ColoursChanged() override;
    void TextRequested(COrinDoc& doc, int x, int y, bool edit) override;
    void SetClipboardDib(const std::vector<uint8_t>& dib) override;
    std::vector<uint8_t> ClipboardDib() override;
    void NewDocument(std::unique_ptr<COrinDoc> doc) override;

    // When set, used instead of the message box and the OK / Cancel question.
    std::function<void(const QString&)> messageHook;
    std::function<bool(const QString&)> askHook;
    // Takes the documents that commands make (the main frame opens a window for each).
    std::function<void(std::unique_ptr<COrinDoc>)> adopt;

    // Tests: pretend that Esc was pressed at the n-th Cancelled() of the next busy
    // scope (0: never).
    int cancelAtPoll = 0;

    // A core text as the boxes show it ("\n\r" line breaks become one).
    static QString BoxText(const std::string& text);

Q_SIGNALS:
    void refreshRequested(COrinDoc* doc);
    void coloursChanged();
    // The text tool asks for the text dialog (delivered after the mouse event ends).
    void textRequested(COrinDoc* doc, int x, int y, bool edit);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    friend class BusyScope;
    void BeginBusy();
    void EndBusy();

    int m_busy = 0;
    bool m_cancel = false;
    int m_polls = 0;
    qint64 m_lastPoll = 0;
    QPointer<QWidget> m_window;
    QPointer<QLabel> m_statusText;
    QPointer<QProgressBar> m_progress;
};

// Around a command that may run long: the wait cursor, Esc to stop (see above), the
// progress bar back to 0 at the end. Scopes may nest; the outermost one counts.
class BusyScope {
public:
    explicit BusyScope(QtDocumentHost& host) : m_host(host) { m_host.BeginBusy(); }
    ~BusyScope() { m_host.EndBusy(); }
    BusyScope(const BusyScope&) = delete;
    BusyScope& operator=(const BusyScope&) = delete;

private:
    QtDocumentHost& m_host;
};
