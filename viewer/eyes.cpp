#include "eyes.h"

#include <cmath>

namespace rova::viewer {

namespace {

// The lamp's half sizes across the eye, up it and along its axis: narrower than
// the lens (0.75 by 0.62) so that a dark rim stays around the light, and deeper
// than it (0.3) so that the light lies in front of the lens's face.
constexpr float kLampSide = 0.66f;
constexpr float kLampUp = 0.55f;
// Rings from pole to pole and points around each: enough for a round look at
// the size an eye shows.
constexpr int kRings = 6;
constexpr int kSegments = 12;

constexpr int kHeadJoint = 1;  // HeadX: its frame is the head's

rm::Vec3 unit(rm::Vec3 v) {
    const float len = length(v);
    return len > 0 ? v * (1.0f / len) : v;
}

rm::Vec3 mirrored(rm::Vec3 v, int eye) { return eye == 0 ? v : rm::Vec3{-v.x, v.y, v.z}; }

}  // namespace

rm::Vec3 eyeLampFace(int eye) {
    return mirrored(kLeftEyeCentre + unit(kLeftEyeAxis) * kLampDepth, eye);
}

std::shared_ptr<rm::Mesh> makeEyeLamp(int eye) {
    const rm::Vec3 centre = mirrored(kLeftEyeCentre, eye);
    const rm::Vec3 axis = unit(mirrored(kLeftEyeAxis, eye));
    const rm::Vec3 side = unit(cross({0, 1, 0}, axis));
    const rm::Vec3 up = cross(axis, side);

    auto lamp = std::make_shared<rm::Mesh>();
    lamp->keepsMaterials = true;
    auto material = std::make_shared<rm::Material>();
    // Only the emitted light counts: the lamp shows its colour exactly.
    material->color = {0, 0, 0, 1};
    material->emissive = eye == 0 ? kGreenLamp : kRedLamp;
    lamp->materials.push_back(material);

    // An ellipsoid from the front pole (along the axis) to the back pole.
    const double pi = std::acos(-1.0);
    lamp->vertices.push_back(centre + axis * kLampDepth);
    for (int ring = 1; ring < kRings; ++ring) {
        const double polar = pi * ring / kRings;
        for (int k = 0; k < kSegments; ++k) {
            const double around = 2 * pi * k / kSegments;
            const auto s = static_cast<float>(std::sin(polar));
            lamp->vertices.push_back(centre + side * (kLampSide * s * static_cast<float>(std::cos(around))) +
                                     up * (kLampUp * s * static_cast<float>(std::sin(around))) +
                                     axis * (kLampDepth * static_cast<float>(std::cos(polar))));
        }
    }
    lamp->vertices.push_back(centre - axis * kLampDepth);
    const auto back = static_cast<std::uint32_t>(lamp->vertices.size() - 1);
    auto at = [](int ring, int k) {
        return static_cast<std::uint32_t>(1 + (ring - 1) * kSegments + (k + kSegments) % kSegments);
    };
    // Faces wind clockwise seen from outside, as the renderer expects.
    auto face = [&](std::uint32_t a, std::uint32_t b, std::uint32_t c) {
        const rm::Vec3 pa = lamp->vertices[a], pb = lamp->vertices[b], pc = lamp->vertices[c];
        const rm::Vec3 outward = (pa + pb + pc) * (1.0f / 3.0f) - centre;
        if (dot(cross(pb - pa, pc - pa), outward) < 0) std::swap(b, c);
        lamp->faces.push_back({{a, b, c}, {}, 0});
    };
    for (int k = 0; k < kSegments; ++k) face(0, at(1, k), at(1, k + 1));
    for (int ring = 1; ring + 1 < kRings; ++ring) {
        for (int k = 0; k < kSegments; ++k) {
            face(at(ring, k), at(ring + 1, k), at(ring + 1, k + 1));
            face(at(ring, k), at(ring + 1, k + 1), at(ring, k + 1));
        }
    }
    for (int k = 0; k < kSegments; ++k) face(back, at(kRings - 1, k + 1), at(kRings - 1, k));
    return lamp;
}

bool setEyes(ViewerContext& context, std::int32_t state) {
    if (state == context.eyes) return false;
    rm::Frame* head = context.jointFrames[kHeadJoint].get();
    for (int eye = 0; eye < 2; ++eye) {
        auto& lamp = context.eyeLamps[static_cast<std::size_t>(eye)];
        if (!lamp) lamp = makeEyeLamp(eye);
        const bool lit = (state >> eye) & 1;
        const bool was = (context.eyes >> eye) & 1;
        if (!head || lit == was) continue;
        // A dark eye carries no lamp at all, so the model draws as it always has.
        if (lit)
            head->addVisual(lamp);
        else
            head->removeVisual(lamp.get());
    }
    context.eyes = state;
    return true;
}

}  // namespace rova::viewer
