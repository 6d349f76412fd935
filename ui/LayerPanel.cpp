#include "LayerPanel.h"

#include <QDropEvent>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QMenu>
#include <QPainter>
#include <QPushButton>
#include <QGridLayout>
#include <QToolButton>
#include <QTabWidget>
#include <QVBoxLayout>

#include "CommandMap.h"
#include "DocumentOperations.h"
#include "Compositor.h"
#include "DocumentOperations.h"
#include "Document.h"
#include "History.h"
#include "LayerModel.h"
#include "LayerOps.h"
#include "Messages.h"
#include "ScaleBar.h"
#include "Utf16.h"

namespace {

constexpr QSize kThumbnail(48, 36);

QString Utf16ToQString(const std::u16string& text) {
    return QString::fromUtf16(text.data(), qsizetype(text.size()));
}
constexpr int kSlotRole = Qt::UserRole + 1;
constexpr int kStepRole = Qt::UserRole + 2;  // a history row's position

// The layer alone, scaled into the thumbnail box over a chequer for its transparency.
QPixmap LayerThumbnail(const COrinDoc& doc, int slot) {
    QPixmap pixmap(kThumbnail);
    pixmap.fill(Qt::transparent);
    if (doc.canvas.width <= 0 || doc.canvas.height <= 0) return pixmap;
    const QSize size =
        QSize(doc.canvas.width, doc.canvas.height).scaled(kThumbnail, Qt::KeepAspectRatio).expandedTo(QSize(1, 1));
    std::vector<uint32_t> pixels;
    DrawOneLayer(doc, slot, size.width(), size.height(), pixels);
    const QImage image(reinterpret_cast<const uchar*>(pixels.data()), size.width(), size.height(), size.width() * 4,
                       QImage::Format_ARGB32_Premultiplied);
    QPainter painter(&pixmap);
    const QRect box(QPoint((kThumbnail.width() - size.width()) / 2, (kThumbnail.height() - size.height()) / 2), size);
    painter.fillRect(box, QBrush(QColor(0xBF, 0xBF, 0xBF), Qt::DiagCrossPattern));
    painter.drawImage(box.topLeft(), image);
    painter.setPen(QColor(0x80, 0x80, 0x80));
    painter.drawRect(box.adjusted(0, 0, -1, -1));
    return pixmap;
}

}  // namespace

CLayerList::CLayerList(QWidget* parent) : QListWidget(parent) {
    setDragDropMode(QAbstractItemView::InternalMove);
    setDefaultDropAction(Qt::MoveAction);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setIconSize(kThumbnail);
    setContextMenuPolicy(Qt::CustomContextMenu);
}

void CLayerList::dropEvent(QDropEvent* event) {
    const int from = currentRow();
    const QModelIndex target = indexAt(event->position().toPoint());
    // The rows are rebuilt from the document; the list never moves them itself.
    event->setDropAction(Qt::IgnoreAction);
    event->accept();
    if (from >= 0 && target.isValid() && target.row() != from) Q_EMIT rowDropped(from, target.row());
}

CLayerPanel::CLayerPanel(QWidget* parent) : QWidget(parent) {
    m_pages = new QTabWidget(this);

    auto* layerPage = new QWidget;
    m_layers = new CLayerList(layerPage);
    auto* layerBox = new QVBoxLayout(layerPage);
    layerBox->setContentsMargins(2, 2, 2, 2);
    // The list grows up to its eleven rows; the room below stays empty.
    layerBox->addWidget(m_layers, 100);
    layerBox->addStretch(1);
    // The layer commands as buttons under the list (each names its command in its tip).
    auto* commandRow = new QGridLayout;
    commandRow->setSpacing(2);
    const std::pair<int, const char*> commands[] = {
        {kCmdAddLayer, "추가"},          {kCmdDeleteLayer, "삭제"},    {kCmdDuplicateLayer, "복제"},
        {kCmdMergeAbove, "위 합침"},     {kCmdMergeBelow, "아래 합침"}, {kCmdFlatten, "떡그림"},
        {kCmdLayerEffect, "그림자"},     {kCmdRemoveLayerEffect, "그림자 제거"}, {kCmdRenameLayer, "이름"},
    };
    int index = 0;
    for (const auto& [id, text] : commands) {
        auto* button = new QToolButton(layerPage);
        button->setText(QString::fromUtf8(text));
        button->setObjectName(QStringLiteral("layerCommand%1").arg(id));
        const CommandEntry* entry = FindCommand(id);
        const QString tip = QString::fromUtf8(entry ? entry->label : "레이어 이름 변경").split('\t').first();
        button->setToolTip(tip.trimmed());
        button->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
        connect(button, &QToolButton::clicked, this, [this, id = id] {
            if (m_doc) Q_EMIT commandRequested(id);
        });
        m_commandButtons.push_back(button);
        commandRow->addWidget(button, index / 3, index % 3);
        ++index;
    }
    layerBox->addLayout(commandRow);
    m_pages->addTab(layerPage, QString::fromUtf8("레이어보기"));

    auto* historyPage = new QWidget;
    m_history = new QListWidget(historyPage);
    m_history->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    m_history->setSelectionMode(QAbstractItemView::NoSelection);
    m_undo = new QPushButton(QString::fromUtf8("(Undo) 뒤로 회복"), historyPage);
    m_redo = new QPushButton(QString::fromUtf8("(Redo) 앞으로 회복"), historyPage);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_undo);
    buttons->addWidget(m_redo);
    auto* historyBox = new QVBoxLayout(historyPage);
    historyBox->setContentsMargins(2, 2, 2, 2);
    historyBox->addWidget(m_history);
    historyBox->addLayout(buttons);
    m_pages->addTab(historyPage, QString::fromUtf8("작업내역"));

    m_size = new QPushButton(QString::fromUtf8("늘린창"), this);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->addWidget(m_pages);
    layout->addWidget(m_size, 0, Qt::AlignRight);

    m_menu = new QMenu(this);
    const std::pair<int, const char*> entries[] = {
        {kCmdCopy, "복사"},           {kCmdPaste, "붙이기"},         {kCmdDuplicateLayer, "복제 레이어 만들기"},
        {kCmdDeleteLayer, "레이어삭제"}, {kCmdAddLayer, "레이어추가"},    {kCmdRenameLayer, "레이어 이름 변경"},
        {kCmdFlatten, "떡그림만들기"},   {kCmdRasterize, "레스터 형식으로 변환"},
    };
    for (const auto& [id, text] : entries) {
        QAction* action = m_menu->addAction(QString::fromUtf8(text));
        action->setData(id);
        connect(action, &QAction::triggered, this, [this, id = id] { Q_EMIT commandRequested(id); });
    }

    connect(m_layers, &QListWidget::itemChanged, this, &CLayerPanel::OnItemChanged);
    connect(m_layers, &QListWidget::currentRowChanged, this, &CLayerPanel::OnCurrentRowChanged);
    connect(m_layers, &CLayerList::rowDropped, this, &CLayerPanel::SwapRows);
    connect(m_layers, &QListWidget::itemDoubleClicked, this, [this] {
        const LayerRecord* layer = m_doc ? m_doc->CurrentLayer() : nullptr;
        if (layer && layer->kind == kLayerText) Q_EMIT textEditRequested(m_doc);
        else if (layer && ReadScaleBar(*layer)) Q_EMIT scaleBarEditRequested(m_doc);
        else if (layer) Q_EMIT propertiesRequested(m_doc);
    });
    connect(m_layers, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        if (m_doc) m_menu->popup(m_layers->viewport()->mapToGlobal(at));
    });
    connect(m_history, &QListWidget::itemClicked, this,
            [this](QListWidgetItem* item) { GoToStep(item->data(kStepRole).toInt()); });
    connect(m_undo, &QPushButton::clicked, this, &CLayerPanel::Undo);
    connect(m_redo, &QPushButton::clicked, this, &CLayerPanel::Redo);
    connect(m_size, &QPushButton::clicked, this, &CLayerPanel::ToggleSize);
    Refresh();
}

void CLayerPanel::SetDocument(COrinDoc* doc) {
    m_doc = doc;
    Refresh();
}

void CLayerPanel::Refresh() {
    m_filling = true;
    m_layers->clear();
    m_history->clear();
    int currentRow = -1;
    if (m_doc) {
        for (const LayerRow& row : LayerRows(*m_doc)) {
            auto* item = new QListWidgetItem(QIcon(LayerThumbnail(*m_doc, row.slot)), Utf16ToQString(row.name));
            item->setData(kSlotRole, row.slot);
            item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable | Qt::ItemIsDragEnabled |
                           Qt::ItemIsDropEnabled);
            item->setCheckState(row.visible ? Qt::Checked : Qt::Unchecked);
            m_layers->addItem(item);
            if (row.current) currentRow = m_layers->count() - 1;
        }
        // Steps that redo would bring back are listed greyed above the present one.
        const History& h = m_doc->history;
        int redone = std::min(h.top, History::kPositions - 1);
        for (const std::string& text : RedoRows(*m_doc)) {
            auto* item = new QListWidgetItem(QString::fromStdString(text));
            item->setData(kStepRole, redone--);
            item->setForeground(palette().color(QPalette::Disabled, QPalette::Text));
            m_history->addItem(item);
        }
        int position = h.position;
        for (const std::string& text : HistoryRows(*m_doc)) {
            auto* item = new QListWidgetItem(QString::fromStdString(text));
            item->setData(kStepRole, std::max(position--, 0));
            m_history->addItem(item);
        }
        for (int row = 0; row < m_history->count(); ++row)
            if (m_history->item(row)->data(kStepRole).toInt() == h.position) m_history->item(row)->setSelected(true);
    }
    m_layers->setCurrentRow(currentRow);
    // At most 11 rows are shown at a time; more scroll.
    const int rowHeight = std::max(kThumbnail.height() + 4, m_layers->sizeHintForRow(0));
    m_layers->setMaximumHeight(kVisibleRows * rowHeight + 2 * m_layers->frameWidth());
    m_undo->setEnabled(m_doc && CanUndo(*m_doc));
    m_redo->setEnabled(m_doc && CanRedo(*m_doc));
    const LayerRecord* current = m_doc ? m_doc->CurrentLayer() : nullptr;
    for (QToolButton* button : m_commandButtons) {
        const bool removesEffect = button->objectName().endsWith(QString::number(kCmdRemoveLayerEffect));
        button->setEnabled(current && (!removesEffect || current->effectOn));
    }
    m_filling = false;
}

int CLayerPanel::SlotOfRow(int row) const {
    const QListWidgetItem* item = m_layers->item(row);
    return item ? item->data(kSlotRole).toInt() : -1;
}

void CLayerPanel::SwapRows(int from, int to) {
    const int a = SlotOfRow(from), b = SlotOfRow(to);
    if (!m_doc || a < 0 || b < 0 || a == b) return;
    SwapLayers(*m_doc, a, b);
    Refresh();
    Q_EMIT documentChanged(m_doc);
}

void CLayerPanel::SelectRow(int row) {
    const int slot = SlotOfRow(row);
    if (!m_doc || slot < 0 || slot == m_doc->layers.current) return;
    SelectLayer(*m_doc, slot);
    Q_EMIT documentChanged(m_doc);
}

void CLayerPanel::ToggleVisibility(int row) {
    const int slot = SlotOfRow(row);
    if (!m_doc || slot < 0) return;
    SetLayerVisible(*m_doc, slot, m_doc->layers[slot].visible != 1);
    m_doc->Touch();
    Refresh();
    Q_EMIT documentChanged(m_doc);
}

void CLayerPanel::ToggleSize() {
    m_grown = !m_grown;
    m_size->setText(QString::fromUtf8(m_grown ? "줄인창" : "늘린창"));
    Q_EMIT sizeToggled(m_grown);
}

void CLayerPanel::OnItemChanged(QListWidgetItem* item) {
    if (m_filling || !m_doc) return;
    const int row = m_layers->row(item);
    const int slot = SlotOfRow(row);
    if (slot < 0) return;
    const bool wanted = item->checkState() == Qt::Checked;
    if (wanted != (m_doc->layers[slot].visible == 1)) ToggleVisibility(row);
}

void CLayerPanel::OnCurrentRowChanged(int row) {
    if (!m_filling) SelectRow(row);
}

void CLayerPanel::GoToStep(int position) {
    if (!m_doc || position < 0) return;
    // One undo or redo at a time, as the buttons do (with their question); each may refuse.
    const bool back = position < m_doc->history.position;
    while (m_doc->history.position > position && CanUndo(*m_doc))
        if (!UndoStep(*m_doc)) break;
    while (m_doc->history.position < position && CanRedo(*m_doc))
        if (!::Redo(*m_doc)) break;
    if (m_doc->history.unreadable) m_doc->workspace.Message(back ? msg::kUndoFailed : msg::kRedoFailed);
    Refresh();
    Q_EMIT documentChanged(m_doc);
}

void CLayerPanel::Undo() {
    if (!m_doc) return;
    Q_EMIT documentAboutToChange(m_doc);
    if (!UndoStep(*m_doc) && m_doc->history.unreadable) m_doc->workspace.Message(msg::kUndoFailed);
    Refresh();
    Q_EMIT documentChanged(m_doc);
}

void CLayerPanel::Redo() {
    if (!m_doc) return;
    Q_EMIT documentAboutToChange(m_doc);
    if (!::Redo(*m_doc) && m_doc->history.unreadable) m_doc->workspace.Message(msg::kRedoFailed);
    Refresh();
    Q_EMIT documentChanged(m_doc);
}
