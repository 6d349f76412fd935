#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "MeasureExport.h"
#include "MeasureText.h"
#include "MeasureTools.h"
#include "Messages.h"
#include "document/DocTestSupport.h"

namespace {

std::string ReadText(const std::string& path) {
    const std::vector<uint8_t> bytes = testing_support::ReadFileBytes(path);
    return std::string(bytes.begin(), bytes.end());
}

std::vector<MeasureObject> Measured() {
    Calibration c;
    c.unit = "mm";
    c.xPixels = c.yPixels = 10;
    std::vector<MeasureObject> list = {*MakeObject(MeasureKind::Segment, {{0, 0}, {30, 40}}),
                                       *MakeObject(MeasureKind::Circle, {{0, 0}, {3, 4}}),
                                       *MakeObject(MeasureKind::Angle, {{0, 0}, {10, 0}, {10, 10}}),
                                       *MakeObject(MeasureKind::Polygon, {{0, 0}, {10, 0}, {10, 10}, {0, 10}})};
    ComputeAllValues(list, c, 100, 100);
    return list;
}

// The python interpreter of the system with the OOXML reader, or "" when it is absent.
std::string OoxmlReader() {
    return std::system("/usr/bin/python3 -c 'import openpyxl, PIL' >/dev/null 2>&1") == 0 ? "/usr/bin/python3" : "";
}

std::string RunCommand(const std::string& command) {
    std::string out;
    if (FILE* p = popen(command.c_str(), "r")) {
        char buffer[4096];
        size_t n;
        while ((n = fread(buffer, 1, sizeof buffer, p)) > 0) out.append(buffer, n);
        pclose(p);
    }
    return out;
}

}  // namespace

TEST(MeasureExport, TextFileExactly) {
    testing_support::TempDir dir;
    const Status s = ExportText(dir.Path().string(), Measured());
    ASSERT_TRUE(s.ok);
    EXPECT_EQ(s.message, msg::kTextSaved);
    // Kind, length, area, angle, radius: the circle's radius reaches the file.
    EXPECT_EQ(ReadText(dir.File(kMeasureTextFile)),
              "\r\n 선분 5.00 0.00 0.00 0.00\r\n 원 0.00 0.00 0.00 0.50\r\n 사이각 0.00 0.00 90.00 0.00"
              "\r\n 다각형 0.00 100.00 0.00 0.00");
    ASSERT_TRUE(ExportText(dir.Path().string(), {}).ok);
    EXPECT_EQ(ReadText(dir.File(kMeasureTextFile)), "");
    const Status failed = ExportText(dir.File("missing"), Measured());
    EXPECT_FALSE(failed.ok);
    EXPECT_EQ(failed.message, msg::kTextNotSaved);
}

TEST(MeasureExport, TableAndCsv) {
    const auto table = MeasureTable(Measured());
    ASSERT_EQ(table.size(), 5u);
    EXPECT_EQ(table[0], (std::vector<std::string>{"", "항목", "길이", "면적", "각도", "반지름", "지름"}));
    EXPECT_EQ(table[1], (std::vector<std::string>{"0", "선분", "5.00", "0.00", "0.00", "0.00", "0.00"}));
    // The circle: radius in "반지름", diameter in "지름".
    EXPECT_EQ(table[2], (std::vector<std::string>{"1", "원", "0.00", "0.00", "0.00", "0.50", "1.00"}));
    EXPECT_EQ(MeasureTable({}).size(), 1u);

    EXPECT_EQ(MeasureCsv({Measured()[1]}, CsvStyleFor('.')),
              "\xEF\xBB\xBF,항목,길이,면적,각도,반지름,지름\r\n0,원,0.00,0.00,0.00,0.50,1.00\r\n");
    // Comma-decimal locales: ';' between fields, ',' in numbers.
    EXPECT_EQ(MeasureCsv({Measured()[1]}, CsvStyleFor(',')),
              "\xEF\xBB\xBF;항목;길이;면적;각도;반지름;지름\r\n0;원;0,00;0,00;0,00;0,50;1,00\r\n");
    testing_support::TempDir dir;
    ASSERT_TRUE(ExportCsv(dir.Path().string(), Measured(), CsvStyleFor('.')).ok);
    EXPECT_NE(ReadText(dir.File(kMeasureCsvFile)).find("3,다각형,0.00,100.00"), std::string::npos);
}

TEST(MeasureExport, NumbersRoundAsTyped) {
    using measuretext::Fixed2;
    struct Case {
        float value;
        const char* text;
    } cases[] = {{2.345f, "2.35"}, {0.005f, "0.01"}, {-1.0f, "-1.00"}, {-0.001f, "0.00"}, {9.995f, "10.00"},
                 {99.999f, "100.00"}, {1234567.0f, "1234567.00"}, {0.0f, "0.00"}};
    for (const Case& c : cases) EXPECT_EQ(Fixed2(c.value), c.text) << c.value;
    EXPECT_EQ(Fixed2(2.5f, ','), "2,50");
}

TEST(MeasureExport, WorkbookKeepsOtherSheetsAndCells) {
    doctest::Bench bench(true);
    auto doc = bench.Open(40, 30, doctest::Gradient);
    doc->path = "/somewhere/picture.bmp";
    doc->fileName = "picture.bmp";
    const std::string folder = bench.folder.Path().string();

    Workbook missing;
    const Status none = OpenMeasureWorkbook(folder, missing);
    EXPECT_FALSE(none.ok);
    EXPECT_EQ(none.message, msg::kExcelVersion);

    // A workbook with content of the user's: a value and a formula on sheet 2, text on sheet 3.
    Workbook seed;
    seed.CreateNew(kDefaultSheetNames);
    ASSERT_TRUE(seed.SetRange(2, "H3", {{"keep me", "42"}}).ok);
    ASSERT_TRUE(seed.SetRange(3, "B2", {{"다른 시트"}}).ok);
    ASSERT_TRUE(seed.Save(InFolder(folder, kWorkbookFile)).ok);

    Workbook book;
    ASSERT_TRUE(OpenMeasureWorkbook(folder, book).ok);
    EXPECT_EQ(book.SheetNames(), kDefaultSheetNames);
    SheetExport placed;
    ASSERT_TRUE(ExportToWorkbook(*doc, Measured(), folder, book, 2, &placed).ok);
    EXPECT_EQ(placed.pictureRow, 7);        // 5 rows of table, one empty row
    EXPECT_EQ(placed.nextRow, 7 + 2);       // 30 pixels = 22.5 points over rows of 15
    // The document keeps its own name and state.
    EXPECT_EQ(doc->path, "/somewhere/picture.bmp");
    EXPECT_EQ(doc->fileName, "picture.bmp");

    Workbook back;
    ASSERT_TRUE(OpenMeasureWorkbook(folder, back).ok);
    EXPECT_EQ(back.CellText(2, "B1"), "항목");
    EXPECT_EQ(back.CellText(2, "A2"), "0");
    EXPECT_EQ(back.CellText(2, "C2"), "5.00");
    EXPECT_EQ(back.CellText(2, "G3"), "1.00");
    EXPECT_EQ(back.CellText(2, "H3"), "keep me");
    EXPECT_EQ(back.CellText(2, "I3"), "42");
    EXPECT_EQ(back.CellText(3, "B2"), "다른 시트");
    EXPECT_EQ(back.CellText(1, "B1"), "");

    Workbook bad;
    EXPECT_FALSE(book.SetRange(9, "A1", {{"x"}}).ok);
    EXPECT_FALSE(ExportToWorkbook(*doc, Measured(), folder, bad, 1).ok);

    const std::string python = OoxmlReader();
    if (python.empty()) GTEST_SKIP() << "python3-openpyxl and python3-pil are not installed";
    const std::string script =
        "import openpyxl,sys\n"
        "wb=openpyxl.load_workbook(sys.argv[1])\n"
        "print('|'.join(wb.sheetnames))\n"
        "print(wb.active.title)\n"
        "ws=wb['Sheet2']\n"
        "for row in ws.iter_rows(min_row=1,max_row=5,max_col=9,values_only=True): print(row)\n"
        "print(ws['C2'].number_format, ws['I3'].number_format)\n"
        "print(len(ws._images), ws._images[0].anchor._from.row, ws._images[0].anchor._from.col,"
        " ws._images[0].width, ws._images[0].height)\n"
        "print(len(wb['Sheet1']._images), wb['Sheet3']['B2'].value)\n";
    const std::string scriptPath = bench.folder.File("check.py");
    std::ofstream(scriptPath) << script;
    const std::string out = RunCommand(python + " " + scriptPath + " " + InFolder(folder, kWorkbookFile) + " 2>&1");
    EXPECT_EQ(out,
              "Sheet1|Sheet2|Sheet3\n"
              "Sheet2\n"
              "(None, '항목', '길이', '면적', '각도', '반지름', '지름', None, None)\n"
              "(0, '선분', 5.0, 0.0, 0.0, 0.0, 0.0, None, None)\n"
              "(1, '원', 0.0, 0.0, 0.0, 0.5, 1.0, 'keep me', 42)\n"
              "(2, '사이각', 0.0, 0.0, 90.0, 0.0, 0.0, None, None)\n"
              "(3, '다각형', 0.0, 100.0, 0.0, 0.0, 0.0, None, None)\n"
              "0.00 General\n"
              "1 6 0 40 30\n"
              "0 다른 시트\n");
}

TEST(MeasureExport, LibreOfficeOpensTheWorkbookWithTableAndPicture) {
    if (std::system("command -v soffice >/dev/null 2>&1") != 0) GTEST_SKIP() << "LibreOffice is not installed";
    doctest::Bench bench(true);
    auto doc = bench.Open(40, 30, doctest::Gradient);
    const std::string folder = bench.folder.Path().string();
    Workbook seed;
    seed.CreateNew(kDefaultSheetNames);
    ASSERT_TRUE(seed.Save(InFolder(folder, kWorkbookFile)).ok);
    Workbook book;
    ASSERT_TRUE(OpenMeasureWorkbook(folder, book).ok);
    ASSERT_TRUE(ExportToWorkbook(*doc, Measured(), folder, book, 3).ok);
    const std::string convert = "cd '" + folder + "' && timeout 120 soffice --headless -env:UserInstallation=file://" +
                                folder + "/profile --convert-to ods --outdir out Micro.xlsx >/dev/null 2>&1";
    ASSERT_EQ(std::system(convert.c_str()), 0);
    // The sheets in order, the table's texts, one picture frame on the third sheet.
    const std::string out = RunCommand(
        "/usr/bin/python3 -c \"import re,sys,zipfile; s=zipfile.ZipFile(sys.argv[1]).read('content.xml').decode();"
        "t=re.findall(r'<table:table table:name=.([^\\x22]+).', s); print(t);"
        "third=s[s.find('table:name=\\x22Sheet3'):]; print(third.count('<draw:frame'), '항목' in third, '90.00' in third)\" " +
        folder + "/out/Micro.ods");
    EXPECT_EQ(out, "['Sheet1', 'Sheet2', 'Sheet3']\n1 True True\n");
}

TEST(MeasureExport, DamagedWorkbookIsRefusedAndLeftAlone) {
    doctest::Bench bench(true);
    auto doc = bench.Open(8, 8, doctest::Gradient);
    const std::string folder = bench.folder.Path().string();
    const std::string path = InFolder(folder, kWorkbookFile);
    Workbook good;
    good.CreateNew(kDefaultSheetNames);
    std::string bytes;
    ASSERT_TRUE(good.Serialise(bytes).ok);
    const std::string damaged[] = {"", "not a zip file", bytes.substr(0, bytes.size() / 2),
                                   bytes.substr(0, 30) + std::string(200, '\0') + bytes.substr(230)};
    for (const std::string& d : damaged) {
        testing_support::WriteFileBytes(path, std::vector<uint8_t>(d.begin(), d.end()));
        Workbook book;
        const Status s = OpenMeasureWorkbook(folder, book);
        EXPECT_FALSE(s.ok);
        EXPECT_EQ(s.message, msg::kExcelVersion);
        const auto after = testing_support::ReadFileBytes(path);
        EXPECT_EQ(std::string(after.begin(), after.end()), d);
    }
}
