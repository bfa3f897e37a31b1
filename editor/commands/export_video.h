// What a video of a performance is made from: the document's tracks and sound
// as the video library takes them (the command and rova-tool share this).
#pragma once

#include <optional>
#include <string>

#include "document/main_doc.h"
#include "video/video_export.h"

class QWidget;

namespace rova {

// What the user chose in Export Video's dialogs.
struct ExportVideoChoice {
    std::string path;  // ends in .mp4 or .webm
    int width = video::kDefaultWidth, height = video::kDefaultHeight;
    bool onlySelection = false;
    bool timeline = false;
};

// The dialogs of Export Video: the options, then the file. Replaceable for
// tests through ScopedExportVideoDialogs.
class ExportVideoDialogs {
public:
    virtual ~ExportVideoDialogs() = default;
    // Nothing when the user cancels either dialog.
    virtual std::optional<ExportVideoChoice> ask(QWidget* parent, const std::string& documentPath,
                                                 bool haveSelection) = 0;
};

// The dialogs in use: the program's own unless a scope installs others.
ExportVideoDialogs& exportVideoDialogs();

class ScopedExportVideoDialogs {
public:
    explicit ScopedExportVideoDialogs(ExportVideoDialogs* dialogs);
    ~ScopedExportVideoDialogs();
    ScopedExportVideoDialogs(const ScopedExportVideoDialogs&) = delete;
    ScopedExportVideoDialogs& operator=(const ScopedExportVideoDialogs&) = delete;

private:
    ExportVideoDialogs* m_previous;
};

// The motion, the eye lights and the sound (WAVE samples or the MIDI file) of
// the document; they stay the document's.
video::VideoInput videoInputOf(const CMainDoc& doc);

}  // namespace rova
