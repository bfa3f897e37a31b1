// Writing a dance step into a motion, the part of the Dancing command that
// needs no window.
#pragma once

#include "dance_steps.h"
#include "model/motion_track.h"

namespace rova {

// Writes the frames of step into a full-body motion, frame f at time step
// start + f. Only time steps where a keyframe already sits take values (the
// motion's first and last keyframe keep theirs); nothing is created. Stops at
// the first frame past the end of the motion. Returns the misses: one per
// channel write that found no keyframe, plus one when the step ran past the end.
int writeDanceStep(CMotionTrack& motion, const DanceStep& step, int start);

}  // namespace rova
