#include "shell/editor_app.h"

#include <QApplication>
#include <QFileInfo>
#include <QMdiArea>
#include <QSettings>
#include <iostream>

#include "shell/child_frame.h"
#include "shell/command_line.h"
#include "shell/dialogs.h"
#include "shell/document.h"
#include "shell/main_frame.h"
#include "shell/printing.h"
#include "shell/shell_dialogs.h"
#include "shell/view.h"
#include "platform/messages.h"
#include "player/player_link.h"
#include "player/player_window.h"

namespace rova {
namespace {
CEditorApp* g_app = nullptr;
}

CEditorApp::CEditorApp(MessageInterface& ui, ShellDialogs& dialogs, ViewFactory viewFactory)
    : m_ui(ui), m_dialogs(dialogs), m_viewFactory(std::move(viewFactory)) {
    g_app = this;
    playerLink().setMessages(&ui);
}

CEditorApp::~CEditorApp() {
    delete playerLink().playerWindow();
    // Frames and views go first: views still reach their documents as they leave.
    m_mainFrame.reset();
    m_dialogMemory.reset();
    m_documents.clear();
    m_closing.clear();
    if (playerLink().messages() == &m_ui) playerLink().setMessages(nullptr);
    g_app = nullptr;
}

CEditorApp* CEditorApp::instance() { return g_app; }

bool CEditorApp::initInstance(const QStringList& arguments) {
    // Settings location "REditor" / program title, with the recent-file list.
    QCoreApplication::setOrganizationName(kSettingsOrganization);
    QCoreApplication::setApplicationName(kSettingsApplication);
    {
        QSettings settings(kSettingsOrganization, kSettingsApplication);
        m_recent.load(settings);
    }
    m_mainFrame = std::make_unique<CMainFrame>(*this);
    if (!m_mainFrame->create()) {
        m_mainFrame.reset();
        m_exitCode = 1;
        return false;
    }
    const CommandLineInfo command = parseCommandLine(arguments);
    if (command.shell == CommandLineInfo::Invalid) {
        std::cerr << "rova-editor: " << command.error.toStdString() << '\n' << kCommandLineUsage << '\n';
        m_exitCode = 2;
        return false;
    }
    const bool printing = command.shell == CommandLineInfo::FilePrint || command.shell == CommandLineInfo::FilePrintTo;
    if (!printing) {
        m_mainFrame->show();
        m_mainFrame->repaint();
    }
    switch (command.shell) {
    case CommandLineInfo::FileNothing:
        onFileOpen();
        return true;
    case CommandLineInfo::FileOpen:
        if (openDocumentFile(command.fileName)) return true;
        m_exitCode = 1;
        return false;
    case CommandLineInfo::FileNew:
        // The menu command's own path, with the sound already chosen; a failure
        // or a cancelled dialog ends the program as a failed open does.
        if (auto* create = dynamic_cast<CFileArgumentCommand*>(m_commands.find(ID_FILE_NEW_FROM_SOUND))) {
            CommandContext context = m_mainFrame->commandContext();
            if (create->executeWithFile(context, command.fileName.toStdString())) return true;
        } else {
            std::cerr << "rova-editor: --new is not available\n";
        }
        m_exitCode = 1;
        return false;
    default:
        printFromCommandLine(command.fileName, command.printerName);
        return false;
    }
}

void CEditorApp::printFromCommandLine(const QString& file, const QString& printerName) {
    CDocument* document = openDocumentFile(file);
    if (!document) {
        m_exitCode = 1;
        return;
    }
    QPrinter& target = printer();
    if (printerName.endsWith(".pdf", Qt::CaseInsensitive)) {
        target.setOutputFormat(QPrinter::PdfFormat);
        target.setOutputFileName(printerName);
    } else if (!printerName.isEmpty()) {
        target.setPrinterName(printerName);
    }
    CView* view = document->views().empty() ? nullptr : document->views().front();
    if (!view || !printView(*view, target)) {
        std::cerr << "rova-editor: cannot print "
                  << (printerName.isEmpty() ? std::string("on the default printer") : "to " + printerName.toStdString())
                  << '\n';
        m_exitCode = 1;
    }
    closeDocument(*document);
}

CDialogMemory& CEditorApp::dialogMemory() {
    if (!m_dialogMemory) m_dialogMemory = std::make_unique<CDialogMemory>(m_mainFrame.get());
    return *m_dialogMemory;
}

QPrinter& CEditorApp::printer() {
    if (!m_printer) m_printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    return *m_printer;
}

CDocument* CEditorApp::findDocument(const QString& path) const {
    for (const auto& d : m_documents)
        if (samePath(d->pathName(), path)) return d.get();
    return nullptr;
}

std::vector<CDocument*> CEditorApp::documents() const {
    std::vector<CDocument*> out;
    for (const auto& d : m_documents) out.push_back(d.get());
    return out;
}

CDocument* CEditorApp::openDocumentFile(const QString& path) {
    const QString full = absolutePath(path);
    if (CDocument* open = findDocument(full)) {
        if (m_mainFrame && open->frame()) m_mainFrame->activateChild(open->frame());
        return open;
    }
    auto document = std::make_unique<CDocument>(*this, m_ui);
    if (!document->open(full)) return nullptr;
    CDocument* d = document.get();
    m_documents.push_back(std::move(document));
    addToRecentFiles(full);
    if (m_mainFrame) {
        CView* view = m_viewFactory(*d);
        auto* frame = new CChildFrame(*d, view);
        m_mainFrame->addChild(frame);
        view->onInitialUpdate();
        m_mainFrame->activateChild(frame);
        m_mainFrame->updateCommandUI();
    }
    return d;
}

void CEditorApp::onFileOpen() {
    const auto chosen = m_dialogs.chooseFilesToOpen(m_mainFrame.get());
    if (!chosen || chosen->isEmpty()) return;
    if (!fitsOpenNamesBuffer(*chosen)) {
        m_ui.showMessage(kMsgSelectFewerFiles);
        return;
    }
    for (const QString& path : *chosen) openDocumentFile(path);
}

void CEditorApp::onOpenRecentFile(int index) {
    if (index < 0 || index >= m_recent.size()) return;
    const QString path = m_recent.at(index);
    if (openDocumentFile(path)) return;
    // The entry may have moved while the open showed its messages.
    for (int i = 0; i < m_recent.size(); ++i) {
        if (m_recent.at(i) == path) {
            m_recent.remove(i);
            break;
        }
    }
    saveRecentFiles();
}

void CEditorApp::addToRecentFiles(const QString& path) {
    m_recent.add(path);
    saveRecentFiles();
}

void CEditorApp::saveRecentFiles() {
    // Written at every change, so a list survives a program that does not end normally.
    QSettings settings(kSettingsOrganization, kSettingsApplication);
    m_recent.save(settings);
    if (m_mainFrame) m_mainFrame->updateRecentFileMenu();
}

bool CEditorApp::saveAllModified() {
    for (CDocument* d : documents())
        if (!d->saveModified()) return false;
    return true;
}

void CEditorApp::closeAllDocuments() {
    for (CDocument* d : documents()) closeDocument(*d);
}

void CEditorApp::closeDocument(CDocument& document) {
    if (CChildFrame* frame = document.frame()) {
        frame->closeWithoutAsking();
        return;
    }
    std::erase_if(m_documents, [&](const auto& d) { return d.get() == &document; });
}

void CEditorApp::frameClosing(CDocument& document) {
    const auto it = std::find_if(m_documents.begin(), m_documents.end(),
                                 [&](const auto& d) { return d.get() == &document; });
    if (it == m_documents.end()) return;
    m_closing.push_back(std::move(*it));
    m_documents.erase(it);
    document.markClosing();
    if (m_mainFrame) {
        m_mainFrame->updateMenuBar();
        m_mainFrame->scheduleIdleUpdate();
    }
}

void CEditorApp::releaseDocument(CDocument& document) {
    std::erase_if(m_closing, [&](const auto& d) { return d.get() == &document; });
}

void CEditorApp::mainFrameClosed() {
    if (CPlayerWindow* player = playerLink().playerWindow()) player->close();
    QCoreApplication::quit();
}

}  // namespace rova
