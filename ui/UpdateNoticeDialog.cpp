#include "UpdateNoticeDialog.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
// The notice's own texts.
constexpr const char* kArrived = "Tessaro 업데이트 메시지가 도착하였습니다.";
constexpr const char* kInstall = "프로그램 종료 후, Tessaro 사이트에서 신버전을 설치하십시요.";
constexpr const char* kOldVersion = "현재 프로그램은 구버전입니다.";
constexpr const char* kNewVersion = " 신버전  %d.%d";
constexpr const char* kOk = "확 인";
}  // namespace

QString UpdateNoticeVersionText(int remote) {
    const int version = remote / 100;
    return QString::asprintf(kNewVersion, version / 10, version % 10);
}

UpdateNoticeDialog::UpdateNoticeDialog(QWidget* parent, int local, int remote, const QString& siteHost)
    : QDialog(parent) {
    setWindowTitle(QStringLiteral("Tessaro"));
    auto* layout = new QVBoxLayout(this);
    for (const QString& text : {QString::fromUtf8(kArrived), QString::fromUtf8(kInstall), siteHost,
                                QString::fromUtf8(kOldVersion), UpdateNoticeVersionText(remote)}) {
        auto* label = new QLabel(text, this);
        label->setTextFormat(Qt::PlainText);
        layout->addWidget(label);
    }
    auto* row = new QHBoxLayout;
    auto* ok = new QPushButton(QString::fromUtf8(kOk), this);
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    row->addStretch();
    row->addWidget(ok);
    row->addStretch();
    layout->addLayout(row);
    setModal(true);
}

void ShowUpdateNotice(QWidget* parent, int local, int remote, const QString& siteHost) {
    UpdateNoticeDialog dialog(parent, local, remote, siteHost);
    dialog.exec();
}
