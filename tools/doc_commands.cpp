// `rova-tool info` and `rova-tool run`: open a performance through the editor's
// document code, run commands on it, and print the JSON report.
#include <iostream>
#include <sstream>

#include "commands.h"
#include "doc_session.h"

namespace rova::tool {
namespace {

std::vector<std::string> splitWords(const std::string& text) {
    std::istringstream in(text);
    std::vector<std::string> words;
    for (std::string w; in >> w;) words.push_back(w);
    return words;
}

int usage(const std::string& why) {
    std::cerr << "rova-tool: " << why << "\n"
              << "usage: rova-tool info FILE\n"
              << "       rova-tool run FILE [-a yes|no]... [-c COMMAND]...\n";
    return 2;
}

}  // namespace

int cmdInfo(const std::vector<std::string>& args) {
    if (args.size() != 1) return usage("info takes one FILE");
    return cmdRun(args);
}

int cmdRun(const std::vector<std::string>& args) {
    if (args.empty()) return usage("run needs a FILE");
    DocSession session;
    std::vector<std::vector<std::string>> commands;
    for (std::size_t i = 1; i < args.size(); ++i) {
        if (i + 1 >= args.size()) return usage("option " + args[i] + " needs a value");
        const std::string& opt = args[i];
        const std::string& val = args[++i];
        if (opt == "-a") {
            if (val != "yes" && val != "no") return usage("-a takes yes or no");
            session.ui.answers.push_back(val == "yes");
        } else if (opt == "-c") {
            commands.push_back(splitWords(val));
        } else {
            return usage("unknown option " + opt);
        }
    }
    if (!session.open(args[0])) {
        session.report(std::cout, false);
        return 1;
    }
    for (const auto& words : commands) {
        std::string error;
        if (!session.command(words, error)) return usage(error);
    }
    session.report(std::cout, true);
    return 0;
}

}  // namespace rova::tool
