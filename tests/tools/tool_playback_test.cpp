// `run ... -c play`: the commands sent to the audio device and the poses, in
// the report; the player window closed.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

#include "editor_session.h"
#include "support/motion_image.h"
#include "support/temp_dir.h"
#include "support/wave_image.h"

using namespace rova;
using rova::test::MotionImage;
using rova::test::TempDir;
using testing::HasSubstr;
using testing::Not;

namespace {

std::string report(tool::EditorSession& s) {
    std::ostringstream out;
    s.report(out, true);
    return out.str();
}

bool run(tool::EditorSession& s, std::vector<std::string> words) {
    std::string error;
    return s.command(words, error);
}

TEST(ToolPlayback, ReportsCommandsAndPoses) {
    TempDir dir;
    dir.write("P.WAV", rova::test::waveImage(1600));  // 200 ms
    dir.write("P.MTN", MotionImage::of(16, 2, 8).bytes());
    dir.write("Q.MTN", MotionImage::of(16, 2, 3).bytes());
    tool::EditorSession s;
    ASSERT_TRUE(s.open(dir / "P.MTN"));
    EXPECT_THAT(report(s), Not(HasSubstr("playback")));
    ASSERT_TRUE(run(s, {"select", "1", "4"}));
    ASSERT_TRUE(run(s, {"play"}));
    const std::string wav = "\\\"" + std::filesystem::absolute(dir / "P.WAV").string() + "\\\"";
    // The range ends beyond the sound, which then plays to its end: steps 1 and 2.
    EXPECT_THAT(report(s), HasSubstr("\"playback\": {\"commands\": [\"open " + wav + "\", \"set " + wav +
                                     " time format milliseconds\", \"play " + wav + " from 80 to 400\", \"play " +
                                     wav + " from 80\", \"status " + wav + " mode\""));
    EXPECT_THAT(report(s), HasSubstr("\"close " + wav + "\"], \"poses\": [[0, 1], ["));
    EXPECT_THAT(report(s), HasSubstr(", 2]]}"));

    // Without sound the player must be open.
    ASSERT_TRUE(run(s, {"open", dir / "Q.MTN"}));
    s.ui.messages.clear();
    ASSERT_TRUE(run(s, {"play", "closed"}));
    EXPECT_EQ(s.ui.messages, (std::vector<std::string>{"Open the Virtual ROVA Window before playing back motion",
                                                       "Error playing selected performance"}));
    std::string error;
    EXPECT_FALSE(s.command({"play", "open"}, error));
    EXPECT_EQ(error, "usage: play [closed]");
}

TEST(ToolPlayback, CursorLoopOffsetAndPlayFor) {
    TempDir dir;
    dir.write("P.WAV", rova::test::waveImage(8000));  // 1 s
    dir.write("P.MTN", MotionImage::of(16, 2, 8).bytes());
    tool::EditorSession s;
    ASSERT_TRUE(s.open(dir / "P.MTN"));
    ASSERT_TRUE(run(s, {"cursor", "3"}));
    EXPECT_THAT(report(s), HasSubstr("\"selection\": {\"start\": -1, \"length\": 0,"));
    EXPECT_THAT(report(s), HasSubstr("\"cursor\": 3, \"playhead\": 3"));

    // A looped selection with the poses 160 ms early, stopped by Esc.
    for (const std::vector<std::string>& c : std::vector<std::vector<std::string>>{
             {"offset", "-160"}, {"loop", "on"}, {"select", "1", "2"}, {"play-for", "500"}})
        ASSERT_TRUE(run(s, c));
    const std::string out = report(s);
    const std::string wav = "\\\"" + std::filesystem::absolute(dir / "P.WAV").string() + "\\\"";
    const std::string range = "\"play " + wav + " from 80 to 240\"";
    std::size_t plays = 0;
    for (std::size_t at = out.find(range); at != std::string::npos; at = out.find(range, at + 1)) ++plays;
    EXPECT_GE(plays, 2u);
    EXPECT_THAT(out, HasSubstr("\"poses\": [[-160, 1], ["));
    EXPECT_THAT(out, HasSubstr("\"close " + wav + "\"]"));
    // The selection took the cursor: none in the report, an empty field in the status bar.
    EXPECT_THAT(out, HasSubstr("\"cursor\": \"\""));
    EXPECT_THAT(out, HasSubstr("\"lastStep\": 7, \"playhead\": "));

    std::string error;
    for (const std::vector<std::string>& c : std::vector<std::vector<std::string>>{
             {"cursor", "-1"}, {"cursor"}, {"offset", "501"}, {"offset", "x"}, {"loop", "maybe"}, {"play-for", "1s"},
             {"play"}})
        EXPECT_FALSE(s.command(c, error)) << c[0];
    EXPECT_EQ(error, "usage: play-for MS (Loop Playback is on)");
}

}  // namespace
