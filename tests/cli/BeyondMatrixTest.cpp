// `tessaro-cli convert` over the PNG, WebP, AVIF and EXIF orientation test pictures: each `exact` file
// converts with its reference pixels (opaque ones to BMP, those with alpha to PNG,
// colour compared where the reference alpha is not 0) and survives FILE -> PNG -> PNG
// exactly; photographs also go through WebP and AVIF within the lossy codecs' error;
// `fails` files end with a message, quickly, and leave nothing behind.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <thread>

#include "CliSupport.h"
#include "Codecs.h"

using namespace cli_support;
using testing_support::ReadReference;
using testing_support::SameRgba;
using testing_support::TestDataDir;

namespace {

struct Chain {
    const ManifestRow* row = nullptr;
    std::vector<std::string> steps;  // file names; steps[0] is the input's full path
    std::vector<CliResult> results;
    double seconds = 0;
};

void RunChains(std::vector<Chain>& chains, const std::filesystem::path& work, const std::filesystem::path& tmp) {
    std::atomic<size_t> next{0};
    auto worker = [&] {
        for (size_t i = next++; i < chains.size(); i = next++) {
            Chain& c = chains[i];
            const auto start = std::chrono::steady_clock::now();
            for (size_t s = 1; s < c.steps.size(); ++s) {
                c.results.push_back(RunCli({"convert", c.steps[s - 1], c.steps[s]}, work, tmp));
                if (c.results.back().status != 0) break;
            }
            c.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        }
    };
    std::vector<std::thread> threads;
    for (int t = 0; t < 3; ++t) threads.emplace_back(worker);
    for (std::thread& t : threads) t.join();
}

// Mean absolute error per channel and the largest error over colour (where the
// reference alpha is not 0) and alpha.
void Errors(const CImageBuffer& got, const CImageBuffer& want, double& mean, int& largest) {
    int64_t sum = 0, count = 0;
    largest = 0;
    for (int y = 0; y < want.Height(); ++y)
        for (int x = 0; x < want.Width(); ++x) {
            const RgbQuad a = got.ColourAt(x, y), b = want.ColourAt(x, y);
            const int alphaWant = testing_support::AlphaAt(want, x, y);
            int d[4] = {std::abs(a.red - b.red), std::abs(a.green - b.green), std::abs(a.blue - b.blue),
                        std::abs(testing_support::AlphaAt(got, x, y) - alphaWant)};
            for (int i = 0; i < 4; ++i) {
                if (i < 3 && alphaWant == 0) continue;
                sum += d[i];
                ++count;
                largest = std::max(largest, d[i]);
            }
        }
    mean = count ? double(sum) / double(count) : 0;
}

class BeyondMatrix : public CliTest {
protected:
    void SetUp() override {
        manifest = ReadManifest("MANIFEST-beyond.tsv");
        if (manifest.empty()) GTEST_SKIP() << "no shared test pictures";
        dir = TestDataDir();
    }

    void Reference(const ManifestRow& row, CImageBuffer& ref) {
        ASSERT_TRUE(ReadReference(dir + "/" + row.reference, ref)) << row.reference;
    }

    std::vector<ManifestRow> manifest;
    std::string dir;
};

TEST_F(BeyondMatrix, ExactFilesConvertWithTheirPixelsAndSurvivePngTwice) {
    std::vector<Chain> chains;
    for (const ManifestRow& r : manifest) {
        if (r.expect != "exact") continue;
        const bool alpha = r.reference.ends_with(".pam");
        chains.push_back({&r, {dir + "/" + r.file, r.file + (alpha ? ".png" : ".bmp")}, {}, 0});
        chains.push_back({&r, {dir + "/" + r.file, r.file + ".x.png", r.file + ".y.png"}, {}, 0});
    }
    ASSERT_GE(chains.size(), 80u);
    RunChains(chains, WorkPath(), TmpPath());
    for (const Chain& c : chains) {
        SCOPED_TRACE(c.steps.front() + " -> " + c.steps.back());
        ASSERT_EQ(c.results.size(), c.steps.size() - 1);
        for (const CliResult& res : c.results) {
            EXPECT_EQ(res.status, 0);
            EXPECT_EQ(res.err, "");
        }
        CImageBuffer got, ref;
        ASSERT_TRUE(DecodeFile(Work(c.steps.back()), got)) << got.LastError();
        Reference(*c.row, ref);
        EXPECT_TRUE(SameRgba(got, ref));
    }
}

TEST_F(BeyondMatrix, PhotographsGoThroughWebpAndAvifWithinTheLossyError) {
    std::vector<Chain> chains;
    for (const ManifestRow& r : manifest) {
        if (!r.Marked("[lossy round trip]")) continue;
        for (const char* ext : {".webp", ".avif"})
            chains.push_back({&r, {dir + "/" + r.file, r.file + ext, r.file + ext + ".png"}, {}, 0});
    }
    ASSERT_GE(chains.size(), 14u);
    RunChains(chains, WorkPath(), TmpPath());
    for (const Chain& c : chains) {
        SCOPED_TRACE(c.steps.front() + " -> " + c.steps[1]);
        ASSERT_EQ(c.results.size(), 2u);
        EXPECT_EQ(c.results[0].status, 0) << c.results[0].err;
        EXPECT_EQ(c.results[1].status, 0) << c.results[1].err;
        CImageBuffer got, ref;
        ASSERT_TRUE(DecodeFile(Work(c.steps.back()), got)) << got.LastError();
        Reference(*c.row, ref);
        ASSERT_EQ(got.Width(), ref.Width());
        ASSERT_EQ(got.Height(), ref.Height());
        double mean = 0;
        int largest = 0;
        Errors(got, ref, mean, largest);
        EXPECT_LE(mean, 3.0);
        EXPECT_LE(largest, 40);
    }
}

TEST_F(BeyondMatrix, BrokenFilesFailQuicklyWithAMessageAndNoOutput) {
    std::vector<Chain> chains;
    for (const ManifestRow& r : manifest)
        if (r.expect == "fails")
            for (const char* ext : {".png", ".bmp"}) chains.push_back({&r, {dir + "/" + r.file, r.file + ext}, {}, 0});
    ASSERT_GE(chains.size(), 26u);
    RunChains(chains, WorkPath(), TmpPath());
    for (const Chain& c : chains) {
        SCOPED_TRACE(c.steps.front() + " -> " + c.steps.back());
        ASSERT_EQ(c.results.size(), 1u);
        EXPECT_EQ(c.results[0].status, 1);
        EXPECT_FALSE(c.results[0].err.empty());
        EXPECT_LT(c.seconds, 20.0);
    }
    EXPECT_EQ(FolderEntries(WorkPath()), std::vector<std::string>{});
}

TEST_F(BeyondMatrix, QuestionableFilesEndWithAPictureOrAMessage) {
    std::vector<Chain> chains;
    for (const ManifestRow& r : manifest)
        if (r.expect == "no-crash") chains.push_back({&r, {dir + "/" + r.file, r.file + ".png"}, {}, 0});
    ASSERT_GE(chains.size(), 4u);
    RunChains(chains, WorkPath(), TmpPath());
    for (const Chain& c : chains) {
        SCOPED_TRACE(c.steps.front());
        const CliResult& res = c.results.at(0);
        ASSERT_TRUE(res.status == 0 || res.status == 1) << res.status << " " << res.err;
        EXPECT_LT(c.seconds, 20.0);
        CImageBuffer got;
        if (res.status == 0) EXPECT_TRUE(DecodeFile(Work(c.steps.back()), got));
        else EXPECT_FALSE(std::filesystem::exists(Work(c.steps.back())));
    }
}

}  // namespace
