// `rova-tool beats FILE`: the report for MIDI, WAVE, hand-set and missing sound.
#include <gtest/gtest.h>

#include <sstream>

#include "beat_sounds.h"
#include "beats_command.h"
#include "support/motion_image.h"
#include "support/temp_dir.h"

namespace rova::tool {
namespace {

struct ToolRun {
    int code;
    std::string out, err;
};

ToolRun beats(const std::vector<std::string>& args) {
    std::ostringstream out, err;
    const int code = runBeats(args, out, err);
    return {code, out.str(), err.str()};
}

TEST(BeatsCommand, Reports) {
    test::TempDir dir;
    dir.write("M.MID", test::MidiBuilder(96).timeSignature(0, 3, 2).tempo(0, 480000).endTrack(96 * 6).bytes());
    dir.write("M.MTN", test::MotionImage::of(0, 18, 4).bytes());
    dir.write("S.MTN", test::MotionImage::of(0, 18, 4).bytes());

    ToolRun r = beats({dir / "M.MTN"});
    EXPECT_EQ(r.code, 0);
    EXPECT_EQ(r.out, "{\"source\": \"midi\", \"bpm\": 125.0, \"beatsPerBar\": 3, \"confidence\": 1, \"beats\": [0, 480, 960, 1440, 1920, 2400], "
                     "\"downbeats\": [0, 1440]}\n");

    dir.write("M.BPM", std::string("bpm 97.5\noffset 100\n"));
    r = beats({dir / "M.MID"});
    EXPECT_EQ(r.out, "{\"source\": \"manual\", \"bpm\": 97.5, \"beatsPerBar\": null, \"confidence\": 1, \"beats\": [100, 715, 1331, 1946, 2562], \"downbeats\": null}\n");

    // Bars set by hand, and beats of their own where the tempo changes.
    dir.write("M.BPM", std::string("bpm 120.0\noffset 100\nbar 3 600\n"));
    r = beats({dir / "M.MID"});
    EXPECT_EQ(r.out, "{\"source\": \"manual\", \"bpm\": 120.0, \"beatsPerBar\": 3, \"confidence\": 1, \"beats\": [100, 600, 1100, 1600, 2100, 2600], \"downbeats\": [600, 2100]}\n");
    dir.write("M.BPM", std::string("bpm 100.0\noffset 0\nbar 2 0\nbeats 0 600 1200 1700 2200 3000\n"));
    r = beats({dir / "M.MID"});
    EXPECT_EQ(r.out.rfind("{\"source\": \"manual\", \"bpm\": 100.0, \"beatsPerBar\": 2, ", 0), 0u) << r.out;
    EXPECT_NE(r.out.find("\"beats\": [0, 600, 1200, 1700, 2200], \"downbeats\": [0, 1200, 2200]}"), std::string::npos) << r.out;

    dir.write("M.BPM", std::string("bpm 97.5\n"));
    r = beats({dir / "M.MTN"});
    EXPECT_EQ(r.code, 0);
    EXPECT_NE(r.out.find("\"midi\""), std::string::npos);
    EXPECT_NE(r.err.find("M.BPM is not a valid beat setting"), std::string::npos);

    r = beats({dir / "S.MTN"});
    EXPECT_EQ(r.code, 0);
    EXPECT_EQ(r.out, "{\"source\": null, \"bpm\": null, \"beatsPerBar\": null, \"confidence\": 1, \"beats\": [], \"downbeats\": null}\n");
    EXPECT_EQ(r.err, "Warning: no Audio track for this motion\n");

    EXPECT_EQ(beats({dir / "X.MTN"}).code, 1);
    EXPECT_EQ(beats({}).code, 2);
}

TEST(BeatsCommand, ExampleTuneAt125Bpm) {
    const ToolRun r = beats({std::string(ROVA_SOURCE_DIR) + "/examples/Bounce.MTN"});
    EXPECT_EQ(r.code, 0);
    // 125 BPM within a tenth, in bars of four, sure of it.
    EXPECT_EQ(r.out.rfind("{\"source\": \"audio\", \"bpm\": 125.", 0), 0u) << r.out;
    EXPECT_NE(r.out.find("\"beatsPerBar\": 4, \"confidence\": 1, \"beats\": ["), std::string::npos) << r.out;
}

}  // namespace
}  // namespace rova::tool
