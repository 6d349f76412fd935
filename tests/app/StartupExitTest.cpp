// Start-up with and without the settings file, the command-line file, and the exit
// with changed documents answering Cancel, No and Yes.
#include <QCoreApplication>
#include <QEvent>
#include <QFile>
#include <QMimeData>
#include <QUrl>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <filesystem>
#include <gtest/gtest.h>

#include "AppTestSupport.h"
#include "Application.h"
#include "CommandMap.h"
#include "History.h"
#include "LayerKeeping.h"
#include "LayerOps.h"
#include "MainFrame.h"
#include "Messages.h"
#include "ShellTexts.h"
#include "QtHost.h"
#include "SettingsFile.h"

namespace {

using testing_support::TempDir;

uint32_t Stripes(int x, int y) { return (x + y) % 2 ? 0xFF0000 : 0x0000FF; }

struct Started {
    TempDir folder;
    QStringList messages;
    std::unique_ptr<CMainFrame> frame;

    void Start(const QStringList& files = {}) {
        StartupOptions options;
        options.programFolder = QString::fromStdString(folder.Path().string());
        options.files = files;
        options.interactive = false;
        options.show = false;
        options.messageHook = [this](const QString& text) { messages << text; };
        frame = StartTessaro(options);
    }
};

TEST(StartupTest, WithoutTheSettingsFileTheProgramEnds) {
    Started s;
    s.Start();
    EXPECT_EQ(s.frame, nullptr);
    ASSERT_EQ(s.messages.size(), 1);
    EXPECT_EQ(s.messages[0], QString::fromUtf8("프로그램 실행에 필요한 환경 설정 파일이 없어서 종료합니다(0)."));
}

TEST(StartupTest, WithoutACommandLineNoDocumentOpens) {
    Started s;
    app_test::InstallSettings(s.folder);
    s.Start();
    ASSERT_NE(s.frame, nullptr);
    EXPECT_EQ(s.frame->DocumentCount(), 0);
    EXPECT_TRUE(s.messages.isEmpty());
    // Step files go to a folder of this program's own inside the program folder.
    const std::filesystem::path steps(s.frame->GetWorkspace().stepFolder);
    EXPECT_EQ(steps.parent_path(), s.folder.Path());
    EXPECT_TRUE(std::filesystem::is_directory(steps));
}

TEST(StartupTest, TheLastToolComesBackAndTheExitKeepsTheNewOne) {
    Started s;
    app_test::InstallSettings(s.folder);
    const std::string folder = s.folder.Path().string();
    Settings stored;
    ASSERT_TRUE(ReadSettingsFile(folder, stored));
    stored.toolNumber = 3;  // the third painting tool
    stored.toolGroup = 1;
    ASSERT_TRUE(WriteSettingsFile(folder, stored));
    s.Start();
    ASSERT_NE(s.frame, nullptr);
    EXPECT_EQ(s.frame->GetWorkspace().currentTool, kCmdCircle);
    EXPECT_TRUE(s.frame->CommandAction(kCmdCircle)->isChecked());
    s.frame->RunCommand(kCmdRectSelect);
    ASSERT_TRUE(s.frame->close());
    Settings written;
    ASSERT_TRUE(ReadSettingsFile(folder, written));
    EXPECT_EQ(std::pair(written.toolNumber, written.toolGroup), std::pair(2, 0));
}

TEST(StartupTest, TheCommandLineFileOpensInAWindow) {
    Started s;
    app_test::InstallSettings(s.folder);
    const std::string picture = app_test::WritePicture(s.folder, "stripes.bmp", 7, 5, Stripes);
    s.Start({QString::fromStdString(picture)});
    ASSERT_NE(s.frame, nullptr);
    ASSERT_EQ(s.frame->DocumentCount(), 1);
    COrinDoc* doc = s.frame->DocumentAt(0);
    EXPECT_EQ(doc->canvas.width, 7);
    EXPECT_EQ(doc->canvas.height, 5);
    EXPECT_EQ(s.frame->ActiveDocument(), doc);
    ASSERT_EQ(s.frame->MdiArea()->subWindowList().size(), 1);
    // "[*]" is where the title bar shows the unsaved-changes mark.
    EXPECT_EQ(s.frame->MdiArea()->subWindowList()[0]->windowTitle(), QString::fromUtf8("stripes.bmp 100 % 배경영상[*]"));
    EXPECT_FALSE(s.frame->MdiArea()->subWindowList()[0]->isWindowModified());
    // The file heads the recent-file list.
    ASSERT_FALSE(s.frame->Recent().Files().isEmpty());
    EXPECT_TRUE(s.frame->Recent().Files().front().endsWith(QStringLiteral("stripes.bmp")));
}

TEST(StartupTest, TheCommandLineDocumentKeepsItsStepFilesThroughTheSweep) {
    // The sweep of stale step files runs after the command-line file was opened; it
    // must leave that document's first step in place, or undo would lose it.
    Started s;
    app_test::InstallSettings(s.folder);
    const std::string picture = app_test::WritePicture(s.folder, "stripes.bmp", 7, 5, Stripes);
    s.Start({QString::fromStdString(picture)});
    ASSERT_NE(s.frame, nullptr);
    COrinDoc* doc = s.frame->DocumentAt(0);
    EXPECT_TRUE(std::filesystem::exists(StepFilePath(*doc, 0)));
    s.frame->RunCommand(kCmdAddLayer);
    s.frame->RunCommand(kCmdUndo);
    EXPECT_EQ(doc->layers.Count(), 1);
    EXPECT_EQ(doc->history.position, 0);
}

TEST(StartupTest, DroppedFilesOpenEachInItsWindow) {
    Started s;
    app_test::InstallSettings(s.folder);
    const std::string a = app_test::WritePicture(s.folder, "a.bmp", 3, 3, Stripes);
    const std::string b = app_test::WritePicture(s.folder, "b.bmp", 4, 2, Stripes);
    s.Start();
    ASSERT_NE(s.frame, nullptr);
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(QString::fromStdString(a)), QUrl::fromLocalFile(QString::fromStdString(b))});
    s.frame->OpenDroppedFiles(data);
    ASSERT_EQ(s.frame->DocumentCount(), 2);
    EXPECT_EQ(s.frame->DocumentAt(0)->fileName, "a.bmp");
    EXPECT_EQ(s.frame->DocumentAt(1)->canvas.width, 4);
}

TEST(StartupTest, ACommandLineFileThatCannotBeOpenedEndsTheStart) {
    Started s;
    app_test::InstallSettings(s.folder);
    const std::string broken = s.folder.File("broken.bmp");
    testing_support::WriteFileBytes(broken, {'B', 'M', 1, 2, 3});
    s.Start({QString::fromStdString(broken)});
    EXPECT_EQ(s.frame, nullptr);
    ASSERT_EQ(s.messages.size(), 1);
    // The system's message, the reader's own reason under it, then the file.
    EXPECT_EQ(s.messages[0], QString::fromUtf8("해당 파일을 열 수 없습니다.\nCorrupted BMP file\n") + QString::fromStdString(broken));
}

struct ExitFixture : ::testing::Test {
    Started s;
    std::string picture;
    QStringList questions;
    QMessageBox::StandardButton answer = QMessageBox::Cancel;

    void SetUp() override {
        app_test::InstallSettings(s.folder);
        picture = app_test::WritePicture(s.folder, "stripes.bmp", 7, 5, Stripes);
        s.Start({QString::fromStdString(picture)});
        ASSERT_NE(s.frame, nullptr);
        s.frame->saveQuestion = [this](const QString& q) {
            questions << q;
            return answer;
        };
    }
    void Change() {
        s.frame->RunCommand(kCmdAddLayer);
        ASSERT_TRUE(s.frame->DocumentAt(0)->changed);
    }
};

TEST_F(ExitFixture, AnUneditedDocumentClosesWithoutAQuestion) {
    EXPECT_TRUE(s.frame->close());
    EXPECT_TRUE(questions.isEmpty());
    EXPECT_EQ(s.frame->DocumentCount(), 0);
}

TEST_F(ExitFixture, CancelKeepsTheProgramAndTheDocument) {
    Change();
    answer = QMessageBox::Cancel;
    EXPECT_FALSE(s.frame->close());
    ASSERT_EQ(questions.size(), 1);
    EXPECT_EQ(questions[0], QString::fromUtf8("[stripes.bmp] 파일을 저장하시겠습니까?"));
    ASSERT_EQ(s.frame->DocumentCount(), 1);
    EXPECT_EQ(s.frame->DocumentAt(0)->layers.Count(), 2);
    EXPECT_EQ(s.frame->MdiArea()->subWindowList().size(), 1);
}

TEST_F(ExitFixture, NoClosesWithoutSaving) {
    Change();
    const std::vector<uint8_t> before = testing_support::ReadFileBytes(picture);
    std::filesystem::remove(picture);
    answer = QMessageBox::No;
    EXPECT_TRUE(s.frame->close());
    EXPECT_EQ(questions.size(), 1);
    EXPECT_EQ(s.frame->DocumentCount(), 0);
    EXPECT_FALSE(std::filesystem::exists(picture));
}

TEST_F(ExitFixture, YesSavesThroughTheDocumentsPathAndCloses) {
    Change();
    std::filesystem::remove(picture);
    answer = QMessageBox::Yes;
    const std::string project = (s.folder.Path() / "stripes.tsr").string();
    s.frame->savePath = [](const QString& suggested) { return suggested; };
    EXPECT_TRUE(s.frame->close());
    EXPECT_EQ(s.frame->DocumentCount(), 0);
    // The picture keeps only the merged layers: told so, then offered a project, kept.
    ASSERT_EQ(questions.size(), 3);
    EXPECT_EQ(questions[1], QString::fromUtf8(shell_text::kFlatSaveNotice));
    EXPECT_EQ(questions[2], QString::fromUtf8("[stripes.bmp]의 레이어는 합쳐진 그림으로만 저장되어 있습니다.\n"
                                              "레이어를 프로젝트(.tsr)로 저장하시겠습니까?"));
    EXPECT_TRUE(std::filesystem::exists(project));
    ASSERT_TRUE(std::filesystem::exists(picture));
    CImageBuffer saved(kFormatBmp);
    ASSERT_TRUE(saved.Load(picture, kFormatBmp));
    EXPECT_EQ(saved.Width(), 7);
    EXPECT_EQ(saved.ColourAt(1, 0).red, 0xFF);  // (1 + 0) odd: red
    EXPECT_EQ(saved.ColourAt(0, 0).blue, 0xFF);
}

TEST(LayerKeepingTest, FlatSavesOfSeveralLayersAreToldOnceAndRememberedUntilAProjectHoldsThem) {
    Workspace ws;
    auto doc = app_test::PlainDocument(ws, 4, 3, 0x808080);
    LayerKeeping keeping;
    EXPECT_FALSE(keeping.TakeNotice(*doc, "one.jpg"));  // one layer: the picture is everything
    ASSERT_TRUE(AddLayer(*doc).ok);
    EXPECT_FALSE(SaveDropsLayers(*doc, "a.tsr"));
    EXPECT_FALSE(SaveDropsLayers(*doc, "a.sco"));  // measurements only
    EXPECT_TRUE(SaveDropsLayers(*doc, "a.JPG"));
    EXPECT_FALSE(keeping.TakeNotice(*doc, "a.tsr"));
    EXPECT_TRUE(keeping.TakeNotice(*doc, "a.bmp"));
    EXPECT_FALSE(keeping.TakeNotice(*doc, "b.gif"));
    EXPECT_FALSE(keeping.OnlyInDocument(*doc));  // nothing saved yet: the save question covers it
    const std::pair<const char*, bool> saves[] = {{"a.bmp", true}, {"a.tsr", false}, {"b.tif", true},
                                                  {"m.sco", true}, {"c.tsr", false}, {"d.png", true}};
    for (const auto& [path, onlyHere] : saves) {
        keeping.Saved(*doc, path);
        EXPECT_EQ(keeping.OnlyInDocument(*doc), onlyHere) << path;
    }
    // Merged into one layer, the flat picture holds everything; a forgotten document is new.
    ASSERT_TRUE(FlattenLayers(*doc).ok);
    EXPECT_FALSE(keeping.OnlyInDocument(*doc));
    ASSERT_TRUE(AddLayer(*doc).ok);
    keeping.Forget(*doc);
    EXPECT_FALSE(keeping.OnlyInDocument(*doc));
    EXPECT_TRUE(keeping.TakeNotice(*doc, "e.jpg"));
}

TEST_F(ExitFixture, LayersSavedAsAFlatPictureAreToldOnceAndNeverLostAtClose) {
    Change();
    QStringList suggested;
    QString chosen;
    s.frame->savePath = [&](const QString& name) {
        suggested << name;
        return chosen;
    };
    COrinDoc* doc = s.frame->DocumentAt(0);
    answer = QMessageBox::Cancel;  // told, then not saved
    s.frame->RunCommand(kCmdSave);
    EXPECT_EQ(questions, QStringList{QString::fromUtf8(shell_text::kFlatSaveNotice)});
    EXPECT_TRUE(doc->changed);
    answer = QMessageBox::Ok;  // told once only: the second save just writes
    s.frame->RunCommand(kCmdSave);
    EXPECT_EQ(questions.size(), 1);
    EXPECT_FALSE(doc->changed);
    EXPECT_TRUE(s.frame->Keeping().OnlyInDocument(*doc));
    // Closing asks for a project; Cancel, or a cancelled save dialog, keeps the document.
    for (QMessageBox::StandardButton a : {QMessageBox::Cancel, QMessageBox::Yes}) {
        answer = a;
        EXPECT_FALSE(s.frame->close());
        EXPECT_EQ(s.frame->DocumentCount(), 1);
    }
    ASSERT_EQ(questions.size(), 3);
    EXPECT_TRUE(questions[2].contains(QString::fromUtf8("프로젝트(.tsr)로 저장하시겠습니까?")));
    ASSERT_EQ(suggested.size(), 1);
    EXPECT_TRUE(suggested[0].endsWith(QStringLiteral("stripes.tsr"))) << suggested[0].toStdString();
    // Yes and a name: the project holds both layers and the document closes.
    chosen = QString::fromStdString((s.folder.Path() / "kept.tsr").string());
    EXPECT_TRUE(s.frame->close());
    EXPECT_EQ(s.frame->DocumentCount(), 0);
    COrinDoc* reopened = s.frame->OpenFile(chosen);
    ASSERT_NE(reopened, nullptr);
    EXPECT_EQ(reopened->layers.Count(), 2);
    EXPECT_FALSE(s.frame->Keeping().OnlyInDocument(*reopened));
}

TEST_F(ExitFixture, TheSettingsFileIsWrittenEvenWhenTheExitIsCancelled) {
    Change();
    std::filesystem::remove(s.folder.Path() / "Dravcon_34.ini");
    s.frame->GetWorkspace().foreground = 0x123456;
    answer = QMessageBox::Cancel;
    EXPECT_FALSE(s.frame->close());
    Settings read;
    ASSERT_TRUE(ReadSettingsFile(s.folder.Path().string(), read));
    EXPECT_EQ(read.foreground, 0x123456);
}

TEST_F(ExitFixture, CloseAllAsksEveryChangedDocumentInTurn) {
    ASSERT_NE(s.frame->OpenFile(QString::fromStdString(picture)), nullptr);
    ASSERT_EQ(s.frame->DocumentCount(), 2);
    for (int i = 0; i < 2; ++i) {
        s.frame->MdiArea()->setActiveSubWindow(s.frame->MdiArea()->subWindowList()[i]);
        s.frame->RunCommand(kCmdAddLayer);
    }
    answer = QMessageBox::No;
    s.frame->RunCommand(kCmdCloseAll);
    EXPECT_EQ(questions.size(), 2);
    EXPECT_EQ(s.frame->DocumentCount(), 0);
}

TEST_F(ExitFixture, ADuplicateWindowSharesTheDocument) {
    s.frame->RunCommand(kCmdDuplicateWindow);
    ASSERT_EQ(s.frame->MdiArea()->subWindowList().size(), 2);
    EXPECT_EQ(s.frame->DocumentCount(), 1);
    Change();
    // Closing one of two windows asks nothing; the document stays.
    s.frame->MdiArea()->subWindowList()[0]->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(questions.isEmpty());
    EXPECT_EQ(s.frame->DocumentCount(), 1);
    // Closing the last asks.
    answer = QMessageBox::Cancel;
    s.frame->MdiArea()->subWindowList()[0]->close();
    EXPECT_EQ(questions.size(), 1);
    EXPECT_EQ(s.frame->DocumentCount(), 1);
}

}  // namespace
