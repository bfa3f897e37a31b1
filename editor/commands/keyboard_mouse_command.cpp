// Help ▸ Keyboard and Mouse: a window listing every key of the commands and
// every mouse gesture and key of the timeline (see keyboard_mouse.h).
#include <QDialog>
#include <QDialogButtonBox>
#include <QHeaderView>
#include <QKeySequence>
#include <QTableWidget>
#include <QVBoxLayout>
#include <set>

#include "commands/editor_commands.h"
#include "commands/keyboard_mouse.h"
#include "shell/main_frame.h"
#include "view/main_view.h"

namespace rova {
namespace {

constexpr const char* kTimelineSection = "Timeline";
constexpr const char* kWindowTitle = "Keyboard and Mouse";

// The keys that run a command. A key written in a menu text but missing from
// the keys does nothing (Print's Ctrl+P) or is the view's own (Smooth's S,
// listed with the timeline's keys), so only the keys themselves count.
QString keysOf(const CCommand& command) {
    QStringList keys;
    for (const QKeyCombination& key : command.info().keys) keys << QKeySequence(key).toString(QKeySequence::NativeText);
    return keys.join(", ");
}

class CKeyboardMouseDialog : public QDialog {
public:
    CKeyboardMouseDialog(const std::vector<HelpRow>& rows, QWidget* parent) : QDialog(parent) {
        setWindowTitle(kWindowTitle);
        setAttribute(Qt::WA_DeleteOnClose);
        auto* layout = new QVBoxLayout(this);
        auto* table = new QTableWidget(static_cast<int>(rows.size()), 3, this);
        table->setObjectName("shortcuts");
        table->setHorizontalHeaderLabels({"Where", "Key or mouse", "Does"});
        table->verticalHeader()->hide();
        table->setEditTriggers(QAbstractItemView::NoEditTriggers);
        table->setSelectionBehavior(QAbstractItemView::SelectRows);
        table->setWordWrap(true);
        for (int i = 0; i < static_cast<int>(rows.size()); ++i) {
            const HelpRow& row = rows[static_cast<std::size_t>(i)];
            table->setItem(i, 0, new QTableWidgetItem(row.section));
            table->setItem(i, 1, new QTableWidgetItem(row.input));
            table->setItem(i, 2, new QTableWidgetItem(row.action));
        }
        table->resizeColumnToContents(0);
        table->resizeColumnToContents(1);
        table->horizontalHeader()->setSectionResizeMode(2, QHeaderView::Stretch);
        table->resizeRowsToContents();
        layout->addWidget(table);
        auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
        QObject::connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::close);
        layout->addWidget(buttons);
        resize(760, 560);
    }
};

}  // namespace

QString commandName(const char* menuText) {
    QString name = QString::fromUtf8(menuText ? menuText : "");
    if (const qsizetype tab = name.indexOf('\t'); tab >= 0) name.truncate(tab);
    name.replace("&&", "\x01");
    name.remove('&');
    name.replace("\x01", "&");
    return name;
}

std::vector<HelpRow> keyboardAndMouseRows(const CommandRegistry& registry) {
    std::vector<HelpRow> rows;
    std::set<int> listed;
    auto add = [&](const QString& section, int id) {
        const CCommand* command = registry.find(id);
        if (!command || listed.count(id)) return;
        const QString keys = keysOf(*command);
        if (keys.isEmpty()) return;
        listed.insert(id);
        rows.push_back({section, keys, commandName(command->info().text)});
    };
    for (const MenuPopup& popup : registry.performanceMenu)
        for (const MenuItem& item : popup.items) add(commandName(popup.title), item.id);
    // Commands with keys that stand in no menu.
    for (const auto& [id, command] : registry.all()) add("Other", id);
    for (const CMainView::Gesture& gesture : CMainView::gestures())
        rows.push_back({kTimelineSection, QString::fromUtf8(gesture.input), QString::fromUtf8(gesture.action)});
    return rows;
}

void addKeyboardMouseCommand(CommandRegistry& registry) {
    registry.add(std::make_unique<CFunctionCommand>(
        CommandInfo{.id = ID_HELP_KEYBOARD_MOUSE,
                    .target = CommandTarget::Frame,
                    .text = "&Keyboard and Mouse",
                    .prompt = "List every key and mouse gesture\nKeyboard and Mouse"},
        [](CommandContext& c) {
            auto* dialog = new CKeyboardMouseDialog(keyboardAndMouseRows(c.frame.commands()), &c.frame);
            dialog->setObjectName("keyboardAndMouse");
            dialog->show();
        }));
}

}  // namespace rova
