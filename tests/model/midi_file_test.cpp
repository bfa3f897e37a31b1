#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "model/midi_file.h"

namespace rova {
namespace {

using ByteVec = std::vector<std::uint8_t>;

// A file of the given track bodies, each in an MTrk chunk of its true length.
ByteVec midiFile(const std::vector<ByteVec>& tracks, std::uint16_t division = 96) {
    ByteVec b = {'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 1, 0, static_cast<std::uint8_t>(tracks.size()),
                 static_cast<std::uint8_t>(division >> 8), static_cast<std::uint8_t>(division)};
    for (const ByteVec& t : tracks) {
        const auto n = static_cast<std::uint32_t>(t.size());
        b.insert(b.end(), {'M', 'T', 'r', 'k', static_cast<std::uint8_t>(n >> 24), static_cast<std::uint8_t>(n >> 16),
                           static_cast<std::uint8_t>(n >> 8), static_cast<std::uint8_t>(n)});
        b.insert(b.end(), t.begin(), t.end());
    }
    return b;
}

struct Walk {
    bool ok = false;
    std::uint64_t endTick = 0;
    std::vector<MidiEvent> events;
    std::vector<ByteVec> data;  // copies: the spans point into the file
};

Walk walk(const ByteVec& file) {
    Walk w;
    const auto header = readMidiHeader(file);
    if (!header) return w;
    w.ok = walkMidiTracks(
        file, *header,
        [&w](const MidiEvent& e) {
            w.events.push_back(e);
            w.data.emplace_back(e.data.begin(), e.data.end());
        },
        w.endTick);
    return w;
}

TEST(MidiFile, EventsWithAbsoluteTicksRunningStatusAndMeta) {
    const ByteVec track = {
        0x00, 0xff, 0x51, 0x03, 0x07, 0xa1, 0x20,  // tempo 500000
        0x60, 0x90, 0x3c, 0x40,                    // note on at 96
        0x10, 0x3e, 0x40,                          // running status at 112
        0x81, 0x00, 0xc0, 0x05,                    // program change (one data byte) at 240
        0x00, 0xf0, 0x02, 0x7e, 0xf7,              // system exclusive
        0x05, 0xff, 0x2f, 0x00,                    // end of track at 245
        0x00, 0x90, 0x40, 0x40,                    // after the end: not read
    };
    const ByteVec file = midiFile({track, {0x83, 0x60, 0xff, 0x2f, 0x00}});  // outlives the events' spans
    const Walk w = walk(file);
    ASSERT_TRUE(w.ok);
    EXPECT_EQ(w.endTick, 480u);  // the longer track
    ASSERT_EQ(w.events.size(), 7u);
    EXPECT_EQ(midiTempo(w.events[0]), 500000u);
    EXPECT_EQ(w.events[1].tick, 96u);
    EXPECT_EQ(w.events[2].status, 0x90);
    EXPECT_EQ(w.events[2].tick, 112u);
    EXPECT_EQ(w.data[2], (ByteVec{0x3e, 0x40}));
    EXPECT_EQ(w.events[3].tick, 240u);
    EXPECT_EQ(w.data[3], ByteVec{0x05});
    EXPECT_EQ(w.events[4].status, 0xf0);
    EXPECT_EQ(w.data[4], (ByteVec{0x7e, 0xf7}));
    EXPECT_EQ(w.events[5].metaType, kMidiMetaEndOfTrack);
    EXPECT_EQ(w.events[5].tick, 245u);
    EXPECT_FALSE(midiTempo(w.events[1]));
    EXPECT_EQ(w.events[6].tick, 480u);
}

TEST(MidiFile, MalformedAndTruncatedInputIsRefused) {
    struct Case {
        const char* name;
        ByteVec track;
    };
    const Case cases[] = {
        {"running status with none to repeat", {0x00, 0x3c, 0x40}},
        {"running status after a meta event", {0x00, 0xff, 0x01, 0x00, 0x00, 0x3c, 0x40}},
        {"delta of five bytes", {0x81, 0x81, 0x81, 0x81, 0x01, 0xff, 0x2f, 0x00}},
        {"delta cut off", {0x81}},
        {"event missing after its delta", {0x00}},
        {"note missing its second data byte", {0x00, 0x90, 0x3c}},
        {"meta type missing", {0x00, 0xff}},
        {"meta payload longer than the track", {0x00, 0xff, 0x01, 0x05, 'a', 'b'}},
        {"system exclusive longer than the track", {0x00, 0xf0, 0x7f, 0x00}},
    };
    for (const Case& c : cases) EXPECT_FALSE(walk(midiFile({c.track})).ok) << c.name;
}

TEST(MidiFile, HeaderAndChunksAreChecked) {
    const ByteVec good = midiFile({{0x00, 0xff, 0x2f, 0x00}});
    EXPECT_TRUE(walk(good).ok);
    ByteVec badId = good;
    badId[3] = 'x';
    EXPECT_FALSE(readMidiHeader(badId));
    ByteVec shortHeader = good;
    shortHeader[7] = 5;
    EXPECT_FALSE(readMidiHeader(shortHeader));
    ByteVec longHeader = good;
    longHeader[7] = 0xff;  // past the end of the file
    EXPECT_FALSE(readMidiHeader(longHeader));
    EXPECT_FALSE(readMidiHeader(midiFile({}, 0)));  // division 0
    EXPECT_FALSE(readMidiHeader(ByteVec(good.begin(), good.begin() + 13)));
    EXPECT_FALSE(walk(midiFile({})).ok);  // no track

    // Chunks of other kinds are skipped; a track that claims more than is there is read as far as it goes.
    ByteVec other = midiFile({{0x00, 0xff, 0x2f, 0x00}});
    other[14 + 3] = 'x';
    other.insert(other.end(), {'M', 'T', 'r', 'k', 0, 0, 0x10, 0, 0x20, 0x90, 0x3c, 0x40});
    const Walk w = walk(other);
    ASSERT_TRUE(w.ok);
    ASSERT_EQ(w.events.size(), 1u);
    EXPECT_EQ(w.endTick, 0x20u);
}

}  // namespace
}  // namespace rova
