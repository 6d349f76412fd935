// "레이어 이름 변경": one text field of at most 15 characters, empty at first.
#pragma once

#include <QDialog>

class QLineEdit;

class CDlg_Change_LayerName : public QDialog {
    Q_OBJECT
public:
    static constexpr int kMaxLength = 15;
    explicit CDlg_Change_LayerName(QWidget* parent = nullptr);
    QString Name() const;
    QLineEdit* Field() const { return m_name; }

private:
    QLineEdit* m_name;
};
