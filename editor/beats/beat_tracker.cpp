// The beat tracker's stages. The method follows the two-stage trackers of the
// literature: a tempo path decoded over the whole song first, then beats
// placed along it by dynamic programming.
//  - Onsets: log-compressed spectral flux over log-spaced bands, as in
//    S. Böck and G. Widmer, "Maximum filter vibrato suppression for onset
//    detection", DAFx 2013 (without the maximum filter).
//  - Tempo salience: the envelope's autocorrelation summed at the first four
//    multiples of each beat period (a comb), weighted by a preference for the
//    tempos listeners tap, after M. E. P. Davies and M. D. Plumbley,
//    "Context-dependent beat tracking of musical audio", IEEE TASLP 15(3), 2007.
//  - Tempo path: Viterbi decoding over tempo states, after A. Klapuri,
//    A. Eronen and J. Astola, "Analysis of the meter of acoustic musical
//    signals", IEEE TASLP 14(1), 2006.
//  - Beats: D. P. W. Ellis, "Beat tracking by dynamic programming", Journal
//    of New Music Research 36(1), 2007, with the period taken from the path
//    at each frame instead of one global tempo.
//  - Metre and downbeats: beat-synchronous features (accent, bass accent,
//    spectral change), their repetition at two, three and four beats, and
//    the phase where bass accents and spectral changes gather.
#include "beats/beat_tracker.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numeric>
#include <optional>

namespace rova::beats::tracker {
namespace {

// ---- bands and onsets
// About twenty bands between the spectrum's first bin and its top.
constexpr double kBandsPerSpectrum = 20.0;
// Log compression of the band magnitudes: loud and soft onsets count alike
// once they stand out of their band's level.
constexpr double kCompression = 1.0;

// ---- tempogram
constexpr double kMinTempo = 40.0, kMaxTempo = 240.0;  // BPM, the beat rates considered
constexpr double kStateStep = 0.015;                   // 1.5 % between neighbouring tempo states
constexpr std::size_t kDecimation = 2;                 // the tempogram works on 16 ms frames
constexpr double kTempoFrameMs = kFrameMs * kDecimation;
// Twelve seconds hold four beats of 40 BPM with room to spare;
// a second between windows is finer than any tempo change needs.
constexpr double kWindowMs = 12000.0, kWindowHopMs = 1000.0;
// Lags up to three quarters of the window; beyond, too few products remain for a fair estimate.
constexpr std::size_t kLagShareOfWindow = 4;
// The comb looks at the period and at two and four periods (the bar of a
// march, of most music in four, and two of them). Every term counts, a
// negative one against the tempo. A term beyond the window counts nothing,
// which leaves the slowest tempos at a disadvantage they deserve. (Terms at
// three periods, for waltzes, were tried: on band recordings in four they
// drew the tempo to two thirds more often than they helped a waltz.)
constexpr double kCombMultiples[] = {1, 2, 4};
constexpr int kLongestTerm = 4;

// ---- tempo path
// Listeners tap near 120 BPM (D. Moelants, "Preferred tempo reconsidered",
// ICMPC 2002). The comb favours the slower of two octaves a little (its terms
// at two and four periods are bars, which repeat best), so the preference is
// set above that, at 130 BPM, with a spread of 0.9 octave: a march stays at
// its step (120, not 60), clicks at 180 stay at 180, while the evidence still
// decides between neighbouring octaves. Tuned on bench/beat_corpus.py: 120
// drew fast songs to half tempo; a spread of 0.7 did too, 1.5 and more let
// marches and ska fall to half tempo.
constexpr double kPreferredBpm = 130.0;
constexpr double kPreferenceOctaves = 0.9;
// Salience below this is noise: all tempos look alike there, and the path
// keeps its course through a quiet bar.
constexpr double kSalienceFloor = 0.02;
// A tempo drifts about one state (1.5 %) between windows a second apart.
constexpr double kDriftStates = 1.0;
constexpr int kDriftReach = 4;
// A jump costs as much as some three windows of clearly contrary evidence
// (a peak against a valley is about 2 in log salience): a sudden tempo change
// is followed within seconds, a bar of ambiguous accents is not.
constexpr double kJumpCost = 6.0;

// ---- beats
// How much a beat may be stretched or squeezed against the local period
// (Ellis's tightness): larger keeps the beats more even.
constexpr double kTightness = 100.0;
// Bass onsets count as much again as the whole spectrum's: the kick and the
// bass mark the beat, where an off-beat guitar or a hi-hat may be louder.
constexpr double kLowWeight = 1.0;
// Beats at the ends weaker than this share of the median beat's onset are
// the chain running on through silence.
constexpr double kWeakBeatShare = 0.2;

// ---- metre
// Per-beat accents are looked for within two frames (16 ms) of the beat.
constexpr long kAccentReach = 2;
// Three beats a bar only when repetition at three beats is clearly closer
// than at two and at four: a bar of four repeats at two as well, so the
// other way round would mislead.
constexpr double kThreeMargin = 0.85;
// Two a bar only when the pattern repeats much better at two beats than at
// four; four otherwise, the common case. Marches written in four and a
// country swing differ at two beats 0.75 to 0.80 as much as at four, as
// much as a march at 120 whose chords show it in four: that says nothing.
constexpr double kTwoMargin = 0.7;
// Spectral change at a beat (a new chord) counts half as much as a bass accent
// in finding the downbeat.
constexpr double kChangeWeight = 0.5;
// Between the first and third beats of a bar of four, the whole band's accent
// counts as much as the bass's: the first is often the loudest (a crash,
// every instrument at once) where the bass sounds as much on the third.
constexpr double kAccentWeight = 1.0;
// Harmony is read over two beats either side of each beat.
constexpr std::size_t kHarmonyBeats = 2;
// A change of chord on one beat of the bar counts twice a bass accent: of
// the cues to the bar line it is the one least shared with other beats.
constexpr double kHarmonyWeight = 2.0;
// Chords mark the bar when they change on its first beat by more than one
// spread more than on its other beats: a chord a bar gives about 1.5, no
// pattern about 0, a chord every four beats counted in threes about 0.
constexpr double kHarmonyClear = 1.0;
// Chords change twice a bar when they do so at two beats with at least half
// the contrast at four (a chord a bar gives about a third; two a bar, one and
// a half times, or less when the changes within the bar are the larger).
constexpr double kTwoChordsABar = 0.5;
// A stretch of steady tempo of eight bars or more finds its own bar start.
constexpr std::size_t kBarsForOwnPhase = 8;
// Music mostly enters on a bar line. Between the first and third beats,
// where bass, chords and accents can sound alike on both, the one the band
// enters on counts as much as a chord change one and a half spreads clearer
// on every bar. It never chooses between neighbours: a pickup of one beat
// enters on the fourth, which is not one of the pair.
constexpr double kEntryWeight = 3.0;
// The band has entered at the first frame as loud as a quarter of the
// song's median frame: a count-in click or a breath before it is not.
constexpr double kEntryLevel = 0.25;
// ... and only if it was at most a quarter as loud (6 dB less) 96 ms before.
constexpr double kEntryRise = 0.25;
constexpr std::size_t kEntryRiseFrames = 12;

// Pairs of beats whose thirds sound at least 0.85 as strongly as the beat
// between them are bars of three counted in two: a fast waltz "in one" (the
// bar's first beat sounds, the others barely) is otherwise taken at two
// thirds of its tempo. Counted rightly in two, the thirds fall between the
// beats: on the band arrangements of bench/beat_corpus.py they sound at most
// 0.77 as strongly (a march), on the fast waltz 0.88 and 1.11.
constexpr double kThirdsShare = 0.85;
// Judged over at least eight pairs.
constexpr std::size_t kPairsForThirds = 8;

// Beats between a triplet's notes: the onsets' self-similarity at two and
// four thirds of a beat leads the one at the beat by more than this (the
// 6/8 swing of bench/beat_corpus.py counted in twos leads by 0.12 and 0.18;
// every song of its three corpora rightly found trails by 0.06 or more).
constexpr double kTripletLead = 0.03;

// ---- beats on the harmony's beat
// Beats lie off the beat where the harmony changes at the halfway points at
// least 1.3 times as much as at the beats (on the corpus, rightly placed
// beats give at most 1.11 over a quarter of a song; beats on the off-beat
// 1.48 and 1.5), by at least 0.02 a beat (a song without chord changes
// gives both about 0.05) ...
constexpr double kOffBeatHarmony = 1.3;
constexpr double kOffBeatLeast = 0.02;
// A beat keeps the tracker's phase when it follows the one before within a
// quarter of the interval before that (half a beat's jump is well outside).
constexpr double kSteadyBeat = 0.25;

// ---- tempo changes
// The local tempo is the median of the intervals within four beats either
// side, so one late beat does not make a change.
constexpr std::size_t kLocalIntervals = 4;
// A stretch's tempo must differ by more than 4 % (about a click a bar at 100 BPM) ...
constexpr double kChangeRatio = 0.04;
// ... for eight beats running, so a ritardando's last bar is no new stretch.
constexpr std::size_t kChangeBeats = 8;

// ---- confidence
// Salience at the beat period: a band with drums gives 0.3 and more, a pad or
// noise under 0.05.
constexpr double kClarityNone = 0.05, kClarityFull = 0.3;

// ---- octave
// The double tempo scoring within 0.25 of the path's (in log salience plus
// preference, where a peak against a valley is about 2) is a near tie. On
// bench/beat_corpus.py the five renderings found at half tempo lead their
// double by 0.07 to 0.22, rightly found songs whose double is in range by
// 0.28 and more; of its held-out corpus, two songs at 92 and 96 BPM lead by
// 0.23 and are shown unsure too.
constexpr double kOctaveDoubt = 0.25;
// The double's peak is looked for within 3 % of twice the tempo: two states either side.
constexpr int kOctaveReach = 2;

// ---- stopping
// Loops over frames or beats ask whether to stop once every 1024 of them:
// 8 s of sound, well under a millisecond of work in the slowest loop.
constexpr std::size_t kStepsBetweenChecks = 1024;
// A beat's features read its whole span of spectrum: ask every 64 beats.
constexpr std::size_t kBeatsBetweenChecks = 64;

bool stopped(const Stop& stop) { return stop && stop(); }
bool stoppedAt(std::size_t step, const Stop& stop) { return step % kStepsBetweenChecks == 0 && stopped(stop); }

double clampIndex(double x, double hi) { return std::clamp(x, 0.0, hi); }

// The tempo of beats (frames, at least two) from their mean interval.
double meanBpm(const std::vector<double>& beats) {
    const double interval = (beats.back() - beats.front()) / static_cast<double>(beats.size() - 1);
    return 60000.0 / (interval * kFrameMs);
}

// Linear interpolation of v at fractional index x (inside 0..size-1).
template <class T>
double at(const std::vector<T>& v, double x) {
    const auto i = static_cast<std::size_t>(x);
    if (i + 1 >= v.size()) return v.back();
    const double f = x - static_cast<double>(i);
    return v[i] * (1 - f) + v[i + 1] * f;
}

// The largest value of v within kAccentReach frames of a (fractional) frame.
template <typename T>
double peakAround(const std::vector<T>& v, double frame) {
    if (v.empty()) return 0;
    const long c = std::lround(clampIndex(frame, static_cast<double>(v.size() - 1)));
    T best = 0;
    for (long t = std::max(0L, c - kAccentReach); t <= std::min(static_cast<long>(v.size()) - 1, c + kAccentReach); ++t)
        best = std::max(best, v[static_cast<std::size_t>(t)]);
    return static_cast<double>(best);
}

double preference(double bpm) {
    const double octaves = std::log2(bpm / kPreferredBpm) / kPreferenceOctaves;
    return -0.5 * octaves * octaves;
}

// How well tempo state k explains window w, as the path weighs it: log
// salience plus the preference for the tempo (prior, computed once by callers
// that ask for every state).
double observed(const Tempogram& gram, std::size_t w, std::size_t k, double prior) {
    return std::log(kSalienceFloor + gram.salience[w * gram.bpm.size() + k]) + prior;
}

// The tempo state at or just above bpm (the last state beyond them all).
std::size_t stateAt(const Tempogram& gram, double bpm) {
    const auto k = static_cast<std::size_t>(std::lower_bound(gram.bpm.begin(), gram.bpm.end(), bpm * (1 - 1e-9)) - gram.bpm.begin());
    return std::min(k, gram.bpm.size() - 1);
}

double median(std::vector<double> v) {
    if (v.empty()) return 0;
    std::nth_element(v.begin(), v.begin() + static_cast<long>(v.size() / 2), v.end());
    return v[v.size() / 2];
}

// Mean and standard deviation; sd is at least a tiny floor.
void moments(const std::vector<double>& v, double& mean, double& sd) {
    mean = v.empty() ? 0 : std::accumulate(v.begin(), v.end(), 0.0) / static_cast<double>(v.size());
    double sq = 0;
    for (double x : v) sq += (x - mean) * (x - mean);
    sd = std::sqrt(std::max(1e-12, v.empty() ? 0 : sq / static_cast<double>(v.size())));
}

std::vector<double> zscores(std::vector<double> v) {
    double mean, sd;
    moments(v, mean, sd);
    for (double& x : v) x = (x - mean) / sd;
    return v;
}

}  // namespace

std::vector<std::size_t> bandEdges(std::size_t bins) {
    std::vector<std::size_t> edges;
    if (bins < 3) return edges;
    const double ratio = std::pow(static_cast<double>(bins - 1), 1.0 / kBandsPerSpectrum);
    edges.push_back(1);  // bin 0 is the constant term
    double x = 1;
    while (edges.back() < bins) {
        x *= ratio;
        edges.push_back(std::min(bins, std::max(edges.back() + 1, static_cast<std::size_t>(std::lround(x)))));
    }
    return edges;
}

std::size_t lowBandCount(const std::vector<std::size_t>& edges, std::size_t lowBins) {
    std::size_t n = 0;
    while (n + 1 < edges.size() && edges[n + 1] <= lowBins) ++n;
    return n;
}

Envelope onsetEnvelope(const BandFrames& frames, std::size_t lowBands, const Stop& stop) {
    const std::size_t n = frames.frames(), b = frames.bands;
    Envelope env;
    env.onset.assign(n, 0.0f);
    env.low.assign(n, 0.0f);
    std::vector<float> previous(b, 0.0f), current(b);
    for (std::size_t t = 0; t < n; ++t) {
        if (stoppedAt(t, stop)) return {};
        float all = 0, low = 0;
        for (std::size_t k = 0; k < b; ++k) {
            current[k] = static_cast<float>(std::log1p(kCompression * std::max(0.0f, frames.energy[t * b + k])));
            const float rise = t > 0 ? std::max(0.0f, current[k] - previous[k]) : 0.0f;
            all += rise;
            if (k < lowBands) low += rise;
        }
        env.onset[t] = all;
        env.low[t] = low;
        std::swap(previous, current);
    }
    return env;
}

Tempogram tempogram(const std::vector<float>& onset, const Stop& stop) {
    Tempogram gram;
    for (double bpm = kMinTempo; bpm <= kMaxTempo * (1 + 1e-9); bpm *= 1 + kStateStep) gram.bpm.push_back(bpm);
    std::vector<float> d(onset.size() / kDecimation);
    for (std::size_t i = 0; i < d.size(); ++i)
        for (std::size_t k = 0; k < kDecimation; ++k) d[i] += onset[i * kDecimation + k];
    const auto window = static_cast<std::size_t>(kWindowMs / kTempoFrameMs);
    const auto hop = static_cast<std::size_t>(kWindowHopMs / kTempoFrameMs);
    const double slowestLag = 60000.0 / kMinTempo / kTempoFrameMs;
    if (d.size() < static_cast<std::size_t>(2 * slowestLag)) return gram;

    std::vector<std::size_t> starts;
    if (d.size() <= window) starts.push_back(0);
    else {
        for (std::size_t s = 0; s + window < d.size(); s += hop) starts.push_back(s);
        starts.push_back(d.size() - window);  // the last window ends with the sound
    }
    const std::size_t states = gram.bpm.size();
    gram.salience.assign(starts.size() * states, 0.0f);
    std::vector<float> x, acf;
    for (std::size_t w = 0; w < starts.size(); ++w) {
        if (stopped(stop)) return {};
        const std::size_t len = std::min(window, d.size() - starts[w]);
        gram.centreMs.push_back((static_cast<double>(starts[w]) + static_cast<double>(len) / 2.0) * kTempoFrameMs);
        x.assign(d.begin() + static_cast<long>(starts[w]), d.begin() + static_cast<long>(starts[w] + len));
        const float mean = std::accumulate(x.begin(), x.end(), 0.0f) / static_cast<float>(len);
        for (float& v : x) v -= mean;
        const std::size_t maxLag =
            std::min(len * (kLagShareOfWindow - 1) / kLagShareOfWindow, static_cast<std::size_t>(kLongestTerm * slowestLag) + 2);
        acf.assign(maxLag + 1, 0.0f);
        for (std::size_t lag = 0; lag <= maxLag; ++lag) {
            float s = 0;
            for (std::size_t i = lag; i < len; ++i) s += x[i] * x[i - lag];
            acf[lag] = s / static_cast<float>(len - lag);
        }
        const float power = acf[0];
        if (!(power > 0)) continue;
        for (float& v : acf) v /= power;
        for (std::size_t k = 0; k < states; ++k) {
            const double lag = 60000.0 / gram.bpm[k] / kTempoFrameMs;
            if (lag + 1 >= static_cast<double>(maxLag)) continue;
            // The peak within half a frame (a frame for the later multiples, which
            // smear as the tempo drifts): the states lie closer than the frames.
            auto term = [&](double multiple) {
                const double centre = multiple * lag, reach = multiple > 1 ? 1.0 : 0.5;
                if (centre + reach + 1 >= static_cast<double>(maxLag)) return 0.0;
                double best = at(acf, centre);
                for (double off = -reach; off <= reach; off += 0.5) best = std::max(best, at(acf, centre + off));
                return best;
            };
            double sum = 0;
            for (double multiple : kCombMultiples) sum += term(multiple);
            gram.salience[w * states + k] = static_cast<float>(std::max(0.0, sum / std::size(kCombMultiples)));
        }
    }
    return gram;
}

std::vector<double> decodeTempoPath(const Tempogram& gram, const Stop& stop) {
    const std::size_t states = gram.bpm.size(), windows = gram.windows();
    std::vector<double> path;
    if (windows == 0 || states == 0) return path;
    std::vector<double> prior(states), score(states), next(states);
    for (std::size_t k = 0; k < states; ++k) prior[k] = preference(gram.bpm[k]);
    std::vector<std::size_t> back(windows * states, 0);
    auto observe = [&](std::size_t w, std::size_t k) { return observed(gram, w, k, prior[k]); };
    for (std::size_t k = 0; k < states; ++k) score[k] = observe(0, k);
    for (std::size_t w = 1; w < windows; ++w) {
        if (stopped(stop)) return {};
        const auto top = static_cast<std::size_t>(std::max_element(score.begin(), score.end()) - score.begin());
        for (std::size_t k = 0; k < states; ++k) {
            double best = score[top] - kJumpCost;
            std::size_t from = top;
            const std::size_t lo = k >= kDriftReach ? k - kDriftReach : 0, hi = std::min(states - 1, k + kDriftReach);
            for (std::size_t j = lo; j <= hi; ++j) {
                const double step = (static_cast<double>(j) - static_cast<double>(k)) / kDriftStates;
                const double s = score[j] - 0.5 * step * step;
                if (s > best) {
                    best = s;
                    from = j;
                }
            }
            next[k] = best + observe(w, k);
            back[w * states + k] = from;
        }
        std::swap(score, next);
    }
    std::vector<std::size_t> states_(windows);
    states_[windows - 1] = static_cast<std::size_t>(std::max_element(score.begin(), score.end()) - score.begin());
    for (std::size_t w = windows - 1; w > 0; --w) states_[w - 1] = back[w * states + states_[w]];
    for (std::size_t s : states_) path.push_back(gram.bpm[s]);
    return path;
}

std::vector<double> periodPerFrame(const Tempogram& gram, const std::vector<double>& pathBpm, std::size_t frames,
                                   const Stop& stop) {
    std::vector<double> period(frames, 0.0);
    if (pathBpm.empty() || pathBpm.size() != gram.windows()) return period;
    std::size_t w = 0;
    for (std::size_t t = 0; t < frames; ++t) {
        if (stoppedAt(t, stop)) return {};
        const double ms = static_cast<double>(t) * kFrameMs;
        while (w + 1 < pathBpm.size() && gram.centreMs[w + 1] <= ms) ++w;
        double bpm = pathBpm[w];
        if (ms > gram.centreMs[w] && w + 1 < pathBpm.size()) {
            const double f = (ms - gram.centreMs[w]) / (gram.centreMs[w + 1] - gram.centreMs[w]);
            bpm = pathBpm[w] * (1 - f) + pathBpm[w + 1] * f;
        }
        period[t] = 60000.0 / bpm / kFrameMs;
    }
    return period;
}

std::vector<double> beatOnsets(const Envelope& env) {
    const std::size_t n = env.onset.size();
    std::vector<double> all(env.onset.begin(), env.onset.end()), low(env.low.begin(), env.low.end());
    double meanAll, sdAll, meanLow, sdLow;
    moments(all, meanAll, sdAll);
    moments(low, meanLow, sdLow);
    std::vector<double> onset(n);
    const bool bass = meanLow > 1e-6;
    for (std::size_t i = 0; i < n; ++i) onset[i] = all[i] / sdAll + (bass ? kLowWeight * low[i] / sdLow : 0.0);
    return onset;
}

std::vector<double> trackBeats(const Envelope& env, const std::vector<double>& period, const Stop& stop) {
    const std::size_t n = env.onset.size();
    std::vector<double> beats;
    if (n == 0 || period.size() != n) return beats;
    const std::vector<double> onset = beatOnsets(env);

    const double longest = *std::max_element(period.begin(), period.end());
    std::vector<double> logGap(static_cast<std::size_t>(2 * longest) + 2, 0.0);
    for (std::size_t g = 1; g < logGap.size(); ++g) logGap[g] = std::log(static_cast<double>(g));
    std::vector<double> score(n, 0.0);
    std::vector<long> back(n, -1);
    for (std::size_t t = 0; t < n; ++t) {
        if (stoppedAt(t, stop)) return {};
        const double p = period[t], logP = std::log(p);
        const auto minGap = static_cast<std::size_t>(std::max(1.0, std::round(p / 2)));
        const auto maxGap = std::min(logGap.size() - 1, static_cast<std::size_t>(std::round(p * 2)));
        double best = 0;
        long from = -1;
        for (std::size_t g = minGap; g <= maxGap && g <= t; ++g) {
            const double r = logGap[g] - logP;
            const double s = score[t - g] - kTightness * r * r;
            if (from < 0 || s > best) {
                best = s;
                from = static_cast<long>(t - g);
            }
        }
        const bool chained = from >= 0 && best > 0;
        score[t] = onset[t] + (chained ? best : 0);
        back[t] = chained ? from : -1;
    }
    // The chain ends at the best score within the last period.
    std::size_t end = n - 1;
    const auto lastPeriod = static_cast<std::size_t>(period.back());
    for (std::size_t t = n > lastPeriod ? n - lastPeriod : 0; t < n; ++t)
        if (score[t] > score[end]) end = t;
    for (long t = static_cast<long>(end); t >= 0; t = back[static_cast<std::size_t>(t)]) {
        // Between frames: the peak of a parabola through the onset and its neighbours.
        const auto i = static_cast<std::size_t>(t);
        double where = static_cast<double>(t);
        if (i > 0 && i + 1 < n) {
            const double a = onset[i - 1], b = onset[i], c = onset[i + 1];
            const double denom = a - 2 * b + c;
            if (b >= a && b >= c && denom < 0) where += std::clamp(0.5 * (a - c) / denom, -0.5, 0.5);
        }
        beats.push_back(where);
    }
    std::reverse(beats.begin(), beats.end());
    if (beats.size() >= 3) {
        auto strength = [&](double b) { return onset[static_cast<std::size_t>(std::lround(clampIndex(b, double(n - 1))))]; };
        std::vector<double> strengths;
        for (double b : beats) strengths.push_back(strength(b));
        const double weak = kWeakBeatShare * median(strengths);
        while (beats.size() > 1 && strength(beats.back()) < weak) beats.pop_back();
        std::size_t first = 0;
        while (first + 1 < beats.size() && strength(beats[first]) < weak) ++first;
        beats.erase(beats.begin(), beats.begin() + static_cast<long>(first));
    }
    return beats;
}

namespace {
// The cosine distance between the summed pitch classes of chroma[a..b) and chroma[b..c).
double chromaDistance(const std::vector<Chroma>& chroma, std::size_t a, std::size_t b, std::size_t c) {
    std::array<double, 12> before{}, after{};
    for (std::size_t i = a; i < b; ++i)
        for (std::size_t k = 0; k < 12; ++k) before[k] += chroma[i][k];
    for (std::size_t i = b; i < c; ++i)
        for (std::size_t k = 0; k < 12; ++k) after[k] += chroma[i][k];
    double dot = 0, nb = 0, na = 0;
    for (std::size_t k = 0; k < 12; ++k) {
        dot += before[k] * after[k];
        nb += before[k] * before[k];
        na += after[k] * after[k];
    }
    return nb > 0 && na > 0 ? 1 - dot / std::sqrt(nb * na) : 0;
}

// How much more the harmony changes on one beat in bar than on the others,
// at the phase where it does most (harmony in z-scores, one a beat).
double barContrast(const std::vector<double>& harmony, std::size_t bar) {
    const std::size_t count = harmony.size();
    double best = -std::numeric_limits<double>::infinity();
    for (std::size_t p = 0; p < bar && p < count; ++p) {
        double on = 0, off = 0;
        std::size_t ons = 0;
        for (std::size_t j = 0; j < count; ++j) {
            if (j % bar == p) on += harmony[j], ++ons;
            else off += harmony[j];
        }
        if (ons == 0 || ons == count) continue;
        best = std::max(best, on / static_cast<double>(ons) - off / static_cast<double>(count - ons));
    }
    return best;
}
}  // namespace

std::vector<double> alignToHarmony(const std::vector<double>& beats, const std::vector<Chroma>& halfChroma) {
    const std::size_t count = beats.size();
    if (count < kOnBeatStretch + 2 || halfChroma.size() != 2 * (count - 1)) return beats;
    // The change at beat i (point 2i) and at the halfway point after it (2i + 1),
    // each from the two half beats before to the two after.
    std::vector<double> on(count, 0.0), off(count, 0.0);
    for (std::size_t p = 2; p + 2 <= halfChroma.size(); ++p) {
        const double d = chromaDistance(halfChroma, p - 2, p, p + 2);
        (p % 2 == 0 ? on : off)[p / 2] = d;
    }
    // Per beat, over the beats around it (kept inside the song at its ends):
    // does the harmony change more between the beats, by the ratio given?
    struct Sums {
        double on = 0, off = 0, least = 0;  // least: the margin that counts as clear
    };
    auto around = [&](std::size_t i, std::size_t window) {
        const std::size_t a = std::min(i >= window / 2 ? i - window / 2 : 0, count - std::min(count, window));
        const std::size_t b = std::min(count, a + window);
        Sums sums;
        for (std::size_t j = a; j < b; ++j) sums.on += on[j], sums.off += off[j];
        sums.least = kOffBeatLeast * static_cast<double>(b - a);
        return sums;
    };
    auto leansOff = [&](std::size_t i, std::size_t window, double ratio) {
        const Sums s = around(i, window);
        return s.off > ratio * s.on && s.off - s.on > s.least;
    };
    // Whether the harmony changes clearly more at the beats, over the beats
    // around beat i (as many as a stretch off the beat needs).
    auto leansOn = [&](std::size_t i) {
        const Sums s = around(i, kOnBeatStretch);
        return s.on > s.off && s.on - s.off > s.least;
    };
    // Whether beat i follows the one before it as that one did its own: the
    // tracker kept its phase there (no jump of half a beat).
    auto steadyAt = [&](std::size_t i) {
        if (i < 2 || i >= count) return false;
        const double before = beats[i - 1] - beats[i - 2];
        return before > 0 && std::abs((beats[i] - beats[i - 1]) / before - 1) < kSteadyBeat;
    };
    // Only chords that change once a bar (of three or four beats) are read:
    // drums whose tones alternate beat by beat, or a melody, change as much
    // at two beats and say nothing of where the beat lies.
    std::vector<Chroma> whole(count - 1);
    for (std::size_t i = 0; i + 1 < count; ++i)
        for (std::size_t k = 0; k < 12; ++k) whole[i][k] = halfChroma[2 * i][k] + halfChroma[2 * i + 1][k];
    const std::vector<double> harmony = harmonicChange(whole);
    if (harmony.empty()) return beats;
    const double bars = std::max(barContrast(harmony, 3), barContrast(harmony, 4));
    if (bars < kHarmonyClear || bars <= barContrast(harmony, 2)) return beats;
    std::vector<bool> offBeat(count, false);
    for (std::size_t i = 0; i < count; ++i) offBeat[i] = leansOff(i, kOnBeatStretch, kOffBeatHarmony);
    std::vector<double> aligned = beats;
    for (std::size_t i = 0; i < count;) {
        std::size_t run = 0;
        while (i + run < count && offBeat[i + run]) ++run;
        if (run < kOnBeatStretch) {
            i += std::max<std::size_t>(run, 1);
            continue;
        }
        // A clear stretch reaches on over the beats near it that lean the same way at all.
        std::size_t from = i, to = i + run;
        // Beats where the harmony says nothing either way (a held last chord,
        // a break) stay with it too while the tracker keeps its phase.
        auto reaches = [&](std::size_t j, std::size_t next) {
            return leansOff(j, kOnBeatStretch / 2, 1.0) || (!leansOn(j) && steadyAt(next));
        };
        while (from > 0 && reaches(from - 1, from)) --from;
        while (to < count && reaches(to, to)) ++to;
        for (std::size_t j = from; j < to; ++j)
            aligned[j] = beats[j] + (j + 1 < count ? beats[j + 1] - beats[j] : beats[j] - beats[j - 1]) / 2;
        i = to;
    }
    return aligned;
}

std::vector<double> harmonicChange(const std::vector<Chroma>& chroma) {
    const std::size_t count = chroma.size();
    std::vector<double> change(count, 0.0);
    if (count < 2 * kHarmonyBeats + 1) return {};
    for (std::size_t i = kHarmonyBeats; i + kHarmonyBeats <= count; ++i)
        change[i] = chromaDistance(chroma, i - kHarmonyBeats, i, i + kHarmonyBeats);
    // The ends, without two beats on both sides, count as no change.
    return zscores(change);
}

std::optional<double> bandEntry(const BandFrames& frames) {
    if (frames.level.empty()) return std::nullopt;
    std::vector<float> level(frames.level);
    const auto middle = level.begin() + static_cast<long>(level.size() / 2);
    std::nth_element(level.begin(), middle, level.end());
    const double enough = kEntryLevel * *middle;
    for (std::size_t t = 0; t < frames.level.size(); ++t) {
        if (frames.level[t] <= 0 || frames.level[t] < enough) continue;
        // A fade-in reaches any level on any beat: only a sudden start counts.
        if (t >= kEntryRiseFrames && frames.level[t - kEntryRiseFrames] >= enough * kEntryRise) return std::nullopt;
        return static_cast<double>(t);
    }
    return std::nullopt;
}

Metre estimateMetre(const BandFrames& frames, const Envelope& env, std::vector<double>& beats, std::size_t lowBands,
                    const Stop& stop, const std::vector<Chroma>& chroma) {
    Metre metre;
    const std::size_t n = env.onset.size(), bands = frames.bands;
    const std::size_t count = beats.size();
    if (count < 8 || n == 0 || frames.frames() != n) {
        // Too few beats to find bars in: counted from the first.
        for (std::size_t i = 0; i < count; i += static_cast<std::size_t>(metre.beatsPerBar)) metre.downbeats.push_back(i);
        return metre;
    }
    auto frameOf = [&](double b) { return static_cast<std::size_t>(std::lround(clampIndex(b, double(n - 1)))); };
    // Per beat: its accent, its bass accent and the mean log spectrum until the next beat.
    std::vector<double> accent(count), bass(count);
    std::vector<std::vector<double>> spectrum(count, std::vector<double>(bands, 0.0));
    for (std::size_t i = 0; i < count; ++i) {
        if (i % kBeatsBetweenChecks == 0 && stopped(stop)) return Metre{};
        accent[i] = peakAround(env.onset, beats[i]);
        bass[i] = lowBands ? peakAround(env.low, beats[i]) : 0.0;
        const std::size_t from = frameOf(beats[i]);
        const double span = i + 1 < count ? beats[i + 1] - beats[i] : beats[i] - beats[i - 1];
        const std::size_t to = std::min(n, from + std::max<std::size_t>(1, static_cast<std::size_t>(span)));
        for (std::size_t t = from; t < to; ++t)
            for (std::size_t k = 0; k < bands; ++k) spectrum[i][k] += std::log1p(kCompression * frames.energy[t * bands + k]);
        for (double& v : spectrum[i]) v /= static_cast<double>(to - from);
    }
    accent = zscores(accent);
    bass = zscores(bass);
    // How different beat i is from beat i + lag: accents and spectrum alike.
    double spectrumScale = 0;
    for (std::size_t i = 1; i < count; ++i)
        for (std::size_t k = 0; k < bands; ++k) spectrumScale += std::abs(spectrum[i][k] - spectrum[i - 1][k]);
    spectrumScale = std::max(1e-9, spectrumScale / static_cast<double>(count - 1));
    auto distance = [&](std::size_t i, std::size_t j) {
        double s = 0;
        for (std::size_t k = 0; k < bands; ++k) s += std::abs(spectrum[i][k] - spectrum[j][k]);
        return std::abs(accent[i] - accent[j]) + std::abs(bass[i] - bass[j]) + s / spectrumScale;
    };
    auto meanDistance = [&](std::size_t lag) {
        double s = 0;
        for (std::size_t i = 0; i + lag < count; ++i) {
            if (stoppedAt(i, stop)) return -1.0;
            s += distance(i, i + lag);
        }
        return s / static_cast<double>(count - lag);
    };
    const double two = meanDistance(2), three = two < 0 ? -1 : meanDistance(3), four = three < 0 ? -1 : meanDistance(4);
    if (four < 0) return Metre{};
    if (three < kThreeMargin * std::min(two, four)) metre.beatsPerBar = 3;
    else if (two < kTwoMargin * four) metre.beatsPerBar = 2;
    else metre.beatsPerBar = 4;
    // Chords that change on one beat in three or four, clearly more there
    // than on the others, give the bar. (A melody in half notes changes as
    // clearly every two beats, so bars of two are left to the accents.)
    const std::vector<double> harmony = chroma.size() == count ? harmonicChange(chroma) : std::vector<double>{};
    std::vector<double> barHarmony;
    if (!harmony.empty()) {
        const double contrast[] = {0, 0, barContrast(harmony, 2), barContrast(harmony, 3), barContrast(harmony, 4)};
        double top = kHarmonyClear;
        for (int bar = 3; bar <= 4; ++bar)
            if (contrast[bar] > top) {
                top = contrast[bar];
                metre.beatsPerBar = bar;
            }
        // Chords that change every two beats as clearly as every four say on
        // which pair of beats the bar starts, not which of the two: only that
        // part of them is kept (each beat's change and the change two beats
        // on, averaged), and the accents choose between the first and third
        // beats. Harmony without a clear bar (a melody over one chord, tuned
        // drums) says nothing of it.
        if (std::max(contrast[2], contrast[metre.beatsPerBar]) >= kHarmonyClear) {
            barHarmony = harmony;
            if (contrast[2] >= kTwoChordsABar * contrast[4])
                for (std::size_t i = 0; i < count; ++i) barHarmony[i] = (harmony[i] + harmony[i + 2 < count ? i + 2 : i - 2]) / 2;
        }
    }

    // Where the bar starts: bass accents and changes of spectrum gather on the downbeat.
    std::vector<double> change(count, 0.0);
    for (std::size_t i = 1; i < count; ++i)
        for (std::size_t k = 0; k < bands; ++k) change[i] += std::abs(spectrum[i][k] - spectrum[i - 1][k]);
    change[0] = count > 1 ? change[1] : 0;
    change = zscores(change);
    // A bar of three beats too fast to count is the eighths of a 6/8: its beat is the dotted quarter.
    if (metre.beatsPerBar == 3) {
        const double bpm = meanBpm(beats);
        if (preference(bpm / 3) > preference(bpm)) metre.compound = true;
    }
    // The beat the band entered on: the beat nearest its entry, or counted
    // back from the first beat when it entered before it.
    std::optional<long> enteredOn;
    if (const std::optional<double> entry = bandEntry(frames); entry && beats[1] > beats[0]) {
        if (*entry < beats[0]) {
            enteredOn = -std::lround((beats[0] - *entry) / (beats[1] - beats[0]));
        } else {
            auto next = std::lower_bound(beats.begin(), beats.end(), *entry);
            if (next == beats.end() || (next != beats.begin() && *entry - *(next - 1) < *next - *entry)) --next;
            enteredOn = next - beats.begin();
        }
    }
    // The phase of the bar among the beats kept: where the accents score best on average.
    auto bestPhase = [&](const std::vector<std::size_t>& kept, std::size_t bar) {
        std::vector<double> score(bar, -std::numeric_limits<double>::infinity()), loud(bar, 0.0);
        for (std::size_t p = 0; p < bar && p < kept.size(); ++p) {
            double s = 0, a = 0;
            int k = 0;
            for (std::size_t j = p; j < kept.size(); j += bar, ++k) {
                s += bass[kept[j]] + kChangeWeight * change[kept[j]] + (barHarmony.empty() ? 0.0 : kHarmonyWeight * barHarmony[kept[j]]);
                a += accent[kept[j]];
            }
            score[p] = s / k;
            loud[p] = a / k;
        }
        std::size_t phase = 0;
        for (std::size_t p = 1; p < bar; ++p)
            if (score[p] > score[phase]) phase = p;
        // In a bar of four, the whole band's accent then chooses between that
        // beat and the one half a bar away (first or third), where the bass
        // sounds alike. Not between neighbours: a backbeat is often the loudest.
        if (bar != 4) return phase;
        const std::size_t other = (phase + 2) % 4;
        if (!std::isfinite(score[other])) return phase;
        double phaseScore = score[phase] + kAccentWeight * loud[phase], otherScore = score[other] + kAccentWeight * loud[other];
        // Only the song's first beats know where the music entered (kept from
        // beat 0 in a bar of four is a run of the song's first beats).
        if (enteredOn && kept.front() == 0 && kept.size() > 1) {
            const long at = std::min(*enteredOn, static_cast<long>(kept.size()) - 1);
            const auto entered = static_cast<std::size_t>((at % 4 + 4) % 4);
            if (entered == phase) phaseScore += kEntryWeight;
            if (entered == other) otherScore += kEntryWeight;
        }
        return otherScore > phaseScore ? other : phase;
    };
    // Bar starts, stretch by stretch of steady tempo: where a band changes
    // tempo it often changes its pattern too, and the beats may slip a beat
    // there, so a long stretch finds its own first beat. A short one counts
    // on from the bars before it (or the whole song's phase, at the start).
    // Returns indices into kept.
    auto downbeatsOf = [&](const std::vector<std::size_t>& kept, std::size_t bar) {
        const std::size_t songPhase = bestPhase(kept, bar);
        std::vector<int> ms;
        for (std::size_t i : kept) ms.push_back(static_cast<int>(std::lround(beats[i] * kFrameMs)));
        std::vector<std::size_t> starts;
        for (const TempoStretch& s : tempoStretches(ms))
            starts.push_back(static_cast<std::size_t>(std::lower_bound(ms.begin(), ms.end(), s.startMs) - ms.begin()));
        starts.push_back(kept.size());
        std::vector<std::size_t> down;
        for (std::size_t k = 0; k + 1 < starts.size(); ++k) {
            const std::size_t from = starts[k], to = starts[k + 1];
            std::size_t first;
            if (starts.size() > 2 && to - from >= kBarsForOwnPhase * bar) {
                const std::vector<std::size_t> stretch(kept.begin() + static_cast<long>(from), kept.begin() + static_cast<long>(to));
                first = from + bestPhase(stretch, bar);
            } else {
                const std::size_t counted = down.empty() ? songPhase : down.back();
                first = from + (bar - (from + bar - counted % bar) % bar) % bar;
            }
            for (std::size_t j = first; j < to; j += bar) down.push_back(j);
        }
        return down;
    };
    std::vector<std::size_t> all(count);
    std::iota(all.begin(), all.end(), std::size_t{0});
    if (metre.compound) {
        // The dotted beats start where the groups of three do; the bar is two of them.
        std::vector<std::size_t> dotted;
        for (std::size_t i = bestPhase(all, 3); i < count; i += 3) dotted.push_back(i);
        metre.beatsPerBar = 2;
        metre.downbeats = downbeatsOf(dotted, 2);
        std::vector<double> kept;
        for (std::size_t i : dotted) kept.push_back(beats[i]);
        beats = std::move(kept);
    } else {
        metre.downbeats = downbeatsOf(all, static_cast<std::size_t>(metre.beatsPerBar));
    }
    metre.firstDownbeat = metre.downbeats.empty() ? 0 : metre.downbeats.front();
    return metre;
}

bool barOfThreeCountedInTwo(const Envelope& env, const std::vector<double>& beats, const Metre& metre) {
    const std::size_t n = env.onset.size();
    if (metre.beatsPerBar % 2 != 0 || beats.size() < 2 * kPairsForThirds + 1 || n == 0) return false;
    if (meanBpm(beats) * 1.5 > kMaxTempo) return false;
    const std::vector<double> onset = beatOnsets(env);
    // Pairs of beats as the bar counts them (from a downbeat): the onsets at
    // their thirds against the onset at the beat between them.
    double thirds = 0, middle = 0;
    for (std::size_t i = metre.firstDownbeat % 2; i + 2 < beats.size(); i += 2) {
        const double from = beats[i], span = beats[i + 2] - beats[i];
        thirds += (peakAround(onset, from + span / 3) + peakAround(onset, from + 2 * span / 3)) / 2;
        middle += peakAround(onset, beats[i + 1]);
    }
    return middle > 0 && thirds >= kThirdsShare * middle;
}

bool beatsBetweenTriplets(const Envelope& env, const std::vector<double>& beats) {
    const std::size_t n = env.onset.size();
    if (beats.size() < 2 * kPairsForThirds + 1 || n == 0) return false;
    // Half as fast must still be a tempo the tracker considers.
    if (!(meanBpm(beats) / 2 >= kMinTempo)) return false;
    std::vector<double> x = beatOnsets(env);
    const double mean = std::accumulate(x.begin(), x.end(), 0.0) / static_cast<double>(n);
    for (double& v : x) v -= mean;
    // Beat by beat, so a tempo change does not blur it: the onsets from one
    // beat to the next against those a share of that beat later (the best
    // within a frame either side, as the beats sit on onsets only to a frame).
    const double shares[] = {2.0 / 3, 1.0, 4.0 / 3};
    double similar[3] = {0, 0, 0}, power = 0;
    for (std::size_t i = 0; i + 1 < beats.size(); ++i) {
        const double span = beats[i + 1] - beats[i];
        const auto from = static_cast<std::size_t>(std::max(0L, std::lround(beats[i])));
        const auto to = static_cast<std::size_t>(std::max(0L, std::lround(beats[i + 1])));
        if (static_cast<double>(to) + 2 * span + 2 >= static_cast<double>(n)) break;
        for (std::size_t s = 0; s < 3; ++s) {
            double best = -std::numeric_limits<double>::infinity();
            for (double off = -1; off <= 1; ++off) {
                double sum = 0;
                for (std::size_t t = from; t < to; ++t)
                    sum += x[t] * at(x, clampIndex(static_cast<double>(t) + shares[s] * span + off, double(n - 1)));
                best = std::max(best, sum);
            }
            similar[s] += best;
        }
        for (std::size_t t = from; t < to; ++t) power += x[t] * x[t];
    }
    if (!(power > 0)) return false;
    return (std::min(similar[0], similar[2]) - similar[1]) / power > kTripletLead;
}

std::vector<bool> loudWindows(const Tempogram& gram, const std::vector<float>& localLevel, double quiet) {
    std::vector<bool> loud(gram.windows(), false);
    for (std::size_t w = 0; w < gram.windows(); ++w) {
        double sum = 0;
        std::size_t frames = 0;
        const double from = std::max(0.0, gram.centreMs[w] - kWindowMs / 2) / kFrameMs;
        const double to = std::min(static_cast<double>(localLevel.size()), (gram.centreMs[w] + kWindowMs / 2) / kFrameMs);
        for (auto t = static_cast<std::size_t>(from); t < static_cast<std::size_t>(to); ++t, ++frames) sum += localLevel[t];
        loud[w] = frames > 0 && sum >= quiet * static_cast<double>(frames);
    }
    return loud;
}

double octaveSureness(const Tempogram& gram, const std::vector<double>& pathBpm, const std::vector<bool>& loudWindow,
                      double unsure) {
    const std::size_t states = gram.bpm.size();
    if (states == 0) return 0;
    auto score = [&](std::size_t w, std::size_t k) { return observed(gram, w, k, preference(gram.bpm[k])); };
    std::vector<double> lead;
    for (std::size_t w = 0; w < pathBpm.size() && w < gram.windows(); ++w) {
        if (w < loudWindow.size() && !loudWindow[w]) continue;
        const double twice = 2 * pathBpm[w];
        if (twice > gram.bpm.back()) {
            lead.push_back(std::numeric_limits<double>::infinity());  // no double to mistake it for
            continue;
        }
        const auto centre = static_cast<long>(stateAt(gram, twice));
        double best = -std::numeric_limits<double>::infinity();
        for (long k = std::max(0L, centre - kOctaveReach); k <= std::min(static_cast<long>(states) - 1, centre + kOctaveReach); ++k)
            best = std::max(best, score(w, static_cast<std::size_t>(k)));
        lead.push_back(score(w, stateAt(gram, pathBpm[w])) - best);
    }
    if (lead.empty()) return 0;
    return std::clamp(unsure * median(lead) / kOctaveDoubt, 0.0, 1.0);
}

double pulseConfidence(const Tempogram& gram, const std::vector<double>& pathBpm, const std::vector<bool>& loudWindow) {
    const std::size_t states = gram.bpm.size();
    std::vector<double> clarity;
    for (std::size_t w = 0; w < pathBpm.size() && w < gram.windows(); ++w) {
        if (w < loudWindow.size() && !loudWindow[w]) continue;
        clarity.push_back(gram.salience[w * states + stateAt(gram, pathBpm[w])]);
    }
    if (clarity.empty()) return 0;
    return std::clamp((median(clarity) - kClarityNone) / (kClarityFull - kClarityNone), 0.0, 1.0);
}

std::vector<TempoStretch> tempoStretches(const std::vector<int>& beatsMs) {
    std::vector<TempoStretch> stretches;
    if (beatsMs.size() < 2) return stretches;
    const std::size_t intervals = beatsMs.size() - 1;
    std::vector<double> local(intervals);
    for (std::size_t i = 0; i < intervals; ++i) {
        std::vector<double> near;
        for (std::size_t j = i >= kLocalIntervals ? i - kLocalIntervals : 0; j <= std::min(intervals - 1, i + kLocalIntervals); ++j)
            near.push_back(beatsMs[j + 1] - beatsMs[j]);
        local[i] = median(near);
    }
    auto tenths = [](double interval) { return interval > 0 ? std::round(600000.0 / interval) / 10 : 0.0; };
    auto differs = [](double a, double b) { return std::abs(a / b - 1) > kChangeRatio; };
    std::size_t start = 0, i = 0;
    double reference = local[0];
    while (i < intervals) {
        std::size_t run = 0;
        while (i + run < intervals && differs(local[i + run], reference)) ++run;
        if (run >= kChangeBeats) {
            std::vector<double> stretch(local.begin() + static_cast<long>(start), local.begin() + static_cast<long>(i));
            if (!stretch.empty()) stretches.push_back({beatsMs[start], tenths(median(stretch))});
            start = i;
            reference = local[i + run / 2];
            continue;  // the same beats again, against the new tempo
        }
        i += std::max<std::size_t>(run, 1);
    }
    std::vector<double> last(local.begin() + static_cast<long>(start), local.end());
    stretches.push_back({beatsMs[start], tenths(median(last))});
    return stretches;
}

}  // namespace rova::beats::tracker
