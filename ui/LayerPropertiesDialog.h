// "레이어 속성": the layer properties dialog a double click on a layer row opens. Name,
// visibility, transparency (0 opaque .. 255 invisible) and blend mode of one layer,
// each change shown at once through `preview`; Cancel puts the layer back as it was.
// OK leaves the changes in the layer; the caller records the history step.
#pragma once

#include <QDialog>
#include <functional>
#include <string>

class COrinDoc;
class QCheckBox;
class QComboBox;
class QLineEdit;
class QSlider;

class CDlg_LayerProperties : public QDialog {
    Q_OBJECT
public:
    CDlg_LayerProperties(COrinDoc& doc, int slot, std::function<void()> preview, QWidget* parent = nullptr);

    void reject() override;

    QLineEdit* NameEdit() const { return m_name; }
    QCheckBox* VisibleBox() const { return m_visible; }
    QSlider* TransparencySlider() const { return m_transparency; }
    QComboBox* BlendBox() const { return m_blend; }

private:
    void Apply();

    COrinDoc& m_doc;
    int m_slot;
    std::function<void()> m_preview;
    std::u16string m_oldName;
    int m_oldVisible = 1, m_oldTransparency = 0, m_oldBlend = 0;
    QLineEdit* m_name;
    QCheckBox* m_visible;
    QSlider* m_transparency;
    QComboBox* m_blend;
};
