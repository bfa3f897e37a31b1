// The player link and window: keys and joint drags go to the active view, the
// window's life cycle with the viewer, and its failure messages.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QPointer>
#include <QScreen>
#include <QTest>

#include "gui_support.h"
#include "player/player_link.h"
#include "player/player_window.h"
#include "player/window_messages.h"
#include "platform/messages.h"

using namespace rova;
using testing::ElementsAre;
using testing::IsEmpty;

namespace {

struct Client : PlayerClient {
    std::vector<int> keys;
    std::vector<std::pair<int, int>> joints;
    std::vector<bool> active;
    bool answer = true;
    void onKeyDown(int key) override { keys.push_back(key); }
    bool onViewerJointValue(int channel, int degrees) override {
        joints.emplace_back(channel, degrees);
        return answer;
    }
    void activeViewChanged(bool a) override { active.push_back(a); }
};

// Records the calls the player window makes of the viewer.
struct FakeViewer : ViewerApi {
    bool createFails = false;
    bool attachFails = false;
    int creates = 0;
    int destroys = 0;
    int live = 0;
    ViewerHost* host = nullptr;
    const void* cursor = nullptr;
    ViewerNotifyProc notify = nullptr;
    std::vector<std::pair<unsigned, std::uintptr_t>> messages;

    void* Create() override {
        ++creates;
        if (createFails) return nullptr;
        ++live;
        return new int(creates);
    }
    bool Attach(void*, ViewerHost* window) override {
        host = window;
        return !attachFails;
    }
    void Destroy(void* context) override {
        ++destroys;
        --live;
        if (host) host->destroyWindow();
        delete static_cast<int*>(context);
    }
    void SetCursor(void*, const void* c) override { cursor = c; }
    void SetNotifyProc(void*, ViewerNotifyProc proc) override { notify = proc; }
    bool HandleMessages(void*, ViewerHost*, unsigned message, std::uintptr_t wParam, std::intptr_t,
                        std::int32_t* result) override {
        messages.emplace_back(message, wParam);
        if (message == win::kWmKeyDown || message == win::kWmKeyUp) {
            *result = 0;
            return true;
        }
        return false;
    }
    int SetJoints(void*, const ViewerJointRange&) override { return 0; }
    void SelectJoint(void*, int) override {}
    void BeginMultiJoint(void*) override {}
    void EndMultiJoint(void*) override {}
    bool SetJointsVisible(void*, int, int, bool) override { return true; }

    std::vector<std::uintptr_t> keyDowns() const {
        std::vector<std::uintptr_t> out;
        for (auto& m : messages)
            if (m.first == win::kWmKeyDown) out.push_back(m.second);
        return out;
    }
};

class Player : public testing::Test {
protected:
    void SetUp() override {
        setViewerApi(&viewer);
        playerLink().setMessages(&ui);
        playerLink().beep = [this] { ++beeps; };
    }
    void TearDown() override {
        delete playerLink().playerWindow();
        playerLink().forgetView(playerLink().activeView());
        playerLink().setMessages(nullptr);
        playerLink().beep = nullptr;
        setViewerApi(nullptr);
    }
    FakeViewer viewer;
    RecordingMessages ui;
    int beeps = 0;
};

}  // namespace

TEST_F(Player, ArrowKeysGoToTheActiveViewOrBeep) {
    Client view;
    EXPECT_TRUE(playerLink().onViewerKey(win::kVkLeft));
    EXPECT_EQ(beeps, 1);
    playerLink().setActiveView(&view);
    for (int key : {win::kVkLeft, win::kVkUp, win::kVkRight, win::kVkDown}) EXPECT_TRUE(playerLink().onViewerKey(key));
    EXPECT_THAT(view.keys, ElementsAre(37, 38, 39, 40));
    for (int key : {win::kVkAdd, win::kVkSubtract, int('A'), win::kVkPrior}) EXPECT_FALSE(playerLink().onViewerKey(key));
    EXPECT_EQ(view.keys.size(), 4u);
    EXPECT_EQ(beeps, 1);
}

TEST_F(Player, JointNotifyLetsPawsAndEarsMoveAndAsksTheActiveViewForChannels) {
    EXPECT_TRUE(CPlayerLink::jointNotify(nullptr, 18, 10));
    EXPECT_TRUE(CPlayerLink::jointNotify(nullptr, 23, -10));
    EXPECT_FALSE(CPlayerLink::jointNotify(nullptr, 4, 10));  // no active view
    Client view;
    playerLink().setActiveView(&view);
    EXPECT_TRUE(CPlayerLink::jointNotify(nullptr, 4, 12));
    view.answer = false;
    EXPECT_FALSE(CPlayerLink::jointNotify(nullptr, 17, -3));
    EXPECT_TRUE(CPlayerLink::jointNotify(nullptr, 20, 7));
    EXPECT_THAT(view.joints, ElementsAre(std::pair(4, 12), std::pair(17, -3)));
}

TEST_F(Player, ActiveViewChangesTellBothViewsAndAGoneViewLeaves) {
    Client a, b;
    playerLink().setActiveView(&a);
    playerLink().setActiveView(&a);
    playerLink().setActiveView(&b);
    EXPECT_THAT(a.active, ElementsAre(true, false));
    EXPECT_THAT(b.active, ElementsAre(true));
    playerLink().forgetView(&a);
    EXPECT_EQ(playerLink().activeView(), &b);
    playerLink().forgetView(&b);
    EXPECT_EQ(playerLink().activeView(), nullptr);
}

TEST_F(Player, ShowPlayerMakesTheVirtualRovaWindowNearTheTopRight) {
    EXPECT_EQ(playerLink().getViewer(), nullptr);
    playerLink().showPlayer();
    CPlayerWindow* window = playerLink().playerWindow();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window->windowTitle(), "Virtual ROVA");
    EXPECT_TRUE(window->windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(window->size(), QSize(300, 300));
    const int screenWidth = QGuiApplication::primaryScreen()->geometry().width();
    EXPECT_EQ(window->frameGeometry().topLeft(), QPoint(screenWidth - 400, 10));
    EXPECT_FALSE(window->windowIcon().isNull());
    EXPECT_EQ(window->cursor().hotSpot(), QPoint(1, 1));
    EXPECT_NE(playerLink().getViewer(), nullptr);
    EXPECT_EQ(viewer.cursor, &window->dragCursor());
    EXPECT_EQ(viewer.notify, &CPlayerLink::jointNotify);
    // A second Show Player shows the same window.
    playerLink().showPlayer();
    EXPECT_EQ(playerLink().playerWindow(), window);
    EXPECT_EQ(viewer.creates, 1);
}

TEST_F(Player, ClosingDestroysTheViewerAndShowPlayerMakesANewOne) {
    playerLink().showPlayer();
    QPointer<CPlayerWindow> window = playerLink().playerWindow();
    window->close();
    EXPECT_EQ(playerLink().playerWindow(), nullptr);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(window.isNull());
    EXPECT_EQ(viewer.destroys, 1);
    EXPECT_EQ(viewer.live, 0);
    playerLink().showPlayer();
    EXPECT_NE(playerLink().playerWindow(), nullptr);
    EXPECT_EQ(viewer.creates, 2);
}

TEST_F(Player, KeysInTheWindowReachTheActiveViewOrTheViewer) {
    Client view;
    playerLink().setActiveView(&view);
    playerLink().showPlayer();
    CPlayerWindow* window = playerLink().playerWindow();
    QTest::keyClick(window, Qt::Key_Left);
    QTest::keyClick(window, Qt::Key_Right);
    QTest::keyClick(window, Qt::Key_Plus, Qt::KeypadModifier);
    QTest::keyClick(window, Qt::Key_Minus, Qt::KeypadModifier);
    EXPECT_THAT(view.keys, ElementsAre(win::kVkLeft, win::kVkRight));
    EXPECT_THAT(viewer.keyDowns(), ElementsAre(win::kVkAdd, win::kVkSubtract));
}

TEST_F(Player, MouseMessagesCarryTheirButtonsAndTheSecondPressOfADoubleClickIsNoPress) {
    playerLink().showPlayer();
    CPlayerWindow* window = playerLink().playerWindow();
    auto mouse = [this] {
        std::vector<std::pair<unsigned, std::uintptr_t>> out;
        for (auto& m : viewer.messages)
            if (m.first >= win::kWmLButtonDown && m.first <= win::kWmRButtonDblClk) out.push_back(m);
        viewer.messages.clear();
        return out;
    };
    mouse();
    QTest::mousePress(window, Qt::LeftButton, Qt::ShiftModifier, QPoint(10, 20));
    QTest::mouseRelease(window, Qt::LeftButton, Qt::ShiftModifier, QPoint(10, 20));
    EXPECT_THAT(mouse(), ElementsAre(std::pair(win::kWmLButtonDown, win::kMkLButton | win::kMkShift),
                                     std::pair(win::kWmLButtonUp, win::kMkShift)));
    rova::test::doubleClick(window, QPoint(10, 20));
    EXPECT_THAT(mouse(), ElementsAre(std::pair(win::kWmLButtonDown, win::kMkLButton), std::pair(win::kWmLButtonUp, 0u),
                                     std::pair(win::kWmLButtonDblClk, win::kMkLButton),
                                     std::pair(win::kWmLButtonUp, 0u)));
}

TEST_F(Player, FailuresShowTheirMessageAndLeaveNoWindow) {
    viewer.createFails = true;
    playerLink().showPlayer();
    EXPECT_EQ(playerLink().playerWindow(), nullptr);
    EXPECT_THAT(ui.messages, ElementsAre("DirectX failure - please upgrade to version 6 or better"));

    viewer.createFails = false;
    viewer.attachFails = true;
    ui.messages.clear();
    playerLink().showPlayer();
    EXPECT_EQ(playerLink().playerWindow(), nullptr);
    EXPECT_THAT(ui.messages, ElementsAre("Virtual Rova - attach error"));
    EXPECT_EQ(viewer.destroys, 1);
    EXPECT_EQ(viewer.live, 0);
}

TEST(VirtualKeys, QtKeysMapToTheViewersCodes) {
    struct Row {
        int key;
        Qt::KeyboardModifiers modifiers;
        int vk;
    };
    const Row rows[] = {
        {Qt::Key_Left, {}, 0x25},     {Qt::Key_Down, {}, 0x28},         {Qt::Key_A, {}, 'A'},
        {Qt::Key_5, {}, '5'},         {Qt::Key_5, Qt::KeypadModifier, 0x65}, {Qt::Key_Plus, Qt::KeypadModifier, 0x6B},
        {Qt::Key_Minus, Qt::KeypadModifier, 0x6D}, {Qt::Key_Escape, {}, 0x1B}, {Qt::Key_F1, {}, 0x70},
        {Qt::Key_PageUp, {}, 0x21},   {Qt::Key_Space, {}, 0x20},       {Qt::Key_Shift, {}, 0x10},
    };
    for (const Row& r : rows) EXPECT_EQ(win::virtualKeyFromQt(r.key, r.modifiers), r.vk) << r.key;
    EXPECT_EQ(win::makeLParam(10, 20), 0x0014000A);
    EXPECT_EQ(win::makeLParam(-1, 3), 0x0003FFFF);
}

// The program's own viewer, the VirtRova library, in the player window.
TEST(PlayerWithTheLibrary, PaintsTheModelFollowsJointsAndEndsWithTheWindow) {
    RecordingMessages ui;
    playerLink().setMessages(&ui);
    playerLink().showPlayer();
    CPlayerWindow* window = playerLink().playerWindow();
    ASSERT_NE(window, nullptr) << (ui.messages.empty() ? "" : ui.messages.front());
    ASSERT_NE(playerLink().getViewer(), nullptr);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window));
    window->repaint();
    const QImage rest = window->presentedImage();
    ASSERT_EQ(rest.size(), QSize(300, 300));
    int lit = 0;  // pixels of the model against the background
    for (int y = 0; y < rest.height(); ++y)
        for (int x = 0; x < rest.width(); ++x) lit += rest.pixel(x, y) != rest.pixel(0, 0);
    EXPECT_GT(lit, 3000);

    std::int32_t values[2] = {60, -60};  // head turned and tilted
    ViewerJointRange range{0, 2, values};
    EXPECT_EQ(viewerApi().SetJoints(playerLink().getViewer(), range), 2);
    window->repaint();
    EXPECT_NE(window->presentedImage(), rest);

    window->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(playerLink().getViewer(), nullptr);
    EXPECT_TRUE(ui.messages.empty());
    playerLink().setMessages(nullptr);
}
