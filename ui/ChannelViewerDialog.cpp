#include "ChannelViewerDialog.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QImage>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

namespace {

constexpr int kSmallSide = 220;
constexpr int kLargeSide = 480;

// Plane `channel` as a grey picture, top row first, fitted into side x side.
QPixmap PlanePixmap(const ChannelPlanes& planes, int channel, int side) {
    if (planes.width <= 0 || planes.height <= 0) return {};
    // The plane's rows are bottom-up: the picture is wrapped without a copy, then flipped.
    const QImage wrapped(planes.planes[size_t(channel)].data(), planes.width, planes.height, planes.width,
                         QImage::Format_Grayscale8);
    const QImage upright = wrapped.mirrored(false, true);
    return QPixmap::fromImage(upright.scaled(side, side, Qt::KeepAspectRatio, Qt::SmoothTransformation));
}

const char* SignalName(ChannelModel model, int channel) {
    static const char* const names[3][3] = {
        {"R-시그널", "G-시그널", "B-시그널"}, {"Y-시그널", "U-시그널", "V-시그널"}, {"H-시그널", "S-시그널", "L-시그널"}};
    return names[int(model)][channel];
}

}  // namespace

CDlg_ChannelViewer::CDlg_ChannelViewer(ChannelPlanes rgb, OpenChannel open, QWidget* parent)
    : QDialog(parent), m_rgb(std::move(rgb)), m_open(std::move(open)) {
    setWindowTitle(QString::fromUtf8("RGB구분"));
    m_choice = new QComboBox(this);
    for (const char* text : {"RGB 표현", "YUV 표현", "HSL 표현"}) m_choice->addItem(QString::fromUtf8(text));
    m_tabs = new QTabWidget(this);
    const QString take = QString::fromUtf8("선택 후 새창에 담기");

    auto* all = new QWidget;
    auto* allLayout = new QVBoxLayout(all);
    auto* row = new QHBoxLayout;
    for (int c = 0; c < 3; ++c) {
        auto* column = new QVBoxLayout;
        m_small[size_t(c)] = new QLabel;
        m_small[size_t(c)]->setAlignment(Qt::AlignCenter);
        m_small[size_t(c)]->setMinimumSize(kSmallSide, kSmallSide);
        m_names[size_t(c)] = new QLabel;
        m_names[size_t(c)]->setAlignment(Qt::AlignCenter);
        column->addWidget(m_small[size_t(c)]);
        column->addWidget(m_names[size_t(c)]);
        row->addLayout(column);
    }
    allLayout->addLayout(row);
    m_take[0] = new QPushButton(take);
    allLayout->addWidget(m_take[0], 0, Qt::AlignRight);
    m_tabs->addTab(all, QString::fromUtf8("전체"));
    connect(m_take[0], &QPushButton::clicked, this, [this] {
        for (int c = 0; c < 3; ++c) m_open(Model(), m_shown, c);
    });

    for (int c = 0; c < 3; ++c) {
        auto* page = new QWidget;
        auto* layout = new QVBoxLayout(page);
        m_large[size_t(c)] = new QLabel;
        m_large[size_t(c)]->setAlignment(Qt::AlignCenter);
        m_large[size_t(c)]->setMinimumSize(kLargeSide, kLargeSide * 3 / 4);
        layout->addWidget(m_large[size_t(c)]);
        m_take[size_t(c + 1)] = new QPushButton(take);
        layout->addWidget(m_take[size_t(c + 1)], 0, Qt::AlignRight);
        m_tabs->addTab(page, QString());
        connect(m_take[size_t(c + 1)], &QPushButton::clicked, this, [this, c] { m_open(Model(), m_shown, c); });
    }

    auto* close = new QPushButton(QString::fromUtf8("닫기"));
    connect(close, &QPushButton::clicked, this, &QDialog::accept);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_choice, 0, Qt::AlignLeft);
    layout->addWidget(m_tabs);
    layout->addWidget(close, 0, Qt::AlignRight);
    connect(m_choice, &QComboBox::currentIndexChanged, this, [this] { Show(); });
    Show();
}

ChannelModel CDlg_ChannelViewer::Model() const { return ChannelModel(m_choice->currentIndex()); }

QString CDlg_ChannelViewer::SignalText(int channel) const { return m_names[size_t(channel)]->text(); }

void CDlg_ChannelViewer::Show() {
    const ChannelModel model = Model();
    m_shown = ConvertPlanes(m_rgb, model);
    for (int c = 0; c < 3; ++c) {
        const QString name = QString::fromUtf8(SignalName(model, c));
        m_names[size_t(c)]->setText(name);
        m_tabs->setTabText(c + 1, name);
        m_small[size_t(c)]->setPixmap(PlanePixmap(m_shown, c, kSmallSide));
        m_large[size_t(c)]->setPixmap(PlanePixmap(m_shown, c, kLargeSide));
    }
}
