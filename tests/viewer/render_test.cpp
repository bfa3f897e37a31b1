// What the viewer draws: the triangle filler on its own, then pictures of the
// model as a user sees them.
#include <gtest/gtest.h>

#include <cmath>
#include <set>

#include "platform/raster.h"
#include "scene.h"
#include "viewer_fixture.h"

namespace rova::viewer::test {
namespace {

using rm::IRect;
using rm::Raster;
using rm::RasterVertex;

constexpr std::uint32_t kBlack = rm::packColor(0, 0, 0);

int red(std::uint32_t c) { return static_cast<int>(c & 0xFF); }
int green(std::uint32_t c) { return static_cast<int>((c >> 8) & 0xFF); }
int blue(std::uint32_t c) { return static_cast<int>((c >> 16) & 0xFF); }

TEST(RasterTest, TrianglesSharingEdgesLeaveNoGaps) {
    // A disc of thin triangles around an off-grid centre, one colour each:
    // no sample inside may keep the background.
    Raster r;
    ASSERT_EQ(r.resize(64, 64), rm::kOk);
    ASSERT_EQ(r.samplesPerSide(), 2);
    const IRect all{0, 0, 128, 128};
    r.clear({0, 0, 64, 64}, kBlack);
    const float cx = 63.37f, cy = 64.71f, radius = 50.3f;
    const int spokes = 37;
    auto corner = [&](int k) {
        const double a = 2 * M_PI * k / spokes;
        return RasterVertex{static_cast<float>(cx + radius * std::cos(a)),
                            static_cast<float>(cy + radius * std::sin(a)),
                            0.5f,
                            255,
                            255,
                            255};
    };
    for (int k = 0; k < spokes; ++k) r.triangle({cx, cy, 0.5f, 255, 255, 255}, corner(k), corner(k + 1), all);
    const std::uint32_t* p = r.resolve();
    // Pixels well inside the inner circle of the polygon are fully covered.
    const double inner = radius * std::cos(M_PI / spokes) - 2;
    int checked = 0;
    for (int y = 0; y < 64; ++y) {
        for (int x = 0; x < 64; ++x) {
            if (std::hypot(static_cast<float>(2 * x + 1) - cx, static_cast<float>(2 * y + 1) - cy) > inner) continue;
            ++checked;
            ASSERT_EQ(p[y * 64 + x], rm::packColor(255, 255, 255)) << x << "," << y;
        }
    }
    EXPECT_GT(checked, 1500);
}

TEST(RasterTest, NearerWinsInEitherOrderAndEdgesBlend) {
    Raster r;
    ASSERT_EQ(r.resize(8, 8), rm::kOk);
    const IRect all{0, 0, 16, 16};
    const RasterVertex farA{0, 0, 0.8f, 255, 0, 0}, farB{16, 0, 0.8f, 255, 0, 0}, farC{0, 16, 0.8f, 255, 0, 0};
    const RasterVertex nearA{0, 0, 0.2f, 0, 0, 255}, nearB{16, 0, 0.2f, 0, 0, 255}, nearC{0, 16, 0.2f, 0, 0, 255};
    for (bool nearFirst : {false, true}) {
        r.clear({0, 0, 8, 8}, kBlack);
        if (nearFirst) r.triangle(nearA, nearB, nearC, all);
        r.triangle(farA, farC, farB, all);  // the other winding draws too
        if (!nearFirst) r.triangle(nearA, nearB, nearC, all);
        const std::uint32_t* p = r.resolve();
        EXPECT_EQ(p[0], rm::packColor(0, 0, 255));
        EXPECT_EQ(p[7 * 8 + 7], kBlack);
        // A pixel on the diagonal edge is partly covered: a blend with the background.
        EXPECT_GT(blue(p[3 * 8 + 4]), 0);
        EXPECT_LT(blue(p[3 * 8 + 4]), 255);
        EXPECT_EQ(red(p[3 * 8 + 4]), 0);
    }
    // A clear takes everything back to the background.
    r.clear({0, 0, 8, 8}, kBlack);
    EXPECT_EQ(r.resolve()[0], kBlack);
}

TEST(RasterTest, OversizedSurfacesAreRefused) {
    Raster r;
    EXPECT_EQ(r.resize(Raster::kMaxSide + 1, 10), rm::code(0x887601EA));
    EXPECT_EQ(r.resize(10, Raster::kMaxSide + 1), rm::code(0x887601D6));
    ASSERT_EQ(r.resize(2000, 1200), rm::kOk);
    EXPECT_EQ(r.samplesPerSide(), 1);  // too large to smooth within a frame's time
}

class PictureTest : public ViewerTest {
protected:
    void SetUp() override {
        ViewerTest::SetUp();
        attach();
    }
    void paint() {
        SelectJoint(context, -1);  // asks for a paint, as a host would get one
        ASSERT_TRUE(send(VR_WM_PAINT));
        ASSERT_EQ(window.pictureWidth, window.width);
        ASSERT_EQ(window.pictureHeight, window.height);
    }
    static bool yellow(std::uint32_t c) {
        return red(c) > 120 && std::abs(red(c) - green(c)) < 12 && blue(c) < red(c) * 2 / 5;
    }
};

TEST_F(PictureTest, ModelAtRestIsCentredAndShaded) {
    paint();
    int count = 0, minX = window.width, maxX = 0, minY = window.height, maxY = 0;
    std::set<int> levels;
    for (int y = 0; y < window.height; ++y) {
        for (int x = 0; x < window.width; ++x) {
            const std::uint32_t c = window.pixel(x, y);
            if (c == kBlack) continue;
            ++count;
            minX = std::min(minX, x), maxX = std::max(maxX, x);
            minY = std::min(minY, y), maxY = std::max(maxY, y);
            levels.insert(green(c));
            EXPECT_FALSE(yellow(c));
        }
    }
    // The robot faces the camera and fills a good part of the window.
    EXPECT_GT(count, window.width * window.height / 10);
    EXPECT_NEAR((minX + maxX) / 2.0, window.width / 2.0, window.width * 0.05);
    EXPECT_NEAR((minY + maxY) / 2.0, window.height / 2.0, window.height * 0.15);
    EXPECT_GT(maxY - minY, window.height / 2);
    // Lit, not flat: many shades from dark to bright.
    EXPECT_GT(levels.size(), 100u);
    EXPECT_LT(*levels.begin(), 60);
    EXPECT_GT(*levels.rbegin(), 220);
}

TEST_F(PictureTest, SelectedJointShowsInTheHighlightColour) {
    const Pixel forearm = pixelOf("frm-FL_Forearm");
    SelectJoint(context, 9);
    ASSERT_TRUE(send(VR_WM_PAINT));
    EXPECT_TRUE(yellow(window.pixel(forearm.x, forearm.y)));
    int yellowPixels = 0;
    for (std::uint32_t c : window.picture) yellowPixels += yellow(c);
    EXPECT_GT(yellowPixels, 300);

    // Hidden joints show grey, without the highlight.
    SetJointsVisible(context, 9, 1, false);
    ASSERT_TRUE(send(VR_WM_PAINT));
    const std::uint32_t grey = window.pixel(pixelOf("frm-FL_Forearm").x, pixelOf("frm-FL_Forearm").y);
    EXPECT_FALSE(yellow(grey));
    EXPECT_LT(std::abs(red(grey) - blue(grey)), 3);
}

TEST_F(PictureTest, CameraInsideTheModelStillDraws) {
    for (int i = 0; i < 45; ++i) send(VR_WM_KEYDOWN, VR_VK_ADD);  // through the robot and past it
    paint();
    for (int i = 0; i < 45; ++i) send(VR_WM_KEYDOWN, VR_VK_SUBTRACT);
    paint();
    EXPECT_NE(window.pixel(150, 120), kBlack);
}

}  // namespace
}  // namespace rova::viewer::test
