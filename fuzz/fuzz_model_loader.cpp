// The viewer's text model loader, and the scene code that takes what it loads:
// a model that loads must hold together, load into a scene and pose safely.
#include <cstdint>
#include <memory>
#include <span>

#include "fuzz_check.h"
#include "platform/xfile.h"
#include "report.h"
#include "resource.h"
#include "scene.h"

using namespace rova;

// The harness carries no embedded model; it only loads what it is given.
std::span<const viewer::ResourceEntry> rova::viewer::embeddedResources() { return {}; }

namespace {

void checkMesh(const rm::Mesh& mesh) {
    for (const auto& face : mesh.faces) {
        FUZZ_CHECK(face.vertices.size() >= 3);
        for (auto v : face.vertices) FUZZ_CHECK(v < mesh.vertices.size());
        FUZZ_CHECK(face.normals.empty() || face.normals.size() == face.vertices.size());
        for (auto n : face.normals) FUZZ_CHECK(n < mesh.normals.size());
        FUZZ_CHECK(face.material == rm::Mesh::kNoMaterial ||
                    (face.material >= 0 && static_cast<std::size_t>(face.material) < mesh.materials.size()));
    }
    for (const auto& m : mesh.materials) FUZZ_CHECK(m != nullptr);
}

void checkFrame(const rm::Frame& frame, int depth) {
    FUZZ_CHECK(depth < 100);
    for (const auto& visual : frame.visuals()) {
        if (auto mesh = std::dynamic_pointer_cast<rm::Mesh>(visual)) checkMesh(*mesh);
    }
    for (const auto& child : frame.children()) {
        FUZZ_CHECK(child->parent() == &frame);
        checkFrame(*child, depth + 1);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const bool quiet = (viewer::setMessageBoxSink([](std::string_view, std::string_view) {}), true);
    (void)quiet;
    const std::span<const std::uint8_t> file(data, size);

    int objects = 0;
    const rm::Result r = rm::loadXFile(file, [&](const std::shared_ptr<rm::Object>& object) {
        ++objects;
        if (auto frame = std::dynamic_pointer_cast<rm::Frame>(object)) {
            FUZZ_CHECK(frame->parent() == nullptr);
            checkFrame(*frame, 0);
        } else if (auto mesh = std::dynamic_pointer_cast<rm::Mesh>(object)) {
            checkMesh(*mesh);
        }
    });
    if (rm::failed(r)) {
        FUZZ_CHECK(objects == 0);  // a file that fails hands nothing over
        return 0;
    }

    // Whatever loads can be posed: every joint away from rest and back.
    ViewerContext context;
    context.root = std::make_unique<rm::Root>();
    FUZZ_CHECK(viewer::createScene(context));
    FUZZ_CHECK(rm::succeeded(viewer::loadModel(context, file)));
    for (int j = 0; j < viewer::kViewerJointCount; ++j) {
        const int rest = viewer::ViewerJointTable[static_cast<std::size_t>(j)].rest;
        FUZZ_CHECK(context.jointValues[static_cast<std::size_t>(j)] == (context.jointFrames[static_cast<std::size_t>(j)] ? rest : 0));
        viewer::setJoint(context, j, rest + 40);
        viewer::setJoint(context, j, rest);
    }
    viewer::setJointsVisible(context, 0, viewer::kViewerJointCount, false);
    viewer::selectFrame(context, context.jointFrames[0]);
    return 0;
}
