// File > New Performance from Sound: a sound file, then the new performance's
// name, becomes NAME.WAV (or NAME.MID), NAME.LED and NAME.MTN, which then open
// as File > Open opens them. `rova-editor --new SOUND` runs the same command
// with the sound already chosen.
#include <QSettings>
#include <algorithm>
#include <cctype>
#include <filesystem>

#include "commands/editor_commands.h"
#include "document/main_doc.h"
#include "shell/command_line.h"
#include "shell/document.h"
#include "shell/editor_app.h"
#include "sound/sound_import.h"

namespace rova {
namespace {

namespace fs = std::filesystem;

constexpr const char* kNormaliseKey = "Settings/NormaliseLoudness";

// Whether two paths name files of one performance (same folder, same name).
bool sameSet(const fs::path& a, const fs::path& b) {
    const PerformancePath pa = PerformancePath::split(a), pb = PerformancePath::split(b);
    std::error_code ec;
    return sameIgnoringCase(pa.base, pb.base) && (pa.folder == pb.folder || fs::equivalent(pa.folder, pb.folder, ec));
}

class CNewPerformanceCommand : public CCommand, public CFileArgumentCommand {
public:
    CNewPerformanceCommand()
        : CCommand({.id = ID_FILE_NEW_FROM_SOUND,
                    .target = CommandTarget::App,
                    .text = "&New Performance from Sound...\tCtrl+N",
                    .prompt = "Make a new performance from a sound file\nNew Performance from Sound",
                    .keys = {QKeyCombination(Qt::ControlModifier, Qt::Key_N)}}) {}

    void onExecute(CommandContext& context) override {
        const auto sound = context.app.ui().chooseFileToOpen(
            {"Select Sound", {kSoundFilesFilter, {"All Files", "*"}}});
        if (sound) create(context, *sound);
    }
    bool executeWithFile(CommandContext& context, const std::string& path) override { return create(context, path); }

private:
    static bool create(CommandContext& context, const std::string& soundPath) {
        MessageInterface& ui = context.app.ui();
        std::error_code ec;
        fs::path sound = fs::absolute(soundPath, ec);
        if (ec) sound = soundPath;

        QSettings settings(kSettingsOrganization, kSettingsApplication);
        SaveFileRequest request{.title = "New Performance",
                                .filters = {{"Motion Files", "*.MTN"}},
                                .initialPath = (sound.parent_path() / (sound.stem().string() + ".MTN")).string(),
                                .defaultSuffix = "MTN",
                                .checkBoxText = "Normalise loudness",
                                .checked = settings.value(kNormaliseKey, true).toBool()};
        const auto target = ui.chooseFileToSave(request);
        if (!target) return false;
        settings.setValue(kNormaliseKey, target->checked);

        sound::CreateOptions options;
        options.convert.normalise = target->checked;
        const fs::path targetPath = target->path;
        const std::string name = sound::performanceName(targetPath);
        if (!sound::existingPerformanceFiles(targetPath).empty()) {
            if (!ui.askYesNo(sound::formatMessage(sound::kReplaceQuestion, {name}))) return false;
            options.replaceExisting = true;
            // A window on the old files would show, and could save, tracks that
            // no longer belong to them.
            for (CDocument* open : context.app.documents()) {
                if (!sameSet(open->pathName().toStdString(), targetPath)) continue;
                if (!open->saveModified()) return false;
                context.app.closeDocument(*open);
            }
        }

        const auto result =
            sound::createPerformance(sound, targetPath, options, ui.startProgress("Converting " + name + "..."));
        if (!result.ok()) {
            if (result.status == sound::Status::Failed) ui.showMessage(result.message);
            return false;
        }
        return context.app.openDocumentFile(QString::fromStdString(result.motion.string())) != nullptr;
    }
};

}  // namespace

void addNewPerformanceCommand(CommandRegistry& registry) { registry.add(std::make_unique<CNewPerformanceCommand>()); }

}  // namespace rova
