// The Play command of the view: its range, sound file and messages, the wait
// cursor, the Space key, and the program's host keeping input out but Esc.
#include <QKeyEvent>
#include <QStatusBar>
#include <QTimer>

#include "player/window_messages.h"
#include "commands/play_command.h"
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

}  // namespace
