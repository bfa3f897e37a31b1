// Operations that rewrite the keyframes of a motion track as a whole or over a
// selection (start and length in time steps).
#pragma once

#include "motion_track.h"

namespace rova {

// Most keyframes expand may leave in a track: 2^20, over 23 hours of keyframes
// every 80 ms (about 92 MB for a full-body track). A crafted duration would
// otherwise ask for billions of keyframes.
inline constexpr int kMaxExpandedKeyframes = 1 << 20;

// Rounds every non-zero duration to a multiple of 5 ticks, carrying the
// remainders so that times drift as little as possible. Returns the number of
// durations changed; the modified flag is left alone.
int align(CMotionTrack& track);

// Removes the keyframes strictly inside the selection that lie within 10 µrad of
// the line through their neighbours in every channel; the times of the others
// and the total stay. False when nothing was removed.
bool reduce(CMotionTrack& track, int start, int length);

// Splits every keyframe of the selection into keyframes 5 ticks apart on the
// line from its predecessor. False when nothing was added, or when the track
// would grow beyond kMaxExpandedKeyframes (then nothing changes).
bool expand(CMotionTrack& track, int start, int length);

// Puts the keyframes between the first and the last keyframe of the selection
// on the straight line between those two, in one column.
void smoothBetweenEnds(CMotionTrack& track, int column, int start, int length);

// Rebuilds the track to the length of new audio: keyframes every 5 ticks, all
// holding the first keyframe's values except the last, which keeps its own.
void rebuildToAudio(CMotionTrack& track, int samples);

}  // namespace rova
