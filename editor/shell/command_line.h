// The editor's command line: nothing, one performance file, or a print request.
//   rova-editor                      shows the Open dialog at once
//   rova-editor FILE                 opens FILE
//   rova-editor /p FILE              prints FILE on the default printer and ends
//   rova-editor /pt FILE PRINTER     prints FILE on PRINTER and ends; a PRINTER
//                                    name ending in ".pdf" writes that PDF file
// "-p" and "-pt" are accepted for "/p" and "/pt".
#pragma once

#include <QString>
#include <QStringList>

namespace rova {

struct CommandLineInfo {
    enum Shell { FileNothing, FileOpen, FilePrint, FilePrintTo, Invalid };
    Shell shell = FileNothing;
    QString fileName;
    QString printerName;
    QString error;  // why the line is invalid
};

CommandLineInfo parseCommandLine(const QStringList& arguments);

inline constexpr const char* kCommandLineUsage =
    "usage: rova-editor [FILE | /p FILE | /pt FILE PRINTER]";

}  // namespace rova
