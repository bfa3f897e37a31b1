// Beats of an 8000 Hz sound. aubio's phase vocoder gives the spectrum; the
// stages in beat_tracker.h turn it into an onset envelope, a tempo path over
// the whole song, beats along that path, the metre and the downbeats, and a
// confidence. Quiet stretches get no beats.
#include "beats/beats.h"

#include <aubio/aubio.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <numbers>

#include "beats/beat_tracker.h"

namespace rova::beats {
namespace {

constexpr int kRate = 8000;
constexpr int kHop = 64;      // 8 ms a frame of the envelope
constexpr int kWindow = 256;  // 32 ms of spectrum
constexpr double kFrameMs = tracker::kFrameMs;
static_assert(kFrameMs == 1000.0 * kHop / kRate);
// The bins below 200 Hz (31.25 Hz apart) hold the kick drum and the bass.
constexpr std::size_t kLowBins = 7;
// Where, from a frame's index, the onset lies that makes it peak: measured on clicks.
constexpr double kOnsetDelayMs = 18.0;
// The shortest sound with a pulse to find: four beats at 40 BPM.
constexpr double kShortestMs = 4 * 60000.0 / 40.0;
// A beat whose surroundings are this far below the sound's loud level is in a quiet stretch.
constexpr double kQuietRatio = 0.03;  // -30 dB
// Loudness is judged over 96 ms around each frame (six frames either side).
constexpr std::size_t kLevelHalfFrames = 6;
// The loud level: near the top, as a slow pulse is loud only briefly each
// beat; the 99.5th percentile, so a single crash does not set it.
constexpr std::size_t kLoudPerMille = 995;
// A sound at the 8-bit floor has no pulse.
constexpr double kSilentLevel = 1e-5;
// Below this confidence there is no steady beat to show: the grid is empty.
constexpr double kNoPulseConfidence = 0.15;
// Intervals within 10 % of the median are averaged into the tempo, so that
// millisecond rounding cancels out.
constexpr double kTempoBand = 0.1;

template <auto Delete>
struct Deleter {
    template <typename T>
    void operator()(T* p) const {
        Delete(p);
    }
};
template <typename T, auto Delete>
using Owned = std::unique_ptr<T, Deleter<Delete>>;

// The spectrum of every frame summed into log-spaced bands, and each frame's loudness.
tracker::BandFrames spectrumBands(Bytes samples, const CancelFlag& cancel) {
    tracker::BandFrames out;
    Owned<aubio_pvoc_t, del_aubio_pvoc> pvoc(new_aubio_pvoc(kWindow, kHop));
    Owned<fvec_t, del_fvec> in(new_fvec(kHop));
    Owned<cvec_t, del_cvec> grain(new_cvec(kWindow));
    if (!pvoc || !in || !grain) return out;
    const std::vector<std::size_t> edges = tracker::bandEdges(grain->length);
    if (edges.size() < 2) return out;
    out.bands = edges.size() - 1;
    const std::size_t frames = samples.size() / kHop;
    out.energy.reserve(frames * out.bands);
    out.level.reserve(frames);
    for (std::size_t f = 0; f < frames; ++f) {
        if (cancel) return {};
        double energy = 0;
        for (std::size_t i = 0; i < kHop; ++i) {
            const float v = (samples[f * kHop + i] - 128) / 128.0f;
            in->data[i] = v;
            energy += static_cast<double>(v) * v;
        }
        aubio_pvoc_do(pvoc.get(), in.get(), grain.get());
        for (std::size_t b = 0; b + 1 < edges.size(); ++b) {
            float sum = 0;
            for (std::size_t k = edges[b]; k < edges[b + 1]; ++k) sum += grain->norm[k];
            out.energy.push_back(std::isfinite(sum) ? sum : 0.0f);
        }
        out.level.push_back(static_cast<float>(energy / kHop));
    }
    return out;
}

// The pitch classes from each point (an envelope frame) to the next, summing
// to 1: magnitude spectra of 128 ms (7.8 Hz a bin, fine enough for semitones
// above about 130 Hz) every step samples from skip samples after the point
// (or from a spectrum's length before the next, when nearer), each bin
// between 130 Hz and 2 kHz added to its pitch class. The last point's span
// is one spectrum long.
class ChromaReader {
public:
    explicit ChromaReader(Bytes samples) : samples_(samples) {
        if (!fft_ || !in_ || !spectrum_ || samples.size() < kSize) return;
        pitchClass_.assign(spectrum_->length, -1);
        for (std::size_t k = 0; k < spectrum_->length; ++k) {
            const double hz = static_cast<double>(k) * kRate / kSize;
            if (hz < kLowHz || hz > kHighHz) continue;
            pitchClass_[k] = static_cast<int>(std::lround(12 * std::log2(hz / 440.0)) % 12 + 12 + 9) % 12;  // A is 9 above C
        }
        // A Hann window, so a neighbouring chord's edge does not smear across the bins.
        window_.resize(kSize);
        for (std::size_t j = 0; j < kSize; ++j)
            window_[j] = static_cast<float>(0.5 - 0.5 * std::cos(2 * std::numbers::pi * static_cast<double>(j) / kSize));
    }

    std::vector<tracker::Chroma> spans(const std::vector<double>& points, double step, const CancelFlag& cancel, double skip = 0) {
        std::vector<tracker::Chroma> chroma;
        if (window_.empty()) return chroma;
        const double onsetSamples = (kOnsetDelayMs - kFrameMs) * kRate / 1000;
        const long last = static_cast<long>(samples_.size() - kSize);
        for (std::size_t i = 0; i < points.size(); ++i) {
            if (cancel) return {};
            const double from = points[i] * kHop - onsetSamples;
            const double to = i + 1 < points.size() ? points[i + 1] * kHop - onsetSamples : from + kSize;
            tracker::Chroma c{};
            for (double at = std::min(from + skip, std::max(from, to - kSize)); at < std::max(to - kSize / 2.0, from + 1); at += step) {
                const auto start = static_cast<std::size_t>(std::clamp(std::lround(at), 0L, last));
                for (std::size_t j = 0; j < kSize; ++j)
                    in_->data[j] = window_[j] * static_cast<float>(samples_[start + j] - 128) / 128.0f;
                aubio_fft_do(fft_.get(), in_.get(), spectrum_.get());
                for (std::size_t k = 0; k < spectrum_->length; ++k)
                    if (pitchClass_[k] >= 0) c[static_cast<std::size_t>(pitchClass_[k])] += spectrum_->norm[k];
            }
            float total = 0;
            for (float v : c) total += v;
            if (total > 0)
                for (float& v : c) v /= total;
            chroma.push_back(c);
        }
        return chroma;
    }

private:
    static constexpr std::size_t kSize = 1024;
    static constexpr double kLowHz = 130, kHighHz = 2000;
    Bytes samples_;
    Owned<aubio_fft_t, del_aubio_fft> fft_{new_aubio_fft(kSize)};
    Owned<fvec_t, del_fvec> in_{new_fvec(kSize)};
    Owned<cvec_t, del_cvec> spectrum_{new_cvec(kSize)};
    std::vector<int> pitchClass_;
    std::vector<float> window_;
};
// Half beats are read every 64 ms; whole beats, for the bar, every 128 ms are enough.
constexpr double kHalfBeatStep = 512, kBeatStep = 1024;
// A beat's pitch classes are read from 64 ms after it: a drum's attack has
// passed, a chord still sounds. (Read from the beat, a tuned snare on two and
// four looked like chords changing there.)
constexpr double kAttackSkip = 512;

// Loudness around each frame (mean squared sample over kLevelHalfFrames either side).
std::vector<float> localLevels(const std::vector<float>& level) {
    const std::size_t n = level.size();
    std::vector<double> sum(n + 1, 0);
    for (std::size_t i = 0; i < n; ++i) sum[i + 1] = sum[i] + level[i];
    std::vector<float> local(n);
    for (std::size_t i = 0; i < n; ++i) {
        const std::size_t a = i > kLevelHalfFrames ? i - kLevelHalfFrames : 0, b = std::min(n, i + kLevelHalfFrames + 1);
        local[i] = static_cast<float>((sum[b] - sum[a]) / static_cast<double>(b - a));
    }
    return local;
}

// The tempo of a list of beats: the intervals near their median, averaged.
double tempoOf(const std::vector<int>& beatsMs) {
    if (beatsMs.size() < 2) return 0;
    std::vector<double> intervals;
    for (std::size_t i = 1; i < beatsMs.size(); ++i) intervals.push_back(beatsMs[i] - beatsMs[i - 1]);
    std::vector<double> sorted = intervals;
    std::nth_element(sorted.begin(), sorted.begin() + static_cast<long>(sorted.size() / 2), sorted.end());
    const double median = sorted[sorted.size() / 2];
    double total = 0;
    int count = 0;
    for (double d : intervals)
        if (std::abs(d - median) <= kTempoBand * median) {
            total += d;
            ++count;
        }
    const double interval = count > 0 ? total / count : median;
    return interval > 0 ? std::round(600000.0 / interval) / 10 : 0;
}

}  // namespace

BeatGrid beatsFromSamples(Bytes samples, const CancelFlag& cancel) {
    BeatGrid grid;
    grid.source = BeatSource::Audio;
    grid.confidence = 0;
    if (static_cast<double>(samples.size()) < kShortestMs * kRate / 1000) return grid;
    const tracker::Stop stop = [&cancel] { return cancel.load(std::memory_order_relaxed); };
    const tracker::BandFrames frames = spectrumBands(samples, cancel);
    const std::size_t n = frames.frames();
    if (n == 0 || cancel) return grid;

    const std::vector<float> local = localLevels(frames.level);
    std::vector<float> sorted = local;
    const std::size_t loudAt = n * kLoudPerMille / 1000;
    std::nth_element(sorted.begin(), sorted.begin() + static_cast<long>(loudAt), sorted.end());
    const double loud = sorted[loudAt];
    if (loud < kSilentLevel) return grid;
    const double quiet = loud * kQuietRatio * kQuietRatio;  // levels are squared

    const std::size_t lowBands = tracker::lowBandCount(tracker::bandEdges(static_cast<std::size_t>(kWindow / 2 + 1)), kLowBins);
    const tracker::Envelope env = tracker::onsetEnvelope(frames, lowBands, stop);
    if (cancel) return grid;
    const tracker::Tempogram gram = tracker::tempogram(env.onset, stop);
    if (cancel || gram.windows() == 0) return grid;
    const std::vector<double> path = tracker::decodeTempoPath(gram, stop);
    if (cancel) return grid;
    const std::vector<bool> loudWindow = tracker::loudWindows(gram, local, quiet);
    grid.confidence = tracker::pulseConfidence(gram, path, loudWindow);
    if (grid.confidence < kNoPulseConfidence) return grid;
    ChromaReader chroma(samples);
    auto beatsAlong = [&](const std::vector<double>& tempoPath, tracker::Metre& metre) {
        std::vector<double> beats = tracker::trackBeats(env, tracker::periodPerFrame(gram, tempoPath, n, stop), stop);
        if (beats.size() >= 2) {
            std::vector<double> halves;
            for (std::size_t i = 0; i + 1 < beats.size(); ++i) halves.push_back(beats[i]), halves.push_back((beats[i] + beats[i + 1]) / 2);
            halves.push_back(beats.back());
            std::vector<tracker::Chroma> halfChroma = chroma.spans(halves, kHalfBeatStep, cancel);
            if (!halfChroma.empty()) {
                halfChroma.pop_back();  // the last point's span runs past the beats
                beats = tracker::alignToHarmony(beats, halfChroma);
            }
        }
        // Beats in quiet stretches go, and any moved past the sound's end.
        std::erase_if(beats, [&](double frame) {
            return frame > static_cast<double>(n - 1) ||
                   local[static_cast<std::size_t>(std::clamp(std::lround(frame), 0L, static_cast<long>(n - 1)))] < quiet;
        });
        metre = tracker::estimateMetre(frames, env, beats, lowBands, stop, chroma.spans(beats, kBeatStep, cancel, kAttackSkip));
        return beats;
    };
    tracker::Metre metre;
    std::vector<double> beats = beatsAlong(path, metre);
    if (cancel) return grid;
    std::vector<double> tempo = path;
    auto retrackAt = [&](double factor) {
        for (double& bpm : tempo) bpm *= factor;
        beats = beatsAlong(tempo, metre);
    };
    if (tracker::barOfThreeCountedInTwo(env, beats, metre)) {
        retrackAt(1.5);
        if (cancel) return grid;
    }
    // Beats between a triplet's notes are no beats of the music: its beat is
    // two of them. Twice that tempo is then known wrong, so not doubted.
    if (tracker::beatsBetweenTriplets(env, beats)) {
        retrackAt(0.5);
        if (cancel) return grid;
    } else {
        // A pulse found clearly but nearly as well at twice its tempo is shown as
        // unsure: the user is asked to check it (Half, Double) rather than told it.
        const double octave = tracker::octaveSureness(gram, tempo, loudWindow, kUnsureConfidence);
        grid.confidence = std::min(grid.confidence, octave);
        grid.mayBeTwiceAsFast = octave < kUnsureConfidence;
    }
    std::vector<bool> downbeat;
    for (std::size_t i = 0; i < beats.size() && grid.beatsMs.size() < kMaxBeats; ++i) {
        long ms = std::lround(beats[i] * kFrameMs + kFrameMs - kOnsetDelayMs);
        // An onset in the very first frames is a beat at the start.
        if (ms < 0 && ms > -static_cast<long>(kOnsetDelayMs)) ms = 0;
        if (ms < 0 || (!grid.beatsMs.empty() && ms <= grid.beatsMs.back())) continue;
        grid.beatsMs.push_back(static_cast<int>(ms));
        if (std::binary_search(metre.downbeats.begin(), metre.downbeats.end(), i)) grid.downbeatsMs.push_back(static_cast<int>(ms));
    }
    if (grid.beatsMs.size() < 2) {
        // A lone beat (the rest fell in quiet stretches) has no tempo: no steady beat.
        BeatGrid none;
        none.source = BeatSource::Audio;
        none.confidence = 0;
        return none;
    }
    grid.bpm = tempoOf(grid.beatsMs);
    grid.beatsPerBar = metre.beatsPerBar;
    grid.downbeatsKnown = !grid.downbeatsMs.empty();
    if (!grid.downbeatsKnown) grid.downbeatsMs.clear();
    return grid;
}

}  // namespace rova::beats
