#include "GradientWindow.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

#include "Workspace.h"

CDlg_Gradient::CDlg_Gradient(Workspace& workspace, QWidget* parent) : QDialog(parent), m_ws(workspace) {
    setWindowTitle(QString::fromUtf8("그라디언트"));
    setModal(false);

    auto* colours = new QGroupBox(QString::fromUtf8("색상"), this);
    m_toBlack = new QCheckBox(QString::fromUtf8("전경색 → 검정"), colours);
    m_toBackground = new QCheckBox(QString::fromUtf8("전경색 → 배경색"), colours);
    auto* kinds = new QButtonGroup(this);
    kinds->addButton(m_toBlack, 1);
    kinds->addButton(m_toBackground, 2);
    kinds->setExclusive(true);
    connect(m_toBlack, &QCheckBox::clicked, this, [this] { SetKind(1); });
    connect(m_toBackground, &QCheckBox::clicked, this, [this] { SetKind(2); });
    auto* colourLayout = new QVBoxLayout(colours);
    colourLayout->addWidget(m_toBlack);
    colourLayout->addWidget(m_toBackground);

    auto* shapes = new QGroupBox(QString::fromUtf8("모양"), this);
    m_symmetric = new QPushButton(QString::fromUtf8("대칭"), shapes);
    m_oneWay = new QPushButton(QString::fromUtf8("한방향"), shapes);
    auto* shapeGroup = new QButtonGroup(this);
    for (QPushButton* b : {m_symmetric, m_oneWay}) {
        b->setCheckable(true);
        b->setAutoDefault(false);
        shapeGroup->addButton(b);
    }
    shapeGroup->setExclusive(true);
    connect(m_symmetric, &QPushButton::clicked, this, [this] { SetShape(2); });
    connect(m_oneWay, &QPushButton::clicked, this, [this] { SetShape(1); });
    auto* shapeLayout = new QHBoxLayout(shapes);
    shapeLayout->addWidget(m_symmetric);
    shapeLayout->addWidget(m_oneWay);

    m_ok = new QPushButton(QString::fromUtf8("확인"), this);
    m_ok->setDefault(true);
    connect(m_ok, &QPushButton::clicked, this, &CDlg_Gradient::Finish);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(colours);
    layout->addWidget(shapes);
    layout->addWidget(m_ok, 0, Qt::AlignRight);
    Refresh();
}

void CDlg_Gradient::Refresh() {
    m_toBlack->setChecked(m_ws.gradientKind == 1);
    m_toBackground->setChecked(m_ws.gradientKind == 2);
    m_symmetric->setChecked(m_ws.gradientShape == 2);
    m_oneWay->setChecked(m_ws.gradientShape == 1);
}

QCheckBox* CDlg_Gradient::KindButton(int kind) const {
    return kind == 1 ? m_toBlack : kind == 2 ? m_toBackground : nullptr;
}

QPushButton* CDlg_Gradient::ShapeButton(int shape) const {
    return shape == 2 ? m_symmetric : shape == 1 ? m_oneWay : nullptr;
}

void CDlg_Gradient::SetKind(int kind) {
    m_ws.gradientKind = kind;
    Refresh();
}

void CDlg_Gradient::SetShape(int shape) {
    m_ws.gradientShape = shape;
    Refresh();
}

void CDlg_Gradient::Finish() {
    m_ws.currentTool = -1;
    close();
    Q_EMIT toolEnded();
}
