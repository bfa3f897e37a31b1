// Pose macros: named target angles for a selection's keyframes.
#pragma once

#include <array>

#include "model/channels.h"

namespace rova {

constexpr float kMacroLeaveAlone = -360.0f;

struct MacroInfo {
    const char* name;  // null ends the table
    std::array<float, kChannelCount> degrees;  // kMacroLeaveAlone: channel untouched
};

// The macros in the order the Apply Macro list shows them, ended by a null name.
extern const MacroInfo kMacroInfo[];

// The first macro of that exact name, or null.
const MacroInfo* findMacro(const char* name);

class CMotionTrack;
// Applies the macro to every keyframe whose time lies within the selection,
// both ends included; marks the track modified even when none does.
void applyMacro(CMotionTrack& track, const MacroInfo& macro, int start, int length);

}  // namespace rova
