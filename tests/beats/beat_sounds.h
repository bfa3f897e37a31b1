// Sounds with a known pulse for the beat tests: click tracks and drum
// patterns synthesised at 8000 Hz 8-bit, and Standard MIDI Files built from
// tempo and time-signature events.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <random>
#include <vector>

namespace rova::test {

enum class Pattern { Clicks, Drums, Rock };

struct PulseSound {
    std::vector<std::uint8_t> samples;  // 8000 Hz unsigned 8-bit
    std::vector<double> beatsMs;        // the true beats
};

// A steady 4/4 pulse at bpm for seconds, starting after introSeconds of a
// quiet pad and noise (-40 dB and below).
inline PulseSound pulseSound(Pattern pattern, double bpm, double seconds, double introSeconds, unsigned seed) {
    constexpr double kPi = 3.14159265358979323846;
    const auto n = static_cast<std::size_t>(seconds * 8000);
    std::vector<float> x(n, 0.0f);
    std::mt19937 rng(seed);
    std::normal_distribution<float> noise(0, 1);
    const double beat = 60.0 / bpm;
    PulseSound sound;
    auto add = [&](double at, double length, auto&& f) {
        const auto from = static_cast<std::size_t>(at * 8000);
        for (std::size_t i = 0; i < static_cast<std::size_t>(length * 8000) && from + i < n; ++i)
            x[from + i] += static_cast<float>(f(static_cast<double>(i) / 8000));
    };
    for (int b = 0;; ++b) {
        const double t = introSeconds + b * beat;
        if (t >= seconds) break;
        sound.beatsMs.push_back(t * 1000);
        switch (pattern) {
        case Pattern::Clicks:
            add(t, 0.03, [&](double s) { return (b % 4 == 0 ? 0.8 : 0.5) * std::sin(2 * kPi * 1000 * s) * std::exp(-s * 150); });
            break;
        case Pattern::Drums:
        case Pattern::Rock:
            if (b % 2 == 0)
                add(t, 0.2, [&](double s) {
                    return 0.8 * std::sin(2 * kPi * (55 + 90 * std::exp(-s * 30)) * s) * std::exp(-s * 12);
                });
            else
                add(t, 0.15, [&](double s) {
                    return 0.35 * noise(rng) * std::exp(-s * 25) + 0.3 * std::sin(2 * kPi * 190 * s) * std::exp(-s * 20);
                });
            for (int h = 0; h < 2; ++h)
                add(t + h * beat / 2, 0.05, [&](double s) { return 0.12 * noise(rng) * std::exp(-s * 80); });
            if (pattern == Pattern::Rock) {
                // A bass line in eighths and a sustained chord, as a band plays under the drums.
                const double f = b % 8 < 4 ? 55.0 : 73.4;
                for (int h = 0; h < 2; ++h)
                    add(t + h * beat / 2, beat / 2, [&](double s) { return 0.25 * std::sin(2 * kPi * f * s) * std::exp(-s * 4); });
                add(t, beat, [&](double s) {
                    return 0.05 * (std::sin(2 * kPi * 261.6 * s) + std::sin(2 * kPi * 329.6 * s) + std::sin(2 * kPi * 392 * s));
                });
            }
            break;
        }
    }
    for (std::size_t i = 0; i < static_cast<std::size_t>(introSeconds * 8000) && i < n; ++i)
        x[i] += 0.004f * noise(rng) + 0.008f * static_cast<float>(std::sin(2 * kPi * 220 * static_cast<double>(i) / 8000));
    sound.samples.resize(n);
    for (std::size_t i = 0; i < n; ++i)
        sound.samples[i] = static_cast<std::uint8_t>(std::clamp<long>(std::lround(x[i] * 127 + 128), 0, 255));
    return sound;
}

// Share of detected beats at or after fromMs that lie within toleranceMs of a true beat.
inline double hitRate(const std::vector<int>& detected, const std::vector<double>& truth, double fromMs,
                      double toleranceMs = 20) {
    int counted = 0, hits = 0;
    for (int d : detected) {
        if (d < fromMs) continue;
        ++counted;
        const auto it = std::lower_bound(truth.begin(), truth.end(), static_cast<double>(d));
        double best = 1e9;
        if (it != truth.end()) best = std::min(best, std::abs(*it - d));
        if (it != truth.begin()) best = std::min(best, std::abs(*(it - 1) - d));
        if (best <= toleranceMs) ++hits;
    }
    return counted == 0 ? 0.0 : static_cast<double>(hits) / counted;
}

// A Standard MIDI File, format 1, built event by event.
class MidiBuilder {
public:
    explicit MidiBuilder(int division) : m_division(division) {}
    // Events are given by absolute tick, in order, on the current track.
    MidiBuilder& tempo(std::uint32_t tick, std::uint32_t usPerQuarter) {
        return meta(tick, 0x51, {static_cast<std::uint8_t>(usPerQuarter >> 16), static_cast<std::uint8_t>(usPerQuarter >> 8),
                                 static_cast<std::uint8_t>(usPerQuarter)});
    }
    MidiBuilder& timeSignature(std::uint32_t tick, int numerator, int denominatorPower) {
        return meta(tick, 0x58, {static_cast<std::uint8_t>(numerator), static_cast<std::uint8_t>(denominatorPower), 24, 8});
    }
    MidiBuilder& note(std::uint32_t tick, std::uint32_t length) {
        event(tick, {0x90, 60, 100});
        return event(tick + length, {0x80, 60, 0});
    }
    MidiBuilder& endTrack(std::uint32_t tick) {
        meta(tick, 0x2f, {});
        m_tracks.push_back(m_track);
        m_track.clear();
        m_last = 0;
        return *this;
    }
    std::vector<std::uint8_t> bytes() const {
        std::vector<std::uint8_t> b = {'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 1};
        be(b, static_cast<std::uint32_t>(m_tracks.size()), 2);
        be(b, static_cast<std::uint32_t>(m_division), 2);
        for (const auto& t : m_tracks) {
            b.insert(b.end(), {'M', 'T', 'r', 'k'});
            be(b, static_cast<std::uint32_t>(t.size()), 4);
            b.insert(b.end(), t.begin(), t.end());
        }
        return b;
    }

private:
    static void be(std::vector<std::uint8_t>& b, std::uint32_t v, int n) {
        for (int i = n - 1; i >= 0; --i) b.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
    }
    void delta(std::uint32_t tick) {
        std::uint32_t d = tick - m_last;
        m_last = tick;
        std::uint8_t buf[5];
        int k = 0;
        buf[k++] = d & 0x7f;
        while (d >>= 7) buf[k++] = static_cast<std::uint8_t>(0x80 | (d & 0x7f));
        while (k > 0) m_track.push_back(buf[--k]);
    }
    MidiBuilder& meta(std::uint32_t tick, std::uint8_t type, std::vector<std::uint8_t> data) {
        delta(tick);
        m_track.insert(m_track.end(), {0xff, type, static_cast<std::uint8_t>(data.size())});
        m_track.insert(m_track.end(), data.begin(), data.end());
        return *this;
    }
    MidiBuilder& event(std::uint32_t tick, std::vector<std::uint8_t> data) {
        delta(tick);
        m_track.insert(m_track.end(), data.begin(), data.end());
        return *this;
    }
    int m_division;
    std::uint32_t m_last = 0;
    std::vector<std::uint8_t> m_track;
    std::vector<std::vector<std::uint8_t>> m_tracks;
};

}  // namespace rova::test
