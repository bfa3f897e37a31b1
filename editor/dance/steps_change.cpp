// The steps that move between the resting poses, and the few that fit any
// standing moment. Timings are in frames of 80 ms.
#include "choreography.h"

namespace rova::dance {

Script sitToStand() {
    const Pose lookUp = kSeated.head(-15);
    const Pose lean = kSeated.head(-20).front(-40, 0, 35).rear(-70, 0, 100);
    const Pose halfUp = kStanding.head(-15).front(-25, 0, 40).rear(-45, 0, 75);
    const Pose up = kStanding.head(5).front(-15, 0, 35).rear(-15, 0, 35);
    const Pose wagLeft = kStanding.tail(0, 20);
    const Pose wagRight = kStanding.tail(0, -20);
    Script s(kSeated);
    s.hold(4).to(lookUp, 8).to(lean, 10).to(halfUp, 12).to(up, 12).to(kStanding, 10);
    s.to(wagLeft, 4).to(wagRight, 4).to(wagLeft, 4).to(wagRight, 4).to(kStanding, 2);
    return s;
}

Script sleepToStand() {
    const Pose headUp = kLying.head(5);
    const Pose pawsIn = kLying.head(5).front(0, 0, 55);
    const Pose frontUp = kStanding.front(-15, 0, 35).rear(-70, 0, 95);
    const Pose rearUp = kStanding.rear(-25, 0, 50);
    Script s(kLying);
    s.to(headUp, 8).to(pawsIn, 10).to(frontUp, 12).to(rearUp, 10).to(kStanding, 6).hold(2);
    return s;
}

Script standToSleep() {
    const Pose headDown = kStanding.head(-15);
    const Pose rearFolded = headDown.rear(-60, 0, 85);
    const Pose settling = headDown.front(15, -8, 40).rear(-100, 0, 100);
    Script s(kStanding);
    s.to(headDown, 6).to(rearFolded, 12).to(settling, 12).to(kLying, 8).hold(7);
    return s;
}

Script standToSit() {
    const Pose sniff = kStanding.head(-10, 15);
    const Pose crouch = kStanding.head(-10).rear(-40, 0, 75);
    const Pose sittingDown = kSeated.head(-15).front(-20, 0, 25).rear(-70, 0, 105);
    const Pose proud = kSeated.head(-15);
    Script s(kStanding);
    s.hold(3).to(sniff, 8).to(crouch, 12).to(sittingDown, 14).to(proud, 10);
    s.to(proud.head(-15, 20), 8).to(proud.head(-15, -20), 10).to(kSeated, 7);
    return s;
}

// Head and jaw only, so that it can be laid over any standing motion.
Script sneezeNoLegs() {
    Script s(kStanding);
    s.hold(2);
    s.to(kStanding.head(15).mouth(-12), 8).to(kStanding.head(20, 0, 4).mouth(-20), 6);  // the breath in
    s.to(kStanding.head(-10).mouth(-2), 6).hold(3);                              // achoo
    s.to(kStanding.head(-4), 6);
    s.to(kStanding.head(12).mouth(-14), 6).to(kStanding.head(-8).mouth(-2), 5);          // a smaller one
    s.to(kStanding, 5);
    return s;
}

Script tiltHead() {
    Script s(kStanding);
    s.hold(3).to(kStanding.head(8, 0, 22), 10).hold(6);
    s.to(kStanding.head(8, 0, -22), 16).hold(6);
    s.to(kStanding.head(12, 10, 18), 14).hold(3);
    s.to(kStanding, 8);
    return s;
}

Script playBall1() {
    const Pose watch = kStanding.head(-25);
    Script s(kStanding);
    s.to(watch, 6);
    s.to(watch.leg(RightFront, 30, 0, 90), 8);                   // paw drawn back
    s.to(kStanding.head(-20).leg(RightFront, 50, 0, 30), 6);     // kick
    s.to(watch.leg(RightFront, 20, 0, 80), 6);
    s.to(kStanding.head(-20).leg(RightFront, 50, 10, 25), 6);    // kick again, a little outward
    s.to(kStanding.head(-10).leg(RightFront, -10, 0, 30), 7);
    s.to(kStanding, 3);
    return s;
}

}  // namespace rova::dance
