// The viewer's per-frame costs: painting a window of the player's size and of
// a full-HD screen, a pose that changes every joint, and a click that picks.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstring>
#include <vector>

#include "VirtRova.h"

namespace {

// A window that keeps a copy of what is presented, as a real host does.
struct BenchWindow {
    int width, height;
    std::vector<std::uint8_t> shown;
    HostWindow host{};

    BenchWindow(int w, int h)
        : width(w), height(h), shown(static_cast<std::size_t>(w) * static_cast<std::size_t>(h) * 4) {
        host.user = this;
        host.clientSize = [](void* user, std::int32_t* outW, std::int32_t* outH) {
            *outW = static_cast<BenchWindow*>(user)->width;
            *outH = static_cast<BenchWindow*>(user)->height;
        };
        host.present = [](void* user, const std::uint8_t* rgba, std::int32_t imageW, std::int32_t imageH,
                          std::int32_t stride) {
            auto& self = *static_cast<BenchWindow*>(user);
            const auto rowBytes = static_cast<std::size_t>(imageW) * 4;
            for (int y = 0; y < imageH; ++y) {
                const auto row = static_cast<std::size_t>(y);
                std::memcpy(self.shown.data() + row * rowBytes, rgba + row * static_cast<std::size_t>(stride), rowBytes);
            }
        };
    }
};

struct Viewer {
    BenchWindow window;
    ViewerContext* context;

    Viewer(int w, int h) : window(w, h), context(Create()) {
        if (!context || !Attach(context, &window.host)) context = nullptr;
    }
    ~Viewer() {
        if (context) Destroy(context);
    }
};

void render(benchmark::State& state, int width, int height) {
    Viewer viewer(width, height);
    if (!viewer.context) {
        state.SkipWithError("the viewer did not attach");
        return;
    }
    for (auto _ : state) benchmark::DoNotOptimize(Render(viewer.context));
}

void BM_Render300x300(benchmark::State& state) { render(state, 300, 300); }
void BM_Render1920x1080(benchmark::State& state) { render(state, 1920, 1080); }

// Every joint changes at each step: the dearest pose update playback can send.
void BM_SetJointsFullPose(benchmark::State& state) {
    Viewer viewer(300, 300);
    if (!viewer.context) {
        state.SkipWithError("the viewer did not attach");
        return;
    }
    std::int32_t poses[2][24] = {
        {10, 20, 5, -30, 40, 30, 90, 40, 30, 90, -50, 30, 80, -50, 30, 80, 20, 15, 0, 0, 30, 30, 45, -45},
        {-20, -40, -10, -5, -60, 5, 20, -60, 5, 20, 10, 5, 10, 10, 5, 10, 0, -15, 30, -30, -20, -20, 0, 0}};
    int which = 0;
    for (auto _ : state) {
        const JointRange range{0, 24, poses[which]};
        benchmark::DoNotOptimize(SetJoints(viewer.context, &range));
        which ^= 1;
    }
}

// A left click on the body: pick, selection highlight, and the release.
void BM_PickClick(benchmark::State& state) {
    Viewer viewer(300, 300);
    if (!viewer.context) {
        state.SkipWithError("the viewer did not attach");
        return;
    }
    SetNotifyProc(viewer.context, [](ViewerContext*, std::int32_t, std::int32_t) { return true; });
    std::int32_t result = 0;
    const intptr_t at = VIRTROVA_MAKELPARAM(150, 125);
    for (auto _ : state) {
        HandleMessages(viewer.context, &viewer.window.host, VR_WM_LBUTTONDOWN, VR_MK_LBUTTON, at, &result);
        HandleMessages(viewer.context, &viewer.window.host, VR_WM_LBUTTONUP, 0, at, &result);
    }
}

}  // namespace

BENCHMARK(BM_Render300x300)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Render1920x1080)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SetJointsFullPose)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PickClick)->Unit(benchmark::kMicrosecond);
