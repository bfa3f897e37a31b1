#include "shell/command_line.h"

namespace rova {

CommandLineInfo parseCommandLine(const QStringList& arguments) {
    CommandLineInfo info;
    bool print = false, printTo = false;
    for (const QString& arg : arguments) {
        if (arg == "/p" || arg == "-p") {
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
    if (printTo) {
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
