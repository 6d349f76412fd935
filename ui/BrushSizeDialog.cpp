#include "BrushSizeDialog.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

namespace {

// A dot of the brush's diameter in the middle of the button.
QIcon DotIcon(int size) {
    const int side = 2 * CDlg_BrushSize::kLargest + 4;
    QPixmap pixmap(side, side);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::black);
    p.drawEllipse(QPointF(side / 2.0, side / 2.0), size, size);
    return QIcon(pixmap);
}

}  // namespace

CDlg_BrushSize::CDlg_BrushSize(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QString::fromUtf8("붓크기"));
    auto* row = new QHBoxLayout;
    for (int size = kLargest; size >= kSmallest; --size) {
        auto* button = new QPushButton(DotIcon(size), QString::number(size), this);
        button->setIconSize(QSize(2 * kLargest + 4, 2 * kLargest + 4));
        button->setCheckable(true);
        button->setAutoDefault(false);
        connect(button, &QPushButton::clicked, this, [this, size] { Choose(size); });
        m_buttons[size_t(size - 1)] = button;
        row->addWidget(button);
    }
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Cancel)->setText(QString::fromUtf8("취소"));
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(row);
    layout->addWidget(buttons);
    SetSize(kSmallest);
}

void CDlg_BrushSize::SetSize(int size) {
    m_size = std::clamp(size, kSmallest, kLargest);
    for (int s = kSmallest; s <= kLargest; ++s) m_buttons[size_t(s - 1)]->setChecked(s == m_size);
}

QPushButton* CDlg_BrushSize::SizeButton(int size) const {
    return size >= kSmallest && size <= kLargest ? m_buttons[size_t(size - 1)] : nullptr;
}

void CDlg_BrushSize::Choose(int size) {
    SetSize(size);
    accept();
}
