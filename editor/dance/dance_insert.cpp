#include "dance_insert.h"

namespace rova {

int writeDanceStep(CMotionTrack& motion, const DanceStep& step, int start) {
    int misses = 0;
    const int lastStep = motion.totalTicks() / kTicksPerStep;
    for (int f = 0; f < step.frameCount; ++f) {
        const int s = start + f;
        if (s > lastStep) {
            ++misses;
            break;
        }
        const std::int32_t* values = step.frame(f);
        for (int c = 0; c < kChannelCount; ++c)
            if (!motion.setValueAtStep(s, c, values[c])) ++misses;
    }
    return misses;
}

}  // namespace rova
