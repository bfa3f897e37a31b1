// The framework's own dialogs that the shell shows: the multi-file Open
// dialog, the save question on close and the Save As fallback. Behind one
// interface so that tests can answer them.
#pragma once

#include <QString>
#include <QStringList>
#include <optional>

class QFileDialog;
class QWidget;

namespace rova {

inline constexpr const char* kOpenDialogTitle = "Open Motion file(s)";
inline constexpr int kOpenNamesBufferSize = 4000;

// The multi-file Open dialog, set up but not shown.
QFileDialog* makeOpenFilesDialog(QWidget* parent);

// Whether the chosen names fit the 4000-character list the Open dialog fills:
// the folder, then each file name, each ended by a zero, and a final zero
// (a single choice is its full path and two zeros).
bool fitsOpenNamesBuffer(const QStringList& paths);

class ShellDialogs {
public:
    enum class SaveAnswer { Yes, No, Cancel };

    virtual ~ShellDialogs() = default;
    // The chosen files in the dialog's order; nothing when cancelled.
    virtual std::optional<QStringList> chooseFilesToOpen(QWidget* parent) = 0;
    // "Save changes to %1?" with Yes, No and Cancel.
    virtual SaveAnswer askSaveChanges(QWidget* parent, const QString& documentTitle) = 0;
    // A new name for a document whose file can no longer be written; "" to cancel.
    virtual QString chooseSaveName(QWidget* parent, const QString& currentPath) = 0;
};

class QtShellDialogs : public ShellDialogs {
public:
    std::optional<QStringList> chooseFilesToOpen(QWidget* parent) override;
    SaveAnswer askSaveChanges(QWidget* parent, const QString& documentTitle) override;
    QString chooseSaveName(QWidget* parent, const QString& currentPath) override;
};

}  // namespace rova
