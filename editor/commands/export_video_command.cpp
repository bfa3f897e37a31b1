// File ▸ Export Video...: the performance (or its selection) as a video file
// to show without the editor: the robot from the player window's camera, at a
// chosen size and 25 frames a second, with its sound, eyes and mouth, written
// as MP4 or WebM. A progress dialog can cancel; then no file is left.
#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QProgressDialog>
#include <QSettings>
#include <algorithm>
#include <iterator>

#include "commands/editor_commands.h"
#include "commands/export_video.h"
#include "player/player_link.h"
#include "player/viewer_api.h"
#include "view/main_view.h"

namespace rova {

namespace {

constexpr const char* kSizeKey = "Video/Size";
constexpr const char* kTimelineKey = "Video/Timeline";
constexpr const char* kFolderKey = "Video/Folder";
constexpr std::string_view kMsgNoMotion = "No motion tracks";
constexpr const char* kTitle = "Export Video";

struct VideoSize {
    const char* label;
    int width, height;
};
constexpr VideoSize kSizes[] = {
    {"1280 x 720 (HD)", 1280, 720},
    {"1920 x 1080 (Full HD)", 1920, 1080},
    {"854 x 480", 854, 480},
    {"640 x 360", 640, 360},
};

// The size, the range and the timeline strip; false when the user cancels.
bool askOptions(QWidget* parent, bool haveSelection, ExportVideoChoice& choice) {
    QDialog dialog(parent);
    dialog.setWindowTitle(kTitle);
    auto* form = new QFormLayout(&dialog);
    auto* size = new QComboBox(&dialog);
    for (const VideoSize& s : kSizes) size->addItem(s.label);
    QSettings settings;
    size->setCurrentIndex(std::clamp(settings.value(kSizeKey, 0).toInt(), 0, static_cast<int>(std::size(kSizes)) - 1));
    form->addRow("&Size:", size);
    auto* selection = new QCheckBox("Only the &selection", &dialog);
    selection->setEnabled(haveSelection);
    selection->setChecked(haveSelection);
    form->addRow(selection);
    auto* timeline = new QCheckBox("A strip of the &timeline under the robot", &dialog);
    timeline->setChecked(settings.value(kTimelineKey, false).toBool());
    form->addRow(timeline);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    form->addRow(buttons);
    if (dialog.exec() != QDialog::Accepted) return false;
    const VideoSize& chosen = kSizes[size->currentIndex()];
    choice.width = chosen.width;
    choice.height = chosen.height;
    choice.timeline = timeline->isChecked();
    choice.onlySelection = selection->isChecked();
    settings.setValue(kSizeKey, size->currentIndex());
    settings.setValue(kTimelineKey, choice.timeline);
    return true;
}

std::string askFile(QWidget* parent, const std::string& documentPath) {
    QSettings settings;
    const QString stem = QFileInfo(QString::fromStdString(documentPath)).completeBaseName();
    const QString folder = settings.value(kFolderKey, QFileInfo(QString::fromStdString(documentPath)).absolutePath()).toString();
    QString filter;
    const QString path = QFileDialog::getSaveFileName(parent, kTitle, folder + "/" + stem + ".mp4",
                                                      "MP4 video (*.mp4);;WebM video (*.webm)", &filter);
    if (path.isEmpty()) return {};
    settings.setValue(kFolderKey, QFileInfo(path).absolutePath());
    QString chosen = path;
    // A name without the kind's ending gets the one of the chosen filter.
    if (!chosen.endsWith(".mp4", Qt::CaseInsensitive) && !chosen.endsWith(".webm", Qt::CaseInsensitive))
        chosen += filter.contains("webm") ? ".webm" : ".mp4";
    return chosen.toStdString();
}

class QtExportVideoDialogs : public ExportVideoDialogs {
public:
    std::optional<ExportVideoChoice> ask(QWidget* parent, const std::string& documentPath,
                                         bool haveSelection) override {
        ExportVideoChoice choice;
        if (!askOptions(parent, haveSelection, choice)) return std::nullopt;
        choice.path = askFile(parent, documentPath);
        if (choice.path.empty()) return std::nullopt;
        return choice;
    }
};

ExportVideoDialogs* g_dialogs = nullptr;

class CExportVideoCommand : public CViewCommand {
public:
    CExportVideoCommand()
        : CViewCommand({.id = ID_FILE_EXPORT_VIDEO,
                        .text = "Export &Video...",
                        .prompt = "Write the performance or its selection as a video with its sound\nExport Video"}) {}

    void onUpdate(CMainView& view, CCmdUI& ui) override { ui.enable(view.doc().motion().kind() != MOTION_NONE); }

    void onExecute(CMainView& view) override {
        CMainDoc& doc = view.doc();
        if (doc.motion().kind() == MOTION_NONE) {
            doc.ui().showMessage(kMsgNoMotion);
            return;
        }
        const auto choice = exportVideoDialogs().ask(&view, doc.pathName(), view.hasSelection());
        if (!choice) return;
        const std::string& path = choice->path;
        video::VideoOptions options;
        options.width = choice->width;
        options.height = choice->height;
        options.timeline = choice->timeline;
        if (choice->onlySelection && view.hasSelection()) {
            options.startStep = view.selStart();
            options.lengthSteps = view.selLength();
        }
        // Filmed as the player shows the robot now.
        if (void* viewer = playerLink().getViewer()) {
            ViewerCamera camera;
            if (viewerApi().GetCamera(viewer, camera))
                options.camera = {camera.yaw, camera.pitch, camera.distance, camera.x, camera.y, camera.z};
        }
        const video::VideoInput input = videoInputOf(doc);
        if (const std::string why = video::checkVideo(path, input, options); !why.empty()) {
            doc.ui().showMessage(why);
            return;
        }

        QProgressDialog progress("Exporting the video...", "Cancel", 0, 1000, &view);
        progress.setWindowTitle(kTitle);
        progress.setWindowModality(Qt::WindowModal);
        progress.setMinimumDuration(0);
        const video::VideoResult result =
            video::exportVideo(path, input, options, [&](std::int64_t done, std::int64_t total) {
                progress.setValue(static_cast<int>(total > 0 ? done * 1000 / total : 0));
                QCoreApplication::processEvents();
                return !progress.wasCanceled();
            });
        progress.reset();
        if (!result.ok && !result.cancelled) doc.ui().showMessage("The video could not be written. " + result.error);
    }
};

}  // namespace

ExportVideoDialogs& exportVideoDialogs() {
    static QtExportVideoDialogs program;
    return g_dialogs ? *g_dialogs : program;
}

ScopedExportVideoDialogs::ScopedExportVideoDialogs(ExportVideoDialogs* dialogs) : m_previous(g_dialogs) {
    g_dialogs = dialogs;
}
ScopedExportVideoDialogs::~ScopedExportVideoDialogs() { g_dialogs = m_previous; }

video::VideoInput videoInputOf(const CMainDoc& doc) {
    video::VideoInput input;
    input.motion = &doc.motion();
    input.leds = &doc.leds();
    const unsigned flags = doc.trackFlags();
    if ((flags & TRACK_WAVE) && doc.wave().samples) {
        input.sound = video::SoundKind::Wave;
        input.soundData = doc.wave().samples;
        input.soundSize = static_cast<std::size_t>(std::max(0, doc.wave().sampleCount));
    } else if ((flags & TRACK_MIDI) && !doc.audioBytes().empty()) {
        input.sound = video::SoundKind::Midi;
        input.soundData = doc.audioBytes().data();
        input.soundSize = doc.audioBytes().size();
    }
    return input;
}

void addExportVideoCommand(CommandRegistry& registry) { registry.add(std::make_unique<CExportVideoCommand>()); }

}  // namespace rova
