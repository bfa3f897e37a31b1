// Generate Eyes and Generate Mouth: the eye LED track and the mouth motion
// from the loudness of the WAVE audio, with the thresholds asked in their
// dialogs and remembered for the rest of the run. Generate Tail has no handler.
#include "commands/editor_commands.h"
#include "model/generators.h"
#include "shell/dialogs.h"
#include "shell/document.h"
#include "shell/editor_app.h"
#include "view/main_view.h"
#include "view/view_dialogs.h"

namespace rova {
namespace {

constexpr const char* kMsgNeedWaveAndLeds = "Need both WAVE and LED/Eye tracks";
constexpr const char* kMsgSelectRange = "Please select range";
constexpr const char* kMsgNeedWave = "Need WAVE audio to generate mouth";
constexpr const char* kMsgNoMouth = "No mouth track available";

// The dialogs' sliders reach thresholds 0 to 63 only.
bool takeThresholds(const std::vector<std::string>& args, std::size_t count, std::vector<int>& out) {
    if (args.size() != count) return false;
    out.clear();
    for (const std::string& a : args) {
        int t;
        if (!parseInt(a, t) || t < 0 || t > kMaxThreshold) return false;
        out.push_back(t);
    }
    return true;
}

class CGenerateEyesCommand : public CViewCommand {
public:
    CGenerateEyesCommand()
        : CViewCommand({.id = ID_EDIT_GENERATE_EYES,
                        .text = "Generate &Eyes...",
                        .prompt = "Generate eyes from audio track\nGenerate Eyes (requires WAV audio)",
                        .verbs = {"generate-eyes"}}) {}

    void onExecute(CMainView& view) override {
        CMainDoc& doc = view.doc();
        if (!(doc.trackFlags() & TRACK_WAVE) || !(doc.trackFlags() & TRACK_LEDS)) {
            doc.ui().showMessage(kMsgNeedWaveAndLeds);
            return;
        }
        const auto chosen = viewDialogs().askGenerateEyes(&view, CEditorApp::instance()->dialogMemory());
        if (!chosen) return;
        view.beginEdit("Generate Eyes");
        generateFromAudio(doc.leds(), doc.wave(), chosen->green, chosen->red);
        view.endEdit();
        view.invalidateAll();
    }

    bool takeArguments(const std::string&, const std::vector<std::string>& args, ScriptedAnswers& answers,
                       std::string& error) override {
        std::vector<int> t;
        if (!takeThresholds(args, 2, t)) {
            error = "usage: generate-eyes GREEN RED (0..63)";
            return false;
        }
        answers.eyes = EyeThresholds{t[0], t[1]};
        return true;
    }
};

class CGenerateMouthCommand : public CViewCommand {
public:
    CGenerateMouthCommand()
        : CViewCommand({.id = ID_EDIT_GENERATE_MOUTH,
                        .text = "Generate &Mouth...",
                        .prompt = "Generate mouth from audio track\nGenerate Mouth  (requires WAV audio)",
                        .verbs = {"generate-mouth"}}) {}

    void onExecute(CMainView& view) override {
        CMainDoc& doc = view.doc();
        if (!view.hasSelection()) {
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
        const auto chosen = viewDialogs().askGenerateMouth(&view, CEditorApp::instance()->dialogMemory());
        if (!chosen) return;
        view.beginEdit("Generate Mouth");
        generateMouth(doc.motion(), doc.wave(), *chosen, view.selStart(), view.selLength());
        view.endEdit();
        view.invalidateAll();
    }

    bool takeArguments(const std::string&, const std::vector<std::string>& args, ScriptedAnswers& answers,
                       std::string& error) override {
        std::vector<int> t;
        if (!takeThresholds(args, 1, t)) {
            error = "usage: generate-mouth T (0..63)";
            return false;
        }
        answers.mouth = t[0];
        return true;
    }
};

}  // namespace

void addGeneratorCommands(CommandRegistry& registry) {
    registry.add(std::make_unique<CGenerateEyesCommand>());
    registry.add(std::make_unique<CGenerateMouthCommand>());
    // Listed in the menu, but nothing generates a tail: always disabled.
    registry.add(std::make_unique<CFunctionCommand>(CommandInfo{.id = ID_EDIT_GENERATE_TAIL,
                                                                .target = CommandTarget::Nobody,
                                                                .text = "Generate &Tail",
                                                                .prompt = "Generate Tail Motions\nGenerate Tail"},
                                                    [](CommandContext&) {}));
}

}  // namespace rova
