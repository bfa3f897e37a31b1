#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <string>

#include "platform/frame.h"

namespace rova::rm {
namespace {

constexpr float kTol = 1e-5f;

void expectNear(Vec3 actual, Vec3 expected, float tol = kTol) {
    EXPECT_NEAR(actual.x, expected.x, tol);
    EXPECT_NEAR(actual.y, expected.y, tol);
    EXPECT_NEAR(actual.z, expected.z, tol);
}

std::shared_ptr<Frame> childOf(const std::shared_ptr<Frame>& parent) {
    auto f = Frame::create();
    EXPECT_EQ(parent->addChild(f), kOk);
    return f;
}

TEST(FrameTest, PositiveTurnsFollowTheViewerSense) {
    struct Case {
        Vec3 axis;
        Vec3 (*axisOf)(const Matrix&);
        Vec3 before, after;
    };
    const Case cases[] = {
        {{1, 0, 0}, [](const Matrix& m) { return m.y; }, {0, 1, 0}, {0, 0, 1}},  // +y toward +z
        {{0, 1, 0}, [](const Matrix& m) { return m.z; }, {0, 0, 1}, {1, 0, 0}},  // +z toward +x
        {{0, 0, 1}, [](const Matrix& m) { return m.x; }, {1, 0, 0}, {0, 1, 0}},  // +x toward +y
    };
    for (const Case& c : cases) {
        auto scene = Frame::create();
        auto f = childOf(scene);
        ASSERT_EQ(f->setPosition(scene.get(), {1, 2, 3}), kOk);
        ASSERT_EQ(f->setRotation(scene.get(), c.axis, std::numbers::pi_v<float> / 2), kOk);
        expectNear(c.axisOf(f->transform()), c.before);  // nothing happens before the scene advances
        ASSERT_EQ(scene->move(1.0f), kOk);
        expectNear(c.axisOf(f->transform()), c.after);
        expectNear(f->transform().origin, {1, 2, 3});  // turned about its own origin
        ASSERT_EQ(f->setRotation(scene.get(), {0, 0, 1}, 0), kOk);
        scene->move(1.0f);
        expectNear(c.axisOf(f->transform()), c.after);
    }
}

TEST(FrameTest, RotationAxisIsTakenInTheReferenceFrame) {
    auto scene = Frame::create();
    auto parent = childOf(scene);
    // Parent tilted a quarter turn about X: its y axis points along world +z.
    ASSERT_EQ(parent->setOrientation(scene.get(), {0, -1, 0}, {0, 0, 1}), kOk);
    auto f = childOf(parent);

    // About the world's Y axis, whatever the parent's orientation: x goes to -z.
    ASSERT_EQ(f->setRotation(nullptr, {0, 1, 0}, std::numbers::pi_v<float> / 2), kOk);
    scene->move(1.0f);
    expectNear(f->worldTransform().x, {0, 0, -1});

    // About the parent's Y axis (world +z): the world x axis goes to world +y.
    auto g = childOf(parent);
    ASSERT_EQ(g->setRotation(parent.get(), {0, 1, 0}, std::numbers::pi_v<float> / 2), kOk);
    f->setRotation(nullptr, {0, 0, 1}, 0);
    scene->move(1.0f);
    expectNear(g->transform().z, {1, 0, 0});
    expectNear(g->worldTransform().x, {0, 1, 0});
}

TEST(FrameTest, VelocityActsOnMoveOnly) {
    auto scene = Frame::create();
    auto f = childOf(scene);
    ASSERT_EQ(f->setVelocity(scene.get(), {0.25f, 0, -1}), kOk);
    expectNear(f->transform().origin, {0, 0, 0});
    scene->move(1.0f);
    scene->move(1.0f);
    expectNear(f->transform().origin, {0.5f, 0, -2});
    f->setVelocity(scene.get(), {});
    scene->move(1.0f);
    expectNear(f->transform().origin, {0.5f, 0, -2});
}

TEST(FrameTest, PositionAndOrientationRelativeToAnyFrame) {
    auto scene = Frame::create();
    auto a = childOf(scene);
    auto b = childOf(a);
    auto other = childOf(scene);
    ASSERT_EQ(a->setPosition(scene.get(), {0, 10, 0}), kOk);
    ASSERT_EQ(a->setOrientation(scene.get(), {1, 0, 0}, {0, 1, 0}), kOk);  // z along world +x
    ASSERT_EQ(other->setPosition(scene.get(), {5, 0, 0}), kOk);

    ASSERT_EQ(b->setPosition(other.get(), {1, 2, 3}), kOk);
    Vec3 p;
    ASSERT_EQ(b->getPosition(scene.get(), p), kOk);
    expectNear(p, {6, 2, 3});
    ASSERT_EQ(b->getPosition(nullptr, p), kOk);
    expectNear(p, {6, 2, 3});
    ASSERT_EQ(b->getPosition(a.get(), p), kOk);
    expectNear(p, {-3, -8, 6});  // a's z is world x, its x is world -z

    ASSERT_EQ(b->setOrientation(scene.get(), {0, 0, 1}, {0, 1, 0}), kOk);
    Vec3 dir, up;
    ASSERT_EQ(b->getOrientation(scene.get(), dir, up), kOk);
    expectNear(dir, {0, 0, 1});
    expectNear(up, {0, 1, 0});
    ASSERT_EQ(b->getOrientation(a.get(), dir, up), kOk);
    expectNear(dir, {-1, 0, 0});

    EXPECT_NE(b->setOrientation(scene.get(), {0, 0, 0}, {0, 1, 0}), kOk);
    EXPECT_NE(b->setOrientation(scene.get(), {0, 2, 0}, {0, 1, 0}), kOk);
}

TEST(FrameTest, StoredTransformRestoresExactly) {
    auto scene = Frame::create();
    auto f = childOf(scene);
    // Axes rounded to three decimals, as model files carry them.
    Matrix m;
    m.x = {-1, 0, 0};
    m.y = {0, 0.954f, -0.301f};
    m.z = {0, -0.301f, -0.954f};
    m.origin = {-4.5f, 0, -6.996f};
    f->setTransform(m);
    expectNear(f->transform().y, m.y, 1e-3f);
    expectNear(f->transform().z, m.z, 1e-3f);
    EXPECT_EQ(f->transform().origin, m.origin);

    const Matrix loaded = f->transform();
    Vec3 pos, dir, up;
    f->getPosition(f->parent(), pos);
    f->getOrientation(f->parent(), dir, up);
    for (float angle : {0.3f, -1.7f, 2.9f}) {
        f->setRotation(scene.get(), {1, 0, 0}, angle);
        scene->move(1.0f);
        f->setRotation(scene.get(), {0, 1, 0}, angle);
        scene->move(1.0f);
        f->setRotation(scene.get(), {0, 0, 1}, 0);
        EXPECT_NE(f->transform(), loaded);
        f->setPosition(f->parent(), pos);
        f->setOrientation(f->parent(), dir, up);
        EXPECT_EQ(f->transform(), loaded);  // bit for bit
    }
}

TEST(FrameTest, HierarchyChanges) {
    auto scene = Frame::create();
    auto a = childOf(scene);
    auto b = childOf(a);
    EXPECT_NE(b->addChild(scene), kOk);  // no loops
    EXPECT_NE(a->addChild(a), kOk);

    auto c = Frame::create();
    ASSERT_EQ(a->addChild(c), kOk);
    ASSERT_EQ(scene->addChild(c), kOk);  // taken from its previous parent
    EXPECT_EQ(c->parent(), scene.get());
    EXPECT_EQ(a->children().size(), 1u);
    EXPECT_EQ(scene->children().back(), c);

    // A frame outliving its parent is left without one.
    a.reset();
    EXPECT_EQ(scene->deleteChild(scene->children().front().get()), kOk);
    EXPECT_EQ(b->parent(), nullptr);
    b->move(1.0f);
}

TEST(FrameTest, NamesAreReadThroughABuffer) {
    auto f = Frame::create();
    char buffer[64];
    f->setName(std::string(63, 'n'));
    EXPECT_TRUE(f->readName(buffer));
    EXPECT_EQ(std::string(buffer), f->name());
    f->setName(std::string(64, 'n'));
    EXPECT_FALSE(f->readName(buffer));
}

}  // namespace
}  // namespace rova::rm
