// The eye LED file (.LED): a format-0 Standard MIDI File in which each eye is one note.
#pragma once

#include <cstdint>
#include <ostream>
#include <string_view>
#include <vector>

#include "byte_io.h"
#include "motion_track.h"

namespace rova {

inline constexpr int kLedTicksPerStep = 30;  // MIDI ticks per LED step
inline constexpr int kGreenEyeNote = 64;     // track bit 0
inline constexpr int kRedEyeNote = 60;       // track bit 1
inline constexpr int kMarkerNote = 72;       // file only: on for the whole track
inline constexpr int kNoteOnVelocity = 120;

// Longest eye LED track read or written: 2^22 steps, over 97 hours at 12 steps a
// second, which no performance reaches (the longest sound that fits an int
// sample count is 3.2 million steps). It keeps a crafted file from growing the
// track without bound, and every delta of a track this long fits the four bytes
// of a standard variable-length quantity.
inline constexpr int kMaxLedSteps = 1 << 22;

inline constexpr std::string_view kMissingEotDiagnostic = "Missing EOT\n";

// Fills the track from a whole eye LED file; on failure the track is left empty.
// A file that ends without an end-of-track event is reported to the debug output.
bool readLed(Bytes file, CLedTrack& track);

// Writes the whole file and patches the track length; the stream must be seekable.
// A last step that is all dark (in a track of two or more steps) is left to the
// final note-off, so the file reads back with exactly the steps written; a track
// ending lit reads back with one dark step more, once. False as soon as a write
// or the patch fails, and, before anything is written, for a track whose file
// could not be read back (kMaxLedSteps or more steps written).
bool writeLed(std::ostream& out, const CLedTrack& track);

// How many steps writeLed writes before the final note-off.
std::size_t writtenLedSteps(const CLedTrack& track);

// Appends a standard MIDI variable-length quantity (1 to 4 bytes, most
// significant group first); false, with nothing appended, for values of 2^28 or more.
bool appendVarLength(std::vector<std::uint8_t>& out, std::uint32_t value);

}  // namespace rova
