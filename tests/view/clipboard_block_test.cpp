// The clipboard block of Copy and Paste Special byte by byte, what counts as a
// well-formed block, and the channel mapping with its swaps.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "model/channels.h"
#include "view/clipboard_block.h"

using namespace rova;
using testing::ElementsAre;
using testing::ElementsAreArray;

namespace {

std::vector<std::uint8_t> blockOf(std::uint32_t flags, int steps, const StepValue& value) {
    std::vector<std::uint8_t> b;
    fillClipboardBlock(b, flags, steps, value);
    return b;
}

std::vector<std::uint8_t> le(std::int64_t v) {
    const auto u = static_cast<std::uint32_t>(v);
    return {static_cast<std::uint8_t>(u), static_cast<std::uint8_t>(u >> 8), static_cast<std::uint8_t>(u >> 16),
            static_cast<std::uint8_t>(u >> 24)};
}

}  // namespace

TEST(ClipboardBlock, LayoutIsLittleEndianChannelFastest) {
    const auto b = blockOf(0x70, 3, [](int i, int c) { return c == 17 ? kNoValue : -(i * 100 + c); });
    ASSERT_EQ(b.size(), 8u + 216u);
    std::vector<std::uint8_t> expected = le(0x70);
    for (auto x : le(3)) expected.push_back(x);
    for (int i = 0; i < 3; ++i)
        for (int c = 0; c < 18; ++c)
            for (auto x : le(c == 17 ? 0x80000000LL : -(i * 100 + c))) expected.push_back(x);
    EXPECT_EQ(b, expected);
    EXPECT_THAT(std::vector<std::uint8_t>(b.begin(), b.begin() + 16),
                ElementsAre(0x70, 0, 0, 0, 3, 0, 0, 0, 0, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF));
    EXPECT_THAT(std::vector<std::uint8_t>(b.begin() + 8 + 17 * 4, b.begin() + 8 + 18 * 4), ElementsAre(0, 0, 0, 0x80));
    // And it reads back as written.
    const auto m = ClipboardMotion::parse(b.data(), b.size());
    ASSERT_TRUE(m);
    EXPECT_EQ(m->flags(), 0x70u);
    EXPECT_EQ(m->steps(), 3);
    for (int i = 0; i < 3; ++i)
        for (int c = 0; c < 18; ++c) EXPECT_EQ(m->value(i, c), c == 17 ? kNoValue : -(i * 100 + c)) << i << " " << c;
}

TEST(ClipboardBlock, MalformedBlocksAreNoMotionData) {
    const auto good = blockOf(0x70, 2, [](int, int) { return 1; });
    auto withSteps = [&](std::int64_t n, std::size_t size) {
        std::vector<std::uint8_t> b(good.begin(), good.end());
        b.resize(size);
        const auto bytes = le(n);
        std::copy(bytes.begin(), bytes.end(), b.begin() + 4);
        return b;
    };
    EXPECT_TRUE(ClipboardMotion::parse(good.data(), good.size()));
    EXPECT_FALSE(ClipboardMotion::parse(nullptr, 0));
    EXPECT_FALSE(ClipboardMotion::parse(good.data(), 7));           // no header
    EXPECT_FALSE(ClipboardMotion::parse(good.data(), 8));           // N = 2 but no values
    EXPECT_FALSE(ClipboardMotion::parse(good.data(), good.size() - 1));
    auto b = withSteps(0, 8);
    EXPECT_FALSE(ClipboardMotion::parse(b.data(), b.size()));      // N = 0
    b = withSteps(-1, 8 + 72);
    EXPECT_FALSE(ClipboardMotion::parse(b.data(), b.size()));      // N < 0
    b = withSteps(1, 8 + 144);
    EXPECT_FALSE(ClipboardMotion::parse(b.data(), b.size()));      // more bytes than N says
    b = withSteps(3, 8 + 144);
    EXPECT_FALSE(ClipboardMotion::parse(b.data(), b.size()));      // fewer
    b = withSteps(0x7FFFFFFF, 8 + 72);
    EXPECT_FALSE(ClipboardMotion::parse(b.data(), b.size()));
    b = withSteps(1, 8 + 72 + 4);
    EXPECT_FALSE(ClipboardMotion::parse(b.data(), b.size()));      // not a whole step
    b = withSteps(1, 8 + 72);
    EXPECT_TRUE(ClipboardMotion::parse(b.data(), b.size()));
}

// All boxes without swaps is the identity; the swaps move legs only.
TEST(MapChannel, AllBoxesMapEveryChannelAndTheSwapsMoveLegsOnly) {
    const struct {
        bool swapLR, swapFB;
        std::vector<int> to;
    } cases[] = {
        {false, false, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17}},
        {true, false, {0, 1, 2, 3, 7, 8, 9, 4, 5, 6, 13, 14, 15, 10, 11, 12, 16, 17}},
        {false, true, {0, 1, 2, 3, 10, 11, 12, 13, 14, 15, 4, 5, 6, 7, 8, 9, 16, 17}},
        // Right front lands on left rear and back; left front on right rear and back.
        {true, true, {0, 1, 2, 3, 13, 14, 15, 10, 11, 12, 7, 8, 9, 4, 5, 6, 16, 17}},
    };
    for (const auto& swaps : cases) {
        SCOPED_TRACE(testing::Message() << "L-R " << swaps.swapLR << ", F-B " << swaps.swapFB);
        PasteParts m;
        m.swapLR = swaps.swapLR;
        m.swapFB = swaps.swapFB;
        std::vector<int> got;
        for (int c = 0; c < kChannelCount; ++c) got.push_back(mapChannel(c, m));
        EXPECT_EQ(got, swaps.to);
        EXPECT_EQ(mapChannel(-1, m), -1);
        EXPECT_EQ(mapChannel(18, m), -1);
    }
}

TEST(MapChannel, TheBoxesChooseWhatIsTakenNotWhereItGoes) {
    PasteParts m{false, false, true, false, false, false, false, true, false};  // RF Leg and Swap L-R
    std::vector<int> got;
    for (int c = 0; c < kChannelCount; ++c) got.push_back(mapChannel(c, m));
    EXPECT_THAT(got, ElementsAreArray({-1, -1, -1, -1, 7, 8, 9, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1}));
    PasteParts each{false, false, false, false, false, false, false, false, false};
    bool PasteParts::*boxes[] = {&PasteParts::head,  &PasteParts::mouth, &PasteParts::rfLeg,
                                     &PasteParts::lfLeg, &PasteParts::rrLeg, &PasteParts::lrLeg,
                                     &PasteParts::tail};
    const int groupOf[kChannelCount] = {0, 0, 0, 1, 2, 2, 2, 3, 3, 3, 4, 4, 4, 5, 5, 5, 6, 6};
    for (int g = 0; g < 7; ++g) {
        PasteParts one = each;
        one.*boxes[g] = true;
        for (int c = 0; c < kChannelCount; ++c)
            EXPECT_EQ(mapChannel(c, one), groupOf[c] == g ? c : -1) << g << " " << c;
    }
}
