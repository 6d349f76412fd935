#include "EffectBar.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSlider>
#include <QVBoxLayout>

CEffectBar::CEffectBar(COrinDoc& doc, const OperationTable& table, const std::string& name,
                       const TranslationPairs& translations, BusyRunner busy, QWidget* parent)
    : QDialog(parent), m_doc(doc), m_table(table), m_name(name), m_translations(translations), m_busy(std::move(busy)) {
    setWindowTitle(QString::fromStdString(name));
    auto* sliders = new QHBoxLayout;
    for (int i = 0; i < 3; ++i) {
        auto* column = new QVBoxLayout;
        m_labels[size_t(i)] = new QLabel(this);
        m_sliders[size_t(i)] = new QSlider(Qt::Horizontal, this);
        m_sliders[size_t(i)]->setTickPosition(QSlider::TicksBelow);
        m_edits[size_t(i)] = new QLineEdit(this);
        m_edits[size_t(i)]->setMaximumWidth(60);
        column->addWidget(m_labels[size_t(i)]);
        column->addWidget(m_sliders[size_t(i)]);
        column->addWidget(m_edits[size_t(i)]);
        sliders->addLayout(column);
        connect(m_sliders[size_t(i)], &QSlider::valueChanged, this, [this, i](int v) { SliderMoved(i, v); });
        connect(m_edits[size_t(i)], &QLineEdit::textEdited, this, [this, i](const QString& t) { EditChanged(i, t); });
    }
    m_modes = new QComboBox(this);
    for (const char* mode : BinaryModeNames()) m_modes->addItem(QString::fromUtf8(mode));
    m_modes->setEnabled(name == kBinaryEffect);
    m_modes->setVisible(name == kBinaryEffect);
    connect(m_modes, &QComboBox::currentIndexChanged, this, [this] { Configure(); });

    m_run = new QPushButton(QString::fromUtf8("실행"), this);
    m_start = new QPushButton(QString::fromUtf8("시작 영상"), this);
    m_close = new QPushButton(QString::fromUtf8("닫기"), this);
    m_cancel = new QPushButton(QString::fromUtf8("취소"), this);
    m_run->setDefault(true);
    connect(m_run, &QPushButton::clicked, this, &CEffectBar::Run);
    connect(m_start, &QPushButton::clicked, this, &CEffectBar::RestoreStart);
    connect(m_close, &QPushButton::clicked, this, &QDialog::accept);
    connect(m_cancel, &QPushButton::clicked, this, &QDialog::reject);
    auto* buttons = new QGridLayout;
    buttons->addWidget(m_run, 0, 0);
    buttons->addWidget(m_start, 0, 1);
    buttons->addWidget(m_close, 1, 0);
    buttons->addWidget(m_cancel, 1, 1);

    auto* top = new QVBoxLayout(this);
    top->addWidget(m_modes);
    auto* row = new QHBoxLayout;
    row->addLayout(sliders, 1);
    row->addLayout(buttons);
    top->addLayout(row);
    Configure();
}

int CEffectBar::SliderCount() const { return m_op ? std::min<int>(3, int(m_op->params.size())) : 0; }

void CEffectBar::Configure() {
    m_op = FindEffect(m_table, m_name, m_modes->currentIndex(), m_translations);
    const int count = SliderCount();
    for (int i = 0; i < 3; ++i) {
        QSlider* slider = m_sliders[size_t(i)];
        const QSignalBlocker block(slider);
        const bool on = i < count;
        slider->setVisible(on);
        m_labels[size_t(i)]->setVisible(on);
        m_edits[size_t(i)]->setVisible(on);
        slider->setEnabled(on);
        m_labels[size_t(i)]->setEnabled(on);
        m_edits[size_t(i)]->setEnabled(on);
        if (!on) {
            m_values[size_t(i)] = 0;
            m_labels[size_t(i)]->setText(QString::fromUtf8("미지정"));
            m_edits[size_t(i)]->setText(QStringLiteral("0"));
            continue;
        }
        const OpParam& p = m_op->params[size_t(i)];
        slider->setRange(p.min, p.max);
        slider->setTickInterval(std::max(1, (p.max - p.min) / 20));
        slider->setPageStep((p.max - p.min) / 10 + 1);
        slider->setValue(p.def);
        // The default stands even where it lies off the slider's scale.
        m_values[size_t(i)] = p.def;
        m_labels[size_t(i)]->setText(
            QStringLiteral("%1(%2‥%3)").arg(QString::fromStdString(p.label)).arg(p.min).arg(p.max));
        m_edits[size_t(i)]->setText(QString::number(p.def));
    }
    setFixedWidth(kWidths[count]);
}

void CEffectBar::SliderMoved(int i, int value) {
    m_values[size_t(i)] = value;
    m_edits[size_t(i)]->setText(QString::number(value));
}

void CEffectBar::EditChanged(int i, const QString& text) {
    bool ok = false;
    const int value = text.trimmed().toInt(&ok, 10);
    if (!ok) return;
    m_values[size_t(i)] = value;
    const QSignalBlocker block(m_sliders[size_t(i)]);
    m_sliders[size_t(i)]->setValue(value);
}

void CEffectBar::Run() {
    for (int i = 0; i < SliderCount(); ++i) m_edits[size_t(i)]->setText(QString::number(m_values[size_t(i)]));
    if (!m_op) return;
    const OpValues values = ClampedValues(*m_op, {m_values[0], m_values[1], m_values[2]});
    const Status status = m_busy([&] { return RunEffect(m_doc, *m_op, values); });
    if (!status && !status.message.empty()) m_doc.workspace.Message(status.message);
    Q_EMIT documentChanged(&m_doc);
}

void CEffectBar::RestoreStart() {
    if (!m_op) return;
    RestoreEffectStart(m_doc, *m_op);
    Q_EMIT documentChanged(&m_doc);
}
