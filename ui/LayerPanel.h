// The layer and history panel: the page "레이어보기" lists the layers in stack order
// from the bottom, each row with a visibility switch, a preview and the name; the page
// "작업내역" lists the history steps with the undo and redo buttons. Selecting a row
// makes its layer current; dropping a row on another swaps the two layers. The panel
// calls the core directly and announces every change with documentChanged().
#pragma once

#include <QListWidget>
#include <QWidget>
#include <vector>

#include "CommandMap.h"

class COrinDoc;
class QMenu;
class QPushButton;
class QTabWidget;
class QToolButton;

// A layer list whose drops are reported instead of moving rows.
class CLayerList : public QListWidget {
    Q_OBJECT
public:
    explicit CLayerList(QWidget* parent = nullptr);
Q_SIGNALS:
    void rowDropped(int from, int to);

protected:
    void dropEvent(QDropEvent* event) override;
};

class CLayerPanel : public QWidget {
    Q_OBJECT
public:
    static constexpr int kVisibleRows = 11;
    static constexpr int kShrunkHeight = 320;

    explicit CLayerPanel(QWidget* parent = nullptr);

    void SetDocument(COrinDoc* doc);
    COrinDoc* Document() const { return m_doc; }
    // Rebuilds both pages from the document.
    void Refresh();

    // The layer slot shown in a row (row 0 is the bottom layer); -1 when none.
    int SlotOfRow(int row) const;
    // Swaps the layers of two rows (what a drop does).
    void SwapRows(int from, int to);
    void SelectRow(int row);
    void ToggleVisibility(int row);
    void ToggleSize();
    // A click on a history row: undo or redo step by step until `position` is the
    // present step (rows above the present one are the steps redo brings back).
    void GoToStep(int position);
    bool Grown() const { return m_grown; }

    CLayerList* LayerList() const { return m_layers; }
    QListWidget* HistoryList() const { return m_history; }
    QPushButton* UndoButton() const { return m_undo; }
    QPushButton* RedoButton() const { return m_redo; }
    QPushButton* SizeButton() const { return m_size; }
    // The layer command buttons under the list; each Q_EMITs commandRequested with its id.
    const std::vector<QToolButton*>& CommandButtons() const { return m_commandButtons; }
    QTabWidget* Pages() const { return m_pages; }
    // The layer list's pop-up menu (copy, paste, duplicate, delete, add, rename,
    // flatten, rasterise); its entries Q_EMIT commandRequested.
    QMenu* LayerMenu() const { return m_menu; }

Q_SIGNALS:
    // Before the history buttons change the document (a tool's unfinished preview is
    // taken back first), and after any change the panel makes.
    void documentAboutToChange(COrinDoc* doc);
    void documentChanged(COrinDoc* doc);
    void commandRequested(int id);
    // The size button: true = grow to the main window's client height.
    void sizeToggled(bool grown);
    // A text layer's row was double-clicked: its text is to be edited.
    void textEditRequested(COrinDoc* doc);
    // A scale bar's row was double-clicked: its values are to be edited.
    void scaleBarEditRequested(COrinDoc* doc);
    // Another layer's row was double-clicked: its properties dialog is to open.
    void propertiesRequested(COrinDoc* doc);

private:
    void OnItemChanged(QListWidgetItem* item);
    void OnCurrentRowChanged(int row);
    void Undo();
    void Redo();

    COrinDoc* m_doc = nullptr;
    QTabWidget* m_pages;
    CLayerList* m_layers;
    QListWidget* m_history;
    QPushButton* m_undo;
    std::vector<QToolButton*> m_commandButtons;
    QPushButton* m_redo;
    QPushButton* m_size;
    QMenu* m_menu;
    bool m_grown = false;
    bool m_filling = false;
};
