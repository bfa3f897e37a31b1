// The time ruler as a widget: a strip above the performance view's rows that
// scrolls sideways with them but not up and down. A click sets the cursor, a
// drag selects a time range; the wheel works as over the rows.
#pragma once

#include <QWidget>
#include <optional>

namespace rova {

class CMainView;

class CTimeRuler : public QWidget {
public:
    explicit CTimeRuler(CMainView& view);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    int toDocument(double x) const;

    CMainView& m_view;
    std::optional<int> m_pressX;  // document x of the left press, while held
    bool m_dragging = false;
};

}  // namespace rova
