// The Dancing menu: one command per step of the dance library, inserting it
// at the selection start of a full-body motion.
#include <QMenu>

#include "commands/editor_commands.h"
#include "dance/dance_insert.h"
#include "shell/document.h"
#include "shell/main_frame.h"
#include "view/main_view.h"

namespace rova {
namespace {

class CDanceStepCommand : public CViewCommand {
public:
    CDanceStepCommand(int id, const DanceStep& step)
        : CViewCommand({.id = id, .text = step.name, .verbs = {}}), m_step(step) {}

    void onExecute(CMainView& view) override {
        CMainDoc& doc = view.doc();
        if (!view.hasSelection()) {
            doc.ui().showMessage("Select where you would like the dance step to start and try again");
            return;
        }
        if (doc.motion().kind() != MOTION_FULL_BODY) {
            doc.ui().showMessage("A full-body motion track is needed to add Dance steps");
            return;
        }
        view.beginEdit("Dance Step");
        if (writeDanceStep(doc.motion(), m_step, view.selStart()) > 0)
            doc.ui().showMessage("Partial dance step inserted");
        view.setTimeSelection(view.selStart(), m_step.frameCount);
        view.endEdit();
        view.document().updateAllViews(HINT_REPAINT);
        doc.setModifiedFlag(true);
    }

private:
    const DanceStep& m_step;
};

void buildDancingMenu(CMainFrame& frame, QMenu& popup) {
    std::vector<QMenu*> categories;
    for (std::string_view name : kDanceCategoryNames)
        categories.push_back(popup.addMenu(QString::fromLatin1(name.data(), static_cast<qsizetype>(name.size()))));
    const auto& steps = danceSteps();
    for (std::size_t i = 0; i < steps.size(); ++i) {
        QMenu* menu = categories[static_cast<std::size_t>(steps[i].category)];
        if (steps[i].name)
            frame.addCommandItem(menu, ID_DANCE_FIRST + static_cast<int>(i), QString::fromLatin1(steps[i].name));
        else
            menu->addSeparator();
    }
}

}  // namespace

void addDanceCommands(CommandRegistry& registry) {
    const auto& steps = danceSteps();
    for (std::size_t i = 0; i < steps.size(); ++i)
        if (steps[i].name)
            registry.add(std::make_unique<CDanceStepCommand>(ID_DANCE_FIRST + static_cast<int>(i), steps[i]));
    registry.dancingMenuBuilder = buildDancingMenu;
}

}  // namespace rova
