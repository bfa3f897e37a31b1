// `rova-tool dance-score FILE`: how well the performance's motion dances on
// its beats (the Beat Align Score, its chance level, the kinematic beats).
#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace rova::tool {

// Opens FILE's performance, scores its motion against its beats (NAME.BPM's
// setting when there is a valid one, else those of the sound) and prints
// {"beatAlign", "chance", "kinematicBeats", "withinMs80"} to out. Messages of
// the open go to err. Returns 1 when FILE does not open, 2 for a usage error,
// else 0.
int runDanceScore(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

int cmdDanceScore(const std::vector<std::string>& args);

}  // namespace rova::tool
