#include "TextControls.h"

#include <QColorDialog>
#include <QComboBox>
#include <QPixmap>

#include "QtColours.h"
#include "TextLayer.h"
#include "TextRenderer.h"

void FillFaceBox(QComboBox* box, const std::string& first) {
    box->clear();
    const std::vector<FontFamily> families = ListFontFamilies();
    const bool known = !first.empty() && IsKnownFontFamily(first);
    const QString lead = QString::fromStdString(known ? first : DefaultKoreanFamily());
    if (!lead.isEmpty()) box->addItem(lead);
    for (const FontFamily& f : families) {
        const QString name = QString::fromStdString(f.name);
        if (name.compare(lead, Qt::CaseInsensitive) != 0) box->addItem(name);
    }
    box->setCurrentIndex(0);
}

std::string ChosenFace(const QComboBox* box) { return box->currentText().toStdString(); }

void FillStyleBox(QComboBox* box, int current) {
    box->clear();
    current = current >= 0 && current < 4 ? current : 0;
    box->addItem(QString::fromLatin1(kTextStyleNames[current]), current);
    for (int i = 0; i < 4; ++i) box->addItem(QString::fromLatin1(kTextStyleNames[i]), i);
    box->setCurrentIndex(0);
}

int ChosenStyle(const QComboBox* box) { return box->currentData().toInt(); }

CColourSwatch::CColourSwatch(uint32_t colour, const QString& title, QWidget* parent)
    : QPushButton(parent), m_colour(colour), m_title(title) {
    setAutoDefault(false);
    setToolTip(title);
    SetColour(colour);
    connect(this, &QPushButton::clicked, this, &CColourSwatch::Choose);
}

void CColourSwatch::SetColour(uint32_t colour) {
    m_colour = colour & 0xFFFFFF;
    QPixmap swatch(28, 16);
    swatch.fill(ToQColor(m_colour));
    setIcon(QIcon(swatch));
    setIconSize(swatch.size());
}

void CColourSwatch::Choose() {
    const QColor chosen = chooser ? chooser(ToQColor(m_colour), m_title)
                                  : QColorDialog::getColor(ToQColor(m_colour), this, m_title);
    if (!chosen.isValid()) return;
    SetColour(FromQColor(chosen));
    Q_EMIT colourChosen(m_colour);
}
