// The editor's command line: nothing, one performance file, a new performance
// from a sound, or a print request.
//   rova-editor                      shows the Open dialog at once
//   rova-editor FILE                 opens FILE
//   rova-editor --new SOUND          New Performance from Sound with SOUND chosen
//   rova-editor /p FILE              prints FILE on the default printer and ends
//   rova-editor /pt FILE PRINTER     prints FILE on PRINTER and ends; a PRINTER
//                                    name ending in ".pdf" writes that PDF file
// "-p" and "-pt" are accepted for "/p" and "/pt".
#pragma once

#include <QString>
#include <QStringList>
#include <string>

namespace rova {

struct CommandContext;

struct CommandLineInfo {
    enum Shell { FileNothing, FileOpen, FileNew, FilePrint, FilePrintTo, Invalid };
    Shell shell = FileNothing;
    QString fileName;
    QString printerName;
    QString error;  // why the line is invalid
};

CommandLineInfo parseCommandLine(const QStringList& arguments);

inline constexpr const char* kCommandLineUsage =
    "usage: rova-editor [FILE | --new SOUND | /p FILE | /pt FILE PRINTER]";

// A command that the command line can run with its file already chosen: the
// registry's New Performance from Sound is one, so --new and the menu share it.
class CFileArgumentCommand {
public:
    virtual ~CFileArgumentCommand() = default;
    // True when the command did its work (the new performance is open).
    virtual bool executeWithFile(CommandContext& context, const std::string& path) = 0;
};

}  // namespace rova
