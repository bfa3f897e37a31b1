#include "frame.h"

#include <algorithm>
#include <cstring>

namespace rova::rm {

namespace {

// How far a loaded transform may stray from a rotation and still be taken as one
// (model files carry their axes rounded to a few decimals).
constexpr float kRigidTolerance = 1e-3f;

bool nearlyRigid(const Matrix& m) {
    auto unit = [](Vec3 v) { return std::fabs(dot(v, v) - 1.0f) <= kRigidTolerance; };
    auto square = [](Vec3 a, Vec3 b) { return std::fabs(dot(a, b)) <= kRigidTolerance; };
    return unit(m.x) && unit(m.y) && unit(m.z) && square(m.x, m.y) && square(m.y, m.z) && square(m.z, m.x) &&
           dot(cross(m.y, m.z), m.x) > 0;
}

}  // namespace

Frame::~Frame() {
    for (auto& child : m_children) child->m_parent = nullptr;
}

bool Frame::isAncestorOrSelf(const Frame* f) const {
    for (const Frame* p = this; p; p = p->m_parent) {
        if (p == f) return true;
    }
    return false;
}

Result Frame::addChild(const std::shared_ptr<Frame>& child) {
    if (!child) return kErrInvalidParams;
    if (isAncestorOrSelf(child.get())) return kErrBadValue;
    std::shared_ptr<Frame> keep = child;  // the old parent may hold the last reference
    if (Frame* old = child->m_parent) old->deleteChild(child.get());
    m_children.push_back(keep);
    keep->m_parent = this;
    return kOk;
}

Result Frame::deleteChild(const Frame* child) {
    auto it = std::find_if(m_children.begin(), m_children.end(),
                           [child](const std::shared_ptr<Frame>& c) { return c.get() == child; });
    if (it == m_children.end()) return kErrNotFound;
    (*it)->m_parent = nullptr;
    m_children.erase(it);
    return kOk;
}

bool Frame::readName(std::span<char> buffer) const {
    if (name().size() >= buffer.size()) return false;
    std::memcpy(buffer.data(), name().data(), name().size());
    buffer[name().size()] = '\0';
    return true;
}

Frame* Frame::find(std::string_view wanted) {
    if (name() == wanted) return this;
    for (auto& child : m_children) {
        if (Frame* f = child->find(wanted)) return f;
    }
    return nullptr;
}

void Frame::setTransform(const Matrix& m) {
    Matrix canonical;
    if (nearlyRigid(m) && orientationFrom(m.z, m.y, canonical)) {
        canonical.origin = m.origin;
        m_transform = canonical;
    } else {
        m_transform = m;
    }
}

Matrix Frame::worldTransform() const {
    Matrix m = m_transform;
    for (const Frame* p = m_parent; p; p = p->m_parent) m = compose(m, p->m_transform);
    return m;
}

bool Frame::referenceToParent(const Frame* reference, Matrix& out) const {
    out = Matrix{};
    if (reference == m_parent) return true;
    Matrix toWorld = reference ? reference->worldTransform() : Matrix{};
    Matrix fromWorld;
    if (m_parent) {
        if (!invert(m_parent->worldTransform(), fromWorld)) return false;
    }
    out = compose(toWorld, fromWorld);
    return true;
}

Result Frame::getPosition(const Frame* reference, Vec3& out) const {
    if (reference == m_parent) {
        out = m_transform.origin;
        return kOk;
    }
    Matrix fromWorld;
    if (reference && !invert(reference->worldTransform(), fromWorld)) return kErrBadValue;
    out = fromWorld.point(worldTransform().origin);
    return kOk;
}

Result Frame::setPosition(const Frame* reference, Vec3 position) {
    Matrix toParent;
    if (!referenceToParent(reference, toParent)) return kErrBadValue;
    m_transform.origin = reference == m_parent ? position : toParent.point(position);
    return kOk;
}

Result Frame::getOrientation(const Frame* reference, Vec3& direction, Vec3& up) const {
    if (reference == m_parent) {
        direction = m_transform.z;
        up = m_transform.y;
        return kOk;
    }
    Matrix fromWorld;
    if (reference && !invert(reference->worldTransform(), fromWorld)) return kErrBadValue;
    const Matrix world = worldTransform();
    direction = fromWorld.direction(world.z);
    up = fromWorld.direction(world.y);
    return kOk;
}

bool Frame::removeVisual(const Visual* visual) {
    const auto it = std::find_if(m_visuals.begin(), m_visuals.end(),
                                 [&](const std::shared_ptr<Visual>& v) { return v.get() == visual; });
    if (it == m_visuals.end()) return false;
    m_visuals.erase(it);
    return true;
}

Result Frame::setOrientation(const Frame* reference, Vec3 direction, Vec3 up) {
    Matrix toParent;
    if (!referenceToParent(reference, toParent)) return kErrBadValue;
    if (reference != m_parent) {
        direction = toParent.direction(direction);
        up = toParent.direction(up);
    }
    Matrix axes;
    if (!orientationFrom(direction, up, axes)) return kErrBadValue;
    axes.origin = m_transform.origin;
    m_transform = axes;
    return kOk;
}

Result Frame::setRotation(const Frame* reference, Vec3 axis, float angle) {
    if (!std::isfinite(angle)) return kErrBadValue;
    m_rotation = Motion{};
    if (angle == 0) return kOk;
    if (!(length(axis) > 0)) return kErrBadValue;
    m_rotation.active = true;
    m_rotation.world = reference == nullptr;
    if (reference) m_rotation.reference = reference->weak_from_this();
    m_rotation.value = axis;
    m_rotation.angle = angle;
    return kOk;
}

Result Frame::setVelocity(const Frame* reference, Vec3 velocity) {
    m_velocity = Motion{};
    if (velocity == Vec3{}) return kOk;
    m_velocity.active = true;
    m_velocity.world = reference == nullptr;
    if (reference) m_velocity.reference = reference->weak_from_this();
    m_velocity.value = velocity;
    return kOk;
}

bool Frame::motionToParent(const Motion& motion, Matrix& out) const {
    if (motion.world) return referenceToParent(nullptr, out);
    auto reference = motion.reference.lock();
    if (!reference) return false;  // the reference frame is gone: the motion lapses
    return referenceToParent(reference.get(), out);
}

void Frame::collectMoves(float delta, std::vector<std::pair<Frame*, Matrix>>& moves) {
    if (m_rotation.active || m_velocity.active) {
        Matrix next = m_transform;
        Matrix toParent;
        if (m_rotation.active && motionToParent(m_rotation, toParent)) {
            const Vec3 axis = toParent.direction(m_rotation.value);
            const float len = length(axis);
            if (len > 0) {
                const Vec3 k = axis * (1.0f / len);
                const double angle = static_cast<double>(m_rotation.angle) * delta;
                next.x = rotate(next.x, k, angle);
                next.y = rotate(next.y, k, angle);
                next.z = rotate(next.z, k, angle);
            }
        }
        if (m_velocity.active && motionToParent(m_velocity, toParent)) {
            next.origin = next.origin + toParent.direction(m_velocity.value) * delta;
        }
        moves.emplace_back(this, next);
    }
    for (const auto& child : m_children) child->collectMoves(delta, moves);
}

Result Frame::move(float delta) {
    if (!std::isfinite(delta)) return kErrBadValue;
    // Every motion is worked out from the state before the step, then applied,
    // so frames moving relative to each other do not see half-done steps.
    std::vector<std::pair<Frame*, Matrix>> moves;
    collectMoves(delta, moves);
    for (auto& [frame, next] : moves) frame->m_transform = next;
    return kOk;
}

}  // namespace rova::rm
