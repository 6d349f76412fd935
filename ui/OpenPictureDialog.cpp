#include "OpenPictureDialog.h"

#include <QGridLayout>
#include <QImageReader>
#include <QLabel>
#include <QPixmap>
#include <cstring>

#include "Codecs.h"
#include "ImageBuffer.h"

namespace {

constexpr int kPreviewSide = 220;

QString QtFilter(const FilterEntry& e) {
    QString patterns = QString::fromUtf8(e.filter);
    patterns.replace(QLatin1Char(';'), QLatin1Char(' '));
    return QStringLiteral("%1 (%2)").arg(QString::fromUtf8(e.label), patterns);
}

QImage FromPicture(const CImageBuffer& picture, const QSize& box) {
    if (!picture.IsValid() || picture.Width() <= 0 || picture.Height() <= 0) return {};
    const QSize size = QSize(picture.Width(), picture.Height()).scaled(box, Qt::KeepAspectRatio).expandedTo(QSize(1, 1));
    std::vector<uint32_t> pixels;
    if (!picture.DrawScaled(pixels, size.width(), size.height())) return {};
    return QImage(reinterpret_cast<const uchar*>(pixels.data()), size.width(), size.height(), size.width() * 4,
                  QImage::Format_RGB32)
        .copy();
}

}  // namespace

QStringList PictureFilters(bool forSave) {
    QStringList filters;
    for (const FilterEntry& e : FilterTable())
        if (forSave ? e.maySave : e.mayOpen) filters << QtFilter(e);
    return filters;
}

QString PictureFilterFor(int formatCode, bool forSave) {
    for (const FilterEntry& e : FilterTable())
        if (e.code == formatCode && (forSave ? e.maySave : e.mayOpen)) return QtFilter(e);
    return {};
}

int FormatOfFilter(const QString& filter) {
    for (const FilterEntry& e : FilterTable())
        if (QtFilter(e) == filter) return e.code;
    return -1;
}

QImage PreviewPicture(const QString& path, const QSize& box) {
    QImageReader reader(path);
    reader.setAutoTransform(true);
    if (reader.canRead()) {
        const QSize full = reader.size();
        if (full.isValid() && (full.width() > box.width() || full.height() > box.height()))
            reader.setScaledSize(full.scaled(box, Qt::KeepAspectRatio).expandedTo(QSize(1, 1)));
        const QImage image = reader.read();
        if (!image.isNull()) return image.scaled(box, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    }
    // Formats Qt does not read: the program's own readers.
    const std::string file = path.toStdString();
    const int code = FormatFromPath(file);
    CImageBuffer picture(kFormatBmp);
    if (code == kFormatPsd) {
        PlainBitmap bitmap;
        if (ImportPsdFile(file, bitmap) != 0 || !picture.FromBitmapHandle(&bitmap)) return {};
    } else if (CanDecode(code)) {
        if (!picture.Load(file, code)) return {};
    } else {
        return {};
    }
    return FromPicture(picture, box);
}

COpenPictureDialog::COpenPictureDialog(QWidget* parent, const QString& folder)
    : QFileDialog(parent, QString::fromUtf8("열기"), folder) {
    setOption(QFileDialog::DontUseNativeDialog, true);
    setFileMode(QFileDialog::ExistingFiles);
    setAcceptMode(QFileDialog::AcceptOpen);
    QStringList filters = PictureFilters(false);
    // The all-pictures entry lists every spelling and format the editor opens, so that
    // ".jpeg", ".tiff", WebP and AVIF pictures show without changing the filter.
    QString all = PictureFilterFor(8, false);
    if (const qsizetype at = filters.indexOf(all); at >= 0 && all.endsWith(QLatin1Char(')'))) {
        all.insert(all.size() - 1, QStringLiteral(" *.jpeg *.tiff *.webp *.avif"));
        filters[at] = all;
    }
    setNameFilters(filters);
    if (!all.isEmpty()) selectNameFilter(all);
    m_preview = new QLabel(this);
    m_preview->setFixedSize(kPreviewSide, kPreviewSide);
    m_preview->setAlignment(Qt::AlignCenter);
    m_preview->setFrameShape(QFrame::StyledPanel);
    if (auto* grid = qobject_cast<QGridLayout*>(layout()))
        grid->addWidget(m_preview, 0, grid->columnCount(), grid->rowCount(), 1);
    connect(this, &QFileDialog::currentChanged, this, &COpenPictureDialog::ShowPreview);
    resize(900, 540);
}

void COpenPictureDialog::ShowPreview(const QString& path) {
    const QImage image = QFileInfo(path).isFile() ? PreviewPicture(path, m_preview->size() - QSize(8, 8)) : QImage();
    if (image.isNull()) m_preview->clear();
    else m_preview->setPixmap(QPixmap::fromImage(image));
}
