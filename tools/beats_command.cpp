#include "beats_command.h"

#include <algorithm>
#include <cmath>
#include <iostream>

#include "beats/beat_tracker.h"
#include "beats/beats.h"
#include "document/main_doc.h"
#include "platform/files.h"

namespace rova::tool {
namespace {

const char* sourceName(beats::BeatSource s) {
    switch (s) {
    case beats::BeatSource::Midi: return "\"midi\"";
    case beats::BeatSource::Audio: return "\"audio\"";
    case beats::BeatSource::Manual: return "\"manual\"";
    case beats::BeatSource::None: break;
    }
    return "null";
}

void printList(std::ostream& out, const std::vector<int>& list) {
    out << '[';
    for (std::size_t i = 0; i < list.size(); ++i) out << (i ? ", " : "") << list[i];
    out << ']';
}

// The grid's beats a bar; for MIDI, the beats of its first whole bar.
int beatsPerBar(const beats::BeatGrid& grid) {
    if (grid.beatsPerBar > 0 || !grid.downbeatsKnown || grid.downbeatsMs.size() < 2) return grid.beatsPerBar;
    const auto from = std::lower_bound(grid.beatsMs.begin(), grid.beatsMs.end(), grid.downbeatsMs[0]);
    const auto to = std::lower_bound(grid.beatsMs.begin(), grid.beatsMs.end(), grid.downbeatsMs[1]);
    return static_cast<int>(to - from);
}

}  // namespace

int runBeats(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    if (args.size() != 1) {
        err << "usage: rova-tool beats FILE\n";
        return 2;
    }
    RecordingMessages ui;
    CMainDoc doc(ui);
    const bool opened = doc.onOpenDocument(args[0]);
    for (const std::string& m : ui.messages) err << m << "\n";
    if (!opened) return 1;

    beats::BeatGrid grid;
    if (doc.trackFlags() & (TRACK_WAVE | TRACK_MIDI)) {
        const std::filesystem::path bpmPath = PerformancePath::split(doc.pathName()).sibling("BPM");
        beats::BpmFileState state;
        grid = beats::performanceBeats(bpmPath, doc.audioBytes(), &state);
        if (state == beats::BpmFileState::Malformed)
            err << bpmPath.filename().string() << " is not a valid beat setting; the detected beats are shown.\n";
    }
    const long tenths = std::lround(grid.bpm * 10);
    out << "{\"source\": " << sourceName(grid.source) << ", \"bpm\": ";
    if (grid.source == beats::BeatSource::None) out << "null";
    else out << tenths / 10 << '.' << tenths % 10;
    out << ", \"beatsPerBar\": ";
    if (const int perBar = beatsPerBar(grid); perBar > 0) out << perBar;
    else out << "null";
    out << ", \"confidence\": " << std::round(grid.confidence * 100) / 100;
    // The stretches of steady tempo, when there are more than one ("bpm" is then their median).
    if (const auto stretches = beats::tracker::tempoStretches(grid.beatsMs); stretches.size() > 1) {
        out << ", \"tempoChanges\": [";
        for (std::size_t i = 0; i < stretches.size(); ++i) {
            const long t = std::lround(stretches[i].bpm * 10);
            out << (i ? ", " : "") << '[' << stretches[i].startMs << ", " << t / 10 << '.' << t % 10 << ']';
        }
        out << ']';
    }
    out << ", \"beats\": ";
    printList(out, grid.beatsMs);
    out << ", \"downbeats\": ";
    if (grid.downbeatsKnown) printList(out, grid.downbeatsMs);
    else out << "null";
    out << "}\n";
    return 0;
}

int cmdBeats(const std::vector<std::string>& args) { return runBeats(args, std::cout, std::cerr); }

}  // namespace rova::tool
