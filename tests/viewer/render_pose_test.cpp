#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include <QImage>
#include <QString>

#include "image_file.h"
#include "render_pose.h"

namespace rova::tool {
namespace {

int run(const std::vector<std::string>& args, std::string* err = nullptr) {
    std::ostringstream out;
    const int code = renderPose(args, out);
    if (err) *err = out.str();
    return code;
}

TEST(RenderPoseTest, WritesAPngOfTheAskedSize) {
    const std::string path = ::testing::TempDir() + "render_pose_test.png";
    std::string err;
    ASSERT_EQ(run({"-o", path, "--size", "64x48", "--joint", "Mouth=-36", "--joint", "9=100", "--select", "LFPawY",
                   "--select", "0", "--hide", "16,2"},
                  &err),
              0)
        << err;
    QImage png;
    ASSERT_TRUE(png.load(QString::fromStdString(path), "PNG"));
    std::remove(path.c_str());
    EXPECT_EQ(png.size(), QSize(64, 48));
    EXPECT_FALSE(png.hasAlphaChannel());
}

// A picture that cannot be made or written leaves the previous file as it was.
TEST(RenderPoseTest, AFailedWriteKeepsThePreviousFile) {
    EXPECT_EQ(run({"-o", "/nonexistent-folder/x.png"}), 1);
    const std::string path = ::testing::TempDir() + "render_pose_keep.png";
    std::ofstream(path) << "previous";
    EXPECT_FALSE(savePng(QImage(), path));
    std::ifstream in(path);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "previous");
    std::remove(path.c_str());
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
}

}  // namespace
}  // namespace rova::tool
