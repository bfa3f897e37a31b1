// The horizontal bands of the performance view: one per track, eye or joint.
// Each pane draws its track, reports its extent and turns mouse and key input
// into edits of the model.
#pragma once

#include <QColor>
#include <vector>

#include "model/motion_track.h"

class QPainter;

namespace rova {

constexpr int kLabelColumnWidth = 74;  // document x of time zero

// What a pane needs to know while drawing. Columns are relative to time zero.
struct PaneDrawInfo {
    int contentLeft;   // x of time zero
    int contentRight;  // x of the right end of the content
    int firstColumn;   // first visible column, not below 0
    int lastColumn;    // last visible column
};

// The view as the panes see it.
class PaneHost {
public:
    virtual ~PaneHost() = default;
    virtual int pixelsPerSecond() const = 0;
    // False when there is no selection (no time range or no rows).
    virtual bool getSelection(int& start, int& length) const = 0;
    virtual void setTimeSelection(int start, int length) = 0;
    virtual void pushPoseToViewer() = 0;
    // Repaints the band [top, top + height) of the document, whole width, with erase.
    virtual void invalidateBand(int top, int height) = 0;
};

enum HighlightKind : int {
    HIGHLIGHT_NEVER = 0,
    HIGHLIGHT_ALWAYS = 1,
    HIGHLIGHT_SELECTED_ROWS = 2,
};

class CTrackPane {
public:
    explicit CTrackPane(int height) : m_height(height) {}
    virtual ~CTrackPane() = default;

    virtual void draw(QPainter& p, const PaneDrawInfo& info);
    virtual void getExtent(int& width, int& steps) const {
        width = 0;
        steps = 0;
    }
    // x from time zero, y from the pane's top; true makes the pane the target of the drags.
    virtual bool onRightButtonDown(int /*x*/, int /*y*/, unsigned /*keyState*/) { return false; }
    virtual void onRightDrag(int /*x*/, int /*y*/) {}
    virtual bool onKey(int /*virtualKey*/) { return false; }
    virtual int getJoint() const { return -1; }
    virtual int getHighlightKind() const { return HIGHLIGHT_NEVER; }

    // Places the pane at `top` and returns its height.
    int attach(PaneHost* view, int top) {
        m_view = view;
        m_top = top;
        return m_height;
    }
    int top() const { return m_top; }
    int height() const { return m_height; }

    void drawTimeMarks(QPainter& p, const PaneDrawInfo& info, int divisor, int multiplier) const;
    void redrawRow() const;

protected:
    int pps() const { return m_view ? m_view->pixelsPerSecond() : 1; }
    void drawLabel(QPainter& p, int x, int y, const QString& text) const;

    PaneHost* m_view = nullptr;
    int m_top = -1;
    int m_height;
};

class CSeparatorPane : public CTrackPane {
public:
    CSeparatorPane(int height, bool fromTimeZero) : CTrackPane(height), m_fromTimeZero(fromTimeZero) {}
    void draw(QPainter& p, const PaneDrawInfo& info) override;

private:
    bool m_fromTimeZero;
};

class CAudioPane : public CTrackPane {
public:
    explicit CAudioPane(const CWaveTrack& track) : CTrackPane(40), m_track(track) {}
    void draw(QPainter& p, const PaneDrawInfo& info) override;
    void getExtent(int& width, int& steps) const override;
    int getHighlightKind() const override { return HIGHLIGHT_ALWAYS; }

private:
    const CWaveTrack& m_track;
};

class CMidiPane : public CTrackPane {
public:
    CMidiPane() : CTrackPane(20) {}
    void draw(QPainter& p, const PaneDrawInfo& info) override;
    int getHighlightKind() const override { return HIGHLIGHT_ALWAYS; }
};

class CLedPane : public CTrackPane {
public:
    CLedPane(CLedTrack& track, int bit) : CTrackPane(8), m_track(track), m_bit(bit) {}
    void draw(QPainter& p, const PaneDrawInfo& info) override;
    void getExtent(int& width, int& steps) const override;
    bool onRightButtonDown(int x, int y, unsigned keyState) override;
    void onRightDrag(int x, int y) override;

private:
    std::uint8_t mask() const { return static_cast<std::uint8_t>(1u << m_bit); }
    CLedTrack& m_track;
    int m_bit;
    // One press at a time: all LED panes share the paint mode and the anchor.
    bool m_light = false;  // what the stroke paints: on or off
    int m_anchor = 0;      // the LED step where the stroke began
};

class CChannelPane : public CTrackPane {
public:
    CChannelPane(CMotionTrack& track, int column)
        : CTrackPane(kChannelInfo[static_cast<std::size_t>(track.firstChannel() + column)].height()),
          m_track(track), m_column(column) {}
    void draw(QPainter& p, const PaneDrawInfo& info) override;
    void getExtent(int& width, int& steps) const override;
    bool onRightButtonDown(int x, int y, unsigned keyState) override;
    void onRightDrag(int x, int y) override;
    bool onKey(int virtualKey) override;
    int getJoint() const override { return m_track.firstChannel() + m_column; }
    int getHighlightKind() const override { return HIGHLIGHT_SELECTED_ROWS; }

    // The keyframe whose column lies within 4 pixels of x (from time zero), or -1.
    int hitTest(int x) const;
    // Sets an inner keyframe's value from a y within the pane; false for the ends.
    bool setValueFromY(int k, int y);
    // A joint dragged in the viewer: writes the angle over the time selection.
    bool setValueInSelection(int degrees);

    // The segments as one-pixel painter lines (any painter), or pixel by pixel
    // into an image laid over the painter's device (unscaled painters only):
    // the same pixels wherever keyframes lie two or more pixels apart.
    void drawSegmentsAsLines(QPainter& p, const PaneDrawInfo& info) const;
    void drawSegmentsAsPixels(QPainter& p, const PaneDrawInfo& info) const;

private:
    enum Pen : int { PEN_NORMAL = 0, PEN_FAST = 1, PEN_ALARM = 2 };  // in rising strength
    // A keyframe in document pixels, with the pen of the segment that ends there.
    struct Point {
        int x, y;
        int pen;
    };
    std::vector<Point> visiblePoints(const PaneDrawInfo& info) const;
    const ChannelInfo& info() const { return kChannelInfo[static_cast<std::size_t>(getJoint())]; }
    std::int64_t column(std::int64_t ticks) const;

    CMotionTrack& m_track;
    int m_column;
    // Where the right button was last seen in this pane (x from time zero, y
    // from its top): a drag fills the keyframes between that and the next point.
    int m_dragX = 0;
    int m_dragY = 0;
};

// Virtual-key codes (the Windows values) that the panes and the view understand;
// letters and digits are their ASCII capitals.
constexpr int kKeySpace = 0x20;
constexpr int kKeyLeft = 0x25;
constexpr int kKeyUp = 0x26;
constexpr int kKeyRight = 0x27;
constexpr int kKeyDown = 0x28;
constexpr int kKeyF1 = 0x70;
constexpr int kKeyF12 = 0x7B;

}  // namespace rova
