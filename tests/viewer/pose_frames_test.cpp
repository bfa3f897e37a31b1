#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "pose_frames.h"
#include "resource.h"

namespace rova::tool {
namespace {

struct ToolRun {
    int code;
    std::string out, err;
};

ToolRun run(const std::vector<std::string>& args) {
    std::ostringstream out, err;
    const int code = poseFrames(args, out, err);
    return {code, out.str(), err.str()};
}

// The text of one frame's entry, up to its closing brace.
std::string entry(const std::string& json, const std::string& name) {
    const auto at = json.find("\"" + name + "\": ");
    if (at == std::string::npos) return {};
    return json.substr(at, json.find('}', at) - at);
}

std::size_t count(const std::string& text, const std::string& what) {
    std::size_t n = 0;
    for (auto at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
    return n;
}

TEST(PoseFramesTest, PrintsEveryFrameInModelCoordinates) {
    ASSERT_TRUE(viewer::findResource(viewer::kModelResourceType, viewer::kModelResourceName));
    const ToolRun rest = run({});
    ASSERT_EQ(rest.code, 0) << rest.err;
    EXPECT_EQ(count(rest.out, "\"origin\""), 38u);
    EXPECT_EQ(entry(rest.out, "ROVA"),
              "\"ROVA\": {\"origin\": [0.000000, 12.800000, -0.004000], \"axes\": [[1.000000, 0.000000, 0.000000], "
              "[0.000000, 0.996195, -0.087156], [0.000000, 0.087156, 0.996195]]");
    EXPECT_EQ(rest.out.front(), '{');
    EXPECT_EQ(rest.out.substr(rest.out.size() - 2), "}\n");

    // Joints by index or by name, in either spelling of the option.
    const ToolRun open = run({"--joint", "Mouth=-36", "--joint=0=20"});
    ASSERT_EQ(open.code, 0) << open.err;
    const ToolRun same = run({"--joint=3=-36", "--joint", "HeadY=20"});
    EXPECT_EQ(open.out, same.out);
    // The jaw turns about its own origin; its axes change, the body stays.
    const std::string jaw = entry(rest.out, "frm-Jaw"), posedJaw = entry(open.out, "frm-Jaw");
    EXPECT_NE(jaw, posedJaw);
    EXPECT_EQ(entry(rest.out, "ROVA"), entry(open.out, "ROVA"));
    EXPECT_EQ(entry(rest.out, "frm-FL_Arm"), entry(open.out, "frm-FL_Arm"));
}

TEST(PoseFramesTest, UsageErrorsExitWithTwo) {
    const std::vector<std::vector<std::string>> bad = {
        {"--joint"}, {"--joint", "3"}, {"--joint", "3="}, {"--joint", "=5"}, {"--joint", "24=0"},
        {"--joint", "-1=0"}, {"--joint", "Nose=0"}, {"--joint", "3=1.5"}, {"--joint", "3=99999999999"},
        {"--frames"}, {"extra"},
    };
    for (const auto& args : bad) {
        const ToolRun r = run(args);
        EXPECT_EQ(r.code, 2) << args.back();
        EXPECT_TRUE(r.out.empty());
        EXPECT_NE(r.err.find("usage: rova-tool pose-frames"), std::string::npos);
    }
}

}  // namespace
}  // namespace rova::tool
