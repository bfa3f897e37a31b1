// rova-tool: the headless front end of the editor (see docs/rova-tool.md).
#include <iostream>
#include <map>
#include <string>
#include <vector>

#include "beats_command.h"
#include "platform/file_set.h"
#include "commands.h"
#include "export_video_command.h"
#include "dance_score_command.h"
#include "new_performance.h"
#include "render_pose.h"

int main(int argc, char** argv) {
    rova::letOversizedWritesFail();
    using Command = int (*)(const std::vector<std::string>&);
    const std::map<std::string, Command> commands = {
        {"info", rova::tool::cmdInfo},
        {"beats", rova::tool::cmdBeats},
        {"new", rova::tool::cmdNew},
        {"run", rova::tool::cmdRun},
        {"render-view", rova::tool::cmdRenderView},
        {"render-pose", rova::tool::cmdRenderPose},
        {"export-video", rova::tool::cmdExportVideo},
        {"pose-frames", rova::tool::cmdPoseFrames},
        {"check", rova::tool::cmdCheck},
        {"dance-score", rova::tool::cmdDanceScore},
    };
    const auto it = argc >= 2 ? commands.find(argv[1]) : commands.end();
    if (it == commands.end()) {
        std::cerr << "usage: rova-tool COMMAND ARGS... (commands:";
        for (const auto& c : commands) std::cerr << ' ' << c.first;
        std::cerr << "; see docs/rova-tool.md)\n";
        return 2;
    }
    return it->second(std::vector<std::string>(argv + 2, argv + argc));
}
