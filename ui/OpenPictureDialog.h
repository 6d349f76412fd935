// The open and save dialogs: the filter table of the picture formats as Qt filters,
// and an open dialog with a picture preview (PNG included, although PNG files cannot
// be opened as documents).
#pragma once

#include <QFileDialog>
#include <QImage>
#include <QStringList>

class QLabel;

// "JPG (*.jpg *.jpeg)", ... in the table's order, for opening or saving.
QStringList PictureFilters(bool forSave);
// The Qt filter of a format code; empty when the table has none.
QString PictureFilterFor(int formatCode, bool forSave);
// The format code of a Qt filter chosen in the dialog; -1 when unknown.
int FormatOfFilter(const QString& filter);
// A preview of a picture file scaled to fit `box`; null when it cannot be read or is
// larger than kPreviewMaxPixels (nothing of such a size is decoded).
inline constexpr int64_t kPreviewMaxPixels = 16 * 1000 * 1000;
QImage PreviewPicture(const QString& path, const QSize& box);

class COpenPictureDialog : public QFileDialog {
    Q_OBJECT
public:
    explicit COpenPictureDialog(QWidget* parent = nullptr, const QString& folder = QString());

private:
    void ShowPreview(const QString& path);
    QLabel* m_preview;
};
