// The layer and history panel: rows in stack order from the bottom, selecting,
// visibility switches without history, swapping by drop (history code 5), the history
// page and its buttons, the size button's caption.
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QTabWidget>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QSlider>
#include <QToolButton>
#include <gtest/gtest.h>

#include "AppTestSupport.h"
#include "CommandMap.h"
#include "DocumentOperations.h"
#include "History.h"
#include "LayerOps.h"
#include "LayerPanel.h"
#include "LayerPropertiesDialog.h"

namespace {

using testing_support::TempDir;

struct PanelFixture : ::testing::Test {
    TempDir steps;
    Workspace ws;
    SilentHost host;
    std::unique_ptr<COrinDoc> doc;
    CLayerPanel panel;
    int changes = 0;

    void SetUp() override {
        ws.stepFolder = steps.Path().string();
        ws.host = &host;
        doc = app_test::PlainDocument(ws, 40, 30, 0x336699);
        ASSERT_TRUE(AddLayer(*doc));  // slot 1 above the backdrop, current
        panel.SetDocument(doc.get());
        QObject::connect(&panel, &CLayerPanel::documentChanged, [this](COrinDoc*) { ++changes; });
    }
};

TEST_F(PanelFixture, PagesAndButtonsCarryTheirTexts) {
    ASSERT_EQ(panel.Pages()->count(), 2);
    EXPECT_EQ(panel.Pages()->tabText(0), QString::fromUtf8("레이어보기"));
    EXPECT_EQ(panel.Pages()->tabText(1), QString::fromUtf8("작업내역"));
    EXPECT_EQ(panel.UndoButton()->text(), QString::fromUtf8("(Undo) 뒤로 회복"));
    EXPECT_EQ(panel.RedoButton()->text(), QString::fromUtf8("(Redo) 앞으로 회복"));
    QStringList labels;
    for (QAction* a : panel.LayerMenu()->actions()) labels << a->text();
    EXPECT_EQ(labels.join(QLatin1Char('|')),
              QString::fromUtf8("복사|붙이기|복제 레이어 만들기|레이어삭제|레이어추가|레이어 이름 변경|떡그림만들기|"
                                "레스터 형식으로 변환"));
}

TEST_F(PanelFixture, RowsFollowTheStackFromTheBottomWithTheCurrentLayerSelected) {
    ASSERT_EQ(panel.LayerList()->count(), 2);
    EXPECT_EQ(panel.SlotOfRow(0), 0);
    EXPECT_EQ(panel.SlotOfRow(1), 1);
    EXPECT_EQ(panel.LayerList()->item(0)->text(), QString::fromUtf8("배경영상"));
    EXPECT_EQ(panel.LayerList()->item(1)->text(), QString::fromUtf8("레이어 1"));
    EXPECT_EQ(panel.LayerList()->currentRow(), 1);
    EXPECT_EQ(panel.LayerList()->item(0)->checkState(), Qt::Checked);
    // The first row starts at the top of the list.
    EXPECT_LE(panel.LayerList()->visualItemRect(panel.LayerList()->item(0)).top(), 2);
}

TEST_F(PanelFixture, SelectingARowMakesItsLayerCurrent) {
    panel.LayerList()->setCurrentRow(0);
    EXPECT_EQ(doc->layers.current, 0);
    EXPECT_EQ(changes, 1);
}

TEST_F(PanelFixture, DroppingARowSwapsTheLayersAndRecordsAMove) {
    const int before = doc->history.position;
    panel.SwapRows(1, 0);
    EXPECT_EQ(doc->layers.bottom, 1);
    EXPECT_EQ(doc->layers.Chain(), (std::vector<int>{1, 0}));
    ASSERT_EQ(doc->history.position, before + 1);
    const HistoryEntry& step = doc->history.entries[size_t(doc->history.position)];
    EXPECT_EQ(step.code, kStepMove);
    EXPECT_EQ(step.label, u"레이어 위치 이동");
    // The rows follow the new order and the history page shows the step first.
    EXPECT_EQ(panel.SlotOfRow(0), 1);
    EXPECT_EQ(panel.SlotOfRow(1), 0);
    EXPECT_EQ(panel.HistoryList()->item(0)->text(), QString::fromStdString(HistoryRows(*doc).front()));
    EXPECT_EQ(changes, 1);
}

TEST_F(PanelFixture, DroppingARowOnItselfChangesNothing) {
    const int before = doc->history.position;
    panel.SwapRows(1, 1);
    EXPECT_EQ(doc->history.position, before);
    EXPECT_EQ(changes, 0);
}

TEST_F(PanelFixture, TheVisibilitySwitchRecordsNoStep) {
    const int before = doc->history.position;
    panel.LayerList()->item(0)->setCheckState(Qt::Unchecked);
    EXPECT_EQ(doc->layers[0].visible, 0);
    EXPECT_EQ(doc->history.position, before);
    EXPECT_EQ(panel.LayerList()->item(0)->checkState(), Qt::Unchecked);
    panel.ToggleVisibility(0);
    EXPECT_EQ(doc->layers[0].visible, 1);
}

TEST_F(PanelFixture, HistoryButtonsUndoAndRedo) {
    ASSERT_EQ(panel.HistoryList()->count(), 2);  // add layer, opening
    EXPECT_TRUE(panel.UndoButton()->isEnabled());
    EXPECT_FALSE(panel.RedoButton()->isEnabled());
    panel.UndoButton()->click();
    EXPECT_EQ(doc->history.position, 0);
    EXPECT_FALSE(doc->layers[1].inUse);
    EXPECT_EQ(panel.LayerList()->count(), 1);
    EXPECT_TRUE(panel.RedoButton()->isEnabled());
    panel.RedoButton()->click();
    EXPECT_EQ(doc->history.position, 1);
    EXPECT_EQ(panel.LayerList()->count(), 2);
}

// The command buttons ask for their commands; removing the shadow is offered only on a
// layer that has one, and records its step.
TEST_F(PanelFixture, CommandButtonsRequestTheirCommands) {
    std::vector<int> requested;
    QObject::connect(&panel, &CLayerPanel::commandRequested, [&](int id) { requested.push_back(id); });
    QToolButton* removeEffect = nullptr;
    for (QToolButton* b : panel.CommandButtons()) {
        if (b->objectName() == QStringLiteral("layerCommand%1").arg(kCmdRemoveLayerEffect)) removeEffect = b;
        else b->click();
    }
    EXPECT_EQ(requested, (std::vector<int>{kCmdAddLayer, kCmdDeleteLayer, kCmdDuplicateLayer, kCmdMergeAbove,
                                           kCmdMergeBelow, kCmdFlatten, kCmdLayerEffect, kCmdRenameLayer}));
    ASSERT_NE(removeEffect, nullptr);
    EXPECT_FALSE(removeEffect->isEnabled());
    ASSERT_TRUE(ApplyLayerEffect(*doc, 4, 0x000000).ok);
    panel.Refresh();
    ASSERT_TRUE(removeEffect->isEnabled());
    removeEffect->click();
    EXPECT_EQ(requested.back(), kCmdRemoveLayerEffect);
    const int steps = doc->history.position;
    ASSERT_TRUE(RemoveLayerEffectStep(*doc).ok);
    EXPECT_EQ(doc->CurrentLayer()->effectOn, 0);
    EXPECT_EQ(doc->history.position, steps + 1);
    ASSERT_TRUE(RemoveLayerEffectStep(*doc).ok);  // none left: no step
    EXPECT_EQ(doc->history.position, steps + 1);
    panel.Refresh();
    EXPECT_FALSE(removeEffect->isEnabled());
}

// The properties dialog shows each change at once and Cancel puts the layer back.
TEST_F(PanelFixture, LayerPropertiesPreviewAndCancel) {
    int previews = 0;
    LayerRecord& layer = *doc->CurrentLayer();
    {
        CDlg_LayerProperties dialog(*doc, doc->layers.current, [&] { ++previews; });
        EXPECT_EQ(dialog.NameEdit()->text(), QString::fromUtf8("레이어 1"));
        dialog.TransparencySlider()->setValue(128);
        dialog.BlendBox()->setCurrentIndex(2);
        dialog.VisibleBox()->setChecked(false);
        EXPECT_EQ(layer.transparency, 128);
        EXPECT_EQ(layer.blend, 2);
        EXPECT_EQ(layer.visible, 0);
        EXPECT_EQ(previews, 3);
        dialog.reject();
    }
    EXPECT_EQ(layer.transparency, 0);
    EXPECT_EQ(layer.blend, 0);
    EXPECT_EQ(layer.visible, 1);
    // A double click on a raster row asks for the dialog.
    int asked = 0;
    QObject::connect(&panel, &CLayerPanel::propertiesRequested, [&](COrinDoc*) { ++asked; });
    Q_EMIT panel.LayerList()->itemDoubleClicked(panel.LayerList()->item(1));
    EXPECT_EQ(asked, 1);
}

TEST_F(PanelFixture, TheSizeButtonTogglesItsCaption) {
    EXPECT_EQ(panel.SizeButton()->text(), QString::fromUtf8("늘린창"));
    bool grown = false;
    QObject::connect(&panel, &CLayerPanel::sizeToggled, [&](bool g) { grown = g; });
    panel.SizeButton()->click();
    EXPECT_TRUE(grown);
    EXPECT_EQ(panel.SizeButton()->text(), QString::fromUtf8("줄인창"));
    panel.SizeButton()->click();
    EXPECT_FALSE(grown);
    EXPECT_EQ(panel.SizeButton()->text(), QString::fromUtf8("늘린창"));
}

TEST(LayerPanelTest, WithoutADocumentThePanelIsEmpty) {
    CLayerPanel panel;
    EXPECT_EQ(panel.LayerList()->count(), 0);
    ASSERT_EQ(panel.HistoryList()->count(), 0);
    EXPECT_FALSE(panel.UndoButton()->isEnabled());
    panel.SwapRows(0, 1);  // nothing to do, no crash
}

}  // namespace
