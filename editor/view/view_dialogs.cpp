#include "view/view_dialogs.h"

#include <utility>

#include "shell/dialogs.h"
#include "shell/editor_app.h"
#include "platform/qt_messages.h"
#include "view/beats_dialog.h"
#include "view/dance_music_dialog.h"
#include "view/main_view.h"

namespace rova {
namespace {

ViewDialogs* g_dialogs = nullptr;

}  // namespace

std::optional<int> QtViewDialogs::askZoomFactor(QWidget* parent, int current) {
    QtMessages fallback;
    return rova::askZoomFactor(parent, CEditorApp::instance() ? CEditorApp::instance()->ui() : fallback, current);
}

std::optional<QString> QtViewDialogs::askMacro(QWidget* parent, const QStringList& names) {
    return askMacroName(parent, names);
}

std::optional<EyeThresholds> QtViewDialogs::askGenerateEyes(QWidget* parent, CDialogMemory& memory) {
    return askEyeThresholds(parent, memory);
}

std::optional<int> QtViewDialogs::askGenerateMouth(QWidget* parent, CDialogMemory& memory) {
    return askMouthThreshold(parent, memory);
}

std::optional<PasteParts> QtViewDialogs::askPasteSpecial(QWidget*, CDialogMemory& memory) {
    return askPasteParts(memory);
}

std::optional<dance::MusicDanceSettings> QtViewDialogs::askDanceToMusic(QWidget* parent,
                                                                       const dance::MusicDanceSettings& shown) {
    return askDanceToMusicSettings(parent, shown);
}

std::optional<InsertTimeChoice> QtViewDialogs::askInsertTime(QWidget* parent, const InsertTimeOffer& offer) {
    return askInsertTimeChoice(parent, offer);
}

std::optional<EyeThresholds> ScriptedViewDialogs::askGenerateEyes(QWidget*, CDialogMemory& memory) {
    eyesShown.emplace_back(memory.greenThreshold, memory.redThreshold);
    if (eyes) {
        memory.greenThreshold = eyes->green;
        memory.redThreshold = eyes->red;
    }
    return eyes;
}

std::optional<int> ScriptedViewDialogs::askGenerateMouth(QWidget*, CDialogMemory& memory) {
    mouthShown.push_back(memory.mouthThreshold);
    if (mouth) memory.mouthThreshold = *mouth;
    return mouth;
}

std::optional<PasteParts> ScriptedViewDialogs::askPasteSpecial(QWidget* parent, CDialogMemory&) {
    if (auto* view = dynamic_cast<CMainView*>(parent)) pasteSelections.emplace_back(view->selStart(), view->selLength());
    return paste;
}

ViewDialogs& viewDialogs() {
    static QtViewDialogs real;
    return g_dialogs ? *g_dialogs : real;
}

ViewDialogs* installViewDialogs(ViewDialogs* dialogs) { return std::exchange(g_dialogs, dialogs); }

std::optional<BeatsChoice> QtViewDialogs::askBeats(QWidget* parent, const BeatsDialogInput& input) {
    return runBeatsDialog(parent, input);
}

std::optional<BeatsChoice> ScriptedViewDialogs::askBeats(QWidget* parent, const BeatsDialogInput& input) {
    const beats::BeatGrid* grid = input.detected ? input.detected() : nullptr;
    beatsShown.push_back({grid ? std::optional(*grid) : std::nullopt, input.manual});
    if (beatsPresses.empty()) return beats;
    // As the real dialog: from the setting shown, each press in turn, then OK.
    beats::BpmSetting shown = input.manual.value_or(grid ? beats::settingOf(*grid) : beats::BpmSetting{});
    bool byHand = input.manual.has_value();
    for (const BeatsPress& press : beatsPresses) {
        if (const auto next = applyBeatsPress(shown, press)) {
            shown = *next;
            byHand = true;
        } else if (auto* view = dynamic_cast<CMainView*>(parent)) {
            // The real dialog says it in its own window; a run without one reports it.
            view->doc().ui().showMessage(beatsPressRefused(press));
        }
    }
    BeatsChoice choice;
    if (byHand) choice.manual = shown;
    return choice;
}

}  // namespace rova
