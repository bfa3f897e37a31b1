// `rova-tool export-video`: a performance written as a video file.
#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace rova::tool {

// `export-video FILE OUT.mp4|OUT.webm [--size WxH] [--fps N] [--selection START LENGTH] [--timeline]`:
// prints {"frames", "durationMs", "video", "audio"} on out. Exit 0, 1 when the
// performance does not open or the video cannot be written, 2 for a usage error.
int exportVideoCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
int cmdExportVideo(const std::vector<std::string>& args);

}  // namespace rova::tool
