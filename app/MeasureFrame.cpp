#include "MeasureFrame.h"

#include <QAction>
#include <QApplication>
#include <QInputDialog>
#include <QMenu>
#include <QPushButton>

#include "CalibrationDialog.h"
#include "CalibrationScale.h"
#include "MainFrame.h"
#include "MeasureExport.h"
#include "MeasureState.h"
#include "MeasureToolsDialog.h"
#include "ImageBuffer.h"
#include "Messages.h"
#include "QtHost.h"
#include "ScaleBarDialog.h"
#include "Workbook.h"

CMeasureFrame::CMeasureFrame(CMainFrame& frame, Workspace& ws) : QObject(&frame), m_frame(frame), m_ws(ws) {
    MeasureSettings& settings = Measurement(m_ws);
    settings.folder = frame.ProgramFolder();
    settings.Load();

    m_menu = new QMenu(&frame);
    for (const MeasureToolInfo& t : MeasureToolTable()) {
        QAction* a = m_menu->addAction(QString::fromUtf8(t.label));
        a->setData(t.id);
        a->setCheckable(true);
        connect(a, &QAction::triggered, this, [this, id = t.id] { Run(id, m_frame.ActiveDocument()); });
    }
    for (const MeasureCommandInfo& e : MeasureMenuCommands()) {
        if (e.groupStart) m_menu->addSeparator();
        QAction* a = m_menu->addAction(QString::fromUtf8(e.label));
        a->setData(e.id);
        if (e.id == kCmdShowLabels) a->setCheckable(true);
        connect(a, &QAction::triggered, this, [this, id = e.id] { Run(id, m_frame.ActiveDocument()); });
    }
    connect(m_menu, &QMenu::aboutToShow, this, &CMeasureFrame::UpdateStates);
}

CMeasureToolsDialog* CMeasureFrame::Panel() {
    if (!m_panel) {
        m_panel = new CMeasureToolsDialog(&m_frame);
        m_panel->setModal(false);
        connect(m_panel, &CMeasureToolsDialog::toolChosen, this, [this](int id) { Run(id, m_frame.ActiveDocument()); });
        connect(m_panel, &CMeasureToolsDialog::commandChosen, this,
                [this](int id) { Run(id, m_frame.ActiveDocument()); });
    }
    return m_panel;
}

bool CMeasureFrame::PanelShown() const { return m_panel && m_panel->isVisible(); }

bool CMeasureFrame::IsCommand(int id) const {
    if (FindMeasureTool(id)) return true;
    for (const MeasureCommandInfo& e : MeasureMenuCommands())
        if (e.id == id) return true;
    return false;
}

bool CMeasureFrame::Armed(const COrinDoc* doc) {
    return doc && doc->measure && doc->measure->tool.Tool() != MeasureTool::None;
}

bool CMeasureFrame::WantsMenu(const COrinDoc* doc) const { return PanelShown() || Armed(doc); }

bool CMeasureFrame::IsEnabled(int id, const COrinDoc* doc) const {
    if (id == kCmdStandards || id == kCmdMeasureSettings || id == kCmdShowLabels) return true;
    if (!doc || doc->IsEmpty()) return false;
    const MeasureState* m = doc->measure.get();
    if (id == kCmdVectorUndo) return m && m->sheet.CanUndo();
    if (id == kCmdVectorRedo) return m && m->sheet.CanRedo();
    if (id == kCmdEndContinuous) return Armed(doc);
    return true;  // the exports of an empty list write the header alone
}

void CMeasureFrame::UpdateStates() {
    const COrinDoc* doc = m_frame.ActiveDocument();
    const MeasureTool armed = doc && doc->measure ? doc->measure->tool.Tool() : MeasureTool::None;
    for (QAction* a : m_menu->actions()) {
        if (a->isSeparator()) continue;
        const int id = a->data().toInt();
        a->setEnabled(IsEnabled(id, doc));
        if (const MeasureToolInfo* t = FindMeasureTool(id)) a->setChecked(t->tool == armed);
        if (id == kCmdShowLabels) a->setChecked(Measurement(m_ws).showLabels);
    }
    if (m_panel) {
        const MeasureToolInfo* t = FindMeasureTool(armed);
        m_panel->SetCurrentTool(t ? t->id : 0);
        m_panel->SetStandard(Measurement(m_ws).calibration);
    }
}

void CMeasureFrame::EndAll() {
    for (int i = 0; i < m_frame.DocumentCount(); ++i) {
        COrinDoc* doc = m_frame.DocumentAt(i);
        if (!Armed(doc)) continue;
        doc->measure->tool.EndContinuous();
        Q_EMIT documentChanged(doc);
    }
    UpdateStates();
}

void CMeasureFrame::Report(const std::string& text) {
    if (!text.empty()) m_frame.Host().Message(text);
}

void CMeasureFrame::Run(int id, COrinDoc* doc) {
    if (!IsEnabled(id, doc)) return;
    if (const MeasureToolInfo* tool = FindMeasureTool(id)) {
        ChooseTool(*tool, doc);
        return;
    }
    switch (id) {
    case kCmdVectorUndo:
    case kCmdVectorRedo: {
        MeasureState& m = Measures(*doc);
        m.tool.ClearSelection();
        if (id == kCmdVectorUndo ? m.sheet.Undo() : m.sheet.Redo()) m.changed = true;
        RedrawMeasurements(*doc);
        Q_EMIT documentChanged(doc);
        break;
    }
    case kCmdEndContinuous:
        Measures(*doc).tool.EndContinuous();
        Q_EMIT documentChanged(doc);
        break;
    case kCmdShowLabels:
        Measurement(m_ws).showLabels = !Measurement(m_ws).showLabels;
        Measurement(m_ws).calibration.option = Measurement(m_ws).showLabels;
        Redraw();
        break;
    case kCmdMeasureSettings: {
        CMeasureToolsDialog* panel = Panel();
        panel->show();
        panel->raise();
        break;
    }
    case kCmdStandards:
        RunStandardsDialog(nullptr);
        break;
    case kCmdScaleBar:
        ScaleBarCommand(doc);
        break;
    case kCmdExportText:
        Report(ExportText(Measurement(m_ws).folder, Measures(*doc).sheet.Objects()).message);
        break;
    case kCmdExportCsv:
        Report(ExportCsv(Measurement(m_ws).folder, Measures(*doc).sheet.Objects(), CsvStyleFor(UserDecimalMark()))
                   .message);
        break;
    case kCmdExportSheet:
        ExportSheet(doc);
        break;
    default:
        break;
    }
    UpdateStates();
}

void CMeasureFrame::ChooseTool(const MeasureToolInfo& tool, COrinDoc* doc) {
    // One measurement tool at a time, over every picture: the others are put down.
    for (int i = 0; i < m_frame.DocumentCount(); ++i) {
        COrinDoc* other = m_frame.DocumentAt(i);
        if (other != doc && Armed(other)) {
            other->measure->tool.EndContinuous();
            Q_EMIT documentChanged(other);
        }
    }
    Measures(*doc).tool.Choose(tool.tool);
    Q_EMIT documentChanged(doc);
}

void CMeasureFrame::Outcome(COrinDoc* doc, const ToolOutcome& outcome) {
    MeasureState& m = Measures(*doc);
    if (outcome.textAt) {
        QString text;
        const bool given = askText ? askText(text) : [&] {
            bool ok = false;
            text = QInputDialog::getText(&m_frame, QString::fromUtf8("글자"), QString::fromUtf8("표시할 글자:"),
                                         QLineEdit::Normal, QString(), &ok);
            return ok;
        }();
        if (given && !text.isEmpty()) {
            if (auto o = MakeObject(MeasureKind::Text, {*outcome.textAt}, text.toStdString())) {
                m.sheet.Edit([&](std::vector<MeasureObject>& list) { list.push_back(*o); });
                m.changed = true;
            }
        }
    }
    if (outcome.changed) m.changed = true;
    if (outcome.changed || outcome.textAt) RedrawMeasurements(*doc);
    Q_EMIT documentChanged(doc);
    Report(outcome.message);
    if (outcome.standard) {
        // The standard's segment is measured: the dialog opens again in its new-standard form.
        m.tool.EndContinuous();
        Q_EMIT documentChanged(doc);
        const MeasurePoint pixels = *outcome.standard;
        RunStandardsDialog(&pixels);
    }
    UpdateStates();
}

void CMeasureFrame::RunStandardsDialog(const MeasurePoint* measured) {
    if (standardsDialog) {
        standardsDialog(measured);
        Redraw();
        return;
    }
    MeasureSettings& settings = Measurement(m_ws);
    // The dialog's check box is the value-label option of the menu and the panel.
    settings.calibration.option = settings.showLabels;
    Dlg_Calibration dialog(settings.folder, settings.calibration, &m_frame);
    dialog.showMessage = [this](const QString& text) { Report(text.toStdString()); };
    if (measured) {
        dialog.ShowNewStandard(measured->x, measured->y);
    } else if (COrinDoc* doc = m_frame.ActiveDocument(); doc && doc->mainImage) {
        // A picture that came with a scale of its own offers it; a common screen or print
        // resolution is listed without being picked.
        if (const auto resolution = FileResolution(*doc->mainImage))
            if (const auto standard = StandardFromResolution(doc->fileName, *resolution))
                dialog.OfferStandard(*standard, !IsPrintResolution(*resolution));
    }
    const int result = dialog.exec();
    settings.standards = dialog.Table();
    if (dialog.MeasureRequested()) {
        if (COrinDoc* doc = m_frame.ActiveDocument(); doc && !doc->IsEmpty())
            ChooseTool(*FindMeasureTool(MeasureTool::Standard), doc);
        return;
    }
    if (result == QDialog::Accepted) {
        settings.showLabels = settings.calibration.option;
        Redraw();
    }
}

void CMeasureFrame::ScaleBarCommand(COrinDoc* doc) {
    const Calibration& calibration = Measurement(m_ws).calibration;
    if (!HasCalibration(calibration)) return Report(msg::kNoCalibration);
    const LayerRecord* layer = doc->CurrentLayer();
    const std::optional<ScaleBarSettings> existing = layer ? ReadScaleBar(*layer) : std::nullopt;
    ScaleBarSettings start;
    if (existing) {
        start = *existing;
    } else if (const auto defaults = DefaultScaleBar(doc->canvas.width, doc->canvas.height, calibration)) {
        start = *defaults;
        start.face = m_ws.textFace;
        start.colour = m_barColour;
        start.corner = m_barCorner;
    }
    CDlg_ScaleBar dialog(start, ScaleBarUnits(calibration), calibration, &m_frame);
    if (dialog.exec() != QDialog::Accepted) return;
    const ScaleBarSettings values = dialog.Values();
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const Status status = PlaceScaleBar(*doc, values, calibration, existing.has_value());
    QApplication::restoreOverrideCursor();
    if (!status) return Report(status.message);
    m_barColour = values.colour;
    m_barCorner = values.corner;
    doc->Touch();
    Q_EMIT documentChanged(doc);
}

void CMeasureFrame::Redraw() {
    for (int i = 0; i < m_frame.DocumentCount(); ++i) {
        COrinDoc* doc = m_frame.DocumentAt(i);
        if (!doc->measure) continue;
        RedrawMeasurements(*doc);
        Q_EMIT documentChanged(doc);
    }
    UpdateStates();
}

void CMeasureFrame::ExportSheet(COrinDoc* doc) {
    const std::string& folder = Measurement(m_ws).folder;
    Workbook workbook;
    if (Status s = OpenMeasureWorkbook(folder, workbook); !s) {
        Report(s.message);
        return;
    }
    const std::vector<std::string> sheets = workbook.SheetNames();
    int sheet = 0;
    if (chooseSheet) {
        sheet = chooseSheet(sheets);
    } else {
        DlgExcel dialog(sheets, &m_frame);
        if (dialog.exec() == QDialog::Accepted) sheet = dialog.Sheet();
    }
    if (sheet < 1) return;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const Status s = ExportToWorkbook(*doc, Measures(*doc).sheet.Objects(), folder, workbook, sheet);
    QApplication::restoreOverrideCursor();
    if (!s) Report(s.message);
    Q_EMIT documentChanged(doc);
}
