// The sound track files: 8000 Hz mono 8-bit WAVE, and MIDI kept for playback only.
#pragma once

#include "byte_io.h"
#include "motion_track.h"

namespace rova {

// Finds the samples of a WAVE file of the one accepted kind. The track points
// into the bytes, which must outlive it. On failure the track is left empty.
bool readWave(Bytes file, CWaveTrack& track);

// A file that begins with "MThd" is taken as MIDI audio without further checks.
bool isMidiAudio(Bytes file);

// LED steps that fit audio of the given sample count: (samples * 12 + 132) / 8000,
// so a step counts once all but 11 of its samples are there.
int ledStepsForAudio(int samples);

// Sizes the eye LED track to the audio, every step dark, and marks it modified.
void resetLedTrackToAudio(CLedTrack& track, int samples);

}  // namespace rova
