// Tools > Dance to the Music: a first dance for the selected range (the whole
// motion when nothing is selected) from the song's beats and loudness, with
// the dialog's choices remembered between runs.
#include <QSettings>
#include <algorithm>
#include <cstdio>
#include <string>

#include "commands/editor_commands.h"
#include "dance/music_dance.h"
#include "shell/dialogs.h"
#include "shell/document.h"
#include "shell/editor_app.h"
#include "view/main_view.h"
#include "view/view_dialogs.h"

namespace rova {
namespace {

using dance::Energy;
using dance::MusicDanceSettings;

constexpr const char* kEnergyKey = "Settings/DanceEnergy";
constexpr const char* kSeedKey = "Settings/DanceSeed";
constexpr const char* kEyesKey = "Settings/DanceEyes";
constexpr const char* kMouthKey = "Settings/DanceMouth";
constexpr const char* kPostureKey = "Settings/DanceKeepPosture";
constexpr const char* kBodyKey = "Settings/DanceBody";
constexpr const char* kUsage =
    "usage: dance-to-music [low|medium|high] SEED [eyes] [mouth] [posture] [head-tail|legs]";

constexpr const char* kMsgNeedFullBody = "A full-body motion track is needed to add Dance steps";
constexpr const char* kMsgRangeTooShort = "Select a longer range to dance to";
constexpr const char* kMsgRangeTooLong = "Select at most two hours to dance to";
constexpr const char* kMsgNoBeats = "The sound has no beats to dance to";
constexpr const char* kMsgBeatsNotReady = "The beats are still being found: try again in a moment";
constexpr const char* kMsgTooLarge = "The motion is too large to save: reduce it outside the danced range";

// The range is longer than a dance the motion file can hold there.
std::string rangeTooLongForFile(int longestSteps) {
    const std::int64_t seconds = static_cast<std::int64_t>(longestSteps) * kMsPerStep / kMsPerSecond;
    char text[120];
    std::snprintf(text, sizeof text, "Select at most %lld:%02lld to dance to: a longer dance does not fit the motion file",
                  static_cast<long long>(seconds / 60), static_cast<long long>(seconds % 60));
    return text;
}

// The performance's beats: the setting kept beside it, else those found in its sound.
beats::BeatGrid beatsForDance(CMainView& view) { return view.beatGrid(); }

MusicDanceSettings rememberedSettings() {
    QSettings settings(kSettingsOrganization, kSettingsApplication);
    MusicDanceSettings s;
    const int energy = settings.value(kEnergyKey, 1).toInt();
    s.energy = energy == 0 ? Energy::Low : energy == 2 ? Energy::High : Energy::Medium;
    s.seed = settings.value(kSeedKey, 1).toUInt();
    s.eyes = settings.value(kEyesKey, true).toBool();
    s.mouth = settings.value(kMouthKey, false).toBool();
    s.keepPosture = settings.value(kPostureKey, false).toBool();
    const int body = settings.value(kBodyKey, 0).toInt();
    s.body = body == 1 ? dance::BodyPart::HeadTail : body == 2 ? dance::BodyPart::Legs : dance::BodyPart::Whole;
    return s;
}

void remember(const MusicDanceSettings& s) {
    QSettings settings(kSettingsOrganization, kSettingsApplication);
    settings.setValue(kEnergyKey, static_cast<int>(s.energy));
    settings.setValue(kSeedKey, s.seed);
    settings.setValue(kEyesKey, s.eyes);
    settings.setValue(kMouthKey, s.mouth);
    settings.setValue(kPostureKey, s.keepPosture);
    settings.setValue(kBodyKey, static_cast<int>(s.body));
}

class CDanceToMusicCommand : public CViewCommand {
public:
    CDanceToMusicCommand()
        : CViewCommand({.id = ID_TOOLS_DANCE_TO_MUSIC,
                        .text = "&Dance to the Music...",
                        .prompt = "Fill the selection (or the whole motion) with dance steps on the music's "
                                  "beats\nDance to the Music",
                        .verbs = {"dance-to-music"}}) {}

    void onExecute(CMainView& view) override {
        CMainDoc& doc = view.doc();
        CMotionTrack& motion = doc.motion();
        if (motion.kind() != MOTION_FULL_BODY) {
            doc.ui().showMessage(kMsgNeedFullBody);
            return;
        }
        const int lastStep = motion.totalTicks() / kTicksPerStep;
        const bool selected = view.hasSelection();
        const int start = selected ? view.selStart() : 0;
        const std::int64_t end =
            selected ? std::min<std::int64_t>(static_cast<std::int64_t>(start) + view.selLength(), lastStep) : lastStep;
        if (end - start < 2) {
            doc.ui().showMessage(kMsgRangeTooShort);
            return;
        }
        if (end - start > dance::kMaxDanceSteps) {
            doc.ui().showMessage(kMsgRangeTooLong);
            return;
        }
        if (const auto longest = dance::danceRangeLimit(motion, start, static_cast<int>(end))) {
            doc.ui().showMessage(rangeTooLongForFile(*longest));
            return;
        }
        const beats::BeatGrid grid = beatsForDance(view);
        if (grid.empty()) {
            doc.ui().showMessage(view.beatTrack().detecting() ? kMsgBeatsNotReady : kMsgNoBeats);
            return;
        }
        const auto chosen = viewDialogs().askDanceToMusic(&view, rememberedSettings());
        if (!chosen) return;
        remember(*chosen);

        dance::MusicDanceInput input;
        input.beats = &grid;
        input.wave = (doc.trackFlags() & TRACK_WAVE) ? &doc.wave() : nullptr;
        input.mouthThreshold = CEditorApp::instance()->dialogMemory().mouthThreshold;
        input.startStep = start;
        input.endStep = static_cast<int>(end);
        input.settings = *chosen;
        view.beginEdit("Dance to the Music");
        const dance::MusicDanceResult result = dance::danceToMusic(motion, doc.leds(), input);
        view.endEdit();
        view.invalidateAll();
        if (!result.fit.fits) doc.ui().showMessage(kMsgTooLarge);
    }

    // dance-to-music [low|medium|high] SEED [eyes] [mouth] [posture] [head-tail|legs]
    bool takeArguments(const std::string&, const std::vector<std::string>& args, ScriptedAnswers& answers,
                       std::string& error) override {
        MusicDanceSettings s;
        std::size_t i = 0;
        if (i < args.size() && (args[i] == "low" || args[i] == "medium" || args[i] == "high")) {
            s.energy = args[i] == "low" ? Energy::Low : args[i] == "high" ? Energy::High : Energy::Medium;
            ++i;
        }
        int seed = 0;
        bool ok = i < args.size() && parseInt(args[i], seed) && seed >= 0;
        if (ok) {
            s.seed = static_cast<std::uint32_t>(seed);
            for (++i; i < args.size() && ok; ++i) {
                if (args[i] == "eyes" && !s.eyes) s.eyes = true;
                else if (args[i] == "mouth" && !s.mouth) s.mouth = true;
                else if (args[i] == "posture" && !s.keepPosture) s.keepPosture = true;
                else if (args[i] == "head-tail" && s.body == dance::BodyPart::Whole) s.body = dance::BodyPart::HeadTail;
                else if (args[i] == "legs" && s.body == dance::BodyPart::Whole) s.body = dance::BodyPart::Legs;
                else ok = false;
            }
        }
        if (!ok) {
            error = kUsage;
            return false;
        }
        answers.danceToMusic = s;
        return true;
    }
};

}  // namespace

void addDanceToMusicCommand(CommandRegistry& registry) { registry.add(std::make_unique<CDanceToMusicCommand>()); }

}  // namespace rova
