// Steps done standing: they begin and end in the standing pose.
#include "choreography.h"

namespace rova::dance {

namespace {

// Front down, rear up, as a dog invites play.
Pose bow() { return kStanding.head(10).front(35, 0, 95).rear(-5, 0, 25); }

// A leg kicked out straight: the front forward, the rear backward.
Pose kick(Leg leg) {
    switch (leg) {
    case RightFront: return kStanding.leg(RightFront, 60, 0, 5).head(5, -5);
    case LeftFront: return kStanding.leg(LeftFront, 60, 0, 5).head(5, 5);
    case RightRear: return kStanding.leg(RightRear, 40, 0, 0).head(-5).tail(0, 15);
    case LeftRear: return kStanding.leg(LeftRear, 40, 0, 0).head(-5).tail(0, -15);
    }
    return kStanding;
}

}  // namespace

Script smallYawn() {
    Script s(kStanding);
    s.to(kStanding.head(12).mouth(-5), 6).to(kStanding.head(16, 0, 4).mouth(-20), 7).hold(6);
    s.to(kStanding.head(6).mouth(-2), 8).to(kStanding.head(-4), 6).to(kStanding, 6).hold(4);
    return s;
}

Script bendWagTail() {
    const Pose down = bow().head(15).tail(-3, 0);
    const Pose wagLeft = down.tail(-3, 25);
    const Pose wagRight = down.tail(-3, -25);
    Script s(kStanding);
    s.to(down, 9).to(wagLeft, 3);
    for (int i = 0; i < 4; ++i) s.to(wagRight, 5).to(wagLeft, 5);
    s.to(kStanding, 10).hold(4);
    return s;
}

Script bowMouth() {
    Script s(kStanding);
    for (const Pose& down : {bow(), bow().head(15, 10)}) {
        s.to(down, 10);
        for (int bark = 0; bark < 4; ++bark) s.to(down.mouth(-15), 5).to(down, 4);
        s.hold(4).to(kStanding, 10).hold(5);
    }
    return s;
}

// Trotting on the spot: the diagonal pairs of legs lift in turn.
Script danceStanding() {
    const Pose a = kStanding.leg(RightFront, 10, 0, 70).leg(LeftRear, -30, 0, 70).head(5, 5).tail(0, 15);
    const Pose b = kStanding.leg(LeftFront, 10, 0, 70).leg(RightRear, -30, 0, 70).head(5, -5).tail(0, -15);
    Script s(kStanding);
    s.to(a, 4);
    for (int i = 0; i < 5; ++i) s.to(b, 4).to(a, 4);
    s.to(kStanding, 4);
    return s;
}

Script kickLegs() {
    Script s(kStanding);
    s.to(kick(RightFront), 7).to(kStanding, 7).to(kick(LeftFront), 7).to(kStanding, 7);
    s.to(kick(RightRear), 6).to(kStanding, 6).to(kick(LeftRear), 6).to(kStanding, 6);
    s.to(kick(RightRear), 5).to(kStanding, 6);
    return s;
}

Script leanYap() {
    const Pose lean = kStanding.head(10).front(-25, 0, 45).rear(5, 0, 20);
    Script s(kStanding);
    s.to(lean, 8);
    for (int i = 0; i < 5; ++i) s.to(lean.head(14).mouth(-15), 4).to(lean, 4);
    s.hold(2).to(kStanding, 8);
    return s;
}

Script legKickEtc() {
    Script s(kStanding);
    s.to(kick(RightFront), 7).to(kStanding, 7).to(kick(LeftFront), 7).to(kStanding, 7);
    s.to(kick(RightRear), 6).to(kStanding, 6).to(kick(LeftRear), 6).to(kStanding, 6);
    s.to(kStanding.head(5, 30), 8).to(kStanding.head(5, -30), 12).to(kStanding, 8);  // a look around
    s.to(bow(), 10);
    for (int i = 0; i < 3; ++i) s.to(bow().tail(0, 20), 5).to(bow().tail(0, -20), 5);
    s.to(kStanding, 10);
    s.to(kick(RightFront), 7).to(kick(LeftFront), 8).to(kStanding, 7);
    return s;
}

Script lPawPlayStanding() {
    const Pose watch = kStanding.head(-25, -8);
    const Pose up = watch.leg(LeftFront, 25, 5, 80);
    const Pose scrape = watch.leg(LeftFront, 5, 0, 35);
    Script s(kStanding);
    s.to(watch, 6).to(up, 6);
    for (int i = 0; i < 4; ++i) s.to(scrape, 5).to(up, 5);
    s.to(watch, 5).to(kStanding, 5);
    return s;
}

// Head and jaw only: the legs stay planted.
Script sayNoLegs() {
    Script s(kStanding);
    s.to(kStanding.head(5), 5);
    for (int set = 0; set < 2; ++set) {
        s.to(kStanding.head(5, 25), 6).to(kStanding.head(5, -25), 10).to(kStanding.head(5, 25), 10).to(kStanding.head(5, -25), 10).to(kStanding.head(5), 6);
        s.to(kStanding.head(10).mouth(-15), 5).to(kStanding.head(5), 4).to(kStanding.head(10).mouth(-15), 5).to(kStanding.head(5), 4);
    }
    s.to(kStanding.head(-15, 20), 8).to(kStanding.head(-15, -20), 10).to(kStanding.head(-15, 20), 10).to(kStanding, 9);  // a last, weary no
    return s;
}

Script stretchLegs() {
    const Pose frontStretch = kStanding.head(15).front(70, 0, 0).rear(-15, 0, 40);
    Script s(kStanding);
    s.to(frontStretch, 12).hold(10).to(kStanding, 10);
    s.to(kStanding.leg(RightRear, 45, 0, 0).head(-5).tail(5, 0), 10).hold(8).to(kStanding, 8);
    s.to(kStanding.leg(LeftRear, 45, 0, 0).head(-5).tail(5, 0), 10).hold(8).to(kStanding, 8);
    s.to(kStanding.head(20).front(35, 0, 10).rear(25, 0, 10), 12).hold(4).to(kStanding, 8);
    return s;
}

Script kneeBends() {
    const Pose down = kStanding.head(-10).front(-35, 0, 85).rear(-45, 0, 95);
    Script s(kStanding);
    for (int i = 0; i < 4; ++i) s.to(down, 9).hold(2).to(kStanding, 9).hold(1);
    return s;
}

Script rearKick() {
    const Pose ready = kStanding.head(-5).front(-15, 0, 40);
    const Pose kickRight = ready.leg(RightRear, 45, 5, 0).head(-5, 15).tail(0, 15);
    const Pose kickLeft = ready.leg(LeftRear, 45, 5, 0).head(-5, -15).tail(0, -15);
    Script s(kStanding);
    s.to(ready, 4);
    for (int i = 0; i < 3; ++i) s.to(kickRight, 6).to(ready, 6).to(kickLeft, 6).to(ready, 6);
    s.to(kStanding, 9);
    return s;
}

// Sits back on the hind legs and rises with the front paws in the air.
Script rise1() {
    const Pose crouch = kStanding.head(5).rear(-45, 0, 90).front(10, 0, 40);
    const Pose risen = kStanding.head(25).rear(-55, 0, 100).front(70, 10, 80).tail(10, 0);
    Script s(kStanding);
    s.to(crouch, 10).to(risen, 10).hold(10);
    for (int i = 0; i < 3; ++i) s.to(risen.leg(RightFront, 80, 10, 100), 5).to(risen.leg(LeftFront, 80, 10, 100), 5);
    s.to(crouch, 12).to(kStanding, 14);
    return s;
}

Script dance1() {
    const Pose swayRight = kStanding.head(5, 12, 8).leg(RightFront, -10, 20, 30).leg(RightRear, -10, 15, 30).tail(0, -20);
    const Pose swayLeft = kStanding.head(5, -12, -8).leg(LeftFront, -10, 20, 30).leg(LeftRear, -10, 15, 30).tail(0, 20);
    const Pose stepRight = kStanding.leg(RightFront, 30, 0, 70).tail(0, 20);
    const Pose stepLeft = kStanding.leg(LeftFront, 30, 0, 70).tail(0, -20);
    Script s(kStanding);
    s.to(swayRight, 5);
    for (int i = 0; i < 3; ++i) s.to(swayLeft, 6).to(swayRight, 6);
    s.to(stepRight, 5).to(kStanding, 4).to(stepLeft, 5).to(kStanding, 4).to(stepRight, 5).to(kStanding, 6);
    return s;
}

Script dance2() {
    const Pose bounce = kStanding.head(-8).front(-20, 0, 55).rear(-25, 0, 55).tail(0, 15);
    const Pose up = kStanding.head(6).tail(0, -15);
    Script s(kStanding);
    s.to(bounce, 4);
    for (int i = 0; i < 5; ++i) s.to(up, 4).to(bounce, 4);
    s.to(kStanding.head(0, 25).leg(RightFront, 25, 15, 60), 6).to(kStanding.head(0, -25).leg(LeftFront, 25, 15, 60), 10);
    s.to(kStanding.head(8), 6).to(bounce, 4).to(kStanding, 4);
    return s;
}

Script dance3() {
    const Pose tapRight = kStanding.head(4, 6).leg(RightFront, 15, 0, 65);
    const Pose tapLeft = kStanding.head(4, -6).leg(LeftFront, 15, 0, 65);
    Script s(kStanding);
    s.to(tapRight, 4);
    for (int i = 0; i < 4; ++i) s.to(tapLeft, 4).to(tapRight, 4);
    s.to(tapLeft, 4).to(kStanding, 4).hold(4);
    return s;
}

// Swinging the hips from side to side, the head swinging against them.
Script danceFuri() {
    const Pose hipRight = kStanding.leg(RightRear, -5, 25, 35).leg(LeftRear, -15, 0, 25).tail(0, -25).head(0, -10, -6);
    const Pose hipLeft = kStanding.leg(LeftRear, -5, 25, 35).leg(RightRear, -15, 0, 25).tail(0, 25).head(0, 10, 6);
    Script s(kStanding);
    s.to(hipRight, 5);
    for (int i = 0; i < 3; ++i) s.to(hipLeft, 6).to(hipRight, 6);
    s.to(hipLeft, 6).to(kStanding, 2);
    return s;
}

// The long morning stretch: front, yawn, rear, tall, and a shake of the head.
Script nobiStd() {
    const Pose frontStretch = kStanding.head(20).front(70, 0, 0).rear(-15, 0, 40);
    const Pose rearStretch = kStanding.head(-10).front(-30, 0, 50).rear(40, 0, 5);
    Script s(kStanding);
    s.to(frontStretch, 14).to(frontStretch.mouth(-30), 10).hold(8).to(frontStretch, 8).to(kStanding, 12);
    s.to(rearStretch, 12).hold(10).to(kStanding, 12);
    s.to(kStanding.head(30).front(5, 0, 15).rear(-25, 0, 45), 10).hold(6);
    s.to(kStanding.head(10, 20, 10), 6).to(kStanding.head(10, -20, -10), 8).to(kStanding.head(10, 15, 8), 7).to(kStanding, 8);
    return s;
}

Script pee() {
    const Pose shift = kStanding.leg(RightRear, -15, 5, 40).head(-5);
    Script s(kStanding);
    s.to(shift, 5).to(shift.leg(LeftRear, -5, 60, 20).head(-5, -15).tail(-3, 0), 8).hold(25);
    s.to(shift, 8).to(kStanding, 9);
    return s;
}

}  // namespace rova::dance
