// Beats of an 8000 Hz sound. The beat tracker's tempo is checked against the
// autocorrelation of an onset envelope (which settles doubled and halved
// tempos) and refined there; the beats are then placed on the envelope's
// onsets by dynamic programming, which follows the tempo as it drifts.
#include <aubio/aubio.h>

#include <algorithm>
#include <cmath>
#include <numeric>

#include "beats/beats.h"

namespace rova::beats {
namespace {

constexpr int kRate = 8000;
constexpr int kHop = 64;      // 8 ms a frame of the envelope
constexpr int kWindow = 256;  // 32 ms of spectrum
constexpr double kFrameMs = 1000.0 * kHop / kRate;
// Where, from a frame's index, the onset lies that makes it peak: measured on clicks.
constexpr double kOnsetDelayMs = 18.0;
constexpr double kMinTrackedBpm = 40.0, kMaxTrackedBpm = 240.0;
// How much a beat may be stretched or squeezed against the tempo, as in
// tempo-constrained beat tracking: larger keeps the beats more even.
constexpr double kTightness = 100.0;
// A beat whose surroundings are this far below the sound's loud level is in a quiet stretch.
constexpr double kQuietRatio = 0.03;  // -30 dB

template <typename T, void (*Del)(T*)>
struct Owned {
    T* p;
    explicit Owned(T* q) : p(q) {}
    ~Owned() {
        if (p) Del(p);
    }
    Owned(const Owned&) = delete;
    Owned& operator=(const Owned&) = delete;
};

// The tracker's own beats give the first guess of the period, in frames;
// the first minute and a half is enough for a guess, which the whole sound's
// autocorrelation then checks.
constexpr std::size_t kGuessSamples = 90 * kRate;

double trackerPeriod(Bytes samples, const CancelFlag& cancel) {
    samples = samples.first(std::min(samples.size(), kGuessSamples));
    Owned<aubio_tempo_t, del_aubio_tempo> tempo(new_aubio_tempo("default", kWindow, kHop, kRate));
    Owned<fvec_t, del_fvec> in(new_fvec(kHop)), out(new_fvec(1));
    if (!tempo.p || !in.p || !out.p) return 0;
    std::vector<double> beats;
    for (std::size_t at = 0; at + kHop <= samples.size(); at += kHop) {
        if (cancel) return 0;
        for (int i = 0; i < kHop; ++i) in.p->data[i] = (samples[at + static_cast<std::size_t>(i)] - 128) / 128.0f;
        const uint_t before = aubio_tempo_get_last(tempo.p);
        aubio_tempo_do(tempo.p, in.p, out.p);
        if (aubio_tempo_get_last(tempo.p) != before) beats.push_back(aubio_tempo_get_last_ms(tempo.p));
    }
    std::vector<double> intervals;
    for (std::size_t i = 1; i < beats.size(); ++i) intervals.push_back(beats[i] - beats[i - 1]);
    if (intervals.empty()) return 0;
    std::nth_element(intervals.begin(), intervals.begin() + static_cast<long>(intervals.size() / 2), intervals.end());
    return intervals[intervals.size() / 2] / kFrameMs;
}

// Spectral flux a frame, and the loudness of each frame.
void envelope(Bytes samples, std::vector<float>& flux, std::vector<float>& level, const CancelFlag& cancel) {
    Owned<aubio_pvoc_t, del_aubio_pvoc> pvoc(new_aubio_pvoc(kWindow, kHop));
    Owned<aubio_specdesc_t, del_aubio_specdesc> desc(new_aubio_specdesc("specflux", kWindow));
    Owned<fvec_t, del_fvec> in(new_fvec(kHop)), out(new_fvec(1));
    Owned<cvec_t, del_cvec> grain(new_cvec(kWindow));
    if (!pvoc.p || !desc.p || !in.p || !out.p || !grain.p) return;
    const std::size_t frames = samples.size() / kHop;
    flux.reserve(frames);
    level.reserve(frames);
    for (std::size_t f = 0; f < frames; ++f) {
        if (cancel) return;
        double energy = 0;
        for (int i = 0; i < kHop; ++i) {
            const float v = (samples[f * kHop + static_cast<std::size_t>(i)] - 128) / 128.0f;
            in.p->data[i] = v;
            energy += static_cast<double>(v) * v;
        }
        aubio_pvoc_do(pvoc.p, in.p, grain.p);
        aubio_specdesc_do(desc.p, grain.p, out.p);
        flux.push_back(std::isfinite(out.p->data[0]) ? out.p->data[0] : 0.0f);
        level.push_back(static_cast<float>(energy / kHop));
    }
}

std::vector<double> autocorrelation(const std::vector<float>& x, int maxLag, const CancelFlag& cancel) {
    const double mean = std::accumulate(x.begin(), x.end(), 0.0) / static_cast<double>(x.size());
    std::vector<double> centred(x.size());
    for (std::size_t i = 0; i < x.size(); ++i) centred[i] = x[i] - mean;
    std::vector<double> acf(static_cast<std::size_t>(maxLag) + 2, 0.0);
    for (int lag = 1; lag <= maxLag + 1 && !cancel; ++lag) {
        double s = 0;
        for (std::size_t i = static_cast<std::size_t>(lag); i < centred.size(); ++i)
            s += centred[i] * centred[i - static_cast<std::size_t>(lag)];
        acf[static_cast<std::size_t>(lag)] = s / static_cast<double>(centred.size() - static_cast<std::size_t>(lag));
    }
    return acf;
}

// The autocorrelation's peak near lag (within 7%), interpolated; value gets its height.
double refinePeak(const std::vector<double>& acf, double lag, double& value) {
    const int last = static_cast<int>(acf.size()) - 2;
    const int lo = std::max(2, static_cast<int>(std::floor(lag * 0.93)));
    const int hi = std::min(last, static_cast<int>(std::ceil(lag * 1.07)));
    if (lo > hi) {
        value = -1;
        return lag;
    }
    int best = lo;
    for (int l = lo; l <= hi; ++l)
        if (acf[static_cast<std::size_t>(l)] > acf[static_cast<std::size_t>(best)]) best = l;
    value = acf[static_cast<std::size_t>(best)];
    const double a = acf[static_cast<std::size_t>(best - 1)], b = acf[static_cast<std::size_t>(best)],
                 c = acf[static_cast<std::size_t>(best + 1)];
    const double denom = a - 2 * b + c;
    return denom < 0 ? best + 0.5 * (a - c) / denom : best;
}

// The beat period in frames: of the tracker's period and its double and
// half, the shortest whose autocorrelation is near the strongest, so that
// the beat is the pulse of the accented onsets, not of every off-beat.
double choosePeriod(const std::vector<double>& acf, double guess) {
    const double minLag = 60000.0 / kMaxTrackedBpm / kFrameMs, maxLag = 60000.0 / kMinTrackedBpm / kFrameMs;
    std::vector<double> candidates;
    if (guess > 0) {
        for (double f : {0.5, 1.0, 2.0, 1.0 / 3, 2.0 / 3, 1.5, 3.0})
            if (guess * f >= minLag && guess * f <= maxLag) candidates.push_back(guess * f);
    }
    // Without the tracker's guess (or to check it), the strongest peak of the range.
    int strongest = static_cast<int>(std::ceil(minLag));
    for (int l = strongest; l <= static_cast<int>(maxLag) && l + 1 < static_cast<int>(acf.size()); ++l)
        if (acf[static_cast<std::size_t>(l)] > acf[static_cast<std::size_t>(strongest)]) strongest = l;
    for (double f : {0.5, 1.0, 2.0})
        if (strongest * f >= minLag && strongest * f <= maxLag) candidates.push_back(strongest * f);
    std::vector<std::pair<double, double>> peaks;  // lag, height
    double top = 0;
    for (double c : candidates) {
        double h;
        const double lag = refinePeak(acf, c, h);
        if (h <= 0) continue;
        peaks.emplace_back(lag, h);
        top = std::max(top, h);
    }
    if (peaks.empty()) return 0;
    std::sort(peaks.begin(), peaks.end());
    for (const auto& [lag, h] : peaks)
        if (h >= 0.75 * top) return lag;
    return peaks.back().first;
}

// Tempo-constrained dynamic programming over the envelope: each beat is
// worth its onset strength, less a penalty for an interval away from period.
std::vector<double> trackBeats(const std::vector<float>& flux, double period, const CancelFlag& cancel) {
    const std::size_t n = flux.size();
    double mean = 0, sq = 0;
    for (float v : flux) {
        mean += v;
        sq += static_cast<double>(v) * v;
    }
    mean /= static_cast<double>(n);
    const double sd = std::sqrt(std::max(1e-12, sq / static_cast<double>(n) - mean * mean));
    std::vector<double> onset(n), score(n);
    std::vector<long> back(n, -1);
    for (std::size_t i = 0; i < n; ++i) onset[i] = flux[i] / sd;
    const long minGap = std::max(1L, std::lround(period / 2)), maxGap = std::lround(period * 2);
    std::vector<double> penalty(static_cast<std::size_t>(maxGap) + 1, 0);
    for (long g = minGap; g <= maxGap; ++g) {
        const double r = std::log(static_cast<double>(g) / period);
        penalty[static_cast<std::size_t>(g)] = kTightness * r * r;
    }
    for (std::size_t t = 0; t < n; ++t) {
        if (cancel) return {};
        double best = 0;
        long from = -1;
        for (long g = minGap; g <= maxGap && static_cast<long>(t) - g >= 0; ++g) {
            const std::size_t tau = t - static_cast<std::size_t>(g);
            const double s = score[tau] - penalty[static_cast<std::size_t>(g)];
            if (from < 0 || s > best) {
                best = s;
                from = static_cast<long>(tau);
            }
        }
        score[t] = onset[t] + (from >= 0 && best > 0 ? best : 0);
        back[t] = from >= 0 && best > 0 ? from : -1;
    }
    // The chain ends at the best score within the last period.
    std::size_t end = n - 1;
    for (std::size_t t = n > static_cast<std::size_t>(period) ? n - static_cast<std::size_t>(period) : 0; t < n; ++t)
        if (score[t] > score[end]) end = t;
    std::vector<double> beats;
    for (long t = static_cast<long>(end); t >= 0; t = back[static_cast<std::size_t>(t)]) {
        // Between frames: the peak of a parabola through the onset and its neighbours.
        double at = static_cast<double>(t);
        if (t > 0 && static_cast<std::size_t>(t) + 1 < n) {
            const double a = onset[static_cast<std::size_t>(t) - 1], b = onset[static_cast<std::size_t>(t)],
                         c = onset[static_cast<std::size_t>(t) + 1];
            const double denom = a - 2 * b + c;
            if (b >= a && b >= c && denom < 0) at += std::clamp(0.5 * (a - c) / denom, -0.5, 0.5);
        }
        beats.push_back(at);
        if (beats.size() >= kMaxBeats) break;
    }
    std::reverse(beats.begin(), beats.end());
    // The chain runs on through the sound's first and last moments; beats
    // there without an onset of their own (a fading end) are dropped.
    if (beats.size() >= 3) {
        std::vector<double> strengths;
        for (double b : beats) strengths.push_back(onset[static_cast<std::size_t>(std::lround(b))]);
        std::nth_element(strengths.begin(), strengths.begin() + static_cast<long>(strengths.size() / 2), strengths.end());
        const double weak = 0.2 * strengths[strengths.size() / 2];
        while (beats.size() > 1 && onset[static_cast<std::size_t>(std::lround(beats.back()))] < weak) beats.pop_back();
        std::size_t first = 0;
        while (first + 1 < beats.size() && onset[static_cast<std::size_t>(std::lround(beats[first]))] < weak) ++first;
        beats.erase(beats.begin(), beats.begin() + static_cast<long>(first));
    }
    return beats;
}

}  // namespace

BeatGrid beatsFromSamples(Bytes samples, const CancelFlag& cancel) {
    BeatGrid grid;
    grid.source = BeatSource::Audio;
    std::vector<float> flux, level;
    envelope(samples, flux, level, cancel);
    const double minFrames = 4 * 60000.0 / kMinTrackedBpm / kFrameMs;  // four slow beats
    if (flux.size() < static_cast<std::size_t>(minFrames)) return grid;

    // Loudness over 96 ms around each frame, against the loud level of the sound.
    const std::size_t n = level.size();
    std::vector<double> sum(n + 1, 0);
    for (std::size_t i = 0; i < n; ++i) sum[i + 1] = sum[i] + level[i];
    constexpr std::size_t kHalf = 6;
    std::vector<float> local(n);
    for (std::size_t i = 0; i < n; ++i) {
        const std::size_t a = i > kHalf ? i - kHalf : 0, b = std::min(n, i + kHalf + 1);
        local[i] = static_cast<float>((sum[b] - sum[a]) / static_cast<double>(b - a));
    }
    std::vector<float> sorted = local;
    // The loud level: near the top, as a slow pulse is loud only briefly each beat.
    std::nth_element(sorted.begin(), sorted.begin() + static_cast<long>(n * 995 / 1000), sorted.end());
    const double loud = sorted[n * 995 / 1000];
    // A sound at the 8-bit floor has no pulse.
    if (loud < 1e-5) return grid;
    const double quiet = loud * kQuietRatio * kQuietRatio;  // levels are squared

    // Lags up to the slowest tempo's period and the margin refinePeak searches.
    const std::vector<double> acf =
        autocorrelation(flux, static_cast<int>(std::ceil(1.1 * 60000.0 / kMinTrackedBpm / kFrameMs)), cancel);
    const double period = choosePeriod(acf, trackerPeriod(samples, cancel));
    if (period <= 0 || cancel) return grid;

    for (double frame : trackBeats(flux, period, cancel)) {
        const auto at = static_cast<std::size_t>(std::clamp(std::lround(frame), 0L, static_cast<long>(n - 1)));
        if (local[at] < quiet) continue;
        long ms = std::lround(frame * kFrameMs + kFrameMs - kOnsetDelayMs);
        // An onset in the very first frames is a beat at the start.
        if (ms < 0 && ms > -static_cast<long>(kOnsetDelayMs)) ms = 0;
        if (ms < 0) continue;
        if (!grid.beatsMs.empty() && ms <= grid.beatsMs.back()) continue;
        grid.beatsMs.push_back(static_cast<int>(ms));
    }
    if (grid.beatsMs.size() >= 2) {
        std::vector<double> intervals;
        for (std::size_t i = 1; i < grid.beatsMs.size(); ++i)
            intervals.push_back(grid.beatsMs[i] - grid.beatsMs[i - 1]);
        std::vector<double> sortedIntervals = intervals;
        std::nth_element(sortedIntervals.begin(), sortedIntervals.begin() + static_cast<long>(sortedIntervals.size() / 2),
                         sortedIntervals.end());
        const double median = sortedIntervals[sortedIntervals.size() / 2];
        // The intervals near the median, averaged: millisecond rounding cancels out.
        double total = 0;
        int count = 0;
        for (double d : intervals)
            if (std::abs(d - median) <= 0.1 * median) {
                total += d;
                ++count;
            }
        const double interval = count > 0 ? total / count : median;
        if (interval > 0) grid.bpm = std::round(600000.0 / interval) / 10;
    }
    return grid;
}

}  // namespace rova::beats
