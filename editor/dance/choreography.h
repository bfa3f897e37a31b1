// The vocabulary in which the dance steps are written: whole-body poses given
// in degrees, and scripts that ease from one pose to the next.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "model/channels.h"
#include "model/rest_poses.h"

namespace rova::dance {

using Frame = std::array<std::int32_t, kChannelCount>;

enum Leg : int { RightFront, LeftFront, RightRear, LeftRear };
enum class Side { Right, Left };

constexpr Leg frontLeg(Side s) { return s == Side::Right ? RightFront : LeftFront; }
constexpr Leg rearLeg(Side s) { return s == Side::Right ? RightRear : LeftRear; }
constexpr Side other(Side s) { return s == Side::Right ? Side::Left : Side::Right; }
// Sign that turns a head angle toward the side: head turn and head tilt are
// positive to the robot's right.
constexpr double toward(Side s) { return s == Side::Right ? 1.0 : -1.0; }

// One pose of the whole robot. Setters take degrees and return a changed copy,
// so poses are written as a base pose plus what differs from it.
//
// Senses: head y > 0 raises the head, x > 0 turns it to its right, z > 0 tilts
// it toward its right ear; mouth < 0 opens the jaw; front leg y > 0 swings the
// paw forward, rear leg y < 0 swings the paw forward; leg x > 0 spreads the leg
// outward; paw > 0 folds the lower leg; tail y > 0 lowers the tail, x > 0
// swings it to the left.
class Pose {
public:
    constexpr explicit Pose(const Frame& values) : m_v(values) {}

    Pose head(double y, double x = 0, double z = 0) const;
    Pose mouth(double open) const;
    Pose leg(Leg leg, double y, double x, double paw) const;
    Pose front(double y, double x, double paw) const;  // both front legs
    Pose rear(double y, double x, double paw) const;   // both rear legs
    Pose tail(double y, double x) const;
    Pose set(Channel channel, double degrees) const;

    const Frame& values() const { return m_v; }

private:
    Frame m_v;
};

// The three resting poses that steps begin and end in (model/rest_poses.h).
extern const Pose kStanding;
extern const Pose kSeated;
extern const Pose kLying;

// Appends the `frames` frames of a smooth ease in and out from `from` that
// reaches `to` on its last frame; the fastest frame is 1.5 times the average.
void appendEasedMove(std::vector<Frame>& out, const Frame& from, const Frame& to, int frames);

// The frames of one step: starts with a pose and eases from key pose to key
// pose. A move of n frames reaches its pose on its n-th frame.
class Script {
public:
    explicit Script(const Pose& start);

    Script& to(const Pose& pose, int frames);
    Script& hold(int frames);

    const Pose& current() const { return m_current; }
    int frameCount() const { return static_cast<int>(m_frames.size()); }
    const std::vector<Frame>& frames() const { return m_frames; }

private:
    Pose m_current;
    std::vector<Frame> m_frames;
};

// One function per step, grouped by category.
Script sitToStand();
Script sleepToStand();
Script standToSleep();
Script standToSit();

Script wobble();
Script wobble2();
Script shimmy();
Script raiseForShimmy();
Script extendedShimmy();
Script armCircle();
Script armShift();
Script armShift2();
Script armShift3();
Script armShift4();
Script bigYawn();
Script blowKisses();
Script boxing();
Script earScratch1();
Script handJive();
Script handJive2();
Script hereIAm();
Script lHandGesture();
Script lNo();
Script lPawLook();
Script lPawPlay();
Script lPawPlay2();
Script lPawShift();
Script lPawWave2();
Script lWave();
Script lWave3();
Script lWave4();
Script pawWag();
Script pawWave2();
Script rCockHead();
Script rPawJiveBeg();
Script rPawJiveRep();
Script rPawJiveEnd();
Script rPawLook();
Script rPawPlay();
Script rPawWave();
Script shoo();
Script twoPaw();
Script dig();
Script scratch();
Script scratch1();
Script happy();
Script threeKisses();
Script bigWave();
Script dig4();
Script pushUps();
Script lose1();
Script lose2();
Script lose3();
Script win1();
Script win2();
Script win3();

Script smallYawn();
Script bendWagTail();
Script bowMouth();
Script danceStanding();
Script kickLegs();
Script leanYap();
Script legKickEtc();
Script lPawPlayStanding();
Script sayNoLegs();
Script stretchLegs();
Script kneeBends();
Script rearKick();
Script rise1();
Script dance1();
Script dance2();
Script dance3();
Script danceFuri();
Script nobiStd();
Script pee();

Script scratchEar();
Script sleepWobble();
Script lHandJive();
Script noGivePaw();
Script rHandGesture();

Script sneezeNoLegs();
Script tiltHead();
Script playBall1();

}  // namespace rova::dance
