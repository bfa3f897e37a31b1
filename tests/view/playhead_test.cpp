// The playhead and cursor of the view: Ctrl+click and scrubbing, play from
// the cursor, the line during and after a playback, and the remembered loop
// and offset reaching the playback.
#include <QScrollBar>
#include <QSettings>
#include <QTest>

#include "commands/play_command.h"
#include "commands/playback_options.h"
#include "player/window_messages.h"
#include "playback/playback_fakes.h"
#include "view/view_support.h"

using namespace rova;
using namespace rova::test;
using testing::ElementsAre;

namespace {

struct PlayheadEditor : Editor {
    VirtualHost host;
    RecordingAudio audio{host};
    RecordingViewer viewer;
    PlaybackServices services{&audio, &host, &viewer};
    CMainView* view = nullptr;
    std::string wav;

    PlayheadEditor() {
        setPlaybackServices(&services);
        view = &open("P", 14);  // 13 steps
        wav = std::filesystem::absolute(files.dir / "P.WAV").string();
        audio.lengths[wav] = 3000;
        host.viewer = &viewer;
    }
    ~PlayheadEditor() { setPlaybackServices(nullptr); }

    // Plays as the menu does, with Esc escMs after the start (none when negative).
    void play(std::int64_t escMs = -1) {
        host.escape = false;
        host.escapeAt = escMs >= 0 ? host.now + escMs : -1;
        audio.commands.clear();
        host.poses.clear();
        host.shown.clear();
        runOn(*view, ID_VIEW_PLAY);
    }
    std::vector<std::string> plays() const {
        std::vector<std::string> out;
        for (const auto& c : audio.commands)
            if (c.rfind("play", 0) == 0) out.push_back(c);
        return out;
    }
    void ctrlClick(int step) {
        QTest::mouseClick(view->viewport(), Qt::LeftButton, Qt::ControlModifier,
                          QPoint(CPlayhead::lineX(step, view->pixelsPerSecond()) - view->horizontalScroll(), 60));
    }
};

TEST(Playhead, CursorAndLineAcrossPlayStopAndSelection) {
    PlayheadEditor e;
    CMainView& v = *e.view;
    v.selectAll();
    v.setTimeSelection(2, 3);
    e.ctrlClick(6);
    EXPECT_EQ(v.playhead().cursor(), 6);
    EXPECT_EQ(v.playhead().line(), 6);
    EXPECT_FALSE(v.hasSelection());

    // Play without a selection: from the cursor to the end; the line follows
    // and stays at the last step, the cursor stays where it was set.
    e.play();
    EXPECT_THAT(e.plays(), ElementsAre("play \"" + e.wav + "\" from 480 to 1040"));
    EXPECT_THAT(e.host.shown, ElementsAre(6, 7, 8, 9, 10, 11, 12));
    EXPECT_EQ(v.playhead().line(), 12);
    EXPECT_EQ(v.playhead().cursor(), 6);
    // Esc: the line stays where the playback was; Space plays from the cursor again.
    e.host.escapeAt = e.host.now + 100;
    e.audio.commands.clear();
    v.onKeyDown(win::kVkSpace);
    EXPECT_THAT(e.plays(), ElementsAre("play \"" + e.wav + "\" from 480 to 1040"));
    EXPECT_EQ(v.playhead().line(), 7);

    // A selection change takes line and cursor away; a selection plays alone.
    v.setTimeSelection(1, 2);
    EXPECT_EQ(v.playhead().line(), -1);
    EXPECT_EQ(v.playhead().cursor(), -1);
    e.play();
    EXPECT_THAT(e.plays(), ElementsAre("play \"" + e.wav + "\" from 80 to 240"));
    EXPECT_EQ(v.playhead().line(), 2);
    EXPECT_TRUE(v.hasSelection());
    // Neither selection nor cursor: the whole motion, and Space does nothing.
    v.onRButtonDown({0, 0}, false);
    e.play();
    EXPECT_THAT(e.plays(), ElementsAre("play \"" + e.wav + "\" from 0 to 1040"));
    e.audio.commands.clear();
    v.onKeyDown(win::kVkSpace);
    EXPECT_TRUE(e.audio.commands.empty());
}

TEST(Playhead, CtrlDragScrubsThePoseToThePlayer) {
    PlayheadEditor e;
    CMainView& v = *e.view;
    OpenPlayer open;
    ViewerCalls& player = open.viewer;
    player.calls.clear();
    const int y = 60;
    auto at = [&](int step) { return QPoint(CPlayhead::lineX(step, v.pixelsPerSecond()), y); };
    v.onCtrlButtonDown(at(2));
    v.onMouseMove(at(3), true, false);
    v.onMouseMove(at(3), true, false);  // the same step sends nothing again
    v.onMouseMove(at(40), true, false);  // held to the last step
    EXPECT_EQ(v.playhead().cursor(), v.lastStep());
    ASSERT_EQ(player.calls.size(), 3u);
    int pose[kChannelCount];
    for (const auto& [call, step] : std::vector<std::pair<std::string, int>>{{player.calls[0], 2}, {player.calls[2], 13}}) {
        ASSERT_TRUE(v.document().doc().motion().valuesAtStep(step, pose));
        std::string expected = "SetJoints 0 18";
        for (int value : pose) expected += " " + std::to_string(value);
        EXPECT_EQ(call, expected);
    }
    v.onLButtonUp();
    v.onMouseMove(at(5), false, false);
    EXPECT_EQ(v.playhead().cursor(), v.lastStep());
    EXPECT_FALSE(v.hasSelection());
}

TEST(Playhead, DrawnOverEverythingInItsOwnColourAndTurnsPages) {
    PlayheadEditor e;
    CMainView& v = *e.view;
    v.selectAll();  // the highlight is under it
    v.playhead().showStep(v, 5);
    const QImage image = renderView(v);
    const int x = CPlayhead::lineX(5, v.pixelsPerSecond());
    int lineRows = 0, elsewhere = 0;
    for (int yy = 0; yy < v.totalHeight(); ++yy) lineRows += image.pixelColor(x, yy) == kPlayheadColour;
    for (int yy = 0; yy < image.height(); ++yy)
        for (int xx = 0; xx < image.width(); ++xx) elsewhere += xx != x && image.pixelColor(xx, yy) == kPlayheadColour;
    EXPECT_EQ(lineRows, v.totalHeight());
    EXPECT_EQ(elsewhere, 0);

    // A narrow window turns to the page where the line is, putting it at the left.
    v.resize(200, 300);
    v.setZoom(1);  // 1000 pixels a second
    v.horizontalScrollBar()->setValue(0);
    v.playhead().showStep(v, 1);
    EXPECT_EQ(v.horizontalScroll(), 0);
    v.playhead().showStep(v, 4);
    EXPECT_EQ(v.horizontalScroll(), CPlayhead::lineX(4, 1000) - kLabelColumnWidth);
}

TEST(Playhead, RememberedLoopAndOffsetReachThePlayback) {
    PlayheadEditor e;
    CMainView& v = *e.view;
    std::string error;
    ScriptedAnswers answers;
    CCommand& loop = *e.app.commands().find(ID_VIEW_LOOP_PLAYBACK);
    CCommand& offset = *e.app.commands().find(ID_TOOLS_PLAYBACK_OFFSET);
    EXPECT_FALSE(e.state(ID_VIEW_LOOP_PLAYBACK).checked);
    ASSERT_TRUE(e.run(ID_VIEW_LOOP_PLAYBACK));
    EXPECT_TRUE(e.state(ID_VIEW_LOOP_PLAYBACK).checked);
    EXPECT_TRUE(QSettings(kSettingsOrganization, kSettingsApplication).value("Settings/LoopPlayback").toBool());
    EXPECT_FALSE(offset.takeArguments("offset", {"501"}, answers, error));
    EXPECT_FALSE(loop.takeArguments("loop", {"yes"}, answers, error));
    ASSERT_TRUE(offset.takeArguments("offset", {"-160"}, answers, error));
    ASSERT_TRUE(e.run(ID_TOOLS_PLAYBACK_OFFSET));
    EXPECT_EQ(rememberedPlaybackOptions().offsetMs, -160);

    // A looped selection with the poses 160 ms early, until Esc.
    v.selectAll();
    v.setTimeSelection(2, 2);
    e.play(160 + 300);
    const std::string range = "play \"" + e.wav + "\" from 160 to 320";
    EXPECT_THAT(e.plays(), ElementsAre(range, range));
    EXPECT_THAT(e.host.poses, ElementsAre(std::pair<std::int64_t, int>{-160, 2}, std::pair<std::int64_t, int>{-80, 3},
                                          std::pair<std::int64_t, int>{0, 2}, std::pair<std::int64_t, int>{80, 3},
                                          std::pair<std::int64_t, int>{160, 2}, std::pair<std::int64_t, int>{240, 3}));
    // From the cursor nothing loops.
    ASSERT_TRUE(loop.takeArguments("loop", {"on"}, answers, error));
    ASSERT_TRUE(e.run(ID_VIEW_LOOP_PLAYBACK));  // stays on
    EXPECT_TRUE(rememberedPlaybackOptions().loop);
    v.playhead().setCursor(v, 11);
    e.play();
    EXPECT_THAT(e.host.steps(), ElementsAre(11, 12));
    // A stored offset out of range is held to it.
    QSettings(kSettingsOrganization, kSettingsApplication).setValue("Settings/PlaybackOffset", 9000);
    EXPECT_EQ(rememberedPlaybackOptions().offsetMs, 500);
}

}  // namespace
