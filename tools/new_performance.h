// `rova-tool new SOUND OUT.MTN [--no-normalise]`: makes a new performance from
// any sound file, never replacing existing files, and reports it like `info`.
#pragma once

#include <functional>
#include <iostream>
#include <ostream>
#include <string>
#include <vector>

#include "commands.h"

namespace rova::tool {

// Parses the arguments and creates the performance. On success calls
// info(OUT) and returns what it returns; on failure prints to out the report
// of a failed open holding the message and returns 1; a usage error goes to
// err and returns 2.
int runNew(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
           const std::function<int(const std::string&)>& info);

// The subcommand: runNew on the standard streams, with `info` giving the report.
inline int cmdNew(const std::vector<std::string>& args) {
    return runNew(args, std::cout, std::cerr, [](const std::string& file) { return cmdInfo({file}); });
}

}  // namespace rova::tool
