// The built-in library of dance steps: whole-body motions, one pose of all 18
// channels per time step, that the Dancing menu inserts into a motion.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string_view>

#include "model/channels.h"

namespace rova {

// Category index of a step: the submenu it is listed in.
enum DanceCategory : int {
    DANCE_SITTING,
    DANCE_STANDING,
    DANCE_SLEEPING,
    DANCE_CHANGE,
    DANCE_OTHER,
};
constexpr int kDanceCategoryCount = 5;
constexpr std::array<std::string_view, kDanceCategoryCount> kDanceCategoryNames = {
    "Sitting", "Standing", "Sleeping", "Change", "Other",
};

constexpr int kDanceStepCount = 83;
constexpr int kDanceFrameTotal = 5462;
// Step i carries command id kFirstDanceCommand + i; the ids up to
// kLastDanceCommand are reserved for steps.
constexpr int kFirstDanceCommand = 9000;
constexpr int kLastDanceCommand = 9100;

struct DanceStep {
    const char* name;            // menu text; null marks a separator line
    const std::int32_t* poses;   // frameCount frames of kChannelCount micro-radian values
    int frameCount;
    int category;                // DanceCategory

    // The 18 channel values of frame f, in channel order.
    const std::int32_t* frame(int f) const { return poses + f * kChannelCount; }
};

// The steps in entry order. The pose frames are expanded from the
// choreography on first use and stay constant afterwards.
const std::array<DanceStep, kDanceStepCount>& danceSteps();

// Every frame of every step, in entry order, back to back.
std::span<const std::int32_t> danceFrameTable();

// The named step that command id carries, or null (ids outside the step
// range, reserved ids without a step, separators).
const DanceStep* danceStepForCommand(int id);

}  // namespace rova
