#include "view/placeholder_view.h"

#include <QPainter>

#include "app/document.h"

namespace rova {
namespace {

constexpr int kMargin = 12;
constexpr int kLineHeight = 20;

QString seconds(double s) { return QString::number(s, 'f', 1) + " s"; }

QString motionKindName(MotionKind kind) {
    switch (kind) {
    case MOTION_FULL_BODY: return "full body";
    case MOTION_HEAD: return "head and mouth";
    case MOTION_LEGS: return "legs";
    case MOTION_TAIL: return "tail";
    default: return "none";
    }
}

}  // namespace

CPlaceholderView::CPlaceholderView(CDocument& document, QWidget* parent) : CView(document, parent) {
    viewport()->setBackgroundRole(QPalette::Base);
    viewport()->setAutoFillBackground(true);
}

void CPlaceholderView::onInitialUpdate() {
    const CMainDoc& doc = document().doc();
    m_lines.clear();
    m_lines << document().title();
    const unsigned flags = doc.trackFlags();
    if (flags & TRACK_WAVE)
        m_lines << QString("Audio: WAVE, %1 samples (%2)")
                       .arg(doc.wave().sampleCount)
                       .arg(seconds(doc.wave().sampleCount / double(kSampleRate)));
    else if (flags & TRACK_MIDI)
        m_lines << "Audio: MIDI";
    else
        m_lines << "Audio: none";
    if (flags & TRACK_LEDS)
        m_lines << QString("Eye LEDs: %1 steps (%2)")
                       .arg(doc.leds().length())
                       .arg(seconds(doc.leds().length() / double(kLedStepsPerSecond)));
    else
        m_lines << "Eye LEDs: none";
    const CMotionTrack& motion = doc.motion();
    if (flags & TRACK_MOTION)
        m_lines << QString("Motion: %1, %2 channels, %3 editable points, %4 ticks (%5)")
                       .arg(motionKindName(motion.kind()))
                       .arg(motion.channelCount())
                       .arg(motion.keyframeCount())
                       .arg(motion.totalTicks())
                       .arg(seconds(motion.totalTicks() * 0.016));
    else
        m_lines << "Motion: none";
    viewport()->update();
}

void CPlaceholderView::onDraw(QPainter& painter) {
    painter.setPen(palette().color(QPalette::Text));
    QFont font = painter.font();
    for (int i = 0; i < m_lines.size(); ++i) {
        font.setBold(i == 0);
        painter.setFont(font);
        painter.drawText(QPoint(kMargin, kMargin + kLineHeight * (i + 1) - 6), m_lines[i]);
    }
}

QSize CPlaceholderView::drawingSize() const {
    int width = 0;
    const QFontMetrics fm(font());
    for (const QString& line : m_lines) width = std::max(width, fm.horizontalAdvance(line));
    return {width + 2 * kMargin + 20, kLineHeight * static_cast<int>(m_lines.size()) + 2 * kMargin};
}

}  // namespace rova
