// File > Save As...: the whole performance under a new name. NAME.MTN,
// NAME.LED, the sound as NAME.WAV or NAME.MID and a hand-set tempo as NAME.BPM
// are written as one set (all of them or none); then the window, its title
// and the recent-file list follow the new name. The files of another
// performance are replaced only when the user says so, and never while a
// window shows that performance.
#include <filesystem>

#include "commands/editor_commands.h"
#include "platform/files.h"
#include "platform/messages.h"
#include "shell/command_line.h"
#include "shell/document.h"
#include "shell/editor_app.h"
#include "shell/main_frame.h"
#include "sound/sound_import.h"

namespace rova {
namespace {

constexpr std::string_view kMsgOpenElsewhere = "%1 is open in another window. Close it first, or choose another name.";

// Whether two paths name files of one performance (same folder, same name
// without regard to case, as the robot's file system has it).
bool samePerformanceSet(const fs::path& a, const fs::path& b) {
    const PerformancePath pa = PerformancePath::split(a), pb = PerformancePath::split(b);
    std::error_code ec;
    return sameIgnoringCase(pa.base, pb.base) && (pa.folder == pb.folder || fs::equivalent(pa.folder, pb.folder, ec));
}

class CSaveAsCommand : public CCommand, public CFileArgumentCommand {
public:
    CSaveAsCommand()
        : CCommand({.id = ID_FILE_SAVE_AS,
                    .target = CommandTarget::Document,
                    .text = "Save &As...",
                    .prompt = "Save the whole performance under a new name\nSave As",
                    .verbs = {"save-as"}}) {}

    void onExecute(CommandContext& context) override {
        const auto target = context.app.ui().chooseFileToSave({.title = "Save As",
                                                               .filters = {{"Motion Files", "*.MTN"}},
                                                               .initialPath = context.document->pathName().toStdString(),
                                                               .defaultSuffix = "MTN"});
        if (target) saveAs(context, target->path);
    }
    bool executeWithFile(CommandContext& context, const std::string& path) override { return saveAs(context, path); }

private:
    static bool saveAs(CommandContext& context, const std::string& chosen) {
        CDocument& document = *context.document;
        MessageInterface& ui = context.app.ui();
        std::error_code ec;
        fs::path target = fs::absolute(chosen, ec);
        if (ec) target = chosen;
        const std::string name = sound::performanceName(target);
        const bool sameSet = samePerformanceSet(target, document.pathName().toStdString());
        if (!sameSet) {
            // The other window would keep, and could save, tracks whose files are gone.
            for (const CDocument* open : context.app.documents()) {
                if (open == &document || !samePerformanceSet(open->pathName().toStdString(), target)) continue;
                ui.showMessage(sound::formatMessage(kMsgOpenElsewhere, {name}));
                return false;
            }
            if (!sound::existingPerformanceFiles(target).empty() &&
                !ui.askYesNo(sound::formatMessage(sound::kReplaceQuestion, {name})))
                return false;
        }
        // A failed save has said why and changed nothing: not the files, the name or the list.
        if (!document.doc().onSaveDocument(target.string())) return false;
        if (sameSet) return true;
        document.doc().setPathName(target.string());
        context.app.addToRecentFiles(QString::fromStdString(target.string()));
        context.frame.documentTitleChanged(document);
        // The views take the performance anew under its new name: the beats'
        // hand-set tempo is read and written beside it from now on.
        document.updateAllViews(HINT_REBUILD_PANES);
        return true;
    }
};

}  // namespace

void addSaveAsCommand(CommandRegistry& registry) { registry.add(std::make_unique<CSaveAsCommand>()); }

}  // namespace rova
