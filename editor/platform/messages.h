// How the editor's logic talks to the user: message boxes, Yes/No questions,
// the choice of a file and the progress of a long task. The program shows real
// dialogs; tests and the headless tool record the texts and answer from a queue.
#pragma once

#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace rova {

inline constexpr std::string_view kProgramTitle = "Rova Edit - Performance Editor";

struct FileFilter {
    std::string name;     // "Wave Files"
    std::string pattern;  // "*.WAV"
};

struct OpenFileRequest {
    std::string title;
    std::vector<FileFilter> filters;
};

struct SaveFileRequest {
    std::string title;
    std::vector<FileFilter> filters;
    std::string initialPath;    // the folder and name the dialog starts with
    std::string defaultSuffix;  // added to a name typed without one ("MTN")
    // An option shown with the name (none when the text is empty) and its state.
    std::string checkBoxText = {};
    bool checked = false;
};

struct SavedFile {
    std::string path;
    bool checked = false;  // the option's state as the dialog was accepted
};

// Called with the fraction done (0..1) while a task runs; false once the user
// cancelled. The progress display goes when the last copy is destroyed.
using ProgressCallback = std::function<bool(double)>;

class MessageInterface {
public:
    virtual ~MessageInterface() = default;
    // A modal message with an OK button, captioned with the program title.
    virtual void showMessage(std::string_view text) = 0;
    // A modal question with Yes and No; true only for Yes.
    virtual bool askYesNo(std::string_view text) = 0;
    // One existing file, or nothing when the user cancels.
    virtual std::optional<std::string> chooseFileToOpen(const OpenFileRequest& request) = 0;
    // A name to save under, or nothing when the user cancels. The caller asks
    // about replacing existing files itself.
    virtual std::optional<SavedFile> chooseFileToSave(const SaveFileRequest& request) = 0;
    // The progress of a long task that the user may cancel; shown only when
    // the task takes a while. Without a display nothing is shown.
    virtual ProgressCallback startProgress(std::string_view label) {
        (void)label;
        return [](double) { return true; };
    }
};

// Records every text in order; questions and file choices are answered from
// queues, and an empty queue answers No / Cancel. A save dialog's option keeps
// its state unless `checks` holds an answer. Progress goes on until
// cancelProgressAt reports reach it.
class RecordingMessages : public MessageInterface {
public:
    void showMessage(std::string_view text) override { messages.emplace_back(text); }
    bool askYesNo(std::string_view text) override {
        messages.emplace_back(text);
        if (answers.empty()) return false;
        const bool yes = answers.front();
        answers.pop_front();
        return yes;
    }
    std::optional<std::string> chooseFileToOpen(const OpenFileRequest& request) override {
        fileRequests.push_back(request);
        if (files.empty()) return std::nullopt;
        auto f = files.front();
        files.pop_front();
        return f;
    }
    std::optional<SavedFile> chooseFileToSave(const SaveFileRequest& request) override {
        saveRequests.push_back(request);
        if (saveFiles.empty()) return std::nullopt;
        const auto f = saveFiles.front();
        saveFiles.pop_front();
        if (!f) return std::nullopt;
        SavedFile saved{*f, request.checked};
        if (!checks.empty()) {
            saved.checked = checks.front();
            checks.pop_front();
        }
        return saved;
    }
    ProgressCallback startProgress(std::string_view label) override {
        progressLabels.emplace_back(label);
        return [this](double) { return ++progressReports < cancelProgressAt; };
    }

    std::vector<std::string> messages;
    std::deque<bool> answers;
    std::deque<std::optional<std::string>> files;
    std::vector<OpenFileRequest> fileRequests;
    std::deque<std::optional<std::string>> saveFiles;
    std::deque<bool> checks;
    std::vector<SaveFileRequest> saveRequests;
    std::vector<std::string> progressLabels;
    int progressReports = 0;
    int cancelProgressAt = 1 << 30;
};

}  // namespace rova
