// The tool's beats verbs: Half, Double, Tap, beats per bar and the downbeat,
// each the Beats dialog confirmed after that press, and their usage errors.
#include <gtest/gtest.h>

#include "beats/beat_sounds.h"
#include "editor_session.h"
#include "shell/document.h"
#include "support/motion_image.h"
#include "support/temp_dir.h"
#include "view/main_view.h"

using namespace rova;
using rova::test::MotionImage;
using rova::test::TempDir;

namespace {

// MIDI sound at 125 BPM (a beat every 480 ms) in bars of four, for 8 s.
std::string midiSet(TempDir& dir) {
    dir.write("M.MID", test::MidiBuilder(96).tempo(0, 480000).endTrack(96 * 16).bytes());
    dir.write("M.MTN", MotionImage::of(0, 18, 60).bytes());
    return dir / "M.MTN";
}

std::string bpmFile(TempDir& dir) {
    const std::vector<std::uint8_t> bytes = dir.read("M.BPM");
    return std::string(bytes.begin(), bytes.end());
}

}  // namespace

TEST(ToolBeatsVerbs, BadArgumentsAreUsageErrors) {
    TempDir dir;
    tool::EditorSession s;
    ASSERT_TRUE(s.open(midiSet(dir)));
    const std::vector<std::vector<std::string>> bad = {
        {"beats"}, {"beats", "triple"}, {"beats", "half", "2"}, {"beats", "tap"}, {"beats", "tap", "100"},
        {"beats", "tap", "200", "100"}, {"beats", "tap", "100", "x"}, {"beats", "per-bar"}, {"beats", "per-bar", "17"},
        {"beats", "per-bar", "-1"}, {"beats", "downbeat"}, {"beats", "downbeat", "-5"}, {"beats", "downbeat", "1", "2"},
    };
    for (const auto& words : bad) {
        std::string error;
        EXPECT_FALSE(s.command(words, error)) << words[1 % words.size()];
        EXPECT_FALSE(error.empty());
    }
    EXPECT_FALSE(std::filesystem::exists(dir.path() / "M.BPM"));
}

TEST(ToolBeatsVerbs, EachPressSetsTheGridByHand) {
    TempDir dir;
    tool::EditorSession s;
    ASSERT_TRUE(s.open(midiSet(dir)));
    CMainView& v = *s.activeView();
    struct Step {
        std::vector<std::string> words;
        const char* file;         // NAME.BPM after it
        std::vector<int> firstBeats;  // of the grid in force
        std::vector<int> firstBars;
    };
    const std::vector<Step> steps = {
        {{"beats", "half"}, "bpm 62.5\noffset 0\nbar 4 0\n", {0, 960, 1920}, {0, 3840}},
        {{"beats", "double"}, "bpm 125.0\noffset 0\nbar 4 0\n", {0, 480, 960}, {0, 1920}},
        {{"beats", "per-bar", "3"}, "bpm 125.0\noffset 0\nbar 3 0\n", {0, 480, 960}, {0, 1440}},
        {{"beats", "downbeat", "1000"}, "bpm 125.0\noffset 0\nbar 3 960\n", {0, 480, 960}, {960, 2400}},
        // A beat every 500 ms through the second tap at 600; the bar start moves to the nearest beat.
        {{"beats", "tap", "100", "600", "1100", "1600"}, "bpm 120.0\noffset 100\nbar 3 960\n", {100, 600, 1100},
         {1100, 2600}},
        {{"beats", "per-bar", "0"}, "bpm 120.0\noffset 100\n", {100, 600, 1100}, {}},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.words[1]);
        std::string error;
        ASSERT_TRUE(s.command(step.words, error)) << error;
        EXPECT_EQ(bpmFile(dir), step.file);
        const beats::BeatGrid& g = v.beatGrid();
        EXPECT_EQ(g.source, beats::BeatSource::Manual);
        ASSERT_GE(g.beatsMs.size(), step.firstBeats.size());
        EXPECT_EQ(std::vector<int>(g.beatsMs.begin(), g.beatsMs.begin() + 3), step.firstBeats);
        EXPECT_EQ(g.downbeatsKnown, !step.firstBars.empty());
        if (!step.firstBars.empty()) {
            ASSERT_GE(g.downbeatsMs.size(), 2u);
            EXPECT_EQ(std::vector<int>(g.downbeatsMs.begin(), g.downbeatsMs.begin() + 2), step.firstBars);
        }
    }
}

TEST(ToolBeatsVerbs, ATempoOutOfRangeIsRefusedWithAMessage) {
    TempDir dir;
    tool::EditorSession s;
    ASSERT_TRUE(s.open(midiSet(dir)));
    std::string error;
    ASSERT_TRUE(s.command({"beats", "double"}, error));
    ASSERT_TRUE(s.command({"beats", "double"}, error));  // 500 BPM: refused
    EXPECT_EQ(s.ui.messages.back(), "Double that tempo is above 300 BPM.");
    EXPECT_EQ(bpmFile(dir), "bpm 250.0\noffset 0\nbar 4 0\n");
}
