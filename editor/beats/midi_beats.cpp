// Beats of a MIDI file from its own tempo map and time signatures.
#include <algorithm>
#include <cmath>
#include <map>

#include "beats/beats.h"
#include "model/midi_file.h"

namespace rova::beats {
namespace {

constexpr std::uint32_t kDefaultTempo = 500000;  // µs a quarter note: 120 BPM

struct Metre {
    int numerator = 4;
    int denominatorPower = 2;  // 2^2 = quarter notes
};

struct TempoMap {
    std::uint64_t endTick = 0;
    std::multimap<std::uint64_t, std::uint32_t> tempos;  // by tick, in file order
    std::multimap<std::uint64_t, Metre> metres;
};

// Microseconds at a tick through the tempo map, walked forward in order.
class Clock {
public:
    Clock(const std::multimap<std::uint64_t, std::uint32_t>& tempos, std::uint32_t division)
        : m_division(division) {
        // Of several tempo events at one tick the last read counts.
        for (const auto& [tick, tempo] : tempos) {
            if (!m_changes.empty() && m_changes.back().tick == tick) m_changes.back().tempo = tempo;
            else m_changes.push_back({tick, tempo});
        }
    }
    // Ticks may be fractional (beats of a metre that does not divide the division); calls ascend.
    long double usAt(long double tick) {
        while (m_next < m_changes.size() && static_cast<long double>(m_changes[m_next].tick) <= tick) {
            const Change& c = m_changes[m_next++];
            m_baseUs += (static_cast<long double>(c.tick) - m_baseTick) * m_tempo / m_division;
            m_baseTick = static_cast<long double>(c.tick);
            m_tempo = c.tempo;
        }
        return m_baseUs + (tick - m_baseTick) * m_tempo / m_division;
    }

private:
    struct Change {
        std::uint64_t tick;
        std::uint32_t tempo;
    };
    std::vector<Change> m_changes;
    std::size_t m_next = 0;
    long double m_division;
    long double m_baseUs = 0, m_baseTick = 0;
    std::uint32_t m_tempo = kDefaultTempo;
};

// The tempo map of a Standard MIDI File counted in quarter notes; false for
// anything else (SMPTE time has no quarter notes to count beats by).
bool readTempoMap(Bytes b, std::uint32_t& division, TempoMap& map) {
    const std::optional<MidiHeader> header = readMidiHeader(b);
    if (!header || (header->division & 0x8000)) return false;
    division = header->division;
    return walkMidiTracks(
        b, *header,
        [&map](const MidiEvent& e) {
            // A tempo of 0 would stop the clock; it is ignored.
            if (const auto tempo = midiTempo(e); tempo && *tempo > 0) map.tempos.emplace(e.tick, *tempo);
            // Numerator 1..255, denominator up to 2^6 (64th notes); others are ignored.
            const Bytes p = e.data;
            if (e.status == kMidiMeta && e.metaType == kMidiMetaTimeSignature && p.size() >= 2 && p[0] > 0 &&
                p[1] <= 6)
                map.metres.emplace(e.tick, Metre{p[0], p[1]});
        },
        map.endTick);
}

}  // namespace

BeatGrid beatsFromMidi(Bytes b) {
    BeatGrid grid;
    std::uint32_t division = 0;
    TempoMap map;
    if (!readTempoMap(b, division, map)) return grid;

    // The metre from each time signature on; the last of one tick counts.
    // Some writers put the opening time signature a tick or so in: one before
    // the first beat's end is meant from the start (the music has no bar to
    // count before it), else a phantom beat and bar start would follow the first.
    std::vector<std::pair<std::uint64_t, Metre>> metres{{0, Metre{}}};
    for (const auto& [written, metre] : map.metres) {
        const std::uint64_t tick = written < division ? 0 : written;
        if (tick >= map.endTick && tick > 0) break;
        if (metres.back().first == tick) metres.back().second = metre;
        else metres.emplace_back(tick, metre);
    }

    Clock clock(map.tempos, division);
    std::vector<long double> times;  // ms, unrounded
    grid.source = BeatSource::Midi;
    grid.downbeatsKnown = true;
    for (std::size_t m = 0; m < metres.size(); ++m) {
        const auto [from, metre] = metres[m];
        const std::uint64_t to = m + 1 < metres.size() ? metres[m + 1].first : map.endTick;
        // A compound metre (6/8, 9/8, 12/8, ...) is felt in dotted beats of three units.
        const bool compound = metre.numerator % 3 == 0 && metre.numerator > 3 && metre.denominatorPower >= 3;
        const int unitsPerBeat = compound ? 3 : 1;
        const int beatsPerBar = compound ? metre.numerator / 3 : metre.numerator;
        const long double beatTicks =
            static_cast<long double>(division) * 4 * unitsPerBeat / static_cast<long double>(1u << metre.denominatorPower);
        for (std::uint64_t k = 0;; ++k) {
            const long double tick = static_cast<long double>(from) + static_cast<long double>(k) * beatTicks;
            if (tick >= static_cast<long double>(to) || times.size() >= kMaxBeats) break;
            const long double ms = clock.usAt(tick) / 1000;
            if (ms > static_cast<long double>(INT32_MAX)) break;
            times.push_back(ms);
            const int at = static_cast<int>(std::llround(ms));
            grid.beatsMs.push_back(at);
            if (k % static_cast<std::uint64_t>(beatsPerBar) == 0) grid.downbeatsMs.push_back(at);
        }
    }
    // Tempo: the median beat interval, unrounded, so a steady file gives its exact tempo.
    if (times.size() >= 2) {
        std::vector<long double> intervals;
        for (std::size_t i = 1; i < times.size(); ++i) intervals.push_back(times[i] - times[i - 1]);
        std::nth_element(intervals.begin(), intervals.begin() + static_cast<long>(intervals.size() / 2), intervals.end());
        const long double median = intervals[intervals.size() / 2];
        if (median > 0) grid.bpm = std::round(static_cast<double>(60000 / median) * 10) / 10;
    }
    return grid;
}

}  // namespace rova::beats
