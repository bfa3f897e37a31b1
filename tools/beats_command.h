// `rova-tool beats FILE`: the performance's beats as JSON.
#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace rova::tool {

// Opens FILE's performance and prints its beats to out: NAME.BPM's setting
// when there is a valid one, else those of the sound. Messages of the open go
// to err. Returns 1 when FILE does not open, 2 for a usage error, else 0.
int runBeats(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

int cmdBeats(const std::vector<std::string>& args);

}  // namespace rova::tool
