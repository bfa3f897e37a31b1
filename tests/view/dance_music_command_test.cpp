// Tools > Dance to the Music as a command of the view: its refusals, the
// remembered dialog settings, one undo step, and the tool's verb.
#include <QMenu>
#include <QMenuBar>

#include "support/track_builder.h"
#include "view/dance_music_dialog.h"
#include "view/view_support.h"

using namespace rova;
using namespace rova::test;
using testing::ElementsAre;
using testing::IsEmpty;

namespace {

const dance::MusicDanceSettings kHighEyes{dance::Energy::High, 77, true, false};

// A performance whose beats are set by hand (120 BPM from the start), so the
// dance does not depend on the test sound's analysis.
CMainView& openWithBeats(Editor& e, int keyframes) {
    e.files.dir.write("P.BPM", std::string("bpm 120.0\noffset 0\n"));
    return e.open("P", keyframes);
}

}  // namespace

TEST(DanceToMusicCommand, StandsAtTheEndOfTheToolsMenu) {
    Editor e;
    e.open("P", 40);
    const QList<QAction*> menus = e.frame().menuBar()->actions();
    const auto tools = std::find_if(menus.begin(), menus.end(), [](QAction* a) { return a->text() == "&Tools"; });
    ASSERT_NE(tools, menus.end());
    EXPECT_EQ((*tools)->menu()->actions().back()->text(), "&Dance to the Music...");
}

TEST(DanceToMusicCommand, RefusesWithoutAFullBodyMotionOrARange) {
    Editor e;
    runOn(e.openMotion("H", MotionImage::of(0, 4, 20)), ID_TOOLS_DANCE_TO_MUSIC);
    CMainView& v = e.open("P", 40);
    v.selectRows(0, 3, true);
    v.setTimeSelection(v.lastStep(), 1);  // nothing left to dance in
    runOn(v, ID_TOOLS_DANCE_TO_MUSIC);
    EXPECT_THAT(e.ui.messages, ElementsAre("A full-body motion track is needed to add Dance steps",
                                           "Select a longer range to dance to"));
    EXPECT_THAT(e.viewDlgs.danceShown, IsEmpty());
}

TEST(DanceToMusicCommand, CancelChangesNothingAndTheChoiceIsRememberedAcrossRuns) {
    {
        Editor e;
        CMainView& v = openWithBeats(e, 100);
        const KeyframeRows before = rowsOf(v.doc().motion());
        runOn(v, ID_TOOLS_DANCE_TO_MUSIC);  // cancelled
        EXPECT_EQ(rowsOf(v.doc().motion()), before);
        EXPECT_FALSE(v.doc().history().canUndo());
        e.viewDlgs.danceToMusic = kHighEyes;
        runOn(v, ID_TOOLS_DANCE_TO_MUSIC);
        e.viewDlgs.danceToMusic.reset();
        runOn(v, ID_TOOLS_DANCE_TO_MUSIC);
        ASSERT_EQ(e.viewDlgs.danceShown.size(), 3u);
        EXPECT_EQ(e.viewDlgs.danceShown[0], (dance::MusicDanceSettings{dance::Energy::Medium, 1, true, false}));
        EXPECT_EQ(e.viewDlgs.danceShown[2], kHighEyes);
    }
    // The settings live in the user's settings, not just the run: the dialog
    // of a later run opens with them (the editor of a test clears them, so
    // read them back directly).
    QSettings settings(kSettingsOrganization, kSettingsApplication);
    EXPECT_EQ(settings.value("Settings/DanceSeed").toInt(), 77);
    EXPECT_EQ(settings.value("Settings/DanceEnergy").toInt(), 2);
    CDanceToMusicDlg dialog(kHighEyes);
    EXPECT_EQ(dialog.settings(), kHighEyes);
    for (const dance::MusicDanceSettings& shown :
         {dance::MusicDanceSettings{dance::Energy::Low, 9, false, true, true, dance::BodyPart::Legs},
          dance::MusicDanceSettings{dance::Energy::High, 2, true, false, false, dance::BodyPart::HeadTail}})
        EXPECT_EQ(CDanceToMusicDlg(shown).settings(), shown);
    dialog.newVariation();
    EXPECT_NE(dialog.settings().seed, 77u);
}

TEST(DanceToMusicCommand, DancesTheSelectionAsOneUndoStep) {
    Editor e;
    CMainView& v = openWithBeats(e, 200);  // 16 s, a keyframe every time step
    CMainDoc& doc = v.doc();
    const KeyframeRows before = rowsOf(doc.motion());
    const std::vector<std::uint8_t> ledsBefore = doc.leds().steps;
    v.selectRows(0, static_cast<int>(v.panes().size()), true);
    v.setTimeSelection(10, 150);
    e.viewDlgs.danceToMusic = kHighEyes;
    runOn(v, ID_TOOLS_DANCE_TO_MUSIC);
    EXPECT_THAT(e.ui.messages, IsEmpty());
    const KeyframeRows after = rowsOf(doc.motion());
    EXPECT_NE(after, before);
    EXPECT_EQ(doc.history().size(), 1u);
    EXPECT_EQ(e.state(ID_EDIT_UNDO_ACTION).text, "&Undo Dance to the Music\tCtrl+Z");
    EXPECT_TRUE(doc.updateSaveState());
    // Outside the selection nothing moved.
    for (int s : {0, 5, 10, 160, 170, 199})
        for (int c = 0; c < kChannelCount; ++c)
            EXPECT_EQ(doc.motion().valueAtStep(s, c), MotionImage::of(0, 18, 200).keyframes[static_cast<std::size_t>(s)]
                                                          [static_cast<std::size_t>(c) + 1]);

    ASSERT_TRUE(e.run(ID_EDIT_UNDO_ACTION));
    EXPECT_EQ(rowsOf(doc.motion()), before);
    EXPECT_EQ(doc.leds().steps, ledsBefore);
    ASSERT_TRUE(e.run(ID_EDIT_REDO_ACTION));
    EXPECT_EQ(rowsOf(doc.motion()), after);
}

TEST(DanceToMusicCommand, TheToolVerbTakesEnergySeedEyesAndMouth) {
    Editor e;
    CCommand* command = e.app.commands().findVerb("dance-to-music");
    ASSERT_NE(command, nullptr);
    const struct {
        std::vector<std::string> args;
        std::optional<dance::MusicDanceSettings> settings;
    } cases[] = {
        {{"12"}, dance::MusicDanceSettings{dance::Energy::Medium, 12, false, false}},
        {{"low", "0", "mouth"}, dance::MusicDanceSettings{dance::Energy::Low, 0, false, true}},
        {{"high", "5", "eyes", "mouth"}, dance::MusicDanceSettings{dance::Energy::High, 5, true, true}},
        {{}, std::nullopt},
        {{"high"}, std::nullopt},
        {{"loud", "5"}, std::nullopt},
        {{"5", "eyes", "eyes"}, std::nullopt},
        {{"-1"}, std::nullopt},
        {{"5", "tail"}, std::nullopt},
        {{"high", "3", "posture", "head-tail"},
         dance::MusicDanceSettings{dance::Energy::High, 3, false, false, true, dance::BodyPart::HeadTail}},
        {{"4", "eyes", "legs"}, dance::MusicDanceSettings{dance::Energy::Medium, 4, true, false, false, dance::BodyPart::Legs}},
        {{"4", "legs", "head-tail"}, std::nullopt},
        {{"4", "posture", "posture"}, std::nullopt},
    };
    for (const auto& c : cases) {
        ScriptedAnswers answers;
        std::string error;
        const bool ok = command->takeArguments("dance-to-music", c.args, answers, error);
        EXPECT_EQ(ok, c.settings.has_value()) << c.args.size();
        if (ok) EXPECT_EQ(answers.danceToMusic, c.settings);
        else EXPECT_EQ(error, "usage: dance-to-music [low|medium|high] SEED [eyes] [mouth] [posture] [head-tail|legs]");
    }
}
