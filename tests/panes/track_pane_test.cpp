#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <memory>

#include "panes/track_pane.h"

using namespace rova;

namespace {

// Records what the panes ask of the view.
struct FakeView : PaneHost {
    int pps = 25;
    int selStart = -1, selLength = 0;
    int poses = 0;
    std::vector<std::pair<int, int>> bands;

    int pixelsPerSecond() const override { return pps; }
    bool getSelection(int& start, int& length) const override {
        start = selStart;
        length = selLength;
        return selLength > 0;
    }
    void setTimeSelection(int start, int length) override {
        selStart = start;
        selLength = length;
    }
    void pushPoseToViewer() override { ++poses; }
    void invalidateBand(int top, int height) override { bands.emplace_back(top, height); }
};

// A full-body track with keyframes every 5 ticks holding `values` in every column.
CMotionTrack track(const std::vector<std::int32_t>& values, int durationEach = 5) {
    CMotionTrack t;
    std::vector<std::int32_t> block;
    for (std::size_t k = 0; k < values.size(); ++k) {
        block.push_back(k == 0 ? 0 : durationEach);
        block.insert(block.end(), {0, 0, 0});
        for (int c = 0; c < 18; ++c) block.push_back(values[k]);
    }
    std::array<int, kChannelCount> loc{};
    t.assign(MOTION_FULL_BODY, 18, loc, std::move(block), static_cast<int>(values.size()));
    t.setFirstChannel(0);
    return t;
}

QImage render(CTrackPane& pane, int width, int firstColumn = 0) {
    QImage img(width, pane.top() + pane.height(), QImage::Format_RGB32);
    img.fill(Qt::white);
    QPainter p(&img);
    pane.draw(p, {kLabelColumnWidth, width, firstColumn, width - kLabelColumnWidth});
    return img;
}

int countColour(const QImage& img, QColor c, int y0, int y1) {
    int n = 0;
    for (int y = y0; y < y1; ++y)
        for (int x = 0; x < img.width(); ++x) n += img.pixelColor(x, y) == c;
    return n;
}

}  // namespace

TEST(LedPane, StepWidthNeverBelowOnePixel) {
    FakeView view;
    CLedTrack leds;
    leds.steps = {1, 0, 1, 1, 0, 2};
    CLedPane green(leds, 0), red(leds, 1);
    green.attach(&view, 0);
    red.attach(&view, 0);
    view.pps = 25;  // 25 / 12 = 2 pixels a step
    auto img = render(green, 200);
    EXPECT_EQ(img.pixelColor(74, 4), QColor(0, 255, 0));
    EXPECT_EQ(img.pixelColor(75, 4), QColor(0, 255, 0));
    EXPECT_EQ(img.pixelColor(76, 4), QColor(Qt::white));
    EXPECT_EQ(countColour(img, QColor(0, 255, 0), 0, 8), 3 * 2 * 8);
    view.pps = 10;  // 10 / 12 = 0, drawn 1 pixel wide
    img = render(red, 200);
    EXPECT_EQ(countColour(img, QColor(255, 0, 0), 0, 8), 8);
    int width, steps;
    red.getExtent(width, steps);
    EXPECT_EQ(width, (6 * 10 + 11) / 12);
    EXPECT_EQ(steps, 0);
}

TEST(LedPane, RightDragPaintsFromTheAnchor) {
    FakeView view;
    view.pps = 120;  // 10 pixels a step
    CLedTrack leds;
    leds.steps = std::vector<std::uint8_t>(10, 0);
    leds.steps[5] = 1;
    CLedPane green(leds, 0);
    green.attach(&view, 30);
    EXPECT_FALSE(green.onRightButtonDown(-1, 0, 0));
    EXPECT_FALSE(green.onRightButtonDown(100, 0, 0));  // step 10 is past the end
    EXPECT_FALSE(leds.modified);
    ASSERT_TRUE(green.onRightButtonDown(25, 0, 0));  // step 2 lights
    EXPECT_EQ(leds.steps[2], 1);
    green.onRightDrag(1000, 0);  // clamped to the last step
    EXPECT_EQ(leds.steps, std::vector<std::uint8_t>({0, 0, 1, 1, 1, 1, 1, 1, 1, 1}));
    green.onRightDrag(35, 0);  // moving back keeps what was painted
    EXPECT_EQ(leds.steps[9], 1);
    // Pressing a lit step clears instead, for every LED pane until the next press.
    ASSERT_TRUE(green.onRightButtonDown(55, 0, 0));
    green.onRightDrag(0, 0);
    EXPECT_EQ(leds.steps, std::vector<std::uint8_t>({0, 0, 0, 0, 0, 0, 1, 1, 1, 1}));
    EXPECT_TRUE(leds.modified);
    EXPECT_EQ(view.bands.front(), std::make_pair(30, 8));
}

TEST(TimeMarks, NoneBelowSixtyPixelsPerSecond) {
    FakeView view;
    CLedTrack leds;
    CLedPane pane(leds, 1);
    pane.attach(&view, 0);
    view.pps = 59;
    EXPECT_EQ(countColour(render(pane, 400), QColor(64, 64, 64), 0, 8), 0);
    view.pps = 60;  // one mark a second: x = 74 + 60k while within the content
    auto img = render(pane, 400);
    EXPECT_EQ(countColour(img, QColor(64, 64, 64), 0, 8), 5 * 4);
    EXPECT_EQ(img.pixelColor(134, 4), QColor(64, 64, 64));
    EXPECT_EQ(img.pixelColor(134, 3), QColor(Qt::white));
}

TEST(ChannelPane, SegmentPensFollowSpeedAndRange) {
    FakeView view;
    view.pps = 250;  // a tick is 4 pixels
    // Mouth: -36..0 degrees, 75 deg/s: fast above 82.5, alarm from 112.5 deg/s.
    // Keyframes 5 ticks (80 ms) apart.
    auto t = track({0, valueFromDegrees(-5), valueFromDegrees(-10), valueFromDegrees(-18), valueFromDegrees(-38),
                    valueFromDegrees(-37)});
    CChannelPane mouth(t, Mouth);
    mouth.attach(&view, 0);
    auto img = render(mouth, 74 + 25 * 4 + 20);
    auto colourBetween = [&](int k) {
        // The middle of the segment ending at keyframe k, on its line.
        const int x = 74 + (k * 5 - 2) * 4 + 2;
        for (int y = 0; y < mouth.height(); ++y) {
            const QColor c = img.pixelColor(x, y);
            if (c != QColor(Qt::white) && c != QColor(128, 128, 128) && c.red() + c.green() + c.blue() > 0 &&
                c.saturation() > 200)
                return c;
        }
        return QColor(Qt::white);
    };
    EXPECT_EQ(colourBetween(1), QColor(0, 0, 255));    // 62.5 deg/s
    EXPECT_EQ(colourBetween(2), QColor(0, 0, 255));    // 62.5 deg/s
    EXPECT_EQ(colourBetween(3), QColor(255, 255, 0));  // 100 deg/s: fast
    EXPECT_EQ(colourBetween(4), QColor(255, 0, 0));    // 250 deg/s: alarm
    EXPECT_EQ(colourBetween(5), QColor(0, 0, 255));    // slow again, in range
}

TEST(ChannelPane, OutOfRangeIsRedAndTheNextSegmentBlueAgain) {
    FakeView view;
    view.pps = 250;
    // TailY -5..35: 1.1 x lower = -5.5. Slow moves to -6 (out) and back to 0.
    auto t = track({0, valueFromDegrees(-3), valueFromDegrees(-6), valueFromDegrees(-3), 0}, 25);
    CChannelPane tail(t, TailY);
    tail.attach(&view, 0);
    auto img = render(tail, 74 + 500);
    auto hasColour = [&](int x0, int x1, QColor c) {
        for (int x = x0; x < x1; ++x)
            for (int y = 0; y < tail.height(); ++y)
                if (img.pixelColor(x, y) == c) return true;
        return false;
    };
    const int tick = 4;
    EXPECT_TRUE(hasColour(74 + 25 * tick + 10, 74 + 50 * tick - 10, QColor(255, 0, 0)));
    EXPECT_FALSE(hasColour(74 + 50 * tick + 10, 74 + 75 * tick - 10, QColor(255, 0, 0)));
    EXPECT_TRUE(hasColour(74 + 50 * tick + 10, 74 + 75 * tick - 10, QColor(0, 0, 255)));
}

TEST(ChannelPane, RightPressSetsInnerKeyframesFromYClampedAndClearsTheTimeRange) {
    FakeView view;
    view.pps = 25;  // 5 ticks = 2 pixels
    auto t = track(std::vector<std::int32_t>(11, 0), 25);  // keyframes every 25 ticks = 10 pixels
    CChannelPane head(t, HeadY);
    head.attach(&view, 100);
    view.setTimeSelection(3, 2);
    // The first keyframe: no value change, but the time range is cleared.
    EXPECT_TRUE(head.onRightButtonDown(2, 5, 0));
    EXPECT_EQ(t.value(0, HeadY), 0);
    EXPECT_EQ(view.selLength, 0);
    EXPECT_FALSE(t.isModified());
    view.setTimeSelection(3, 2);
    EXPECT_TRUE(head.onRightButtonDown(5, 5, 0));  // between keyframes: takes the drag, changes nothing
    EXPECT_EQ(view.selLength, 2);
    EXPECT_FALSE(t.isModified());
    EXPECT_FALSE(head.onRightButtonDown(-1, 5, 0));
    // Above the top of the pane: the upper limit, not more.
    ASSERT_TRUE(head.onRightButtonDown(20, -50, 0));
    EXPECT_EQ(t.value(2, HeadY), valueFromDegrees(43));
    head.onRightDrag(31, 1000);
    EXPECT_EQ(t.value(3, HeadY), valueFromDegrees(-80));
    // The middle of the pane is the middle of the range.
    head.onRightDrag(40, head.height() / 2);
    EXPECT_EQ(t.value(4, HeadY), valueFromDegrees(-18.5));
    EXPECT_TRUE(t.isModified());
    EXPECT_EQ(view.bands.back(), std::make_pair(100, 30));
}

// A tail-only motion at 100 px/s: a press past the last keyframe hits none,
// then a release over keyframe 2 (x 16) sets it and the keyframes passed over
// on the way (3 and 4; the last keyframe is never set).
TEST(ChannelPane, PressBetweenKeyframesThenReleaseOnOneSetsItAndThosePassedOver) {
    FakeView view;
    view.pps = 100;
    CMotionTrack t;
    std::vector<std::int32_t> block;
    for (int k = 0; k < 6; ++k) block.insert(block.end(), {k == 0 ? 0 : 5, 0, 0, 0, 0, 0});
    std::array<int, kChannelCount> loc{};
    t.assign(MOTION_TAIL, 2, loc, std::move(block), 6);
    t.setFirstChannel(TailY);
    CChannelPane tailY(t, 0);
    tailY.attach(&view, 0);
    ASSERT_TRUE(tailY.onRightButtonDown(100, 5, 0));
    EXPECT_FALSE(t.isModified());
    tailY.onRightDrag(16, 5);
    EXPECT_TRUE(t.isModified());
    EXPECT_GT(t.value(2, 0), 0);
    EXPECT_EQ(t.value(1, 0), 0);
    EXPECT_EQ(t.value(3, 0), t.value(2, 0));
    EXPECT_EQ(t.value(4, 0), t.value(2, 0));
    EXPECT_EQ(t.value(5, 0), 0);
}

// Keyframes 8 pixels apart at 100 px/s; a mouse that jumps from one point to
// another in a single move still sets every inner keyframe between them, on
// the straight line from the first point's value to the second's.
TEST(ChannelPane, AFastRightDragFillsTheKeyframesBetweenTwoMouseEventsAlongTheLine) {
    struct Case {
        const char* name;
        int fromX, toX;
        int first, last;  // the keyframes the stroke sets, in the order it passes them
    };
    const Case cases[] = {
        {"left to right", 8, 56, 1, 7},
        {"right to left", 56, 8, 7, 1},
        // Keyframe 0 and the last one are never set, however the stroke passes them.
        {"across the whole motion", 4, 84, 1, 9},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FakeView view;
        view.pps = 100;
        auto t = track(std::vector<std::int32_t>(11, 0));
        CChannelPane head(t, HeadY);
        head.attach(&view, 0);
        ASSERT_TRUE(head.onRightButtonDown(c.fromX, 0, 0));  // the top: the upper limit
        head.onRightDrag(c.toX, head.height());              // the bottom: the lower limit
        const int lo = std::min(c.first, c.last), hi = std::max(c.first, c.last);
        const int step = c.first < c.last ? 1 : -1;
        for (int k = 0; k < t.keyframeCount(); ++k) {
            SCOPED_TRACE(k);
            if (k < lo || k > hi) {
                EXPECT_EQ(t.value(k, HeadY), 0);
                continue;
            }
            if (k == c.last) continue;
            // Falling all the way, without a keyframe left behind at the old value.
            EXPECT_GT(t.value(k, HeadY), t.value(k + step, HeadY));
        }
        if (c.fromX % 8 == 0 && c.toX % 8 == 0) {  // both points on keyframes: the line's ends are the limits
            EXPECT_EQ(t.value(c.first, HeadY), valueFromDegrees(43));
            EXPECT_EQ(t.value(c.last, HeadY), valueFromDegrees(-80));
        }
    }
}

TEST(ChannelPane, DigitKeysSetLevelsOverTheSelection) {
    FakeView view;
    auto t = track(std::vector<std::int32_t>(6, 0));
    CChannelPane mouth(t, Mouth);
    mouth.attach(&view, 0);
    EXPECT_FALSE(mouth.onKey('5'));  // no selection: nothing
    EXPECT_EQ(view.poses, 0);
    view.setTimeSelection(1, 3);
    mouth.onKey('9');
    EXPECT_EQ(t.value(1, Mouth), valueFromDegrees(-36));
    mouth.onKey('1');
    EXPECT_EQ(t.value(2, Mouth), valueFromDegrees(0));
    mouth.onKey('5');
    EXPECT_EQ(t.value(3, Mouth), valueFromDegrees(-18));
    EXPECT_EQ(t.value(4, Mouth), 0);  // outside the selection
    EXPECT_EQ(view.poses, 3);
}

TEST(ChannelPane, ArrowKeysJumpBetweenKeyframes) {
    FakeView view;
    auto t = track({0, 0, 0, 0}, 15);  // keyframes at steps 0, 3, 6, 9
    CChannelPane pane(t, HeadX);
    pane.attach(&view, 0);
    view.setTimeSelection(5, 2);
    EXPECT_TRUE(pane.onKey(kKeyDown));
    EXPECT_EQ(view.selStart, 3);
    EXPECT_EQ(view.selLength, 1);
    EXPECT_TRUE(pane.onKey(kKeyUp));
    EXPECT_EQ(view.selStart, 6);
    EXPECT_TRUE(pane.onKey(kKeyUp));
    EXPECT_TRUE(pane.onKey(kKeyUp));  // past the last keyframe: stays
    EXPECT_EQ(view.selStart, 9);
    view.setTimeSelection(0, 1);
    EXPECT_TRUE(pane.onKey(kKeyDown));
    EXPECT_EQ(view.selStart, 0);
    EXPECT_FALSE(pane.onKey('Q'));
}

TEST(ChannelPane, ViewerDragWritesTheSelection) {
    FakeView view;
    auto t = track(std::vector<std::int32_t>(6, 0));
    CChannelPane pane(t, RFLegY);
    pane.attach(&view, 0);
    EXPECT_FALSE(pane.setValueInSelection(30));
    view.setTimeSelection(2, 2);
    EXPECT_TRUE(pane.setValueInSelection(30));
    EXPECT_EQ(t.value(2, RFLegY), valueFromDegrees(30));
    EXPECT_EQ(t.value(3, RFLegY), valueFromDegrees(30));
    EXPECT_EQ(t.value(4, RFLegY), 0);
    EXPECT_EQ(pane.getJoint(), RFLegY);
    EXPECT_EQ(pane.getHighlightKind(), HIGHLIGHT_SELECTED_ROWS);
    int width, steps;
    pane.getExtent(width, steps);
    EXPECT_EQ(steps, 5);
    EXPECT_EQ(width, (25 * 25 * 2 + 124) / 125);
}

TEST(AudioPane, WaveformAroundTheMiddle) {
    FakeView view;
    view.pps = 8000;  // a sample a pixel
    std::vector<std::uint8_t> samples = {128, 255, 0, 128};
    CWaveTrack wave{samples.data(), 4};
    CAudioPane pane(wave);
    pane.attach(&view, 0);
    auto img = render(pane, 200);
    // 255 -> +19 pixels, 0 -> -20 pixels around y 20.
    EXPECT_NE(img.pixelColor(75, 39), QColor(Qt::white));
    EXPECT_NE(img.pixelColor(76, 0), QColor(Qt::white));
    int width, steps;
    pane.getExtent(width, steps);
    EXPECT_EQ(width, 4);
}

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
