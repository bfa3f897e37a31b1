// The Play command of the performance view and the program's playback host.
#include "commands/play_command.h"

#include <QApplication>
#include <QEventLoop>
#include <QKeyEvent>
#include <QPointer>
#include <QStatusBar>
#include <QTimer>
#include <QWindow>
#include <filesystem>

#include "shell/document.h"
#include "shell/editor_app.h"
#include "shell/main_frame.h"
#include "platform/files.h"
#include "platform/qt_audio.h"
#include "player/player_link.h"
#include "commands/editor_commands.h"
#include "commands/playback_options.h"
#include "view/main_view.h"

namespace rova {
namespace {

const PlaybackServices* g_services = nullptr;

// The device lives for the whole run, so its remark about a silent MIDI sound
// reaches the status bar once.
AudioDevice& systemAudio() {
    static const std::unique_ptr<AudioDevice> device = makeSystemAudioDevice([](std::string_view text) {
        static bool told = false;
        if (told) return;
        told = true;
        if (CEditorApp* app = CEditorApp::instance())
            if (CMainFrame* frame = app->mainFrame())
                frame->statusBar()->showMessage(QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())));
    });
    return *device;
}

bool isUserInput(QEvent::Type type) {
    switch (type) {
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::ShortcutOverride:
    case QEvent::Shortcut:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
    case QEvent::NonClientAreaMouseButtonPress:
    case QEvent::NonClientAreaMouseButtonRelease:
    case QEvent::NonClientAreaMouseButtonDblClick:
    case QEvent::Wheel:
    case QEvent::ContextMenu:
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd:
    case QEvent::TabletPress:
    case QEvent::TabletRelease:
    case QEvent::InputMethod:
    case QEvent::Drop:
    case QEvent::Close:  // closing the player window would free the viewer in use
        return true;
    default: return false;
    }
}

// The wait cursor for as long as the command runs.
struct WaitCursor {
    WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QApplication::restoreOverrideCursor(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};

}  // namespace

void setPlaybackServices(const PlaybackServices* services) { g_services = services; }

AudioCommands& playbackAudio() { return g_services && g_services->audio ? *g_services->audio : systemAudio(); }

// ---- the program's host -------------------------------------------------

QtPlaybackHost::QtPlaybackHost() = default;

QtPlaybackHost::~QtPlaybackHost() = default;

void* QtPlaybackHost::getViewer() { return playerLink().getViewer(); }

void QtPlaybackHost::showPlayer() { playerLink().showPlayer(); }

void QtPlaybackHost::refreshPlayer() { playerLink().refreshPlayer(); }

std::int64_t QtPlaybackHost::clockMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - m_epoch).count();
}

void QtPlaybackHost::waitUntil(std::int64_t ms) {
    if (m_escape) return;
    // Events are delivered only here, so only here must input be kept out
    // (a message box of the playback stays usable).
    qApp->installEventFilter(this);
    const std::int64_t delay = ms - clockMs();
    if (delay <= 0) {
        // No time to sleep, but what is due (paints, the sound card's feed) runs.
        QCoreApplication::processEvents(QEventLoop::AllEvents);
    } else {
        QEventLoop loop;
        QTimer timer;
        timer.setTimerType(Qt::PreciseTimer);
        timer.setSingleShot(true);
        QObject::connect(&timer, &QTimer::timeout, &loop, &QEventLoop::quit);
        timer.start(static_cast<int>(std::min<std::int64_t>(delay, 60000)));
        m_loop = &loop;
        loop.exec();
        m_loop = nullptr;
    }
    qApp->removeEventFilter(this);
}

bool QtPlaybackHost::eventFilter(QObject* watched, QEvent* event) {
    if (!isUserInput(event->type())) return QObject::eventFilter(watched, event);
    if (event->type() == QEvent::KeyPress || event->type() == QEvent::ShortcutOverride) {
        // Space stops as Esc does; a Space held down since it started the
        // playback repeats, and that must not stop it.
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Escape || (key->key() == Qt::Key_Space && !key->isAutoRepeat())) {
            m_escape = true;
            if (m_loop) m_loop->quit();
        }
    }
    if (event->type() == QEvent::Close) event->ignore();
    return true;
}

// ---- the command --------------------------------------------------------

namespace {

// The playback's host with the view's playhead following the steps shown.
class PlayheadHost : public PlaybackHost {
public:
    PlayheadHost(PlaybackHost& host, CMainView& view) : m_host(host), m_view(view) {}
    void* getViewer() override { return m_host.getViewer(); }
    void showPlayer() override { m_host.showPlayer(); }
    void refreshPlayer() override { m_host.refreshPlayer(); }
    std::int64_t clockMs() override { return m_host.clockMs(); }
    void waitUntil(std::int64_t ms) override { m_host.waitUntil(ms); }
    bool escapeDown() override { return m_host.escapeDown(); }
    void poseSent(int step, std::int64_t ms) override { m_host.poseSent(step, ms); }
    void stepShown(int step) override {
        m_host.stepShown(step);
        m_view.playhead().showStep(m_view, step);
    }

private:
    PlaybackHost& m_host;
    CMainView& m_view;
};

class CPlayCommand : public CViewCommand {
public:
    CPlayCommand()
        : CViewCommand({.id = ID_VIEW_PLAY, .text = "&Play", .prompt = "Play the performance\nPlay", .verbs = {}}) {}

    void onExecute(CMainView& view) override {
        // A Play reached again while one runs (Space in a window of another
        // performance) does nothing; the guard clears however the playback ends.
        if (m_playing) return;
        CMainDoc& doc = view.doc();
        const unsigned flags = doc.trackFlags();
        if (!(flags & TRACK_MOTION)) {
            doc.ui().showMessage("No motion tracks");
            return;
        }
        int start = 0, count = doc.motion().totalTicks() / kTicksPerStep;
        PlaybackOptions options = rememberedPlaybackOptions();
        if (view.hasSelection()) {
            start = view.selStart();
            count = view.selLength();
        } else if (view.playhead().cursor() >= 0) {
            // From the cursor to the end.
            start = view.playhead().cursor();
            count = std::max(0, count - start);
        }
        // Only a selection is looped: a play to the end ends there.
        options.loop = options.loop && view.hasSelection();
        options.leds = &doc.leds();
        WaitCursor wait;

        // The sibling the document read its sound from, whatever the case of its
        // extension, as a full path.
        std::optional<std::string> audio;
        if (flags & (TRACK_WAVE | TRACK_MIDI)) {
            std::error_code ec;
            const std::filesystem::path full = std::filesystem::absolute(doc.pathName(), ec);
            const auto siblings = PerformancePath::split(ec ? std::filesystem::path(doc.pathName()) : full);
            audio = siblings.sibling(flags & TRACK_WAVE ? "WAV" : "MID").string();
        }

        QtPlaybackHost program;
        PlayheadHost host(g_services && g_services->host ? *g_services->host : program, view);
        AudioCommands& sound = g_services && g_services->audio ? *g_services->audio : systemAudio();
        ViewerApi& api = g_services && g_services->viewerApi ? *g_services->viewerApi : viewerApi();
        struct Guard {
            bool& flag;
            explicit Guard(bool& f) : flag(f) { flag = true; }
            ~Guard() { flag = false; }
            Guard(const Guard&) = delete;
            Guard& operator=(const Guard&) = delete;
        } guard(m_playing);
        // Showing the player brings its window to the front; the keys belong
        // where they were before Play once the playback is over.
        const QPointer<QWidget> activeWindow = QApplication::activeWindow();
        const QPointer<QWidget> focus = QApplication::focusWidget();
        const bool ok =
            playPerformance(audio, doc.motion(), start, count, host.getViewer(), {sound, api, host, doc.ui()}, options);
        // Asked for even while that window still counts as active: the
        // player's own activation may not have arrived yet.
        if (activeWindow && activeWindow->windowHandle()) activeWindow->windowHandle()->requestActivate();
        if (focus) focus->setFocus(Qt::OtherFocusReason);
        // The playback took the viewer's highlight away.
        playerLink().showSelectedJoints(true);
        if (!ok) doc.ui().showMessage("Error playing selected performance");
    }

private:
    bool m_playing = false;
};

}  // namespace

void addPlayCommand(CommandRegistry& registry) { registry.add(std::make_unique<CPlayCommand>()); }

}  // namespace rova
