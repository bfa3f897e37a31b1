// Beats: View ▸ Show Beats and Snap to Beats (remembered), Tools ▸ Beats...
// (the detected beats, or a grid set by hand: tempo and first beat, Half,
// Double, Tap along with the music, beats per bar, Set Downbeat Here).
#include <cmath>
#include <cstdlib>
#include <filesystem>

#include "commands/editor_commands.h"
#include "commands/play_command.h"
#include "platform/files.h"
#include "shell/document.h"
#include "shell/editor_app.h"
#include "view/main_view.h"
#include "view/view_dialogs.h"

namespace rova {
namespace {

constexpr const char* kBeatsUsage =
    "usage: beats BPM OFFSET | beats detect | beats cancel | beats half | beats double | beats tap MS MS... | "
    "beats per-bar N | beats downbeat MS";

// The performance's sound on the device Play uses, for the Beats dialog's
// Play and Tap. It closes the device when the dialog is done with it.
class DialogMusic {
public:
    explicit DialogMusic(const CMainDoc& doc) {
        const unsigned flags = doc.trackFlags();
        if (!(flags & (TRACK_WAVE | TRACK_MIDI)) || doc.pathName().empty()) return;
        std::error_code ec;
        const std::filesystem::path full = std::filesystem::absolute(doc.pathName(), ec);
        const auto siblings = PerformancePath::split(ec ? std::filesystem::path(doc.pathName()) : full);
        m_device = "\"" + siblings.sibling(flags & TRACK_WAVE ? "WAV" : "MID").string() + "\"";
    }
    ~DialogMusic() { stop(); }
    DialogMusic(const DialogMusic&) = delete;
    DialogMusic& operator=(const DialogMusic&) = delete;

    BeatsMusic music() {
        if (m_device.empty()) return {};
        return {[this](int fromMs) { return play(fromMs); }, [this] { return positionMs(); }, [this] { stop(); }};
    }

private:
    int send(const std::string& command) { return m_audio->sendString(command, m_reply, sizeof m_reply); }
    bool play(int fromMs) {
        if (!m_open) {
            // The device is taken only when the user asks for the music.
            m_audio = &playbackAudio();
            if (send("open " + m_device) != 0) return false;
            m_open = true;
            send("set " + m_device + " time format milliseconds");
        }
        return send("play " + m_device + " from " + std::to_string(fromMs)) == 0;
    }
    std::optional<int> positionMs() {
        if (!m_open || send("status " + m_device + " mode") != 0 || std::string_view(m_reply) != "playing")
            return std::nullopt;
        int ms = 0;
        if (send("status " + m_device + " position") != 0 || !parseInt(m_reply, ms)) return std::nullopt;
        return ms;
    }
    void stop() {
        if (m_open) send("close " + m_device);
        m_open = false;
    }

    AudioCommands* m_audio = nullptr;
    std::string m_device;
    bool m_open = false;
    char m_reply[kAudioReplySize] = {};
};

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
        BeatsDialogInput input;
        // The dialog shows the detected beats as soon as they are found.
        input.detected = [&track]() -> const beats::BeatGrid* {
            return track.detecting() ? nullptr : &track.detected();
        };
        input.manual = track.manual();
        // Set Downbeat Here: at the cursor, else at the selection's start.
        const int here = view.playhead().cursor() >= 0 ? view.playhead().cursor()
                         : view.hasSelection()          ? view.selStart()
                                                        : -1;
        if (here >= 0) input.cursorMs = here * kMsPerStep;
        DialogMusic music(view.doc());
        input.music = music.music();
        const std::optional<BeatsChoice> choice = viewDialogs().askBeats(&view, input);
        if (!choice) return;
        if (!track.setManual(choice->manual))
            view.doc().ui().showMessage("The beat setting could not be written beside the performance.");
        view.invalidateAll();
        if (view.host().stateChanged) view.host().stateChanged();
    }
    // beats BPM OFFSET: set by hand; beats detect: back to the detected beats;
    // beats cancel; and the dialog's corrections, each followed by OK.
    bool takeArguments(const std::string&, const std::vector<std::string>& args, ScriptedAnswers& answers,
                       std::string& error) override {
        const std::string what = args.empty() ? std::string() : args[0];
        if (args.size() == 1 && (what == "detect" || what == "cancel")) {
            if (what == "detect") answers.beats = BeatsChoice{};
            return true;
        }
        if (args.size() == 1 && (what == "half" || what == "double")) {
            answers.beatsPresses = {{.kind = what == "half" ? BeatsPress::Kind::Half : BeatsPress::Kind::Double}};
            return true;
        }
        int value = 0;
        if (what == "tap" && args.size() >= 3) {
            BeatsPress press{.kind = BeatsPress::Kind::Tap};
            for (std::size_t i = 1; i < args.size(); ++i) {
                if (!parseInt(args[i], value) || value < 0 || (!press.tapsMs.empty() && value <= press.tapsMs.back())) {
                    error = "beats tap: the taps are times in ms, ascending";
                    return false;
                }
                press.tapsMs.push_back(value);
            }
            answers.beatsPresses = {press};
            return true;
        }
        if (args.size() == 2 && what == "per-bar" && parseInt(args[1], value) && value >= 0 &&
            value <= beats::kMaxBeatsPerBar) {
            answers.beatsPresses = {{.kind = BeatsPress::Kind::PerBar, .value = value}};
            return true;
        }
        if (args.size() == 2 && what == "downbeat" && parseInt(args[1], value) && value >= 0 &&
            value <= beats::kMaxOffsetMs) {
            answers.beatsPresses = {{.kind = BeatsPress::Kind::Downbeat, .value = value}};
            return true;
        }
        int offset = 0;
        char* end = nullptr;
        const double bpm = args.size() == 2 ? std::strtod(args[0].c_str(), &end) : 0;
        if (args.size() != 2 || *end != '\0' || !(bpm >= beats::kMinBpm && bpm <= beats::kMaxBpm) ||
            !parseInt(args[1], offset) || offset < 0 || offset > beats::kMaxOffsetMs) {
            error = kBeatsUsage;
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
