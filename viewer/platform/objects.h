// The retained-mode scene's objects other than frames: materials, meshes (the
// visuals that frames carry) and lights.
#pragma once

#include <cstdint>
#include <string>
#include <vector>
#include <memory>

#include "math3d.h"

namespace rova::rm {

// 32-bit colour, alpha in the top byte, then red, green, blue.
using Color = std::uint32_t;

struct ColorRGB {
    float r = 0, g = 0, b = 0;
};
struct ColorRGBA {
    float r = 0, g = 0, b = 0, a = 1;
};

// Anything the loader can hand over; carries the name it had in the file.
class Object {
public:
    virtual ~Object() = default;
    const std::string& name() const { return m_name; }
    void setName(std::string name) { m_name = std::move(name); }

private:
    std::string m_name;
};

// Something a frame can draw.
class Visual : public Object {};

class Material : public Object {
public:
    ColorRGBA color{1, 1, 1, 1};
    float power = 0;
    ColorRGB specular;
    ColorRGB emissive;
};

// A polygon mesh: shared vertex positions, per-face vertex and normal indices and
// a material per face.
class Mesh : public Visual {
public:
    static constexpr std::int32_t kNoMaterial = -1;

    struct Face {
        std::vector<std::uint32_t> vertices;  // indices into vertices(), at least 3
        std::vector<std::uint32_t> normals;   // indices into normals(); empty or one per vertex
        std::int32_t material = kNoMaterial;  // index into materials()
    };

    std::vector<Vec3> vertices;
    std::vector<Vec3> normals;
    std::vector<Face> faces;
    std::vector<std::shared_ptr<Material>> materials;
    // A light of the model (an eye lamp) keeps its own materials while its
    // frame is highlighted or greyed: the lamp shows what it shows.
    bool keepsMaterials = false;
};

class Light : public Object {
public:
    enum class Type { Ambient, Point, Spot, Directional, ParallelPoint };

    Light(Type type, ColorRGB color) : m_type(type), m_color(color) {}
    Type type() const { return m_type; }
    ColorRGB color() const { return m_color; }
    void setColor(ColorRGB c) { m_color = c; }

private:
    Type m_type;
    ColorRGB m_color;
};

}  // namespace rova::rm
