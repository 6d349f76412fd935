// "사진틀 넣기": the photo frame dialog. Four style buttons with sample pictures, the
// thickness (steps of 1, never below 5), the main and secondary colours. Every change
// asks for the frame to be applied again; OK accepts a thickness of 5 to 300 only.
#pragma once

#include <QDialog>

#include "PhotoFrame.h"

class QLabel;
class QPushButton;
class QSpinBox;
class CColourSwatch;

class CDlg_PhotoFrame : public QDialog {
    Q_OBJECT
public:
    CDlg_PhotoFrame(const FrameSettings& start, QWidget* parent = nullptr);
    FrameSettings Values() const;
    bool StyleChosen() const { return m_chosen; }

    QPushButton* StyleButton(int style) const { return m_styles[style]; }
    QSpinBox* ThicknessBox() const { return m_thickness; }
    CColourSwatch* MainButton() const { return m_main; }
    CColourSwatch* SecondaryButton() const { return m_secondary; }
    QLabel* Prompt() const { return m_prompt; }

    void accept() override;

Q_SIGNALS:
    // A style, the thickness or a colour changed: the frame is applied again.
    void settingsChanged(const FrameSettings& settings);

private:
    void ChooseStyle(int style);
    void Changed();

    QPushButton* m_styles[4];
    QSpinBox* m_thickness;
    CColourSwatch* m_main;
    CColourSwatch* m_secondary;
    QLabel* m_prompt;
    int m_style = 0;
    bool m_chosen = false;
};

Q_DECLARE_METATYPE(FrameSettings)
