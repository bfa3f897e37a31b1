#include "view/macros.h"

#include <cstring>

#include "model/motion_track.h"

namespace rova {
namespace {
constexpr float X = kMacroLeaveAlone;
}

const MacroInfo kMacroInfo[] = {
    {"Set legs: sleep", {X, X, X, X, 35.4f, -16, 40.8f, 35.4f, -16, 40.8f, -110, 0, 100, -110, 0, 100, X, X}},
    {"Set legs: sleepb3", {X, X, X, X, 40, 0, 45, 40, 0, 45, 5, 0, 120, 5, 0, 120, X, X}},
    {"Set legs: sleepc", {X, X, X, X, 40, -15, 45, 40, -15, 45, -55, 50, 1, -55, 50, 1, X, X}},
    {"Set legs: sit", {X, X, X, X, -30.6f, 0, 15.6f, -30.6f, 0, 15.6f, -85.8f, 0, 115.8f, -85.8f, 0, 115.8f, X, X}},
    {"Set legs: sitb", {X, X, X, X, -20, 0, 3, -20, 0, 3, -40, 23, 1, -40, 23, 1, X, X}},
    {"Set legs: sit3", {X, X, X, X, -30.6f, 0, 15.6f, -30.6f, 0, 15.6f, -65, 0, 110, -65, 0, 110, X, X}},
    {"Set legs: sitc", {X, X, X, X, -20, 0, 3, -20, 0, 3, -65, 47, 45, -80, 30, 80, X, X}},
    {"Set legs: stand", {X, X, X, X, -10, 0, 30, -10, 0, 30, -10, 0, 30, -10, 0, 30, X, X}},
    {"Set head: default", {0, 0, 0, X, X, X, X, X, X, X, X, X, X, X, X, X, X, X}},
    {"Set head+mouth: default", {0, 0, 0, 0, X, X, X, X, X, X, X, X, X, X, X, X, X, X}},
    {"Set tail: default", {X, X, X, X, X, X, X, X, X, X, X, X, X, X, X, X, 0, 0}},
    {nullptr, {}},
};

const MacroInfo* findMacro(const char* name) {
    for (const MacroInfo* m = kMacroInfo; m->name; ++m)
        if (std::strcmp(m->name, name) == 0) return m;
    return nullptr;
}

void applyMacro(CMotionTrack& track, const MacroInfo& macro, int start, int length) {
    const std::int64_t from = static_cast<std::int64_t>(start) * kTicksPerStep;
    const std::int64_t to = (static_cast<std::int64_t>(start) + length) * kTicksPerStep;
    for (int k = 0; k < track.keyframeCount(); ++k) {
        const std::int64_t t = track.keyframeTime(k);
        if (t < from || t > to) continue;
        for (int c = 0; c < track.channelCount(); ++c) {
            const float x = macro.degrees[static_cast<std::size_t>(track.firstChannel() + c)];
            if (x != kMacroLeaveAlone) track.setValue(k, c, valueFromDegrees(x));
        }
    }
    track.setModified(true);
}

}  // namespace rova
