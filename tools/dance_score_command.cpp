#include "dance_score_command.h"

#include <cmath>
#include <iostream>

#include "beats/beats.h"
#include "dance/beat_align.h"
#include "document/main_doc.h"
#include "platform/files.h"

namespace rova::tool {
namespace {

// The beats the performance window draws: NAME.BPM's setting, else the sound's.
beats::BeatGrid performanceBeats(const CMainDoc& doc) {
    if (!(doc.trackFlags() & (TRACK_WAVE | TRACK_MIDI))) return {};
    return beats::performanceBeats(PerformancePath::split(doc.pathName()).sibling("BPM"), doc.audioBytes());
}

// Three decimals, as the scores are compared in tables.
void printShare(std::ostream& out, double v) {
    const long thousandths = std::lround(v * 1000);
    out << thousandths / 1000 << '.' << (thousandths % 1000) / 100 << (thousandths % 100) / 10 << thousandths % 10;
}

}  // namespace

int runDanceScore(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    if (args.size() != 1) {
        err << "usage: rova-tool dance-score FILE\n";
        return 2;
    }
    RecordingMessages ui;
    CMainDoc doc(ui);
    const bool opened = doc.onOpenDocument(args[0]);
    for (const std::string& m : ui.messages) err << m << "\n";
    if (!opened) return 1;
    const beats::BeatGrid grid = performanceBeats(doc);
    const dance::BeatAlign score = dance::beatAlignOf(doc.motion(), grid.beatsMs);
    out << "{\"beatAlign\": ";
    printShare(out, score.beatAlign);
    out << ", \"chance\": ";
    printShare(out, score.chance);
    out << ", \"kinematicBeats\": " << score.kinematicBeats << ", \"withinMs80\": ";
    printShare(out, score.withinMs80);
    out << "}\n";
    return 0;
}

int cmdDanceScore(const std::vector<std::string>& args) { return runDanceScore(args, std::cout, std::cerr); }

}  // namespace rova::tool
