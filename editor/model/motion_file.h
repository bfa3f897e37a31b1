// The robot's motion file (.MTN): reading into a track and writing it back.
#pragma once

#include <ostream>
#include <string_view>

#include "byte_io.h"
#include "motion_track.h"

namespace rova {

inline constexpr std::string_view kMotionCreator = "ROVA Editor";
inline constexpr std::string_view kMotionDesign = "QTM-410";
inline constexpr std::string_view kExtraTailMessage = "Motion contains extra tail servo -- not supported";

// Fills the track from a whole motion file. On failure the track is left empty;
// the one failure the user is told about directly (an extra tail servo) goes to
// the sink, all others are for the caller to report.
bool readMotion(Bytes file, CMotionTrack& track, const MessageSink& sink);

// Writes the whole file; false as soon as a write fails.
bool writeMotion(std::ostream& out, const CMotionTrack& track, std::string_view name);

}  // namespace rova
