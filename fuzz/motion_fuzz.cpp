// Motion reader, then alignment and the keyframe operations on what it accepts,
// and a write that must read back to the same keyframes.
#include <sstream>
#include <string>

#include "fuzz_check.h"
#include "quiet_model.h"
#include "model/keyframe_ops.h"
#include "model/motion_file.h"

using namespace rova;

namespace {

void checkRoundTrip(const CMotionTrack& track) {
    std::ostringstream out;
    FUZZ_CHECK(writeMotion(out, track, "fuzz"));
    const std::string s = out.str();
    CMotionTrack back;
    FUZZ_CHECK(readMotion(Bytes(reinterpret_cast<const std::uint8_t*>(s.data()), s.size()), back, {}));
    FUZZ_CHECK(back.kind() == track.kind() && back.keyframeCount() == track.keyframeCount());
    for (int k = 0; k < track.keyframeCount(); ++k) {
        FUZZ_CHECK(back.duration(k) == track.duration(k));
        for (int c = 0; c < track.channelCount(); ++c) FUZZ_CHECK(back.value(k, c) == track.value(k, c));
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    silenceDebugOutput();
    CMotionTrack track;
    if (!readMotion(Bytes(data, size), track, {})) {
        FUZZ_CHECK(track.kind() == MOTION_NONE && track.keyframeCount() == 0);
        return 0;
    }
    track.setFirstChannel(firstChannelOfKind(track.kind()));
    align(track);
    FUZZ_CHECK(track.totalTicks() >= 0);
    for (int k = 0; k < track.keyframeCount(); ++k) FUZZ_CHECK(track.duration(k) % 5 == 0);
    checkRoundTrip(track);

    const int steps = track.totalTicks() / 5 + 1;
    for (int s : {0, steps / 2, steps - 1, steps}) {
        int pose[kChannelCount];
        track.valuesAtStep(s, pose);
        bool pastEnd = false;
        track.isKeyframeAtStep(s, pastEnd);
    }

    CMotionTrack reduced = track;
    const int total = reduced.totalTicks();
    reduce(reduced, 0, steps);
    FUZZ_CHECK(reduced.totalTicks() == total);

    CMotionTrack expanded = track;
    if (expand(expanded, steps / 4, steps)) FUZZ_CHECK(expanded.totalTicks() == total);

    for (int c = 0; c < track.channelCount(); ++c) {
        CMotionTrack smoothed = track;
        smoothBetweenEnds(smoothed, c, 0, steps);
        FUZZ_CHECK(smoothed.value(0, c) == track.value(0, c));
    }
    return 0;
}
