// The player window's camera with the program's own viewer: the mouse orbits,
// pans and zooms it, and Reset Camera or a double click on empty space brings
// back the very picture of the start.
#include <gtest/gtest.h>

#include <QTest>
#include <QWheelEvent>

#include "gui_support.h"
#include "player/player_link.h"
#include "player/player_window.h"
#include "platform/messages.h"

using namespace rova;

namespace {

class PlayerCamera : public testing::Test {
protected:
    void SetUp() override {
        playerLink().setMessages(&ui);
        playerLink().showPlayer();
        window = playerLink().playerWindow();
        ASSERT_NE(window, nullptr);
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window));
        rest = picture();
    }
    void TearDown() override {
        delete playerLink().playerWindow();
        playerLink().setMessages(nullptr);
    }
    QImage picture() {
        window->repaint();
        return window->presentedImage();
    }
    ViewerCamera camera() {
        ViewerCamera c;
        EXPECT_TRUE(viewerApi().GetCamera(playerLink().getViewer(), c));
        return c;
    }
    void wheel(int delta) {
        const QPointF at(150, 150);
        QWheelEvent event(at, window->mapToGlobal(at), QPoint(), QPoint(0, delta), Qt::NoButton, Qt::NoModifier,
                          Qt::NoScrollPhase, false);
        QCoreApplication::sendEvent(window, &event);
    }
    void middleDrag(QPoint from, QPoint to, Qt::KeyboardModifiers modifiers = {}) {
        QTest::mousePress(window, Qt::MiddleButton, modifiers, from);
        QMouseEvent move(QEvent::MouseMove, to, window->mapToGlobal(to), Qt::NoButton, Qt::MiddleButton, modifiers);
        QCoreApplication::sendEvent(window, &move);
        QTest::mouseRelease(window, Qt::MiddleButton, modifiers, to);
    }

    RecordingMessages ui;
    CPlayerWindow* window = nullptr;
    QImage rest;
};

TEST_F(PlayerCamera, MiddleDragOrbitsAndResetCameraRestoresThePicturePixelForPixel) {
    middleDrag(QPoint(150, 150), QPoint(190, 150));
    EXPECT_FLOAT_EQ(camera().yaw, -20.0f);
    EXPECT_NE(picture(), rest);
    playerLink().resetCamera();
    EXPECT_EQ(camera().yaw, 0.0f);
    EXPECT_EQ(picture(), rest);
}

TEST_F(PlayerCamera, ShiftMiddleDragPansAndTheWheelZooms) {
    middleDrag(QPoint(150, 150), QPoint(150, 170), Qt::ShiftModifier);
    EXPECT_GT(camera().y, 0.0f);
    EXPECT_EQ(camera().yaw, 0.0f);
    wheel(120);
    EXPECT_FLOAT_EQ(camera().distance, 45.0f);
    EXPECT_NE(picture(), rest);
    // A double click where the model is not puts the camera back.
    rova::test::doubleClick(window, QPoint(5, 5));
    EXPECT_EQ(picture(), rest);
}

}  // namespace
