#include <gtest/gtest.h>

#include <QImage>
#include <regex>
#include <sstream>

#include "shell/document.h"
#include "editor_session.h"
#include "view/main_view.h"
#include "model/led_file.h"
#include "support/led_image.h"
#include "support/motion_image.h"
#include "support/temp_dir.h"
#include "support/wave_image.h"
#include "shell/check_document.h"
#include "check_report.h"

using namespace rova;
using rova::test::ledImage;
using rova::test::MotionImage;
using rova::test::TempDir;

namespace {

std::string report(tool::EditorSession& s, bool opened) {
    std::ostringstream out;
    s.report(out, opened);
    return out.str();
}

// A WAVE sound and a full-body motion of 14 keyframes; the path of its NAME.MTN.
std::string fullBodySet(TempDir& dir) {
    dir.write("P.WAV", rova::test::waveImage(8000));
    dir.write("P.MTN", MotionImage::of(0, 18, 14).bytes());
    return dir / "P.MTN";
}

}  // namespace

TEST(ToolReport, FullSetIsReportedExactly) {
    TempDir dir;
    dir.write("P.WAV", rova::test::waveImage(8000));
    dir.write("P.LED", ledImage({1, 2, 3}));
    auto m = MotionImage::of(16, 2, 2);
    m.keyframes[1][0] = 7;  // aligned on open, with a warning
    dir.write("P.MTN", m.bytes());
    tool::EditorSession s;
    ASSERT_TRUE(s.open(dir / "P.MTN"));
    // The tempo field says what the beat analysis made of the sound; its texts are the analysis's own.
    const std::regex tempo("\"bpm\": \"[^\"]*\"");
    EXPECT_EQ(std::regex_replace(report(s, true), tempo, "\"bpm\": \"?\""),
              "{\"opened\": true, \"messages\": [\"Warning: motion file has non-standard alignment\\nMotion has been "
              "aligned to 5 motion ticks\"], \"flags\": 69, \"audio\": {\"type\": \"wave\", \"samples\": 8000}, "
              "\"leds\": {\"steps\": 4, \"modified\": false, \"data\": \"1230\"}, \"motion\": {\"kind\": 5, "
              "\"first\": 16, \"channels\": 2, \"keyframes\": 2, \"totalTicks\": 5, \"modified\": false, "
              "\"frames\": [[0, 1000, 2000], [5, 2000, 4000]]}, \"modified\": false, "
              "\"undo\": {\"undo\": null, \"redo\": null}, \"selection\": {\"start\": -1, "
              "\"length\": 0, \"firstRow\": -1, \"rowCount\": 0}, \"zoom\": 40, \"lastStep\": 1, "
              "\"title\": \"Rova Edit - Performance Editor - P.MTN\", \"scrollX\": 0, "
              "\"status\": {\"time\": \"\", \"beat\": \"\", \"selection\": \"\", \"angle\": \"\", "
              "\"cursor\": \"\", \"budget\": \"Motion 2/1916\", \"bpm\": \"?\"}}\n");
}

TEST(ToolReport, FailedOpenHasNullTracks) {
    TempDir dir;
    dir.write("P.WAV", std::string("RIFFxxxx"));
    tool::EditorSession s;
    ASSERT_FALSE(s.open(dir / "P.WAV"));
    EXPECT_EQ(report(s, false),
              "{\"opened\": false, \"messages\": [\"WAVE file is not in valid format\"], \"flags\": 0, "
              "\"audio\": null, \"leds\": null, \"motion\": null, \"modified\": false, "
              "\"undo\": {\"undo\": null, \"redo\": null}}\n");
}

TEST(ToolCommands, OpenSwitchesDocumentsAndSaveAsMovesThePath) {
    TempDir dir;
    dir.write("A.MID", std::string("MThd\0\0\0\6\0\0\0\1\0\x60", 14));
    dir.write("B.MTN", MotionImage::of(0, 4, 3).bytes());
    tool::EditorSession s;
    std::string error;
    ASSERT_TRUE(s.open(dir / "A.MID"));
    ASSERT_TRUE(s.command({"open", dir / "B.MTN"}, error));
    ASSERT_EQ(s.activeDocument()->doc().motion().kind(), MOTION_HEAD);
    // Save As writes the whole performance under the new name, modified or not.
    ASSERT_TRUE(s.command({"save-as", dir / "C.MTN"}, error));
    EXPECT_TRUE(dir.exists("C.MTN"));
    EXPECT_EQ(s.activeDocument()->doc().pathName(), dir / "C.MTN");
    // Onto another performance's files only when the question is answered yes (no here).
    s.activeDocument()->doc().motion().setValue(1, 0, 5);
    const auto before = dir.read("B.MTN");
    ASSERT_TRUE(s.command({"save-as", dir / "B.MTN"}, error));
    EXPECT_EQ(dir.read("B.MTN"), before);
    EXPECT_EQ(s.ui.messages.back(), "B already exists. Replace its files?");
    EXPECT_EQ(s.activeDocument()->doc().pathName(), dir / "C.MTN");
    // A failed open keeps the active document.
    ASSERT_TRUE(s.command({"open", dir / "missing.MTN"}, error));
    EXPECT_EQ(s.activeDocument()->doc().pathName(), dir / "C.MTN");
    EXPECT_FALSE(s.command({"frobnicate"}, error));
    EXPECT_EQ(error, "unknown command 'frobnicate'");
    EXPECT_FALSE(s.command({"save-as"}, error));
}

TEST(ToolCommands, ViewCommandsRunTheEditorsOwnCode) {
    TempDir dir;
    tool::EditorSession s;
    ASSERT_TRUE(s.open(fullBodySet(dir)));
    std::string error;
    auto run = [&](std::vector<std::string> words) {
        EXPECT_TRUE(s.command(words, error)) << error;
    };
    run({"select", "2", "3"});
    EXPECT_EQ(s.activeView()->selStart(), 2);
    EXPECT_EQ(s.activeView()->rowCount(), static_cast<int>(s.activeView()->panes().size()));
    run({"rows", "2", "1"});  // the HeadY row after audio and its separator
    run({"key", "9"});
    const CMotionTrack& m = s.activeDocument()->doc().motion();
    EXPECT_EQ(m.value(3, HeadY), valueFromDegrees(-80));
    EXPECT_EQ(m.value(3, HeadX), 8000);  // another row: untouched
    run({"zoom", "200"});
    EXPECT_EQ(s.ui.messages.back(), "Please enter an integer between 1 and 100.");
    EXPECT_EQ(s.activeView()->zoom(), 40);
    run({"zoom", "20"});
    run({"zoom-out"});
    EXPECT_EQ(s.activeView()->zoom(), 40);
    run({"lbutton", "74", "0"});
    run({"move", "90", "0", "left"});
    run({"lup", "90", "0"});
    EXPECT_EQ(s.activeView()->selLength(), 9);
    run({"rbutton", "0", "0"});
    run({"key", "U"});  // Reduce is disabled without a time range: nothing at all
    EXPECT_EQ(s.ui.messages.size(), 1u);
    run({"select-all"});
    run({"key", "E"});
    EXPECT_EQ(s.ui.messages.back(), "Nothing to expand");
    run({"macro", "Set", "legs:", "stand"});
    EXPECT_EQ(m.value(5, RFLegY), valueFromDegrees(-10));

    const std::string png = dir / "view.png";
    ASSERT_TRUE(s.renderView(QString::fromStdString(png), 320, 200));
    QImage image(QString::fromStdString(png));
    EXPECT_EQ(image.size(), QSize(320, 200));

    EXPECT_FALSE(s.command({"key", "F5"}, error));
    EXPECT_FALSE(s.command({"select", "x", "1"}, error));
    EXPECT_FALSE(s.command({"lbutton", "1"}, error));
    EXPECT_FALSE(s.command({"undo", "now"}, error));
    EXPECT_FALSE(s.command({"paste", "ears"}, error));
    EXPECT_FALSE(s.command({"generate-mouth", "64"}, error));
    EXPECT_FALSE(s.command({"frobnicate"}, error));
    EXPECT_EQ(error, "unknown command 'frobnicate'");
}

TEST(ToolCommands, UndoAndRedoWithTheirNamesInTheReport) {
    TempDir dir;
    tool::EditorSession s;
    ASSERT_TRUE(s.open(fullBodySet(dir)));
    std::string error;
    auto run = [&](std::vector<std::string> words) { EXPECT_TRUE(s.command(words, error)) << error; };
    auto undoPart = [&] {
        const std::string r = report(s, true);
        const auto at = r.find("\"undo\": {");
        return r.substr(at, r.find('}', at) - at + 1);
    };
    run({"undo"});  // nothing to undo: nothing happens
    EXPECT_EQ(undoPart(), "\"undo\": {\"undo\": null, \"redo\": null}");
    const std::int32_t before = s.activeDocument()->doc().motion().value(3, HeadY);
    run({"select", "2", "3"});
    run({"key", "9"});
    run({"generate-mouth", "0"});
    EXPECT_EQ(undoPart(), "\"undo\": {\"undo\": \"Generate Mouth\", \"redo\": null}");
    run({"undo"});
    run({"undo"});
    EXPECT_EQ(undoPart(), "\"undo\": {\"undo\": null, \"redo\": \"Set Value\"}");
    EXPECT_EQ(s.activeDocument()->doc().motion().value(3, HeadY), before);
    EXPECT_FALSE(s.activeDocument()->doc().motion().isModified());
    run({"redo"});
    EXPECT_EQ(undoPart(), "\"undo\": {\"undo\": \"Set Value\", \"redo\": \"Generate Mouth\"}");
}

TEST(ToolCommands, CopyInOneDocumentPasteInAnother) {
    TempDir dir;
    dir.write("A.WAV", rova::test::waveImage(8000));
    dir.write("A.MTN", MotionImage::of(0, 18, 14).bytes());
    auto b = MotionImage::of(0, 18, 14);
    for (auto& kf : b.keyframes) std::fill(kf.begin() + 1, kf.end(), 7);
    dir.write("B.WAV", rova::test::waveImage(8000));
    dir.write("B.MTN", b.bytes());
    tool::EditorSession s;
    ASSERT_TRUE(s.open(dir / "A.MTN"));
    std::string error;
    auto run = [&](std::vector<std::string> words) { EXPECT_TRUE(s.command(words, error)) << error; };
    run({"paste"});  // nothing on the clipboard: Paste Special is disabled
    run({"select", "2", "3"});
    run({"copy"});
    run({"open", dir / "B.MTN"});
    run({"select", "5", "1"});
    run({"paste-cancel"});
    const CMotionTrack& m = s.activeDocument()->doc().motion();
    EXPECT_EQ(s.activeView()->selLength(), 3);  // the clipboard's length, though cancelled
    EXPECT_FALSE(m.isModified());
    run({"paste", "rf", "swap-lr"});  // right front values onto the left front leg
    for (int i = 0; i < 3; ++i) {
        for (int c = 0; c < 18; ++c) {
            const bool lf = c >= LFLegY && c <= LFPawY;
            EXPECT_EQ(m.value(5 + i, c), lf ? (3 + i) * 1000 * (c - 3 + 1) : 7) << i << " " << c;
        }
    }
    EXPECT_TRUE(s.ui.messages.empty());
    run({"select", "12", "1"});
    run({"paste", "head", "mouth", "rf", "lf", "rr", "lr", "tail", "swap-lr", "swap-fb"});
    // Steps 12 and 13 have keyframes, 14 lies past the end; the last keyframe counts but stays.
    EXPECT_EQ(s.ui.messages.back(), "Pasted 36 out of 54 possible motions");
    EXPECT_EQ(m.value(12, LRLegY), 3 * 1000 * (RFLegY + 1));  // source step 2, right front
    EXPECT_EQ(m.value(13, LRLegY), 7);
    EXPECT_FALSE(s.command({"paste", "legs"}, error));
    EXPECT_EQ(error, "usage: paste [head] [mouth] [rf] [lf] [rr] [lr] [tail] [swap-lr] [swap-fb]");
    EXPECT_FALSE(s.command({"copy", "now"}, error));
    EXPECT_FALSE(s.command({"paste-cancel", "head"}, error));
}

TEST(ToolCommands, GeneratorsWithTheirThresholds) {
    TempDir dir;
    auto wave = rova::test::waveImage(10000);
    std::fill(wave.end() - 10000, wave.end(), 255);
    dir.write("P.WAV", wave);
    dir.write("P.LED", ledImage({0, 0, 0}));
    dir.write("P.MTN", MotionImage::of(0, 4, 8).bytes());
    tool::EditorSession s;
    ASSERT_TRUE(s.open(dir / "P.MTN"));
    std::string error;
    auto run = [&](std::vector<std::string> words) { EXPECT_TRUE(s.command(words, error)) << error; };
    run({"generate-mouth", "30"});
    EXPECT_EQ(s.ui.messages.back(), "Please select range");
    run({"generate-eyes", "30", "63"});  // every sample at +127: both eyes on
    EXPECT_EQ(s.activeDocument()->doc().leds().steps, (std::vector<std::uint8_t>{3, 3, 3}));
    run({"select", "0", "4"});
    run({"generate-mouth", "0"});
    const CMotionTrack& m = s.activeDocument()->doc().motion();
    EXPECT_EQ(m.value(1, Mouth), -137500);
    EXPECT_EQ(m.value(3, Mouth), -412500);
    EXPECT_EQ(m.value(4, Mouth), 20000);  // ends at tick 20, the range's end
    for (const std::vector<std::string>& bad : std::vector<std::vector<std::string>>{
             {"generate-eyes", "30"}, {"generate-eyes", "64", "0"}, {"generate-eyes", "-1", "0"},
             {"generate-mouth"}, {"generate-mouth", "x"}, {"generate-mouth", "70"}})
        EXPECT_FALSE(s.command(bad, error)) << bad[0];
    EXPECT_EQ(error, "usage: generate-mouth T (0..63)");
}

// `rova-tool check`'s report, and `clamp` as a command of `run`.
TEST(ToolCheck, ReportAndClamp) {
    TempDir dir;
    dir.write("P.WAV", rova::test::waveImage(8000));
    dir.write("P.LED", ledImage({0, 1, 0, 2, 2}));
    auto image = MotionImage::of(16, 2, 3);  // tail
    image.keyframes[1][1] = valueFromDegrees(-50);  // TailY below -5.5: out of range, and far too fast
    image.keyframes[1][2] = 0;
    dir.write("P.MTN", image.bytes());
    tool::EditorSession s;
    ASSERT_TRUE(s.open(dir / "P.MTN"));
    auto checkReport = [&] {
        std::ostringstream out;
        const auto& doc = s.activeDocument()->doc();
        tool::writeCheckReport(out, check::checkPerformance(doc), check::motionBudget(doc));
        return out.str();
    };
    // Sorted by time: TailY's keyframe 1 at 80 ms comes before the flash at 83 ms; at one
    // time the problems of no joint come first.
    EXPECT_EQ(checkReport(),
              "{\"problems\": [{\"kind\": \"range\", \"channel\": 16, \"keyframe\": 1, \"step\": 1, \"eye\": null, "
              "\"detail\": \"-50.00\xC2\xB0 is beyond the lower limit -5\xC2\xB0\"}, {\"kind\": \"alarm\", \"channel\": 16, "
              "\"keyframe\": 1, \"step\": 1, \"eye\": null, \"detail\": \"625.7\xC2\xB0/s, 1.84 x the top speed "
              "340\xC2\xB0/s (50.1\xC2\xB0 in 0.08 s)\"}, {\"kind\": \"short-flash\", \"channel\": null, \"keyframe\": null, "
              "\"step\": 1, \"eye\": \"green\", \"detail\": \"green eye on for 1 LED step (83 ms); 2 or more show on the "
              "robot\"}, {\"kind\": \"short-motion\", \"channel\": null, \"keyframe\": null, \"step\": 2, \"eye\": null, "
              "\"detail\": \"the motion ends at 0.16 s, 0.85 s before the sound (1.01 s)\"}, {\"kind\": \"alarm\", "
              "\"channel\": 16, \"keyframe\": 2, \"step\": 2, \"eye\": null, \"detail\": \"627.1\xC2\xB0/s, 1.84 x the top "
              "speed 340\xC2\xB0/s (50.2\xC2\xB0 in 0.08 s)\"}], \"budget\": {\"keyframes\": 3, \"limit\": 1916}}\n");
    std::string error;
    ASSERT_TRUE(s.command({"select", "0", "2"}, error)) << error;
    ASSERT_TRUE(s.command({"clamp"}, error)) << error;
    EXPECT_EQ(s.activeDocument()->doc().motion().value(1, 0), valueFromDegrees(-5));
    EXPECT_FALSE(s.command({"clamp", "now"}, error));
}
