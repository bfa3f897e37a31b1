// The Dancing menu and inserting a dance step at the selection.
#include <QMenu>

#include "shell/main_frame.h"
#include "dance/dance_steps.h"
#include "view/view_support.h"

using namespace rova;
using namespace rova::test;
using testing::ElementsAre;
using testing::IsEmpty;

namespace {

const DanceStep& stepNamed(const char* name, int& id) {
    const auto& steps = danceSteps();
    for (std::size_t i = 0; i < steps.size(); ++i)
        if (steps[i].name && std::string(steps[i].name) == name) {
            id = ID_DANCE_FIRST + static_cast<int>(i);
            return steps[i];
        }
    throw std::runtime_error(name);
}

}  // namespace

TEST(DancingMenu, FilledOnceWithTheCategories) {
    Editor e;
    e.open("A");
    QMenu* popup = e.app.mainFrame()->dancingPopup();
    ASSERT_NE(popup, nullptr);
    auto titles = [&] {
        QStringList t;
        for (QAction* a : popup->actions()) t << a->text();
        return t;
    };
    EXPECT_EQ(titles(), QStringList({"Sitting", "Standing", "Sleeping", "Change", "Other"}));
    int items = 0;
    for (QAction* a : popup->actions())
        for (QAction* item : a->menu()->actions()) items += item->isSeparator() ? 0 : 1;
    int named = 0;
    for (const auto& s : danceSteps()) named += s.name != nullptr;
    EXPECT_EQ(items, named);
    const QString first = popup->actions()[3]->menu()->actions()[0]->text();
    EXPECT_EQ(first, "Sit to Stand");
    e.open("B");
    EXPECT_EQ(popup->actions().size(), 5);
}

TEST(DanceInsert, AtStepZeroOnAKeyframeEveryStep) {
    Editor e;
    int id;
    const DanceStep& step = stepNamed("RPawJive_END", id);
    CMainView& v = e.open("P", 40);
    CMotionTrack& m = v.document().doc().motion();
    const std::int32_t first = m.value(0, HeadY);
    v.onLButtonDown({74, 0}, false);
    ASSERT_TRUE(e.app.mainFrame()->executeCommand(id));
    EXPECT_THAT(e.ui.messages, IsEmpty());
    EXPECT_EQ(m.value(0, HeadY), first);  // the first keyframe keeps its values
    for (int f = 1; f < step.frameCount; ++f)
        for (int c = 0; c < kChannelCount; ++c) ASSERT_EQ(m.value(f, c), step.frame(f)[c]) << f << " " << c;
    EXPECT_EQ(v.selStart(), 0);
    EXPECT_EQ(v.selLength(), step.frameCount);
    EXPECT_TRUE(v.document().doc().isModified());
}

TEST(DanceInsert, PastTheEndIsPartialAndSaysSoOnce) {
    Editor e;
    int id;
    const DanceStep& step = stepNamed("WIN3", id);
    ASSERT_EQ(step.frameCount, 77);
    CMainView& v = e.open("P", 14);  // 65 ticks: steps 0..13
    v.setTimeSelection(0, 0);
    runOn(v, ID_EDIT_SELECT_ALL);
    v.setTimeSelection(10, 1);
    e.app.mainFrame()->executeCommand(id);
    EXPECT_THAT(e.ui.messages, ElementsAre("Partial dance step inserted"));
    CMotionTrack& m = v.document().doc().motion();
    EXPECT_EQ(m.value(12, TailX), step.frame(2)[TailX]);
    EXPECT_EQ(m.value(13, TailX), 14 * 1000 * 18);  // the last keyframe keeps its values
    EXPECT_EQ(v.selLength(), 77);
}

TEST(DanceInsert, Refusals) {
    Editor e;
    int id;
    stepNamed("Boxing", id);
    CMainView& full = e.open("F");
    e.app.mainFrame()->executeCommand(id);
    CMainView& head = e.openMotion("H", MotionImage::of(0, 4, 8));
    runOn(head, ID_EDIT_SELECT_ALL);
    e.app.mainFrame()->executeCommand(id);
    EXPECT_THAT(e.ui.messages, ElementsAre("Select where you would like the dance step to start and try again",
                                           "A full-body motion track is needed to add Dance steps"));
    EXPECT_FALSE(full.document().doc().isModified());
    EXPECT_FALSE(head.document().doc().motion().isModified());
    // Ids without a step are disabled.
    EXPECT_FALSE(e.app.mainFrame()->commandState(ID_DANCE_LAST).enabled);
}
