// Steps done lying down: they begin and end in the lying pose.
#include "choreography.h"

namespace rova::dance {

Script scratchEar() {
    const Pose tilt = kLying.head(-5, 10, 15);
    const Pose reach = tilt.leg(RightFront, 100, 20, 130);
    const Pose rub = tilt.leg(RightFront, 95, 20, 110);
    Script s(kLying);
    s.to(tilt, 6).to(reach, 8);
    for (int i = 0; i < 7; ++i) s.to(rub, 2).to(reach, 2);
    s.to(tilt, 8).to(kLying, 7);
    return s;
}

Script sleepWobble() {
    const Pose swayRight = kLying.head(-15, 12, 10).leg(RightFront, 35, -5, 40).leg(LeftFront, 35, -10, 40).tail(5, 12);
    const Pose swayLeft = swayRight.head(-15, -12, -10).tail(5, -12);
    Script s(kLying);
    s.to(kLying.head(-35, 0, 8).mouth(-3), 12);  // dozing off
    s.to(kLying.head(-5), 5).hold(5);            // waking with a start
    s.to(swayRight, 10).to(swayLeft, 14);
    s.to(kLying.head(-40, -5, -6).mouth(-4), 14);
    s.to(kLying.head(-8), 6).hold(4);
    s.to(kLying, 12);
    return s;
}

Script lHandJive() {
    const Pose up = kLying.head(-5, -8).leg(LeftFront, 60, 10, 80);
    const Pose out = up.leg(LeftFront, 70, 30, 60).head(-3, -12, -4);
    const Pose in = up.leg(LeftFront, 40, 0, 100).head(-8, -4, 2);
    Script s(kLying);
    s.to(up, 6);
    for (int i = 0; i < 6; ++i) s.to(out, 4).to(in, 4);
    s.to(up, 5).to(kLying, 10);
    return s;
}

Script noGivePaw() {
    const Pose alert = kLying.head(0);
    const Pose give = kLying.head(5, 5, 5).leg(RightFront, 75, 5, 15);
    Script s(kLying);
    s.to(alert, 6);
    s.to(alert.head(0, 20), 5).to(alert.head(0, -20), 8).to(alert.head(0, 20), 8).to(alert.head(0, -20), 8);
    s.to(alert, 5).to(alert.mouth(-12), 4).to(alert, 4);  // "no"
    s.to(give, 7).hold(14);
    s.to(give.leg(RightFront, 80, 5, 25), 4).to(give, 4);  // a shake of the offered paw
    s.to(kLying, 14);
    return s;
}

Script rHandGesture() {
    const Pose raise = kLying.head(-5, 10).leg(RightFront, 70, 0, 70);
    const Pose present = kLying.head(0, 20, 5).leg(RightFront, 65, 40, 30);
    const Pose point = kLying.head(0, 5).leg(RightFront, 85, 10, 10);
    Script s(kLying);
    s.to(raise, 6).to(present, 8).hold(6).to(point, 8).hold(4).to(present, 8).hold(4);
    s.to(raise, 6).to(kLying, 10);
    return s;
}

}  // namespace rova::dance
