// The main frame's commands of the text tool, the calendar, the photo frame and the
// face transform: each opens its dialog and hands the values to the core.
#include <QApplication>
#include <QToolBar>

#include "CalendarDialog.h"
#include "CommandMap.h"
#include "EditSteps.h"
#include "FaceTransform.h"
#include "FaceTransformWindow.h"
#include "FrameDialog.h"
#include "LayerPanel.h"
#include "MainFrame.h"
#include "Messages.h"
#include "OutlinePause.h"
#include "TextInputDialog.h"
#include "Tools.h"
#include "Utf16.h"

#include <ctime>

void CMainFrame::PlaceAtLeftEdge(QWidget* dialog) const {
    int top = 0;
    for (QToolBar* bar : findChildren<QToolBar*>())
        if (bar->isVisible() && toolBarArea(bar) == Qt::TopToolBarArea) top = std::max(top, bar->geometry().bottom());
    dialog->move(mapToGlobal(QPoint(0, top + 1)));
}

void CMainFrame::TextCommand(COrinDoc* doc, int x, int y, bool edit) {
    const bool open = std::any_of(m_documents.begin(), m_documents.end(), [doc](const auto& d) { return d.get() == doc; });
    if (!open || doc->IsEmpty()) return;
    const LayerRecord* layer = doc->CurrentLayer();
    edit = edit && layer && layer->kind == kLayerText;
    TextSettings start;
    if (edit) {
        start = TextLayerSettings(*layer);
    } else {
        start.face = m_ws.textFace;
        start.size = m_ws.textSize;
        start.style = m_ws.textStyle;
        start.strikeout = m_ws.textStrikeout;
        start.underline = m_ws.textUnderline;
        start.colour = m_ws.textColour;
    }
    CDlg_TextInput dialog(start, this);
    if (dialog.exec() != QDialog::Accepted) return;
    const TextSettings v = dialog.Values();
    if (v.text.empty()) return;
    // The dialog's values become the text tool's current ones.
    m_ws.textFace = v.face;
    m_ws.textSize = v.size;
    m_ws.textStyle = v.style;
    m_ws.textStrikeout = v.strikeout;
    m_ws.textUnderline = v.underline;
    m_ws.textColour = v.colour;
    m_settings.lastText = v.text.substr(0, 100);
    std::optional<TextPoint> at;
    if (!edit) at = TextPoint{x, y};
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const Status status = PlaceText(*doc, v, at, edit);
    QApplication::restoreOverrideCursor();
    ReportStatus(status);
    doc->Touch();
    RefreshDocument(doc);
}

void CMainFrame::CalendarCommand(COrinDoc* doc) {
    if (!doc || doc->IsEmpty() || m_ws.currentCommand == kCmdCalendar) return;
    m_ws.currentCommand = kCmdCalendar;
    {
    // The outline stays still while the dialog is open.
    const OutlinePause pause(*doc);
    BeginCalendar(*doc);
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    CalendarSettings start;
    start.year = local.tm_year + 1900;
    start.month = local.tm_mon + 1;
    start.face = m_ws.textFace;
    start.colour = m_ws.textColour;
    CDlg_Calendar dialog(start, this);
    PlaceAtLeftEdge(&dialog);
    if (dialog.exec() == QDialog::Accepted) {
        const CalendarSettings v = dialog.Values();
        QApplication::setOverrideCursor(Qt::WaitCursor);
        const Status status = InsertCalendar(*doc, v);
        QApplication::restoreOverrideCursor();
        ReportStatus(status);
        if (status) {
            m_ws.textColour = v.colour;
            m_ws.textFace = v.face;
        }
    } else {
        CancelCalendar(*doc);
    }
    }
    m_ws.currentCommand = -1;
    doc->Touch();
    RefreshDocument(doc);
}

void CMainFrame::PhotoFrameCommand(COrinDoc* doc) {
    if (!doc || doc->IsEmpty() || m_ws.currentCommand == kCmdPhotoFrame) return;
    m_ws.currentCommand = kCmdPhotoFrame;
    FrameSession session(*doc);
    CDlg_PhotoFrame dialog(m_frameSettings, this);
    auto apply = [&](const FrameSettings& s) {
        const Status status = session.Apply(s);
        ReportStatus(status);
        doc->Touch();
        RefreshDocument(doc);
    };
    connect(&dialog, &CDlg_PhotoFrame::settingsChanged, this, apply);
    apply(dialog.Values());  // style 0 until a style is chosen
    PlaceAtLeftEdge(&dialog);
    if (dialog.exec() == QDialog::Accepted) {
        session.Commit();
        m_frameSettings = dialog.Values();
    } else {
        session.Cancel();
    }
    m_ws.currentCommand = -1;
    doc->Touch();
    RefreshDocument(doc);
}

void CMainFrame::FaceTransformCommand(COrinDoc* doc) {
    if (!doc || doc->IsEmpty()) return;
    if (m_faceWindow) {
        m_faceWindow->raise();
        m_faceWindow->activateWindow();
        return;
    }
    m_ws.currentCommand = kCmdFaceTransform;
    m_faceDoc = doc;
    m_faceSession = std::make_unique<FaceSession>(*doc);
    m_faceWindow = new CDlg_FaceTransform(this);
    m_faceWindow->setAttribute(Qt::WA_DeleteOnClose);
    connect(m_faceWindow, &CDlg_FaceTransform::rectangleRequested, this, [this] {
        if (!m_faceDoc) return;
        if (Status s = RefuseTextLayer(*m_faceDoc); !s) return ReportStatus(s);
        ChooseToolFromMenu(m_faceDoc, kCmdRectSelect);
    });
    connect(m_faceWindow, &CDlg_FaceTransform::transformRequested, this, [this] {
        if (!m_faceDoc || !m_faceSession) return;
        int x0, y0, x1, y1;
        if (!SelectionBox(*m_faceDoc, x0, y0, x1, y1)) return ReportStatus(Status::Fail(msg::kSelectFirst));
        QApplication::setOverrideCursor(Qt::WaitCursor);
        const Status status = m_faceSession->Transform(x0, y0, x1, y1, m_faceWindow->Values());
        QApplication::restoreOverrideCursor();
        ReportStatus(status);
        if (status) m_ws.currentCommand = kCmdFaceTouch;
        m_faceDoc->Touch();
        RefreshDocument(m_faceDoc);
    });
    connect(m_faceWindow, &CDlg_FaceTransform::restartRequested, this, [this] {
        if (!m_faceDoc || !m_faceSession) return;
        m_faceSession->Restart();
        m_faceDoc->Touch();
        RefreshDocument(m_faceDoc);
    });
    connect(m_faceWindow, &QDialog::accepted, this, [this] { EndFaceTransform(true); });
    connect(m_faceWindow, &QDialog::rejected, this, [this] { EndFaceTransform(false); });
    PlaceAtLeftEdge(m_faceWindow);
    m_faceWindow->show();
}

void CMainFrame::EndFaceTransform(bool keep) {
    COrinDoc* doc = m_faceDoc;
    if (m_faceSession) {
        if (keep) m_faceSession->Commit();
        else m_faceSession->Cancel();
    }
    m_faceSession.reset();
    m_faceDoc = nullptr;
    m_ws.currentCommand = -1;
    if (m_faceWindow) m_faceWindow->close();
    if (doc) {
        doc->Touch();
        RefreshDocument(doc);
    }
}
