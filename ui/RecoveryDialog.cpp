#include "RecoveryDialog.h"

#include <QDialogButtonBox>
#include <QFile>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include "Messages.h"

CRecoveryDialog::CRecoveryDialog(std::vector<RecoverableCopy> copies, std::function<bool(const RecoverableCopy&)> open,
                                 QWidget* parent)
    : QDialog(parent), m_copies(std::move(copies)), m_open(std::move(open)) {
    setWindowTitle(QString::fromUtf8("작업 복구"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(
        QString::fromUtf8("프로그램이 비정상적으로 끝나 저장되지 않은 그림이 남아 있습니다. 복구할 그림을 고르십시오."), this));
    m_table = new QTableWidget(this);
    m_table->setColumnCount(3);
    m_table->setHorizontalHeaderLabels(
        {QString::fromUtf8("그림"), QString::fromUtf8("복구본 시각"), QString::fromUtf8("원래 파일")});
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setSelectionMode(QAbstractItemView::SingleSelection);
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->horizontalHeader()->setStretchLastSection(true);
    m_table->verticalHeader()->hide();
    layout->addWidget(m_table);
    auto* buttons = new QHBoxLayout;
    m_openButton = new QPushButton(QString::fromUtf8("열기"), this);
    m_saveButton = new QPushButton(QString::fromUtf8("다른 곳에 저장..."), this);
    m_discardButton = new QPushButton(QString::fromUtf8("버리기"), this);
    auto* close = new QPushButton(QString::fromUtf8("닫기"), this);
    buttons->addWidget(m_openButton);
    buttons->addWidget(m_saveButton);
    buttons->addWidget(m_discardButton);
    buttons->addStretch();
    buttons->addWidget(close);
    layout->addLayout(buttons);
    connect(m_openButton, &QPushButton::clicked, this, [this] { OpenSelected(); });
    connect(m_saveButton, &QPushButton::clicked, this, [this] {
        if (Selected() < 0) return;
        const QString path = QFileDialog::getSaveFileName(this, QString::fromUtf8("다른 곳에 저장"),
                                                          QString::fromStdString(m_copies[size_t(Selected())].title) +
                                                              QStringLiteral(".tsr"),
                                                          QStringLiteral("TSR (*.tsr)"));
        if (!path.isEmpty() && !SaveSelectedAs(path))
            QMessageBox::warning(this, windowTitle(), QString::fromUtf8(msg::kSaveFailed));
    });
    connect(m_discardButton, &QPushButton::clicked, this, [this] {
        if (Selected() >= 0 &&
            QMessageBox::question(this, windowTitle(), QString::fromUtf8("이 복구본을 버리시겠습니까?")) ==
                QMessageBox::Yes)
            DiscardSelected();
    });
    connect(close, &QPushButton::clicked, this, &QDialog::accept);
    resize(640, 300);
    Fill();
}

void CRecoveryDialog::Fill() {
    m_table->setRowCount(int(m_copies.size()));
    for (size_t i = 0; i < m_copies.size(); ++i) {
        const RecoverableCopy& c = m_copies[i];
        m_table->setItem(int(i), 0, new QTableWidgetItem(QString::fromStdString(c.title)));
        m_table->setItem(int(i), 1, new QTableWidgetItem(QString::fromStdString(RecoveryTimeText(c.savedAt))));
        m_table->setItem(int(i), 2,
                         new QTableWidgetItem(c.original.empty() ? QString::fromUtf8("(새 그림)")
                                                                 : QString::fromStdString(c.original)));
    }
    if (!m_copies.empty()) m_table->selectRow(0);
    const bool any = !m_copies.empty();
    m_openButton->setEnabled(any);
    m_saveButton->setEnabled(any);
    m_discardButton->setEnabled(any);
}

int CRecoveryDialog::Selected() const {
    const int row = m_table->currentRow();
    return row >= 0 && size_t(row) < m_copies.size() ? row : -1;
}

void CRecoveryDialog::Select(int row) { m_table->selectRow(row); }

void CRecoveryDialog::RemoveSelected() {
    m_copies.erase(m_copies.begin() + Selected());
    Fill();
    if (m_copies.empty()) accept();
}

bool CRecoveryDialog::OpenSelected() {
    if (Selected() < 0 || !m_open || !m_open(m_copies[size_t(Selected())])) return false;
    RemoveSelected();  // the editor keeps it as the document's own copy now
    return true;
}

bool CRecoveryDialog::SaveSelectedAs(const QString& path) {
    if (Selected() < 0) return false;
    const RecoverableCopy& c = m_copies[size_t(Selected())];
    // Written beside the target first: an existing file is replaced only by a whole copy.
    const QString part = path + QStringLiteral(".part");
    QFile::remove(part);
    if (!QFile::copy(QString::fromStdString(c.project), part)) return false;
    QFile::remove(path);
    if (!QFile::rename(part, path)) {
        QFile::remove(part);
        return false;
    }
    DiscardRecoverableCopy(c);
    RemoveSelected();
    return true;
}

void CRecoveryDialog::DiscardSelected() {
    if (Selected() < 0) return;
    DiscardRecoverableCopy(m_copies[size_t(Selected())]);
    RemoveSelected();
}

void OfferRecovery(QWidget* parent, const std::string& folder, const std::function<bool(const RecoverableCopy&)>& open) {
    std::vector<RecoverableCopy> copies = FindRecoverableCopies(folder);
    if (copies.empty()) return;
    CRecoveryDialog dialog(std::move(copies), open, parent);
    dialog.exec();
}
