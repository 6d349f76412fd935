// Scanner input: the frames SANE delivers (grey, colour, three passes, 1, 8 and 16
// bits) made into a picture, and the two menu entries against SANE's "test" backend
// and against a system without any scanner.
#include <QMdiArea>
#include <QSettings>
#include <array>
#include <cstring>
#include <cstdlib>
#include <gtest/gtest.h>

#include "AppTestSupport.h"
#include "CommandMap.h"
#include "MainFrame.h"
#include "ShellTexts.h"
#include "Scanner.h"
#include "TestSupport.h"

namespace {

using A = ScanAssembler;

// Blue, green, red of pixel (x, y).
std::array<int, 3> Pixel(const PlainBitmap& b, int x, int y) {
    const uint8_t* p = b.pixels.data() + size_t(y) * size_t(b.stride) + size_t(x) * 3;
    return {p[0], p[1], p[2]};
}

TEST(ScanAssembler, FramesOfEveryKindAndDepthBecomeBlueGreenRedRows) {
    const uint16_t hi = 0xAB00 | 0x12, lo = 0x3400;
    const auto bytes16 = [](std::initializer_list<uint16_t> v) {
        std::vector<uint8_t> out(v.size() * 2);
        std::memcpy(out.data(), std::data(v), out.size());
        return out;
    };
    const struct Case {
        const char* name;
        std::vector<A::Frame> frames;
        std::vector<std::vector<uint8_t>> data;
        int width, height;
        std::array<int, 3> first, last;  // pixel (0, 0) and the last pixel, blue-green-red
    } cases[] = {
        // Two grey pixels a line with two bytes of padding; the half line at the end is dropped.
        {"grey 8", {{A::kGrey, 8, 2, 4, -1}}, {{10, 20, 0, 0, 30, 40, 0, 0, 50}}, 2, 2, {10, 10, 10}, {40, 40, 40}},
        // Line art: a set bit is black.
        {"grey 1", {{A::kGrey, 1, 9, 2, 1}}, {{0b10000000, 0b00000000}}, 9, 1, {0, 0, 0}, {255, 255, 255}},
        {"rgb 8", {{A::kRgb, 8, 1, 3, 2}}, {{1, 2, 3, 4, 5, 6}}, 1, 2, {3, 2, 1}, {6, 5, 4}},
        {"rgb 16", {{A::kRgb, 16, 1, 6, 1}}, {bytes16({hi, lo, 0xFFFF})}, 1, 1, {255, 0x34, 0xAB}, {255, 0x34, 0xAB}},
        {"three passes",
         {{A::kRed, 8, 2, 2, 1}, {A::kGreen, 8, 2, 2, 1}, {A::kBlue, 8, 2, 2, 1}},
         {{1, 2}, {3, 4}, {5, 6}},
         2, 1, {5, 3, 1}, {6, 4, 2}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        A picture;
        for (size_t i = 0; i < c.frames.size(); ++i) {
            ASSERT_TRUE(picture.Begin(c.frames[i]).ok);
            ASSERT_TRUE(picture.Add(c.data[i].data(), c.data[i].size()));
        }
        PlainBitmap b;
        ASSERT_TRUE(picture.Finish(b).ok);
        EXPECT_EQ(b.width, c.width);
        EXPECT_EQ(b.height, c.height);
        EXPECT_EQ(b.stride % 4, 0);
        EXPECT_TRUE(b.topDown);
        EXPECT_EQ(Pixel(b, 0, 0), c.first);
        EXPECT_EQ(Pixel(b, c.width - 1, c.height - 1), c.last);
    }
}

TEST(ScanAssembler, FramesItCannotReadAreRefusedWithTheScannerMessage) {
    const std::vector<std::vector<A::Frame>> refused = {
        {{A::kGrey, 4, 2, 2, 1}},                          // depth 4
        {{A::kRgb, 8, 4, 11, 1}},                          // 12 bytes of pixels in an 11-byte line
        {{A::kGrey, 8, 0, 4, 1}},                          // no pixels
        {{A::kGrey, 8, 1 << 15, 1 << 15, 1 << 16}},        // past the size limit
        {{A::kRed, 8, 2, 2, 1}, {A::kGreen, 8, 3, 3, 1}},  // passes of different widths
        {{A::kRed, 8, 2, 2, 1}, {A::kRed, 8, 2, 2, 1}},    // the same pass twice
        {{A::kRgb, 8, 1, 3, 1}, {A::kRgb, 8, 1, 3, 1}},    // a second whole picture
    };
    for (const auto& frames : refused) {
        A picture;
        Status last = Status::Ok();
        for (const A::Frame& f : frames)
            if (last) last = picture.Begin(f);
        EXPECT_FALSE(last.ok) << frames.size() << " " << frames[0].depth;
        EXPECT_EQ(last.message, shell_text::kScanFormat);
    }
    // Two passes of three, or no complete line, give no picture.
    PlainBitmap b;
    A twoPasses;
    ASSERT_TRUE(twoPasses.Begin({A::kRed, 8, 1, 1, 1}).ok);
    ASSERT_TRUE(twoPasses.Begin({A::kGreen, 8, 1, 1, 1}).ok);
    EXPECT_FALSE(twoPasses.Finish(b).ok);
    A partial;
    ASSERT_TRUE(partial.Begin({A::kGrey, 8, 4, 4, -1}).ok);
    const uint8_t three[3] = {1, 2, 3};
    partial.Add(three, 3);
    EXPECT_FALSE(partial.Finish(b).ok);
}

// SANE with only the backends a test folder's dll.conf names.
struct SaneFrame : app_test::EditorFrame {
    testing_support::TempDir config;
    void UseBackends(const std::string& list) {
        testing_support::WriteFileBytes(config.File("dll.conf"), std::vector<uint8_t>(list.begin(), list.end()));
        setenv("SANE_CONFIG_DIR", config.Path().c_str(), 1);
    }
    void TearDown() override { unsetenv("SANE_CONFIG_DIR"); }
};

TEST_F(SaneFrame, TheTestBackendIsChosenAndScannedIntoANewPicture) {
    UseBackends("test\n");
    std::vector<ScanDevice> devices;
    ASSERT_TRUE(ListScanDevices(devices).ok);
    if (devices.empty()) GTEST_SKIP() << "SANE's test backend is not installed";
    EXPECT_EQ(devices[0].name.rfind("test:", 0), 0u) << devices[0].name;
    // Stopped at the first chunk: nothing and no message.
    PlainBitmap stopped;
    const Status s = ScanPicture(devices[0].name, stopped, [](int) { return false; });
    EXPECT_FALSE(s.ok);
    EXPECT_TRUE(s.message.empty());
    // The scan entry without a chosen device asks for one first; Cancel scans nothing.
    QStringList offered;
    int choice = -1;
    frame->scanDeviceChoice = [&](const QStringList& labels, int) {
        offered = labels;
        return choice;
    };
    frame->RunCommand(kCmdScanAcquire);
    EXPECT_EQ(offered.size(), int(devices.size()));
    EXPECT_EQ(frame->DocumentCount(), 0);
    choice = int(devices.size()) - 1;
    frame->RunCommand(kCmdScanSource);
    offered.clear();
    const int counter = Ws().pictureCounter;
    frame->RunCommand(kCmdScanAcquire);
    EXPECT_TRUE(offered.isEmpty());  // the chosen device is kept
    ASSERT_EQ(frame->DocumentCount(), 1);
    const COrinDoc* doc = frame->DocumentAt(0);
    EXPECT_GT(doc->canvas.width, 0);
    EXPECT_GT(doc->canvas.height, 0);
    EXPECT_EQ(doc->fileName, "스캔 영상 " + std::to_string(counter));
    EXPECT_EQ(Ws().pictureCounter, counter + 1);
    EXPECT_TRUE(messages.empty());
}

TEST_F(SaneFrame, WithoutAScannerBothEntriesSaySoAndMakeNothing) {
    UseBackends("");
    std::vector<ScanDevice> devices;
    ASSERT_TRUE(ListScanDevices(devices).ok);
    EXPECT_TRUE(devices.empty());
    frame->scanDeviceChoice = [](const QStringList&, int) {
        ADD_FAILURE() << "no device to choose";
        return 0;
    };
    EXPECT_TRUE(frame->IsCommandEnabled(kCmdScanSource));
    frame->RunCommand(kCmdScanSource);
    frame->RunCommand(kCmdScanAcquire);
    EXPECT_EQ(messages, (std::vector<QString>{QString::fromUtf8(shell_text::kNoScanner), QString::fromUtf8(shell_text::kNoScanner)}));
    EXPECT_EQ(frame->DocumentCount(), 0);
    // A device kept from an earlier run that is gone now: the message with SANE's reason.
    messages.clear();
    QSettings(frame->LayoutFilePath(), QSettings::IniFormat).setValue(QStringLiteral("scanner/device"), "gone:0");
    frame->RunCommand(kCmdScanAcquire);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_TRUE(messages[0].startsWith(QString::fromUtf8(shell_text::kNoScanner))) << messages[0].toStdString();
    EXPECT_EQ(frame->DocumentCount(), 0);
}

}  // namespace
