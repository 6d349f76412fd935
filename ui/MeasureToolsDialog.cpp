#include "MeasureToolsDialog.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "MeasureText.h"
#include "MeasureTools.h"

CMeasureToolsDialog::CMeasureToolsDialog(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QString::fromUtf8("측정 도구"));
    auto* grid = new QGridLayout;
    int n = 0;
    for (const MeasureToolInfo& t : MeasureToolTable()) {
        if (t.tool == MeasureTool::Standard) continue;
        auto* b = new QPushButton(QString::fromUtf8(t.label), this);
        b->setCheckable(true);
        b->setAutoDefault(false);
        const int id = t.id;
        connect(b, &QPushButton::clicked, this, [this, id] { Q_EMIT toolChosen(id); });
        m_buttons[id] = b;
        grid->addWidget(b, n / 4, n % 4);
        ++n;
    }
    auto* commands = new QGridLayout;
    n = 0;
    for (const MeasureCommandInfo& c : MeasurePanelCommands()) {
        auto* b = new QPushButton(QString::fromUtf8(c.label).section(QLatin1Char('\t'), 0, 0), this);
        b->setAutoDefault(false);
        const int id = c.id;
        connect(b, &QPushButton::clicked, this, [this, id] { Q_EMIT commandChosen(id); });
        m_commands[id] = b;
        commands->addWidget(b, n / 4, n % 4);
        ++n;
    }
    m_standard = new QLabel(this);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addWidget(m_standard);
    layout->addLayout(commands);
    SetStandard(Calibration{});
}

void CMeasureToolsDialog::SetCurrentTool(int id) {
    for (auto& [toolId, button] : m_buttons) button->setChecked(toolId == id);
}

void CMeasureToolsDialog::SetStandard(const Calibration& c) {
    m_standard->setText(QString::fromUtf8("측정기준: ") + QString::fromStdString(c.name) + "  (" +
                        QString::number(c.xPixels) + " x " + QString::number(c.yPixels) + " px = " +
                        QString::fromStdString(measuretext::Fixed2(c.length)) + " " + QString::fromStdString(c.unit) +
                        ")");
}

QPushButton* CMeasureToolsDialog::ToolButton(int id) const {
    auto it = m_buttons.find(id);
    return it == m_buttons.end() ? nullptr : it->second;
}

QPushButton* CMeasureToolsDialog::CommandButton(int id) const {
    auto it = m_commands.find(id);
    return it == m_commands.end() ? nullptr : it->second;
}

DlgExcel::DlgExcel(const std::vector<std::string>& sheets, QWidget* parent) : QDialog(parent) {
    setWindowTitle(QString::fromUtf8("엑셀로 변환"));
    m_list = new QListWidget(this);
    for (const std::string& s : sheets) m_list->addItem(QString::fromStdString(s));
    if (!sheets.empty()) m_list->setCurrentRow(0);
    auto* buttons = new QDialogButtonBox(this);
    buttons->addButton(QString::fromUtf8("변환"), QDialogButtonBox::AcceptRole);
    buttons->addButton(QString::fromUtf8("닫기"), QDialogButtonBox::RejectRole);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(m_list, &QListWidget::itemDoubleClicked, this, &QDialog::accept);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QString::fromUtf8("측정값을 넣을 시트"), this));
    layout->addWidget(m_list);
    layout->addWidget(buttons);
}

int DlgExcel::Sheet() const { return m_list->currentRow() + 1; }
