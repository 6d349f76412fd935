// Window, view and zoom geometry: centring, clamping, zoom limits, anchor scaling
// and the rescroll after a zoom change. Answers are worked out by hand from the
// picture and client sizes.
#include <gtest/gtest.h>

#include "Document.h"
#include "ViewGeometry.h"
#include "ViewState.h"

namespace {

struct Fixture {
    Workspace workspace;
    COrinDoc doc{workspace};
    Fixture(int width, int height) {
        doc.canvas.width = width;
        doc.canvas.height = height;
    }
};

WindowRect Client(int width, int height) { return {0, 0, width - 1, height - 1}; }

TEST(PictureRectTest, SmallPictureIsCentredAndResetsScrolling) {
    Fixture f(100, 50);
    ViewOf(f.doc).scrollH = 17;
    ViewOf(f.doc).scrollV = 9;
    const WindowRect r = PictureRect(f.doc, Client(400, 300));
    EXPECT_EQ(r.left, 150);   // (400 - 100) / 2
    EXPECT_EQ(r.top, 125);    // (300 - 50) / 2
    EXPECT_EQ(r.right, 249);
    EXPECT_EQ(r.bottom, 174);
    EXPECT_EQ(ViewOf(f.doc).scrollH, 0);
    EXPECT_EQ(ViewOf(f.doc).scrollV, 0);
    EXPECT_EQ(ViewOf(f.doc).display[2], 399);
    EXPECT_EQ(ViewOf(f.doc).display[3], 299);
}

TEST(PictureRectTest, LargePictureFillsTheClientAndKeepsItsScrollPosition) {
    Fixture f(1000, 50);
    ViewOf(f.doc).scrollH = 17;
    const WindowRect r = PictureRect(f.doc, Client(400, 300));
    EXPECT_EQ(r.left, 0);
    EXPECT_EQ(r.right, 399);
    EXPECT_EQ(r.top, 125);
    EXPECT_EQ(ViewOf(f.doc).scrollH, 17);
}

TEST(PictureRectTest, ZoomedSizeIsTruncated) {
    Fixture f(101, 51);
    ViewOf(f.doc).zoom = 0.5f;  // 50.5 x 25.5 -> 50 x 25
    const WindowRect r = PictureRect(f.doc, Client(100, 100));
    EXPECT_EQ(r.left, 25);
    EXPECT_EQ(r.right, 74);
    EXPECT_EQ(r.top, 37);    // (100 - 25) / 2
    EXPECT_EQ(r.bottom, 61);
}

TEST(PictureRectTest, OnePixelTooWideStillCountsAsCentred) {
    // (99 - 100) / 2 truncates to 0, which is not negative.
    Fixture f(100, 10);
    const WindowRect r = PictureRect(f.doc, Client(99, 10));
    EXPECT_EQ(r.left, 0);
    EXPECT_EQ(r.right, 99);
}

TEST(WindowToViewTest, PointsInsideASmallPictureLoseTheMargin) {
    Fixture f(100, 50);
    ViewOf(f.doc).zoom = 2.0f;  // 200 x 100 in a 400 x 300 client: left 100, top 100
    int x = 130, y = 199;
    EXPECT_FALSE(WindowToView(f.doc, Client(400, 300), x, y));
    EXPECT_EQ(x, 30);
    EXPECT_EQ(y, 99);
}

TEST(WindowToViewTest, PointsOutsideActAtTheNearestEdge) {
    Fixture f(100, 50);
    int x = 3, y = 299;
    EXPECT_TRUE(WindowToView(f.doc, Client(400, 300), x, y));
    EXPECT_EQ(x, 0);
    EXPECT_EQ(y, 49);
    x = 399;
    y = 0;
    EXPECT_TRUE(WindowToView(f.doc, Client(400, 300), x, y));
    EXPECT_EQ(x, 99);
    EXPECT_EQ(y, 0);
}

TEST(WindowToViewTest, ScrollPositionsAreAdded) {
    Fixture f(1000, 1000);
    ViewOf(f.doc).scrollH = 250;
    ViewOf(f.doc).scrollV = 40;
    int x = 5, y = 7;
    EXPECT_FALSE(WindowToView(f.doc, Client(400, 300), x, y));
    EXPECT_EQ(x, 255);
    EXPECT_EQ(y, 47);
}

TEST(ZoomTest, LimitsOfTheCommandsAndOfTheStep) {
    Fixture f(10, 10);
    for (int i = 0; i < 4; ++i) EXPECT_TRUE(ZoomIn(f.doc));
    EXPECT_EQ(ViewOf(f.doc).zoom, 16.0f);
    EXPECT_FALSE(CanZoomIn(f.doc));
    EXPECT_FALSE(ZoomIn(f.doc));
    EXPECT_EQ(ViewOf(f.doc).zoom, 16.0f);

    for (int i = 0; i < 7; ++i) EXPECT_TRUE(ZoomOut(f.doc));
    EXPECT_EQ(ViewOf(f.doc).zoom, 0.125f);
    // The menu stops at 1/8; the step itself reaches 1/16 and refuses below it.
    EXPECT_FALSE(CanZoomOut(f.doc));
    EXPECT_TRUE(ZoomOut(f.doc));
    EXPECT_EQ(ViewOf(f.doc).zoom, 0.0625f);
    EXPECT_FALSE(ZoomOut(f.doc));
    EXPECT_EQ(ViewOf(f.doc).zoom, 0.0625f);
}

TEST(ZoomTest, ActualSize) {
    Fixture f(10, 10);
    EXPECT_FALSE(CanZoomActualSize(f.doc));
    EXPECT_FALSE(ZoomActualSize(f.doc));
    ZoomIn(f.doc);
    EXPECT_TRUE(CanZoomActualSize(f.doc));
    const uint64_t revision = f.doc.revision;
    EXPECT_TRUE(ZoomActualSize(f.doc));
    EXPECT_EQ(ViewOf(f.doc).zoom, 1.0f);
    EXPECT_NE(f.doc.revision, revision);
}

TEST(ZoomTest, StretchModeDisablesEveryZoom) {
    Fixture f(10, 10);
    ViewOf(f.doc).zoom = 2.0f;
    ViewOf(f.doc).stretch = true;
    EXPECT_FALSE(CanZoomIn(f.doc));
    EXPECT_FALSE(CanZoomOut(f.doc));
    EXPECT_FALSE(CanZoomActualSize(f.doc));
    EXPECT_FALSE(ZoomIn(f.doc));
    EXPECT_FALSE(ZoomOut(f.doc));
    EXPECT_FALSE(ZoomActualSize(f.doc));
    EXPECT_EQ(ViewOf(f.doc).zoom, 2.0f);
}

TEST(ZoomTest, AnchorPointsScaleWithTheZoomAndUnsetOnesStayUnset) {
    Fixture f(10, 10);
    ViewState& v = ViewOf(f.doc);
    v.strokeX = 7;
    v.strokeY = 0;
    v.lastX = 12;
    v.lastY = 5;
    v.polyFirstX = 3;
    v.rectEndY = 40;
    v.polyPrevX = 9;
    ASSERT_TRUE(ZoomIn(f.doc, 6, 8));
    EXPECT_EQ(v.strokeX, 14);
    EXPECT_EQ(v.strokeY, 0);
    EXPECT_EQ(v.lastX, 24);
    EXPECT_EQ(v.lastY, 10);
    EXPECT_EQ(v.polyFirstX, 6);
    EXPECT_EQ(v.polyFirstY, -1);
    EXPECT_EQ(v.rectEndX, -1);
    EXPECT_EQ(v.rectEndY, 80);
    EXPECT_EQ(v.polyPrevX, 18);
    EXPECT_EQ(v.zoomAnchorX, 6);
    EXPECT_EQ(v.zoomAnchorY, 8);

    ASSERT_TRUE(ZoomOut(f.doc));
    EXPECT_EQ(v.strokeX, 7);
    EXPECT_EQ(v.lastX, 12);
    EXPECT_EQ(v.lastY, 5);
    EXPECT_EQ(v.rectEndY, 40);
    EXPECT_EQ(v.zoomAnchorX, -1);
    EXPECT_EQ(v.zoomAnchorY, -1);

    // Odd values lose their half on the way down.
    ASSERT_TRUE(ZoomOut(f.doc));
    EXPECT_EQ(v.strokeX, 3);
    ASSERT_TRUE(ZoomIn(f.doc));
    EXPECT_EQ(v.strokeX, 6);

    // 1:1 leaves the anchor points alone.
    ASSERT_TRUE(ZoomIn(f.doc));
    ASSERT_TRUE(ZoomActualSize(f.doc));
    EXPECT_EQ(v.strokeX, 12);
}

TEST(RescrollTest, PositionsKeepTheirFractionOfTheRange) {
    Fixture f(1000, 800);
    ViewOf(f.doc).zoom = 2.0f;
    const ScrollState s = RescrollAfterZoom(f.doc, {1000, 800, 100, 200}, 400, 300);
    EXPECT_EQ(s.rangeWidth, 2000);
    EXPECT_EQ(s.rangeHeight, 1600);
    EXPECT_EQ(s.posX, 200);
    EXPECT_EQ(s.posY, 400);
}

TEST(RescrollTest, TheAnchorIsCentred) {
    Fixture f(1000, 800);
    ViewOf(f.doc).zoom = 2.0f;
    ViewOf(f.doc).zoomAnchorX = 500;
    ViewOf(f.doc).zoomAnchorY = 400;
    const ScrollState s = RescrollAfterZoom(f.doc, {1000, 800, 0, 0}, 400, 300);
    EXPECT_EQ(s.posX, 800);  // 1000 - 400 / 2
    EXPECT_EQ(s.posY, 650);  // 800 - 300 / 2
}

TEST(RescrollTest, AnAnchorAtTheEndKeepsTheViewAtItsEnd) {
    Fixture f(1000, 800);
    ViewOf(f.doc).zoom = 2.0f;
    ViewOf(f.doc).zoomAnchorX = 990;
    ViewOf(f.doc).zoomAnchorY = 790;
    const ScrollState s = RescrollAfterZoom(f.doc, {1000, 800, 600, 500}, 400, 300);
    EXPECT_EQ(s.posX, 1600);  // limit 2000 - 400
    EXPECT_EQ(s.posY, 1300);  // limit 1600 - 300
    // The anchor lies inside the client area.
    EXPECT_LT(1980 - s.posX, 400);
    EXPECT_LT(1580 - s.posY, 300);
}

TEST(RescrollTest, NeverBelowZero) {
    Fixture f(1000, 800);
    ViewOf(f.doc).zoom = 2.0f;
    ViewOf(f.doc).zoomAnchorX = 10;
    ViewOf(f.doc).zoomAnchorY = 10;
    const ScrollState s = RescrollAfterZoom(f.doc, {1000, 800, 0, 0}, 400, 300);
    EXPECT_EQ(s.posX, 0);
    EXPECT_EQ(s.posY, 0);
}

TEST(RescrollTest, ZoomingOutBelowTheClientSizeScrollsToZero) {
    Fixture f(1000, 800);
    ViewOf(f.doc).zoom = 0.25f;  // 250 x 200 fits the client
    const ScrollState s = RescrollAfterZoom(f.doc, {500, 400, 300, 200}, 400, 300);
    EXPECT_EQ(s.rangeWidth, 250);
    EXPECT_EQ(s.rangeHeight, 200);
    EXPECT_EQ(s.posX, 0);
    EXPECT_EQ(s.posY, 0);
}

TEST(RescrollTest, WithoutAnOldRangeThePositionsAreOnlyLimited) {
    Fixture f(1000, 800);
    const ScrollState s = RescrollAfterZoom(f.doc, {0, 800, 900, 100}, 400, 300);
    EXPECT_EQ(s.posX, 600);
    EXPECT_EQ(s.posY, 100);
}

}  // namespace

TEST(FitZoomTest, LargestStepThatFits) {
    struct Case {
        int width, height, roomWidth, roomHeight;
        float zoom;
    };
    for (const Case c : {Case{100, 50, 100, 50, 1.0f}, Case{101, 50, 100, 50, 0.5f}, Case{10, 10, 500, 500, 32.0f / 2},
                         Case{30, 10, 100, 100, 2.0f}, Case{6000, 4000, 1200, 800, 0.125f},
                         Case{100000, 10, 100, 100, 0.0625f}})
        EXPECT_EQ(FitZoom(c.width, c.height, c.roomWidth, c.roomHeight), c.zoom) << c.width << "x" << c.height;
}
