// The documents of one headless run: opened through the editor's own document
// code, with every message recorded and questions answered from a queue.
#pragma once

#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "app/main_doc.h"
#include "platform/messages.h"

namespace rova::tool {

class DocSession {
public:
    // Opens a document and makes it the active one; false when the open failed.
    bool open(const std::string& path);
    CMainDoc* active() { return m_active; }

    // Runs one command on the active document. False with `error` set for an
    // unknown command or bad arguments; a command the editor would show
    // disabled just does nothing.
    bool command(const std::vector<std::string>& words, std::string& error);

    // The JSON report of the active document (or of a failed open).
    void report(std::ostream& out, bool opened);

    RecordingMessages ui;

private:
    std::vector<std::unique_ptr<CMainDoc>> m_docs;
    CMainDoc* m_active = nullptr;
};

}  // namespace rova::tool
