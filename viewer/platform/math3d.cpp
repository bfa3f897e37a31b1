#include "math3d.h"

namespace rova::rm {

namespace {

// How far a squared length may be from 1 for the vector to count as unit length:
// just above the error of a vector normalised and then rounded to single
// precision (2 x 2^-24), so such vectors are kept as they are.
constexpr double kUnitEnough = 2.5e-7;
// How far from 0 the dot product of two unit vectors may be for them to count as
// perpendicular.
constexpr double kSquareEnough = 1e-6;

struct DVec {
    double x, y, z;
};

DVec widen(Vec3 v) { return {v.x, v.y, v.z}; }
Vec3 narrow(DVec v) { return {static_cast<float>(v.x), static_cast<float>(v.y), static_cast<float>(v.z)}; }
double ddot(DVec a, DVec b) { return a.x * b.x + a.y * b.y + a.z * b.z; }

bool finite(Vec3 v) { return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z); }

// v scaled to unit length, or v itself when it already is; false for zero length.
bool unitOrSame(Vec3 v, Vec3& out) {
    const DVec d = widen(v);
    const double len2 = ddot(d, d);
    if (!(len2 > 1e-24) || !std::isfinite(len2)) return false;
    if (std::fabs(len2 - 1.0) <= kUnitEnough) {
        out = v;
        return true;
    }
    const double inv = 1.0 / std::sqrt(len2);
    out = narrow({d.x * inv, d.y * inv, d.z * inv});
    return true;
}

}  // namespace

Vec3 rotate(Vec3 v, Vec3 k, double angle) {
    const DVec a = widen(v), n = widen(k);
    const double c = std::cos(angle), s = std::sin(angle);
    const DVec kxv{n.y * a.z - n.z * a.y, n.z * a.x - n.x * a.z, n.x * a.y - n.y * a.x};
    const double kv = ddot(n, a) * (1.0 - c);
    return narrow({a.x * c + kxv.x * s + n.x * kv, a.y * c + kxv.y * s + n.y * kv, a.z * c + kxv.z * s + n.z * kv});
}

Matrix compose(const Matrix& child, const Matrix& parent) {
    Matrix m;
    m.x = parent.direction(child.x);
    m.y = parent.direction(child.y);
    m.z = parent.direction(child.z);
    m.origin = parent.point(child.origin);
    return m;
}

bool invert(const Matrix& m, Matrix& out) {
    // Rows are the images of the unit axes; invert the 3x3 by cofactors.
    const DVec a = widen(m.x), b = widen(m.y), c = widen(m.z);
    const DVec bc{b.y * c.z - b.z * c.y, b.z * c.x - b.x * c.z, b.x * c.y - b.y * c.x};
    const DVec ca{c.y * a.z - c.z * a.y, c.z * a.x - c.x * a.z, c.x * a.y - c.y * a.x};
    const DVec ab{a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
    const double det = ddot(a, bc);
    if (!(std::fabs(det) > 1e-30) || !std::isfinite(det)) return false;
    const double inv = 1.0 / det;
    // For row vectors p' = p * M the inverse's columns are the cofactor rows.
    Matrix r;
    r.x = narrow({bc.x * inv, ca.x * inv, ab.x * inv});
    r.y = narrow({bc.y * inv, ca.y * inv, ab.y * inv});
    r.z = narrow({bc.z * inv, ca.z * inv, ab.z * inv});
    const Vec3 o = r.direction(m.origin);
    r.origin = {-o.x, -o.y, -o.z};
    out = r;
    return true;
}

bool orientationFrom(Vec3 direction, Vec3 up, Matrix& out) {
    if (!finite(direction) || !finite(up)) return false;
    Vec3 z, y;
    if (!unitOrSame(direction, z)) return false;
    const DVec dz = widen(z), du = widen(up);
    const double along = ddot(du, dz);
    Vec3 perpendicular = up;
    if (std::fabs(along) > kSquareEnough) {
        perpendicular = narrow({du.x - along * dz.x, du.y - along * dz.y, du.z - along * dz.z});
    }
    if (!unitOrSame(perpendicular, y)) return false;
    out.x = cross(y, z);
    out.y = y;
    out.z = z;
    return true;
}

}  // namespace rova::rm
