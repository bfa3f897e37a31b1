// A 10-second playback as the editor runs it: the program's host (waits in the
// event loop) over the audio device with the silent output. Reports the share
// of one core that the playback used and how late each pose went out against
// its step's time on the audio clock (the output's own start + 80 ms a step).
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <QApplication>
#include <QPaintEvent>
#include <QScrollBar>
#include <QSettings>
#include <QTemporaryDir>
#include <algorithm>
#include <chrono>

#include "commands/editor_commands.h"
#include "commands/play_command.h"
#include "shell/editor_app.h"
#include "shell/main_frame.h"
#include "shell/shell_dialogs.h"
#include "view/main_view.h"

namespace {

using namespace rova;
using Clock = std::chrono::steady_clock;

constexpr int kSteps = 125;  // 10 s

struct NoViewer : WindowlessViewer {
    std::int32_t last = -1;
    int SetJoints(void*, const ViewerJointRange& r) override {
        const bool changed = r.values[0] != last;
        last = r.values[0];
        return changed;
    }
};

// The silent device, noting when its sound starts.
struct TimedAudio : AudioCommands {
    AudioDevice device{[](const std::string&, int&) {
                           AudioClip clip;
                           clip.durationMs = kSteps * 80 + 1000;
                           return std::optional<AudioClip>(std::move(clip));
                       },
                       [](const AudioClip&) { return std::make_unique<SilentOutput>(); }};
    Clock::time_point started{};
    int sendString(std::string_view command, char* reply, int size) override {
        const int r = device.sendString(command, reply, size);
        if (command.rfind("play", 0) == 0) started = Clock::now();
        return r;
    }
};

struct TimedHost : QtPlaybackHost {
    void* viewer = nullptr;
    std::vector<std::pair<int, Clock::time_point>> sent;
    void* getViewer() override { return viewer; }
    void showPlayer() override {}
    void refreshPlayer() override {}
    void poseSent(int step, std::int64_t) override { sent.emplace_back(step, Clock::now()); }
};

double cpuSeconds() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return static_cast<double>(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
           static_cast<double>(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

// How late each pose after the first went out against its step's time on the audio clock.
void noteLateness(const TimedHost& host, const TimedAudio& audio, std::vector<double>& late) {
    for (const auto& [step, at] : host.sent) {
        if (step == 0) continue;  // sent before the sound starts
        const auto due = audio.started + std::chrono::milliseconds(step * 80);
        late.push_back(std::chrono::duration<double, std::milli>(at - due).count());
    }
}

void reportLateness(benchmark::State& state, std::vector<double>& late, double cpu, double wall) {
    std::sort(late.begin(), late.end());
    state.counters["cpu_percent"] = 100 * cpu / wall;
    state.counters["poses"] = static_cast<double>(late.size());
    if (!late.empty()) {
        state.counters["median_late_ms"] = late[late.size() / 2];
        state.counters["worst_late_ms"] = late.back();
        state.counters["earliest_ms"] = late.front();
    }
}

void BM_TenSecondPlayback(benchmark::State& state) {
    // A tail motion moving every step.
    std::vector<std::int32_t> block = {0, 0, 0, 0, 0, 0, kSteps * 5, 0, 0, 0, 1745329 * 2, 0};
    CMotionTrack motion;
    std::array<int, kChannelCount> locators{};
    locators.fill(-1);
    motion.assign(MOTION_TAIL, 2, locators, block, 2);
    motion.setFirstChannel(16);

    std::vector<double> late;
    double cpu = 0, wall = 0;
    for (auto _ : state) {
        NoViewer api;
        TimedAudio audio;
        TimedHost host;
        host.viewer = &api;
        RecordingMessages ui;
        const double cpu0 = cpuSeconds();
        const auto wall0 = Clock::now();
        playPerformance(std::string("/bench/P.WAV"), motion, 0, kSteps, &api, {audio, api, host, ui});
        cpu += cpuSeconds() - cpu0;
        wall += std::chrono::duration<double>(Clock::now() - wall0).count();
        noteLateness(host, audio, late);
    }
    reportLateness(state, late, cpu, wall);
}
BENCHMARK(BM_TenSecondPlayback)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();

struct NoDialogs : ShellDialogs {
    std::optional<QStringList> chooseFilesToOpen(QWidget*) override { return std::nullopt; }
    SaveAnswer askSaveChanges(QWidget*, const QString&) override { return SaveAnswer::No; }
    QString chooseSaveName(QWidget*, const QString&) override { return {}; }
};

// Counts the repaints of the view during the playback and the columns they cover.
struct PaintCounter : QObject {
    int paints = 0;
    double columns = 0;
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() != QEvent::Paint) return false;
        ++paints;
        columns += static_cast<QPaintEvent*>(event)->rect().width();
        return false;
    }
};

// The Play command on the example performance in a shown 1280x800 window:
// the first 10 s selected, zoomed in so that the playhead turns pages
// (200 pixels a second), the playhead drawn at every step.
void BM_TenSecondPlaybackWithPlayhead(benchmark::State& state) {
    RecordingMessages ui;
    NoDialogs dialogs;
    CMainView* view = nullptr;
    CEditorApp app(ui, dialogs, [&](CDocument& d) { return view = new CMainView(d); });
    registerEditorCommands(app);
    app.initInstance({});
    if (!app.openDocumentFile(ROVA_EXAMPLES_DIR "/Bounce.MTN") || !view) {
        state.SkipWithError("the example does not open");
        return;
    }
    app.mainFrame()->resize(1280, 800);
    app.mainFrame()->show();
    view->setZoom(5);
    QApplication::processEvents();

    std::vector<double> late;
    double cpu = 0, wall = 0;
    int paints = 0, turns = 0;
    double columns = 0;
    for (auto _ : state) {
        view->selectAll();
        view->setTimeSelection(0, kSteps);
        QApplication::processEvents();
        NoViewer api;
        TimedAudio audio;
        TimedHost host;
        host.viewer = &api;
        const PlaybackServices services{&audio, &host, &api};
        setPlaybackServices(&services);
        PaintCounter counter;
        view->viewport()->installEventFilter(&counter);
        int lastScroll = view->horizontalScroll();
        QObject::connect(view->horizontalScrollBar(), &QScrollBar::valueChanged, [&](int v) {
            turns += v != lastScroll;
            lastScroll = v;
        });
        const double cpu0 = cpuSeconds();
        const auto wall0 = Clock::now();
        app.mainFrame()->executeCommand(ID_VIEW_PLAY);
        cpu += cpuSeconds() - cpu0;
        wall += std::chrono::duration<double>(Clock::now() - wall0).count();
        view->viewport()->removeEventFilter(&counter);
        view->horizontalScrollBar()->disconnect();
        paints += counter.paints;
        columns += counter.columns;
        setPlaybackServices(nullptr);
        noteLateness(host, audio, late);
    }
    reportLateness(state, late, cpu, wall);
    state.counters["paints"] = paints;
    state.counters["page_turns"] = turns;
    state.counters["columns_per_paint"] = paints ? columns / paints : 0;
}
BENCHMARK(BM_TenSecondPlaybackWithPlayhead)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    // The run's settings (loop and offset off) in a folder of its own.
    QTemporaryDir settings;
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settings.path());
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, settings.path());
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
