// The application object: start-up, settings and recent files, the list of
// open documents (one per path), the multi-file Open, closing with the save
// question, and the application's commands on the command route.
#pragma once

#include <QPrinter>
#include <QStringList>
#include <functional>
#include <memory>
#include <vector>

#include "document/main_doc.h"
#include "shell/commands.h"
#include "shell/recent_files.h"

namespace rova {

class CChildFrame;
class CDialogMemory;
class CDocument;
class CMainFrame;
class CView;
class MessageInterface;
class ShellDialogs;

inline constexpr const char* kSettingsOrganization = "REditor";
inline constexpr const char* kSettingsApplication = "Rova Edit - Performance Editor";
inline constexpr const char* kMsgSelectFewerFiles = "Please select fewer files";

class CEditorApp {
public:
    // Makes the view of a newly opened document (the document template's view class).
    using ViewFactory = std::function<CView*(CDocument&)>;

    CEditorApp(MessageInterface& ui, ShellDialogs& dialogs, ViewFactory viewFactory);
    ~CEditorApp();
    CEditorApp(const CEditorApp&) = delete;
    CEditorApp& operator=(const CEditorApp&) = delete;

    static CEditorApp* instance();

    // The start-up; false ends the program with exitCode().
    bool initInstance(const QStringList& arguments);
    int exitCode() const { return m_exitCode; }

    CMainFrame* mainFrame() const { return m_mainFrame.get(); }
    // The commands of the menus, toolbar and keys; filled before initInstance.
    CommandRegistry& commands() { return m_commands; }
    const CommandRegistry& commands() const { return m_commands; }
    MessageInterface& ui() { return m_ui; }
    ShellDialogs& dialogs() { return m_dialogs; }
    CDialogMemory& dialogMemory();
    QPrinter& printer();

    // Opens path as a document, or activates the window of the document that
    // already has it; null when the open fails (its messages have been shown).
    CDocument* openDocumentFile(const QString& path);
    CDocument* findDocument(const QString& path) const;
    std::vector<CDocument*> documents() const;

    // The multi-file Open command.
    void onFileOpen();
    void onOpenRecentFile(int index);
    CRecentFileList& recentFiles() { return m_recent; }
    // How documents opened from now on convert a sound for Replace Audio.
    void setSoundConverter(SoundConverter convert) { m_soundConverter = std::move(convert); }
    const SoundConverter& soundConverter() const { return m_soundConverter; }
    void addToRecentFiles(const QString& path);

    // Asks about every modified document in turn; false at the first Cancel
    // or failed save (the documents asked before stay as they are now).
    bool saveAllModified();
    // Closes every document without asking.
    void closeAllDocuments();
    // Closes one document without asking.
    void closeDocument(CDocument& document);

    // From the frames: a closing document leaves the list and is deleted
    // when its last view goes (releaseDocument).
    void frameClosing(CDocument& document);
    void releaseDocument(CDocument& document);
    void mainFrameClosed();


private:
    void printFromCommandLine(const QString& file, const QString& printerName);
    void saveRecentFiles();

    MessageInterface& m_ui;
    ShellDialogs& m_dialogs;
    ViewFactory m_viewFactory;
    SoundConverter m_soundConverter;
    CommandRegistry m_commands;
    CRecentFileList m_recent;
    std::vector<std::unique_ptr<CDocument>> m_documents;
    std::vector<std::unique_ptr<CDocument>> m_closing;  // until their views are gone
    std::unique_ptr<CMainFrame> m_mainFrame;
    std::unique_ptr<CDialogMemory> m_dialogMemory;
    std::unique_ptr<QPrinter> m_printer;
    int m_exitCode = 0;
};

}  // namespace rova
