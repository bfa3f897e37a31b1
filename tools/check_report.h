// The JSON report of `rova-tool check`: the problems of the performance check
// and the motion budget.
#pragma once

#include <optional>
#include <ostream>
#include <vector>

#include "check/check.h"

namespace rova::tool {

// {"problems": [{"kind", "channel", "keyframe", "step", "eye", "detail"}...],
//  "budget": {"keyframes", "limit"} or null}, one line.
void writeCheckReport(std::ostream& out, const std::vector<check::Problem>& problems,
                      const std::optional<check::Budget>& budget);

// Whether `--strict` fails on these: any range, fast, alarm or size problem.
bool failsStrictCheck(const std::vector<check::Problem>& problems);

}  // namespace rova::tool
