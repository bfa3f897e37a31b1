#include <gtest/gtest.h>

#include <QImage>
#include <sstream>

#include "app/document.h"
#include "editor_session.h"
#include "view/main_view.h"
#include "model/led_file.h"
#include "support/motion_image.h"
#include "support/temp_dir.h"
#include "support/wave_image.h"

using namespace rova;
using rova::test::MotionImage;
using rova::test::TempDir;

namespace {

std::vector<std::uint8_t> ledImage(std::vector<std::uint8_t> steps) {
    CLedTrack t;
    t.steps = std::move(steps);
    std::ostringstream out;
    EXPECT_TRUE(writeLed(out, t));
    const std::string s = out.str();
    return {s.begin(), s.end()};
}

std::string report(tool::EditorSession& s, bool opened) {
    std::ostringstream out;
    s.report(out, opened);
    return out.str();
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
    EXPECT_EQ(report(s, true),
              "{\"opened\": true, \"messages\": [\"Warning: motion file has non-standard alignment\\nMotion has been "
              "aligned to 5 motion ticks\"], \"flags\": 69, \"audio\": {\"type\": \"wave\", \"samples\": 8000}, "
              "\"leds\": {\"steps\": 4, \"modified\": false, \"data\": \"1230\"}, \"motion\": {\"kind\": 5, "
              "\"first\": 16, \"channels\": 2, \"keyframes\": 2, \"totalTicks\": 5, \"modified\": false, "
              "\"frames\": [[0, 1000, 2000], [5, 2000, 4000]]}, \"modified\": false, \"selection\": {\"start\": -1, "
              "\"length\": 0, \"firstRow\": -1, \"rowCount\": 0}, \"zoom\": 40, \"lastStep\": 1}\n");
}

TEST(ToolReport, FailedOpenHasNullTracks) {
    TempDir dir;
    dir.write("P.WAV", std::string("RIFFxxxx"));
    tool::EditorSession s;
    ASSERT_FALSE(s.open(dir / "P.WAV"));
    EXPECT_EQ(report(s, false),
              "{\"opened\": false, \"messages\": [\"WAVE file is not in valid format\"], \"flags\": 0, "
              "\"audio\": null, \"leds\": null, \"motion\": null, \"modified\": false}\n");
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
    // Save As writes only modified tracks: nothing yet.
    ASSERT_TRUE(s.command({"save-as", dir / "C.MTN"}, error));
    EXPECT_FALSE(dir.exists("C.MTN"));
    s.activeDocument()->doc().motion().setValue(1, 0, 5);
    ASSERT_TRUE(s.command({"save-as", dir / "C.MTN"}, error));
    EXPECT_TRUE(dir.exists("C.MTN"));
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
    dir.write("P.WAV", rova::test::waveImage(8000));
    dir.write("P.MTN", MotionImage::of(0, 18, 14).bytes());
    tool::EditorSession s;
    ASSERT_TRUE(s.open(dir / "P.MTN"));
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
}
