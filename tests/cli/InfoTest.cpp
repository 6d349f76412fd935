// `tessaro-cli info`: the picture as decoded (format code, size, depth and palette
// entries before the document converts anything) and the number of layers; projects
// give their canvas. Failures exit 1 with the system's message, usage errors 2.
#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>

#include "CliSupport.h"

using namespace cli_support;
using testing_support::TestDataDir;

namespace {

using Lines_ = std::vector<std::string>;

Lines_ InfoLines(int format, int width, int height, int bits, int palette, int layers) {
    return {"format " + std::to_string(format),   "width " + std::to_string(width),
            "height " + std::to_string(height),   "bits " + std::to_string(bits),
            "palette " + std::to_string(palette), "layers " + std::to_string(layers)};
}

class Info : public CliTest {};

// Expected values from each file's header (see the manifest's variant column) and the
// readers' rules: palette pictures keep their depth with a palette of 2^bits entries
// (GIF: 1 bit for at most 2 colours, 4 for at most 16, else 8); JPEG grey gives 8 bits
// with a 256-entry grey palette; PSD always comes in as 24-bit colour. A JPEG with an
// EXIF orientation is reported as it opens, upright: the one stored 46x70 with
// orientation 6 (turn a quarter clockwise to view) is 70x46.
TEST_F(Info, PicturesOfEveryFormatAsDecoded) {
    const std::string dir = TestDataDir();
    if (dir.empty()) GTEST_SKIP();
    const struct {
        const char* file;
        Lines_ lines;
    } cases[] = {
        {"gen--im-bmp3-rle8.bmp", InfoLines(1, 70, 46, 8, 256, 1)},
        {"gen--netpbm-bmp-os2core-1.bmp", InfoLines(1, 70, 46, 1, 2, 1)},
        {"gen--netpbm-bmp-v3-4.bmp", InfoLines(1, 70, 46, 4, 16, 1)},
        {"golang-x-image--video-001-24bit.bmp", InfoLines(1, 150, 103, 24, 0, 1)},
        {"golang-src--video-001.gif", InfoLines(2, 150, 103, 8, 256, 1)},
        {"golang-src--video-001-5bpp.gif", InfoLines(2, 150, 103, 8, 256, 1)},
        {"wx-examples--throbber-anim-transparent.gif", InfoLines(2, 32, 32, 4, 16, 1)},
        {"gdk-pixbuf-gifsuite--depth1.gif", InfoLines(2, 1, 1, 1, 2, 1)},
        {"golang-src--video-001.jpeg", InfoLines(0, 150, 103, 24, 0, 1)},
        {"golang-src--video-005-gray.jpeg", InfoLines(0, 150, 103, 8, 256, 1)},
        {"gen--im-jpeg-exif-orient6.jpg", InfoLines(0, 70, 46, 24, 0, 1)},
        {"golang-x-image--video-001-gray.tiff", InfoLines(3, 150, 103, 8, 256, 1)},
        {"golang-x-image--bw-packbits.tiff", InfoLines(3, 153, 55, 1, 2, 1)},
        {"gen--im-tiff-rgb8-LZW.tif", InfoLines(3, 70, 46, 24, 0, 1)},
        {"allegro5-doc--planet-8bit-oddwidth.pcx", InfoLines(4, 49, 49, 8, 256, 1)},
        {"gen--netpbm-pcx-packed-4bit.pcx", InfoLines(4, 70, 46, 4, 16, 1)},
        {"gen--im-pcx-24bit-3plane.pcx", InfoLines(4, 70, 46, 24, 0, 1)},
        {"davegnukem--main-rgb8-4layers.psd", InfoLines(7, 320, 200, 24, 0, 1)},
        {"gen--im-psd-grey8-rle.psd", InfoLines(7, 70, 46, 24, 0, 1)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        const CliResult res = Run({"info", dir + "/" + c.file});
        EXPECT_EQ(res.status, 0);
        EXPECT_EQ(res.err, "");
        EXPECT_EQ(res.OutLines(), c.lines);
    }
}

// The reader is chosen by the extension, with the fall-back order behind it: a BMP
// named ".gif" opens, and "format" tells what it really is.
TEST_F(Info, WrongExtensionOpensThroughTheFallBack) {
    const std::string dir = TestDataDir();
    if (dir.empty()) GTEST_SKIP();
    std::filesystem::copy_file(dir + "/gen--netpbm-bmp-v3-4.bmp", Work("really-bmp.gif"));
    const CliResult res = Run({"info", "really-bmp.gif"});
    EXPECT_EQ(res.status, 0);
    EXPECT_EQ(res.OutLines(), InfoLines(1, 70, 46, 4, 16, 1));
}

// A project written by `apply` gives its canvas and its layers; the 8-bit picture it
// came from was opened as 24-bit colour.
TEST_F(Info, ProjectWrittenByApply) {
    const std::string dir = TestDataDir();
    if (dir.empty()) GTEST_SKIP();
    CliResult res = Run({"apply", dir + "/gen--im-bmp3-rle8.bmp", "three.tsr", "1552", "1552"});
    ASSERT_EQ(res.status, 0) << res.err;
    res = Run({"info", "three.tsr"});
    EXPECT_EQ(res.status, 0);
    EXPECT_EQ(res.err, "");
    EXPECT_EQ(res.OutLines(), InfoLines(5, 70, 46, 24, 0, 3));
}

TEST_F(Info, UnopenableFilesExitOneWithTheMessage) {
    testing_support::WriteFileBytes(Work("empty.bmp"), {});
    testing_support::WriteFileBytes(Work("text.jpg"), {'h', 'e', 'l', 'l', 'o'});
    testing_support::WriteFileBytes(Work("text.tsr"), {'h', 'e', 'l', 'l', 'o'});
    std::filesystem::create_directory(Work("folder.bmp"));
    for (const char* file : {"missing.bmp", "missing.tsr", "empty.bmp", "text.jpg", "text.tsr", "folder.bmp",
                             "measure.sco", "noextension"}) {
        SCOPED_TRACE(file);
        const CliResult res = Run({"info", file});
        EXPECT_EQ(res.status, 1);
        EXPECT_EQ(res.out, "");
        EXPECT_EQ(res.ErrLines(), Lines_{"해당 파일을 열 수 없습니다."});
    }
}

TEST_F(Info, FileNameOfAHundredCharactersIsRefused) {
    const std::string dir = TestDataDir();
    if (dir.empty()) GTEST_SKIP();
    const std::string longName = std::string(96, 'n') + ".bmp";   // 100 characters
    const std::string shortName = std::string(95, 's') + ".bmp";  // 99
    std::filesystem::copy_file(dir + "/gen--netpbm-bmp-v3-4.bmp", Work(longName));
    std::filesystem::copy_file(dir + "/gen--netpbm-bmp-v3-4.bmp", Work(shortName));
    CliResult res = Run({"info", longName});
    EXPECT_EQ(res.status, 1);
    EXPECT_EQ(res.ErrLines(), Lines_{"그림파일명이 너무 깁니다."});
    res = Run({"info", Work(shortName)});
    EXPECT_EQ(res.status, 0) << res.err;
}

// Output that cannot be written is a failure, not a success with nothing printed.
TEST_F(Info, UnwritableStandardOutputIsAFailure) {
    const std::string dir = TestDataDir();
    if (dir.empty()) GTEST_SKIP();
    const CliResult res =
        CliProcess({"info", dir + "/gen--netpbm-bmp-v3-4.bmp"}, WorkPath(), TmpPath(), CliOutput::kFullDevice).Wait();
    EXPECT_EQ(res.status, 1);
    EXPECT_EQ(res.ErrLines(), Lines_{std::strerror(ENOSPC)});
}

TEST_F(Info, UsageErrorsExitTwo) {
    const std::vector<std::vector<std::string>> calls = {
        {},
        {"info"},
        {"info", "a.bmp", "b.bmp"},
        {"convert", "a.bmp"},
        {"convert", "a.bmp", "b.bmp", "c.bmp"},
        {"apply", "a.bmp"},
        {"apply", "a.bmp", "-", "--colours"},
        {"frobnicate", "a.bmp"},
        {"--help"},
    };
    for (const auto& args : calls) {
        SCOPED_TRACE(::testing::PrintToString(args));
        const CliResult res = Run(args);
        EXPECT_EQ(res.status, 2);
        EXPECT_EQ(res.out, "");
        EXPECT_EQ(res.err.rfind("usage: tessaro-cli", 0), 0u) << res.err;
    }
}

}  // namespace
