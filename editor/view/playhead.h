// The playhead of a performance view: one line across the panes at the step a
// playback shows, left where the playback ended until the selection changes;
// and the cursor, a step chosen without a selection (Ctrl+click, scrubbed with
// Ctrl+drag) that the model shows and Play starts from.
#pragma once

#include <QColor>
#include <QPoint>
#include <QRect>

class QPainter;

namespace rova {

class CMainView;

// A colour no pane pen, grid line or highlight uses.
inline const QColor kPlayheadColour(255, 0, 255);

class CPlayhead {
public:
    // The step the line stands at, -1 without a line.
    int line() const { return m_line; }
    // The step Play starts from without a selection, -1 without a cursor.
    int cursor() const { return m_cursor; }
    bool scrubbing() const { return m_scrub; }

    // Clears the view's time selection, puts the cursor and the line at step
    // (held to the view's steps) and sends that step's pose to the player.
    void setCursor(CMainView& view, int step);
    // A playback shows step: the line moves there, and the view turns a page
    // when the line would leave it.
    void showStep(CMainView& view, int step);
    // The selection changed: line and cursor go.
    void clear(CMainView& view);

    // A Ctrl+press at a document point sets the cursor there and starts a scrub
    // that moves it with the mouse until the button is released.
    void press(CMainView& view, QPoint doc);
    // True when a scrub took the move.
    bool drag(CMainView& view, QPoint doc, bool leftDown);
    void release() { m_scrub = false; }

    // Drawn over everything else, in document pixels, where clip reaches.
    void draw(QPainter& painter, const CMainView& view, const QRect& clip) const;

    // Document x of the line at step.
    static int lineX(int step, int pps);

private:
    void moveLine(CMainView& view, int step);
    void invalidateColumn(CMainView& view, int step) const;

    int m_line = -1;
    int m_cursor = -1;
    bool m_scrub = false;
};

}  // namespace rova
