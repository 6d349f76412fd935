// "   새창열기": the new-picture dialog. Collects the width, height and window name of
// a new blank picture.
#pragma once

#include <QDialog>

class QLineEdit;
class QSpinBox;

class CDlg_NewPicture : public QDialog {
    Q_OBJECT
public:
    explicit CDlg_NewPicture(QWidget* parent = nullptr);

    void SetValues(int width, int height, const QString& name);
    int PictureWidth() const;
    int PictureHeight() const;
    QString WindowName() const;

private:
    QSpinBox* m_width;
    QSpinBox* m_height;
    QLineEdit* m_name;
};
