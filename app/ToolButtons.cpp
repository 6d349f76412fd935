#include "ToolButtons.h"

#include <QFile>
#include <QIconEngine>
#include <QPainter>
#include <QPixmap>
#include <QSvgRenderer>
#include <memory>

#include "CommandMap.h"
#include "Tools.h"

namespace {

// Renders the SVG at the exact size asked: no scaled-up bitmap on a HiDPI screen.
class SvgIconEngine : public QIconEngine {
public:
    explicit SvgIconEngine(const QString& path) : m_path(path), m_renderer(std::make_shared<QSvgRenderer>(path)) {}

    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State) override {
        if (mode == QIcon::Disabled) painter->setOpacity(0.35);
        m_renderer->render(painter, QRectF(rect));
        painter->setOpacity(1);
    }
    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
        QPixmap pixmap(size);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        paint(&painter, QRect(QPoint(0, 0), size), mode, state);
        return pixmap;
    }
    QPixmap scaledPixmap(const QSize& size, QIcon::Mode mode, QIcon::State state, qreal scale) override {
        // Qt asks in device pixels already (the logical size times `scale`).
        QPixmap p = pixmap(size, mode, state);
        p.setDevicePixelRatio(scale);
        return p;
    }
    QIconEngine* clone() const override { return new SvgIconEngine(*this); }
    QString key() const override { return QStringLiteral("TessaroSvg"); }
    bool isNull() override { return !m_renderer->isValid(); }

private:
    QString m_path;
    std::shared_ptr<QSvgRenderer> m_renderer;
};

// One key per tool bar button, none of them a menu shortcut (all of those hold Ctrl or
// are function keys and Del).
constexpr std::pair<int, char> kToolKeys[] = {
    {kCmdMove, 'V'},       {kCmdRectSelect, 'M'}, {kCmdPolygonSelect, 'P'}, {kCmdFreeSelect, 'L'},
    {kCmdAutoSelect, 'W'}, {kCmdBrush, 'B'},      {kCmdLine, 'N'},          {kCmdCircle, 'O'},
    {kCmdPolyline, 'Y'},   {kCmdSpray, 'A'},      {kCmdEraser, 'E'},        {kCmdFill, 'G'},
    {kCmdWaterDrop, 'R'},  {kCmdGradient, 'D'},   {kCmdText, 'T'},          {kCmdDot, 'S'},
    {kCmdColourPick, 'I'},
};

}  // namespace

QIcon ToolIcon(const Tool& tool) {
    const QString path = QStringLiteral(":/tools/%1.svg").arg(QString::fromUtf8(tool.key));
    if (!QFile::exists(path)) return {};
    return QIcon(new SvgIconEngine(path));
}

QKeySequence ToolShortcut(int id) {
    for (const auto& [tool, key] : kToolKeys)
        if (tool == id) return QKeySequence(QString(QChar(key)));
    return {};
}

QString ToolTipText(const QString& name, const QKeySequence& key) {
    return key.isEmpty() ? name : QStringLiteral("%1 (%2)").arg(name, key.toString(QKeySequence::NativeText));
}

namespace {
ToolBarGroup GroupOfPlace(int group) { return group == 1 ? ToolBarGroup::kPainting : ToolBarGroup::kSelection; }
}  // namespace

ToolPlace ToolBarPlace(int id) {
    int number[2] = {0, 0};
    for (const Tool& t : Tools()) {
        if (t.bar == ToolBarGroup::kNone) continue;
        const int group = t.bar == ToolBarGroup::kPainting ? 1 : 0;
        ++number[group];
        if (t.id == id) return {number[group], group};
    }
    return {0, 0};
}

int ToolAtPlace(int number, int group) {
    int first = -1, at = 0;
    for (const Tool& t : Tools()) {
        if (t.bar != GroupOfPlace(group)) continue;
        if (first < 0) first = t.id;
        if (++at == number) return t.id;
    }
    return first;
}
