// The search of Dance to the Music: step by step along the accents, the legal
// candidates (dance_rules.h) are scored and the best one is warped onto the
// beats. Data in (a request and its beat frame), a plan of poses out.
#include <algorithm>
#include <array>
#include <climits>
#include <cmath>
#include <map>
#include <set>

#include "beat_frame.h"
#include "dance_random.h"
#include "dance_steps.h"
#include "music_dance.h"

namespace rova::dance {
namespace {

// The opening (a step and the accent it starts on) is drawn by rank from this
// many of the best, so that ten Vary numbers in a row open differently even
// where few steps fit.
constexpr std::size_t kOpeningRanks = 24;
// Accents a step may wait for its start (a rest, or a slower way in).
constexpr int kMaxWaitAccents = 4;
// The steps last placed that count as recent for freshness.
constexpr std::size_t kRecentSteps = 4;
// Each use of a step halves its freshness.
constexpr double kUseDecay = 0.5;
// A posture change gains appeal over this many steps in one posture.
constexpr int kStepsToChangePosture = 6;
// The liveliness term of a posture change: as good as a step a quarter off
// the music's liveliness.
constexpr double kChangeLiveliness = 0.75;
// Distinct letters a phrase plan uses (A, B, C).
constexpr int kLettersPerSection = 3;
// Accent spacings told apart when phrases are matched (1 .. 63 beats).
constexpr int kSpacingKinds = 64;
// Poses closer than this (µrad, on every joint) need no move between them.
constexpr std::int32_t kSamePose = 1745;  // 0.1 degree
// The way home is planned with room to spare: the steps of a change as warped
// onto the accents may take this much longer than their fewest steps.
constexpr double kHomeSlack = 1.5;

// Phrase plans (the letter of each 4-bar phrase, and whether it varies the
// last step of the phrase it repeats), one picked by the Vary number.
struct PhrasePlan {
    std::array<int, 4> letter;
    std::array<bool, 4> varied;
};
constexpr PhrasePlan kPhrasePlans[] = {
    {{0, 0, 1, 0}, {false, true, false, false}},  // A A′ B A
    {{0, 1, 0, 1}, {false, false, true, true}},   // A B A′ B′
    {{0, 0, 1, 1}, {false, true, false, true}},   // A A′ B B′
    {{0, 1, 0, 2}, {false, false, true, false}},  // A B A′ C
};

bool samePose(const Frame& a, const Frame& b) {
    for (std::size_t c = 0; c < a.size(); ++c)
        if (std::abs(static_cast<std::int64_t>(a[c]) - b[c]) > kSamePose) return false;
    return true;
}

bool dances(BodyPart body, int channel) {
    const bool leg = channel >= RFLegY && channel <= LRPawY;
    switch (body) {
    case BodyPart::HeadTail: return !leg;
    case BodyPart::Legs: return leg;
    case BodyPart::Whole: break;
    }
    return true;
}

class Planner {
public:
    explicit Planner(const DanceRequest& r);
    DancePlan run();

private:
    struct Move {
        const StepTraits* traits = nullptr;
        std::size_t start = 0;              // accent the step's first pose is on
        std::vector<std::size_t> ends;      // accent each phrase arrives on
        ScoreTerms terms;
        double score = -1e300;
    };

    Frame masked(const Frame& f) const;
    std::size_t accentFrom(std::size_t from, int steps) const;
    bool layOut(const StepTraits& s, std::size_t start, Move& move) const;
    bool legal(const StepTraits& s, std::size_t start, Move& move, bool goingHome) const;
    ScoreTerms termsOf(const Move& m, std::size_t earliest);
    std::optional<Move> choose(bool goingHome);
    void place(const Move& m);
    void easeTo(const Frame& target, int untilStep);
    int reserveAfter(Posture p) const;
    int phraseOf(std::size_t accent) const;
    // The letter of a phrase: four phrases (16 bars) make a section with
    // letters of its own, so the material renews as the song goes on.
    int spacingOf(int phrase) const {
        const auto& spacing = m_frame.phraseSpacing;
        return phrase >= 0 && static_cast<std::size_t>(phrase) < spacing.size()
                   ? std::min(spacing[static_cast<std::size_t>(phrase)], kSpacingKinds - 1)
                   : 0;
    }
    int letterOf(int phrase) const {
        return m_plan.letter[static_cast<std::size_t>(phrase % 4)] + kLettersPerSection * (phrase / 4);
    }

    const DanceRequest& m_req;
    BeatFrame m_frame;
    Random m_random;
    const PhrasePlan& m_plan;
    Frame m_hold{};  // the values of the joints that do not dance
    Posture m_target = Posture::Standing;
    std::array<std::array<int, kPostureCount>, kPostureCount> m_changeSteps{};
    std::array<std::array<const StepTraits*, kPostureCount>, kPostureCount> m_changeStep{};

    DancePlan m_out;
    std::size_t m_at = 0;  // the accent the dance stands on
    int m_pos = 0;         // time step of the last pose written
    Frame m_cur{};
    Posture m_posture = Posture::Standing;
    std::vector<int> m_lastEndBeat;  // per library entry: beat its last use ended on
    std::vector<int> m_uses;
    std::vector<int> m_recent;
    int m_stepsSinceChange = 0;
    bool m_opening = true;
    // Structure: the steps of the first phrase of each letter, and the steps
    // the current phrase is to repeat.
    std::map<int, std::vector<int>> m_letterSteps;
    std::set<int> m_letterSeen;
    int m_phrase = -1;
    std::vector<int> m_repeat;
    std::size_t m_repeatAt = 0;
};

Planner::Planner(const DanceRequest& r)
    : m_req(r),
      m_frame(beatFrameOf(r, std::max(1, r.minSpacingBeats))),
      m_random(r.seed),
      m_plan(kPhrasePlans[r.seed % std::size(kPhrasePlans)]),
      m_lastEndBeat(kDanceStepCount, INT_MIN / 2),
      m_uses(kDanceStepCount, 0) {
    m_hold = r.startPose;
    m_pos = r.startStep;
    m_cur = r.startPose;
    m_posture = postureOf(r.startPose);
    m_target = r.endPose && !r.keepPosture && r.body != BodyPart::HeadTail ? postureOf(*r.endPose) : m_posture;
    // The fewest time steps between postures over the library's changes.
    constexpr int kFar = 1 << 28;
    for (auto& row : m_changeSteps) row.fill(kFar);
    for (int p = 0; p < kPostureCount; ++p) m_changeSteps[static_cast<std::size_t>(p)][static_cast<std::size_t>(p)] = 0;
    for (const StepTraits& s : musicSteps()) {
        if (s.start == s.end) continue;
        int steps = 0;
        for (const StepSegment& seg : s.segments)
            steps += std::max(seg.minSteps, static_cast<int>(std::ceil(m_frame.beatSteps * std::max(1, r.minSpacingBeats))));
        steps = static_cast<int>(std::ceil(steps * kHomeSlack));
        const auto from = static_cast<std::size_t>(s.start), to = static_cast<std::size_t>(s.end);
        if (steps < m_changeSteps[from][to]) {
            m_changeSteps[from][to] = steps;
            m_changeStep[from][to] = &s;
        }
    }
    for (std::size_t k = 0; k < kPostureCount; ++k)
        for (std::size_t i = 0; i < kPostureCount; ++i)
            for (std::size_t j = 0; j < kPostureCount; ++j)
                m_changeSteps[i][j] = std::min(m_changeSteps[i][j], m_changeSteps[i][k] + m_changeSteps[k][j]);
    m_out.poses.reserve(static_cast<std::size_t>(r.endStep - r.startStep + 1));
    m_out.poses.push_back(r.startPose);
}

Frame Planner::masked(const Frame& f) const {
    if (m_req.body == BodyPart::Whole) return f;
    Frame out = f;
    for (int c = 0; c < kChannelCount; ++c)
        if (!dances(m_req.body, c)) out[static_cast<std::size_t>(c)] = m_hold[static_cast<std::size_t>(c)];
    return out;
}

// The first accent after `from` at least `steps` time steps later, or past the end.
std::size_t Planner::accentFrom(std::size_t from, int steps) const {
    const auto& acc = m_frame.accents;
    std::size_t j = from + 1;
    while (j < acc.size() && acc[j].step - acc[from].step < steps) ++j;
    return j;
}

// Time steps to keep free after a step that ends in posture p: the way back to
// the posture that follows the range and the ease into its pose.
int Planner::reserveAfter(Posture p) const {
    if (!m_req.endPose) return 0;
    const int back = m_changeSteps[static_cast<std::size_t>(p)][static_cast<std::size_t>(m_target)];
    return back + easeSteps(masked(restingPose(m_target)), *m_req.endPose) +
           2 * static_cast<int>(std::ceil(m_frame.beatSteps * std::max(1, m_req.minSpacingBeats)));
}

int Planner::phraseOf(std::size_t accent) const {
    const int beat = m_frame.accents[accent].beat;
    const auto& starts = m_frame.phraseStarts;
    // Before the first bar, the pickup.
    return static_cast<int>(std::upper_bound(starts.begin(), starts.end(), beat) - starts.begin()) - 1;
}

// Each phrase of the step on the fewest accents that keep its speeds.
bool Planner::layOut(const StepTraits& s, std::size_t start, Move& move) const {
    move.traits = &s;
    move.start = start;
    move.ends.clear();
    std::size_t j = start;
    for (const StepSegment& seg : s.segments) {
        j = accentFrom(j, seg.minSteps);
        if (j >= m_frame.accents.size()) return false;
        move.ends.push_back(j);
    }
    return true;
}

bool Planner::legal(const StepTraits& s, std::size_t start, Move& move, bool goingHome) const {
    const auto& acc = m_frame.accents;
    if (!postureFits(s, m_posture)) return false;
    if (!keepsPosture(s, m_req.keepPosture || m_req.body == BodyPart::HeadTail)) return false;
    if (start >= acc.size() || acc[start].beat < 0) return false;
    if (!layOut(s, start, move)) return false;
    const Accent& last = acc[move.ends.back()];
    const int spanBeats = last.beat - acc[start].beat;
    if (!onBarIfLong(spanBeats, m_frame.beatsPerBar, m_frame.downbeatsKnown, acc[start].down)) return false;
    if (goingHome) return last.step <= m_req.endStep;
    if (!pastRepeatGap(acc[start].beat, m_lastEndBeat[static_cast<std::size_t>(s.entry)])) return false;
    return leavesRoomToGoHome(last.step, reserveAfter(s.end), m_req.endStep);
}

ScoreTerms Planner::termsOf(const Move& m, std::size_t earliest) {
    const auto& acc = m_frame.accents;
    const StepTraits& s = *m.traits;
    ScoreTerms t;
    double want = 0;
    int n = 0;
    for (int b = acc[m.start].beat; b <= acc[m.ends.back()].beat; ++b, ++n)
        want += m_frame.beats[static_cast<std::size_t>(b)].target;
    want = n > 0 ? want / n : 0.5;
    // A change of posture is judged by the posture's time, not by how lively it is.
    t.liveliness = s.start != s.end ? kChangeLiveliness : 1.0 - std::min(1.0, std::abs(s.liveliness - want));
    const bool recent = std::find(m_recent.begin(), m_recent.end(), s.entry) != m_recent.end();
    t.freshness = recent ? 0.0 : std::pow(kUseDecay, m_uses[static_cast<std::size_t>(s.entry)]);
    t.downbeatSize = acc[m.start].down ? s.size : 0.5;
    t.promptness = 1.0 - std::min(1.0, static_cast<double>(m.start - earliest) / kMaxWaitAccents);
    // The longer the dance keeps a posture, the more a change appeals.
    const double settled = std::min(1.0, static_cast<double>(m_stepsSinceChange) / kStepsToChangePosture);
    t.postureStay = s.start == s.end ? 1.0 - 0.5 * settled : settled;
    t.calm = s.end == Posture::Lying ? 0.0 : 1.0;
    t.structure = m_repeatAt < m_repeat.size() && m_repeat[m_repeatAt] == s.entry ? 1.0 : 0.0;
    t.jitter = m_random.uniform();
    t.accentFit = static_cast<double>(s.segments.size()) / static_cast<double>(m.ends.back() - m.start);
    return t;
}

std::optional<Planner::Move> Planner::choose(bool goingHome) {
    // A new phrase: repeat the steps of an earlier phrase of the same letter.
    const int phrase = phraseOf(m_at);
    if (!goingHome && phrase != m_phrase && phrase >= 0) {
        m_phrase = phrase;
        const std::size_t slot = static_cast<std::size_t>(phrase % 4);
        // A phrase of another loudness (its accents spaced otherwise) is new material.
        const int spacing = spacingOf(phrase);
        const int letter = letterOf(phrase) * kSpacingKinds + spacing;
        m_repeat.clear();
        m_repeatAt = 0;
        if (m_letterSeen.count(letter)) {
            m_repeat = m_letterSteps[letter];
            if (m_plan.varied[slot] && !m_repeat.empty()) m_repeat.pop_back();
        }
    }
    std::optional<Move> best;
    std::vector<Move> opening;
    for (const StepTraits& s : musicSteps()) {
        if (goingHome && (s.start == s.end || s.start != m_posture)) continue;
        if (!postureFits(s, m_posture)) continue;
        // The earliest accent the step can start on: after the way into its
        // first pose, and never on the range's first step, which is no beat.
        const Frame first = masked(stepFrame(s.entry, s.segments.front().from));
        const int way = samePose(first, m_cur) ? 0 : std::max(easeSteps(m_cur, first), kMinAccentSteps);
        std::size_t earliest = way == 0 ? m_at : accentFrom(m_at, way);
        if (earliest < m_frame.accents.size() && m_frame.accents[earliest].beat < 0) ++earliest;
        for (std::size_t start = earliest; start < m_frame.accents.size() && start <= earliest + kMaxWaitAccents; ++start) {
            Move m;
            if (!legal(s, start, m, goingHome)) continue;
            m.terms = termsOf(m, earliest);
            m.score = totalScore(m.terms, m_req.weights);
            if (m_opening && !goingHome) {
                Move ranked = m;
                ranked.score -= m_req.weights.jitter * m.terms.jitter;  // ranked without the jitter
                opening.push_back(ranked);
            }
            if (!best || m.score > best->score) best = m;
            if (goingHome) break;
        }
    }
    if (m_opening && !opening.empty()) {
        m_opening = false;
        std::stable_sort(opening.begin(), opening.end(), [](const Move& a, const Move& b) { return a.score > b.score; });
        return opening[m_req.seed % std::min(opening.size(), kOpeningRanks)];
    }
    return best;
}

void Planner::easeTo(const Frame& target, int untilStep) {
    const int n = untilStep - m_pos;
    if (n <= 0) return;
    appendEasedMove(m_out.poses, m_cur, target, n);
    m_pos = untilStep;
    m_cur = target;
}

void Planner::place(const Move& m) {
    const auto& acc = m_frame.accents;
    const StepTraits& s = *m.traits;
    easeTo(masked(stepFrame(s.entry, s.segments.front().from)), acc[m.start].step);
    std::size_t from = m.start;
    for (std::size_t i = 0; i < s.segments.size(); ++i) {
        const std::size_t to = m.ends[i];
        for (const Frame& f : warpSegment(s.entry, s.segments[i], acc[to].step - acc[from].step))
            m_out.poses.push_back(masked(f));
        from = to;
    }
    m_at = m.ends.back();
    m_pos = acc[m_at].step;
    m_cur = m_out.poses.back();
    m_out.steps.push_back({s.entry, acc[m.start].step, m_pos - acc[m.start].step + 1, m.terms});
    m_lastEndBeat[static_cast<std::size_t>(s.entry)] = acc[m_at].beat;
    ++m_uses[static_cast<std::size_t>(s.entry)];
    m_recent.push_back(s.entry);
    if (m_recent.size() > kRecentSteps) m_recent.erase(m_recent.begin());
    m_stepsSinceChange = s.start != s.end ? 0 : m_stepsSinceChange + 1;
    m_posture = s.end;
    if (m_phrase >= 0) {
        const int letter = letterOf(m_phrase) * kSpacingKinds + spacingOf(m_phrase);
        if (!m_letterSeen.count(letter)) m_letterSteps[letter].push_back(s.entry);
        if (m_repeatAt < m_repeat.size()) ++m_repeatAt;
    }
}

DancePlan Planner::run() {
    while (const auto m = choose(false)) {
        // The first phrase of a letter is what later phrases of it repeat.
        const int before = m_phrase;
        place(*m);
        if (before >= 0 && phraseOf(m_at) != before)
            m_letterSeen.insert(letterOf(before) * kSpacingKinds + spacingOf(before));
    }
    // No step fits any more: go back to the posture that follows, then ease
    // into the pose that follows (or hold the last pose at the motion's end).
    if (m_req.endPose) {
        for (int hop = 0; hop < kPostureCount && m_posture != m_target; ++hop) {
            const StepTraits* best = nullptr;
            const auto from = static_cast<std::size_t>(m_posture), target = static_cast<std::size_t>(m_target);
            for (std::size_t q = 0; q < kPostureCount; ++q) {
                const StepTraits* s = m_changeStep[from][q];
                if (s && (!best || m_changeSteps[q][target] < m_changeSteps[static_cast<std::size_t>(best->end)][target]))
                    best = s;
            }
            if (!best) break;
            Move m;
            std::size_t start = m_at;
            const Frame first = masked(stepFrame(best->entry, best->segments.front().from));
            if (!samePose(first, m_cur)) start = accentFrom(m_at, std::max(easeSteps(m_cur, first), kMinAccentSteps));
            if (start < m_frame.accents.size() && m_frame.accents[start].beat < 0) ++start;
            if (!legal(*best, start, m, true)) break;
            m.terms = termsOf(m, start);
            place(m);
        }
        // Every joint, the ones that did not dance too, eases into the pose
        // that follows, exactly as it is there.
        easeTo(*m_req.endPose, m_req.endStep);
    } else {
        easeTo(m_cur, m_req.endStep);
    }
    for (const Accent& a : m_frame.accents)
        if (a.step <= m_req.endStep) m_out.accents.push_back(a.step);
    m_out.accents.push_back(m_req.endStep);
    m_out.accents.erase(std::unique(m_out.accents.begin(), m_out.accents.end()), m_out.accents.end());
    return std::move(m_out);
}

}  // namespace

DancePlan planDance(const DanceRequest& request) {
    if (!request.beats || request.endStep < request.startStep) return {};
    Planner planner(request);
    return planner.run();
}

}  // namespace rova::dance
