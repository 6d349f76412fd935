// Every regression input (files the fuzzers and reviews found faults with, under
// tests/data/regress/<format>) goes through what its fuzz target does: opened, drawn,
// painted, copied and saved. Built with the sanitizers, a fault that comes back stops
// the test; every input either opens or fails with the open message.
#include <gtest/gtest.h>

#include <filesystem>

#include "ByteStream.h"
#include "History.h"
#include "MeasureFile.h"
#include "Messages.h"
#include "OpenAndUse.h"
#include "ViewTestSupport.h"

TEST(RegressionInputs, EveryInputOpensOrFailsWithTheOpenMessage) {
    const struct {
        const char* folder;
        int code;
    } formats[] = {{"bmp", kFormatBmp},   {"gif", kFormatGif},   {"jpeg", kFormatJpeg},
                   {"tiff", kFormatTiff}, {"pcx", kFormatPcx},   {"psd", kFormatPsd},
                   {"png", kFormatPng},   {"webp", kFormatWebp}, {"avif", kFormatAvif},
                   {"project", kFormatProject}, {"measure", kFormatMeasure}};
    testing_support::TempDir dir;
    SilentHost host;
    Workspace workspace;
    workspace.host = &host;
    workspace.stepFolder = dir.Path().string();
    int inputs = 0;
    for (const auto& f : formats) {
        const std::filesystem::path folder = testing_support::RegressionPath(f.folder);
        if (!std::filesystem::is_directory(folder)) continue;
        for (const auto& entry : std::filesystem::directory_iterator(folder)) {
            const std::string name = std::string(f.folder) + "/" + entry.path().filename().string();
            SCOPED_TRACE(name);
            const std::vector<uint8_t> bytes = testing_support::RegressionBytes(name);
            Status s;
            if (f.code == kFormatMeasure) {
                // What the measurement file's fuzz target does.
                COrinDoc doc(workspace);
                MeasureSheet sheet;
                MemoryStream in(bytes);
                s = ReadMeasurements(doc, sheet, in, Calibration{});
                if (s) UseDocument(doc);
                RemoveStepFiles(doc);
            } else {
                s = OpenAndUse(workspace, bytes.data(), bytes.size(), f.code);
            }
            if (!s) EXPECT_TRUE(s.message.rfind(msg::kCannotOpen, 0) == 0 || s.message == msg::kProjectVersion) << s.message;
            ++inputs;
        }
    }
    EXPECT_GE(inputs, 7);
}
