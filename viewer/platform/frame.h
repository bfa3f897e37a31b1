// Frames: the nodes of the retained-mode scene. Each has a parent, ordered
// children, a name, visuals and lights, and a transform relative to its parent
// that can be read and set relative to any frame.
#pragma once

#include <memory>
#include <span>
#include <string_view>
#include <vector>

#include "math3d.h"
#include "objects.h"
#include "result.h"

namespace rova::rm {

enum class MaterialMode : int {
    FromMesh = 0,    // faces use the materials of their meshes
    FromParent = 1,  // faces use the parent frame's colour
    FromFrame = 2,   // faces use this frame's colour
};

// Frames live in shared pointers (create()); a parent owns its children. A null
// reference frame in the calls below stands for world coordinates, those of the
// topmost frame's parent space.
class Frame : public Object, public std::enable_shared_from_this<Frame> {
public:
    static std::shared_ptr<Frame> create() { return std::make_shared<Frame>(); }
    Frame() = default;
    ~Frame() override;
    Frame(const Frame&) = delete;
    Frame& operator=(const Frame&) = delete;

    Frame* parent() const { return m_parent; }
    const std::vector<std::shared_ptr<Frame>>& children() const { return m_children; }
    // Appends child, taking it from its previous parent; its transform relative
    // to its parent is kept. Fails for this frame itself or one of its ancestors.
    Result addChild(const std::shared_ptr<Frame>& child);
    Result deleteChild(const Frame* child);

    // Copies the name with its terminating zero into buffer; false (buffer
    // untouched) when it does not fit.
    bool readName(std::span<char> buffer) const;
    // This frame or the first frame below it (depth first) with the name.
    Frame* find(std::string_view name);

    void addVisual(std::shared_ptr<Visual> visual) { m_visuals.push_back(std::move(visual)); }
    // Takes the visual off this frame; false when the frame does not carry it.
    bool removeVisual(const Visual* visual);
    const std::vector<std::shared_ptr<Visual>>& visuals() const { return m_visuals; }
    void addLight(std::shared_ptr<Light> light) { m_lights.push_back(std::move(light)); }
    const std::vector<std::shared_ptr<Light>>& lights() const { return m_lights; }

    // Transform relative to the parent. Setting one whose axes form a rotation
    // (within rounding) stores it as position and orientation, the same form
    // setOrientation() gives, so a transform read back and set again is exact.
    const Matrix& transform() const { return m_transform; }
    void setTransform(const Matrix& m);
    // Maps this frame's coordinates to world coordinates.
    Matrix worldTransform() const;

    Result getPosition(const Frame* reference, Vec3& out) const;
    Result setPosition(const Frame* reference, Vec3 position);
    // Direction is the frame's z axis, up its y axis, both seen from reference.
    Result getOrientation(const Frame* reference, Vec3& direction, Vec3& up) const;
    Result setOrientation(const Frame* reference, Vec3 direction, Vec3 up);

    // A turn about an axis of reference (angle in radians per unit of time) and a
    // velocity in reference's coordinates; both act only when move() advances
    // the frame or one of its ancestors. A zero angle and velocity stop them.
    Result setRotation(const Frame* reference, Vec3 axis, float angle);
    Result setVelocity(const Frame* reference, Vec3 velocity);
    // Advances this frame and everything below it by delta units of time.
    Result move(float delta);

    MaterialMode materialMode() const { return m_materialMode; }
    void setMaterialMode(MaterialMode mode) { m_materialMode = mode; }
    Color color() const { return m_color; }
    void setColor(Color c) { m_color = c; }

private:
    struct Motion {
        bool active = false;
        bool world = true;  // reference is world coordinates
        std::weak_ptr<const Frame> reference;
        Vec3 value;
        float angle = 0;
    };

    // Matrix mapping reference's coordinates (null: world) into this frame's
    // parent's coordinates.
    bool referenceToParent(const Frame* reference, Matrix& out) const;
    bool motionToParent(const Motion& motion, Matrix& out) const;
    void collectMoves(float delta, std::vector<std::pair<Frame*, Matrix>>& moves);
    bool isAncestorOrSelf(const Frame* f) const;

    Frame* m_parent = nullptr;
    std::vector<std::shared_ptr<Frame>> m_children;
    std::vector<std::shared_ptr<Visual>> m_visuals;
    std::vector<std::shared_ptr<Light>> m_lights;
    Matrix m_transform;
    Motion m_rotation;
    Motion m_velocity;
    MaterialMode m_materialMode = MaterialMode::FromMesh;
    Color m_color = 0xFFFFFFFF;
};

}  // namespace rova::rm
