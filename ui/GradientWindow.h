// "그라디언트": the small modeless window of the gradient tool. The first pair of
// mutually exclusive buttons (check marks) sets the gradient kind to 1 (foreground to
// black) or 2 (foreground to background); the second pair (pressed state) sets the
// shape to 2 (symmetric) or 1 (one way). OK ends the tool (current tool -1) and
// closes the window.
#pragma once

#include <QDialog>

struct Workspace;
class QCheckBox;
class QPushButton;

class CDlg_Gradient : public QDialog {
    Q_OBJECT
public:
    explicit CDlg_Gradient(Workspace& workspace, QWidget* parent = nullptr);

    // The buttons show the workspace's kind and shape.
    void Refresh();

    QCheckBox* KindButton(int kind) const;
    QPushButton* ShapeButton(int shape) const;
    QPushButton* OkButton() const { return m_ok; }

Q_SIGNALS:
    // OK cleared the current tool.
    void toolEnded();

private:
    void SetKind(int kind);
    void SetShape(int shape);
    void Finish();

    Workspace& m_ws;
    QCheckBox* m_toBlack;
    QCheckBox* m_toBackground;
    QPushButton* m_symmetric;
    QPushButton* m_oneWay;
    QPushButton* m_ok;
};
