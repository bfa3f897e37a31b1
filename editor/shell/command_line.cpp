#include "shell/command_line.h"

namespace rova {

CommandLineInfo parseCommandLine(const QStringList& arguments) {
    CommandLineInfo info;
    bool print = false, printTo = false, create = false;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& arg = arguments[i];
        if (arg == "--new") {
            // The sound follows at once, so a name starting with "-" is taken too.
            if (create || !info.fileName.isEmpty() || i + 1 >= arguments.size()) {
                info.shell = CommandLineInfo::Invalid;
                if (create)
                    info.error = "--new given twice";
                else if (!info.fileName.isEmpty())
                    info.error = "--new with another file";
                else
                    info.error = "--new needs a sound file";
                return info;
            }
            create = true;
            info.fileName = arguments[++i];
        } else if (arg == "/p" || arg == "-p") {
            print = true;
        } else if (arg == "/pt" || arg == "-pt") {
            printTo = true;
        } else if (arg.startsWith('-')) {
            info.shell = CommandLineInfo::Invalid;
            info.error = QString("unknown option %1").arg(arg);
            return info;
        } else if (info.fileName.isEmpty()) {
            info.fileName = arg;
        } else if (printTo && info.printerName.isEmpty()) {
            info.printerName = arg;
        } else {
            info.shell = CommandLineInfo::Invalid;
            info.error = QString("unexpected argument %1").arg(arg);
            return info;
        }
    }
    if (create) {
        info.shell = print || printTo || !info.printerName.isEmpty() ? CommandLineInfo::Invalid : CommandLineInfo::FileNew;
        if (info.shell == CommandLineInfo::Invalid) info.error = "--new cannot be combined with printing";
    } else if (printTo) {
        info.shell = info.printerName.isEmpty() ? CommandLineInfo::Invalid : CommandLineInfo::FilePrintTo;
        if (info.shell == CommandLineInfo::Invalid) info.error = "/pt needs a file and a printer";
    } else if (print) {
        info.shell = info.fileName.isEmpty() ? CommandLineInfo::Invalid : CommandLineInfo::FilePrint;
        if (info.shell == CommandLineInfo::Invalid) info.error = "/p needs a file";
    } else {
        info.shell = info.fileName.isEmpty() ? CommandLineInfo::FileNothing : CommandLineInfo::FileOpen;
    }
    return info;
}

}  // namespace rova
