// `rova-tool check`: opens a performance in the editor, runs commands on it,
// and prints the performance check as JSON (for CI of users' performances).
#include <QApplication>
#include <iostream>
#include <sstream>

#include "shell/check_document.h"
#include "commands.h"
#include "editor_session.h"
#include "check_report.h"
#include "shell/document.h"

namespace rova::tool {
namespace {

constexpr int kExitStrictProblems = 3;

int usage(const std::string& why) {
    std::cerr << "rova-tool: " << why << "\n"
              << "usage: rova-tool check FILE [-c COMMAND]... [--strict]\n";
    return 2;
}

}  // namespace

int cmdCheck(const std::vector<std::string>& args) {
    std::string file;
    std::vector<std::vector<std::string>> commands;
    bool strict = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--strict") {
            strict = true;
        } else if (arg == "-c") {
            if (i + 1 >= args.size()) return usage("option -c needs a value");
            std::istringstream in(args[++i]);
            std::vector<std::string> words;
            for (std::string w; in >> w;) words.push_back(w);
            commands.push_back(std::move(words));
        } else if (file.empty() && !arg.empty() && arg[0] != '-') {
            file = arg;
        } else {
            return usage("bad argument " + arg);
        }
    }
    if (file.empty()) return usage("missing FILE");

    const auto app = makeHeadlessApp();
    EditorSession session;
    if (!session.open(file)) {
        std::cerr << "rova-tool: cannot open " << file << "\n";
        for (const std::string& message : session.ui.messages) std::cerr << "  " << message << "\n";
        return 1;
    }
    for (const auto& words : commands) {
        std::string error;
        if (!session.command(words, error)) return usage(error);
    }
    const CDocument* document = session.activeDocument();
    if (!document) {
        std::cerr << "rova-tool: no performance is open at the end of the commands\n";
        return 1;
    }
    const auto problems = check::checkPerformance(document->doc());
    writeCheckReport(std::cout, problems, check::motionBudget(document->doc()));
    return strict && failsStrictCheck(problems) ? kExitStrictProblems : 0;
}

}  // namespace rova::tool
