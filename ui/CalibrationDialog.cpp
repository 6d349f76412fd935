#include "CalibrationDialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QVBoxLayout>

#include "MeasureText.h"

namespace {
QString U(const std::string& text) { return QString::fromStdString(text); }
QString U(const char* text) { return QString::fromUtf8(text); }
}  // namespace

Dlg_Calibration::Dlg_Calibration(const std::string& folder, Calibration& current, QWidget* parent)
    : QDialog(parent), m_folder(folder), m_current(current) {
    setWindowTitle(U("측정 기준"));
    showMessage = [this](const QString& text) { QMessageBox::warning(this, windowTitle(), text); };

    m_name = new QComboBox(this);
    m_name->setEditable(true);
    m_x = new QLineEdit(this);
    m_y = new QLineEdit(this);
    m_unit = new QComboBox(this);
    m_unit->setEditable(true);
    for (const char* unit : kUnitLabels) m_unit->addItem(U(unit));
    m_length = new QLineEdit(this);
    m_option = new QCheckBox(U("측정값 표시"), this);
    m_option->setChecked(current.option);

    auto* form = new QFormLayout;
    form->addRow(U("기준 이름"), m_name);
    form->addRow(U("가로 픽셀"), m_x);
    form->addRow(U("세로 픽셀"), m_y);
    form->addRow(U("단위"), m_unit);
    form->addRow(U("길이"), m_length);
    form->addRow(m_option);

    m_add = new QPushButton(U("추가"), this);
    m_delete = new QPushButton(U("삭제"), this);
    m_measure = new QPushButton(U("기준설정"), this);
    m_save = new QPushButton(U("저장"), this);
    m_ok = new QPushButton(U("확인"), this);
    auto* cancel = new QPushButton(U("취소"), this);
    m_ok->setDefault(true);
    auto* buttons = new QHBoxLayout;
    for (QPushButton* b : {m_add, m_delete, m_measure, m_save, m_ok, cancel}) {
        if (b != m_ok) b->setAutoDefault(false);
        buttons->addWidget(b);
    }
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addLayout(buttons);

    connect(m_name, QOverload<int>::of(&QComboBox::activated), this, [this](int index) { ShowStandard(index); });
    connect(m_add, &QPushButton::clicked, this, [this] { Add(); });
    connect(m_delete, &QPushButton::clicked, this, [this] { Delete(); });
    connect(m_save, &QPushButton::clicked, this, [this] {
        if (SaveFields(false)) Fill(m_table.current);
    });
    connect(m_measure, &QPushButton::clicked, this, [this] {
        m_measureRequested = true;
        reject();
    });
    connect(m_ok, &QPushButton::clicked, this, [this] { Ok(); });
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    ReadCalibration(m_folder, m_table);
    Fill(m_table.current);
    // The pixels shown are the current calibration's.
    m_x->setText(QString::number(current.xPixels));
    m_y->setText(QString::number(current.yPixels));
}

void Dlg_Calibration::Fill(int select) {
    m_name->clear();
    for (const MeasureStandard& s : m_table.standards) m_name->addItem(U(s.name));
    if (m_offered) m_name->addItem(U(m_offered->name));
    if (select >= 0 && select < int(m_table.standards.size())) {
        m_name->setCurrentIndex(select);
        ShowStandard(select);
    }
}

void Dlg_Calibration::OfferStandard(const MeasureStandard& standard, bool select) {
    const int shown = m_name->currentIndex();
    m_offered = standard;
    Fill(-1);
    // Not picked, the name shown stays the one before (none for an empty table: OK then
    // asks for a name rather than saving the fields under the picture's).
    const int index = select ? int(m_table.standards.size()) : shown;
    m_name->setCurrentIndex(index);
    if (select) ShowStandard(index);
}

void Dlg_Calibration::ShowStandard(int index) {
    const bool offered = m_offered && index == int(m_table.standards.size());
    if (index < 0 || (index >= int(m_table.standards.size()) && !offered)) return;
    const MeasureStandard& s = offered ? *m_offered : m_table.standards[size_t(index)];
    m_name->setEditText(U(s.name));
    m_x->setText(QString::number(s.xPixels));
    m_y->setText(QString::number(s.yPixels));
    m_unit->setEditText(U(s.unit));
    m_length->setText(U(measuretext::Fixed2(s.length)));
}

void Dlg_Calibration::ShowNewStandard(int xPixels, int yPixels) {
    m_name->setEditText(U("새기준"));
    m_x->setText(QString::number(xPixels));
    m_y->setText(QString::number(yPixels));
    m_unit->setEditText(U("um"));
    m_length->setText(U("1.0"));
}

bool Dlg_Calibration::SaveFields(bool makeCurrent) {
    MeasureStandard standard;
    Status s = StandardFromFields(m_name->currentText().toStdString(), m_x->text().toStdString(),
                                  m_y->text().toStdString(), m_unit->currentText().toStdString(),
                                  m_length->text().toStdString(), standard);
    if (s) s = SaveStandard(m_table, standard);
    if (s && makeCurrent) m_table.current = m_table.Find(standard.name);
    if (s) s = WriteCalibration(m_folder, m_table);
    if (!s) {
        showMessage(U(s.message));
        return false;
    }
    return true;
}

void Dlg_Calibration::Add() {
    m_name->setEditText(U("New Unit"));
    m_x->setText("0");
    m_y->setText("0");
    m_unit->setEditText(U("um"));
    m_length->setText("1.0");
}

void Dlg_Calibration::Delete() {
    DeleteStandard(m_table, m_name->currentText().trimmed().toStdString());
    if (Status s = WriteCalibration(m_folder, m_table); !s) showMessage(U(s.message));
    ReadCalibration(m_folder, m_table);
    Fill(m_table.current);
}

void Dlg_Calibration::Ok() {
    // The standard shown becomes the current one, in the file and in the calibration.
    if (!SaveFields(true)) return;
    ApplyStandard(m_table, m_current);
    m_current.option = m_option->isChecked();
    accept();
}
