#include "player/player_window.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPainter>
#include <QStyleHints>
#include <QTimer>
#include <QWheelEvent>
#include <cstdlib>
#include <memory>

#include "platform/qt_messages.h"
#include "player/player_link.h"
#include "player/window_messages.h"
#include "res/icons.h"

namespace rova {
namespace {

constexpr std::string_view kMsgWindowCreate = "Window create error";
constexpr std::string_view kMsgNoViewer = "DirectX failure - please upgrade to version 6 or better";
constexpr std::string_view kMsgAttach = "Virtual Rova - attach error";

void tell(CPlayerLink& link, std::string_view text) {
    if (MessageInterface* ui = link.messages()) {
        ui->showMessage(text);
    } else {
        QtMessages boxes;
        boxes.showMessage(text);
    }
}

}  // namespace

CPlayerWindow::CPlayerWindow(CPlayerLink& link)
    : QWidget(nullptr, Qt::Window | Qt::WindowStaysOnTopHint), m_link(link), m_dragCursor(res::dragCursor()), m_cursor(&m_dragCursor) {
    setAttribute(Qt::WA_DeleteOnClose);
    // The viewer paints every pixel; there is no background to erase.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_NoSystemBackground);
    setWindowTitle("Virtual ROVA");
    setWindowIcon(res::playerIcon());
    QWidget::setCursor(m_dragCursor);
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
}

CPlayerWindow* CPlayerWindow::create(const QRect& rect, CPlayerLink& link) {
    // Ours until the viewer is attached; then the window deletes itself on close.
    std::unique_ptr<CPlayerWindow> window(new CPlayerWindow(link));
    window->move(rect.topLeft());
    window->resize(rect.size());
    window->show();
    if (!window->windowHandle()) {
        tell(link, kMsgWindowCreate);
        return nullptr;
    }
    ViewerApi& api = viewerApi();
    auto destroy = [&api](void* context) { api.Destroy(context); };
    // Declared after the window, so a failed attach destroys the viewer first.
    std::unique_ptr<void, decltype(destroy)> viewer(api.Create(), destroy);
    if (!viewer) {
        tell(link, kMsgNoViewer);
        return nullptr;
    }
    if (!api.Attach(viewer.get(), window.get())) {
        tell(link, kMsgAttach);
        return nullptr;
    }
    window->m_viewer = viewer.release();
    api.SetCursor(window->m_viewer, &window->m_dragCursor);
    api.SetNotifyProc(window->m_viewer, &CPlayerLink::jointNotify);
    window->update();
    return window.release();
}

CPlayerWindow::~CPlayerWindow() {
    m_closing = true;
    if (m_link.m_window == this) m_link.m_window = nullptr;
    if (m_viewer) viewerApi().Destroy(m_viewer);
}

bool CPlayerWindow::send(unsigned message, std::uintptr_t wParam, std::intptr_t lParam) {
    if (!m_viewer) return false;
    std::int32_t result = 0;
    return viewerApi().HandleMessages(m_viewer, this, message, wParam, lParam, &result);
}

bool CPlayerWindow::sendCamera(unsigned message, std::uintptr_t wParam, std::intptr_t lParam) {
    return m_viewer && viewerApi().HandleCameraInput(m_viewer, this, message, wParam, lParam);
}

std::uintptr_t CPlayerWindow::mouseFlags(Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers) const {
    std::uintptr_t flags = 0;
    if (buttons & Qt::LeftButton) flags |= win::kMkLButton;
    if (buttons & Qt::RightButton) flags |= win::kMkRButton;
    if (buttons & Qt::MiddleButton) flags |= win::kMkMButton;
    if (modifiers & Qt::ShiftModifier) flags |= win::kMkShift;
    if (modifiers & Qt::ControlModifier) flags |= win::kMkControl;
    return flags;
}

void CPlayerWindow::clientSize(int& width, int& height) const {
    width = QWidget::width();
    height = QWidget::height();
}

void CPlayerWindow::present(const std::uint8_t* rgba, int width, int height, int stride) {
    m_image = QImage(rgba, width, height, stride, QImage::Format_RGBA8888).copy();
    if (!m_painting) update();
}

void CPlayerWindow::invalidate() { update(); }

void CPlayerWindow::captureMouse() {
    if (isVisible()) grabMouse();
}

void CPlayerWindow::releaseMouse() {
    if (QWidget::mouseGrabber() == this) QWidget::releaseMouse();
}

void CPlayerWindow::setCursor(const void* cursor) {
    m_cursor = cursor;
    if (!cursor)
        QWidget::setCursor(Qt::BlankCursor);
    else if (cursor == kArrowCursor)
        QWidget::setCursor(Qt::ArrowCursor);
    else
        QWidget::setCursor(*static_cast<const QCursor*>(cursor));
}

std::int16_t CPlayerWindow::asyncKeyState(int key) const {
    bool down = false;
    switch (key) {
    case win::kVkShift: down = QGuiApplication::queryKeyboardModifiers() & Qt::ShiftModifier; break;
    case win::kVkControl: down = QGuiApplication::queryKeyboardModifiers() & Qt::ControlModifier; break;
    case win::kVkMenu: down = QGuiApplication::queryKeyboardModifiers() & Qt::AltModifier; break;
    case win::kVkLButton: down = QGuiApplication::mouseButtons() & Qt::LeftButton; break;
    case win::kVkRButton: down = QGuiApplication::mouseButtons() & Qt::RightButton; break;
    case win::kVkMButton: down = QGuiApplication::mouseButtons() & Qt::MiddleButton; break;
    default: down = m_keysDown.count(key) > 0; break;
    }
    return down ? static_cast<std::int16_t>(-0x8000) : std::int16_t{0};
}

void CPlayerWindow::destroyWindow() {
    // Only a failed attach gets here outside the destructor; create() then deletes us.
    if (m_closing || m_destroyed) return;
    m_destroyed = true;
    hide();
}

void CPlayerWindow::messageBox(std::string_view text, std::string_view caption) {
    QMessageBox box(QMessageBox::Warning, QString::fromUtf8(caption.data(), static_cast<qsizetype>(caption.size())),
                    QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())), QMessageBox::Ok, this);
    box.exec();
}

void CPlayerWindow::postQuit(int) {
    // Only the player window ends: the performances stay open in the editor.
    QTimer::singleShot(0, this, &QWidget::close);
}

void CPlayerWindow::paintEvent(QPaintEvent*) {
    m_painting = true;
    send(win::kWmPaint, 0, 0);
    m_painting = false;
    QPainter p(this);
    if (m_image.isNull())
        p.fillRect(rect(), Qt::black);
    else
        p.drawImage(0, 0, m_image);
}

void CPlayerWindow::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    send(win::kWmSize, isMaximized() ? 2 : 0, win::makeLParam(width(), height()));
}

void CPlayerWindow::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::ActivationChange)
        send(win::kWmActivate, isActiveWindow() ? win::kWaActive : win::kWaInactive, 0);
}

void CPlayerWindow::closeEvent(QCloseEvent* event) {
    // The window is deleted soon after; from now on nobody reaches it.
    if (m_link.m_window == this) m_link.m_window = nullptr;
    QWidget::closeEvent(event);
}

void CPlayerWindow::keyPressEvent(QKeyEvent* event) {
    const int key = win::virtualKeyFromQt(event->key(), event->modifiers());
    if (key) m_keysDown.insert(key);
    if (key && m_link.onViewerKey(key)) return;
    // The editor's keys work here as in its main window. The keypad's keys
    // (the camera's plus and minus) and the modifiers stay with the viewer.
    const bool modifier = event->key() == Qt::Key_Shift || event->key() == Qt::Key_Control ||
                          event->key() == Qt::Key_Alt || event->key() == Qt::Key_Meta;
    if (!modifier && !event->modifiers().testFlag(Qt::KeypadModifier) && m_link.editorKeys && m_link.editorKeys(*event))
        return;
    // lParam: repeat count 1, bit 30 set for an auto-repeated key.
    const std::intptr_t lParam = 1 | (event->isAutoRepeat() ? (1 << 30) : 0);
    if (key && send(win::kWmKeyDown, static_cast<std::uintptr_t>(key), lParam)) return;
    QWidget::keyPressEvent(event);
}

void CPlayerWindow::keyReleaseEvent(QKeyEvent* event) {
    const int key = win::virtualKeyFromQt(event->key(), event->modifiers());
    if (key) m_keysDown.erase(key);
    if (key && send(win::kWmKeyUp, static_cast<std::uintptr_t>(key), 1 | (3 << 30))) return;
    QWidget::keyReleaseEvent(event);
}

void CPlayerWindow::mousePressEvent(QMouseEvent* event) {
    const QPoint at = event->position().toPoint();
    // The same test the toolkit makes before it adds a double-click event.
    const QStyleHints* hints = QGuiApplication::styleHints();
    const int distance = hints->mouseDoubleClickDistance();
    const bool secondOfDouble = m_lastPressTime && event->button() == m_lastPressButton &&
                                event->timestamp() - *m_lastPressTime < std::uint64_t(hints->mouseDoubleClickInterval()) &&
                                std::abs(at.x() - m_lastPressPos.x()) <= distance &&
                                std::abs(at.y() - m_lastPressPos.y()) <= distance;
    if (secondOfDouble) {
        m_lastPressTime.reset();  // a third press starts anew
        return;                   // the double-click event follows
    }
    m_lastPressTime = event->timestamp();
    m_lastPressButton = event->button();
    m_lastPressPos = at;
    const unsigned message = event->button() == Qt::LeftButton     ? win::kWmLButtonDown
                             : event->button() == Qt::RightButton  ? win::kWmRButtonDown
                             : event->button() == Qt::MiddleButton ? win::kWmMButtonDown
                                                                   : 0;
    const std::uintptr_t flags = mouseFlags(event->buttons(), event->modifiers());
    const std::intptr_t where = win::makeLParam(at.x(), at.y());
    if (message && (sendCamera(message, flags, where) || send(message, flags, where))) return;
    QWidget::mousePressEvent(event);
}

void CPlayerWindow::mouseReleaseEvent(QMouseEvent* event) {
    // Whatever the viewer does with the release, a joint drag ends with it.
    struct DragEnd {
        ~DragEnd() { playerLink().onViewerMouseReleased(); }
    } dragEnd;
    const QPoint at = event->position().toPoint();
    const unsigned message = event->button() == Qt::LeftButton     ? win::kWmLButtonUp
                             : event->button() == Qt::RightButton  ? win::kWmRButtonUp
                             : event->button() == Qt::MiddleButton ? win::kWmMButtonUp
                                                                   : 0;
    const std::uintptr_t flags = mouseFlags(event->buttons(), event->modifiers());
    const std::intptr_t where = win::makeLParam(at.x(), at.y());
    if (message && (sendCamera(message, flags, where) || send(message, flags, where))) return;
    QWidget::mouseReleaseEvent(event);
}

void CPlayerWindow::mouseDoubleClickEvent(QMouseEvent* event) {
    // The second press of a double click arrives as its own message, as the
    // window class asks for double clicks.
    const QPoint at = event->position().toPoint();
    const unsigned message = event->button() == Qt::LeftButton    ? win::kWmLButtonDblClk
                             : event->button() == Qt::RightButton ? win::kWmRButtonDblClk
                                                                  : 0;
    const std::uintptr_t flags = mouseFlags(event->buttons(), event->modifiers());
    const std::intptr_t where = win::makeLParam(at.x(), at.y());
    // A double click on empty space puts the camera back; on the model it is the viewer's.
    if (message && !sendCamera(message, flags, where)) send(message, flags, where);
    // Not the base class: it would pass the event on as a press.
    event->accept();
}

void CPlayerWindow::mouseMoveEvent(QMouseEvent* event) {
    const QPoint at = event->position().toPoint();
    const std::uintptr_t flags = mouseFlags(event->buttons(), event->modifiers());
    const std::intptr_t where = win::makeLParam(at.x(), at.y());
    if (sendCamera(win::kWmMouseMove, flags, where) || send(win::kWmMouseMove, flags, where)) return;
    QWidget::mouseMoveEvent(event);
}

void CPlayerWindow::wheelEvent(QWheelEvent* event) {
    const QPoint at = event->position().toPoint();
    const int delta = event->angleDelta().y();
    const std::uintptr_t wParam = (static_cast<std::uintptr_t>(static_cast<std::uint16_t>(delta)) << 16) |
                                  mouseFlags(event->buttons(), event->modifiers());
    if (delta != 0 && sendCamera(win::kWmMouseWheel, wParam, win::makeLParam(at.x(), at.y()))) {
        event->accept();
        return;
    }
    QWidget::wheelEvent(event);
}

}  // namespace rova
