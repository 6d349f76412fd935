// The start-up offer of crash recovery: the copies that an editor which ended
// abnormally left, with their picture's name, the time of the copy and the file it
// came from; each can be opened (as an unsaved document), saved elsewhere as a
// project, or discarded. Closing the window keeps the rest for the next start.
#pragma once

#include <QDialog>
#include <functional>
#include <vector>

#include "Recovery.h"

class QPushButton;
class QTableWidget;

class CRecoveryDialog : public QDialog {
public:
    // `open` opens a copy in the editor; true when it did.
    CRecoveryDialog(std::vector<RecoverableCopy> copies, std::function<bool(const RecoverableCopy&)> open,
                    QWidget* parent = nullptr);
    const std::vector<RecoverableCopy>& Remaining() const { return m_copies; }

    // The actions on the selected row (also what the buttons do).
    bool OpenSelected();
    bool SaveSelectedAs(const QString& path);
    void DiscardSelected();
    void Select(int row);

private:
    void Fill();
    void RemoveSelected();
    int Selected() const;

    std::vector<RecoverableCopy> m_copies;
    std::function<bool(const RecoverableCopy&)> m_open;
    QTableWidget* m_table;
    QPushButton* m_openButton;
    QPushButton* m_saveButton;
    QPushButton* m_discardButton;
};

// Offers the copies in `folder` when there are any; `open` as above.
void OfferRecovery(QWidget* parent, const std::string& folder, const std::function<bool(const RecoverableCopy&)>& open);
