// The Problems list and the channel panes' colours judge by one rule: on the
// same track, every segment the list calls too fast is drawn yellow, far too
// fast or ending out of range red (speed first), and every other one blue.
#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <map>
#include <set>

#include "check/check.h"
#include "panes/track_pane.h"
#include "support/track_builder.h"

using namespace rova;

namespace {

struct FakeView : PaneHost {
    int pixelsPerSecond() const override { return 1000; }  // 16 pixels a tick
    bool getSelection(int&, int&) const override { return false; }
    void setTimeSelection(int, int) override {}
    void pushPoseToViewer() override {}
    void invalidateBand(int, int) override {}
};

const QColor kBlue(0, 0, 255), kYellow(255, 255, 0), kRed(255, 0, 0);

// A full-body track of wild moves: values up to 1.3 x past the limits,
// 5 to 15 ticks apart, so every kind of segment occurs.
CMotionTrack wildTrack(int keyframes) {
    std::uint32_t seed = 12345;
    auto next = [&] {
        seed = seed * 1664525u + 1013904223u;
        return seed >> 8;
    };
    test::KeyframeRows rows;
    for (int k = 0; k < keyframes; ++k) {
        std::vector<std::int32_t> row{k == 0 ? 0 : static_cast<std::int32_t>(5 * (1 + next() % 3))};
        for (int ch = 0; ch < kChannelCount; ++ch) {
            const ChannelInfo& info = kChannelInfo[static_cast<std::size_t>(ch)];
            const double span = (info.upper - info.lower) * 1.6;
            const double d = info.lower * 1.3 + span * (next() % 1000) / 1000.0;
            row.push_back(valueFromDegrees(d));
        }
        rows.push_back(row);
    }
    return test::makeTrack(MOTION_FULL_BODY, rows);
}

}  // namespace

TEST(PaneAgreement, SegmentColoursMatchTheProblems) {
    int argc = 0;
    QGuiApplication app(argc, nullptr);
    CMotionTrack track = wildTrack(40);
    const auto problems = check::checkPerformance(track, CLedTrack{});

    std::map<std::pair<int, int>, std::set<check::ProblemKind>> byKeyframe;  // (channel, keyframe)
    for (const check::Problem& p : problems) byKeyframe[{p.channel, p.keyframe}].insert(p.kind);

    FakeView view;
    std::map<QRgb, int> seen;
    for (int ch = 0; ch < kChannelCount; ++ch) {
        SCOPED_TRACE(kChannelInfo[static_cast<std::size_t>(ch)].name);
        CChannelPane pane(track, ch);
        pane.attach(&view, 100);
        const int width = kLabelColumnWidth + static_cast<int>(track.totalTicks()) * 16 + 40;
        QImage img(width, 300, QImage::Format_RGB32);
        img.fill(Qt::white);
        {
            QPainter p(&img);
            pane.draw(p, {kLabelColumnWidth, width, 0, width - kLabelColumnWidth});
        }
        for (int k = 1; k < track.keyframeCount(); ++k) {
            const auto& kinds = byKeyframe[{ch, k}];
            QColor expected = kBlue;
            if (kinds.count(check::ProblemKind::Fast)) expected = kYellow;
            else if (kinds.count(check::ProblemKind::Alarm) || kinds.count(check::ProblemKind::Range)) expected = kRed;
            const auto mid = static_cast<int>(kLabelColumnWidth + (track.keyframeTime(k - 1) + track.keyframeTime(k)) * 8);
            std::set<QRgb> colours;
            for (int y = 0; y < img.height(); ++y) {
                const QColor c = img.pixelColor(mid, y);
                if (c == kBlue || c == kYellow || c == kRed) colours.insert(c.rgb());
            }
            EXPECT_EQ(colours, std::set<QRgb>{expected.rgb()}) << "keyframe " << k;
            ++seen[expected.rgb()];
        }
    }
    // The data holds every colour, or the test proves little.
    EXPECT_GT(seen[kBlue.rgb()], 10);
    EXPECT_GT(seen[kYellow.rgb()], 10);
    EXPECT_GT(seen[kRed.rgb()], 10);
}
