#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "render_pose.h"

namespace rova::tool {
namespace {

int run(const std::vector<std::string>& args, std::string* err = nullptr) {
    std::ostringstream out;
    const int code = renderPose(args, out);
    if (err) *err = out.str();
    return code;
}

std::uint32_t bigEndian(const std::string& s, std::size_t at) {
    std::uint32_t v = 0;
    for (std::size_t i = 0; i < 4; ++i) v = (v << 8) | static_cast<unsigned char>(s[at + i]);
    return v;
}

TEST(RenderPoseTest, WritesAPngOfTheAskedSize) {
    const std::string path = ::testing::TempDir() + "render_pose_test.png";
    std::string err;
    ASSERT_EQ(run({"-o", path, "--size", "64x48", "--joint", "Mouth=-36", "--joint", "9=100", "--select", "LFPawY",
                   "--select", "0", "--hide", "16,2"},
                  &err),
              0)
        << err;
    std::ifstream in(path, std::ios::binary);
    const std::string png((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::remove(path.c_str());
    ASSERT_GT(png.size(), 64 * 48 * 3u);
    EXPECT_EQ(png.substr(0, 8), std::string("\x89PNG\r\n\x1a\n", 8));
    EXPECT_EQ(png.substr(12, 4), "IHDR");
    EXPECT_EQ(bigEndian(png, 16), 64u);
    EXPECT_EQ(bigEndian(png, 20), 48u);
}

TEST(RenderPoseTest, UsageErrors) {
    const std::vector<std::vector<std::string>> bad = {
        {"--size", "10x10"},
        {"-o"},
        {"-o", "x.png", "--size", "0x10"},
        {"-o", "x.png", "--joint", "Nose=3"},
        {"-o", "x.png", "--hide", "20,5"},
        {"-o", "x.png", "--frobnicate"},
    };
    for (const auto& args : bad) EXPECT_EQ(run(args), 2) << (args.empty() ? "" : args.back());
    EXPECT_EQ(run({"-o", "/nonexistent-folder/x.png"}), 1);
}

}  // namespace
}  // namespace rova::tool
