// The performance check of a whole document: its tracks and the length of
// its sound. It lives with the shell, which links both the check and the
// document, so that the check itself needs no document.
#pragma once

#include "check/check.h"
#include "document/main_doc.h"

namespace rova::check {

inline int soundTicksOf(const CMainDoc& doc) {
    return (doc.trackFlags() & TRACK_WAVE) != 0 ? doc.wave().ticks() : kNoSoundLength;
}

inline std::vector<Problem> checkPerformance(const CMainDoc& doc) {
    return checkPerformance(doc.motion(), doc.leds(), soundTicksOf(doc));
}

inline std::optional<Budget> motionBudget(const CMainDoc& doc) { return motionBudget(doc.motion()); }

}  // namespace rova::check
