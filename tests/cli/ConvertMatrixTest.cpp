// `tessaro-cli convert` over the shared test pictures: every `exact` file converts to
// BMP and TIFF with exactly its reference pixels and to JPEG and GIF without error;
// `fails` files exit 1 with a message and create nothing. (TIFF keeps true colour with
// JPEG compression at quality 100, so its colours may move by a step or two.) The conversions of one
// target format run in a few threads at once.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "CliSupport.h"
#include "Codecs.h"

using namespace cli_support;
using testing_support::ReadPpm;
using testing_support::TestDataDir;

namespace {

constexpr const char* kCannotOpen = "해당 파일을 열 수 없습니다.";
constexpr const char* kSaveFailed = "파일을 저장할 수 없습니다.";

struct Job {
    std::string input;   // full path
    std::string output;  // name in the working folder
    const ManifestRow* row = nullptr;
    CliResult result;
};

void RunJobs(std::vector<Job>& jobs, const std::filesystem::path& work, const std::filesystem::path& tmp) {
    std::atomic<size_t> next{0};
    auto worker = [&] {
        for (size_t i = next++; i < jobs.size(); i = next++)
            jobs[i].result = RunCli({"convert", jobs[i].input, jobs[i].output}, work, tmp);
    };
    std::vector<std::thread> threads;
    for (int t = 0; t < 3; ++t) threads.emplace_back(worker);
    for (std::thread& t : threads) t.join();
}

// The rows of one expectation (the headerless `.dib` file included: a name without a
// format of its own is tried with every reader).
std::vector<const ManifestRow*> RowsExpecting(const std::vector<ManifestRow>& manifest, const std::string& expect) {
    std::vector<const ManifestRow*> rows;
    for (const ManifestRow& r : manifest)
        if (r.expect == expect) rows.push_back(&r);
    return rows;
}

class ConvertMatrix : public CliTest {
protected:
    void SetUp() override {
        manifest = ReadManifest();
        if (manifest.empty()) GTEST_SKIP() << "no shared test pictures";
        dir = TestDataDir();
    }

    // Converts every exact file to `extension` and returns the finished jobs.
    std::vector<Job> ConvertExactFiles(const std::string& extension) {
        std::vector<Job> jobs;
        for (const ManifestRow* r : RowsExpecting(manifest, "exact"))
            jobs.push_back({dir + "/" + r->file, r->file + "." + extension, r, {}});
        RunJobs(jobs, WorkPath(), TmpPath());
        return jobs;
    }

    // Every job succeeded quietly and its output decodes to the reference colours
    // (within `tolerance`; < 0: only the reference size).
    void CheckJobs(const std::vector<Job>& jobs, int tolerance, int maxBits) {
        ASSERT_GE(jobs.size(), 70u);
        for (const Job& job : jobs) {
            SCOPED_TRACE(job.row->file + " -> " + job.output);
            EXPECT_EQ(job.result.status, 0);
            EXPECT_EQ(job.result.err, "");
            EXPECT_EQ(job.result.out, "");
            CImageBuffer got, ref;
            ASSERT_TRUE(DecodeFile(Work(job.output), got)) << got.LastError();
            ASSERT_TRUE(ReadPpm(dir + "/" + job.row->reference, ref));
            EXPECT_LE(got.Bpp(), maxBits);
            if (tolerance >= 0) {
                EXPECT_TRUE(SameColours(got, ref, tolerance));
            } else {
                EXPECT_EQ(got.Width(), ref.Width());
                EXPECT_EQ(got.Height(), ref.Height());
            }
        }
    }

    std::vector<ManifestRow> manifest;
    std::string dir;
};

TEST_F(ConvertMatrix, ExactFilesToBmpKeepTheirPixels) { CheckJobs(ConvertExactFiles("bmp"), 0, 24); }

// The document opens every picture as 24-bit colour (8-bit grey ones included: the
// colours are compared, not indices); TIFF stores them losslessly.
TEST_F(ConvertMatrix, ExactFilesToTiffKeepTheirPixels) { CheckJobs(ConvertExactFiles("tif"), 0, 24); }

TEST_F(ConvertMatrix, ExactFilesToJpegDecodeAtTheirSize) { CheckJobs(ConvertExactFiles("jpg"), -1, 24); }

// GIF output is reduced to 8-bit colour first.
TEST_F(ConvertMatrix, ExactFilesToGifDecodeAtTheirSize) { CheckJobs(ConvertExactFiles("gif"), -1, 8); }

TEST_F(ConvertMatrix, BrokenFilesFailWithAMessageAndCreateNothing) {
    std::vector<Job> jobs;
    for (const ManifestRow* r : RowsExpecting(manifest, "fails"))
        for (const char* ext : {"bmp", "tif", "gif"}) jobs.push_back({dir + "/" + r->file, r->file + "." + ext, r, {}});
    ASSERT_GE(jobs.size(), 30u);
    RunJobs(jobs, WorkPath(), TmpPath());
    for (const Job& job : jobs) {
        SCOPED_TRACE(job.row->file + " -> " + job.output);
        EXPECT_EQ(job.result.status, 1);
        EXPECT_EQ(job.result.ErrLines(), std::vector<std::string>{kCannotOpen});
        EXPECT_EQ(job.result.out, "");
    }
    EXPECT_EQ(FolderEntries(WorkPath()), std::vector<std::string>{});
}

TEST_F(ConvertMatrix, NoCrashFilesEndWithAPictureOrAMessage) {
    for (const ManifestRow* r : RowsExpecting(manifest, "no-crash")) {
        SCOPED_TRACE(r->file);
        const CliResult res = Run({"convert", dir + "/" + r->file, "out.bmp"});
        ASSERT_TRUE(res.status == 0 || res.status == 1) << res.status << " " << res.err;
        CImageBuffer got;
        if (res.status == 0) {
            EXPECT_TRUE(DecodeFile(Work("out.bmp"), got));
        } else {
            EXPECT_FALSE(res.err.empty());
            EXPECT_FALSE(std::filesystem::exists(Work("out.bmp")));
        }
        std::filesystem::remove(Work("out.bmp"));
    }
}

// A name whose extension names no format ("dib") is tried with every reader.
TEST_F(ConvertMatrix, HeaderlessDibOpensThroughEveryReader) {
    const std::string dib = dir + "/gen--im-headerless-dib-24.dib";
    const CliResult res = Run({"convert", dib, "out.bmp"});
    EXPECT_EQ(res.status, 0) << res.err;
    CImageBuffer got, ref;
    ASSERT_TRUE(DecodeFile(Work("out.bmp"), got));
    ASSERT_TRUE(ReadPpm(dib + ".ref.ppm", ref));
    EXPECT_TRUE(SameColours(got, ref));
}

TEST_F(ConvertMatrix, OutputsTheEditorCannotSaveFailAndCreateNothing) {
    const std::string rose = dir + "/gen--im-bmp2-os2core-24.bmp";
    for (const char* out : {"out.pcx", "out.psd", "out", "out.", "missing-folder/out.bmp"}) {
        SCOPED_TRACE(out);
        const CliResult res = Run({"convert", rose, out});
        EXPECT_EQ(res.status, 1);
        EXPECT_EQ(res.ErrLines(), std::vector<std::string>{kSaveFailed});
    }
    EXPECT_EQ(FolderEntries(WorkPath()), std::vector<std::string>{});
}

// A missing file and a PNG cut after its header cannot be opened; a BMP under another
// format's name or a name without a known format opens through the readers in turn.
TEST_F(ConvertMatrix, MissingInputAndPngFailOtherNamesTryEveryReader) {
    const std::vector<uint8_t> png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n', 0, 0, 0, 13, 'I', 'H', 'D', 'R',
                                      0, 0, 0, 1, 0, 0, 0, 1, 8, 2, 0, 0, 0, 0x90, 0x77, 0x53, 0xDE};
    testing_support::WriteFileBytes(Work("real.png"), png);
    for (const char* in : {"nothing-here.bmp", "real.png"}) {
        SCOPED_TRACE(in);
        const CliResult res = Run({"convert", in, "out.bmp"});
        EXPECT_EQ(res.status, 1);
        EXPECT_EQ(res.ErrLines(), std::vector<std::string>{kCannotOpen});
    }
    EXPECT_EQ(FolderEntries(WorkPath()), std::vector<std::string>{"real.png"});
    std::filesystem::copy_file(dir + "/gen--im-bmp2-os2core-24.bmp", Work("rose.png"));
    std::filesystem::copy_file(dir + "/gen--im-bmp2-os2core-24.bmp", Work("rose"));
    for (const char* in : {"rose.png", "rose"}) {
        SCOPED_TRACE(in);
        const CliResult res = Run({"convert", in, "out.bmp"});
        EXPECT_EQ(res.status, 0) << res.err;
        CImageBuffer got, ref;
        ASSERT_TRUE(DecodeFile(Work("out.bmp"), got));
        ASSERT_TRUE(ReadPpm(dir + "/gen--im-bmp2-os2core-24.bmp.ref.ppm", ref));
        EXPECT_TRUE(SameColours(got, ref));
    }
}

// Upper-case extensions, an existing output that is replaced, and a project file in
// between: the pixels come through unchanged every time.
TEST_F(ConvertMatrix, ReplacedOutputsAndProjectRoundTripKeepThePixels) {
    const std::string source = dir + "/golang-x-image--video-001-paletted.tiff";
    CImageBuffer ref;
    ASSERT_TRUE(ReadPpm(source + ".ref.ppm", ref));
    std::filesystem::copy_file(source, Work("PICTURE.TIFF"));
    testing_support::WriteFileBytes(Work("out.bmp"), std::vector<uint8_t>(100, 'x'));

    for (const auto& [in, out] : std::vector<std::pair<std::string, std::string>>{
             {"PICTURE.TIFF", "out.bmp"}, {"out.bmp", "copy.TSR"}, {"copy.TSR", "back.BMP"}}) {
        SCOPED_TRACE(in + " -> " + out);
        const CliResult res = Run({"convert", in, out});
        EXPECT_EQ(res.status, 0) << res.err;
    }
    for (const char* name : {"out.bmp", "back.BMP"}) {
        CImageBuffer got;
        ASSERT_TRUE(DecodeFile(Work(name), got)) << name;
        EXPECT_TRUE(SameColours(got, ref)) << name;
    }
    EXPECT_EQ(FolderEntries(WorkPath()), (std::vector<std::string>{"PICTURE.TIFF", "back.BMP", "copy.TSR", "out.bmp"}));
}

}  // namespace
