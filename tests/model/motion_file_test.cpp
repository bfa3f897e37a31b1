#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "model/motion_file.h"
#include "support/motion_image.h"

using namespace rova;
using rova::test::MotionImage;

namespace {

struct ReadResult {
    bool ok;
    CMotionTrack track;
    std::vector<std::string> messages;
};

ReadResult read(const std::vector<std::uint8_t>& bytes) {
    ReadResult r;
    r.ok = readMotion(bytes, r.track, [&](std::string_view m) { r.messages.emplace_back(m); });
    return r;
}

std::vector<std::uint8_t> write(const CMotionTrack& track, std::string_view name) {
    std::ostringstream out;
    EXPECT_TRUE(writeMotion(out, track, name));
    const std::string s = out.str();
    return {s.begin(), s.end()};
}

MotionImage fullBody(int k) { return MotionImage::of(0, 18, k); }

}  // namespace

struct RejectCase {
    const char* what;
    MotionImage image;
};

class MotionReaderRejects : public testing::TestWithParam<RejectCase> {};

TEST_P(MotionReaderRejects, AndLeavesTheTrackEmpty) {
    auto r = read(GetParam().image.bytes());
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.track.kind(), MOTION_NONE);
    EXPECT_EQ(r.track.channelCount(), 0);
    EXPECT_EQ(r.track.keyframeCount(), 0);
    EXPECT_TRUE(r.messages.empty());
}

static std::vector<RejectCase> rejectCases() {
    std::vector<RejectCase> cases;
    auto add = [&](const char* what, auto mutate, MotionImage base = MotionImage::of(16, 2, 3)) {
        mutate(base);
        cases.push_back({what, base});
    };
    add("no keyframes", [](MotionImage& m) { m.keyframes.clear(); });
    add("too many keyframes", [](MotionImage& m) { m.keyframeCountOverride = 32001; });
    add("keyframe count disagrees with data", [](MotionImage& m) { m.keyframeCountOverride = 2; });
    add("type word not 2", [](MotionImage& m) { m.typeWord = 3; });
    add("no channels", [](MotionImage& m) { m.locators.clear(); for (auto& k : m.keyframes) k.resize(1); });
    add("locator of 64 characters", [](MotionImage& m) { m.locators[1] = std::string(64, 'x'); });
    add("unknown locator", [](MotionImage& m) { m.locators[1] = "PRM:/r1/c2-Joint:j1"; });
    add("lower-case locator", [](MotionImage& m) { m.locators[0] = "prm:/r1/c0-Joint:j0"; });
    add("tail columns swapped", [](MotionImage& m) { std::swap(m.locators[0], m.locators[1]); });
    add("legs with two columns swapped", [](MotionImage& m) { std::swap(m.locators[3], m.locators[4]); },
        MotionImage::of(4, 12, 2));
    add("legs not starting at the front right", [](MotionImage& m) { (void)m; }, MotionImage::of(5, 12, 2));
    add("head without the mouth", [](MotionImage& m) { (void)m; }, MotionImage::of(0, 3, 2));
    add("full body not starting at the head", [](MotionImage& m) { m.locators[0] = m.locators[1]; },
        MotionImage::of(0, 18, 2));
    add("odd channel count", [](MotionImage& m) { (void)m; }, MotionImage::of(0, 5, 2));
    add("section word not 3", [](MotionImage& m) { m.sectionWord0 = 4; });
    add("section word not 0", [](MotionImage& m) { m.sectionWord1 = 1; });
    add("data size off by one", [](MotionImage& m) { m.dataSizeDelta = 1; });
    add("one trailing byte", [](MotionImage& m) { m.trailing = {0}; });
    add("duration past the int range", [](MotionImage& m) { m.keyframes[1][0] = INT32_MIN; });
    add("durations adding past the int range", [](MotionImage& m) {
        m.keyframes[1][0] = INT32_MAX;
        m.keyframes[2][0] = 5;
    });
    return cases;
}

INSTANTIATE_TEST_SUITE_P(Table, MotionReaderRejects, testing::ValuesIn(rejectCases()),
                         [](const testing::TestParamInfo<RejectCase>& test) {
                             std::string n;
                             for (const char* p = test.param.what; *p; ++p) n += std::isalnum(static_cast<unsigned char>(*p)) ? *p : '_';
                             return n;
                         });

TEST(MotionReader, ClassifiesEachKind) {
    struct { int first, n; MotionKind kind; unsigned flags; } rows[] = {
        {.first = 0, .n = 18, .kind = MOTION_FULL_BODY, .flags = TRACK_MOTION},
        {.first = 0, .n = 4, .kind = MOTION_HEAD, .flags = TRACK_HEAD},
        {.first = 4, .n = 12, .kind = MOTION_LEGS, .flags = TRACK_LEGS},
        {.first = 16, .n = 2, .kind = MOTION_TAIL, .flags = TRACK_TAIL}};
    for (const auto& row : rows) {
        auto r = read(MotionImage::of(row.first, row.n, 4).bytes());
        ASSERT_TRUE(r.ok) << row.n;
        EXPECT_EQ(r.track.kind(), row.kind);
        EXPECT_EQ(r.track.channelCount(), row.n);
        EXPECT_EQ(r.track.keyframeCount(), 4);
        EXPECT_EQ(r.track.totalTicks(), 15);
        EXPECT_EQ(trackFlagsOfKind(r.track.kind()), row.flags);
        EXPECT_EQ(r.track.value(3, row.n - 1), 4000 * row.n);
        for (int j = 0; j < row.n; ++j)
            EXPECT_EQ(r.track.locatorIndexes()[static_cast<std::size_t>(j)], row.first + j);
    }
}

TEST(MotionReader, ExtraTailServoIsRejectedWithItsMessage) {
    auto image = fullBody(2);
    // Column 14 names LRPawY's joint and column 17 the unsupported tail joint.
    image.locators[14] = std::string(kJointLocators[15]);
    image.locators[17] = std::string(kJointLocators[18]);
    auto r = read(image.bytes());
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.track.kind(), MOTION_NONE);
    ASSERT_EQ(r.messages.size(), 1u);
    EXPECT_EQ(r.messages[0], "Motion contains extra tail servo -- not supported");
}

TEST(MotionReader, AcceptsThePawAliasPaddingAndAnyMagic) {
    auto image = fullBody(3);
    image.locators[15] = "PRM:/r5/c0/c1/c2-Joint";
    auto r = read(image.bytes());
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(r.track.locatorIndexes()[15], LRPawY);

    auto plain = MotionImage::of(4, 12, 3);
    auto padded = plain;
    padded.padding = true;
    padded.magic = "XXXX";
    auto a = read(plain.bytes()), b = read(padded.bytes());
    ASSERT_TRUE(a.ok);
    ASSERT_TRUE(b.ok);
    EXPECT_EQ(a.track.block(), b.track.block());
}

TEST(MotionReader, DataSizeIsComparedAsSixteenBits) {
    // 745 full-body keyframes need 65566 bytes: the 16-bit field can never hold that.
    auto big = fullBody(745);
    EXPECT_FALSE(read(big.bytes()).ok);
    auto fits = fullBody(744);  // 65478 bytes
    EXPECT_TRUE(read(fits.bytes()).ok);
}

TEST(MotionReader, EveryPrefixOfAValidFileIsRejected) {
    for (const auto& image : {MotionImage::of(16, 2, 3), fullBody(2)}) {
        auto bytes = image.bytes();
        ASSERT_TRUE(read(bytes).ok);
        for (std::size_t len = 0; len < bytes.size(); ++len) {
            std::vector<std::uint8_t> prefix(bytes.begin(), bytes.begin() + static_cast<long>(len));
            ASSERT_FALSE(read(prefix).ok) << "prefix of " << len << " bytes";
        }
    }
}

TEST(MotionWriter, RoundTripsEveryKindByteExactAndZeroesReservedWords) {
    for (auto [first, n] : {std::pair{0, 18}, {0, 4}, {4, 12}, {16, 2}}) {
        auto image = MotionImage::of(first, n, 5);
        image.keyframes[2][1] = -123456;
        auto bytes = image.bytes();
        // Reserved words of keyframe 1 hold junk in the source file.
        const std::size_t kf1 = bytes.size() - 4 * static_cast<std::size_t>(n + 4) * 4;
        bytes[kf1 + 4] = 0xAB;
        auto r = read(bytes);
        ASSERT_TRUE(r.ok);
        EXPECT_EQ(r.track.reserved(1, 0), 0xAB);
        r.track.setFirstChannel(first);
        auto out = write(r.track, "abc");
        EXPECT_EQ(out, image.bytes()) << "kind with " << n << " channels";
        if (n == 2) {  // five keyframes of (2 + 4) words
            ASSERT_EQ(out.size(), 236u);
            EXPECT_EQ(out[32], 32);                      // names length L
            EXPECT_EQ(out[36 + 24 + 10 + 40 + 4], 126);  // data size
        }
        auto again = read(out);
        ASSERT_TRUE(again.ok);
        EXPECT_EQ(again.track.value(2, 0), -123456);
    }
}

TEST(MotionWriter, ReportsAFailedStream) {
    auto r = read(MotionImage::of(16, 2, 3).bytes());
    ASSERT_TRUE(r.ok);
    r.track.setFirstChannel(16);
    std::ostringstream out;
    out.setstate(std::ios::badbit);
    EXPECT_FALSE(writeMotion(out, r.track, "abc"));
    CMotionTrack empty;
    std::ostringstream out2;
    EXPECT_FALSE(writeMotion(out2, empty, "abc"));
}
