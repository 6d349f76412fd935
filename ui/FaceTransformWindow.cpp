#include "FaceTransformWindow.h"

#include <QDoubleSpinBox>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>

namespace {

QDoubleSpinBox* StrengthSpin(QWidget* parent) {
    auto* spin = new QDoubleSpinBox(parent);
    spin->setRange(0.0, kMaxFaceStrength);
    spin->setSingleStep(0.1);
    spin->setDecimals(1);
    spin->setValue(1.0);
    return spin;
}

}  // namespace

CDlg_FaceTransform::CDlg_FaceTransform(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QString::fromUtf8("얼굴 변형"));
    setModal(false);
    setFixedSize(260, 180);
    m_enlarge = new QRadioButton(QString::fromUtf8("늘리기"), this);
    m_squash = new QRadioButton(QString::fromUtf8("쭈구리기"), this);
    m_enlarge->setChecked(true);
    m_strength = StrengthSpin(this);
    m_second = StrengthSpin(this);
    m_rectangle = new QPushButton(QString::fromUtf8("사각선택"), this);
    m_transform = new QPushButton(QString::fromUtf8("변환"), this);
    m_restart = new QPushButton(QString::fromUtf8("시작 영상"), this);
    m_ok = new QPushButton(QString::fromUtf8("확인"), this);
    for (QPushButton* b : {m_rectangle, m_transform, m_restart}) b->setAutoDefault(false);
    m_ok->setDefault(true);

    auto* grid = new QGridLayout(this);
    grid->setVerticalSpacing(2);
    grid->addWidget(m_enlarge, 0, 0);
    grid->addWidget(m_squash, 0, 1);
    grid->addWidget(m_strength, 1, 0);
    grid->addWidget(m_second, 1, 1);
    grid->addWidget(new QLabel(QString::fromUtf8("눈(코)부분"), this), 2, 0);
    grid->addWidget(m_rectangle, 2, 1);
    grid->addWidget(new QLabel(QString::fromUtf8("사각선택후"), this), 3, 0);
    grid->addWidget(new QLabel(QString::fromUtf8("변환 버튼"), this), 3, 1);
    grid->addWidget(m_transform, 4, 0);
    grid->addWidget(m_restart, 4, 1);
    grid->addWidget(m_ok, 5, 1);

    connect(m_rectangle, &QPushButton::clicked, this, &CDlg_FaceTransform::rectangleRequested);
    connect(m_transform, &QPushButton::clicked, this, &CDlg_FaceTransform::transformRequested);
    connect(m_restart, &QPushButton::clicked, this, &CDlg_FaceTransform::restartRequested);
    connect(m_ok, &QPushButton::clicked, this, &QDialog::accept);
}

FaceSettings CDlg_FaceTransform::Values() const {
    FaceSettings s;
    s.mode = m_squash->isChecked() ? 1 : 0;
    s.strength = m_strength->value();
    s.second = m_second->value();
    return s;
}
