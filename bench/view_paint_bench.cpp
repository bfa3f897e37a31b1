// Repainting a 10-minute performance: WAVE audio, eye LEDs and a full-body
// motion with a keyframe every time step, stacked as the performance view
// stacks them, in a 1920x1080 window scrolled to the middle.
#include <benchmark/benchmark.h>

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <memory>
#include <vector>

#include "panes/track_pane.h"

namespace {

using namespace rova;

constexpr int kSeconds = 600;

struct Host : PaneHost {
    int pps = 25;
    int pixelsPerSecond() const override { return pps; }
    bool getSelection(int&, int&) const override { return false; }
    void setTimeSelection(int, int) override {}
    void pushPoseToViewer() override {}
    void invalidateBand(int, int) override {}
};

struct Performance {
    std::vector<std::uint8_t> samples;
    CWaveTrack wave;
    CLedTrack leds;
    CMotionTrack motion;
    std::vector<std::unique_ptr<CTrackPane>> panes;
    Host host;

    Performance() {
        samples.resize(static_cast<std::size_t>(kSeconds) * kSampleRate);
        for (std::size_t i = 0; i < samples.size(); ++i) samples[i] = static_cast<std::uint8_t>(128 + (i * 7919 % 97) - 48);
        wave = {samples.data(), static_cast<int>(samples.size())};
        leds.steps.resize(static_cast<std::size_t>(kSeconds) * kLedStepsPerSecond);
        for (std::size_t i = 0; i < leds.steps.size(); ++i) leds.steps[i] = static_cast<std::uint8_t>(i / 5 % 4);
        const int keyframes = kSeconds * 1000 / 80 + 1;
        std::vector<std::int32_t> block;
        for (int k = 0; k < keyframes; ++k) {
            block.insert(block.end(), {k == 0 ? 0 : 5, 0, 0, 0});
            for (int c = 0; c < kChannelCount; ++c) block.push_back(valueFromDegrees((k * (c + 3)) % 40 - 20.0));
        }
        std::array<int, kChannelCount> locators{};
        motion.assign(MOTION_FULL_BODY, kChannelCount, locators, std::move(block), keyframes);
        motion.setFirstChannel(0);

        panes.emplace_back(new CAudioPane(wave));
        panes.emplace_back(new CSeparatorPane(2, false));
        panes.emplace_back(new CLedPane(leds, 0));
        panes.emplace_back(new CSeparatorPane(1, true));
        panes.emplace_back(new CLedPane(leds, 1));
        panes.emplace_back(new CSeparatorPane(2, false));
        for (int c = 0; c < kChannelCount; ++c) {
            panes.emplace_back(new CChannelPane(motion, c));
            panes.emplace_back(new CSeparatorPane(c == 3 || c == 6 || c == 9 || c == 12 || c == 15 || c == 17 ? 2 : 1, false));
        }
        int y = 0;
        for (auto& p : panes) y += p->attach(&host, y);
    }
};

void paintWindow(benchmark::State& state) {
    static Performance perf;
    perf.host.pps = 1000 / static_cast<int>(state.range(0));
    const int contentWidth = perf.host.pps * kSeconds + 50;
    const int scroll = contentWidth / 2;  // the window shows the middle of the performance
    QImage window(1920, 1080, QImage::Format_RGB32);
    const PaneDrawInfo info{kLabelColumnWidth, kLabelColumnWidth + contentWidth, scroll - kLabelColumnWidth,
                            scroll + 1920 - kLabelColumnWidth};
    for (auto _ : state) {
        window.fill(Qt::white);
        QPainter p(&window);
        p.translate(-scroll, 0);
        for (auto& pane : perf.panes) pane->draw(p, info);
        benchmark::DoNotOptimize(window.bits());
    }
}
BENCHMARK(paintWindow)->Arg(1)->Arg(40)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}
