#include "QtHost.h"

#include <QApplication>
#include <QClipboard>
#include <QDateTime>
#include <QKeyEvent>
#include <QLabel>
#include <QMessageBox>
#include <QProgressBar>

#include "ClipboardBridge.h"
#include "Document.h"

namespace {
const char* const kBoxTitle = "Tessaro";
}

QtDocumentHost::QtDocumentHost(QWidget* window) : QObject(window), m_window(window) {}

void QtDocumentHost::SetStatusWidgets(QLabel* text, QProgressBar* progress) {
    m_statusText = text;
    m_progress = progress;
}

QString QtDocumentHost::BoxText(const std::string& text) {
    QString s = QString::fromStdString(text);
    s.replace(QLatin1String("\n\r"), QLatin1String("\n"));
    s.remove(QLatin1Char('\r'));
    return s;
}

void QtDocumentHost::Message(const std::string& text) {
    if (text.empty()) return;
    if (messageHook) {
        messageHook(BoxText(text));
        return;
    }
    QMessageBox::information(m_window, QString::fromUtf8(kBoxTitle), BoxText(text));
}

bool QtDocumentHost::Ask(const std::string& question) {
    if (askHook) return askHook(BoxText(question));
    return QMessageBox::question(m_window, QString::fromUtf8(kBoxTitle), BoxText(question),
                                 QMessageBox::Ok | QMessageBox::Cancel, QMessageBox::Ok) == QMessageBox::Ok;
}

void QtDocumentHost::Progress(int percent) {
    if (!m_progress) return;
    if (percent == m_progress->value() && m_progress->isVisible() == (percent > 0)) return;  // per-row reports
    m_progress->setValue(percent);
    m_progress->setVisible(percent > 0);
    // Long operations run on this thread: paint the bar now.
    if (percent > 0) m_progress->repaint();
}

void QtDocumentHost::BeginBusy() {
    if (m_busy++ > 0) return;
    m_cancel = false;
    m_polls = 0;
    m_lastPoll = QDateTime::currentMSecsSinceEpoch();
    QApplication::setOverrideCursor(Qt::WaitCursor);
    qApp->installEventFilter(this);
}

void QtDocumentHost::EndBusy() {
    if (--m_busy > 0) return;
    qApp->removeEventFilter(this);
    QApplication::restoreOverrideCursor();
    Progress(0);
    m_cancel = false;
}

bool QtDocumentHost::Cancelled() {
    if (m_busy == 0) return false;
    if (cancelAtPoll > 0 && ++m_polls >= cancelAtPoll) m_cancel = true;
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    if (!m_cancel && now - m_lastPoll >= 50) {
        m_lastPoll = now;
        QApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    return m_cancel;
}

bool QtDocumentHost::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
    case QEvent::KeyPress:
        if (static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) m_cancel = true;
        return true;
    case QEvent::KeyRelease: case QEvent::ShortcutOverride: case QEvent::Shortcut:
    case QEvent::MouseButtonPress: case QEvent::MouseButtonRelease: case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove: case QEvent::Wheel: case QEvent::ContextMenu: case QEvent::Close:
    case QEvent::TouchBegin: case QEvent::TouchUpdate: case QEvent::TouchEnd: case QEvent::TabletPress:
    case QEvent::TabletMove: case QEvent::TabletRelease: case QEvent::DragEnter: case QEvent::DragMove:
    case QEvent::Drop: case QEvent::NonClientAreaMouseButtonPress: case QEvent::NonClientAreaMouseButtonRelease:
    case QEvent::NonClientAreaMouseButtonDblClick:
        return true;  // nothing else starts while the operation runs
    default:
        return QObject::eventFilter(watched, event);
    }
}

void QtDocumentHost::Refresh(COrinDoc& doc) { Q_EMIT refreshRequested(&doc); }

void QtDocumentHost::NewDocument(std::unique_ptr<COrinDoc> doc) {
    if (adopt) adopt(std::move(doc));
}

void QtDocumentHost::TextRequested(COrinDoc& doc, int x, int y, bool edit) { Q_EMIT textRequested(&doc, x, y, edit); }

void QtDocumentHost::StatusText(const std::string& text) {
    if (m_statusText) m_statusText->setText(QString::fromStdString(text));
}

void QtDocumentHost::ColoursChanged() { Q_EMIT coloursChanged(); }

void QtDocumentHost::SetClipboardDib(const std::vector<uint8_t>& dib) {
    QApplication::clipboard()->setMimeData(MimeDataFromDib(dib));
}

std::vector<uint8_t> QtDocumentHost::ClipboardDib() { return DibFromMimeData(QApplication::clipboard()->mimeData()); }
