// The Dancing menu and the insertion of a dance step at the view's selection.
#include <QMenu>

#include "app/document.h"
#include "app/main_frame.h"
#include "dance/dance_insert.h"
#include "view/main_view.h"

namespace rova {

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

void CMainView::onDanceStep(int id) {
    const DanceStep* step = danceStepForCommand(id);
    if (!step) return;
    CMainDoc& doc = document().doc();
    if (!hasSelection()) {
        doc.ui().showMessage("Select where you would like the dance step to start and try again");
        return;
    }
    if (doc.motion().kind() != MOTION_FULL_BODY) {
        doc.ui().showMessage("A full-body motion track is needed to add Dance steps");
        return;
    }
    if (writeDanceStep(doc.motion(), *step, m_selStart) > 0) doc.ui().showMessage("Partial dance step inserted");
    setTimeSelection(m_selStart, step->frameCount);
    document().updateAllViews(HINT_REPAINT);
    doc.setModifiedFlag(true);
}

}  // namespace rova
