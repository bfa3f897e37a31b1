// Beats: View ▸ Show Beats and Snap to Beats (remembered), Tools ▸ Beats...
#include <cmath>
#include <cstdlib>

#include "commands/editor_commands.h"
#include "shell/document.h"
#include "shell/editor_app.h"
#include "view/main_view.h"
#include "view/view_dialogs.h"

namespace rova {
namespace {

void repaintAllViews(CEditorApp& app) {
    for (CDocument* d : app.documents())
        for (CView* v : d->views()) v->viewport()->update();
}

class CBeatsToggleCommand : public CCommand {
public:
    CBeatsToggleCommand(CommandInfo info, bool (*get)(), void (*set)(bool))
        : CCommand(std::move(info)), m_get(get), m_set(set) {}
    bool isHandled(const CommandContext& c) const override { return performanceView(c) != nullptr; }
    void onUpdate(CommandContext&, CCmdUI& ui) override { ui.setCheck(m_get()); }
    void onExecute(CommandContext& c) override {
        m_set(!m_get());
        repaintAllViews(c.app);
    }

private:
    bool (*m_get)();
    void (*m_set)(bool);
};

class CBeatsCommand : public CViewCommand {
public:
    CBeatsCommand()
        : CViewCommand({.id = ID_TOOLS_BEATS,
                        .text = "&Beats...",
                        .prompt = "Show the tempo and first beat, or set them by hand\nBeats",
                        .verbs = {"beats"}}) {}
    void onUpdate(CMainView& view, CCmdUI& ui) override {
        ui.enable((view.doc().trackFlags() & (TRACK_WAVE | TRACK_MIDI)) != 0 && !view.doc().pathName().empty());
    }
    void onExecute(CMainView& view) override {
        CBeatTrack& track = view.beatTrack();
        // The dialog shows the detected beats as soon as they are found.
        const std::optional<BeatsChoice> choice = viewDialogs().askBeats(
            &view, [&track]() -> const beats::BeatGrid* { return track.detecting() ? nullptr : &track.detected(); },
            track.manual());
        if (!choice) return;
        if (!track.setManual(choice->manual))
            view.doc().ui().showMessage("The beat setting could not be written beside the performance.");
        view.invalidateAll();
        if (view.host().stateChanged) view.host().stateChanged();
    }
    // beats BPM OFFSET: set by hand; beats detect: back to the detected beats; beats cancel.
    bool takeArguments(const std::string&, const std::vector<std::string>& args, ScriptedAnswers& answers,
                       std::string& error) override {
        if (args.size() == 1 && (args[0] == "detect" || args[0] == "cancel")) {
            if (args[0] == "detect") answers.beats = BeatsChoice{};
            return true;
        }
        int offset = 0;
        char* end = nullptr;
        const double bpm = args.size() == 2 ? std::strtod(args[0].c_str(), &end) : 0;
        if (args.size() != 2 || *end != '\0' || !(bpm >= beats::kMinBpm && bpm <= beats::kMaxBpm) ||
            !parseInt(args[1], offset) || offset < 0 || offset > beats::kMaxOffsetMs) {
            error = "usage: beats BPM OFFSET | beats detect | beats cancel";
            return false;
        }
        answers.beats = BeatsChoice{beats::BpmSetting{std::round(bpm * 10) / 10, offset}};
        return true;
    }
};

}  // namespace

void addBeatCommands(CommandRegistry& registry) {
    registry.add(std::make_unique<CBeatsToggleCommand>(
        CommandInfo{.id = ID_VIEW_SHOW_BEATS,
                    .target = CommandTarget::View,
                    .text = "Show &Beats",
                    .prompt = "Show a line at every beat of the music\nShow Beats",
                    .verbs = {"show-beats"}},
        &CBeatTrack::showBeats, &CBeatTrack::setShowBeats));
    registry.add(std::make_unique<CBeatsToggleCommand>(
        CommandInfo{.id = ID_VIEW_SNAP_TO_BEATS,
                    .target = CommandTarget::View,
                    .text = "&Snap to Beats",
                    .prompt = "Make selections start and end at beats, and the arrow keys go from beat to beat\n"
                              "Snap to Beats",
                    .verbs = {"snap-to-beats"}},
        &CBeatTrack::snapToBeats, &CBeatTrack::setSnapToBeats));
    registry.add(std::make_unique<CBeatsCommand>());
}

}  // namespace rova
