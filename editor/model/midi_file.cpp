#include "midi_file.h"

#include <algorithm>
#include <limits>
#include <map>

namespace rova {
namespace {

constexpr std::uint32_t kHeaderId = 0x4d546864;  // "MThd"
constexpr std::uint32_t kTrackId = 0x4d54726b;   // "MTrk"
constexpr std::int64_t kMaxDurationMs = std::numeric_limits<std::int64_t>::max();

// A variable-length quantity of at most four bytes; false past the end.
bool readVarLen(Bytes b, std::size_t& pos, std::size_t end, std::uint32_t& out) {
    out = 0;
    for (int i = 0; i < 4; ++i) {
        if (pos >= end) return false;
        const std::uint8_t c = b[pos++];
        out = (out << 7) | (c & 0x7fu);
        if (!(c & 0x80)) return true;
    }
    return false;
}

bool walkTrack(Bytes b, std::size_t pos, std::size_t end, const std::function<void(const MidiEvent&)>& onEvent,
               std::uint64_t& endTick) {
    MidiEvent event;
    std::uint64_t tick = 0;
    std::uint8_t status = 0;
    while (pos < end) {
        std::uint32_t delta;
        if (!readVarLen(b, pos, end, delta)) return false;
        tick += delta;
        if (pos >= end) return false;
        const std::uint8_t first = b[pos];
        if (first & 0x80) {
            status = first;
            ++pos;
        } else if (status == 0 || status >= 0xf0) {
            return false;  // running status without a status to repeat
        }
        event.tick = tick;
        event.status = status;
        event.metaType = 0;
        if (status == kMidiMeta) {
            if (pos >= end) return false;
            event.metaType = b[pos++];
            std::uint32_t length;
            if (!readVarLen(b, pos, end, length) || length > end - pos) return false;
            event.data = b.subspan(pos, length);
            onEvent(event);
            pos += length;
            if (event.metaType == kMidiMetaEndOfTrack) break;
            status = 0;
        } else if (status == 0xf0 || status == 0xf7) {
            std::uint32_t length;
            if (!readVarLen(b, pos, end, length) || length > end - pos) return false;
            event.data = b.subspan(pos, length);
            onEvent(event);
            pos += length;
            status = 0;
        } else {
            const std::size_t data = (status & 0xf0) == 0xc0 || (status & 0xf0) == 0xd0 ? 1 : 2;
            if (data > end - pos) return false;
            event.data = b.subspan(pos, data);
            onEvent(event);
            pos += data;
        }
    }
    endTick = std::max(endTick, tick);
    return true;
}

}  // namespace

std::optional<MidiHeader> readMidiHeader(Bytes b) {
    if (b.size() < 14 || be32(b, 0) != kHeaderId) return std::nullopt;
    const std::uint32_t headerLength = be32(b, 4);
    if (headerLength < 6 || headerLength > b.size() - 8) return std::nullopt;
    MidiHeader header;
    header.tracks = be16(b, 10);
    header.division = be16(b, 12);
    if (header.division == 0) return std::nullopt;
    header.firstChunk = 8 + std::size_t{headerLength};
    return header;
}

bool walkMidiTracks(Bytes b, const MidiHeader& header, const std::function<void(const MidiEvent&)>& onEvent,
                    std::uint64_t& endTick) {
    std::size_t pos = std::min(header.firstChunk, b.size());
    std::uint32_t found = 0;
    while (found < header.tracks && b.size() - pos >= 8) {
        const std::uint32_t id = be32(b, pos);
        const std::uint32_t length = be32(b, pos + 4);
        pos += 8;
        // A track that claims more than is there is read as far as it goes.
        const std::size_t end = pos + std::min<std::size_t>(length, b.size() - pos);
        if (id == kTrackId) {
            if (!walkTrack(b, pos, end, onEvent, endTick)) return false;
            ++found;
        }
        pos = end;
    }
    return found > 0;
}

std::optional<std::int64_t> midiDurationMs(Bytes b) {
    const std::optional<MidiHeader> header = readMidiHeader(b);
    if (!header) return std::nullopt;
    const std::uint32_t division = header->division;
    std::uint64_t endTick = 0;
    std::multimap<std::uint64_t, std::uint32_t> tempos;
    const auto onEvent = [&tempos](const MidiEvent& e) {
        if (const auto tempo = midiTempo(e)) tempos.emplace(e.tick, *tempo);
    };
    if (!walkMidiTracks(b, *header, onEvent, endTick)) return std::nullopt;

    if (division & 0x8000) {
        // SMPTE: frames per second times ticks per frame, tempo plays no part.
        const int fps = -static_cast<std::int8_t>(division >> 8);
        const int perFrame = static_cast<int>(division & 0xff);
        if (fps <= 0 || perFrame == 0) return std::nullopt;
        const auto ticksPerSecond = static_cast<std::uint64_t>(fps) * static_cast<std::uint64_t>(perFrame);
        const std::uint64_t seconds = endTick / ticksPerSecond;
        if (seconds > static_cast<std::uint64_t>(kMaxDurationMs / 1000)) return kMaxDurationMs;
        return static_cast<std::int64_t>(seconds * 1000 + endTick % ticksPerSecond * 1000 / ticksPerSecond);
    }
    // Quarter notes: sum each stretch of ticks at the tempo in force.
    long double us = 0;
    std::uint64_t at = 0;
    std::uint32_t tempo = 500000;
    for (const auto& [tick, t] : tempos) {
        if (tick >= endTick) break;
        us += static_cast<long double>(tick - at) * tempo / division;
        at = tick;
        tempo = t;
    }
    us += static_cast<long double>(endTick - at) * tempo / division;
    // Millions of the longest pauses at the slowest tempo pass what milliseconds can count.
    const long double ms = us / 1000;
    return ms >= static_cast<long double>(kMaxDurationMs) ? kMaxDurationMs : static_cast<std::int64_t>(ms);
}

}  // namespace rova
