// How the editor's logic talks to the user: message boxes, Yes/No questions and
// the choice of a file. The program shows real dialogs; tests and the headless
// tool record the texts and answer from a queue.
#pragma once

#include <deque>
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

class MessageInterface {
public:
    virtual ~MessageInterface() = default;
    // A modal message with an OK button, captioned with the program title.
    virtual void showMessage(std::string_view text) = 0;
    // A modal question with Yes and No; true only for Yes.
    virtual bool askYesNo(std::string_view text) = 0;
    // One existing file, or nothing when the user cancels.
    virtual std::optional<std::string> chooseFileToOpen(const OpenFileRequest& request) = 0;
};

// Records every text in order; questions and file choices are answered from
// queues, and an empty queue answers No / Cancel.
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

    std::vector<std::string> messages;
    std::deque<bool> answers;
    std::deque<std::optional<std::string>> files;
    std::vector<OpenFileRequest> fileRequests;
};

}  // namespace rova
