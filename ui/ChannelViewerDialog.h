// The channel viewer of the RGB split: the current layer's three planes shown as grey
// pictures in the representation chosen from "RGB 표현", "YUV 표현", "HSL 표현" (the
// choice is kept while the dialog lives and repaints it). A tab control holds the
// three planes side by side and each plane alone; the "선택 후 새창에 담기" button of a
// tab puts what that tab shows into new grey documents (all three, or that one).
#pragma once

#include <QDialog>
#include <array>
#include <functional>

#include "ChannelSplit.h"

class QComboBox;
class QLabel;
class QPushButton;
class QTabWidget;

class CDlg_ChannelViewer : public QDialog {
    Q_OBJECT
public:
    // `open(model, planes, channel)` makes the new document of one channel of the planes
    // as the chosen model gives them.
    using OpenChannel = std::function<void(ChannelModel model, const ChannelPlanes& planes, int channel)>;
    CDlg_ChannelViewer(ChannelPlanes rgb, OpenChannel open, QWidget* parent = nullptr);

    ChannelModel Model() const;
    QComboBox* Representation() const { return m_choice; }
    QTabWidget* Tabs() const { return m_tabs; }
    // The button of tab 0 (all three) .. 3 (the third channel).
    QPushButton* TakeButton(int tab) const { return m_take[size_t(tab)]; }
    // The label under plane `channel` of the first tab: "R-시그널", "Y-시그널", ...
    QString SignalText(int channel) const;

private:
    void Show();

    ChannelPlanes m_rgb;
    ChannelPlanes m_shown;
    OpenChannel m_open;
    QComboBox* m_choice;
    QTabWidget* m_tabs;
    std::array<QLabel*, 3> m_small{};
    std::array<QLabel*, 3> m_names{};
    std::array<QLabel*, 3> m_large{};
    std::array<QPushButton*, 4> m_take{};
};
