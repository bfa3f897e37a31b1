// `rova-tool export-video` on the example performance: the JSON summary, the
// file it names, and the exit codes of bad arguments and failed writes.
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

#include "export_video_command.h"
#include "support/temp_dir.h"
#include "video/video_probe.h"

namespace rova::tool {
namespace {

namespace fs = std::filesystem;

struct ToolRun {
    int code;
    std::string out, err;
};

ToolRun run(const std::vector<std::string>& args) {
    std::ostringstream out, err;
    const int code = exportVideoCommand(args, out, err);
    return {code, out.str(), err.str()};
}

// A folder of its own per test: ctest runs the tests of this file side by side.
class ExportVideoTool : public ::testing::Test {
protected:
    test::TempDir temp;
    const fs::path& dir = temp.path();
};

TEST_F(ExportVideoTool, PrintsTheSummaryOfTheVideoItWrote) {
    const fs::path out = dir / "part.mp4";
    const ToolRun r = run({ROVA_EXAMPLE, out.string(), "--size", "160x120", "--selection", "10", "25", "--timeline"});
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.out, "{\"frames\": 50, \"durationMs\": 2000, \"video\": \"h264\", \"audio\": \"aac\"}\n");
    const video::VideoProbe probe = video::probeVideo(out.string());
    EXPECT_EQ(probe.width, 160);
    EXPECT_NEAR(static_cast<double>(probe.pictures), 50.0, 1.0);
    EXPECT_NEAR(probe.soundSeconds, 2.0, 0.05);
}

TEST_F(ExportVideoTool, BadArgumentsAreUsageErrorsAndFailedWritesLeaveNothing) {
    const std::string out = (dir / "x.mp4").string();
    const std::vector<std::vector<std::string>> usage = {
        {},
        {ROVA_EXAMPLE},
        {ROVA_EXAMPLE, out, "--size", "big"},
        {ROVA_EXAMPLE, out, "--fps"},
        {ROVA_EXAMPLE, out, "--fps", "0"},
        {ROVA_EXAMPLE, out, "--selection", "3"},
        {ROVA_EXAMPLE, out, "--selection", "3", "0"},
        {ROVA_EXAMPLE, out, "--frobnicate"},
        {ROVA_EXAMPLE, (dir / "x.mov").string()},
        {ROVA_EXAMPLE, out, "--selection", "100000", "5"},
    };
    for (const auto& args : usage) EXPECT_EQ(run(args).code, 2) << (args.empty() ? "" : args.back());
    EXPECT_EQ(run({(dir / "none.MTN").string(), out}).code, 1);
    EXPECT_EQ(run({ROVA_EXAMPLE, (dir / "missing" / "x.webm").string(), "--size", "64x48"}).code, 1);
    EXPECT_TRUE(fs::is_empty(dir));
}

}  // namespace
}  // namespace rova::tool
