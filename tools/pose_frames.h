// `rova-tool pose-frames`: the posed model's frames as JSON.
#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace rova::tool {

// Loads the model carried by the viewer library, applies each "--joint J=DEG"
// (J a viewer joint index 0..23 or joint name, DEG whole degrees) in order and
// writes every named frame below the model frame, depth first:
//   {"NAME": {"origin": [x, y, z], "axes": [[x axis], [y axis], [z axis]]}, ...}
// in the model frame's coordinates. Returns the exit code (2: usage error,
// 1: the model did not load).
int poseFrames(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace rova::tool
