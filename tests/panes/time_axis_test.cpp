// The time axis at its extremes: zoom 1 (1000 px/s) over the longest
// performance the eye LED file can hold.
#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>

#include "model/led_file.h"
#include "panes/time_axis.h"
#include "panes/track_pane.h"
#include "support/pane_host.h"

using namespace rova;

namespace {

constexpr int kZoom1 = 1000;  // pixels a second at 1 ms a pixel
// The longest LED track, in time steps of 80 ms: 2^22 / 12 s.
constexpr std::int64_t kLongestSteps = std::int64_t{kMaxLedSteps} * kMsPerSecond / kLedStepsPerSecond / kMsPerStep;

}  // namespace

TEST(TimeAxis, StepsAndPixelsMeetAtEveryLengthAndZoom) {
    // At zoom 1 a step is 80 pixels, its cell starting 40 pixels before its time.
    EXPECT_EQ(axis::stepToX(0, kZoom1), -40);
    EXPECT_EQ(axis::stepToX(2500, kZoom1), 199'960);
    EXPECT_EQ(axis::stepToX(kLongestSteps, kZoom1), kLongestSteps * 80 - 40);
    EXPECT_EQ(axis::stepsWidth(kLongestSteps, kZoom1), kLongestSteps * 80);
    // Clicks at 200, 280 and 400 s, and near the very end.
    for (const std::int64_t seconds : {200, 280, 400, 349'000}) {
        SCOPED_TRACE(seconds);
        EXPECT_EQ(axis::pixelToStep(seconds * kZoom1, kZoom1), seconds * 1000 / 80);
    }
    EXPECT_EQ(axis::pixelToStep(-1000, kZoom1), 0);
    // Every pixel wholly inside a cell leads back to its step, from zoom 1 to
    // 1000 ms a pixel.
    for (const int pps : {1000, 333, 25, 12, 1}) {
        for (const std::int64_t g : {std::int64_t{1}, std::int64_t{3356}, kLongestSteps / 2, kLongestSteps}) {
            SCOPED_TRACE(testing::Message() << pps << " px/s, step " << g);
            const std::int64_t left = axis::stepToX(g, pps), right = axis::stepToX(g + 1, pps);
            ASSERT_LE(left, right);
            for (std::int64_t x = left + 1; x < right; ++x) EXPECT_EQ(axis::pixelToStep(x, pps), g);
        }
    }
    // Ticks, samples and LED steps of the longest performance.
    const std::int64_t seconds = kMaxLedSteps / kLedStepsPerSecond / 4 * 4;  // a whole number of ticks
    EXPECT_EQ(axis::tickToX(seconds * kMsPerSecond / kMsPerTick, kZoom1), seconds * kZoom1);
    EXPECT_EQ(axis::xToSample(seconds * kZoom1, kZoom1), seconds * kSampleRate);
    EXPECT_EQ(axis::ledStepToX(seconds * kLedStepsPerSecond, kZoom1), seconds * kZoom1);
    EXPECT_EQ(axis::xToLedStep(seconds * kZoom1 - 1, kZoom1), seconds * kLedStepsPerSecond - 1);
    EXPECT_EQ(axis::toPixels(std::int64_t{1} << 40), INT32_MAX);
}

// The panes of the longest performance at zoom 1 place, size and hit what lies
// at its far end.
TEST(TimeAxis, PanesOfTheLongestPerformance) {
    test::PaneHostStub host;
    host.pps = kZoom1;
    CLedTrack leds;
    leds.steps.assign(kMaxLedSteps - 1, 0);
    CLedPane green(leds, 0);
    green.attach(&host, 0);
    const int lastX = static_cast<int>(axis::ledStepToX(kMaxLedSteps - 2, kZoom1)) + 10;
    ASSERT_TRUE(green.onRightButtonDown(lastX, 0, 0));
    EXPECT_EQ(leds.steps.back(), 1);
    EXPECT_EQ(leds.steps[kMaxLedSteps - 3], 0);
    int width, steps;
    green.getExtent(width, steps);
    EXPECT_EQ(width, (std::int64_t{kMaxLedSteps - 1} * kZoom1 + 11) / 12);

    // Drawn scrolled to the end: the last step lights the pixels at its place.
    QImage img(300, 8, QImage::Format_RGB32);
    img.fill(Qt::white);
    {
        QPainter p(&img);
        const int first = lastX - 100;
        green.draw(p, {kLabelColumnWidth - first, kLabelColumnWidth + 300, first, first + 225});
    }
    EXPECT_EQ(img.pixelColor(kLabelColumnWidth + 100, 4), QColor(0, 255, 0));
    EXPECT_EQ(img.pixelColor(kLabelColumnWidth + 100 - 83, 4), QColor(Qt::white));

    // A head motion as long, keyframes at its start, middle and end.
    const std::int32_t half = static_cast<std::int32_t>(kLongestSteps / 2 * kTicksPerStep);
    CMotionTrack motion;
    std::vector<std::int32_t> block;
    for (const std::int32_t d : {0, half, half}) block.insert(block.end(), {d, 0, 0, 0, 0, 0, 0, 0});
    std::array<int, kChannelCount> loc{};
    motion.assign(MOTION_HEAD, 4, loc, std::move(block), 3);
    motion.setFirstChannel(HeadY);
    CChannelPane head(motion, 0);
    head.attach(&host, 0);
    const auto middle = static_cast<int>(axis::tickToX(half, kZoom1));
    EXPECT_EQ(head.hitTest(middle + 3), 1);
    EXPECT_EQ(head.hitTest(middle + 5), -1);
    head.getExtent(width, steps);
    EXPECT_EQ(steps, kLongestSteps / 2 * 2);
    EXPECT_EQ(width, axis::stepsWidth(steps, kZoom1));
}
