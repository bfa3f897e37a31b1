// The tool's verbs for editing in time: their usage errors and their effect.
#include <gtest/gtest.h>

#include "editor_session.h"
#include "shell/document.h"
#include "support/motion_image.h"
#include "support/temp_dir.h"
#include "support/wave_image.h"
#include "view/main_view.h"

using namespace rova;
using rova::test::MotionImage;
using rova::test::TempDir;

namespace {

// A tail motion of 9 keyframes a step apart: TailY (i + 1) × 1000, TailX twice that.
std::string tailSet(TempDir& dir) {
    dir.write("T.WAV", rova::test::waveImage(5760));
    dir.write("T.MTN", MotionImage::of(16, 2, 9).bytes());
    return dir / "T.MTN";
}

}  // namespace

TEST(ToolTimeVerbs, BadArgumentsAreUsageErrors) {
    TempDir dir;
    tool::EditorSession s;
    ASSERT_TRUE(s.open(tailSet(dir)));
    const std::vector<std::vector<std::string>> bad = {
        {"move-time"}, {"move-time", "x"}, {"move-time", "1", "2"}, {"alt-drag", "80"},
        {"insert-time"}, {"insert-time", "0"}, {"insert-time", "bars"}, {"delete-time", "1"}, {"duplicate", "2"},
    };
    for (const auto& words : bad) {
        std::string error;
        EXPECT_FALSE(s.command(words, error)) << words[0];
        EXPECT_NE(error.find("usage: "), std::string::npos) << words[0] << ": " << error;
    }
    EXPECT_FALSE(s.activeDocument()->doc().history().canUndo());
}

TEST(ToolTimeVerbs, EachVerbIsOneUndoStepOnTheSelection) {
    TempDir dir;
    tool::EditorSession s;
    ASSERT_TRUE(s.open(tailSet(dir)));
    CMainView& v = *s.activeView();
    const CMotionTrack& m = s.activeDocument()->doc().motion();
    std::string error;
    auto run = [&](std::vector<std::string> words) { EXPECT_TRUE(s.command(words, error)) << error; };
    run({"select", "2", "2"});
    run({"move-time", "2"});
    EXPECT_EQ(v.selStart(), 4);
    EXPECT_EQ(m.valueAtStep(4, 0), 3000);
    run({"alt-drag", "83", "79"});  // x 83 lies in step 5, x 79 in step 3
    EXPECT_EQ(v.selStart(), 2);
    EXPECT_EQ(m.valueAtStep(2, 0), 3000);
    run({"move-time", "-3"});  // past the start: refused
    EXPECT_EQ(s.ui.messages.back(), "The selection cannot move past the start or the end of the performance");
    run({"insert-time", "2"});
    EXPECT_EQ(m.valueAtStep(3, 0), 3000);
    EXPECT_EQ(s.ui.messages.back(), "0.16 seconds pushed past the end were dropped");
    run({"delete-time"});
    run({"duplicate"});
    EXPECT_EQ(v.selStart(), 4);
    EXPECT_EQ(s.activeDocument()->doc().history().size(), 5u);
    EXPECT_EQ(s.activeDocument()->doc().history().undoName(), "Duplicate");
}
