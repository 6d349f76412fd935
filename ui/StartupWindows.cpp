#include "StartupWindows.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QLinearGradient>
#include <QMessageBox>
#include <QPainter>
#include <QTimer>
#include <QVBoxLayout>

namespace {

QPixmap SplashPicture() {
    QPixmap pixmap(420, 240);
    QPainter p(&pixmap);
    QLinearGradient sky(0, 0, 420, 240);
    sky.setColorAt(0.0, QColor(0x1d, 0x3b, 0x6a));
    sky.setColorAt(1.0, QColor(0x6a, 0x9c, 0xd8));
    p.fillRect(pixmap.rect(), sky);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    const QColor tiles[] = {QColor(0xf2, 0xb1, 0x34), QColor(0xe0, 0x5a, 0x47), QColor(0x4c, 0xb8, 0x7a),
                            QColor(0xf7, 0xf4, 0xea)};
    for (int i = 0; i < 4; ++i) {
        p.setBrush(tiles[i]);
        p.drawRoundedRect(QRectF(36 + (i % 2) * 44, 60 + (i / 2) * 44, 38, 38), 6, 6);
    }
    p.setPen(Qt::white);
    QFont big = p.font();
    big.setPixelSize(44);
    big.setBold(true);
    p.setFont(big);
    p.drawText(QRect(140, 60, 270, 60), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("Tessaro"));
    QFont small = p.font();
    small.setPixelSize(16);
    small.setBold(false);
    p.setFont(small);
    p.drawText(QRect(142, 118, 270, 30), Qt::AlignLeft | Qt::AlignVCenter,
               QStringLiteral("34.0  ") + QString::fromUtf8("사진 편집기"));
    return pixmap;
}

}  // namespace

CSplashDialog::CSplashDialog(QWidget* parent, int milliseconds)
    : QDialog(parent, Qt::SplashScreen | Qt::FramelessWindowHint) {
    auto* picture = new QLabel(this);
    picture->setPixmap(SplashPicture());
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(picture);
    QTimer::singleShot(milliseconds, this, &QDialog::accept);
}

CGuideDialog::CGuideDialog(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("Guide"));
    auto* text = new QLabel(this);
    text->setTextFormat(Qt::RichText);
    text->setWordWrap(true);
    text->setText(QString::fromUtf8(
        "<h3>Tessaro</h3>"
        "<p>파일 메뉴의 <b>열기</b>로 그림을 열거나 그림 파일을 창으로 끌어 놓으십시오.</p>"
        "<p><b>레이어.작업내역보기</b> 창에서 레이어를 고르고, 끌어서 순서를 바꾸고, "
        "작업내역에서 뒤로/앞으로 회복할 수 있습니다.</p>"
        "<p>보기 메뉴: 확대 <b>Ctrl++</b>, 축소 <b>Ctrl+-</b>, (1:1)보기 <b>Ctrl+1</b>.</p>"));
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(text);
    layout->addWidget(buttons);
    setMinimumWidth(420);
}

void ShowAboutBox(QWidget* parent, const QString& version, const QString& site) {
    QMessageBox::about(parent, QString::fromUtf8("'Tessaro'에 관하여"),
                       QStringLiteral("<h3>Tessaro %1</h3><p>%2</p><p><a href=\"%3\">%3</a></p>")
                           .arg(version, QString::fromUtf8("레이어, 선택, 그리기와 측정을 갖춘 사진 편집기"), site));
}
