#include "ScaleBarDialog.h"

#include <QComboBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QSpinBox>
#include <QVBoxLayout>

#include "DialogButtons.h"
#include "TextControls.h"

CDlg_ScaleBar::CDlg_ScaleBar(const ScaleBarSettings& start, const std::vector<std::string>& units,
                             const Calibration& standard, QWidget* parent)
    : QDialog(parent) {
    setWindowTitle(QString::fromUtf8(label::kScaleBar));

    // Numbers are typed with '.' whatever the locale, as in the standards dialog.
    m_length = new QLineEdit(QString::number(double(start.length), 'g', 6), this);
    m_length->setObjectName(QStringLiteral("length"));
    m_unit = new QComboBox(this);
    m_unit->setObjectName(QStringLiteral("unit"));
    for (const std::string& u : units) m_unit->addItem(QString::fromStdString(u));
    if (m_unit->findText(QString::fromStdString(start.unit)) < 0) m_unit->insertItem(0, QString::fromStdString(start.unit));
    m_unit->setCurrentText(QString::fromStdString(start.unit));

    m_corner = new QComboBox(this);
    m_corner->setObjectName(QStringLiteral("corner"));
    for (const char* corner : kBarCornerLabels) m_corner->addItem(QString::fromUtf8(corner));
    m_corner->setCurrentIndex(std::clamp(start.corner, 0, 3));

    m_colour = new CColourSwatch(start.colour, QString::fromUtf8("막대 색"), this);
    m_face = new QComboBox(this);
    FillFaceBox(m_face, start.face);
    m_size = new QSpinBox(this);
    m_size->setObjectName(QStringLiteral("size"));
    m_size->setRange(1, kMaxBarTextSize);
    m_size->setValue(std::clamp(start.size, 1, kMaxBarTextSize));

    auto* length = new QHBoxLayout;
    length->addWidget(m_length, 1);
    length->addWidget(m_unit);
    auto* form = new QFormLayout;
    form->addRow(QString::fromUtf8("길이"), length);
    form->addRow(QString::fromUtf8("위치"), m_corner);
    form->addRow(QString::fromUtf8("색상"), m_colour);
    form->addRow(QString::fromUtf8("글꼴"), m_face);
    form->addRow(QString::fromUtf8("글자 크기(픽셀)"), m_size);

    // "측정기준: 10X (500 픽셀 = 100 um)"
    const QString basis = QString::fromUtf8("측정기준: %1 (%2 픽셀 = %3 %4)")
                              .arg(QString::fromStdString(standard.name))
                              .arg(standard.xPixels)
                              .arg(double(standard.length), 0, 'g', 6)
                              .arg(QString::fromStdString(standard.unit));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(basis, this));
    layout->addLayout(form);
    layout->addWidget(OkCancelButtons(this));
    m_length->setFocus();
    m_length->selectAll();
}

ScaleBarSettings CDlg_ScaleBar::Values() const {
    ScaleBarSettings s;
    bool ok = false;
    const double length = m_length->text().trimmed().toDouble(&ok);
    s.length = ok ? float(length) : 0.0f;
    s.unit = m_unit->currentText().toStdString();
    s.corner = m_corner->currentIndex();
    s.colour = m_colour->Colour();
    s.face = ChosenFace(m_face);
    s.size = m_size->value();
    return s;
}
