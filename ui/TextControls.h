// Controls shared by the text, calendar and frame dialogs: the font face list (the
// given face first, then the faces that cover Korean, then the others), the style
// list (the current style first, then "Regular", "Italic", "Bold", "Bold Italic") and a
// colour swatch that opens the colour chooser.
#pragma once

#include <QPushButton>
#include <cstdint>
#include <functional>
#include <string>

class QComboBox;

void FillFaceBox(QComboBox* box, const std::string& first);
std::string ChosenFace(const QComboBox* box);
void FillStyleBox(QComboBox* box, int current);
int ChosenStyle(const QComboBox* box);

class CColourSwatch : public QPushButton {
    Q_OBJECT
public:
    CColourSwatch(uint32_t colour, const QString& title, QWidget* parent = nullptr);
    uint32_t Colour() const { return m_colour; }
    void SetColour(uint32_t colour);
    // Opens the chooser (full chooser, starting from the current colour).
    void Choose();
    // Replaces the colour chooser (tests): initial colour and title in, the chosen
    // colour out (invalid for Cancel).
    std::function<QColor(const QColor&, const QString&)> chooser;

Q_SIGNALS:
    void colourChosen(uint32_t colour);

private:
    uint32_t m_colour;
    QString m_title;
};
