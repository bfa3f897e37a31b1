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
        {"-o", "x.png", "--eyes", "blue"},
        {"-o", "x.png", "--camera", "10,20"},
        {"-o", "x.png", "--camera", "10,20,30,40"},
        {"-o", "x.png", "--camera", "a,0,50"},
        {"-o", "x.png", "--camera", "0,95,50"},
        {"-o", "x.png", "--camera", "0,0,0"},
    };
    for (const auto& args : bad) EXPECT_EQ(run(args), 2) << (args.empty() ? "" : args.back());
}

QImage render(const std::vector<std::string>& options) {
    const std::string path = ::testing::TempDir() + "render_pose_eyes.png";
    std::vector<std::string> args = {"-o", path};
    args.insert(args.end(), options.begin(), options.end());
    std::string err;
    EXPECT_EQ(run(args, &err), 0) << err;
    QImage png;
    EXPECT_TRUE(png.load(QString::fromStdString(path), "PNG"));
    std::remove(path.c_str());
    return png.convertToFormat(QImage::Format_RGB32);
}

int countColour(const QImage& image, QRgb colour) {
    int n = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) n += image.pixel(x, y) == colour;
    return n;
}

TEST(RenderPoseTest, EyesShowInTheirColoursAndTheCameraMoves) {
    const QRgb green = qRgb(0, 255, 0), red = qRgb(255, 0, 0);
    const QImage plain = render({});
    const struct {
        const char* eyes;
        bool green, red;
    } table[] = {{"off", false, false}, {"green", true, false}, {"red", false, true}, {"both", true, true}};
    for (const auto& row : table) {
        const QImage image = render({"--eyes", row.eyes});
        EXPECT_EQ(countColour(image, green) > 0, row.green) << row.eyes;
        EXPECT_EQ(countColour(image, red) > 0, row.red) << row.eyes;
    }
    EXPECT_EQ(render({"--eyes", "off"}), plain);
    EXPECT_EQ(render({"--camera", "0,0,50"}), plain);
    EXPECT_NE(render({"--camera", "30,10,60"}), plain);
}

}  // namespace
}  // namespace rova::tool
