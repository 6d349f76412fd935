#include "QtHost.h"

#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QMessageBox>
#include <QProgressBar>

#include "ClipboardBridge.h"

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
    m_progress->setValue(percent);
    m_progress->setVisible(percent > 0);
    // Long operations run on this thread: paint the bar now.
    if (percent > 0) m_progress->repaint();
}

void QtDocumentHost::Refresh(COrinDoc& doc) { Q_EMIT refreshRequested(&doc); }

void QtDocumentHost::TextRequested(COrinDoc& doc, int x, int y, bool edit) { Q_EMIT textRequested(&doc, x, y, edit); }

void QtDocumentHost::StatusText(const std::string& text) {
    if (m_statusText) m_statusText->setText(QString::fromStdString(text));
}

void QtDocumentHost::ColoursChanged() { Q_EMIT coloursChanged(); }

void QtDocumentHost::SetClipboardDib(const std::vector<uint8_t>& dib) {
    QApplication::clipboard()->setMimeData(MimeDataFromDib(dib));
}

std::vector<uint8_t> QtDocumentHost::ClipboardDib() { return DibFromMimeData(QApplication::clipboard()->mimeData()); }
