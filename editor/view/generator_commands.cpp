// Generate Eyes and Generate Mouth: the eye LED track and the mouth
// motion from the loudness of the WAVE audio, with the thresholds asked in
// their dialogs and remembered for the rest of the run.
#include "app/dialogs.h"
#include "app/document.h"
#include "app/editor_app.h"
#include "model/generators.h"
#include "view/main_view.h"
#include "view/view_dialogs.h"

namespace rova {
namespace {

constexpr const char* kMsgNeedWaveAndLeds = "Need both WAVE and LED/Eye tracks";
constexpr const char* kMsgSelectRange = "Please select range";
constexpr const char* kMsgNeedWave = "Need WAVE audio to generate mouth";
constexpr const char* kMsgNoMouth = "No mouth track available";

// The thresholds of the run live with the application's dialogs.
CDialogMemory* dialogMemory() {
    CEditorApp* app = CEditorApp::instance();
    return app ? &app->dialogMemory() : nullptr;
}

}  // namespace

void CMainView::onGenerateEyes() {
    CMainDoc& doc = document().doc();
    if (!(doc.trackFlags() & TRACK_WAVE) || !(doc.trackFlags() & TRACK_LEDS)) {
        doc.ui().showMessage(kMsgNeedWaveAndLeds);
        return;
    }
    CDialogMemory* memory = dialogMemory();
    const EyeThresholds current = memory ? EyeThresholds{memory->greenThreshold, memory->redThreshold}
                                         : EyeThresholds{kDefaultThreshold, kDefaultThreshold};
    const std::optional<EyeThresholds> chosen = viewDialogs().askGenerateEyes(this, current);
    if (!chosen) return;
    if (memory) {
        memory->greenThreshold = chosen->green;
        memory->redThreshold = chosen->red;
    }
    generateFromAudio(doc.leds(), doc.wave(), chosen->green, chosen->red);
    invalidateAll();
}

void CMainView::onGenerateMouth() {
    CMainDoc& doc = document().doc();
    if (!hasSelection()) {
        doc.ui().showMessage(kMsgSelectRange);
        return;
    }
    if (!(doc.trackFlags() & TRACK_WAVE)) {
        doc.ui().showMessage(kMsgNeedWave);
        return;
    }
    if (!(doc.trackFlags() & TRACK_HEAD)) {
        doc.ui().showMessage(kMsgNoMouth);
        return;
    }
    CDialogMemory* memory = dialogMemory();
    const std::optional<int> chosen =
        viewDialogs().askGenerateMouth(this, memory ? memory->mouthThreshold : kDefaultThreshold);
    if (!chosen) return;
    if (memory) memory->mouthThreshold = *chosen;
    generateMouth(doc.motion(), doc.wave(), *chosen, m_selStart, m_selLength);
    invalidateAll();
}

}  // namespace rova
