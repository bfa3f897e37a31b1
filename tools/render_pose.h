// `rova-tool render-pose`: the posed model drawn by the viewer library.
#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace rova::tool {

// Attaches a viewer to an offscreen window of --size pixels (300x300 unless
// given), applies each "--joint J=DEG", selects each "--select J" (several:
// all highlighted together), hides each "--hide FIRST,COUNT", paints and
// writes the picture to the PNG file of "-o". Talks to the viewer only through
// its exported functions. Returns the exit code (2: usage error, 1: the viewer
// did not attach or the image could not be written).
int renderPose(const std::vector<std::string>& args, std::ostream& err);
int cmdRenderPose(const std::vector<std::string>& args);

}  // namespace rova::tool
