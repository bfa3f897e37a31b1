#include "view/main_view.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QTimer>
#include <algorithm>

#include "model/eye_lights.h"
#include "panes/time_axis.h"
#include "player/player_link.h"
#include "player/viewer_api.h"
#include "player/window_messages.h"
#include "shell/document.h"
#include "shell/editor_app.h"
#include "shell/main_frame.h"
#include "view/time_ruler_widget.h"

namespace rova {

namespace {

const QColor kGridColour(64, 64, 64);
// Blank pixels right of the longest track, so its end stays clear of the edge.
constexpr int kRightMargin = 50;
// The drawing is wider than the content by the label column plus a margin of ten.
constexpr int kDrawingSlack = kLabelColumnWidth + 10;
// A band is invalidated across every x the window can show (the largest a window coordinate gets).
constexpr int kWholeBandWidth = 32700;
const QColor kHighlightPattern(192, 192, 192);  // the light-grey brush

// The extension rule: a range grows toward i, or shrinks back toward its start.
bool extend(int& start, int& count, int i) {
    int s = start, n = count;
    if (i < s) {
        n += s - i;
        s = i;
    } else if (i > s) {
        n = i - s + 1;
    }
    if (n <= 0) n = 1;
    if (s == start && n == count) return false;
    start = s;
    count = n;
    return true;
}

}  // namespace

CMainView::CMainView(CDocument& document, QWidget* parent) : CMainView(document, beats::Analyser{}, parent) {}

CMainView::CMainView(CDocument& document, beats::Analyser beatAnalyser, QWidget* parent)
    : CView(document, parent), m_beats(std::move(beatAnalyser)) {
    viewport()->setBackgroundRole(QPalette::Base);
    viewport()->setAutoFillBackground(true);
    QPalette pal = viewport()->palette();
    pal.setColor(QPalette::Base, Qt::white);
    viewport()->setPalette(pal);
    // Moves without a button pressed end drags that were released outside.
    viewport()->setMouseTracking(true);
    m_ruler = new CTimeRuler(*this);
    updateRulerHeight();
}

CMainView::~CMainView() {
    // An edit still open (a drag cut short) is closed while the document is there.
    if (m_viewerDrag || m_rightDragPane) document().doc().endAction(selection());
}

CMainDoc& CMainView::doc() const { return document().doc(); }

int CMainView::stepX(int g) const { return kLabelColumnWidth + axis::toPixels(axis::stepToX(g, pixelsPerSecond())); }

int CMainView::stepsWidth(int n) const { return axis::toPixels(axis::stepsWidth(n, pixelsPerSecond())); }

int CMainView::pixelToStep(int x, int pps) { return axis::toPixels(axis::pixelToStep(x, pps)); }

void CMainView::onInitialUpdate() {
    endRightDrag();
    m_panes.clear();
    CMainDoc& doc = document().doc();
    const unsigned flags = doc.trackFlags();
    auto add = [&](CTrackPane* pane) { m_panes.emplace_back(pane); };
    if (flags & TRACK_WAVE) {
        add(new CAudioPane(doc.wave()));
        add(new CSeparatorPane(2, false));
    }
    if (flags & TRACK_MIDI) {
        add(new CMidiPane());
        add(new CSeparatorPane(2, false));
    }
    if (flags & TRACK_LEDS) {
        add(new CLedPane(doc.leds(), 0));
        add(new CSeparatorPane(1, true));
        add(new CLedPane(doc.leds(), 1));
        add(new CSeparatorPane(2, false));
    }
    CMotionTrack& motion = doc.motion();
    if (flags & TRACK_MOTION) {
        for (int c = 0; c < motion.channelCount(); ++c) {
            add(new CChannelPane(motion, c));
            const int channel = motion.firstChannel() + c;
            const bool groupEnd = channel == 3 || channel == 6 || channel == 9 || channel == 12 || channel == 15 ||
                                  channel == 17;
            add(new CSeparatorPane(groupEnd ? 2 : 1, false));
        }
    }
    int y = 0;
    for (auto& pane : m_panes) y += pane->attach(this, y);
    m_totalHeight = y;
    updateLayout();
    viewport()->update();
    restartBeats();
}

void CMainView::updateLayout() {
    int widest = 0, steps = 0;
    for (const auto& pane : m_panes) {
        int w, s;
        pane->getExtent(w, s);
        widest = std::max(widest, w);
        steps = std::max(steps, s);
    }
    m_contentWidth = widest + kRightMargin;
    m_lastStep = steps;
    updateScrollBars();
    if (hasSelection())
        horizontalScrollBar()->setValue(std::max(0, axis::toPixels(axis::stepsWidth(m_selStart, pixelsPerSecond()))));
}

QSize CMainView::drawingSize() const { return {m_contentWidth + kDrawingSlack, m_totalHeight}; }

// A page is the window and a line a tenth of it, rather than a tenth of the
// whole drawing: on a long performance that tenth would jump by minutes.
void CMainView::updateScrollBars() {
    const QSize size = drawingSize();
    const QSize view = viewport()->size();
    horizontalScrollBar()->setRange(0, std::max(0, size.width() - view.width()));
    horizontalScrollBar()->setPageStep(view.width());
    horizontalScrollBar()->setSingleStep(std::max(1, view.width() / 10));
    verticalScrollBar()->setRange(0, std::max(0, size.height() - view.height()));
    verticalScrollBar()->setPageStep(view.height());
    verticalScrollBar()->setSingleStep(std::max(1, view.height() / 10));
}

void CMainView::resizeEvent(QResizeEvent* event) {
    CView::resizeEvent(event);
    updateRulerHeight();
    updateScrollBars();
}

// The pixels that stay in view are moved; only the uncovered strip is painted.
// The label column stays put while the time scrolls: only the pixels right of it move.
void CMainView::scrollContentsBy(int dx, int dy) {
    if (dx == 0) {
        viewport()->scroll(0, dy);
    } else {
        viewport()->scroll(dx, dy, QRect(kLabelColumnWidth, 0, viewport()->width(), viewport()->height()));
        viewport()->update(QRect(0, 0, kLabelColumnWidth, viewport()->height()));
        m_ruler->update();
    }
}

int CMainView::horizontalScroll() const { return horizontalScrollBar()->value(); }

int CMainView::verticalScroll() const { return verticalScrollBar()->value(); }

QPoint CMainView::toDocument(QPoint p) const {
    return p + QPoint(horizontalScrollBar()->value(), verticalScrollBar()->value());
}

void CMainView::invalidateAll() { viewport()->update(); }

bool CMainView::isActiveView() const { return playerLink().activeView() == static_cast<const PlayerClient*>(this); }

void CMainView::makeActive() {
    if (!isActiveView()) playerLink().setActiveView(this);
}

// ---- selection ----------------------------------------------------------

bool CMainView::getSelection(int& start, int& length) const {
    if (!hasSelection()) return false;
    start = m_selStart;
    length = m_selLength;
    return true;
}

bool CMainView::isHighlighted(const CTrackPane& pane, int row) const {
    switch (pane.getHighlightKind()) {
    case HIGHLIGHT_ALWAYS: return true;
    case HIGHLIGHT_SELECTED_ROWS: return row >= m_firstRow && row < m_firstRow + m_rowCount;
    default: return false;
    }
}

void CMainView::invalidateHighlighted() {
    if (!hasSelection()) return;
    for (std::size_t i = 0; i < m_panes.size(); ++i)
        if (isHighlighted(*m_panes[i], static_cast<int>(i))) m_panes[i]->redrawRow();
}

void CMainView::selectRows(int first, int count, bool notifyViewer) {
    invalidateHighlighted();
    m_firstRow = first;
    m_rowCount = count;
    invalidateHighlighted();
    publishReadout();
    if (notifyViewer) playerLink().showSelectedJoints(true);
}

std::vector<int> CMainView::selectedJoints() const {
    std::vector<int> joints;
    if (!hasSelection()) return joints;
    for (int row = std::max(0, m_firstRow); row < m_firstRow + m_rowCount && row < static_cast<int>(m_panes.size()); ++row)
        if (const int joint = m_panes[static_cast<std::size_t>(row)]->getJoint(); joint >= 0) joints.push_back(joint);
    return joints;
}

void CMainView::setTimeSelection(int start, int length) {
    m_playhead.clear(*this);
    // The old highlight goes as well as the new one comes.
    invalidateHighlighted();
    m_selStart = start;
    m_selLength = length;
    invalidateHighlighted();
    // Without a time range the model shows no rows either.
    playerLink().showSelectedJoints();
    pushPoseToViewer();
    publishReadout();
}

void CMainView::pushPoseToViewer() {
    void* viewer = playerLink().getViewer();
    const CMotionTrack& motion = document().doc().motion();
    if (!hasSelection() || !viewer) return;
    viewerApi().SetEyes(viewer, eyesAtStep(document().doc().leds(), m_selStart));
    if (motion.kind() == MOTION_NONE) return;
    int values[kChannelCount];
    if (!motion.valuesAtStep(m_selStart, values)) return;
    viewerApi().SetJoints(viewer, {motion.firstChannel(), motion.channelCount(), values});
}

void CMainView::invalidateBand(int top, int height) {
    viewport()->update(QRect(0, top - verticalScrollBar()->value(), kWholeBandWidth, height));
}

CTrackPane* CMainView::hitTestRow(int y, int& index) const {
    for (std::size_t i = 0; i < m_panes.size(); ++i) {
        const auto& p = m_panes[i];
        if (p->top() <= y && y < p->top() + p->height()) {
            index = static_cast<int>(i);
            return p.get();
        }
    }
    index = -1;
    return nullptr;
}

CChannelPane* CMainView::findPaneByJoint(int channel, int& index) const {
    index = -1;
    if (channel < 0 || channel >= kChannelCount) return nullptr;
    for (std::size_t i = 0; i < m_panes.size(); ++i)
        if (auto* pane = dynamic_cast<CChannelPane*>(m_panes[i].get()); pane && pane->getJoint() == channel) {
            index = static_cast<int>(i);
            return pane;
        }
    return nullptr;
}

bool CMainView::onViewerJointValue(int channel, int degrees) {
    int index;
    CChannelPane* pane = hasSelection() ? findPaneByJoint(channel, index) : nullptr;
    if (!pane) return false;
    // One drag on the player window is one edit, from the first move to the release.
    if (!m_viewerDrag) {
        beginEdit("Drag Joint");
        m_viewerDrag = true;
    }
    m_setJoint = channel;
    m_setDegrees = degrees;
    selectRows(index, 1, false);
    return pane->setValueInSelection(degrees);
}

void CMainView::viewerDragEnded() {
    m_setJoint = -1;
    if (!m_viewerDrag) return;
    m_viewerDrag = false;
    endEdit();
}

// ---- edits and undo -----------------------------------------------------

void CMainView::beginEdit(const char* name) {
    // A joint drag whose release never came ends before anything else starts.
    if (m_viewerDrag) viewerDragEnded();
    doc().beginAction(name, selection());
}

void CMainView::endEdit() {
    if (doc().endAction(selection())) document().updateAllViews(HINT_REPAINT);
}

void CMainView::restoreSelection(const ViewSelection& s) {
    const int rows = static_cast<int>(m_panes.size());
    if (s.rowCount > 0 && s.firstRow >= 0 && s.firstRow < rows)
        selectRows(s.firstRow, std::min(s.rowCount, rows - s.firstRow), true);
    else
        selectRows(s.firstRow, s.rowCount, true);
    setTimeSelection(s.start, s.length);
}

bool CMainView::undo() { return stepHistory(false); }

bool CMainView::redo() { return stepHistory(true); }

bool CMainView::stepHistory(bool redo) {
    if (m_viewerDrag) viewerDragEnded();
    ViewSelection s;
    if (!(redo ? doc().redo(s) : doc().undo(s))) return false;
    restoreSelection(s);
    // The tracks' lengths may differ (a rebuild over a new sound): lay out
    // anew, which also brings the restored selection into view.
    updateLayout();
    document().updateAllViews(HINT_REPAINT);
    return true;
}

const char* CMainView::keyEditName(int key) {
    if (key >= '1' && key <= '9') return "Set Value";
    if (key == 'S') return "Smooth";
    return nullptr;  // Up and Down move the selection between keyframes
}

// ---- drawing ------------------------------------------------------------

void CMainView::paintEvent(QPaintEvent* event) {
    // The bar row comes and goes with the beats (their analysis ends, Show Beats).
    if (rulerHeight(!barStarts().empty()) != m_ruler->height()) QTimer::singleShot(0, this, [this] { updateRulerHeight(); });
    m_clip = event->rect().translated(horizontalScrollBar()->value(), verticalScrollBar()->value());
    CView::paintEvent(event);
    if (horizontalScroll() > 0 && event->rect().left() < kLabelColumnWidth) {
        QPainter painter(viewport());
        painter.translate(-horizontalScroll(), -verticalScroll());
        drawStickyLabels(painter, m_clip);
    }
    m_clip = QRect();
}

void CMainView::onDraw(QPainter& p) {
    const int pps = pixelsPerSecond();
    const int right = kLabelColumnWidth + m_contentWidth;
    const QRect clip = m_clip.isEmpty() ? QRect(QPoint(0, 0), drawingSize()) : m_clip;
    const int gridHeight = std::max(m_totalHeight, verticalScrollBar()->maximum() + viewport()->height());
    // One line a second, only where it can be seen.
    const std::int64_t gridRight = std::min<std::int64_t>(right, clip.right());
    for (std::int64_t k = std::max(0, (clip.left() - kLabelColumnWidth) / pps);; ++k) {
        const std::int64_t x = kLabelColumnWidth + k * pps;
        if (x > gridRight) break;
        p.fillRect(static_cast<int>(x), 0, 1, gridHeight, kGridColour);
    }
    if (const beats::BeatGrid* beats = m_beats.gridToDraw()) drawBeatLines(p, *beats, pps, kLabelColumnWidth, clip, gridHeight);

    const PaneDrawInfo info{kLabelColumnWidth, right, std::max(0, clip.left() - kLabelColumnWidth),
                            clip.right() + 1 - kLabelColumnWidth};
    const bool highlight = isActiveView() && hasSelection();
    p.setPen(QPen(Qt::black, 0));
    for (std::size_t i = 0; i < m_panes.size(); ++i) {
        CTrackPane& pane = *m_panes[i];
        if (pane.top() > clip.bottom() || pane.top() + pane.height() <= clip.top()) continue;
        pane.draw(p, info);
        if (!highlight || !isHighlighted(pane, static_cast<int>(i))) continue;
        int left = stepX(m_selStart);
        int rightEdge = left + stepsWidth(m_selLength);
        const int top = pane.top(), h = pane.height();
        auto patternInvert = [&](int x0, int x1) {
            p.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
            p.fillRect(QRect(x0, top, x1 - x0, h), kHighlightPattern);
            p.setCompositionMode(QPainter::CompositionMode_SourceOver);
        };
        if (pane.getHighlightKind() == HIGHLIGHT_ALWAYS) {
            patternInvert(left, rightEdge);
            continue;
        }
        if (m_selStart == 0) {
            patternInvert(left, left + stepsWidth(1));
            left += stepsWidth(1);
        }
        if (m_selStart + m_selLength > m_lastStep) {
            patternInvert(stepX(m_lastStep), rightEdge);
            rightEdge = stepX(m_lastStep);
        }
        if (rightEdge > left) {
            p.setCompositionMode(QPainter::RasterOp_NotDestination);
            p.fillRect(QRect(left, top, rightEdge - left, h), Qt::black);
            p.setCompositionMode(QPainter::CompositionMode_SourceOver);
        }
    }
    m_playhead.draw(p, *this, clip);
}

// ---- mouse --------------------------------------------------------------

void CMainView::onLButtonDown(QPoint doc, bool shift) {
    // A right drag cut short by this press ends, and its edit with it.
    endRightDrag();
    makeActive();
    const int step = snapped(std::min(pixelToStep(doc.x() - kLabelColumnWidth, pixelsPerSecond()), m_lastStep));
    if (!shift) {
        selectRows(0, static_cast<int>(m_panes.size()), true);
        setTimeSelection(step, 1);
        m_dragMode = DragMode::Time;
        return;
    }
    int row;
    if (hitTestRow(doc.y(), row)) {
        selectRows(row, 1, true);
        setTimeSelection(step, 1);
        m_dragMode = DragMode::RowsAndTime;
    }
}

void CMainView::onLButtonUp() {
    m_timeDrag.release(*this);
    m_dragMode = DragMode::None;
    m_playhead.release();
}

bool CMainView::onAltButtonDown(QPoint doc) {
    endRightDrag();
    makeActive();
    if (!m_timeDrag.press(*this, doc)) return false;
    m_dragMode = DragMode::None;
    return true;
}

void CMainView::onCtrlButtonDown(QPoint doc) {
    endRightDrag();
    makeActive();
    m_dragMode = DragMode::None;
    m_playhead.press(*this, doc);
}

void CMainView::endRightDrag() {
    if (!m_rightDragPane) return;
    m_rightDragPane = nullptr;
    endEdit();
}

void CMainView::onRButtonDown(QPoint doc, bool shift) {
    makeActive();
    setTimeSelection(-1, 0);
    endRightDrag();
    int row;
    if (CTrackPane* pane = hitTestRow(doc.y(), row)) {
        // A press and its drag up to the release set values as one edit.
        beginEdit(pane->getJoint() >= 0 ? "Drag Value" : "Paint Eyes");
        if (pane->onRightButtonDown(doc.x() - kLabelColumnWidth, doc.y() - pane->top(), shift ? win::kMkShift : 0))
            m_rightDragPane = pane;
        else
            endEdit();
    }
    m_dragMode = DragMode::None;
}

void CMainView::onRButtonUp(QPoint doc) {
    if (m_rightDragPane) {
        m_rightDragPane->onRightDrag(doc.x() - kLabelColumnWidth, doc.y() - m_rightDragPane->top());
        endRightDrag();
    }
    m_dragMode = DragMode::None;
}

void CMainView::onMouseMove(QPoint doc, bool leftDown, bool rightDown) {
    m_pointer = doc;
    if (m_playhead.drag(*this, doc, leftDown)) return;
    if (m_timeDrag.drag(*this, doc, leftDown)) return;
    if (m_rightDragPane) {
        if (rightDown)
            m_rightDragPane->onRightDrag(doc.x() - kLabelColumnWidth, doc.y() - m_rightDragPane->top());
        else
            endRightDrag();
        return;
    }
    if (!leftDown) {
        m_dragMode = DragMode::None;
        return;
    }
    int row;
    if (m_dragMode == DragMode::RowsAndTime && hitTestRow(doc.y(), row)) {
        int first = m_firstRow, count = m_rowCount;
        if (extend(first, count, row)) selectRows(first, count, true);
    }
    if (m_dragMode == DragMode::Time || m_dragMode == DragMode::RowsAndTime) {
        const int step = snapped(std::clamp(pixelToStep(doc.x() - kLabelColumnWidth, pixelsPerSecond()), 0, m_lastStep));
        int start = m_selStart, length = m_selLength;
        if (extend(start, length, step)) setTimeSelection(start, length);
    }
}

void CMainView::mousePressEvent(QMouseEvent* event) {
    setFocus(Qt::MouseFocusReason);
    const QPoint doc = toDocument(event->position().toPoint());
    const bool shift = event->modifiers().testFlag(Qt::ShiftModifier);
    int row;
    // The label column names the rows, wherever the time is scrolled to.
    if (event->button() == Qt::LeftButton && event->position().x() < kLabelColumnWidth && hitTestRow(doc.y(), row))
        labelClick(row, event->modifiers().testFlag(Qt::ControlModifier) ? LabelClick::Ctrl
                        : shift                                           ? LabelClick::Shift
                                                                          : LabelClick::Plain);
    else if (event->button() == Qt::LeftButton && event->modifiers().testFlag(Qt::ControlModifier)) onCtrlButtonDown(doc);
    else if (event->button() == Qt::LeftButton && event->modifiers().testFlag(Qt::AltModifier) && onAltButtonDown(doc)) {}
    else if (event->button() == Qt::LeftButton) onLButtonDown(doc, shift);
    else if (event->button() == Qt::RightButton) onRButtonDown(doc, shift);
    publishReadout();
}

void CMainView::mouseReleaseEvent(QMouseEvent* event) {
    const QPoint doc = toDocument(event->position().toPoint());
    if (event->button() == Qt::LeftButton) onLButtonUp();
    else if (event->button() == Qt::RightButton) onRButtonUp(doc);
    publishReadout();
}

void CMainView::mouseMoveEvent(QMouseEvent* event) {
    onMouseMove(toDocument(event->position().toPoint()), event->buttons().testFlag(Qt::LeftButton),
                event->buttons().testFlag(Qt::RightButton));
    publishReadout();
}

// ---- keys ---------------------------------------------------------------

void CMainView::keyPressEvent(QKeyEvent* event) {
    const int key = win::virtualKeyFromKeyEvent(*event);
    if (key == 0) {
        CView::keyPressEvent(event);
        return;
    }
    onKeyDown(key);
    publishReadout();
}

void CMainView::onKeyDown(int key) {
    // Space plays from the cursor as well as the selection.
    if (!hasSelection() && !(key == win::kVkSpace && m_playhead.cursor() >= 0)) {
        if (key == win::kVkRight) {
            selectRows(0, static_cast<int>(m_panes.size()), true);
            setTimeSelection(0, 1);
        }
        return;
    }
    if (key == win::kVkSpace) {
        if (CEditorApp* app = CEditorApp::instance())
            if (CMainFrame* frame = app->mainFrame()) frame->executeCommand(ID_VIEW_PLAY);
        return;
    }
    // With Snap to Beats the arrows go from beat to beat.
    const bool byBeat = CBeatTrack::snapToBeats() && !beatGrid().empty();
    if (key == win::kVkLeft && m_selStart > 0) {
        setTimeSelection(byBeat ? beats::previousBeatStep(beatGrid(), m_selStart) : m_selStart - 1, 1);
        return;
    }
    if (key == win::kVkRight) {
        const int p = byBeat ? beats::nextBeatStep(beatGrid(), m_selStart + m_selLength - 1, m_lastStep)
                             : std::min(m_selStart + m_selLength, m_lastStep);
        if (!(p == m_selStart && m_selLength == 1)) setTimeSelection(p, 1);
        return;
    }
    if (key >= win::kVkF1 && key <= win::kVkF1 + 11) return;
    const char* editName = keyEditName(key);
    if (editName) beginEdit(editName);
    // Offered to the selected rows in order; the list may change under a pane's key.
    for (int row = m_firstRow; row < m_firstRow + m_rowCount; ++row) {
        if (row < 0 || row >= static_cast<int>(m_panes.size())) continue;
        if (m_panes[static_cast<std::size_t>(row)]->onKey(key)) break;
    }
    if (editName) endEdit();
}

// ---- selection and zoom commands ----------------------------------------

void CMainView::selectAll() {
    selectRows(0, static_cast<int>(m_panes.size()), true);
    setTimeSelection(0, m_lastStep + 1);
}

int CMainView::snapped(int step) {
    return CBeatTrack::snapToBeats() ? beats::snapStepToBeat(beatGrid(), step, m_lastStep) : step;
}

void CMainView::setZoom(int zoom) {
    m_zoom = std::clamp(zoom, kMinZoom, kMaxZoom);
    updateLayout();
    invalidateAll();
    m_ruler->update();
    publishReadout();
}

}  // namespace rova
