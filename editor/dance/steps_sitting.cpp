// Steps done sitting: they begin and end in the seated pose. Sitting, the
// head at about -33 degrees looks straight ahead.
#include <initializer_list>

#include "choreography.h"

namespace rova::dance {

namespace {

// Sitting up tall on straightened front legs.
Pose tall() { return kSeated.head(-10).front(-20, 0, 0); }

// A front paw drawn to the mouth for a kiss, then thrown out.
Pose kissPaw(Side side) { return kSeated.head(-15, 5 * toward(side)).leg(frontLeg(side), 105, 0, 120).mouth(-6); }
Pose throwKiss(Side side) { return kSeated.head(-5).leg(frontLeg(side), 75, 30, 25).mouth(-8); }

// Lifts a front paw, looks at it from the side, turns it over and lowers it.
Script pawLook(Side side, int turns, int gaze) {
    const double t = toward(side);
    const Leg leg = frontLeg(side);
    const Pose up = kSeated.head(-25).leg(leg, 60, 15, 70);
    const Pose look = up.head(-15, 30 * t, 15 * t);
    Script s(kSeated);
    s.to(up, 9).to(look, 8);
    for (int i = 0; i < turns; ++i) s.to(look.leg(leg, 60, 35, 50), 6).to(look.leg(leg, 70, 5, 90), 6);
    s.to(look, 5).hold(gaze).to(up, 8).to(kSeated, 10);
    return s;
}

// Scratches with a hind paw in bursts of quick strokes, the head turned
// toward the itch.
Script hindScratch(Side side, const Pose& lean, double legY, std::initializer_list<int> bursts) {
    const Leg leg = rearLeg(side);
    const Pose lifted = lean.leg(leg, legY, 25, 95);
    const Pose stroke = lean.leg(leg, legY + 10, 25, 125);
    Script s(kSeated);
    s.to(lean, 8).to(lifted, 8);
    bool first = true;
    for (int strokes : bursts) {
        if (!first) s.hold(2);
        first = false;
        for (int i = 0; i < strokes; ++i) s.to(stroke, 2).to(lifted, 2);
    }
    s.to(lean, 7).to(kSeated, 8);
    return s;
}

// The right paw held up for the jive, where its three steps meet.
Pose jive() { return kSeated.head(-25, 5, 5).leg(RightFront, 15, 10, 50).tail(0, 10); }

}  // namespace

Script wobble() {
    const Pose right = kSeated.head(-30, 8, 12).leg(RightFront, -30, 15, 20).leg(LeftFront, -30, 0, 10).tail(0, -15);
    const Pose left = kSeated.head(-30, -8, -12).leg(RightFront, -30, 0, 10).leg(LeftFront, -30, 15, 20).tail(0, 15);
    Script s(kSeated);
    s.to(right, 7);
    for (int i = 0; i < 2; ++i) s.to(left, 10).to(right, 10);
    s.to(kSeated, 8);
    return s;
}

Script wobble2() {
    const Pose right = kSeated.head(-20, 12, 15).leg(RightFront, -10, 20, 40).tail(0, -20);
    const Pose dip = kSeated.head(-40);
    const Pose left = kSeated.head(-20, -12, -15).leg(LeftFront, -10, 20, 40).tail(0, 20);
    Script s(kSeated);
    s.to(right, 8).to(dip, 7).to(left, 7).to(dip, 7).to(right, 7).to(dip, 7).to(left, 7).to(dip, 6).to(kSeated, 7);
    return s;
}

Script shimmy() {
    const Pose left = kSeated.leg(RightFront, -25, 0, 15).leg(LeftFront, -35, 14, 15).head(-30, -6);
    const Pose right = kSeated.leg(RightFront, -35, 14, 15).leg(LeftFront, -25, 0, 15).head(-30, 6);
    Script s(kSeated);
    s.to(left, 3);
    for (int i = 0; i < 3; ++i) s.to(right, 3).to(left, 3);
    s.to(right, 3).to(kSeated, 3);
    return s;
}

Script raiseForShimmy() {
    const Pose up = tall();
    const Pose left = up.leg(RightFront, -15, 0, 0).leg(LeftFront, -25, 12, 0).head(-10, -6);
    const Pose right = up.leg(RightFront, -25, 12, 0).leg(LeftFront, -15, 0, 0).head(-10, 6);
    Script s(kSeated);
    s.to(up, 8).to(left, 3).to(right, 3).to(left, 3).to(right, 3).to(left, 3).to(up, 3).to(kSeated, 6);
    return s;
}

Script extendedShimmy() {
    const Pose up = tall();
    const Pose left = up.leg(RightFront, -15, 0, 0).leg(LeftFront, -25, 12, 0).head(-10, -6).tail(0, 12);
    const Pose right = up.leg(RightFront, -25, 12, 0).leg(LeftFront, -15, 0, 0).head(-10, 6).tail(0, -12);
    Script s(kSeated);
    s.to(up, 8);
    for (int i = 0; i < 8; ++i) s.to(left, 3).to(right, 3);
    // Rolling the head along with the shoulders.
    for (int i = 0; i < 3; ++i) s.to(left.head(0, -10, -5), 4).to(right.head(0, 10, 5), 4);
    s.to(up, 5).hold(4).to(kSeated, 12);
    return s;
}

// Both front paws circle outward together: in, up, out, down.
Script armCircle() {
    const Pose in = kSeated.head(-25).front(30, -5, 50);
    const Pose top = kSeated.head(-20).front(60, 10, 70);
    const Pose out = kSeated.head(-25).front(35, 45, 45);
    const Pose bottom = kSeated.head(-30).front(-5, 20, 20);
    Script s(kSeated);
    s.to(in, 7);
    s.to(top, 4).to(out, 4).to(bottom, 4).to(in, 4);
    s.to(top, 4).to(out, 4).to(bottom, 4).to(kSeated, 3);
    return s;
}

Script armShift() {
    const Pose a = kSeated.leg(RightFront, 10, 0, 30).leg(LeftFront, -45, 0, 10).head(-30, 8);
    const Pose b = kSeated.leg(RightFront, -45, 0, 10).leg(LeftFront, 10, 0, 30).head(-30, -8);
    Script s(kSeated);
    s.to(a, 6).to(b, 6).to(a, 6).to(kSeated, 6);
    return s;
}

Script armShift2() {
    const Pose a = kSeated.leg(RightFront, 40, 10, 50).head(-25, 10, 5);
    const Pose b = kSeated.leg(LeftFront, 40, 10, 50).head(-25, -10, -5);
    Script s(kSeated);
    s.to(a, 7).to(b, 8).to(a, 8).to(kSeated, 9);
    return s;
}

Script armShift3() {
    const Pose a = kSeated.leg(RightFront, 70, 30, 60).leg(LeftFront, -20, 0, 20).head(-20, 12);
    const Pose b = kSeated.leg(RightFront, -20, 0, 20).leg(LeftFront, 70, 30, 60).head(-20, -12);
    const Pose both = kSeated.head(-15).front(45, 15, 45);
    Script s(kSeated);
    s.to(a, 10).to(b, 10).to(a, 10).to(both, 8).to(b, 8).to(both, 8).to(kSeated, 8);
    return s;
}

// Both paws up, shifted together from side to side.
Script armShift4() {
    const Pose mid = kSeated.head(-25).front(30, 10, 40);
    const Pose right = kSeated.leg(RightFront, 30, 35, 40).leg(LeftFront, 30, -8, 40).head(-25, 15);
    const Pose left = kSeated.leg(RightFront, 30, -8, 40).leg(LeftFront, 30, 35, 40).head(-25, -15);
    Script s(kSeated);
    s.to(mid, 10).to(right, 8);
    for (int i = 0; i < 2; ++i) s.to(left, 10).to(right, 10);
    s.to(mid, 4).to(kSeated, 8);
    return s;
}

Script bigYawn() {
    const Pose stretch = kSeated.head(5).front(-15, 0, 10);
    const Pose wide = kSeated.head(15).mouth(-34).front(0, 5, 5);
    Script s(kSeated);
    s.to(stretch, 9).to(wide, 12).hold(10);
    s.to(kSeated.head(18, 0, 6).mouth(-36).front(0, 5, 5), 6);
    s.to(kSeated.head(8).mouth(-3), 12).to(kSeated.head(-10), 6).to(kSeated, 10);
    return s;
}

Script blowKisses() {
    Script s(kSeated);
    s.to(kissPaw(Side::Right), 14).to(kissPaw(Side::Right).mouth(0), 4).to(throwKiss(Side::Right), 9).hold(2);
    s.to(kissPaw(Side::Right), 9).to(kissPaw(Side::Right).mouth(0), 4).to(throwKiss(Side::Right), 9).hold(2);
    s.to(kSeated, 11);
    return s;
}

Script boxing() {
    const Pose guard = kSeated.head(-25).front(30, 5, 85);
    const Pose jabRight = guard.leg(RightFront, 80, 0, 15).head(-25, -6);
    const Pose jabLeft = guard.leg(LeftFront, 80, 0, 15).head(-25, 6);
    Script s(kSeated);
    s.to(guard, 8);
    s.to(jabRight, 6).to(guard, 6).to(jabLeft, 6).to(guard, 6).to(jabRight, 6).to(guard, 6);
    s.to(kSeated, 7);
    return s;
}

// The right hind paw scratches behind the ear, the head leaning into it.
Script earScratch1() { return hindScratch(Side::Right, kSeated.head(-25, 15, 15), -105, {10}); }

Script handJive() {
    const Pose up = kSeated.head(-25).front(10, 10, 60);
    const Pose a = up.leg(RightFront, 20, 20, 70).leg(LeftFront, 0, 0, 50);
    const Pose b = up.leg(RightFront, 0, 0, 50).leg(LeftFront, 20, 20, 70);
    Script s(kSeated);
    s.to(up, 5).to(a, 3).to(b, 3).to(a, 3).to(b, 3).to(kSeated, 6);
    return s;
}

Script handJive2() {
    const Pose up = kSeated.head(-25).front(10, 10, 60);
    const Pose a = up.leg(RightFront, 20, 20, 70).leg(LeftFront, 0, 0, 50);
    const Pose b = up.leg(RightFront, 0, 0, 50).leg(LeftFront, 20, 20, 70);
    const Pose crossed = kSeated.head(-20).front(25, -8, 70);
    const Pose open = kSeated.head(-20).front(25, 35, 50);
    const Pose high = kSeated.head(-10).front(60, 15, 60);
    const Pose highA = high.leg(RightFront, 70, 25, 80).leg(LeftFront, 50, 5, 50);
    const Pose highB = high.leg(RightFront, 50, 5, 50).leg(LeftFront, 70, 25, 80);
    Script s(kSeated);
    s.to(up, 6);
    for (int i = 0; i < 4; ++i) s.to(a, 3).to(b, 3);
    s.to(crossed, 4).to(open, 5).to(crossed, 5).to(open, 5);
    s.to(high, 6).to(highA, 3).to(highB, 3).to(highA, 3).to(highB, 3);
    s.to(up, 6).to(kSeated, 10);
    return s;
}

// Ta-da: head high, both paws up and spread, a bark and a wag.
Script hereIAm() {
    const Pose up = kSeated.head(5).front(50, 15, 40);
    const Pose tada = kSeated.head(15).front(100, 45, 20).mouth(-15).tail(0, 15);
    Script s(kSeated);
    s.to(up, 9).to(tada, 7).hold(3);
    s.to(tada.mouth(0), 4).to(tada.mouth(-18), 5).to(tada.mouth(0), 5);
    s.to(tada.tail(0, -15), 4).to(tada.tail(0, 15), 4).to(tada.tail(0, -15), 4);
    s.to(tada.head(15, 20), 6).to(tada.head(15, -20), 8);
    s.to(up, 6).to(kSeated, 11);
    return s;
}

Script lHandGesture() {
    const Pose lift = kSeated.head(-25, -10).leg(LeftFront, 50, 5, 60);
    const Pose present = kSeated.head(-20, -25, -5).leg(LeftFront, 60, 40, 25);
    const Pose point = kSeated.head(-15).leg(LeftFront, 80, 15, 10);
    Script s(kSeated);
    s.to(lift, 9).to(present, 8).hold(6).to(point, 8).hold(4).to(present, 8).hold(4);
    s.to(lift, 6).to(kSeated, 11);
    return s;
}

// The raised left paw wags like a finger while the head shakes.
Script lNo() {
    const Pose up = kSeated.head(-25).leg(LeftFront, 70, 10, 70);
    const Pose out = up.leg(LeftFront, 70, 30, 60).head(-25, 12);
    const Pose in = up.leg(LeftFront, 70, 0, 80).head(-25, -12);
    Script s(kSeated);
    s.to(up, 10);
    for (int i = 0; i < 4; ++i) s.to(out, 5).to(in, 5);
    s.to(up, 4).to(kSeated, 11);
    return s;
}

Script lPawLook() { return pawLook(Side::Left, 1, 5); }

// The left paw pats the ground in front while the head watches it.
Script lPawPlay() {
    const Pose watch = kSeated.head(-45, -10, -8);
    const Pose up = watch.leg(LeftFront, 10, 5, 60).tail(0, 12);
    const Pose pat = watch.leg(LeftFront, -15, 0, 25).tail(0, -12);
    Script s(kSeated);
    s.to(watch, 6).to(up, 6);
    for (int i = 0; i < 4; ++i) s.to(pat, 5).to(up, 5);
    s.to(watch, 5).to(kSeated, 9);
    return s;
}

Script lPawPlay2() {
    const Pose watch = kSeated.head(-40, -15, -10);
    const Pose swipeOut = watch.leg(LeftFront, 30, 40, 40).head(-35, -25, -10);
    const Pose swipeIn = watch.leg(LeftFront, 20, -5, 60).head(-35, 0, -5);
    const Pose up = watch.leg(LeftFront, 15, 5, 60);
    const Pose pat = watch.leg(LeftFront, -10, 0, 20);
    Script s(kSeated);
    s.to(watch, 7).to(swipeIn, 7);
    for (int i = 0; i < 4; ++i) s.to(swipeOut, 6).to(swipeIn, 6);
    s.to(up, 4).to(pat, 5).to(up, 5).to(pat, 5).to(kSeated, 5);
    return s;
}

Script lPawShift() {
    const Pose forward = kSeated.head(-28, -8).leg(LeftFront, 20, 0, 30);
    const Pose back = kSeated.head(-30).leg(LeftFront, -45, 0, 10);
    const Pose aside = kSeated.head(-28, -12).leg(LeftFront, -15, 35, 20);
    Script s(kSeated);
    s.to(forward, 6).to(back, 7).to(forward, 7).to(aside, 6).hold(3).to(kSeated, 8);
    return s;
}

Script lPawWave2() {
    const Pose high = kSeated.head(-15, -10).leg(LeftFront, 90, 20, 40);
    const Pose sweepOut = kSeated.head(-12, -20, -5).leg(LeftFront, 90, 55, 30);
    const Pose sweepIn = kSeated.head(-15).leg(LeftFront, 85, 10, 60);
    Script s(kSeated);
    s.to(high, 12);
    s.to(sweepOut, 6).to(sweepIn, 6).to(sweepOut, 6).to(sweepIn, 6).to(sweepOut, 6);
    s.to(high.leg(LeftFront, 90, 20, 70), 4).to(high, 4);  // a flap of the paw alone
    s.to(kSeated, 13).hold(3);
    return s;
}

Script lWave() {
    const Pose up = kSeated.head(-20, -10, -5).leg(LeftFront, 80, 20, 50);
    const Pose out = up.leg(LeftFront, 80, 40, 30);
    const Pose in = up.leg(LeftFront, 80, 5, 70);
    Script s(kSeated);
    s.to(up, 11).to(out, 4).to(in, 4).to(out, 4).to(in, 4).to(out, 4).to(kSeated, 12);
    return s;
}

// A wave with a tilt of the head and a smile.
Script lWave3() {
    const Pose up = kSeated.head(-20, -8, -6).leg(LeftFront, 65, 20, 45);
    const Pose out = up.leg(LeftFront, 65, 45, 25).head(-18, -12, -6).mouth(-6);
    const Pose in = up.leg(LeftFront, 65, 10, 65).head(-22, -4, 6);
    Script s(kSeated);
    s.to(up, 10);
    for (int i = 0; i < 3; ++i) s.to(out, 5).to(in, 5);
    s.to(out, 5).to(kSeated, 10);
    return s;
}

// A low wave, the paw swinging just above the ground.
Script lWave4() {
    const Pose low = kSeated.head(-30, -10).leg(LeftFront, 25, 15, 50);
    const Pose out = low.leg(LeftFront, 25, 40, 30);
    const Pose in = low.leg(LeftFront, 30, 5, 70);
    Script s(kSeated);
    s.to(low, 6);
    for (int i = 0; i < 4; ++i) s.to(out, 4).to(in, 4);
    s.to(kSeated, 6);
    return s;
}

Script pawWag() {
    const Pose up = kSeated.head(-25).front(0, 10, 35);
    const Pose right = up.leg(RightFront, 5, 10, 65).leg(LeftFront, -5, 10, 25);
    const Pose left = up.leg(RightFront, -5, 10, 25).leg(LeftFront, 5, 10, 65);
    Script s(kSeated);
    s.to(up, 5);
    for (int i = 0; i < 3; ++i) s.to(right, 4).to(left, 4);
    s.to(kSeated, 8);
    return s;
}

Script pawWave2() {
    const Pose up = kSeated.head(-20).front(60, 15, 50);
    const Pose right = up.leg(RightFront, 75, 40, 30).leg(LeftFront, 55, 5, 70).head(-18, 8);
    const Pose left = up.leg(RightFront, 55, 5, 70).leg(LeftFront, 75, 40, 30).head(-18, -8);
    Script s(kSeated);
    s.to(up, 9).to(right, 5).to(left, 5).to(right, 5).to(left, 5).to(right, 5).to(left, 5).to(kSeated, 12);
    return s;
}

Script rCockHead() {
    Script s(kSeated);
    s.to(kSeated.head(-22, 8, 25), 9).hold(6).to(kSeated, 9).hold(3);
    return s;
}

// The jive is three steps that chain: BEG lifts the right paw into the jive
// pose, REP starts and ends there so it can repeat, END sits back down.
Script rPawJiveBeg() {
    const Pose look = kSeated.head(-28, 10, 5);
    const Pose lift = kSeated.head(-25, 10, 8).leg(RightFront, 40, 20, 70);
    Script s(kSeated);
    s.to(look, 6).to(lift, 8).to(jive(), 6).to(jive().leg(RightFront, 40, 25, 70), 6).to(jive(), 6);
    return s;
}

Script rPawJiveRep() {
    const Pose j = jive();
    Script s(j);
    s.to(j.leg(RightFront, 45, 30, 70).head(-20, 10, 8).tail(0, -12), 5);
    s.to(j.leg(RightFront, 15, 0, 30).head(-28, 0, 2).tail(0, 12), 5);
    s.to(j.leg(RightFront, 40, 15, 80).head(-22, 8, 6).tail(0, -10), 5);
    s.to(j, 5);
    return s;
}

Script rPawJiveEnd() {
    Script s(jive());
    s.to(kSeated, 6);
    return s;
}

Script rPawLook() { return pawLook(Side::Right, 2, 11); }

Script rPawPlay() {
    const Pose watch = kSeated.head(-42, 10, 8);
    const Pose bat = watch.leg(RightFront, 25, 20, 50);
    const Pose tap = watch.leg(RightFront, -10, 5, 20);
    Script s(kSeated);
    s.to(watch, 6).to(bat, 6);
    for (int i = 0; i < 3; ++i) s.to(tap, 5).to(bat, 5);
    s.to(watch, 6).hold(2).to(kSeated, 9);
    return s;
}

Script rPawWave() {
    const Pose high = kSeated.head(-15, 10, 5).leg(RightFront, 95, 20, 50);
    const Pose out = high.leg(RightFront, 95, 50, 30).head(-12, 18, 6);
    const Pose in = high.leg(RightFront, 95, 10, 70).head(-15, 8, 3);
    Script s(kSeated);
    s.to(high, 13);
    for (int i = 0; i < 4; ++i) s.to(out, 5).to(in, 5);
    s.to(high, 3).to(kSeated, 13);
    return s;
}

// Both paws push out again and again, the head turned away.
Script shoo() {
    const Pose away = kSeated.head(-25, 25, -5);
    const Pose drawn = away.front(40, 10, 80);
    const Pose push = away.front(70, 35, 20).mouth(-8);
    Script s(kSeated);
    s.to(away, 6).to(drawn, 8).to(push, 6).to(drawn, 6).to(push, 6).to(drawn, 6).to(push, 6).to(kSeated, 11);
    return s;
}

// Begging with both front paws.
Script twoPaw() {
    const Pose beg = kSeated.head(-15).front(50, 8, 100);
    const Pose bob = beg.front(60, 8, 110).head(-10);
    Script s(kSeated);
    s.to(beg, 9).hold(4).to(bob, 5).to(beg, 5).to(bob, 5).to(beg, 3).to(kSeated, 10);
    return s;
}

Script dig() {
    const Pose lean = kSeated.head(-55);
    const Pose right = lean.leg(RightFront, 10, 0, 65).leg(LeftFront, -35, 0, 15).head(-55, 5);
    const Pose left = lean.leg(RightFront, -35, 0, 15).leg(LeftFront, 10, 0, 65).head(-55, -5);
    Script s(kSeated);
    s.to(lean, 5).to(right, 6);
    for (int i = 0; i < 7; ++i) s.to(left, 5).to(right, 5);
    s.to(kSeated, 7);
    return s;
}

// At the flank, looking round at it.
Script scratch() { return hindScratch(Side::Left, kSeated.head(-30, -40, -8), -95, {8}); }

Script scratch1() { return hindScratch(Side::Right, kSeated.head(-25, 35, 10), -100, {4, 3}); }

Script happy() {
    const Pose joy = kSeated.head(-15).mouth(-15).tail(0, 18);
    const Pose a = joy.front(-20, 5, 30).head(-10, 5).tail(0, -18);
    const Pose b = joy.front(-30, 0, 15).head(-20, -5);
    Script s(kSeated);
    s.to(joy, 5);
    for (int i = 0; i < 3; ++i) s.to(a, 4).to(b, 4);
    s.to(kSeated, 6);
    return s;
}

// One kiss with the right paw, one with the left, one with both.
Script threeKisses() {
    const Pose both = kSeated.head(-15).front(105, 0, 120).mouth(-6);
    const Pose throwBoth = kSeated.head(0).front(80, 35, 25).mouth(-10);
    Script s(kSeated);
    s.to(kissPaw(Side::Right), 14).to(kissPaw(Side::Right).mouth(0), 4).to(throwKiss(Side::Right), 9).hold(2);
    s.to(kissPaw(Side::Left), 14).to(kissPaw(Side::Left).mouth(0), 4).to(throwKiss(Side::Left), 9).hold(2);
    s.to(both, 14).to(both.mouth(0), 4).to(throwBoth, 9).hold(3);
    s.to(kSeated, 12);
    return s;
}

Script bigWave() {
    const Pose high = kSeated.head(-10, 10).leg(RightFront, 110, 25, 40);
    const Pose out = kSeated.head(-8, 20, 6).leg(RightFront, 110, 60, 25).leg(LeftFront, -30, 8, 15);
    const Pose in = kSeated.head(-12, 0, -3).leg(RightFront, 105, 5, 60);
    Script s(kSeated);
    s.to(high, 14).to(out, 6);
    for (int i = 0; i < 4; ++i) s.to(in, 6).to(out, 6);
    s.to(in, 6).to(kSeated, 15);
    return s;
}

// Digging in fours: two strokes of the right paw, then two of the left.
Script dig4() {
    const Pose lean = kSeated.head(-50);
    auto stroke = [&](Leg leg, bool reach) {
        return reach ? lean.leg(leg, 10, 0, 55).head(-55) : lean.leg(leg, -25, 0, 15).head(-45);
    };
    Script s(kSeated);
    s.to(lean, 5).to(stroke(RightFront, true), 5);
    for (int i = 0; i < 2; ++i) {
        if (i > 0) s.to(stroke(RightFront, true), 4);
        s.to(stroke(RightFront, false), 4).to(stroke(RightFront, true), 4).to(stroke(RightFront, false), 4);
        s.to(stroke(LeftFront, true), 4).to(stroke(LeftFront, false), 4).to(stroke(LeftFront, true), 4);
        s.to(stroke(LeftFront, false), 4);
    }
    s.hold(4).to(lean, 6).to(kSeated, 8);
    return s;
}

// The front legs fold and straighten, lowering and raising the chest.
Script pushUps() {
    const Pose down = kSeated.head(-45).front(-60, 0, 95);
    const Pose up = kSeated.head(-25).front(-25, 0, 5);
    Script s(kSeated);
    s.to(up, 6);
    for (int i = 0; i < 6; ++i) s.to(down, 10).hold(2).to(up, 10).hold(2);
    s.to(kSeated, 5);
    return s;
}

Script lose1() {
    const Pose droop = kSeated.head(-70, 0, 5).front(-15, 0, 30).tail(25, 0);
    Script s(kSeated);
    s.to(droop, 14).hold(8).to(droop.head(-60, 0, 8).mouth(-6), 8).to(droop, 8).hold(6).to(kSeated, 13);
    return s;
}

Script lose2() {
    const Pose low = kSeated.head(-60).tail(25, 0);
    Script s(kSeated);
    s.to(low, 8).to(low.head(-60, 15), 6).to(low.head(-60, -15), 7).to(low.head(-62, 10), 6).to(kSeated, 6);
    return s;
}

// Hangs the head and hides the eyes behind a paw, peeking out once.
Script lose3() {
    const Pose low = kSeated.head(-60).tail(25, 0);
    const Pose cover = kSeated.head(-65, -5).leg(RightFront, 95, -5, 135).tail(25, 0);
    Script s(kSeated);
    s.to(low, 8).to(cover, 13).hold(10);
    s.to(cover.head(-50, 8).leg(RightFront, 85, 5, 120), 6).to(cover, 6).hold(4);
    s.to(kSeated, 13);
    return s;
}

Script win1() {
    const Pose cheer = kSeated.head(10).front(110, 20, 30).mouth(-20).tail(0, 18);
    const Pose shake = cheer.front(100, 30, 50).mouth(-10).tail(0, -18);
    Script s(kSeated);
    s.to(cheer, 14);
    for (int i = 0; i < 4; ++i) s.to(shake, 5).to(cheer, 5);
    s.to(kSeated, 14);
    return s;
}

// Fist pumps, three with the right paw and three with the left.
Script win2() {
    const Pose ready = kSeated.head(-15).front(30, 5, 80);
    const Pose right = ready.leg(RightFront, 90, 10, 60).head(0, 5).mouth(-12);
    const Pose left = ready.leg(LeftFront, 90, 10, 60).head(0, -5).mouth(-12);
    Script s(kSeated);
    s.to(ready, 8);
    for (int i = 0; i < 3; ++i) s.to(right, 6).to(ready, 6);
    for (int i = 0; i < 3; ++i) s.to(left, 6).to(ready, 6);
    s.to(kSeated, 7);
    return s;
}

// Paws up and nodding yes.
Script win3() {
    const Pose up = kSeated.head(0).front(80, 15, 60).tail(0, 15);
    const Pose nodDown = up.head(-20).front(75, 25, 70).tail(0, -15);
    const Pose nodUp = up.head(8).front(85, 10, 50).tail(0, 15);
    Script s(kSeated);
    s.to(up, 11);
    for (int i = 0; i < 5; ++i) s.to(nodDown, 5).to(nodUp, 5);
    s.to(kSeated, 15);
    return s;
}

}  // namespace rova::dance
