// "글자입력": the text tool's dialog. A multi-line text (typed directly or composed
// through an input method, preedit shown in place), the face (the current face first),
// the size (half the stored size, the current value first), the style (the current
// style first), "Strikeout", "Underline", the colour, and the hint to place the text
// with the move tool afterwards.
#pragma once

#include <QDialog>

#include "TextLayer.h"

class QCheckBox;
class QComboBox;
class QPlainTextEdit;
class CColourSwatch;

class CDlg_TextInput : public QDialog {
    Q_OBJECT
public:
    explicit CDlg_TextInput(const TextSettings& start, QWidget* parent = nullptr);

    // The dialog's values: the size is the shown number x 2; line ends are "\r\n".
    TextSettings Values() const;

    QPlainTextEdit* TextEdit() const { return m_text; }
    QComboBox* FaceBox() const { return m_face; }
    QComboBox* SizeBox() const { return m_size; }
    QComboBox* StyleBox() const { return m_style; }
    QCheckBox* StrikeoutBox() const { return m_strikeout; }
    QCheckBox* UnderlineBox() const { return m_underline; }
    CColourSwatch* ColourButton() const { return m_colour; }

private:
    void ShowFace();

    QPlainTextEdit* m_text;
    QComboBox* m_face;
    QComboBox* m_size;
    QComboBox* m_style;
    QCheckBox* m_strikeout;
    QCheckBox* m_underline;
    CColourSwatch* m_colour;
};
