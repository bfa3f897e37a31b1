// The scene, the model and joint posing, checked on where frame origins and mesh
// points end up. Every model test runs on the small test model and on the model
// the library carries.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <fstream>
#include <functional>
#include <iterator>
#include <limits>
#include <string>
#include <vector>

#include "report.h"
#include "resource.h"
#include "scene.h"
#include "viewer_fixture.h"

namespace rova::viewer {
namespace {

using rm::Frame;
using rm::Matrix;
using rm::Vec3;

using test::kRest;

std::vector<std::uint8_t> readFile(const char* path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// A scene with a model loaded, and ways to see where its parts are.
struct Robot {
    ViewerContext context;
    rm::Result loaded = rm::kErrGeneric;

    explicit Robot(std::span<const std::uint8_t> file) {
        context.root = std::make_unique<rm::Root>();
        if (createScene(context)) loaded = file.empty() ? loadModel(context) : loadModel(context, file);
    }

    Frame* model() const { return context.model.lock().get(); }
    Frame* frame(std::string_view name) const {
        Frame* f = model() ? model()->find(name) : nullptr;
        EXPECT_TRUE(f) << name;
        return f;
    }
    // A point given in a frame's own coordinates, seen from the model frame.
    Vec3 inModel(const Frame* f, Vec3 local = {}) const {
        Matrix toModel;
        rm::invert(model()->worldTransform(), toModel);
        return rm::compose(f->worldTransform(), toModel).point(local);
    }
    Vec3 origin(std::string_view name) const { return inModel(frame(name)); }

    // The vertex of a frame's mesh that lies farthest along a direction of the
    // model frame, in the frame's own coordinates (so it can be followed).
    Vec3 extremeVertex(std::string_view name, Vec3 direction) const {
        const Frame* f = frame(name);
        Vec3 best{};
        float bestDistance = -std::numeric_limits<float>::infinity();
        for (const auto& visual : f->visuals()) {
            for (Vec3 v : std::static_pointer_cast<rm::Mesh>(visual)->vertices) {
                const float d = rm::dot(inModel(f, v), direction);
                if (d > bestDistance) bestDistance = d, best = v;
            }
        }
        return best;
    }

    std::vector<Matrix> transforms() const {
        std::vector<Matrix> out;
        collect(model(), out);
        return out;
    }
    static void collect(const Frame* f, std::vector<Matrix>& out) {
        for (const auto& child : f->children()) {
            out.push_back(child->transform());
            collect(child.get(), out);
        }
    }
    int frameCount() const { return static_cast<int>(transforms().size()); }
};

enum class Source { TestModel, Shipped };

class ModelTest : public ::testing::TestWithParam<Source> {
protected:
    void SetUp() override {
        if (GetParam() == Source::TestModel) {
            m_file = readFile(ROVA_TEST_MODEL);
            ASSERT_FALSE(m_file.empty());
        } else {
            ASSERT_TRUE(findResource(kModelResourceType, kModelResourceName)) << "the library carries no model";
        }
    }
    // The shipped model comes through loadModel(context), from the resource.
    Robot robot() const { return Robot(m_file); }

private:
    std::vector<std::uint8_t> m_file;
};

INSTANTIATE_TEST_SUITE_P(Models, ModelTest, ::testing::Values(Source::TestModel, Source::Shipped),
                         [](const auto& test) { return test.param == Source::TestModel ? "Test" : "Shipped"; });

TEST_P(ModelTest, LoadsEveryFrameWithItsMesh) {
    Robot r = robot();
    ASSERT_EQ(r.loaded, rm::kOk);
    EXPECT_EQ(r.frameCount(), 38);
    int meshes = 0;
    std::function<void(const Frame*)> visit = [&](const Frame* f) {
        ASSERT_EQ(f->visuals().size(), 1u) << f->name();
        auto mesh = std::dynamic_pointer_cast<rm::Mesh>(f->visuals()[0]);
        ASSERT_TRUE(mesh);
        ++meshes;
        EXPECT_EQ(mesh->name(), f->name() == "ROVA" ? "Body" : f->name().substr(4));
        EXPECT_FALSE(mesh->normals.empty()) << mesh->name();
        for (const auto& face : mesh->faces) {
            EXPECT_EQ(face.normals.size(), face.vertices.size());
            EXPECT_GE(face.material, 0);
        }
        for (const auto& child : f->children()) visit(child.get());
    };
    ASSERT_EQ(r.model()->children().size(), 1u);  // one top-level frame
    visit(r.model()->children()[0].get());
    EXPECT_EQ(meshes, 38);
}

// Where every frame sits relative to its parent in the modelled pose.
struct FrameRow {
    const char* name;
    const char* parent;
    Vec3 position;
    float tilt;       // degrees, when the axes are a tilt
    int special = 0;  // 1: right upper limb (half turned), 2, 3: the ears
};

const FrameRow kFrames[] = {
    {"ROVA", nullptr, {0, 12.8f, -0.004f}, -5},
    {"frm-sphere2", "ROVA", {0, 5, 8.104f}, 0},
    {"frm-cyl1", "frm-sphere2", {0, 0, 0.3f}, -13.1f},
    {"frm-cyl2", "frm-cyl1", {0, 0, 2.2f}, -13.9f},
    {"frm-cyl3", "frm-cyl2", {0, 0, 3.2f}, -22.7f},
    {"frm-FL_Arm", "ROVA", {4.5f, 0, -6.996f}, -17.5f},
    {"frm-FL_Forearm", "frm-FL_Arm", {1.5f, -5.779f, -1.203f}, 22.5f},
    {"frm-FL_Foot", "frm-FL_Forearm", {0, -6.3f, -2.5f}, 0},
    {"frm-FL_Paw", "frm-FL_Foot", {0, 1.2f, 0.7f}, -15},
    {"frm-FL_Nails", "frm-FL_Paw", {0, 0, -2.7f}, 15},
    {"frm-FR_Arm", "ROVA", {-4.5f, 0, -6.996f}, -17.5f, 1},
    {"frm-FR_Forearm", "frm-FR_Arm", {1.5f, -5.779f, 1.203f}, -22.5f},
    {"frm-FL_Foot1", "frm-FR_Forearm", {0, -6.3f, 2.5f}, 0},
    {"frm-FR_Paw", "frm-FL_Foot1", {0, 1.2f, -0.7f}, 15},
    {"frm-FR_Nails", "frm-FR_Paw", {0, 0, 2.7f}, -15},
    {"frm-BL_Thigh", "ROVA", {4.5f, 0, 6.004f}, 27.5f},
    {"frm-BL_Leg", "frm-BL_Thigh", {1.5f, -5.779f, 1.203f}, -22.5f},
    {"frm-BL_Foot", "frm-BL_Leg", {0, -7.5f, 1.06f}, 0},
    {"frm-BL_Paw", "frm-BL_Foot", {0, 1.2f, 0.7f}, -15},
    {"frm-BL_Nails", "frm-BL_Paw", {0, 0, -2.7f}, 15},
    {"frm-Neck", "ROVA", {0, 5.3f, -8.496f}, 5},
    {"frm-Head", "frm-Neck", {0, 3.134f, -2.6f}, -15},
    {"frm-cyl6", "frm-Head", {3.8f, 2.002f, 2.629f}, 0, 2},
    {"frm-extru3", "frm-cyl6", {0, 0, 0}, 0},
    {"frm-extru2", "frm-extru3", {-1.144f, 0, 0}, 0},
    {"frm-extru1", "frm-extru2", {-1.097f, 0, 0}, 0},
    {"frm-extru4", "frm-extru1", {-1.097f, 0, 0}, 0},
    {"frm-cyl7", "frm-Head", {-3.8f, 2.002f, 2.629f}, 0, 3},
    {"frm-extru5", "frm-cyl7", {0, 0, 0}, 0},
    {"frm-extru6", "frm-extru5", {-1.144f, 0, 0}, 0},
    {"frm-extru7", "frm-extru6", {-1.097f, 0, 0}, 0},
    {"frm-extru8", "frm-extru7", {-1.097f, 0, 0}, 0},
    {"frm-Jaw", "frm-Head", {0, -1, -0.798f}, -15},
    {"frm-BR_Thigh", "ROVA", {-4.5f, 0, 6.004f}, 27.5f, 1},
    {"frm-BR_Leg", "frm-BR_Thigh", {1.5f, -5.779f, -1.203f}, 22.5f},
    {"frm-BR_Foot", "frm-BR_Leg", {0, -7.5f, -1.06f}, 0},
    {"frm-BR_Paw", "frm-BR_Foot", {0, 1.2f, -0.7f}, 15},
    {"frm-BR_Nails", "frm-BR_Paw", {0, 0, 2.7f}, -15},
};

Matrix expectedAxes(const FrameRow& row) {
    const float t = row.tilt * 3.14159265f / 180;
    Matrix m;
    m.y = {0, std::cos(t), std::sin(t)};
    m.z = {0, -std::sin(t), std::cos(t)};
    if (row.special == 1) {
        m.x = {-1, 0, 0};
        m.z = m.z * -1;
    } else if (row.special == 2) {
        m.x = {0, 1, 0}, m.y = {1, 0, 0}, m.z = {0, 0, -1};
    } else if (row.special == 3) {
        m.x = {0, 1, 0}, m.y = {-1, 0, 0}, m.z = {0, 0, 1};
    }
    return m;
}

void expectNear(Vec3 a, Vec3 b, float tol, const std::string& what) {
    EXPECT_NEAR(a.x, b.x, tol) << what;
    EXPECT_NEAR(a.y, b.y, tol) << what;
    EXPECT_NEAR(a.z, b.z, tol) << what;
}

TEST_P(ModelTest, LoadedModelIsInItsModelledPose) {
    Robot r = robot();
    ASSERT_EQ(r.loaded, rm::kOk);
    for (std::size_t j = 0; j < std::size(kRest); ++j) EXPECT_EQ(r.context.jointValues[j], kRest[j]) << j;
    for (const FrameRow& row : kFrames) {
        const Frame* f = r.frame(row.name);
        ASSERT_TRUE(f);
        const Frame* parent = row.parent ? r.frame(row.parent) : r.model();
        EXPECT_EQ(f->parent(), parent) << row.name;
        const Matrix want = expectedAxes(row);
        expectNear(f->transform().origin, row.position, 1e-5f, row.name);
        expectNear(f->transform().x, want.x, 1e-3f, row.name);
        expectNear(f->transform().y, want.y, 1e-3f, row.name);
        expectNear(f->transform().z, want.z, 1e-3f, row.name);
    }
    // Each joint holds its table frame; a pair's two joints hold the same one.
    for (std::size_t j = 0; j < ViewerJointTable.size(); ++j) {
        const auto& row = ViewerJointTable[j];
        const Frame* expected = r.frame(row.pair == Pair::Second ? ViewerJointTable[j - 1].frame : row.frame);
        EXPECT_EQ(r.context.jointFrames[j].get(), expected) << j;
    }
}

TEST_P(ModelTest, JointSetAwayAndBackRestoresEveryTransformExactly) {
    Robot r = robot();
    ASSERT_EQ(r.loaded, rm::kOk);
    const std::vector<Matrix> modelled = r.transforms();
    for (int j = 0; j < kViewerJointCount; ++j) {
        setJoint(r.context, j, kRest[j]);  // at its rest value a joint adds no turn
        EXPECT_EQ(r.transforms(), modelled) << j;
        setJoint(r.context, j, kRest[j] + 23);
        EXPECT_NE(r.transforms(), modelled) << j;
        setJoint(r.context, j, kRest[j]);
        EXPECT_EQ(r.transforms(), modelled) << j;
    }
}

// The sense of each joint: comparing a part's position at two values.
TEST_P(ModelTest, JointsMoveThePartsTheWayTheyShould) {
    Robot r = robot();
    ASSERT_EQ(r.loaded, rm::kOk);
    const Vec3 nose = r.extremeVertex("frm-Head", {0, 0, -1});
    const Vec3 jawTip = r.extremeVertex("frm-Jaw", {0, 0, -1});
    auto at = [&](int joint, int value, auto where) {
        setJoint(r.context, joint, value);
        const Vec3 p = where();
        setJoint(r.context, joint, kRest[joint]);
        return p;
    };
    auto frameOrigin = [&](const char* name) { return [&r, name] { return r.origin(name); }; };
    auto point = [&](const char* name, Vec3 local) { return [&r, name, local] { return r.inModel(r.frame(name), local); }; };

    // A positive HeadY raises the head.
    EXPECT_GT(at(0, 30, point("frm-Head", nose)).y, at(0, -30, point("frm-Head", nose)).y + 2);
    // A negative Mouth opens the jaw downward.
    EXPECT_LT(at(3, -36, point("frm-Jaw", jawTip)).y, at(3, 0, point("frm-Jaw", jawTip)).y - 1);
    // A positive front-leg Y swings the paw forward (toward -z).
    EXPECT_LT(at(7, 40, frameOrigin("frm-FL_Paw")).z, at(7, -40, frameOrigin("frm-FL_Paw")).z - 5);
    EXPECT_LT(at(4, 40, frameOrigin("frm-FR_Paw")).z, at(4, -40, frameOrigin("frm-FR_Paw")).z - 5);
    // A negative rear-leg Y swings the rear paw forward.
    EXPECT_LT(at(13, -40, frameOrigin("frm-BL_Paw")).z, at(13, 40, frameOrigin("frm-BL_Paw")).z - 5);
    EXPECT_LT(at(10, -40, frameOrigin("frm-BR_Paw")).z, at(10, 40, frameOrigin("frm-BR_Paw")).z - 5);
    // A positive leg X spreads the leg outward on both sides (left is +x).
    EXPECT_GT(at(8, 40, frameOrigin("frm-FL_Paw")).x, at(8, 0, frameOrigin("frm-FL_Paw")).x + 3);
    EXPECT_LT(at(5, 40, frameOrigin("frm-FR_Paw")).x, at(5, 0, frameOrigin("frm-FR_Paw")).x - 3);
    EXPECT_GT(at(14, 40, frameOrigin("frm-BL_Paw")).x, at(14, 0, frameOrigin("frm-BL_Paw")).x + 3);
    EXPECT_LT(at(11, 40, frameOrigin("frm-BR_Paw")).x, at(11, 0, frameOrigin("frm-BR_Paw")).x - 3);
}

// Left and right joints with the same values give mirror images: the sign
// column makes up for the half-turned right limbs.
TEST_P(ModelTest, LeftAndRightLimbsMirrorEachOther) {
    Robot r = robot();
    ASSERT_EQ(r.loaded, rm::kOk);
    const struct {
        int legY, legX, pawY;
        const char *left, *right;
    } limbs[] = {{7, 8, 9, "frm-FL_Nails", "frm-FR_Nails"}, {13, 14, 15, "frm-BL_Nails", "frm-BR_Nails"}};
    for (const auto& limb : limbs) {
        for (const std::array<int, 3>& values : {std::array{-60, 20, 100}, std::array{45, -5, -20}}) {
            const int joints[] = {limb.legY, limb.legX, limb.pawY};
            for (std::size_t k = 0; k < values.size(); ++k) {
                // The right limb's joints come three rows before the left's.
                setJoint(r.context, joints[k], values[k]);
                setJoint(r.context, joints[k] - 3, values[k]);
            }
            const Vec3 left = r.origin(limb.left), right = r.origin(limb.right);
            expectNear(left, {-right.x, right.y, right.z}, 1e-3f, limb.left);
        }
    }
}

TEST_P(ModelTest, PairsGiveTheSameResultInEitherOrder) {
    const int pairs[][2] = {{1, 2}, {4, 5}, {7, 8}, {10, 11}, {13, 14}, {16, 17}};
    for (const auto& p : pairs) {
        Robot a = robot(), b = robot();
        ASSERT_EQ(a.loaded, rm::kOk);
        setJoint(a.context, p[0], 33);
        setJoint(a.context, p[1], -21);
        setJoint(b.context, p[1], -21);
        setJoint(b.context, p[0], 33);
        EXPECT_EQ(a.transforms(), b.transforms()) << p[0];
        // and a later value replaces an earlier one instead of adding to it
        setJoint(b.context, p[0], 5);
        setJoint(b.context, p[0], 33);
        EXPECT_EQ(a.transforms(), b.transforms()) << p[0];
    }
}

TEST_P(ModelTest, HiddenJointGoesToZeroAndTurnsGrey) {
    Robot r = robot();
    ASSERT_EQ(r.loaded, rm::kOk);
    Frame* forearm = r.frame("frm-FR_Forearm");
    const Matrix modelled = forearm->transform();

    setJointsVisible(r.context, 6, 1, false);
    EXPECT_EQ(r.context.jointValues[6], 0);
    // d = 0 - 65, negated by the sign: +65 degrees about the parent's X axis.
    const float a = 65 * 0.017452007f;
    auto turned = [a](Vec3 v) { return Vec3{v.x, v.y * std::cos(a) - v.z * std::sin(a), v.y * std::sin(a) + v.z * std::cos(a)}; };
    expectNear(forearm->transform().y, turned(modelled.y), 1e-5f, "y");
    expectNear(forearm->transform().z, turned(modelled.z), 1e-5f, "z");
    for (const char* name : {"frm-FR_Forearm", "frm-FL_Foot1", "frm-FR_Paw", "frm-FR_Nails"}) {
        EXPECT_EQ(r.frame(name)->materialMode(), rm::MaterialMode::FromFrame) << name;
        EXPECT_EQ(r.frame(name)->color(), kDisabledColor) << name;
    }
    EXPECT_EQ(r.frame("frm-FR_Arm")->materialMode(), rm::MaterialMode::FromMesh);

    setJointsVisible(r.context, 6, 1, true);
    EXPECT_EQ(r.context.jointValues[6], 0);
    for (const char* name : {"frm-FR_Forearm", "frm-FR_Nails"}) {
        EXPECT_EQ(r.frame(name)->materialMode(), rm::MaterialMode::FromMesh) << name;
    }
}

TEST_P(ModelTest, ExtremeAndOutOfRangeJointsAreSafe) {
    Robot r = robot();
    ASSERT_EQ(r.loaded, rm::kOk);
    const std::vector<Matrix> modelled = r.transforms();
    setJoint(r.context, -1, 10);
    setJoint(r.context, kViewerJointCount, 10);
    setJointsVisible(r.context, 20, std::numeric_limits<int>::max(), true);
    EXPECT_EQ(r.transforms(), modelled);
    for (int j = 0; j < kViewerJointCount; ++j) {
        for (std::int32_t v : {std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max()}) {
            setJoint(r.context, j, v);
            const Vec3 p = r.inModel(r.context.jointFrames[static_cast<std::size_t>(j)].get(), {1, 1, 1});
            EXPECT_TRUE(std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.z)) << j;
        }
    }
}

TEST(SceneTest, SceneHasLightsCameraAndPlacedModel) {
    Robot r(readFile(ROVA_TEST_MODEL));
    ASSERT_EQ(r.loaded, rm::kOk);
    const Frame& scene = *r.context.scene;
    EXPECT_EQ(scene.parent(), nullptr);
    ASSERT_EQ(scene.lights().size(), 1u);
    EXPECT_EQ(scene.lights()[0]->type(), rm::Light::Type::Ambient);
    EXPECT_FLOAT_EQ(scene.lights()[0]->color().g, 0.2f);

    ASSERT_EQ(scene.children().size(), 3u);  // light frame, camera, model
    const Frame& light = *scene.children()[0];
    ASSERT_EQ(light.lights().size(), 1u);
    EXPECT_EQ(light.lights()[0]->type(), rm::Light::Type::Directional);
    expectNear(light.transform().origin, {2, 2, 5}, 1e-6f, "light");
    const float s = 1 / std::sqrt(3.0f);
    expectNear(light.transform().z, {-s, -s, s}, 1e-6f, "light direction");

    EXPECT_EQ(scene.children()[1], r.context.camera);
    EXPECT_EQ(r.context.camera->transform(), Matrix{});
    EXPECT_EQ(scene.children()[2].get(), r.model());
    expectNear(r.model()->transform().origin, {0, -10, 50}, 0, "model");
}

TEST(SceneTest, ModelThatFailsToLoadLeavesNothingBehind) {
    std::vector<std::string> messages;
    setMessageBoxSink([&](std::string_view text, std::string_view caption) {
        messages.push_back(std::string(caption) + "|" + std::string(text));
    });
    std::vector<std::uint8_t> file = readFile(ROVA_TEST_MODEL);
    file.resize(file.size() / 2);
    Robot r(file);
    setMessageBoxSink({});
    EXPECT_EQ(r.loaded, rm::kErrBadFile);
    EXPECT_EQ(messages, std::vector<std::string>{"Viewer Message|Failed to load X File\r\n"});
    EXPECT_EQ(r.context.scene->children().size(), 2u);  // light frame and camera only
    for (const auto& f : r.context.jointFrames) EXPECT_EQ(f, nullptr);
    setJoint(r.context, 3, 10);  // a joint without a frame only stores its value
    EXPECT_EQ(r.context.jointValues[3], 10);
}

TEST(SceneTest, LibraryCarriesTheModelFile) {
    const auto resource = findResource("MODELX", "ROVA");
    const std::vector<std::uint8_t> file = readFile(ROVA_SHIPPED_MODEL);
    ASSERT_FALSE(file.empty()) << "no model file in the source tree";
    ASSERT_TRUE(resource);
    EXPECT_TRUE(std::equal(resource->begin(), resource->end(), file.begin(), file.end()));
    EXPECT_FALSE(findResource("MODELX", "OTHER"));
    EXPECT_FALSE(findResource("BITMAP", "ROVA"));
}

}  // namespace
}  // namespace rova::viewer
