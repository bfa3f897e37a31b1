#include "scene.h"

#include <algorithm>
#include <functional>

#include "platform/root.h"
#include "report.h"
#include "resource.h"

namespace rova::viewer {

namespace {

// The viewer turns joints at 57.3 degrees to the radian (1 / 57.3), not 180 / pi.
constexpr float kRadiansPerDegree = 0.017452007f;

// Frame names are read through a buffer of this size; longer names never match.
constexpr std::size_t kNameBuffer = 64;

rm::Vec3 unitAxis(Axis axis) {
    switch (axis) {
    case Axis::X: return {1, 0, 0};
    case Axis::Y: return {0, 1, 0};
    case Axis::Z: break;
    }
    return {0, 0, 1};
}

bool validJoint(int joint) { return joint >= 0 && joint < kViewerJointCount; }

void registerJoint(ViewerContext& context, int joint, const std::shared_ptr<rm::Frame>& frame) {
    const auto k = static_cast<std::size_t>(joint);
    context.jointFrames[k] = frame;
    context.jointValues[k] = ViewerJointTable[k].rest;
    RestTransform& rest = context.restTransforms[k];
    frame->getPosition(frame->parent(), rest.position);
    frame->getOrientation(frame->parent(), rest.direction, rest.up);
}

// A frame whose name matches a row of the joint table becomes that joint's frame
// (and the frame of the pair's second joint too).
void registerFrame(ViewerContext& context, const std::shared_ptr<rm::Frame>& frame) {
    char name[kNameBuffer];
    if (!frame->readName(name)) return;
    const std::string_view wanted(name);
    for (int row = 0; row < kViewerJointCount; ++row) {
        const ViewerJoint& joint = ViewerJointTable[static_cast<std::size_t>(row)];
        if (joint.frame.empty() || joint.frame != wanted) continue;
        registerJoint(context, row, frame);
        if (joint.pair == Pair::First) registerJoint(context, row + 1, frame);
        return;
    }
}

void registerTree(ViewerContext& context, const std::shared_ptr<rm::Frame>& frame) {
    registerFrame(context, frame);
    for (const auto& child : frame->children()) registerTree(context, child);
}

}  // namespace

bool createScene(ViewerContext& context) {
    auto fail = [&] {
        reportError("A failure occurred while creating the scene.\n");
        context.scene.reset();
        context.camera.reset();
        return false;
    };
    if (!context.root) return fail();
    rm::Root& root = *context.root;

    std::shared_ptr<rm::Frame> scene, lightFrame, camera;
    std::shared_ptr<rm::Light> directional, ambient;
    if (rm::failed(root.createFrame(nullptr, scene))) return fail();
    if (rm::failed(root.createLight(rm::Light::Type::Directional, {1.0f, 1.0f, 1.0f}, directional)) ||
        rm::failed(root.createLight(rm::Light::Type::Ambient, {0.2f, 0.2f, 0.2f}, ambient))) {
        return fail();
    }
    if (rm::failed(root.createFrame(scene.get(), lightFrame)) ||
        rm::failed(lightFrame->setPosition(scene.get(), {2, 2, 5})) ||
        rm::failed(lightFrame->setOrientation(scene.get(), {-1, -1, 1}, {0, 1, 0}))) {
        return fail();
    }
    lightFrame->addLight(directional);
    scene->addLight(ambient);
    if (rm::failed(root.createFrame(scene.get(), camera)) || rm::failed(camera->setPosition(scene.get(), {0, 0, 0}))) {
        return fail();
    }
    context.scene = std::move(scene);
    context.camera = std::move(camera);
    return true;
}

rm::Result loadModel(ViewerContext& context) {
    // A library built without its model gets an empty file: "file not found".
    const auto file = findResource(kModelResourceType, kModelResourceName);
    return loadModel(context, file.value_or(std::span<const std::uint8_t>{}));
}

rm::Result loadModel(ViewerContext& context, std::span<const std::uint8_t> file) {
    std::shared_ptr<rm::Frame> model;
    rm::Result r = context.root && context.scene ? context.root->createFrame(context.scene.get(), model)
                                                 : rm::kErrBadObject;
    if (rm::failed(r)) {
        reportError("Failed to create XFiles parent frame");
        return r;
    }

    auto onObject = [&](const std::shared_ptr<rm::Object>& object) {
        if (auto frame = std::dynamic_pointer_cast<rm::Frame>(object)) {
            model->addChild(frame);
            registerTree(context, frame);
        } else if (auto visual = std::dynamic_pointer_cast<rm::Visual>(object)) {
            std::shared_ptr<rm::Frame> holder;
            if (rm::succeeded(context.root->createFrame(model.get(), holder))) holder->addVisual(visual);
        } else {
            debugOutput("Object loaded with no supported D3DRM interface");
        }
    };
    r = file.empty() ? rm::kErrFileNotFound : context.root->load(file, onObject);
    if (rm::failed(r)) {
        context.scene->deleteChild(model.get());
        reportError("Failed to load X File");
        return r;
    }
    model->setPosition(context.scene.get(), kModelPosition);
    context.model = model;
    return rm::kOk;
}

void setJoint(ViewerContext& context, int joint, std::int32_t value) {
    if (!validJoint(joint)) return;
    const auto k = static_cast<std::size_t>(joint);
    context.jointValues[k] = value;
    rm::Frame* frame = context.jointFrames[k].get();
    if (!frame) return;

    const RestTransform& rest = context.restTransforms[k];
    frame->setPosition(frame->parent(), rest.position);
    frame->setOrientation(frame->parent(), rest.direction, rest.up);

    switch (ViewerJointTable[k].pair) {
    case Pair::None: applyJointRotation(context, joint); break;
    case Pair::First:
        applyJointRotation(context, joint);
        applyJointRotation(context, joint + 1);
        break;
    case Pair::Second:
        applyJointRotation(context, joint - 1);
        applyJointRotation(context, joint);
        break;
    }
}

void applyJointRotation(ViewerContext& context, int joint) {
    if (!validJoint(joint)) return;
    const auto k = static_cast<std::size_t>(joint);
    const ViewerJoint& row = ViewerJointTable[k];
    // Values arrive unclamped from the host: work in 64 bits so that no value
    // can overflow the difference or its negation.
    std::int64_t d = static_cast<std::int64_t>(context.jointValues[k]) - row.rest;
    if (d == 0) return;
    if (row.sign < 0) d = -d;
    const float angle = static_cast<float>(d) * kRadiansPerDegree;

    rm::Frame* frame = context.jointFrames[k].get();
    if (!frame) return;
    rm::Frame* parent = frame->parent();
    frame->setRotation(parent, unitAxis(row.axis), angle);
    // The turn takes effect when the scene advances; with no scene around the
    // frame, advancing the frame itself does the same.
    if (context.scene) {
        context.scene->move(1.0f);
    } else {
        frame->move(1.0f);
    }
    frame->setRotation(parent, {0, 0, 1}, 0);
}

void highlightFrame(rm::Frame* frame, bool on, rm::Color color) {
    if (!frame) return;
    if (on) {
        frame->setMaterialMode(rm::MaterialMode::FromFrame);
        frame->setColor(color);
    } else {
        frame->setMaterialMode(rm::MaterialMode::FromMesh);
    }
    for (const auto& child : frame->children()) highlightFrame(child.get(), on, color);
}

void selectFrame(ViewerContext& context, std::shared_ptr<rm::Frame> frame) {
    if (context.selectedFrame) highlightFrame(context.selectedFrame.get(), false, 0);
    context.selectedFrame = std::move(frame);
    if (context.selectedFrame) highlightFrame(context.selectedFrame.get(), true, kSelectionColor);
}

bool setJointsVisible(ViewerContext& context, int first, int count, bool visible) {
    const std::int64_t begin = std::max<std::int64_t>(first, 0);
    const std::int64_t end = std::min<std::int64_t>(static_cast<std::int64_t>(first) + count, kViewerJointCount);
    for (std::int64_t j = begin; j < end; ++j) {
        const int joint = static_cast<int>(j);
        rm::Frame* frame = context.jointFrames[static_cast<std::size_t>(joint)].get();
        if (!visible) {
            setJoint(context, joint, 0);
            highlightFrame(frame, true, kDisabledColor);
        } else {
            highlightFrame(frame, false, 0);
        }
    }
    return true;
}

}  // namespace rova::viewer
