#include "StartPage.h"

#include <QAction>
#include <QFileInfo>
#include <QDir>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

QToolButton* StartButton(QAction* action, QWidget* parent) {
    auto* button = new QToolButton(parent);
    button->setDefaultAction(action);
    button->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    button->setIconSize(QSize(48, 48));
    button->setMinimumSize(120, 96);
    button->setAutoRaise(true);
    return button;
}

}  // namespace

CStartPage::CStartPage(QAction* newPicture, QAction* open, QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("StartPage"));
    setAutoFillBackground(true);
    auto* title = new QLabel(QStringLiteral("Tessaro"), this);
    QFont big = title->font();
    big.setPointSizeF(big.pointSizeF() * 2);
    big.setBold(true);
    title->setFont(big);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(StartButton(newPicture, this));
    buttons->addWidget(StartButton(open, this));
    buttons->addStretch(1);

    auto* recentTitle = new QLabel(QString::fromUtf8("최근 파일"), this);
    QFont bold = recentTitle->font();
    bold.setBold(true);
    recentTitle->setFont(bold);
    m_recent = new QListWidget(this);
    m_recent->setObjectName(QStringLiteral("RecentFiles"));
    m_recent->setMaximumWidth(640);
    m_recent->setSelectionMode(QAbstractItemView::SingleSelection);
    m_recent->setMouseTracking(true);
    // One click opens, as a link would; Enter on the chosen row does the same.
    connect(m_recent, &QListWidget::itemClicked, this,
            [this](QListWidgetItem* item) { Q_EMIT fileChosen(item->data(Qt::UserRole).toString()); });
    connect(m_recent, &QListWidget::itemActivated, this,
            [this](QListWidgetItem* item) { Q_EMIT fileChosen(item->data(Qt::UserRole).toString()); });
    m_noRecent = new QLabel(QString::fromUtf8("최근에 사용한 파일이 없습니다."), this);

    auto* column = new QVBoxLayout;
    column->addWidget(title);
    column->addSpacing(12);
    column->addLayout(buttons);
    column->addSpacing(12);
    column->addWidget(recentTitle);
    column->addWidget(m_recent, 1);
    column->addWidget(m_noRecent);
    column->addStretch(0);
    auto* outer = new QHBoxLayout(this);
    outer->setContentsMargins(48, 32, 48, 32);
    outer->addLayout(column, 1);
    outer->addStretch(0);
}

void CStartPage::SetRecentFiles(const QStringList& files) {
    m_recent->clear();
    for (const QString& path : files) {
        const QFileInfo info(path);
        auto* item = new QListWidgetItem(info.fileName() + QStringLiteral("    ") + QDir::toNativeSeparators(info.path()),
                                         m_recent);
        item->setData(Qt::UserRole, path);
        item->setToolTip(path);
    }
    m_recent->setVisible(!files.isEmpty());
    m_noRecent->setVisible(files.isEmpty());
}
