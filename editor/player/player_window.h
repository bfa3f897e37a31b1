// The "Virtual ROVA" window: a top-level window, always on top, that hosts the
// viewer. It owns the viewer context, turns its Qt events into the window
// messages the viewer expects, and offers the viewer the host services.
#pragma once

#include <QCursor>
#include <QImage>
#include <QWidget>
#include <optional>
#include <set>

#include "player/viewer_api.h"

namespace rova {

class CPlayerLink;

class CPlayerWindow : public QWidget, public ViewerHost {
public:
    // Creates the window on rect (outer frame), shows it and attaches a viewer.
    // On failure the message has been shown, nothing is left and the result is null.
    static CPlayerWindow* create(const QRect& rect, CPlayerLink& link);
    ~CPlayerWindow() override;

    void* viewer() const { return m_viewer; }
    const QCursor& dragCursor() const { return m_dragCursor; }
    // The last image the viewer presented.
    const QImage& presentedImage() const { return m_image; }

    // ViewerHost
    void clientSize(int& width, int& height) const override;
    void present(const std::uint8_t* rgba, int width, int height, int stride) override;
    void invalidate() override;
    void captureMouse() override;
    void releaseMouse() override;
    void setCursor(const void* cursor) override;
    const void* getCursor() const override { return m_cursor; }
    std::int16_t asyncKeyState(int virtualKey) const override;
    void destroyWindow() override;
    void messageBox(std::string_view text, std::string_view caption) override;
    void postQuit(int exitCode) override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

private:
    explicit CPlayerWindow(CPlayerLink& link);
    // The viewer's handling of a message; false when the default handling applies.
    bool send(unsigned message, std::uintptr_t wParam, std::intptr_t lParam);
    // The viewer's camera input (orbit, pan, zoom), offered first; true when taken.
    bool sendCamera(unsigned message, std::uintptr_t wParam, std::intptr_t lParam);
    std::uintptr_t mouseFlags(Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers) const;

    CPlayerLink& m_link;
    void* m_viewer = nullptr;
    QCursor m_dragCursor;
    const void* m_cursor;  // the handle last set; the drag cursor is the window's own
    QImage m_image;
    std::set<int> m_keysDown;
    // The last press, to tell the second press of a double click: the system
    // the viewer was written for sends that one as a double click alone.
    std::optional<std::uint64_t> m_lastPressTime;
    Qt::MouseButton m_lastPressButton = Qt::NoButton;
    QPoint m_lastPressPos;
    bool m_painting = false;
    bool m_closing = false;       // the destructor runs: the viewer must not destroy us again
    bool m_destroyed = false;     // the viewer destroyed the window during a failed attach
};

}  // namespace rova
