// Generate Eyes and Generate Mouth as commands of the view: their
// preconditions in order, the dialogs' remembered thresholds, the tracks they
// rewrite, and Generate Tail, which nothing handles.
#include <QPushButton>
#include <QSlider>

#include "support/led_image.h"
#include "view/view_support.h"

using namespace rova;
using namespace rova::test;
using testing::ElementsAre;
using testing::IsEmpty;

namespace {

std::vector<std::uint8_t> waveOf(const std::vector<std::uint8_t>& samples) {
    auto b = waveImage(samples.size());
    std::copy(samples.begin(), samples.end(), b.end() - static_cast<std::ptrdiff_t>(samples.size()));
    return b;
}

const std::vector<std::uint8_t> kMidi = {'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 0, 0, 1, 0, 0x60};

// Opens the set NAME.* written from the given files (empty ones are left out).
CMainView& openSet(Editor& e, const std::string& name, const std::vector<std::uint8_t>& audio, bool midi,
                   const std::vector<std::uint8_t>& led, const std::vector<std::uint8_t>& motion) {
    if (!audio.empty()) e.files.dir.write(name + (midi ? ".MID" : ".WAV"), audio);
    if (!led.empty()) e.files.dir.write(name + ".LED", led);
    if (!motion.empty()) e.files.dir.write(name + ".MTN", motion);
    const std::string path = e.files.dir / (name + (motion.empty() ? (midi ? ".MID" : ".WAV") : ".MTN"));
    EXPECT_NE(e.app.openDocumentFile(QString::fromStdString(path)), nullptr);
    return *e.views.back();
}

}  // namespace

TEST(GenerateEyesCommand, RewritesTheWholeEyeTrackWithTheThresholdsSet) {
    Editor e;
    std::vector<std::uint8_t> samples(2000, 128);
    std::fill(samples.begin(), samples.begin() + 134, 168);        // step 0: loud at 30, not at 50
    std::fill(samples.begin() + 666, samples.begin() + 1332, 200);  // step 1: loud at both
    // The file of 5 steps reads back as 6 (the writer closes it with an event at step 5).
    CMainView& v = openSet(e, "P", waveOf(samples), false, ledImage({0, 0, 3, 3, 3}), {});
    const CLedTrack& leds = v.document().doc().leds();
    runOn(v, ID_EDIT_GENERATE_EYES);  // cancelled: nothing changes
    EXPECT_THAT(leds.steps, ElementsAre(0, 0, 3, 3, 3, 0));
    EXPECT_FALSE(leds.isModified());
    e.viewDlgs.eyes = EyeThresholds{30, 50};
    runOn(v, ID_EDIT_GENERATE_EYES);  // the selection plays no part
    EXPECT_THAT(leds.steps, ElementsAre(1, 3, 0, 0, 0, 0));
    EXPECT_TRUE(leds.isModified());
    EXPECT_TRUE(v.document().isModified());
    EXPECT_THAT(e.ui.messages, IsEmpty());
}

TEST(GenerateEyesCommand, ThresholdsAreRememberedForTheRunWhenGenerated) {
    Editor e;
    CMainView& v = openSet(e, "P", waveImage(8000), false, ledImage({0, 0}), {});
    runOn(v, ID_EDIT_GENERATE_EYES);
    e.viewDlgs.eyes = EyeThresholds{10, 50};
    runOn(v, ID_EDIT_GENERATE_EYES);
    e.viewDlgs.eyes.reset();
    runOn(v, ID_EDIT_GENERATE_EYES);
    // Another document's dialog opens with them too.
    CMainView& other = openSet(e, "Q", waveImage(8000), false, ledImage({0}), {});
    runOn(other, ID_EDIT_GENERATE_EYES);
    EXPECT_THAT(e.viewDlgs.eyesShown,
                ElementsAre(std::pair(30, 30), std::pair(30, 30), std::pair(10, 50), std::pair(10, 50)));
}

// Eyes need both WAVE audio and eye LEDs; Mouth's preconditions come in their order.
TEST(GeneratorCommands, RefusalsInOrder) {
    Editor e;
    runOn(openSet(e, "W", waveImage(8000), false, {}, MotionImage::of(0, 18, 4).bytes()), ID_EDIT_GENERATE_EYES);
    runOn(openSet(e, "E", kMidi, true, ledImage({0, 0}), MotionImage::of(0, 18, 4).bytes()), ID_EDIT_GENERATE_EYES);
    CMainView& midi = openSet(e, "M", kMidi, true, {}, MotionImage::of(0, 4, 8).bytes());
    runOn(midi, ID_EDIT_GENERATE_MOUTH);
    midi.selectRows(0, static_cast<int>(midi.panes().size()), false);
    midi.setTimeSelection(0, 4);
    runOn(midi, ID_EDIT_GENERATE_MOUTH);
    CMainView& legs = openSet(e, "L", waveImage(8000), false, {}, MotionImage::of(4, 12, 8).bytes());
    runOn(legs, ID_EDIT_SELECT_ALL);
    runOn(legs, ID_EDIT_GENERATE_MOUTH);
    EXPECT_THAT(e.ui.messages, ElementsAre("Need both WAVE and LED/Eye tracks", "Need both WAVE and LED/Eye tracks",
                                           "Please select range", "Need WAVE audio to generate mouth",
                                           "No mouth track available"));
    EXPECT_THAT(e.viewDlgs.eyesShown, IsEmpty());
    EXPECT_THAT(e.viewDlgs.mouthShown, IsEmpty());
}

TEST(GenerateMouthCommand, OpensTheMouthOverTheSelectionAndRemembersTheThreshold) {
    Editor e;
    std::vector<std::uint8_t> samples(10000, 255);
    CMainView& v = openSet(e, "P", waveOf(samples), false, {}, MotionImage::of(0, 18, 14).bytes());
    const CMotionTrack& m = v.document().doc().motion();
    v.selectRows(0, 1, false);
    v.setTimeSelection(0, 8);  // keyframes 0 .. 7 (7 ends at tick 35, before 40)
    runOn(v, ID_EDIT_GENERATE_MOUTH);       // cancelled
    EXPECT_FALSE(m.isModified());
    e.viewDlgs.mouth = 12;
    runOn(v, ID_EDIT_GENERATE_MOUTH);
    std::vector<std::int32_t> mouth;
    for (int k = 0; k < m.keyframeCount(); ++k) mouth.push_back(m.value(k, Mouth));
    EXPECT_THAT(mouth, ElementsAre(4000, -137500, -275000, -412500, -550000, -550000, -550000, -550000, 36000,
                                   40000, 44000, 48000, 52000, 56000));
    EXPECT_TRUE(m.isModified());
    e.viewDlgs.mouth.reset();
    runOn(v, ID_EDIT_GENERATE_MOUTH);
    EXPECT_THAT(e.viewDlgs.mouthShown, ElementsAre(30, 30, 12));
    EXPECT_THAT(e.ui.messages, IsEmpty());
}

TEST(GeneratorCommands, EyesAndMouthAlwaysEnabledTailNeverHandled) {
    Editor e;
    e.open("P", 4);
    CMainFrame& frame = *e.app.mainFrame();
    EXPECT_TRUE(frame.commandState(ID_EDIT_GENERATE_EYES).enabled);
    EXPECT_TRUE(frame.commandState(ID_EDIT_GENERATE_MOUTH).enabled);
    EXPECT_FALSE(frame.commandState(ID_EDIT_GENERATE_TAIL).enabled);
    EXPECT_FALSE(frame.executeCommand(ID_EDIT_GENERATE_TAIL));
    ASSERT_TRUE(frame.executeCommand(ID_EDIT_GENERATE_MOUTH));  // routed to the view
    EXPECT_THAT(e.ui.messages, ElementsAre("Please select range"));
}

TEST(GeneratorCommands, TheRealDialogsShowTheRememberedThresholds) {
    Editor e;
    std::vector<std::uint8_t> samples(10000, 129);
    CMainView& v = openSet(e, "P", waveOf(samples), false, ledImage({3, 3}), MotionImage::of(0, 18, 8).bytes());
    const ScopedViewDialogs real(nullptr);  // the program's own dialogs
    whenModal([](QWidget* w) {
        auto* d = dynamic_cast<CGenerateEyesDlg*>(w);
        ASSERT_NE(d, nullptr);
        EXPECT_EQ(d->greenSlider()->value(), 33);  // threshold 30
        EXPECT_EQ(d->redSlider()->value(), 33);
        d->greenSlider()->setValue(63);  // "On": threshold 0
        d->redSlider()->setValue(0);     // "Off": threshold 63
        for (QPushButton* b : d->findChildren<QPushButton*>())
            if (b->text() == "Generate") b->click();
    });
    runOn(v, ID_EDIT_GENERATE_EYES);
    EXPECT_EQ(v.document().doc().leds().steps[0], 1);  // 1 away from silence: green only
    EXPECT_EQ(e.app.dialogMemory().greenThreshold, 0);
    EXPECT_EQ(e.app.dialogMemory().redThreshold, 63);
    whenModal([](QWidget* w) {
        auto* d = dynamic_cast<CGenerateEyesDlg*>(w);
        ASSERT_NE(d, nullptr);
        EXPECT_EQ(d->greenSlider()->value(), 63);
        EXPECT_EQ(d->redSlider()->value(), 0);
        d->greenSlider()->setValue(10);
        d->reject();
    });
    runOn(v, ID_EDIT_GENERATE_EYES);
    EXPECT_EQ(e.app.dialogMemory().greenThreshold, 0);

    runOn(v, ID_EDIT_SELECT_ALL);
    whenModal([](QWidget* w) {
        auto* d = dynamic_cast<CGenerateMouthDlg*>(w);
        ASSERT_NE(d, nullptr);
        EXPECT_EQ(d->slider()->value(), 33);
        d->slider()->setValue(63);
        d->accept();
    });
    runOn(v, ID_EDIT_GENERATE_MOUTH);
    EXPECT_EQ(e.app.dialogMemory().mouthThreshold, 0);
    EXPECT_EQ(v.document().doc().motion().value(2, Mouth), -275000);  // loud at threshold 0
}
