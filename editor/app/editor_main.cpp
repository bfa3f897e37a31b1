// rova-editor: the performance editor (command line in command_line.h).
#include <QApplication>

#include "commands/editor_commands.h"
#include "shell/editor_app.h"
#include "shell/shell_dialogs.h"
#include "platform/file_set.h"
#include "platform/qt_messages.h"
#include "view/main_view.h"

int main(int argc, char** argv) {
    rova::letOversizedWritesFail();
    QApplication qapp(argc, argv);
    // The installed desktop entry: lets the desktop match our windows to its
    // name and icon.
    QGuiApplication::setDesktopFileName(QStringLiteral("rova-editor"));
    // The program ends when its main frame closes, whatever else is open.
    QApplication::setQuitOnLastWindowClosed(false);
    rova::QtMessages messages;
    rova::QtShellDialogs dialogs;
    rova::CEditorApp app(messages, dialogs, [](rova::CDocument& d) { return new rova::CMainView(d); });
    rova::registerEditorCommands(app);
    if (!app.initInstance(QCoreApplication::arguments().mid(1))) return app.exitCode();
    return QApplication::exec();
}
