// `tessaro-cli apply` with text:, calendar:, frame: and face:: a calendar page made,
// saved as a project, reopened with its text still editable and exported; the
// refusals (exit 2 when the table's ranges catch them, 1 when the operation does);
// an unknown face falls back to a Korean face and says so.
#include <gtest/gtest.h>

#include <algorithm>

#include "CliSupport.h"
#include "Codecs.h"

using namespace cli_support;

namespace {

class TextOps : public CliTest {
protected:
    // photo.bmp: 240 x 160, every pixel its own colour.
    void SetUp() override {
        CImageBuffer picture(240, 160, 24, kFormatBmp);
        testing_support::FillTrueColour(picture, [](int x, int y) {
            return uint32_t(x & 0xFF) << 16 | uint32_t((y * 3) & 0xFF) << 8 | uint32_t((x + y) & 0xFF);
        });
        ASSERT_TRUE(picture.Save(Work("photo.bmp"), kFormatBmp));
    }
    static bool Has(const std::vector<std::string>& lines, const std::string& part) {
        return std::any_of(lines.begin(), lines.end(), [&](const std::string& l) { return l.find(part) != std::string::npos; });
    }
};

TEST_F(TextOps, CalendarPageRoundTrip) {
    CliResult r = Run({"apply", "photo.bmp", "page.tsr", "--layers", "--history", "calendar:year=2025,month=5,size=8,colour=#203080",
                       "frame:style=2,thickness=12,main=#805020", "text:x=20,y=8,text=우리반 5월,size=12,colour=#C02020,style=bold"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(Has(r.OutLines(), "name= [달력] 5월"));
    EXPECT_TRUE(Has(r.OutLines(), "name=[ImgFrame]"));
    EXPECT_TRUE(Has(r.OutLines(), "kind=2"));
    EXPECT_TRUE(Has(r.OutLines(), "[달력]"));
    EXPECT_TRUE(Has(r.OutLines(), "사진틀 넣기"));
    EXPECT_TRUE(Has(r.OutLines(), "글자입력"));
    // Reopened, the title is still text: it can be edited, then the page is exported.
    r = Run({"apply", "page.tsr", "page2.tsr", "--layers", "text:edit=1,text=우리반 달력"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(Has(r.OutLines(), "kind=2"));
    r = Run({"convert", "page2.tsr", "page.jpg"});
    ASSERT_EQ(r.status, 0) << r.err;
    CImageBuffer page;
    ASSERT_TRUE(DecodeFile(Work("page.jpg"), page));
    EXPECT_EQ(page.Width(), 240);
    EXPECT_EQ(page.Height(), 160);
    // The frame's outer ring of style 2 at the bottom-left corner is dark.
    const RgbQuad corner = page.ColourAt(0, 0);
    EXPECT_LT(corner.red + corner.green + corner.blue, 60);
    // Undo of the calendar removes its layer.
    r = Run({"apply", "photo.bmp", "-", "--layers", "calendar:year=2025,month=5", "57643"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_FALSE(Has(r.OutLines(), "[달력]"));
}

TEST_F(TextOps, Refusals) {
    struct Case {
        std::string op;
        int status;
    } cases[] = {
        {"calendar:month=13", 2},        {"calendar:year=0", 2},          {"calendar:year=10000", 2},
        {"frame:thickness=4", 2},        {"frame:thickness=301", 2},      {"face:strength=10.1", 2},
        {"face:strength=-0.1", 2},       {"face:strength=1.25", 2},       {"face:mode=2", 2},
        {"text:text=가,size=0", 2},      {"text:text=", 1},               {"text:text=가,style=fancy", 1},
    };
    for (const Case& c : cases) {
        const CliResult r = Run({"apply", "photo.bmp", "out.bmp", "--layers", c.op});
        EXPECT_EQ(r.status, c.status) << c.op << " " << r.err;
        EXPECT_FALSE(r.err.empty()) << c.op;
        if (c.status == 1) EXPECT_EQ(std::count(r.out.begin(), r.out.end(), '\n'), 1) << c.op;  // the backdrop only
    }
    EXPECT_EQ(Run({"apply", "photo.bmp", "-", "text:text="}).ErrLines(), std::vector<std::string>{"입력할 글자가 없습니다."});
}

TEST_F(TextOps, UnknownFaceFallsBackToKorean) {
    const CliResult r = Run({"apply", "photo.bmp", "-", "text:text=한글,face=NoSuchFace"});
    EXPECT_EQ(r.status, 0);
    ASSERT_EQ(r.ErrLines().size(), 1u) << r.err;
    EXPECT_NE(r.err.find("NoSuchFace"), std::string::npos);
    EXPECT_NE(r.err.find("NanumGothic"), std::string::npos);
    EXPECT_EQ(Run({"apply", "photo.bmp", "-", "text:text=한글,face=NanumMyeongjo"}).err, "");
}

TEST_F(TextOps, FaceTouchesOnlyItsRectangle) {
    const CliResult r = Run({"apply", "photo.bmp", "out.bmp", "face:mode=0,strength=2.5,x0=60,y0=40,x1=160,y1=100"});
    ASSERT_EQ(r.status, 0) << r.err;
    CImageBuffer before, after;
    ASSERT_TRUE(DecodeFile(Work("photo.bmp"), before));
    ASSERT_TRUE(DecodeFile(Work("out.bmp"), after));
    int changed = 0;
    for (int y = 0; y < 160; ++y)
        for (int x = 0; x < 240; ++x) {
            const RgbQuad a = before.ColourAt(x, y), b = after.ColourAt(x, y);
            if (a.red == b.red && a.green == b.green && a.blue == b.blue) continue;
            ASSERT_TRUE(x >= 60 && x < 160 && y >= 40 && y < 100) << x << " " << y;
            ++changed;
        }
    EXPECT_GT(changed, 1000);
    const CliResult listing = Run({"ops"});
    EXPECT_NE(listing.out.find("strength=0.0..10.0 (1.0)"), std::string::npos);
}

}  // namespace
