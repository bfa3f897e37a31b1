// View ▸ Loop Playback and Tools ▸ Playback Offset..., and where they are remembered.
#include <QDialog>
#include <QDialogButtonBox>
#include <QLabel>
#include <QSettings>
#include <QSpinBox>
#include <QVBoxLayout>
#include <algorithm>

#include "commands/editor_commands.h"
#include "commands/playback_options.h"
#include "shell/editor_app.h"
#include "shell/main_frame.h"

namespace rova {
namespace {

constexpr const char* kLoopKey = "Settings/LoopPlayback";
constexpr const char* kOffsetKey = "Settings/PlaybackOffset";

QSettings settings() { return QSettings(kSettingsOrganization, kSettingsApplication); }

// Toggles; rova-tool's `loop on|off` sets it instead.
class CLoopPlaybackCommand : public CCommand {
public:
    CLoopPlaybackCommand()
        : CCommand({.id = ID_VIEW_LOOP_PLAYBACK,
                    .target = CommandTarget::App,
                    .text = "&Loop Playback",
                    .prompt = "Play a selection again and again until Esc\nLoop Playback",
                    .verbs = {"loop"}}) {}
    void onUpdate(CommandContext&, CCmdUI& ui) override { ui.setCheck(rememberedPlaybackOptions().loop); }
    void onExecute(CommandContext&) override {
        const bool on = m_setTo.value_or(!rememberedPlaybackOptions().loop);
        m_setTo.reset();
        rememberLoopPlayback(on);
    }
    bool takeArguments(const std::string&, const std::vector<std::string>& args, ScriptedAnswers&,
                       std::string& error) override {
        if (args.size() != 1 || (args[0] != "on" && args[0] != "off")) {
            error = "usage: loop on|off";
            return false;
        }
        m_setTo = args[0] == "on";
        return true;
    }

private:
    std::optional<bool> m_setTo;
};

class CPlaybackOffsetCommand : public CCommand {
public:
    CPlaybackOffsetCommand()
        : CCommand({.id = ID_TOOLS_PLAYBACK_OFFSET,
                    .target = CommandTarget::App,
                    .text = "Playback &Offset...",
                    .prompt = "Send the poses earlier or later than the sound, for a sound device that "
                              "plays late\nPlayback Offset",
                    .verbs = {"offset"}}) {}
    void onExecute(CommandContext& c) override {
        std::optional<int> ms = m_answer ? m_answer : askPlaybackOffset(&c.frame, rememberedPlaybackOptions().offsetMs);
        m_answer.reset();
        if (ms) rememberPlaybackOffset(*ms);
    }
    // offset MS: the dialog confirmed with MS, which it takes from -500 to 500 only.
    bool takeArguments(const std::string&, const std::vector<std::string>& args, ScriptedAnswers&,
                       std::string& error) override {
        int ms;
        if (args.size() != 1 || !parseInt(args[0], ms) || ms < -kMaxPlaybackOffsetMs || ms > kMaxPlaybackOffsetMs) {
            error = "usage: offset MS (-500..500)";
            return false;
        }
        m_answer = ms;
        return true;
    }

private:
    std::optional<int> m_answer;
};

}  // namespace

PlaybackOptions rememberedPlaybackOptions() {
    QSettings s = settings();
    PlaybackOptions options;
    options.loop = s.value(kLoopKey, false).toBool();
    bool ok = false;
    const int ms = s.value(kOffsetKey, 0).toInt(&ok);
    options.offsetMs = ok ? std::clamp(ms, -kMaxPlaybackOffsetMs, kMaxPlaybackOffsetMs) : 0;
    return options;
}

void rememberLoopPlayback(bool on) { settings().setValue(kLoopKey, on); }

void rememberPlaybackOffset(int ms) {
    settings().setValue(kOffsetKey, std::clamp(ms, -kMaxPlaybackOffsetMs, kMaxPlaybackOffsetMs));
}

std::optional<int> askPlaybackOffset(QWidget* parent, int current) {
    QDialog dialog(parent);
    dialog.setWindowTitle("Playback Offset");
    auto* layout = new QVBoxLayout(&dialog);
    auto* label = new QLabel(
        "Send each pose this many milliseconds after its time in the sound\n"
        "(for a sound device that plays late; negative: before it):",
        &dialog);
    auto* box = new QSpinBox(&dialog);
    box->setRange(-kMaxPlaybackOffsetMs, kMaxPlaybackOffsetMs);
    box->setSuffix(" ms");
    box->setSingleStep(10);
    box->setValue(current);
    label->setBuddy(box);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    layout->addWidget(label);
    layout->addWidget(box);
    layout->addWidget(buttons);
    box->selectAll();
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    return box->value();
}

void addPlaybackOptionCommands(CommandRegistry& registry) {
    registry.add(std::make_unique<CLoopPlaybackCommand>());
    registry.add(std::make_unique<CPlaybackOffsetCommand>());
}

}  // namespace rova
