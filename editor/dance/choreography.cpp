#include "choreography.h"

#include <cmath>

namespace rova::dance {

const Pose kStanding{kStandingPose};
const Pose kSeated{kSeatedPose};
const Pose kLying{kLyingPose};

Pose Pose::set(Channel channel, double degrees) const {
    Pose p = *this;
    p.m_v[static_cast<std::size_t>(channel)] = valueFromDegrees(degrees);
    return p;
}

Pose Pose::head(double y, double x, double z) const {
    return set(HeadY, y).set(HeadX, x).set(HeadZ, z);
}

Pose Pose::mouth(double open) const { return set(Mouth, open); }

Pose Pose::leg(Leg leg, double y, double x, double paw) const {
    const int first = RFLegY + 3 * leg;
    return set(Channel(first), y).set(Channel(first + 1), x).set(Channel(first + 2), paw);
}

Pose Pose::front(double y, double x, double paw) const {
    return leg(RightFront, y, x, paw).leg(LeftFront, y, x, paw);
}

Pose Pose::rear(double y, double x, double paw) const {
    return leg(RightRear, y, x, paw).leg(LeftRear, y, x, paw);
}

Pose Pose::tail(double y, double x) const { return set(TailY, y).set(TailX, x); }

Script::Script(const Pose& start) : m_current(start), m_frames{start.values()} {}

void appendEasedMove(std::vector<Frame>& out, const Frame& from, const Frame& to, int frames) {
    for (int i = 1; i <= frames; ++i) {
        const double t = static_cast<double>(i) / frames;
        const double ease = t * t * (3.0 - 2.0 * t);
        Frame f;
        for (std::size_t c = 0; c < f.size(); ++c) {
            const double delta = static_cast<double>(to[c]) - from[c];
            f[c] = static_cast<std::int32_t>(from[c] + std::llround(delta * ease));
        }
        out.push_back(f);
    }
}

// Smooth ease in and out: the joints start and stop gently.
Script& Script::to(const Pose& pose, int frames) {
    appendEasedMove(m_frames, m_current.values(), pose.values(), frames);
    m_current = pose;
    return *this;
}

Script& Script::hold(int frames) {
    m_frames.insert(m_frames.end(), static_cast<std::size_t>(frames), m_current.values());
    return *this;
}

}  // namespace rova::dance
