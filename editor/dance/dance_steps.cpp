#include "dance_steps.h"

#include <cstdio>
#include <cstdlib>
#include <vector>

#include "choreography.h"

namespace rova {

namespace {

using dance::Script;

struct StepSource {
    const char* name;
    int category;
    int frames;
    Script (*choreography)();
};

// The steps in menu order within each category; entry i is command 9000 + i.
constexpr StepSource kSources[kDanceStepCount] = {
    {"Sit to Stand", DANCE_CHANGE, 75, dance::sitToStand},
    {"Sleep to Stand", DANCE_CHANGE, 49, dance::sleepToStand},
    {"Stand to Sleep", DANCE_CHANGE, 46, dance::standToSleep},
    {"Stand to Sit", DANCE_CHANGE, 73, dance::standToSit},
    {"Wobble", DANCE_SITTING, 56, dance::wobble},
    {"Wobble2", DANCE_SITTING, 64, dance::wobble2},
    {"Shimmy", DANCE_SITTING, 28, dance::shimmy},
    {"RaiseForShimmy", DANCE_SITTING, 33, dance::raiseForShimmy},
    {"Extended_Shimmy", DANCE_SITTING, 102, dance::extendedShimmy},
    {"ArmCircle", DANCE_SITTING, 39, dance::armCircle},
    {"ArmShift", DANCE_SITTING, 25, dance::armShift},
    {"ArmShift2", DANCE_SITTING, 33, dance::armShift2},
    {"ArmShift3", DANCE_SITTING, 63, dance::armShift3},
    {"ArmShift4", DANCE_SITTING, 71, dance::armShift4},
    {"BigYawn", DANCE_SITTING, 66, dance::bigYawn},
    {"SmallYawn", DANCE_STANDING, 44, dance::smallYawn},
    {"BlowKisses", DANCE_SITTING, 65, dance::blowKisses},
    {"Boxing", DANCE_SITTING, 52, dance::boxing},
    {"EarScratch1", DANCE_SITTING, 72, dance::earScratch1},
    {"HandJive", DANCE_SITTING, 24, dance::handJive},
    {"HandJive2", DANCE_SITTING, 84, dance::handJive2},
    {"HereIAm", DANCE_SITTING, 77, dance::hereIAm},
    {"LHandGesture", DANCE_SITTING, 65, dance::lHandGesture},
    {"LNo", DANCE_SITTING, 66, dance::lNo},
    {"LPawLook", DANCE_SITTING, 58, dance::lPawLook},
    {"LPawPlay", DANCE_SITTING, 67, dance::lPawPlay},
    {"LPawPlay2", DANCE_SITTING, 87, dance::lPawPlay2},
    {"LPawShift", DANCE_SITTING, 38, dance::lPawShift},
    {"LPawWave2", DANCE_SITTING, 67, dance::lPawWave2},
    {"LWave", DANCE_SITTING, 44, dance::lWave},
    {"LWave3", DANCE_SITTING, 56, dance::lWave3},
    {"LWave4", DANCE_SITTING, 45, dance::lWave4},
    {"PawWag", DANCE_SITTING, 38, dance::pawWag},
    {"PawWave2", DANCE_SITTING, 52, dance::pawWave2},
    {"RCockHead", DANCE_SITTING, 28, dance::rCockHead},
    {"RPawJive_BEG", DANCE_SITTING, 33, dance::rPawJiveBeg},
    {"RPawJive_REP", DANCE_SITTING, 21, dance::rPawJiveRep},
    {"RPawJive_END", DANCE_SITTING, 7, dance::rPawJiveEnd},
    {"RPawLook", DANCE_SITTING, 76, dance::rPawLook},
    {"RPawPlay", DANCE_SITTING, 60, dance::rPawPlay},
    {"RPawWave", DANCE_SITTING, 70, dance::rPawWave},
    {"Shoo", DANCE_SITTING, 56, dance::shoo},
    {"TwoPaw", DANCE_SITTING, 42, dance::twoPaw},
    {"Bend_WagTail", DANCE_STANDING, 67, dance::bendWagTail},
    {"Bow_Mouth", DANCE_STANDING, 131, dance::bowMouth},
    {"Dance", DANCE_STANDING, 49, dance::danceStanding},
    {"Kick Legs", DANCE_STANDING, 64, dance::kickLegs},
    {"LeanYap", DANCE_STANDING, 59, dance::leanYap},
    {"LegKick_Etc", DANCE_STANDING, 153, dance::legKickEtc},
    {"LPawPlay", DANCE_STANDING, 63, dance::lPawPlayStanding},
    {"SayNoLegs", DANCE_STANDING, 163, dance::sayNoLegs},
    {"StretchLegs", DANCE_STANDING, 109, dance::stretchLegs},
    {"KneeBends", DANCE_STANDING, 85, dance::kneeBends},
    {"RearKick", DANCE_STANDING, 86, dance::rearKick},
    {"Rise1", DANCE_STANDING, 87, dance::rise1},
    {"ScratchEar", DANCE_SLEEPING, 58, dance::scratchEar},
    {"SleepWobble", DANCE_SLEEPING, 83, dance::sleepWobble},
    {"LHandJive", DANCE_SLEEPING, 70, dance::lHandJive},
    {"No_GivePaw", DANCE_SLEEPING, 92, dance::noGivePaw},
    {"RHandGesture", DANCE_SLEEPING, 61, dance::rHandGesture},
    {"DANCE1", DANCE_STANDING, 71, dance::dance1},
    {"DANCE2", DANCE_STANDING, 75, dance::dance2},
    {"DANCE3", DANCE_STANDING, 49, dance::dance3},
    {"Dance_FURI", DANCE_STANDING, 50, dance::danceFuri},
    {"NOBI_STD", DANCE_STANDING, 132, dance::nobiStd},
    {"DIG", DANCE_SITTING, 89, dance::dig},
    {"SCRATCH", DANCE_SITTING, 64, dance::scratch},
    {"SCRATCH1", DANCE_SITTING, 62, dance::scratch1},
    {"Sneeze_NOLEGS", DANCE_OTHER, 48, dance::sneezeNoLegs},
    {"TILT_HEAD", DANCE_OTHER, 67, dance::tiltHead},
    {"PlayBall1", DANCE_OTHER, 43, dance::playBall1},
    {"HAPPY", DANCE_SITTING, 36, dance::happy},
    {"Pee", DANCE_STANDING, 56, dance::pee},
    {"ThreeKisses", DANCE_SITTING, 101, dance::threeKisses},
    {"BigWave", DANCE_SITTING, 90, dance::bigWave},
    {"Dig4", DANCE_SITTING, 89, dance::dig4},
    {"PushUps", DANCE_SITTING, 156, dance::pushUps},
    {"LOSE1", DANCE_SITTING, 58, dance::lose1},
    {"LOSE2", DANCE_SITTING, 34, dance::lose2},
    {"LOSE3", DANCE_SITTING, 61, dance::lose3},
    {"WIN1", DANCE_SITTING, 69, dance::win1},
    {"WIN2", DANCE_SITTING, 88, dance::win2},
    {"WIN3", DANCE_SITTING, 77, dance::win3},
};

constexpr int totalFrames() {
    int n = 0;
    for (const StepSource& s : kSources) n += s.frames;
    return n;
}
static_assert(totalFrames() == kDanceFrameTotal);

struct Library {
    Library();

    std::vector<std::int32_t> values;
    std::array<DanceStep, kDanceStepCount> steps{};
};

Library::Library() {
    values.reserve(static_cast<std::size_t>(kDanceFrameTotal) * kChannelCount);
    std::array<std::size_t, kDanceStepCount> offsets{};
    for (int i = 0; i < kDanceStepCount; ++i) {
        const StepSource& src = kSources[i];
        const Script script = src.choreography();
        if (script.frameCount() != src.frames) {
            // The timings of a step no longer add up to its length: a fault in
            // the choreography that must not reach a user's motion.
            std::fprintf(stderr, "dance step \"%s\": choreography has %d frames, the step %d\n",
                         src.name, script.frameCount(), src.frames);
            std::abort();
        }
        offsets[static_cast<std::size_t>(i)] = values.size();
        for (const dance::Frame& f : script.frames()) values.insert(values.end(), f.begin(), f.end());
    }
    // Pointers are taken only once the table has stopped growing.
    for (int i = 0; i < kDanceStepCount; ++i) {
        const StepSource& src = kSources[i];
        steps[static_cast<std::size_t>(i)] = {src.name, values.data() + offsets[static_cast<std::size_t>(i)],
                                              src.frames, src.category};
    }
}

// Built on first use, so nothing depends on the order of static initialisation.
const Library& library() {
    static const Library lib;
    return lib;
}

}  // namespace

const std::array<DanceStep, kDanceStepCount>& danceSteps() { return library().steps; }

std::span<const std::int32_t> danceFrameTable() { return library().values; }

const DanceStep* danceStepForCommand(int id) {
    const int entry = id - kFirstDanceCommand;
    if (entry < 0 || entry >= kDanceStepCount) return nullptr;
    const DanceStep& step = danceSteps()[static_cast<std::size_t>(entry)];
    return step.name ? &step : nullptr;
}

}  // namespace rova
