// "붓크기": the brush-size dialog. Eight buttons offer the dab radii 8 down to 1, each
// showing a dot of its size; a press chooses that size and closes the dialog.
#pragma once

#include <QDialog>
#include <array>

class QPushButton;

class CDlg_BrushSize : public QDialog {
    Q_OBJECT
public:
    static constexpr int kSmallest = 1;
    static constexpr int kLargest = 8;

    explicit CDlg_BrushSize(QWidget* parent = nullptr);

    // The size shown pressed when the dialog opens; the chosen one after it closed.
    void SetSize(int size);
    int Size() const { return m_size; }
    // The button of a size (1..8).
    QPushButton* SizeButton(int size) const;

private:
    void Choose(int size);

    int m_size = kSmallest;
    std::array<QPushButton*, kLargest> m_buttons{};  // [size - 1]
};
