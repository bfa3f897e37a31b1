// Repainting a 10-minute performance: WAVE audio, eye LEDs and a full-body
// motion with a keyframe every time step, stacked as the performance view
// stacks them, in a window scrolled to the middle. Three figures at every
// zoom: the whole 1920x1080 window, a scroll by a tenth of its width (the
// shifted pixels are moved, the uncovered strip painted), and the whole of a
// 3840x2160 window. Then the time ruler and the status bar's readouts, and a
// wheel zoom step (window and ruler at the next zoom).
#include <benchmark/benchmark.h>

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

#include "panes/time_axis.h"
#include "panes/time_ruler.h"
#include "panes/track_pane.h"
#include "shell/view_readout.h"
#include "support/pane_host.h"

namespace {

using namespace rova;

constexpr int kSeconds = 600;

using Host = test::PaneHostStub;

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

    static Performance& instance() {
        static Performance perf;
        return perf;
    }

    int contentWidth() const { return host.pps * kSeconds + 50; }

    // Paints document columns [left, right) into the window columns [at, at + right - left).
    void paint(QImage& window, int scroll, int left, int right) {
        QPainter p(&window);
        p.setClipRect(left - scroll, 0, right - left, window.height());
        p.fillRect(left - scroll, 0, right - left, window.height(), Qt::white);
        p.translate(-scroll, 0);
        const PaneDrawInfo info{kLabelColumnWidth, kLabelColumnWidth + contentWidth(),
                                std::max(0, left - kLabelColumnWidth), right - kLabelColumnWidth};
        for (auto& pane : panes) pane->draw(p, info);
    }
};

void setZoom(benchmark::State& state) {
    Performance::instance().host.pps = 1000 / static_cast<int>(state.range(0));
}

void paintWindow(benchmark::State& state, int width, int height) {
    setZoom(state);
    Performance& perf = Performance::instance();
    const int scroll = perf.contentWidth() / 2;  // the window shows the middle of the performance
    QImage window(width, height, QImage::Format_RGB32);
    for (auto _ : state) {
        perf.paint(window, scroll, scroll, scroll + width);
        benchmark::DoNotOptimize(window.bits());
    }
}

void paintWindowHD(benchmark::State& state) { paintWindow(state, 1920, 1080); }
void paintWindow4K(benchmark::State& state) { paintWindow(state, 3840, 2160); }

// A scroll to the right by a tenth of the window: the pixels that stay in view
// move left (as the window system's scroll does), the strip on the right is painted.
void scrollTenth(benchmark::State& state) {
    setZoom(state);
    Performance& perf = Performance::instance();
    constexpr int kWidth = 1920, kHeight = 1080, kStep = kWidth / 10;
    QImage window(kWidth, kHeight, QImage::Format_RGB32);
    const int start = perf.contentWidth() / 2;
    perf.paint(window, start, start, start + kWidth);
    int scroll = start;
    for (auto _ : state) {
        scroll += kStep;
        if (scroll + kWidth > perf.contentWidth()) scroll = kStep;
        for (int y = 0; y < kHeight; ++y) {
            auto* line = reinterpret_cast<std::uint32_t*>(window.scanLine(y));
            std::memmove(line, line + kStep, (kWidth - kStep) * sizeof(std::uint32_t));
        }
        perf.paint(window, scroll, scroll + kWidth - kStep, scroll + kWidth);
        benchmark::DoNotOptimize(window.bits());
    }
}

// The ruler over a 1920-pixel window, with a bar row for a 10-minute song at
// 125 BPM in 4/4, a selection and the cursor; then the status bar's readout
// texts, as each repaint after a pointer move or a selection change makes them.
void rulerAndReadouts(benchmark::State& state) {
    setZoom(state);
    Performance& perf = Performance::instance();
    static const std::vector<int> bars = [] {
        std::vector<int> b;
        for (int ms = 0; ms < kSeconds * 1000; ms += 1920) b.push_back(ms);
        return b;
    }();
    constexpr int kWidth = 1920;
    RulerInfo info;
    info.pps = perf.host.pps;
    info.width = kWidth;
    info.scrollX = perf.contentWidth() / 2;
    info.contentRight = kLabelColumnWidth + perf.contentWidth();
    info.barStartsMs = &bars;
    info.cursorX = info.scrollX + kWidth / 3;
    info.selLeft = info.scrollX + kWidth / 4;
    info.selRight = info.scrollX + kWidth / 2;
    QImage ruler(kWidth, rulerHeight(true), QImage::Format_RGB32);
    ViewReadout readout;
    readout.selStart = 1000;
    readout.selLength = 250;
    readout.joint = "RFKnee";
    readout.cursorMs = 123'440;
    for (auto _ : state) {
        {
            QPainter p(&ruler);
            drawRuler(p, info);
        }
        readout.pointerMs = axis::xToMs(info.scrollX + kWidth / 2 - kLabelColumnWidth, info.pps);
        readout.degrees += 0.5;
        const ReadoutTexts texts = readoutTexts(readout);
        benchmark::DoNotOptimize(texts.time.data());
        benchmark::DoNotOptimize(ruler.bits());
    }
}

// One notch of Ctrl+wheel from the zoom given: the whole 1920x1080 window and
// its ruler painted anew at the next finer zoom.
void wheelZoomStep(benchmark::State& state) {
    Performance& perf = Performance::instance();
    const int zoom = static_cast<int>(state.range(0));
    perf.host.pps = 1000 / axis::zoomStep(zoom, true, 1, 1000);
    constexpr int kWidth = 1920, kHeight = 1080;
    QImage window(kWidth, kHeight, QImage::Format_RGB32);
    QImage ruler(kWidth, rulerHeight(false), QImage::Format_RGB32);
    const int scroll = perf.contentWidth() / 2;
    RulerInfo info;
    info.pps = perf.host.pps;
    info.width = kWidth;
    info.scrollX = scroll;
    info.contentRight = kLabelColumnWidth + perf.contentWidth();
    for (auto _ : state) {
        perf.paint(window, scroll, scroll, scroll + kWidth);
        QPainter p(&ruler);
        drawRuler(p, info);
        benchmark::DoNotOptimize(window.bits());
    }
}

double worst(const std::vector<double>& v) { return *std::max_element(v.begin(), v.end()); }

#define ROVA_ZOOMS ->Arg(1)->Arg(5)->Arg(10)->Arg(20)->Arg(40)->Arg(80)->Arg(160)->Arg(640)->Arg(1000)
#define ROVA_FIGURES ->Unit(benchmark::kMillisecond)->Repetitions(3)->ComputeStatistics("worst", worst)
BENCHMARK(paintWindowHD) ROVA_ZOOMS ROVA_FIGURES;
BENCHMARK(scrollTenth) ROVA_ZOOMS ROVA_FIGURES;
BENCHMARK(paintWindow4K) ROVA_ZOOMS ROVA_FIGURES;
BENCHMARK(rulerAndReadouts) ROVA_ZOOMS ROVA_FIGURES;
BENCHMARK(wheelZoomStep) ROVA_ZOOMS ROVA_FIGURES;

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}
