// `apply --ops-file`: a recipe's lines run as if they were written on the command line
// in its place (comments, blank lines, CR LF and a byte-order mark ignored); a recipe
// that cannot be read or holds a bad line is a usage error that runs nothing; and the
// README's xargs line runs one independent run per picture.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>

#include "CliSupport.h"
#include "Codecs.h"

using namespace cli_support;
using testing_support::FillTrueColour;
using testing_support::ReadFileBytes;

namespace {

using Lines_ = std::vector<std::string>;

void WriteText(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

class Recipe : public CliTest {
protected:
    void SetUp() override {
        CImageBuffer picture(3, 2, 24, kFormatBmp);
        FillTrueColour(picture, [](int x, int y) { return uint32_t(0x30 * x) << 16 | uint32_t(0x50 * y) << 8 | 0x20; });
        ASSERT_TRUE(picture.Save(Work("in.bmp"), kFormatBmp));
        WriteText(Work("r.ops"),
                  "\xEF\xBB\xBF# a copy of the picture, half transparent, moved\r\n"
                  "add-layer\r\n"
                  "\r\n"
                  "   set-layer:transparency=128,x=1   \r\n"
                  "\t# then the backdrop\n"
                  "select-layer:slot=0\n"
                  "invert");
    }
    static constexpr const char* kRecipeOps[] = {"add-layer", "set-layer:transparency=128,x=1", "select-layer:slot=0",
                                                  "invert"};
};

TEST_F(Recipe, LinesRunWhereTheRecipeIsNamed) {
    const std::vector<std::string> head = {"apply", "in.bmp"};
    const struct {
        Lines_ withRecipe, spelledOut;
    } cases[] = {
        {{"--ops-file", "r.ops"}, {kRecipeOps[0], kRecipeOps[1], kRecipeOps[2], kRecipeOps[3]}},
        {{"1552", "--ops-file", "r.ops", "undo"}, {"1552", kRecipeOps[0], kRecipeOps[1], kRecipeOps[2], kRecipeOps[3], "undo"}},
        {{"--ops-file", "r.ops", "--ops-file", "r.ops"},
         {kRecipeOps[0], kRecipeOps[1], kRecipeOps[2], kRecipeOps[3], kRecipeOps[0], kRecipeOps[1], kRecipeOps[2],
          kRecipeOps[3]}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.withRecipe.size());
        Lines_ a = {"apply", "in.bmp", "a.bmp", "--layers", "--history"}, b = a;
        b[2] = "b.bmp";
        a.insert(a.end(), c.withRecipe.begin(), c.withRecipe.end());
        b.insert(b.end(), c.spelledOut.begin(), c.spelledOut.end());
        const CliResult ra = Run(a), rb = Run(b);
        EXPECT_EQ(ra.status, 0) << ra.err;
        EXPECT_EQ(ra.err, "");
        EXPECT_EQ(ra.out, rb.out);
        EXPECT_EQ(ra.status, rb.status);
        EXPECT_EQ(ReadFileBytes(Work("a.bmp")), ReadFileBytes(Work("b.bmp")));
    }
    // The first recipe did what it says: two layers, the history of an added layer and
    // an inversion (set-layer and select-layer record no step).
    const CliResult r = Run({"apply", "in.bmp", "-", "--layers", "--history", "--ops-file", "r.ops"});
    const Lines_ want = {"slot=0 kind=1 visible=1 transparency=0 blend=0 x=0 y=0 width=3 height=2 name=배경영상",
                         "slot=1 kind=0 visible=1 transparency=128 blend=0 x=1 y=0 width=3 height=2 name=레이어 1",
                         "  2               반전변환", "  1              레이어추가", "  0             (처음영상)"};
    EXPECT_EQ(r.OutLines(), want);
}

TEST_F(Recipe, UnreadableOrBadRecipesRunNothing) {
    testing_support::WriteFileBytes(Work("out.bmp"), {'o', 'l', 'd'});
    WriteText(Work("bad.ops"), "# fine so far\n1552\nfrobnicate\n");
    WriteText(Work("value.ops"), "\n\nset-layer:blend=10\n");
    WriteText(Work("big.ops"), std::string((1 << 20) + 1, '#'));
    WriteText(Work("binary.ops"), std::string("1552\n\0\n", 7));
    const struct {
        Lines_ args;
        std::string message;
    } cases[] = {
        {{"--ops-file", "missing.ops"}, "cannot read ops file: missing.ops (No such file or directory)"},
        {{"--ops-file", "."}, "cannot read ops file: . (Is a directory)"},
        {{"--ops-file", "big.ops"}, "cannot read ops file: big.ops (larger than 1 MiB)"},
        {{"--ops-file", "binary.ops"}, "cannot read ops file: binary.ops (not a text file)"},
        {{"--ops-file", "bad.ops"}, "bad.ops:3: unknown operation: frobnicate"},
        {{"1552", "--ops-file", "value.ops"}, "value.ops:3: bad value: blend=10 (0..9)"},
        {{"frobnicate", "--ops-file", "value.ops"}, "unknown operation: frobnicate"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.message);
        Lines_ args = {"apply", "in.bmp", "out.bmp"};
        args.insert(args.end(), c.args.begin(), c.args.end());
        const CliResult r = Run(args);
        EXPECT_EQ(r.status, 2);
        EXPECT_EQ(r.out, "");
        EXPECT_EQ(r.ErrLines(), Lines_{c.message});
    }
    const CliResult r = Run({"apply", "in.bmp", "out.bmp", "1552", "--ops-file"});
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.err.rfind("usage: ", 0), 0u) << r.err;
    EXPECT_EQ(ReadFileBytes(Work("out.bmp")), (std::vector<uint8_t>{'o', 'l', 'd'}));
}

// The README's xargs line, as a user runs it: every picture gets its own run and its
// output, a file that cannot be opened is named with its exit status, the others go on.
TEST_F(Recipe, ReadmeXargsLineRunsEveryPictureOnItsOwn) {
    std::filesystem::create_directories(Work("photos"));
    std::filesystem::create_directories(Work("out"));
    const Lines_ good = {"a.bmp", "b.bmp", "c.bmp", "d.bmp", "e.bmp"};
    for (const std::string& name : good) std::filesystem::copy_file(Work("in.bmp"), Work("photos/" + name));
    WriteText(Work("photos/broken.bmp"), "BM not a picture");
    const std::string cliFolder = std::filesystem::path(TESSARO_CLI_PATH).parent_path().string();
    WriteText(Work("batch.sh"),
              "printf '%s\\0' photos/*.bmp | xargs -0 -n1 -P4 sh -c \\\n"
              "  'tessaro-cli apply \"$1\" \"out/${1##*/}\" --ops-file r.ops || echo \"$1: exit $?\"' sh\n");
    const std::string command = "cd '" + WorkPath().string() + "' && TMPDIR='" + TmpPath().string() + "' PATH='" +
                                cliFolder + "':\"$PATH\" sh batch.sh >result.txt 2>errors.txt";
    const int status = std::system(command.c_str());
    EXPECT_TRUE(WIFEXITED(status));
    std::ifstream in(Work("result.txt"));
    std::string line;
    Lines_ lines;
    while (std::getline(in, line)) lines.push_back(line);
    EXPECT_EQ(lines, Lines_{"photos/broken.bmp: exit 1"});
    EXPECT_EQ(FolderEntries(Work("out")), good);
    for (const std::string& name : good) EXPECT_EQ(ReadFileBytes(Work("out/" + name)), ReadFileBytes(Work("out/a.bmp")));
    std::filesystem::remove(Work("result.txt"));
    std::filesystem::remove(Work("errors.txt"));
}

}  // namespace
