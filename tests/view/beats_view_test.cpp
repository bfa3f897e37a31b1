// Beats in the performance view: the grid of the sound and of NAME.BPM, the
// lines, the tempo field, snapping by mouse and keys, and the Beats command.
#include <QDeadlineTimer>
#include <QDialog>
#include <QDoubleSpinBox>
#include <QImage>
#include <QPainter>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QStatusBar>
#include <QTest>
#include <QThread>

#include "beats/beat_sounds.h"
#include "beats/gated_analyser.h"
#include "commands/play_command.h"
#include "playback/playback_fakes.h"
#include "player/window_messages.h"
#include "view/beat_track.h"
#include "view/beats_dialog.h"
#include "view/view_support.h"

using namespace rova;
using namespace rova::test;

namespace {

// A performance with MIDI sound at 125 BPM (a beat every 480 ms, steps 0, 6, 12, 18, 24, ...) for 8 s.
CMainView& openMidi(Editor& e, const std::string& name = "M") {
    e.files.dir.write(name + ".MID", MidiBuilder(96).tempo(0, 480000).endTrack(96 * 16).bytes());
    e.files.dir.write(name + ".MTN", MotionImage::of(0, 18, 60).bytes());  // 59 steps
    return e.openPath(e.files.dir / (name + ".MTN"), name);
}

int pixelOfStep(const CMainView& v, int step) { return v.stepX(step) + 1; }

// Runs the event loop until done() holds: the news of found beats comes from
// the analysis's thread through the event queue. False if it never does.
template <class Done>
bool eventually(Done done) {
    const QDeadlineTimer patience(30000);  // a hang, not a slow machine, fails
    while (!done() && !patience.hasExpired()) {
        QCoreApplication::processEvents();
        QThread::yieldCurrentThread();
    }
    return done();
}

// The beats as the user sees them once the analysis has ended.
void waitForBeats(CMainView& v) {
    v.beatTrack().waitForAnalysis();
    QCoreApplication::processEvents();
}

// Replace Audio with a click track of `beats` beats at 100 BPM, keeping the tracks.
bool replaceWithClicks(Editor& e, int beats) {
    const auto sound = pulseSound(Pattern::Clicks, 100, beats, 0, 3);
    auto wave = waveImage(sound.samples.size());
    std::copy(sound.samples.begin(), sound.samples.end(), wave.end() - static_cast<long>(sound.samples.size()));
    e.files.dir.write("new.wav", wave);
    e.ui.files.push_back(e.files.dir / "new.wav");
    e.ui.answers = {true, false};
    return e.run(ID_TOOLS_REPLACE_AUDIO);
}

}  // namespace

TEST(ViewBeats, GridOfTheSoundAndTheTempoField) {
    Editor e;
    CMainView& v = openMidi(e);
    waitForBeats(v);
    const beats::BeatGrid& g = v.beatGrid();
    EXPECT_EQ(g.source, beats::BeatSource::Midi);
    ASSERT_EQ(g.beatsMs.size(), 16u);
    EXPECT_EQ(g.beatsMs[1], 480);
    EXPECT_EQ(v.tempoText(), "125 BPM");
    e.frame().updateCommandUI();
    EXPECT_EQ(e.frame().tempoField()->text(), "125 BPM");
    // A performance without sound has no beats.
    e.files.dir.write("Q.MTN", MotionImage::of(0, 18, 4).bytes());
    CMainView& q = e.openPath(e.files.dir / "Q.MTN", "Q");
    EXPECT_TRUE(q.beatGrid().empty());
    e.frame().updateCommandUI();
    EXPECT_EQ(e.frame().tempoField()->text(), "");
}

TEST(ViewBeats, LinesAreDrawnUnderThePanesOnlyWhenShown) {
    Editor e;
    CMainView& v = openMidi(e);
    waitForBeats(v);
    v.setZoom(10);  // 100 pixels a second: the beat at 480 ms lies at x 74 + 48
    EXPECT_TRUE(e.state(ID_VIEW_SHOW_BEATS).checked);
    QImage shown = renderView(v);
    // In the audio band (MIDI pane: no fill of its own) the line shows; at the
    // downbeat (0 ms is the one-second line) and at beat 480 ms.
    const int y = 10;
    EXPECT_NE(shown.pixelColor(kLabelColumnWidth + 48, y), QColor(Qt::white));
    EXPECT_NE(shown.pixelColor(kLabelColumnWidth + 192, y), shown.pixelColor(kLabelColumnWidth + 48, y));  // downbeat darker
    EXPECT_TRUE(e.run(ID_VIEW_SHOW_BEATS));
    EXPECT_FALSE(e.state(ID_VIEW_SHOW_BEATS).checked);
    QImage hidden = renderView(v);
    EXPECT_EQ(hidden.pixelColor(kLabelColumnWidth + 48, y), QColor(Qt::white));
    EXPECT_TRUE(e.run(ID_VIEW_SHOW_BEATS));
}

TEST(ViewBeats, SnappingByMouseAndKeys) {
    Editor e;
    CMainView& v = openMidi(e);
    waitForBeats(v);
    // Off: a click selects the step under it.
    v.onLButtonDown({pixelOfStep(v, 8), 0}, false);
    EXPECT_EQ(v.selStart(), 8);
    EXPECT_FALSE(e.state(ID_VIEW_SNAP_TO_BEATS).checked);
    ASSERT_TRUE(e.run(ID_VIEW_SNAP_TO_BEATS));
    EXPECT_TRUE(e.state(ID_VIEW_SNAP_TO_BEATS).checked);
    struct Case {
        int clicked, selected;
    };
    // Beats at 0, 480, 960, ... ms lie on steps 0, 6, 12, 18, ...; the last beat (7200 ms) on step 90,
    // beyond the motion's last step 59.
    for (const Case c : {Case{2, 0}, Case{4, 6}, Case{8, 6}, Case{10, 12}, Case{59, 59}}) {
        SCOPED_TRACE(c.clicked);
        v.onLButtonDown({pixelOfStep(v, c.clicked), 0}, false);
        EXPECT_EQ(v.selStart(), c.selected);
        EXPECT_EQ(v.selLength(), 1);
    }
    // A drag's end snaps too.
    v.onLButtonDown({pixelOfStep(v, 7), 0}, false);
    v.onMouseMove({pixelOfStep(v, 17), 0}, true, false);
    EXPECT_EQ(v.selStart(), 6);
    EXPECT_EQ(v.selLength(), 13);  // steps 6..18
    v.onLButtonUp();
    // The arrows go from beat to beat; left from the first beat goes to step 0.
    v.onLButtonDown({pixelOfStep(v, 12), 0}, false);
    v.onKeyDown(win::kVkRight);
    EXPECT_EQ(v.selStart(), 18);
    v.onKeyDown(win::kVkLeft);
    v.onKeyDown(win::kVkLeft);
    EXPECT_EQ(v.selStart(), 6);
    v.onKeyDown(win::kVkLeft);
    EXPECT_EQ(v.selStart(), 0);
    // After the last beat inside the motion (step 54) the right arrow stops at the last step.
    v.onLButtonDown({pixelOfStep(v, 54), 0}, false);
    v.onKeyDown(win::kVkRight);
    EXPECT_EQ(v.selStart(), 59);
    EXPECT_TRUE(e.run(ID_VIEW_SNAP_TO_BEATS));
    v.onKeyDown(win::kVkLeft);
    EXPECT_EQ(v.selStart(), 58);
}

TEST(ViewBeats, BeatsDialogWritesAndRemovesTheBpmFile) {
    Editor e;
    CMainView& v = openMidi(e);
    waitForBeats(v);
    const std::filesystem::path bpm = e.files.dir.path() / "M.BPM";
    e.viewDlgs.beats = BeatsChoice{beats::BpmSetting{100.0, 240}};
    ASSERT_TRUE(e.run(ID_TOOLS_BEATS));
    ASSERT_EQ(e.viewDlgs.beatsShown.size(), 1u);
    ASSERT_TRUE(e.viewDlgs.beatsShown[0].detected);
    EXPECT_EQ(e.viewDlgs.beatsShown[0].detected->bpm, 125.0);
    EXPECT_FALSE(e.viewDlgs.beatsShown[0].manual);
    EXPECT_EQ(e.files.dir.read("M.BPM"), std::vector<std::uint8_t>({'b', 'p', 'm', ' ', '1', '0', '0', '.', '0', '\n', 'o', 'f', 'f',
                                                                    's', 'e', 't', ' ', '2', '4', '0', '\n'}));
    EXPECT_EQ(v.beatGrid().source, beats::BeatSource::Manual);
    EXPECT_EQ(v.beatGrid().beatsMs[1], 840);
    EXPECT_EQ(v.tempoText(), "100 BPM");
    // Cancel changes nothing; Detect goes back to the file's beats and removes NAME.BPM.
    e.viewDlgs.beats = std::nullopt;
    ASSERT_TRUE(e.run(ID_TOOLS_BEATS));
    EXPECT_TRUE(e.viewDlgs.beatsShown.back().manual);
    EXPECT_TRUE(std::filesystem::exists(bpm));
    e.viewDlgs.beats = BeatsChoice{};
    ASSERT_TRUE(e.run(ID_TOOLS_BEATS));
    EXPECT_FALSE(std::filesystem::exists(bpm));
    EXPECT_EQ(v.beatGrid().source, beats::BeatSource::Midi);
}

TEST(ViewBeats, BpmFileIsReadAtOpenAndAMalformedOneIsIgnored) {
    Editor e;
    e.files.dir.write("M.BPM", std::string("bpm 150.0\noffset 100\n"));
    CMainView& v = openMidi(e);
    EXPECT_EQ(v.beatGrid().source, beats::BeatSource::Manual);
    EXPECT_EQ(v.beatGrid().beatsMs.front(), 100);
    EXPECT_EQ(v.tempoText(), "150 BPM");

    e.files.dir.write("N.BPM", std::string("bpm 150.0\noffset soon\n"));
    CMainView& n = openMidi(e, "N");
    waitForBeats(n);
    EXPECT_EQ(n.beatGrid().source, beats::BeatSource::Midi);
    EXPECT_THAT(e.frame().statusBar()->currentMessage().toStdString(), testing::HasSubstr("N.BPM"));
    EXPECT_TRUE(e.ui.messages.empty());
}

// A grid the sound's tracker found: its tempo and first two beats.
beats::BeatGrid detectedBeats(double bpm, int first, int second) {
    beats::BeatGrid g;
    g.source = beats::BeatSource::Audio;
    g.bpm = bpm;
    g.beatsMs = {first, second};
    return g;
}

TEST(ViewBeats, TheRealDialogSaysDetectingUntilTheBeatsAreFound) {
    Editor e;
    beats::BeatGrid detected = detectedBeats(123.4, 240, 726);
    bool ready = false;
    whenModal([&](QWidget* dialog) {
        auto* found = dialog->findChild<QLabel*>("found");
        auto* detect = dialog->findChild<QPushButton*>("detect");
        EXPECT_EQ(found->text(), QString::fromUtf8("Detecting…"));
        EXPECT_FALSE(detect->isEnabled());
        // Found while the dialog is open: it shows them and fills the fields.
        ready = true;
        EXPECT_TRUE(eventually([&] { return found->text() != QString::fromUtf8("Detecting…"); }));
        EXPECT_THAT(found->text().toStdString(), testing::HasSubstr("123.4 BPM, first beat at 240 ms"));
        EXPECT_TRUE(detect->isEnabled());
        EXPECT_EQ(dialog->findChild<QDoubleSpinBox*>("tempo")->value(), 123.4);
        static_cast<QDialog*>(dialog)->accept();
    });
    const auto choice = QtViewDialogs().askBeats(
        nullptr, {[&]() -> const beats::BeatGrid* { return ready ? &detected : nullptr; }, std::nullopt});
    ASSERT_TRUE(choice);
    EXPECT_FALSE(choice->manual);
}

TEST(ViewBeats, TheRealDialogSaysWhyTheDetectedTempoIsUnsure) {
    Editor e;
    beats::BeatGrid detected = detectedBeats(90.0, 5, 672);
    detected.confidence = 0.4;
    const struct {
        bool twice;
        const char* text;
    } cases[] = {
        {false, "Detected in the sound, unsure: 90.0 BPM"},
        // Found nearly as well at 180: the dialog points at Double.
        {true, "Detected in the sound, unsure, perhaps twice as fast: 90.0 BPM"},
    };
    for (const auto& c : cases) {
        detected.mayBeTwiceAsFast = c.twice;
        whenModal([&](QWidget* dialog) {
            EXPECT_THAT(dialog->findChild<QLabel*>("found")->text().toStdString(), testing::HasSubstr(c.text));
            static_cast<QDialog*>(dialog)->reject();
        });
        QtViewDialogs().askBeats(nullptr, {[&]() -> const beats::BeatGrid* { return &detected; }, std::nullopt});
    }
}

TEST(ViewBeats, UntilTheBeatsAreFoundThereAreNoneAndNothingWaits) {
    Editor e;
    GatedAnalyser gate;
    e.beatAnalyser = gate.analyser();
    CMainView& v = openMidi(e);
    gate.waitUntilStarted();
    ASSERT_TRUE(v.beatTrack().detecting());
    EXPECT_TRUE(v.beatGrid().empty());
    EXPECT_EQ(v.tempoText(), "");
    // Snapping has nothing to snap to: clicks and arrows work step by step, at once.
    ASSERT_TRUE(e.run(ID_VIEW_SNAP_TO_BEATS));
    v.onLButtonDown({pixelOfStep(v, 4), 0}, false);
    EXPECT_EQ(v.selStart(), 4);
    v.onKeyDown(win::kVkRight);
    EXPECT_EQ(v.selStart(), 5);
    // Dance to the Music asks to try again, without opening its dialog or changing anything.
    v.selectAll();
    const auto motionBefore = v.doc().motion().keyframeCount();
    e.viewDlgs.danceToMusic = dance::MusicDanceSettings{};
    e.ui.messages.clear();
    ASSERT_TRUE(e.run(ID_TOOLS_DANCE_TO_MUSIC));
    EXPECT_THAT(e.ui.messages, testing::ElementsAre(testing::HasSubstr("The beats are still being found")));
    EXPECT_TRUE(e.viewDlgs.danceShown.empty());
    EXPECT_EQ(v.doc().motion().keyframeCount(), motionBefore);
    EXPECT_FALSE(v.doc().motion().isModified());
    // The Beats dialog opens at once, saying the beats are being found.
    e.viewDlgs.beats = std::nullopt;
    ASSERT_TRUE(e.run(ID_TOOLS_BEATS));
    ASSERT_EQ(e.viewDlgs.beatsShown.size(), 1u);
    EXPECT_FALSE(e.viewDlgs.beatsShown[0].detected);

    // Found: the tempo field follows by itself, and snapping works.
    gate.open();
    EXPECT_TRUE(eventually([&] { return e.frame().tempoField()->text() == "125 BPM"; }));
    EXPECT_FALSE(v.beatTrack().detecting());
    v.onLButtonDown({pixelOfStep(v, 4), 0}, false);
    EXPECT_EQ(v.selStart(), 6);
    ASSERT_TRUE(e.run(ID_VIEW_SNAP_TO_BEATS));
}

TEST(ViewBeats, ClosingAWindowOrReplacingItsSoundCancelsTheAnalysis) {
    Editor e;
    GatedAnalyser gate;  // never opened: only a cancel ends these analyses
    e.beatAnalyser = gate.analyser();
    CMainView& v = openMidi(e);
    gate.waitUntilStarted(1);
    // Replace Audio: the analysis of the old sound stops, one of the new one starts.
    ASSERT_TRUE(replaceWithClicks(e, 4));
    gate.waitUntilStarted(2);
    EXPECT_EQ(gate.cancelled(), 1);
    EXPECT_TRUE(v.beatTrack().detecting());
    // Closing the window stops the one running; it does not wait for its end.
    e.dialogs.saveAnswers.push_back(ShellDialogs::SaveAnswer::No);
    ASSERT_TRUE(e.run(ID_FILE_CLOSE));
    flushDeletes();
    EXPECT_EQ(gate.cancelled(), 2);
}

TEST(ViewBeats, ANewSoundIsAnalysedAnew) {
    Editor e;
    CMainView& v = openMidi(e);
    waitForBeats(v);
    ASSERT_EQ(v.beatGrid().source, beats::BeatSource::Midi);
    ASSERT_TRUE(replaceWithClicks(e, 12));
    waitForBeats(v);
    const beats::BeatGrid& g = v.beatGrid();
    EXPECT_EQ(g.source, beats::BeatSource::Audio);
    EXPECT_NEAR(g.bpm, 100.0, 1.0);
    // The detected tempo may carry a tenth ("100.1 BPM").
    EXPECT_TRUE(v.tempoText().startsWith("100") && v.tempoText().endsWith(" BPM")) << v.tempoText().toStdString();
}

namespace {

// 120 BPM from 100 ms (beats 100, 600, 1100, ...), bars of four from the first.
beats::BeatGrid audioGrid(double confidence = 1.0) {
    beats::BeatGrid g;
    g.source = beats::BeatSource::Audio;
    g.bpm = 120.0;
    for (int i = 0; i < 24; ++i) g.beatsMs.push_back(100 + i * 500);
    g.beatsPerBar = 4;
    g.downbeatsKnown = true;
    for (int i = 0; i < 24; i += 4) g.downbeatsMs.push_back(g.beatsMs[static_cast<std::size_t>(i)]);
    g.confidence = confidence;
    return g;
}

void click(QWidget* dialog, const char* name) { dialog->findChild<QPushButton*>(name)->click(); }

}  // namespace

// The real dialog: what each way of setting the beats by hand gives back, and
// Detect going back to the detected beats.
TEST(ViewBeats, TheRealDialogsCorrections) {
    Editor e;
    const beats::BeatGrid detected = audioGrid();
    // The music played for tapping: its position is whatever the test says.
    int position = 0;
    bool playing = false;
    const BeatsMusic music{[&](int) { return playing = true; },
                           [&]() -> std::optional<int> {
                               if (!playing) return std::nullopt;
                               return position;
                           },
                           [&] { playing = false; }};
    struct Case {
        const char* what;
        std::function<void(QWidget*)> act;
        std::optional<beats::BpmSetting> manual;
        std::optional<beats::BpmSetting> given = std::nullopt;  // set by hand before the dialog opens
        beats::BeatGrid found = audioGrid();
    };
    const auto editTempo = [](QWidget* d) { d->findChild<QDoubleSpinBox*>("tempo")->setValue(97.5); };
    const std::vector<Case> cases = {
        {"editing a field", editTempo, beats::BpmSetting{97.5, 100, 4, 100}},
        {"editing a field, no bars found", editTempo, beats::BpmSetting{97.5, 240}, std::nullopt,
         detectedBeats(123.4, 240, 726)},
        {"Half", [](QWidget* d) { click(d, "half"); }, beats::BpmSetting{60.0, 100, 4, 100}},
        {"Double", [](QWidget* d) { click(d, "double"); }, beats::BpmSetting{240.0, 100, 4, 100}},
        {"Half and Double", [](QWidget* d) { click(d, "half"); click(d, "double"); },
         beats::BpmSetting{120.0, 100, 4, 100}},
        {"beats per bar", [](QWidget* d) { d->findChild<QSpinBox*>("perBar")->setValue(3); },
         beats::BpmSetting{120.0, 100, 3, 100}},
        // The cursor at 1000 ms: the nearest beat is 1100.
        {"Set Downbeat Here", [](QWidget* d) { click(d, "downbeat"); }, beats::BpmSetting{120.0, 100, 4, 1100}},
        {"Tap along with the music",
         [&](QWidget* d) {
             click(d, "play");
             EXPECT_TRUE(playing);
             for (int at : {1000, 1500, 2000, 2500}) {
                 position = at;
                 click(d, "tap");
             }
             EXPECT_EQ(d->findChild<QDoubleSpinBox*>("tempo")->value(), 120.0);
         },
         beats::BpmSetting{120.0, 0, 4, 100}},
        {"the T key taps",
         [&](QWidget* d) {
             click(d, "play");
             for (int at : {2000, 2400, 2800}) {
                 position = at;
                 QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : d, Qt::Key_T);
             }
             EXPECT_EQ(d->findChild<QDoubleSpinBox*>("tempo")->value(), 150.0);
         },
         beats::BpmSetting{150.0, 0, 4, 100}},
        {"a refused Half changes nothing",
         [](QWidget* d) {
             d->findChild<QDoubleSpinBox*>("tempo")->setValue(50.0);
             click(d, "half");
             EXPECT_EQ(d->findChild<QLabel*>("state")->text(), "Half that tempo is below 30 BPM.");
         },
         beats::BpmSetting{50.0, 100, 4, 100}},
        {"Detect after a correction", [](QWidget* d) { click(d, "double"); click(d, "detect"); }, std::nullopt},
        {"Detect from a setting by hand",
         [](QWidget* d) {
             EXPECT_EQ(d->findChild<QDoubleSpinBox*>("tempo")->value(), 150.0);
             click(d, "detect");
             EXPECT_EQ(d->findChild<QDoubleSpinBox*>("tempo")->value(), 120.0);
             EXPECT_EQ(d->findChild<QSpinBox*>("offset")->value(), 100);
         },
         std::nullopt, beats::BpmSetting{150.0, 10}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        playing = false;
        whenModal([&](QWidget* dialog) {
            c.act(dialog);
            static_cast<QDialog*>(dialog)->accept();
        });
        const auto choice = QtViewDialogs().askBeats(nullptr, {[&] { return &c.found; }, c.given, 1000, music});
        ASSERT_TRUE(choice);
        EXPECT_EQ(choice->manual, c.manual);
        EXPECT_FALSE(playing);  // the music stops with the dialog
    }
    // Cancel gives nothing back.
    whenModal([](QWidget* dialog) { static_cast<QDialog*>(dialog)->reject(); });
    EXPECT_FALSE(QtViewDialogs().askBeats(nullptr, {[&] { return &detected; }, std::nullopt}));
}

TEST(ViewBeats, TheDialogsCorrectionsReachTheFileTheLinesAndTheRuler) {
    Editor e;
    CMainView& v = openMidi(e);
    waitForBeats(v);
    e.viewDlgs.beatsPresses = {{.kind = BeatsPress::Kind::PerBar, .value = 3},
                               {.kind = BeatsPress::Kind::Downbeat, .value = 1000}};
    ASSERT_TRUE(e.run(ID_TOOLS_BEATS));
    const std::vector<std::uint8_t> file = e.files.dir.read("M.BPM");
    EXPECT_EQ(std::string(file.begin(), file.end()), "bpm 125.0\noffset 0\nbar 3 960\n");
    const beats::BeatGrid& g = v.beatGrid();
    EXPECT_EQ(g.source, beats::BeatSource::Manual);
    EXPECT_EQ(g.downbeatsMs, (std::vector<int>{960, 2400, 3840, 5280, 6720}));
    // The ruler's bar row counts those bars.
    const RulerInfo ruler = v.rulerInfo(400);
    ASSERT_TRUE(ruler.barStartsMs);
    EXPECT_EQ(*ruler.barStartsMs, g.downbeatsMs);
    // Read again at the next open.
    CMainView& again = openMidi(e, "M");
    EXPECT_EQ(again.beatGrid().downbeatsMs, g.downbeatsMs);
}

TEST(ViewBeats, BarStartsOfAudioAreDrawnDarker) {
    const beats::BeatGrid g = audioGrid();
    QImage image(1300, 4, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter p(&image);
    drawBeatLines(p, g, 100, 0, image.rect(), 4);  // 100 pixels a second: a beat every 50 pixels from x 10
    p.end();
    const QColor bar = image.pixelColor(10, 0), beat = image.pixelColor(60, 0);
    EXPECT_NE(bar, QColor(Qt::white));
    EXPECT_NE(beat, QColor(Qt::white));
    EXPECT_LT(bar.lightness(), beat.lightness());
    EXPECT_EQ(image.pixelColor(210, 0), bar);  // the next bar, four beats on
}

TEST(ViewBeats, TheTempoFieldSaysWhenTheTrackerIsUnsureOrFoundNoBeat) {
    struct Case {
        const char* what;
        beats::BeatGrid grid;
        const char* text;
    };
    beats::BeatGrid none;
    none.source = beats::BeatSource::Audio;
    none.confidence = 0;
    beats::BeatGrid unsure = audioGrid(0.3);
    unsure.bpm = 96.0;
    const Case cases[] = {
        {"sure", audioGrid(0.9), "120 BPM"},
        {"unsure", unsure, "≈ 96 BPM?"},
        {"no steady beat", none, "No steady beat"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Editor e;
        e.beatAnalyser = [grid = c.grid](beats::Bytes, const beats::CancelFlag&) { return grid; };
        CMainView& v = openMidi(e);
        waitForBeats(v);
        EXPECT_EQ(v.tempoText().toStdString(), c.text);
    }
}

TEST(ViewBeats, TheDialogPlaysTheSoundOnPlaysDeviceForTapping) {
    Editor e;
    VirtualHost host;
    RecordingAudio audio{host};
    RecordingViewer viewer;
    const PlaybackServices services{&audio, &host, &viewer};
    setPlaybackServices(&services);
    const std::unique_ptr<void, void (*)(void*)> restore(&audio, [](void*) { setPlaybackServices(nullptr); });
    CMainView& v = openMidi(e);
    waitForBeats(v);
    const std::string device = "\"" + std::filesystem::absolute(e.files.dir / "M.MID").string() + "\"";
    audio.lengths[std::filesystem::absolute(e.files.dir / "M.MID").string()] = 8000;
    // Plays from 1000 ms, half a second passes, then stops, as Play and Stop would.
    struct Player : ScriptedViewDialogs {
        VirtualHost* host = nullptr;
        bool played = false;
        std::vector<std::optional<int>> positions;
        std::optional<BeatsChoice> askBeats(QWidget* parent, const BeatsDialogInput& input) override {
            played = input.music.play(1000);
            host->now += 500;
            positions.push_back(input.music.positionMs());
            input.music.stop();
            positions.push_back(input.music.positionMs());
            return ScriptedViewDialogs::askBeats(parent, input);
        }
    } player;
    player.host = &host;
    const ScopedViewDialogs installed(&player);
    ASSERT_TRUE(e.run(ID_TOOLS_BEATS));
    EXPECT_TRUE(player.played);
    EXPECT_EQ(player.positions, (std::vector<std::optional<int>>{1500, std::nullopt}));
    EXPECT_EQ(audio.plain(), (std::vector<std::string>{"open " + device, "set " + device + " time format milliseconds",
                                                       "play " + device + " from 1000", "close " + device}));
    // A dialog that plays nothing leaves the device untouched.
    const ScopedViewDialogs quiet(&e.viewDlgs);
    audio.commands.clear();
    ASSERT_TRUE(e.run(ID_TOOLS_BEATS));
    EXPECT_TRUE(audio.commands.empty());
}
