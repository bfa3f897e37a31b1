// The performance view: the tracks of a performance as a stack of bands over
// one time axis, the selection of time steps and rows, zoom, and the commands
// that work on the selection. It keeps the 3D viewer in step with the selection.
#pragma once

#include <array>
#include <memory>
#include <optional>
#include <vector>

#include "beats/beat_grid.h"
#include "document/edit_history.h"
#include "panes/time_ruler.h"
#include "panes/track_pane.h"
#include "shell/view.h"
#include "view/playhead.h"
#include "view/time_drag.h"
#include "view/beat_track.h"

namespace rova {

class CMainDoc;
class CTimeRuler;

class CMainView : public CView, public PaneHost {
public:
    explicit CMainView(CDocument& document, QWidget* parent = nullptr);
    // With a stand-in for the beat analysis (tests).
    CMainView(CDocument& document, beats::Analyser beatAnalyser, QWidget* parent = nullptr);
    ~CMainView() override;

    // CView
    void onInitialUpdate() override;
    void onDraw(QPainter& painter) override;
    QSize drawingSize() const override;
    void onKeyDown(int virtualKey) override;
    bool onViewerJointValue(int channel, int degrees) override;
    std::vector<int> selectedJoints() const override;

    // PaneHost
    int pixelsPerSecond() const override { return 1000 / m_zoom; }
    bool getSelection(int& start, int& length) const override;
    void setTimeSelection(int start, int length) override;
    void pushPoseToViewer() override;
    void invalidateBand(int top, int height) override;

    void selectRows(int first, int count, bool notifyViewer);
    void updateLayout();
    CTrackPane* hitTestRow(int y, int& index) const;
    CChannelPane* findPaneByJoint(int channel, int& index) const;
    bool hasSelection() const { return m_selLength > 0 && m_rowCount > 0; }
    bool isActiveView() const;
    void invalidateAll();
    CMainDoc& doc() const;

    // The selection as the undo history keeps it, and putting one back.
    ViewSelection selection() const { return {m_selStart, m_selLength, m_firstRow, m_rowCount}; }
    void restoreSelection(const ViewSelection& selection);
    // Opens and closes an edit of the document's tracks that undoes as one
    // step; edits opened inside another join it. Closing repaints when the
    // edit changed something.
    void beginEdit(const char* name);
    void endEdit();
    // Takes back or does again the document's last step, with its selection.
    bool undo();
    bool redo();

    // Mouse input in document coordinates (the window's handlers translate).
    void onLButtonDown(QPoint doc, bool shift);
    void onLButtonUp();
    void onRButtonDown(QPoint doc, bool shift);
    void onRButtonUp(QPoint doc);
    void onMouseMove(QPoint doc, bool leftDown, bool rightDown);
    // Ctrl with the left button: the cursor, scrubbed while the button is down.
    void onCtrlButtonDown(QPoint doc);
    // Alt with the left button inside the selected time range: drags the
    // selected rows' motion in time (released by onLButtonUp). False elsewhere.
    bool onAltButtonDown(QPoint doc);
    CPlayhead& playhead() { return m_playhead; }
    const CPlayhead& playhead() const { return m_playhead; }

    // Selects every row and step.
    void selectAll();
    // Sets the zoom factor (within its limits) and lays the view out anew.
    void setZoom(int zoom);
    // The joint dragged on the player window: the edit ends when the drag does.
    void viewerDragEnded() override;

    // The performance's beats: the NAME.BPM setting if any, else the analysed
    // ones; empty without sound and while the analysis runs (never waited for).
    const beats::BeatGrid& beatGrid() { return m_beats.grid(); }
    CBeatTrack& beatTrack() { return m_beats; }
    QString tempoText() const override { return m_beats.tempoText(); }

    const std::vector<std::unique_ptr<CTrackPane>>& panes() const { return m_panes; }
    int zoom() const { return m_zoom; }
    int lastStep() const { return m_lastStep; }
    int selStart() const { return m_selStart; }
    int selLength() const { return m_selLength; }
    int firstRow() const { return m_firstRow; }
    int rowCount() const { return m_rowCount; }
    int totalHeight() const { return m_totalHeight; }
    int contentWidth() const { return m_contentWidth; }
    int horizontalScroll() const;
    int verticalScroll() const;

    // Left edge of the cell of step g and the width of n steps, in document pixels.
    int stepX(int g) const;
    int stepsWidth(int n) const;
    static int pixelToStep(int x, int pps);
    // The undo name of a key's edit in the selected rows, null for keys that edit nothing.
    static const char* keyEditName(int virtualKey);

    // ---- the timeline around the rows (main_view_timeline.cpp) ----
    // The ruler over the rows, and what it shows now (`width` pixels wide).
    CTimeRuler* ruler() const { return m_ruler; }
    RulerInfo rulerInfo(int width) const;
    // A click on the ruler sets the cursor there (as Ctrl+click); a drag on it
    // selects the time between over the selected rows (all rows without any).
    void rulerClick(int docX);
    void rulerDrag(int docX1, int docX2);
    // A click on a row's label: plain selects the row, Ctrl adds or removes a
    // row, Shift selects the rows from the last one clicked; over the time range
    // selected, or the whole length without one.
    enum class LabelClick { Plain, Ctrl, Shift };
    void labelClick(int row, LabelClick how);
    // The wheel at a document point: `delta` in the toolkit's units (120 a
    // notch, positive away from the user). Time scrolls the time, Rows the
    // rows, Zoom zooms around the point so the time under it stays put.
    enum class WheelAction { Time, Rows, Zoom };
    void wheel(QPoint doc, int delta, WheelAction action);
    // Sets the zoom and scrolls so that window x `windowX` shows the same time.
    void zoomAround(int zoom, int windowX);
    // The time selection, or the whole performance, fills the window.
    bool canZoomToSelection() const { return m_selStart >= 0 && m_selLength > 0; }
    void zoomToSelection();
    void zoomToFit();
    // The length of the longest track in milliseconds.
    std::int64_t lengthMs() const;
    // The document point under the mouse (y kOverRuler over the ruler), none when it left.
    static constexpr int kOverRuler = -1;
    void setPointer(std::optional<QPoint> doc) { m_pointer = doc; }
    // Computes the status bar's readouts and publishes them when they changed.
    void publishReadout();
    ViewReadout readout() const;
    // Paints the row labels over the label column at the window's left edge,
    // for a view scrolled sideways (document coordinates, like onDraw).
    void drawStickyLabels(QPainter& painter, const QRect& clip);
    // The mouse gestures of the view, for the Keyboard and Mouse list.
    struct Gesture {
        const char* input;
        const char* action;
    };
    static const std::vector<Gesture>& gestures();

    // The zoom factor stays within these so that pixels per second stay at least 1.
    static constexpr int kMinZoom = 1;
    static constexpr int kMaxZoom = 1000;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    void wheelEvent(QWheelEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    enum class DragMode { None, Time, RowsAndTime };
    void makeActive();
    void invalidateHighlighted();
    bool isHighlighted(const CTrackPane& pane, int row) const;
    void updateScrollBars();
    QPoint toDocument(QPoint viewportPoint) const;
    void endRightDrag();
    bool stepHistory(bool redo);
    // A step moved to the step nearest a beat while Snap to Beats is on.
    int snapped(int step);
    // Analyses the document's sound anew (after the open and a new sound).
    void restartBeats();

    std::vector<std::unique_ptr<CTrackPane>> m_panes;
    int m_totalHeight = 0;
    int m_contentWidth = 50;
    int m_zoom = 40;
    CTrackPane* m_rightDragPane = nullptr;
    int m_lastStep = 0;
    int m_selStart = -1;
    int m_selLength = 0;
    int m_firstRow = -1;
    int m_rowCount = 0;
    QRect m_clip;  // the document area being painted; empty for the whole drawing
    DragMode m_dragMode = DragMode::None;
    bool m_viewerDrag = false;  // an edit from the player window's joint drag is open
    CPlayhead m_playhead;
    CTimeDrag m_timeDrag;
    mutable CBeatTrack m_beats;

    // The timeline around the rows.
    void updateRulerHeight();
    const std::vector<int>& barStarts() const;
    CTimeRuler* m_ruler = nullptr;
    std::optional<QPoint> m_pointer;  // the document point under the mouse
    int m_zoomWheel = 0;              // wheel units toward the next zoom notch
    int m_labelAnchor = -1;           // the row a plain label click chose, for Shift
    int m_setJoint = -1;              // the joint the player window sets now, and its angle
    int m_setDegrees = 0;
    mutable std::vector<int> m_barStarts;
    mutable std::array<std::int64_t, 5> m_barStartsKey{};  // which beats m_barStarts were taken from
};

// An edit of the document's tracks, open while the scope lives: one undo step
// however the scope is left (a return or an exception cannot leave the edit
// open, which would hold up Undo).
class EditScope {
public:
    EditScope(CMainView& view, const char* name) : m_view(view) { m_view.beginEdit(name); }
    ~EditScope() { m_view.endEdit(); }
    EditScope(const EditScope&) = delete;
    EditScope& operator=(const EditScope&) = delete;

private:
    CMainView& m_view;
};

}  // namespace rova
