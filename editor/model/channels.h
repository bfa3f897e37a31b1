// Joint channels, units and conversions shared by every part of the editor.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

namespace rova {

constexpr int kChannelCount = 18;
constexpr int kLocatorCount = 19;      // one more than channels: an unsupported tail joint
constexpr int kMsPerSecond = 1000;
constexpr int kMsPerTick = 16;                          // a motion tick
constexpr int kTicksPerStep = 5;                        // a time step is 5 motion ticks
constexpr int kMsPerStep = kTicksPerStep * kMsPerTick;  // 80 ms
constexpr int kSampleRate = 8000;
constexpr int kSamplesPerTick = kSampleRate * kMsPerTick / kMsPerSecond;  // 128
constexpr int kLedStepsPerSecond = 12;
// The shortest eye flash the robot shows visibly, in LED steps: the check
// warns below it and generated flashes never go below it.
constexpr int kMinFlashLedSteps = 2;
constexpr int kMicroRadPerWholeDegree = 17453;
constexpr std::int32_t kNoValue = INT32_MIN;  // 0x80000000: no value at this time or channel

enum Channel : int {
    HeadY, HeadX, HeadZ, Mouth,
    RFLegY, RFLegX, RFPawY,
    LFLegY, LFLegX, LFPawY,
    RRLegY, RRLegX, RRPawY,
    LRLegY, LRLegX, LRPawY,
    TailY, TailX,
};

struct ChannelInfo {
    std::string_view name;   // also the label of the channel's track pane
    float lower;             // degrees
    float upper;             // degrees
    float maxSpeed;          // degrees per second; faster segments are flagged
    int paneHeight;          // pixels; -1 = derive from the range

    // The pane height in pixels, derived from the range when not given.
    constexpr int height() const {
        return paneHeight >= 0 ? paneHeight : static_cast<int>(upper - lower) / 4;
    }
};

extern const std::array<ChannelInfo, kChannelCount> kChannelInfo;

// Name under which each joint is stored in a motion file; index 18 names a tail
// joint the editor recognises only to reject it.
extern const std::array<std::string_view, kLocatorCount> kJointLocators;

// Index of a locator in kJointLocators, or -1.
int findLocator(std::string_view text);

// Body groups: the unit in which motion tracks exist.
enum TrackFlags : unsigned {
    TRACK_WAVE = 0x01,
    TRACK_MIDI = 0x02,
    TRACK_LEDS = 0x04,
    TRACK_HEAD = 0x10,
    TRACK_LEGS = 0x20,
    TRACK_TAIL = 0x40,
    TRACK_MOTION = 0x70,
};

double degreesFromValue(std::int32_t value);
std::int32_t valueFromDegrees(double degrees);
inline int wholeDegrees(std::int32_t value) { return value / kMicroRadPerWholeDegree; }

}  // namespace rova
