#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "model/debug_output.h"
#include "model/led_file.h"

namespace rova {
namespace {

using ByteVec = std::vector<std::uint8_t>;

ByteVec written(const std::vector<std::uint8_t>& steps) {
    CLedTrack track;
    track.steps = steps;
    std::ostringstream out;
    EXPECT_TRUE(writeLed(out, track));
    const std::string s = out.str();
    return ByteVec(s.begin(), s.end());
}

// A file with the given events after the 22 header bytes (length field unused).
ByteVec ledImage(const ByteVec& events, std::uint8_t format = 0, std::uint8_t tracks = 1) {
    ByteVec b = {'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, format, 0, tracks, 0, 120, 'M', 'T', 'r', 'k', 0, 0, 0, 0};
    b.insert(b.end(), events.begin(), events.end());
    return b;
}

const ByteVec kEot = {0x00, 0xFF, 0x2F, 0x00};

ByteVec operator+(ByteVec a, const ByteVec& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

struct CaptureDebug {
    std::string text;
    DebugSink previous = setDebugSink([this](std::string_view s) { text += s; });
    ~CaptureDebug() { setDebugSink(previous); }
};

const ByteVec kHeaderAndMeta = {
    'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 0, 0, 1, 0, 0x78, 'M', 'T', 'r', 'k', 0, 0, 0, 0,
    0x00, 0xFF, 0x03, 0x08, 'R', 'o', 'v', 'a', 'E', 'd', 'i', 't',
    0x00, 0xFF, 0x58, 0x04, 0x04, 0x02, 0x18, 0x08, 0x00, 0xFF, 0x59, 0x02, 0x09, 0x00,
    0x00, 0xFF, 0x51, 0x03, 0x03, 0xD0, 0x90};

// The whole file the writer must produce for these events: header, meta
// events, the events, end of track, with the track length patched in.
ByteVec expectedFile(const ByteVec& events) {
    ByteVec file = kHeaderAndMeta + events + kEot;
    const std::size_t length = file.size() - 22;
    file[20] = static_cast<std::uint8_t>(length >> 8);
    file[21] = static_cast<std::uint8_t>(length & 0xFF);
    return file;
}

TEST(LedFile, WritesKnownTracksByteForByte) {
    const struct {
        const char* what;
        ByteVec steps;
        ByteVec events;
    } cases[] = {
        // The dark last step is not written: the notes go off where it starts.
        {"ends dark", {1, 1, 0},
         {0x00, 0x90, 0x48, 0x78, 0x00, 0x90, 0x40, 0x78, 0x3C, 0x90, 0x40, 0x00, 0x00, 0x90, 0x48, 0x00}},
        {"ends lit", {1, 1, 2},
         {0x00, 0x90, 0x48, 0x78, 0x00, 0x90, 0x40, 0x78, 0x3C, 0x90, 0x3C, 0x78, 0x00, 0x90, 0x40, 0x00,
          0x1E, 0x90, 0x3C, 0x00, 0x00, 0x90, 0x48, 0x00}},
        {"one dark step", {0}, {0x00, 0x90, 0x48, 0x78, 0x1E, 0x90, 0x48, 0x00}},
        {"all dark", {0, 0, 0}, {0x00, 0x90, 0x48, 0x78, 0x3C, 0x90, 0x48, 0x00}},
        {"empty: only header, meta events and end of track", {}, {}},
    };
    for (const auto& c : cases) EXPECT_EQ(written(c.steps), expectedFile(c.events)) << c.what;
    EXPECT_EQ(written({}).size(), 59u);
    EXPECT_EQ(written({1, 1, 0}).size(), 75u);  // the same events, the last one earlier
}

TEST(LedFile, SavedTracksReadBackAndStayStable) {
    auto darkWith = [](std::size_t n, std::initializer_list<std::pair<std::size_t, std::uint8_t>> lit) {
        ByteVec steps(n, 0);
        for (const auto& [i, v] : lit) steps[i] = v;
        return steps;
    };
    const struct {
        const char* what;
        ByteVec steps;
        bool gainsADarkStep;
    } cases[] = {
        {"ends dark", {1, 3, 0, 2, 0}, false},
        {"ends lit", {0, 0, 1, 1}, true},
        {"flash in the last step", {0, 0, 0, 3}, true},
        {"one lit step", {2}, true},
        {"one dark step", {0}, true},
        {"all dark", ByteVec(241, 0), false},
        {"dark steps before a dark end", {1, 0, 0, 0}, false},
        {"every state", {3, 2, 1, 0, 2, 2, 3}, true},
        {"empty", {}, false},
        // 547 dark steps are 16410 ticks = 0x401A: three bytes with a 0x80 middle byte.
        {"a gap of a three-byte delta", darkWith(548, {{0, 1}, {547, 2}}), true},
        {"a gap of over 2^21 ticks", darkWith(70000, {{69999, 1}}), true},
    };
    for (const auto& c : cases) {
        ByteVec expected = c.steps;
        if (c.gainsADarkStep) expected.push_back(0);
        CLedTrack back;
        ASSERT_TRUE(readLed(written(c.steps), back)) << c.what;
        EXPECT_EQ(back.steps, expected) << c.what;
        // Ten more save-and-reopen cycles change nothing.
        for (int cycle = 0; cycle < 10; ++cycle) {
            const ByteVec again = back.steps;
            ASSERT_TRUE(readLed(written(again), back)) << c.what;
        }
        EXPECT_EQ(back.steps, expected) << c.what;
        EXPECT_FALSE(back.isModified());
    }
}

TEST(LedFile, VariableLengthQuantitiesAreStandard) {
    const struct {
        std::uint32_t value;
        ByteVec bytes;
    } cases[] = {
        {0, {0x00}}, {0x7F, {0x7F}}, {0x80, {0x81, 0x00}}, {0x3FFF, {0xFF, 0x7F}},
        {0x4000, {0x81, 0x80, 0x00}}, {0x401A, {0x81, 0x80, 0x1A}}, {0x1FFFFF, {0xFF, 0xFF, 0x7F}},
        {0x200000, {0x81, 0x80, 0x80, 0x00}}, {0x0FFFFFFF, {0xFF, 0xFF, 0xFF, 0x7F}},
    };
    for (const auto& c : cases) {
        ByteVec out;
        EXPECT_TRUE(appendVarLength(out, c.value));
        EXPECT_EQ(out, c.bytes) << std::hex << c.value;
    }
    ByteVec out;
    EXPECT_FALSE(appendVarLength(out, 0x10000000));
    EXPECT_TRUE(out.empty());
}

TEST(LedFile, WritesOnlyTracksThatReadBackToAWorkingStream) {
    CLedTrack track;
    track.steps.assign(static_cast<std::size_t>(kMaxLedSteps) - 1, 0);
    track.steps.back() = 2;
    CLedTrack back;
    ASSERT_TRUE(readLed(written(track.steps), back));
    EXPECT_EQ(back.length(), kMaxLedSteps);
    EXPECT_EQ(back.steps[static_cast<std::size_t>(kMaxLedSteps) - 2], 2);

    // A dark last step costs nothing; a lit one would go off past the longest track.
    track.steps.push_back(0);
    ASSERT_TRUE(readLed(written(track.steps), back));
    EXPECT_EQ(back.length(), kMaxLedSteps);

    track.steps.back() = 1;
    std::ostringstream out;
    EXPECT_FALSE(writeLed(out, track));
    EXPECT_TRUE(out.str().empty());

    track.steps = {1};
    std::ostringstream failing;
    failing.setstate(std::ios::badbit);
    EXPECT_FALSE(writeLed(failing, track));
}

TEST(LedFile, EventRules) {
    const struct {
        const char* what;
        ByteVec events;
        ByteVec steps;
    } cases[] = {
        {"other channels lengthen without lighting",
         {0x00, 0x90, 0x40, 0x78, 0x5A, 0x91, 0x3C, 0x78}, {1, 1, 1, 1}},
        {"note-off status and velocity 0 both switch off",
         {0x00, 0x90, 0x40, 0x78, 0x00, 0x90, 0x3C, 0x78, 0x1E, 0x80, 0x40, 0x00, 0x1E, 0x90, 0x3C, 0x00},
         {3, 2, 0}},
        {"running status carries the note-on",
         {0x00, 0x90, 0x40, 0x78, 0x1E, 0x3C, 0x78, 0x1E, 0x40, 0x00}, {1, 3, 2}},
        {"same step: the last state wins", {0x00, 0x90, 0x40, 0x78, 0x0A, 0x90, 0x40, 0x00, 0x0A, 0x90, 0x3C, 0x01}, {2}},
        {"program change takes one data byte", {0x00, 0xC0, 0x05, 0x1E, 0x90, 0x40, 0x78}, {0, 1}},
        {"meta and sysex events between notes",
         {0x00, 0x90, 0x40, 0x78, 0x00, 0xFF, 0x01, 0x02, 'h', 'i', 0x00, 0xF0, 0x01, 0xF7, 0x3C, 0x90, 0x40, 0x00},
         {1, 1, 0}},
        {"a multi-byte delta with leading zero groups", {0x80, 0x80, 0x1E, 0x90, 0x3C, 0x78}, {0, 2}},
    };
    for (const auto& c : cases) {
        CLedTrack track;
        EXPECT_TRUE(readLed(ledImage(c.events + kEot), track)) << c.what;
        EXPECT_EQ(track.steps, c.steps) << c.what;
    }
}

TEST(LedFile, RejectsMalformedFiles) {
    const ByteVec note = {0x00, 0x90, 0x40, 0x78};
    const struct {
        const char* what;
        ByteVec file;
    } cases[] = {
        {"format 1", ledImage(note + kEot, 1)},
        {"two tracks", ledImage(note + kEot, 0, 2)},
        {"header length 7", [&] { ByteVec b = ledImage(note + kEot); b[7] = 7; return b; }()},
        {"no MTrk", [&] { ByteVec b = ledImage(note + kEot); b[14] = 'X'; return b; }()},
        {"shorter than a header", ByteVec{'M', 'T', 'h', 'd', 0, 0, 0, 6}},
        {"missing end of track", ledImage(note)},
        {"data byte without running status", ledImage(ByteVec{0x00, 0x40, 0x78} + kEot)},
        {"sysex clears running status", ledImage(note + ByteVec{0x00, 0xF0, 0x00, 0x00, 0x40, 0x00} + kEot)},
        {"undefined system status", ledImage(ByteVec{0x00, 0xF1, 0x00} + kEot)},
        {"event cut short", ledImage(ByteVec{0x00, 0x90, 0x40})},
        {"meta length past the end", ledImage(ByteVec{0x00, 0xFF, 0x2F, 0x05, 0x00})},
        {"delta beyond the longest track", ledImage(ByteVec{0xBF, 0xFF, 0xFF, 0x7F, 0x90, 0x40, 0x78} + kEot)},
        {"endless delta", ledImage(ByteVec(64, 0xFF))},
        {"deltas adding up beyond the longest track",
         [&] {
             ByteVec events;
             for (int i = 0; i < 2; ++i) events = events + ByteVec{0xA0, 0x80, 0x80, 0x00, 0xFF, 0x01, 0x00};
             return ledImage(events + note + kEot);
         }()},
    };
    for (const auto& c : cases) {
        CLedTrack track;
        track.steps = {1, 2};
        EXPECT_FALSE(readLed(c.file, track)) << c.what;
        EXPECT_TRUE(track.steps.empty()) << c.what;
    }
}

TEST(LedFile, MissingEndOfTrackGoesToTheDebugOutput) {
    CaptureDebug debug;
    CLedTrack track;
    EXPECT_FALSE(readLed(ledImage({0x00, 0x90, 0x40, 0x78}), track));
    EXPECT_EQ(debug.text, "Missing EOT\n");
}

}  // namespace
}  // namespace rova
