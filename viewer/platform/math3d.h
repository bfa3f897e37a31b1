// Vectors and affine frame transforms. Points are row vectors: a point p given in a
// frame's own coordinates lies at p.x * x + p.y * y + p.z * z + origin in its
// parent's coordinates (left-handed, y up).
#pragma once

#include <cmath>

namespace rova::rm {

struct Vec3 {
    float x = 0, y = 0, z = 0;

    friend bool operator==(const Vec3&, const Vec3&) = default;
};

inline Vec3 operator+(Vec3 a, Vec3 b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
inline Vec3 operator-(Vec3 a, Vec3 b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
inline Vec3 operator*(Vec3 a, float s) { return {a.x * s, a.y * s, a.z * s}; }
inline float dot(Vec3 a, Vec3 b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
inline Vec3 cross(Vec3 a, Vec3 b) {
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
inline float length(Vec3 v) { return std::sqrt(dot(v, v)); }

// v turned by angle radians about the unit axis k: positive turns about X take
// +y toward +z, about Y +z toward +x, about Z +x toward +y.
Vec3 rotate(Vec3 v, Vec3 k, double angle);

struct Matrix {
    Vec3 x{1, 0, 0};
    Vec3 y{0, 1, 0};
    Vec3 z{0, 0, 1};
    Vec3 origin{};

    Vec3 point(Vec3 p) const { return x * p.x + y * p.y + z * p.z + origin; }
    Vec3 direction(Vec3 d) const { return x * d.x + y * d.y + z * d.z; }

    friend bool operator==(const Matrix&, const Matrix&) = default;
};

// The transform that maps a frame's coordinates to its grandparent's, given the
// frame's transform relative to its parent and the parent's relative to its own.
Matrix compose(const Matrix& child, const Matrix& parent);

// The inverse transform; false when the axes are degenerate.
bool invert(const Matrix& m, Matrix& out);

// Orientation from a direction (z axis) and an up vector, the x axis being up x
// direction. Inputs already unit length and perpendicular are kept bit for bit,
// so setting an orientation read back from a frame reproduces it exactly. False
// when direction is zero or parallel to up.
bool orientationFrom(Vec3 direction, Vec3 up, Matrix& out);

}  // namespace rova::rm
