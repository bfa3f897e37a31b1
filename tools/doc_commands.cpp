// `rova-tool info`, `run` and `render-view`: open a performance in the editor
// (its application object, documents and views, offscreen), run commands on
// it, and print the JSON report or render the view.
#include <QApplication>
#include <iostream>
#include <sstream>

#include "commands.h"
#include "editor_session.h"

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
              << "       rova-tool run FILE [-a yes|no]... [-c COMMAND]...\n"
              << "       rova-tool render-view FILE -o OUT.png [--size WxH] [--ruler] [-c COMMAND]...\n";
    return 2;
}

struct Options {
    std::string file;
    std::vector<bool> answers;
    std::vector<std::vector<std::string>> commands;
    std::string output;
    int width = 800, height = 600;
    bool ruler = false;  // the time ruler over the rows
};

// Parses FILE and the options; `render` allows -o and --size.
bool parse(const std::vector<std::string>& args, bool render, Options& o, std::string& error) {
    if (args.empty()) {
        error = "missing FILE";
        return false;
    }
    o.file = args[0];
    for (std::size_t i = 1; i < args.size(); ++i) {
        const std::string& opt = args[i];
        if (opt == "--ruler" && render) {
            o.ruler = true;
            continue;
        }
        if (i + 1 >= args.size()) {
            error = "option " + opt + " needs a value";
            return false;
        }
        const std::string& val = args[++i];
        if (opt == "-a" && !render && (val == "yes" || val == "no")) {
            o.answers.push_back(val == "yes");
        } else if (opt == "-c") {
            o.commands.push_back(splitWords(val));
        } else if (opt == "-o" && render) {
            o.output = val;
        } else if (opt == "--size" && render) {
            char x = 0;
            std::istringstream in(val);
            if (!(in >> o.width >> x >> o.height) || x != 'x' || !in.eof() || o.width < 1 || o.height < 1 ||
                o.width > 16384 || o.height > 16384) {
                error = "--size takes WxH";
                return false;
            }
        } else {
            error = "bad option " + opt + " " + val;
            return false;
        }
    }
    if (render && o.output.empty()) {
        error = "render-view needs -o OUT.png";
        return false;
    }
    return true;
}

// Runs the editor offscreen on the options; the report or the image is the result.
int runEditor(const Options& o, bool render) {
    const auto app = makeHeadlessApp();
    EditorSession session;
    for (bool a : o.answers) session.ui.answers.push_back(a);
    const bool opened = session.open(o.file);
    // A picture with the ruler is the window as it would look at that size.
    if (opened && render && o.ruler) session.fitViewTo(o.width, o.height);
    if (opened) {
        for (const auto& words : o.commands) {
            std::string error;
            if (!session.command(words, error)) return usage(error);
        }
    }
    if (render) {
        if (!opened) {
            std::cerr << "rova-tool: cannot open " << o.file << "\n";
            return 1;
        }
        if (!session.renderView(QString::fromStdString(o.output), o.width, o.height, o.ruler)) {
            std::cerr << "rova-tool: cannot write " << o.output << "\n";
            return 1;
        }
        return 0;
    }
    session.report(std::cout, opened);
    return opened ? 0 : 1;
}

}  // namespace

int cmdInfo(const std::vector<std::string>& args) {
    if (args.size() != 1) return usage("info takes one FILE");
    return cmdRun(args);
}

int cmdRun(const std::vector<std::string>& args) {
    Options o;
    std::string error;
    if (!parse(args, false, o, error)) return usage(error);
    return runEditor(o, false);
}

int cmdRenderView(const std::vector<std::string>& args) {
    Options o;
    std::string error;
    if (!parse(args, true, o, error)) return usage(error);
    return runEditor(o, true);
}

}  // namespace rova::tool
