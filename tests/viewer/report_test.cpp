// The message formatter and the table of result-code texts.
#include <gtest/gtest.h>

#include <cstdarg>
#include <fstream>
#include <string>
#include <vector>

#include "error_text.h"
#include "report.h"

namespace rova::viewer {
namespace {

std::string formatInto(std::size_t size, const char* f, ...) {
    char buffer[256];
    va_list args;
    va_start(args, f);
    const std::size_t n = formatMessage(buffer, size, f, args);
    va_end(args);
    EXPECT_EQ(n, std::string(buffer).size());
    return buffer;
}

template <typename... Args>
std::string format(const char* f, Args... args) {
    return formatInto(256, f, args...);
}

std::vector<std::string> reported;

class ReportTest : public ::testing::Test {
protected:
    void SetUp() override {
        reported.clear();
        setMessageBoxSink([](std::string_view text, std::string_view caption) {
            reported.push_back(std::string(caption) + "|" + std::string(text));
        });
    }
    void TearDown() override { setMessageBoxSink({}); }
};

TEST_F(ReportTest, LongTextIsCutToTheBuffer) {
    const std::string long_(400, 'x');
    reportError("%s", long_.c_str());
    ASSERT_EQ(reported.size(), 1u);
    // 253 characters, CR LF and the terminating zero fill the 256 bytes.
    EXPECT_EQ(reported[0], "Viewer Message|" + std::string(253, 'x') + "\r\n");
}

TEST(FormatTest, Conversions) {
    const auto min = static_cast<std::int32_t>(0x80000000u);
    EXPECT_EQ(format("%d|%i|%ld|%u|%lu", -5, 7, min, 4000000000u, 3u), "-5|7|-2147483648|4000000000|3");
    EXPECT_EQ(format("%x|%X|%lx|%#x|%#X|%#x", 255u, 255u, 0x88760313u, 26u, 26u, 0u), "ff|FF|88760313|0x1a|0X1A|0");
    EXPECT_EQ(format("[%5d][%-5d][%05d][%-05d][%.3d][%08lx]", 42, 42, -42, 42, 7, 0xbeefu),
              "[   42][42   ][-0042][42   ][007][0000beef]");
    EXPECT_EQ(format("%s|%.2s|%6s|%-4s|%s", "abc", "abc", "ab", "ab", static_cast<const char*>(nullptr)),
              "abc|ab|    ab|ab  |(null)");
    EXPECT_EQ(format("%c%c|100%%|%q|%", 'o', 'k'), "ok|100%|q|");
}

TEST(FormatTest, SmallBuffersCut) {
    EXPECT_EQ(formatInto(4, "abcdef"), "abc");
    EXPECT_EQ(formatInto(6, "%d", -1234567), "-1234");
    EXPECT_EQ(formatInto(1, "%s", "x"), "");
}

TEST(ErrorTextTest, MatchesTheTableRowByRow) {
    std::ifstream in(ROVA_ERROR_TEXTS);
    ASSERT_TRUE(in);
    std::string line;
    std::getline(in, line);  // header
    int rows = 0;
    while (std::getline(in, line)) {
        const auto tab = line.find('\t');
        ASSERT_NE(tab, std::string::npos) << line;
        const std::string key = line.substr(0, tab), text = line.substr(tab + 1);
        if (key == "default") {
            EXPECT_STREQ(errorText(1), text.c_str());
            EXPECT_STREQ(errorText(static_cast<std::int32_t>(0x88760001u)), text.c_str());
            EXPECT_STREQ(errorText(-1), text.c_str());
        } else {
            EXPECT_STREQ(errorText(static_cast<std::int32_t>(std::stoul(key, nullptr, 16))), text.c_str()) << key;
        }
        ++rows;
    }
    EXPECT_EQ(rows, 131);
    EXPECT_STREQ(errorText(static_cast<std::int32_t>(0x88760313u)), "The file was not found.");
}

}  // namespace
}  // namespace rova::viewer
