// The batch tool's measurement operations and the listing of measurement files, run in
// a program folder of their own.
#include <gtest/gtest.h>

#include "CliSupport.h"
#include "MeasureExport.h"
#include "OpenSave.h"
#include "ScaleBar.h"
#include "Workbook.h"

namespace {

using cli_support::RunCli;
using testing_support::TempDir;

std::string Text(const std::string& path) {
    const auto bytes = testing_support::ReadFileBytes(path);
    return std::string(bytes.begin(), bytes.end());
}

struct MeasureCli : ::testing::Test {
    TempDir folder, tmp;
    void SetUp() override {
        CImageBuffer picture(60, 50, 24, kFormatBmp);
        ASSERT_TRUE(picture.Save(folder.File("picture.bmp"), kFormatBmp));
    }
    cli_support::CliResult Apply(const std::string& output, std::vector<std::string> ops) {
        std::vector<std::string> args = {"apply", "picture.bmp", output};
        args.insert(args.end(), ops.begin(), ops.end());
        return RunCli(args, folder.Path(), tmp.Path());
    }
};

}  // namespace

TEST_F(MeasureCli, CalibrateMeasureExportAndList) {
    Workbook book;
    book.CreateNew(kDefaultSheetNames);
    ASSERT_TRUE(book.Save(folder.File(kWorkbookFile)).ok);
    const auto r = Apply("out.sco", {"calibrate:name=scale bar,unit=mm,x=10,y=10,length=1",
                                     "measure:kind=선분,points=0:0;30:40", "measure:kind=원,points=0:0;3:4",
                                     "measure:kind=사이각,points=0:0;10:0;10:10", "measure:kind=글자,points=5:5,text=a b",
                                     "export-text", "export-csv", "export-sheet:sheet=2"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(Text(folder.File("MicroCalib.ini")), "\r\n 1 0\r\n scale_bar mm 10 10 1.00");
    EXPECT_EQ(Text(folder.File(kMeasureTextFile)),
              "\r\n 선분 5.00 0.00 0.00 0.00\r\n 원 0.00 0.00 0.00 0.50\r\n 사이각 0.00 0.00 90.00 0.00"
              "\r\n 글자 0.00 0.00 0.00 0.00");
    EXPECT_NE(Text(folder.File(kMeasureCsvFile)).find("1,원,0.00,0.00,0.00,0.50,1.00"), std::string::npos);
    Workbook back;
    ASSERT_TRUE(back.Open(folder.File(kWorkbookFile)).ok);
    EXPECT_EQ(back.CellText(2, "C2"), "5.00");
    EXPECT_EQ(back.CellText(2, "B5"), "글자");
    EXPECT_FALSE(Text(folder.File(kSheetPictureFile)).empty());

    const auto info = RunCli({"info", "out.sco"}, folder.Path(), tmp.Path());
    EXPECT_EQ(info.status, 0) << info.err;
    EXPECT_EQ(info.out,
              "format 6\nwidth 60\nheight 50\nbits 24\npalette 0\nlayers 1\n"
              "objects 4\n"
              "object 0 kind=선분 points=0:0;30:40 v1=5 v2=0 v3=0 v4=0 v5=0\n"
              "object 1 kind=원 points=0:0;3:4 v1=0 v2=0 v3=0 v4=0.5 v5=0.5\n"
              "object 2 kind=사이각 points=0:0;10:0;10:10 v1=0 v2=0 v3=90 v4=0 v5=0\n"
              "object 3 kind=글자 points=5:5 v1=0 v2=0 v3=0 v4=0 v5=0 text=a b\n");
    // A measurement file in, more objects, out again.
    const auto more = RunCli({"apply", "out.sco", "more.sco", "measure:kind=점표시,points=1:1"}, folder.Path(), tmp.Path());
    EXPECT_EQ(more.status, 0) << more.err;
    EXPECT_NE(RunCli({"info", "more.sco"}, folder.Path(), tmp.Path()).out.find("objects 5\n"), std::string::npos);
}

TEST_F(MeasureCli, RefusalsChangeNothing) {
    struct Case {
        std::vector<std::string> ops;
        int status;
        std::string err;
    } cases[] = {
        {{"measure:kind=segment,points=0:0;3:4"}, 1, "알 수 없는 측정 개체입니다: segment\n"},
        {{"measure:kind=선분,points=0:0;3"}, 1, "측정 점의 좌표가 올바르지 않습니다: 0:0;3\n"},
        {{"calibrate:name=a,unit=mm,x=10,y=10,length=abc"}, 1, "길이는 0보다 큰 숫자로 입력하십시요.\n"},
        {{"calibrate:name=a,unit=mm,x=0,y=10,length=1"}, 1, "픽셀 수는 1 이상의 정수로 입력하십시요.\n"},
        {{"export-sheet:sheet=1"}, 1, "Excel 버전을 확인하십시요.\n"},
        {{"measure:kind=선분,point=0:0;3:4"}, 2, "unknown key: point (measure)\n"},
        {{"export-sheet:sheet=0"}, 2, "bad value: sheet=0 (1..255)\n"},
    };
    for (const Case& c : cases) {
        const auto r = Apply("out.sco", c.ops);
        EXPECT_EQ(r.status, c.status) << c.ops[0];
        EXPECT_EQ(r.err, c.err) << c.ops[0];
        EXPECT_FALSE(std::filesystem::exists(folder.File("MicroCalib.ini"))) << c.ops[0];
        EXPECT_FALSE(std::filesystem::exists(folder.File(kSheetPictureFile))) << c.ops[0];
        if (c.status == 1) {
            const auto info = RunCli({"info", "out.sco"}, folder.Path(), tmp.Path());
            EXPECT_NE(info.out.find("objects 0\n"), std::string::npos) << c.ops[0];
        }
    }
}

TEST_F(MeasureCli, ScaleBarAddedAndEdited) {
    // 10 pixels make 2 um. The default: a fifth of the 60-pixel width is 2.4 um, so 2 um.
    const auto r = Apply("bar.tsr", {"scale-bar", "calibrate:name=lens,unit=um,x=10,y=10,length=2",
                                     "scale-bar:corner=top-left,colour=#FF0000", "scale-bar:edit=1,length=4,unit=um"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "측정 기준이 없습니다. [측정 기준...]에서 기준을 먼저 정하십시요.\n");
    Workspace ws;
    COrinDoc opened(ws);
    ASSERT_TRUE(OpenDocument(opened, folder.File("bar.tsr")).ok);
    ASSERT_EQ(opened.layers.Count(), 2);
    const std::optional<ScaleBarSettings> bar = ReadScaleBar(*opened.CurrentLayer());
    ASSERT_TRUE(bar);
    EXPECT_FLOAT_EQ(bar->length, 4);
    EXPECT_EQ(bar->unit, "um");
    EXPECT_EQ(bar->corner, kBarTopLeft);
    EXPECT_EQ(bar->colour, 0x0000FFu);
    EXPECT_EQ(bar->size, 16);
    // 4 um = 20 pixels in the bar's lowest row, 4 pixels from the left.
    const LayerRecord& layer = *opened.CurrentLayer();
    int lowest = -1;
    for (int row = 0; row < layer.height && lowest < 0; ++row)
        if (layer.alpha[size_t(row) * size_t(layer.width) + 4] == 255) lowest = row;
    ASSERT_GE(lowest, 0);
    int count = 0;
    for (int x = 0; x < layer.width; ++x) count += layer.alpha[size_t(lowest) * size_t(layer.width) + size_t(x)] == 255;
    EXPECT_EQ(count, 20);

    struct Case {
        std::string op;
        int status;
        std::string err;
    } cases[] = {
        {"scale-bar:corner=middle", 2, "bad value: corner=middle (bottom-right|bottom-left|top-right|top-left)\n"},
        {"scale-bar:length=-1", 2, "bad value: length=-1 (0.001..1000000.000)\n"},
        {"scale-bar:length=100", 1, "축척 막대가 그림 안에 들어가지 않습니다. 길이나 글자 크기를 줄이십시요.\n"},
        {"scale-bar:unit=minch", 1, "단위 'minch'은(는) 측정 기준의 단위 'um'(으)로 바꿀 수 없습니다.\n"},
        {"scale-bar:edit=1", 1, "현재 레이어는 축척 막대가 아닙니다.\n"},
    };
    for (const Case& c : cases) {
        const auto run = Apply("-", {"calibrate:name=lens,unit=um,x=10,y=10,length=2", c.op});
        EXPECT_EQ(run.status, c.status) << c.op;
        EXPECT_EQ(run.err, c.err) << c.op;
    }
}
