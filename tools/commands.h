// Subcommands of rova-tool. Each takes the arguments after its name and
// returns the process exit code (2 for a usage error).
#pragma once

#include <string>
#include <vector>

namespace rova::tool {

int cmdInfo(const std::vector<std::string>& args);
int cmdRun(const std::vector<std::string>& args);
int cmdRenderView(const std::vector<std::string>& args);
int cmdPoseFrames(const std::vector<std::string>& args);
// `check FILE [-c COMMAND]... [--strict]`: the performance check as JSON.
int cmdCheck(const std::vector<std::string>& args);

}  // namespace rova::tool
