// The effect bar: the parameter bar of an effect of the effect list (or of the binary
// conversion, with its sub-mode list). One to three sliders, each with its label
// "%s(%d‥%d)" and an edit box; "실행" runs the effect from the start image, "시작 영상"
// brings the start image back, "닫기" keeps the result, Cancel or Esc discards it. The
// bar is shown modally; whoever opens it records or restores when it returns (see
// EndEffect). Sliders, labels and defaults come from the effect's table entry.
#pragma once

#include <QDialog>
#include <array>
#include <functional>
#include <string>

#include "EffectCatalogue.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSlider;

class CEffectBar : public QDialog {
    Q_OBJECT
public:
    // Runs a long core call: the editor wraps it so that progress shows and Esc stops it.
    using BusyRunner = std::function<Status(const std::function<Status()>&)>;

    // `name`: the effect's name as the effect list shows it, or "임계치변환".
    CEffectBar(COrinDoc& doc, const OperationTable& table, const std::string& name, const TranslationPairs& translations,
               BusyRunner busy, QWidget* parent = nullptr);

    // The table entry the bar runs now (null for a name that runs nothing).
    const Operation* CurrentOperation() const { return m_op; }
    // P1, P2, P3 as the bar holds them (0 for a slider that is off).
    std::array<int, 3> Parameters() const { return m_values; }
    int SliderCount() const;

    // The buttons: "실행", "시작 영상".
    void Run();
    void RestoreStart();

    QSlider* Slider(int i) const { return m_sliders[size_t(i)]; }
    QLabel* Label(int i) const { return m_labels[size_t(i)]; }
    QLineEdit* Edit(int i) const { return m_edits[size_t(i)]; }
    QComboBox* SubModes() const { return m_modes; }
    QPushButton* RunButton() const { return m_run; }
    QPushButton* StartButton() const { return m_start; }
    QPushButton* CloseButton() const { return m_close; }
    QPushButton* CancelButton() const { return m_cancel; }

    // Bar widths for 0, 1, 2 and 3 sliders.
    static constexpr int kWidths[4] = {150, 330, 510, 610};

Q_SIGNALS:
    void documentChanged(COrinDoc* doc);

private:
    void Configure();
    void SliderMoved(int i, int value);
    void EditChanged(int i, const QString& text);

    COrinDoc& m_doc;
    const OperationTable& m_table;
    std::string m_name;
    TranslationPairs m_translations;
    BusyRunner m_busy;
    const Operation* m_op = nullptr;
    std::array<int, 3> m_values{};
    std::array<QSlider*, 3> m_sliders{};
    std::array<QLabel*, 3> m_labels{};
    std::array<QLineEdit*, 3> m_edits{};
    QComboBox* m_modes = nullptr;
    QPushButton* m_run = nullptr;
    QPushButton* m_start = nullptr;
    QPushButton* m_close = nullptr;
    QPushButton* m_cancel = nullptr;
};
