// The Qt implementation of the message interface: modal boxes captioned with
// the program title, Yes/No questions, the Open dialog for one file, the Save
// dialog with an optional check box, and a progress dialog.
#pragma once

#include <QString>
#include <QStringList>
#include <functional>

#include "platform/messages.h"

class QWidget;

namespace rova {

// A dialog filter "Wave Files" / "*.WAV" as a Qt name filter. Patterns match
// without regard to case (the files were made on a system that ignores case),
// and "*.*" means every file, with or without an extension.
QString qtNameFilter(const FileFilter& filter);
QStringList qtNameFilters(const std::vector<FileFilter>& filters);

// The window that modal boxes belong to: the active modal dialog, else the
// active window, else none.
QWidget* messageParent();

class QtMessages : public MessageInterface {
public:
    void showMessage(std::string_view text) override;
    bool askYesNo(std::string_view text) override;
    std::optional<std::string> chooseFileToOpen(const OpenFileRequest& request) override;
    std::optional<SavedFile> chooseFileToSave(const SaveFileRequest& request) override;
    ProgressCallback startProgress(std::string_view label) override;
};

}  // namespace rova
