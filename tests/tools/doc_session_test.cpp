#include <gtest/gtest.h>

#include <sstream>

#include "doc_session.h"
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

std::string report(tool::DocSession& s, bool opened) {
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
    tool::DocSession s;
    ASSERT_TRUE(s.open(dir / "P.MTN"));
    EXPECT_EQ(report(s, true),
              "{\"opened\": true, \"messages\": [\"Warning: motion file has non-standard alignment\\nMotion has been "
              "aligned to 5 motion ticks\"], \"flags\": 69, \"audio\": {\"type\": \"wave\", \"samples\": 8000}, "
              "\"leds\": {\"steps\": 4, \"modified\": false, \"data\": \"1230\"}, \"motion\": {\"kind\": 5, "
              "\"first\": 16, \"channels\": 2, \"keyframes\": 2, \"totalTicks\": 5, \"modified\": false, "
              "\"frames\": [[0, 1000, 2000], [5, 2000, 4000]]}, \"modified\": false}\n");
}

TEST(ToolReport, FailedOpenHasNullTracks) {
    TempDir dir;
    dir.write("P.WAV", std::string("RIFFxxxx"));
    tool::DocSession s;
    ASSERT_FALSE(s.open(dir / "P.WAV"));
    EXPECT_EQ(report(s, false),
              "{\"opened\": false, \"messages\": [\"WAVE file is not in valid format\"], \"flags\": 0, "
              "\"audio\": null, \"leds\": null, \"motion\": null, \"modified\": false}\n");
}

TEST(ToolCommands, OpenSwitchesDocumentsAndSaveAsMovesThePath) {
    TempDir dir;
    dir.write("A.MID", std::string("MThd\0\0\0\6\0\0\0\1\0\x60", 14));
    dir.write("B.MTN", MotionImage::of(0, 4, 3).bytes());
    tool::DocSession s;
    std::string error;
    ASSERT_TRUE(s.open(dir / "A.MID"));
    ASSERT_TRUE(s.command({"open", dir / "B.MTN"}, error));
    ASSERT_EQ(s.active()->motion().kind(), MOTION_HEAD);
    // Save As writes only modified tracks: nothing yet.
    ASSERT_TRUE(s.command({"save-as", dir / "C.MTN"}, error));
    EXPECT_FALSE(dir.exists("C.MTN"));
    s.active()->motion().setValue(1, 0, 5);
    ASSERT_TRUE(s.command({"save-as", dir / "C.MTN"}, error));
    EXPECT_TRUE(dir.exists("C.MTN"));
    EXPECT_EQ(s.active()->pathName(), dir / "C.MTN");
    // A failed open keeps the active document.
    ASSERT_TRUE(s.command({"open", dir / "missing.MTN"}, error));
    EXPECT_EQ(s.active()->pathName(), dir / "C.MTN");
    EXPECT_FALSE(s.command({"frobnicate"}, error));
    EXPECT_EQ(error, "unknown command 'frobnicate'");
    EXPECT_FALSE(s.command({"save-as"}, error));
}
