// Walking the events of a Standard MIDI File: the header chunk, then every
// "MTrk" chunk's events with absolute ticks. Interpreting them is the caller's,
// except for the music's length, which the tempo map alone decides.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>

#include "byte_io.h"

namespace rova {

inline constexpr std::uint8_t kMidiMeta = 0xff;
inline constexpr std::uint8_t kMidiMetaEndOfTrack = 0x2f;
inline constexpr std::uint8_t kMidiMetaTempo = 0x51;
inline constexpr std::uint8_t kMidiMetaTimeSignature = 0x58;

struct MidiHeader {
    std::uint32_t tracks = 0;    // tracks the header announces
    std::uint32_t division = 0;  // never 0; bit 15 set means SMPTE time
    std::size_t firstChunk = 0;  // offset of the chunk after the header
};

struct MidiEvent {
    std::uint64_t tick = 0;      // from the start of its track
    std::uint8_t status = 0;     // running status resolved; 0xff meta, 0xf0/0xf7 system exclusive
    std::uint8_t metaType = 0;   // meta events only
    Bytes data;                  // meta or system exclusive payload, else the message's data bytes
};

// The microseconds a quarter note of a tempo meta event (three payload bytes); nothing for other events.
inline std::optional<std::uint32_t> midiTempo(const MidiEvent& e) {
    if (e.status != kMidiMeta || e.metaType != kMidiMetaTempo || e.data.size() != 3) return std::nullopt;
    return (std::uint32_t{e.data[0]} << 16) | (std::uint32_t{e.data[1]} << 8) | std::uint32_t{e.data[2]};
}

// The header of a Standard MIDI File; nothing for anything else, or a division of 0.
std::optional<MidiHeader> readMidiHeader(Bytes file);

// Walks the events of up to header.tracks "MTrk" chunks (chunks of other kinds
// are skipped; a chunk that claims more than is there is read as far as it
// goes; a track stops at its end-of-track event). False when an event is
// malformed or no track was found; events already reported are then void.
// endTick is the latest tick any track reached.
bool walkMidiTracks(Bytes file, const MidiHeader& header, const std::function<void(const MidiEvent&)>& onEvent,
                    std::uint64_t& endTick);

// Milliseconds from the start to the last event of the longest track, with the
// tempo changes of every track applied, at most the largest std::int64_t; none
// when the file is no Standard MIDI File.
std::optional<std::int64_t> midiDurationMs(Bytes file);

}  // namespace rova
