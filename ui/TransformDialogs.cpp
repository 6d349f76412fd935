#include "TransformDialogs.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QToolButton>
#include <QVBoxLayout>
#include <cmath>

#include "Resize.h"
#include "DialogButtons.h"

namespace {

QString Text(const std::string& utf8) { return QString::fromUtf8(utf8.c_str()); }

QSpinBox* SizeBox(const OpParam& p, int value, QWidget* parent) {
    auto* box = new QSpinBox(parent);
    box->setRange(p.min, p.max);
    box->setValue(value);
    box->setSuffix(QString::fromUtf8(" 픽셀"));
    return box;
}

}  // namespace

CDlg_FreeRotate::CDlg_FreeRotate(const OpParam& angle, int hundredths, QWidget* parent) : QDialog(parent) {
    setWindowTitle(QString::fromUtf8("자유회전"));
    m_angle = new QDoubleSpinBox(this);
    m_angle->setDecimals(angle.decimals);
    m_angle->setRange(angle.min / 100.0, angle.max / 100.0);
    m_angle->setSingleStep(1.0);
    m_angle->setSuffix(QString::fromUtf8(" 도"));
    m_angle->setValue(hundredths / 100.0);
    m_angle->selectAll();
    auto* row = new QGridLayout;
    row->addWidget(new QLabel(Text(angle.label), this), 0, 0);
    row->addWidget(m_angle, 0, 1);
    row->addWidget(new QLabel(QString::fromUtf8("양수는 시계방향, 음수는 반시계방향"), this), 1, 0, 1, 2);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(row);
    layout->addWidget(OkCancelButtons(this));
}

int CDlg_FreeRotate::Angle() const { return int(std::lround(m_angle->value() * 100)); }

CDlg_ImageSize::CDlg_ImageSize(int width, int height, const OpParam& widthParam, const OpParam& heightParam,
                               QWidget* parent)
    : QDialog(parent), m_presentWidth(width), m_presentHeight(height) {
    setWindowTitle(QString::fromUtf8("그림크기조정"));
    m_shown[0] = width;
    m_shown[1] = height;
    m_width = SizeBox(widthParam, width, this);
    m_height = SizeBox(heightParam, height, this);
    m_widthPercent = new QSpinBox(this);
    m_heightPercent = new QSpinBox(this);
    for (QSpinBox* p : {m_widthPercent, m_heightPercent}) {
        p->setRange(1, 100000);
        p->setValue(100);
        p->setSuffix(QStringLiteral(" %"));
    }
    m_lock = new QCheckBox(QString::fromUtf8("가로세로 비율 유지"), this);
    m_lock->setChecked(true);
    connect(m_width, qOverload<int>(&QSpinBox::valueChanged), this, [this] { PixelsChanged(true); });
    connect(m_height, qOverload<int>(&QSpinBox::valueChanged), this, [this] { PixelsChanged(false); });
    connect(m_widthPercent, qOverload<int>(&QSpinBox::valueChanged), this, [this] { PercentChanged(true); });
    connect(m_heightPercent, qOverload<int>(&QSpinBox::valueChanged), this, [this] { PercentChanged(false); });

    auto* grid = new QGridLayout;
    grid->addWidget(new QLabel(QString::fromUtf8("현재크기: %1 x %2 픽셀").arg(width).arg(height), this), 0, 0, 1, 3);
    grid->addWidget(new QLabel(Text(widthParam.label), this), 1, 0);
    grid->addWidget(m_width, 1, 1);
    grid->addWidget(m_widthPercent, 1, 2);
    grid->addWidget(new QLabel(Text(heightParam.label), this), 2, 0);
    grid->addWidget(m_height, 2, 1);
    grid->addWidget(m_heightPercent, 2, 2);
    grid->addWidget(m_lock, 3, 0, 1, 3);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addWidget(OkCancelButtons(this));
}

int CDlg_ImageSize::NewWidth() const { return m_width->value(); }
int CDlg_ImageSize::NewHeight() const { return m_height->value(); }

void CDlg_ImageSize::Show(int width, int height, int widthPercent, int heightPercent) {
    m_updating = true;
    m_shown[0] = width;
    m_shown[1] = height;
    m_shown[2] = widthPercent;
    m_shown[3] = heightPercent;
    m_width->setValue(width);
    m_height->setValue(height);
    m_widthPercent->setValue(widthPercent);
    m_heightPercent->setValue(heightPercent);
    m_updating = false;
}

void CDlg_ImageSize::PixelsChanged(bool widthSide) {
    int w = m_width->value(), h = m_height->value();
    if (m_updating || (widthSide ? w == m_shown[0] : h == m_shown[1])) return;
    if (m_lock->isChecked()) {
        // One percent for both sides: the changed side's.
        if (widthSide) h = LockedSide(w, m_presentWidth, m_presentHeight);
        else w = LockedSide(h, m_presentHeight, m_presentWidth);
        const int p = widthSide ? SizePercent(w, m_presentWidth) : SizePercent(h, m_presentHeight);
        Show(w, h, p, p);
        return;
    }
    Show(w, h, SizePercent(w, m_presentWidth), SizePercent(h, m_presentHeight));
}

void CDlg_ImageSize::PercentChanged(bool widthSide) {
    int wp = m_widthPercent->value(), hp = m_heightPercent->value();
    if (m_updating || (widthSide ? wp == m_shown[2] : hp == m_shown[3])) return;
    if (m_lock->isChecked()) {
        if (widthSide) hp = wp;
        else wp = hp;
    }
    int w = PercentSize(wp, m_presentWidth), h = PercentSize(hp, m_presentHeight);
    if (m_lock->isChecked()) {
        if (widthSide) h = LockedSide(w, m_presentWidth, m_presentHeight);
        else w = LockedSide(h, m_presentHeight, m_presentWidth);
    }
    Show(w, h, wp, hp);
}

CDlg_CanvasSize::CDlg_CanvasSize(int width, int height, const Operation& op, QWidget* parent) : QDialog(parent) {
    setWindowTitle(Text(op.label));
    m_width = SizeBox(op.params[kSizeWidth], width, this);
    m_height = SizeBox(op.params[kSizeHeight], height, this);

    auto* present = new QGroupBox(QString::fromUtf8("현재크기"), this);
    auto* presentLayout = new QVBoxLayout(present);
    presentLayout->addWidget(new QLabel(QString::fromUtf8("가로: %1 픽셀").arg(width), present));
    presentLayout->addWidget(new QLabel(QString::fromUtf8("세로: %1 픽셀").arg(height), present));

    auto* size = new QGridLayout;
    size->addWidget(new QLabel(Text(op.params[kSizeWidth].label), this), 0, 0);
    size->addWidget(m_width, 0, 1);
    size->addWidget(new QLabel(Text(op.params[kSizeHeight].label), this), 1, 0);
    size->addWidget(m_height, 1, 1);

    auto* direction = new QGroupBox(Text(op.params[kSizeAnchor].label), this);
    auto* grid = new QGridLayout(direction);
    m_anchors = new QButtonGroup(this);
    for (int anchor = 0; anchor < 9; ++anchor) {
        auto* b = new QToolButton(direction);
        b->setCheckable(true);
        b->setFixedSize(32, 32);
        m_anchors->addButton(b, anchor);
        grid->addWidget(b, anchor / 3, anchor % 3);
    }
    m_anchors->button(op.params[kSizeAnchor].def)->setChecked(true);
    connect(m_anchors, &QButtonGroup::idToggled, this, [this] { ShowDirections(); });
    ShowDirections();

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(present);
    layout->addLayout(size);
    layout->addWidget(direction);
    layout->addWidget(OkCancelButtons(this));
}

int CDlg_CanvasSize::NewWidth() const { return m_width->value(); }
int CDlg_CanvasSize::NewHeight() const { return m_height->value(); }
int CDlg_CanvasSize::Anchor() const { return m_anchors->checkedId(); }
QAbstractButton* CDlg_CanvasSize::AnchorButton(int anchor) const { return m_anchors->button(anchor); }

void CDlg_CanvasSize::ShowDirections() {
    // The picture stays at the chosen button; arrows point where the canvas grows.
    static const char* const kArrows[3][3] = {{"↖", "↑", "↗"}, {"←", "", "→"}, {"↙", "↓", "↘"}};
    const int anchor = Anchor();
    for (int b = 0; b < 9; ++b) {
        const int dx = b % 3 - anchor % 3, dy = b / 3 - anchor / 3;
        QString text;
        if (dx == 0 && dy == 0) text = QString::fromUtf8("●");
        else if (std::abs(dx) <= 1 && std::abs(dy) <= 1) text = QString::fromUtf8(kArrows[dy + 1][dx + 1]);
        m_anchors->button(b)->setText(text);
    }
}
