// Help ▸ Getting Started: the guide docs/getting-started.md (making a dance to
// one's own song in five minutes), shown rendered in a window of its own. It
// is read from the installed documentation beside the program, or from the
// source tree when the program runs from its build folder.
#include <QCoreApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileInfo>
#include <QTextBrowser>
#include <QVBoxLayout>

#include "commands/editor_commands.h"
#include "platform/messages.h"
#include "shell/editor_app.h"
#include "shell/main_frame.h"

namespace rova {
namespace {

constexpr const char* kGuideFile = "getting-started.md";
constexpr const char* kGuideTitle = "Getting Started";
constexpr const char* kMsgGuideMissing = "The guide getting-started.md is not installed with this copy of the program.";

class CGuideWindow : public QDialog {
public:
    CGuideWindow(const QString& path, QWidget* parent) : QDialog(parent) {
        setWindowTitle(kGuideTitle);
        setObjectName("gettingStarted");
        setAttribute(Qt::WA_DeleteOnClose);
        auto* layout = new QVBoxLayout(this);
        auto* text = new QTextBrowser(this);
        text->setObjectName("guide");
        text->setOpenExternalLinks(true);
        // The pictures sit beside the guide.
        text->setSearchPaths({QFileInfo(path).absolutePath()});
        text->setSource(QUrl::fromLocalFile(path), QTextDocument::MarkdownResource);
        layout->addWidget(text);
        auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
        QObject::connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::close);
        layout->addWidget(buttons);
        resize(860, 700);
    }
};

}  // namespace

QString gettingStartedPath() {
    const QStringList places = {
        QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral(ROVA_BIN_TO_DOC)),
        QStringLiteral(ROVA_SOURCE_DOCS_DIR),
    };
    for (const QString& place : places) {
        const QString path = QDir(place).filePath(kGuideFile);
        if (QFileInfo::exists(path)) return QDir::cleanPath(path);
    }
    return {};
}

void addGettingStartedCommand(CommandRegistry& registry) {
    registry.add(std::make_unique<CFunctionCommand>(
        CommandInfo{.id = ID_HELP_GETTING_STARTED,
                    .target = CommandTarget::Frame,
                    .text = "&Getting Started",
                    .prompt = "Make a dance to your own song in five minutes: a short guide\nGetting Started"},
        [](CommandContext& c) {
            const QString path = gettingStartedPath();
            if (path.isEmpty()) {
                c.app.ui().showMessage(kMsgGuideMissing);
                return;
            }
            (new CGuideWindow(path, &c.frame))->show();
        }));
}

}  // namespace rova
