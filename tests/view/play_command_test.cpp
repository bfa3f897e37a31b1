// The Play command of the view: its range, sound file and messages, the wait
// cursor, the Space key, and the program's host keeping input out but Esc.
#include <QKeyEvent>
#include <QStatusBar>
#include <QTest>
#include <QTimer>
#include <functional>

#include "player/window_messages.h"
#include "commands/play_command.h"
#include "commands/problems_dock.h"
#include "playback/playback_fakes.h"
#include "view/view_support.h"

using namespace rova;
using namespace rova::test;
using testing::ElementsAre;

namespace {

struct PlayEditor : Editor {
    VirtualHost host;
    RecordingAudio audio{host};
    RecordingViewer viewer;
    PlaybackServices services{&audio, &host, &viewer};

    PlayEditor() { setPlaybackServices(&services); }
    ~PlayEditor() { setPlaybackServices(nullptr); }

    std::string path(const std::string& name) { return std::filesystem::absolute(files.dir / name).string(); }
    std::string playCommand() const {
        for (const auto& c : audio.commands)
            if (c.rfind("play", 0) == 0) return c;
        return {};
    }
};

TEST(PlayCommand, PlaysTheSelectionOrTheWholeMotionWithTheDocumentsSound) {
    PlayEditor e;
    CMainView& v = e.open("P", 14);  // 65 ticks: 13 steps
    const std::string wav = e.path("P.WAV");
    e.audio.lengths[wav] = 1000;
    e.host.viewer = &e.viewer;
    std::vector<bool> waitCursor;
    e.host.duringWait = [&] {
        const QCursor* cursor = QApplication::overrideCursor();
        waitCursor.push_back(cursor && cursor->shape() == Qt::WaitCursor);
    };

    ASSERT_TRUE(e.app.mainFrame()->executeCommand(ID_VIEW_PLAY));
    ASSERT_FALSE(waitCursor.empty());
    EXPECT_EQ(std::count(waitCursor.begin(), waitCursor.end(), false), 0);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    EXPECT_EQ(e.playCommand(), "play \"" + wav + "\" from 0 to 1040");
    EXPECT_EQ(e.audio.plain().back(), "close \"" + wav + "\"");

    runOn(v, ID_EDIT_SELECT_ALL);
    v.setTimeSelection(2, 3);
    e.audio.commands.clear();
    e.host.poses.clear();
    v.onKeyDown(win::kVkSpace);
    EXPECT_EQ(e.playCommand(), "play \"" + wav + "\" from 160 to 400");
    EXPECT_THAT(e.host.steps(), ElementsAre(2, 3, 4));
    EXPECT_TRUE(e.ui.messages.empty());
    // Nothing is restored: the selection stays, the model keeps the last pose.
    EXPECT_EQ(v.selStart(), 2);
    EXPECT_EQ(v.selLength(), 3);
}

TEST(PlayCommand, Messages) {
    const std::string again = "Error playing selected performance";
    struct Case {
        const char* name;
        bool motion, sound, viewer, opens;
        int playResult;
        std::vector<std::string> messages;
    };
    const Case cases[] = {
        {"no motion", false, true, true, true, 0, {"No motion tracks"}},
        {"no sound, player closed", true, false, false, true, 0, {std::string(kMsgOpenPlayerFirst), again}},
        {"sound that does not open", true, true, true, false, 0, {std::string(kMsgCannotOpenSound), again}},
        {"device that does not play", true, true, true, true, 274, {std::string(kMsgCannotPlaySound), again}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        PlayEditor e;
        if (c.sound) e.files.dir.write("S.WAV", waveImage(8000));
        if (c.motion) e.files.dir.write("S.MTN", MotionImage::of(0, 4, 3).bytes());
        const std::string file = e.files.dir / (c.motion ? "S.MTN" : "S.WAV");
        ASSERT_NE(e.app.openDocumentFile(QString::fromStdString(file)), nullptr);
        e.ui.messages.clear();  // what the open said
        if (c.opens) e.audio.lengths[e.path("S.WAV")] = 1000;
        if (c.playResult) e.audio.forced["play"] = c.playResult;
        if (c.viewer) e.host.viewer = &e.viewer;
        runOn(*e.views.back(), ID_VIEW_PLAY);
        EXPECT_EQ(e.ui.messages, c.messages);
        EXPECT_EQ(e.audio.device.openCount(), 0u);
    }
}

TEST(PlayCommand, MidiWithoutSoundFontPlaysSilentAndSaysSoOnce) {
    qputenv("ROVA_SOUNDFONT", "");  // no SoundFont to be found
    PlayEditor e;
    // 48 ticks at 96 a quarter and 500000 us a quarter: 250 ms.
    e.files.dir.write("M.MID", std::vector<std::uint8_t>{'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 0, 0, 1, 0, 96,  //
                                                          'M', 'T', 'r', 'k', 0, 0, 0, 4, 0x30, 0xff, 0x2f, 0x00});
    e.files.dir.write("M.MTN", MotionImage::of(16, 2, 3).bytes());
    ASSERT_NE(e.app.openDocumentFile(QString::fromStdString(e.files.dir / "M.MTN")), nullptr);
    PlaybackServices program{nullptr, nullptr, &e.viewer};  // the program's device and host, player closed
    setPlaybackServices(&program);
    QStatusBar* bar = e.app.mainFrame()->statusBar();
    e.ui.messages.clear();
    runOn(*e.views.back(), ID_VIEW_PLAY);
    EXPECT_TRUE(e.ui.messages.empty());
    EXPECT_EQ(bar->currentMessage().toStdString(),
              "No General MIDI SoundFont could be loaded: MIDI audio plays silent");
    bar->clearMessage();
    runOn(*e.views.back(), ID_VIEW_PLAY);
    EXPECT_TRUE(bar->currentMessage().isEmpty());
    setPlaybackServices(nullptr);
    qunsetenv("ROVA_SOUNDFONT");
}

// ---- the program's host -------------------------------------------------

void sendKey(QWidget* to, int key) {
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
    QApplication::sendEvent(to, &press);
}

TEST(PlaybackHost, WaitsKeepInputOutAndReturnAtEsc) {
    Editor e;
    CMainView& v = e.open();
    QtPlaybackHost host;
    QWidget* target = v.viewport();
    QTimer::singleShot(0, [&] {
        sendKey(&v, Qt::Key_Right);  // would select step 0
        QMouseEvent press(QEvent::MouseButtonPress, QPointF(80, 5), QPointF(80, 5), Qt::LeftButton, Qt::LeftButton,
                          Qt::NoModifier);
        QApplication::sendEvent(target, &press);
        QCloseEvent close;
        QApplication::sendEvent(e.app.mainFrame(), &close);
        EXPECT_FALSE(host.escapeDown());
        sendKey(&v, Qt::Key_Escape);
    });
    // Returns at Esc, long before its time.
    host.waitUntil(host.clockMs() + 50000);
    EXPECT_TRUE(host.escapeDown());
    EXPECT_FALSE(v.hasSelection());
    EXPECT_EQ(e.app.documents().size(), 1u);
    host.waitUntil(host.clockMs() + 50000);  // Esc stays down for the rest of the playback

    // Between waits, and after the playback, input goes where it belongs.
    sendKey(&v, Qt::Key_Right);
    EXPECT_TRUE(v.hasSelection());
}

TEST(PlaybackHost, SpaceStopsAsEscDoesButAHeldSpaceOrAnotherKeyDoesNot) {
    struct Case {
        const char* name;
        Qt::Key key;
        bool autoRepeat;
        bool stops;
    };
    const Case cases[] = {
        {"Esc", Qt::Key_Escape, false, true},
        {"Space", Qt::Key_Space, false, true},
        // The Space that started the playback, held down, repeats.
        {"a held Space", Qt::Key_Space, true, false},
        {"another key", Qt::Key_A, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Editor e;
        CMainView& v = e.open();
        QtPlaybackHost host;
        bool stopped = false;
        QTimer::singleShot(0, [&] {
            QKeyEvent press(QEvent::KeyPress, c.key, Qt::NoModifier, QString(), c.autoRepeat);
            QApplication::sendEvent(&v, &press);
            stopped = host.escapeDown();
            sendKey(&v, Qt::Key_Escape);  // ends the wait either way
        });
        host.waitUntil(host.clockMs() + 50000);
        EXPECT_EQ(stopped, c.stops);
    }
}

// ---- the player window and the keys --------------------------------------

namespace {

// Delivers what the window system has queued (activations, focus) until
// `done` holds or nothing is left to deliver.
bool settle(const std::function<bool()>& done) {
    for (int i = 0; i < 50 && !done(); ++i) QApplication::processEvents(QEventLoop::AllEvents, 20);
    return done();
}

// A playback host that brings the real player window up, as the program's does.
struct ShowingHost : VirtualHost {
    void showPlayer() override {
        VirtualHost::showPlayer();
        playerLink().showPlayer();
    }
};


}  // namespace

TEST(PlayCommand, AfterPlaybackTheKeysGoWhereTheyWentBeforePlay) {
    PlayEditor e;
    OpenPlayer player{false};  // the viewer only; the window is not shown first
    e.files.dir.write("S.MTN", MotionImage::of(0, 4, 3).bytes());  // no sound: the clock paces it
    ASSERT_NE(e.app.openDocumentFile(QString::fromStdString(e.files.dir / "S.MTN")), nullptr);
    CMainView& v = *e.views.back();
    ShowingHost host;
    host.viewer = &e.viewer;
    PlaybackServices services{&e.audio, &host, &e.viewer};
    setPlaybackServices(&services);
    e.frame().activateWindow();
    v.setFocus();
    ASSERT_TRUE(settle([&] { return QApplication::activeWindow() == &e.frame(); }));
    QWidget* const focus = QApplication::focusWidget();
    ASSERT_NE(focus, nullptr);

    runOn(v, ID_VIEW_PLAY);
    ASSERT_EQ(host.calls.front(), "showPlayer");
    ASSERT_NE(playerLink().playerWindow(), nullptr);
    settle([] { return false; });  // everything the window system had to say
    EXPECT_EQ(QApplication::activeWindow(), &e.frame());
    EXPECT_EQ(QApplication::focusWidget(), focus);
    setPlaybackServices(nullptr);
}

TEST(PlayerWindowKeys, TheEditorsKeysWorkWhileThePlayerWindowIsActive) {
    struct Case {
        const char* name;
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
        std::function<void(PlayEditor&, CMainView&)> before;
        std::function<void(PlayEditor&, CMainView&)> check;
    };
    const Case cases[] = {
        {"A selects everything", Qt::Key_A, Qt::NoModifier, [](PlayEditor&, CMainView&) {},
         [](PlayEditor&, CMainView& v) {
             EXPECT_TRUE(v.hasSelection());
             EXPECT_EQ(v.selLength(), v.lastStep() + 1);
         }},
        {"Ctrl+Z undoes", Qt::Key_Z, Qt::ControlModifier,
         [](PlayEditor&, CMainView& v) {
             v.selectAll();
             v.onKeyDown('5');
             ASSERT_TRUE(v.document().doc().motion().isModified());
         },
         [](PlayEditor&, CMainView& v) { EXPECT_FALSE(v.document().doc().motion().isModified()); }},
        {"F7 checks the performance", Qt::Key_F7, Qt::NoModifier, [](PlayEditor&, CMainView&) {},
         [](PlayEditor& e, CMainView&) {
             const CProblemsDock* dock = CProblemsDock::find(e.frame());
             ASSERT_NE(dock, nullptr);
             EXPECT_TRUE(dock->isVisible());
         }},
        {"Space plays the selection", Qt::Key_Space, Qt::NoModifier,
         [](PlayEditor& e, CMainView& v) {
             e.audio.lengths[e.path("P.WAV")] = 2000;
             v.selectAll();
             v.setTimeSelection(2, 3);
         },
         [](PlayEditor& e, CMainView&) { EXPECT_EQ(e.playCommand(), "play \"" + e.path("P.WAV") + "\" from 160 to 400"); }},
        {"a digit sets the selected rows", Qt::Key_7, Qt::NoModifier, [](PlayEditor&, CMainView& v) { v.selectAll(); },
         [](PlayEditor&, CMainView& v) { EXPECT_TRUE(v.document().doc().motion().isModified()); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        PlayEditor e;
        OpenPlayer player{false};
        CMainView& v = e.open();
        c.before(e, v);
        playerLink().showPlayer();
        QWidget* window = playerLink().playerWindow();
        ASSERT_NE(window, nullptr);
        ASSERT_TRUE(settle([&] { return QApplication::activeWindow() == window; }));
        QTest::keyClick(window, c.key, c.modifiers);
        c.check(e, v);
    }
}

}  // namespace
