#include <gtest/gtest.h>

#include <sstream>

#include "new_performance.h"
#include "sound/sound_import.h"
#include "sound_files.h"
#include "support/temp_dir.h"

namespace rova::tool {
namespace {

struct ToolRun {
    int code;
    std::string out, err;
    std::vector<std::string> reported;
};

ToolRun runTool(const std::vector<std::string>& args) {
    ToolRun r;
    std::ostringstream out, err;
    r.code = runNew(args, out, err, [&](const std::string& file) {
        r.reported.push_back(file);
        return 0;
    });
    r.out = out.str();
    r.err = err.str();
    return r;
}

TEST(NewCommand, CreatesThenReportsLikeInfo) {
    test::TempDir dir;
    ASSERT_TRUE(test::writeSound(dir.path() / "in.flac", SF_FORMAT_FLAC | SF_FORMAT_PCM_16, 44100, 1, 4410,
                                 test::sine(0.2, 440, 44100)));
    const ToolRun r = runTool({dir / "in.flac", dir / "Out.MTN", "--no-normalise"});
    EXPECT_EQ(r.code, 0);
    EXPECT_EQ(r.reported, std::vector<std::string>{dir / "Out.MTN"});
    EXPECT_TRUE(dir.exists("Out.WAV") && dir.exists("Out.LED"));

    // Never over existing files.
    const ToolRun again = runTool({dir / "in.flac", dir / "Out.MTN"});
    EXPECT_EQ(again.code, 1);
    EXPECT_TRUE(again.reported.empty());
    EXPECT_EQ(again.out,
              "{\"opened\": false, \"messages\": [\"Out already exists\"], \"flags\": 0, \"audio\": null, "
              "\"leds\": null, \"motion\": null, \"modified\": false}\n");
}

TEST(NewCommand, UsageErrorsExitTwo) {
    for (const auto& args : std::vector<std::vector<std::string>>{
             {}, {"a.wav"}, {"a.wav", "b.MTN", "c"}, {"a.wav", "b.MTN", "--normalise"}}) {
        const ToolRun r = runTool(args);
        EXPECT_EQ(r.code, 2);
        EXPECT_TRUE(r.out.empty());
        EXPECT_NE(r.err.find("usage: rova-tool new SOUND OUT.MTN [--no-normalise]"), std::string::npos);
    }
}

}  // namespace
}  // namespace rova::tool
