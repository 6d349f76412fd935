#include "LayerNameDialog.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

CDlg_Change_LayerName::CDlg_Change_LayerName(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QString::fromUtf8("레이어 이름 변경"));
    m_name = new QLineEdit(this);
    m_name->setMaxLength(kMaxLength);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_name);
    layout->addWidget(buttons);
    setMinimumWidth(260);
}

QString CDlg_Change_LayerName::Name() const { return m_name->text().left(kMaxLength); }
