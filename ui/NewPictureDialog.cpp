#include "NewPictureDialog.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QSpinBox>
#include <QVBoxLayout>

namespace {
// Larger pictures do not fit the 32-bit sizes of the layer records.
constexpr int kLargestSide = 20000;
}

CDlg_NewPicture::CDlg_NewPicture(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QString::fromUtf8("   새창열기"));
    m_width = new QSpinBox(this);
    m_height = new QSpinBox(this);
    for (QSpinBox* box : {m_width, m_height}) {
        box->setRange(1, kLargestSide);
        box->setSuffix(QStringLiteral(" px"));
    }
    m_name = new QLineEdit(this);
    m_name->setMaxLength(99);
    auto* form = new QFormLayout;
    form->addRow(QString::fromUtf8("너비"), m_width);
    form->addRow(QString::fromUtf8("높이"), m_height);
    form->addRow(QString::fromUtf8("새창 이름"), m_name);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);
    SetValues(640, 480, QString());
}

void CDlg_NewPicture::SetValues(int width, int height, const QString& name) {
    m_width->setValue(width);
    m_height->setValue(height);
    m_name->setText(name);
}

int CDlg_NewPicture::PictureWidth() const { return m_width->value(); }
int CDlg_NewPicture::PictureHeight() const { return m_height->value(); }
QString CDlg_NewPicture::WindowName() const { return m_name->text().trimmed(); }
