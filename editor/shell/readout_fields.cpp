#include "shell/readout_fields.h"

#include <QLabel>
#include <QStatusBar>

namespace rova {
namespace {

// A sunken field wide enough for `widest`, so the bar does not jump as values change.
QLabel* makeField(QStatusBar& bar, int at, const char* name, const char* widest, const char* tip) {
    auto* label = new QLabel(&bar);
    label->setObjectName(name);
    label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    label->setAlignment(Qt::AlignCenter);
    label->setMinimumWidth(label->fontMetrics().horizontalAdvance(QString::fromUtf8(widest)) + 10);
    label->setToolTip(tip);
    bar.insertPermanentWidget(at, label);
    return label;
}

void setText(QLabel* label, const std::string& text) {
    const QString q = QString::fromStdString(text);
    if (label->text() != q) label->setText(q);
}

}  // namespace

CReadoutFields::CReadoutFields(QStatusBar& bar, int at)
    : m_bar(bar),
      m_time(makeField(bar, at, "time", "0:00.000", "The time under the pointer")),
      m_beat(makeField(bar, at + 1, "beat", "Bar 00.0", "The bar and beat under the pointer")),
      m_angle(makeField(bar, at + 2, "angle", "RFLegY -00.0\u00b0", "The joint angle under the pointer, or being set")),
      m_selection(makeField(bar, at + 3, "selection", "0:00.000\u20130:00.000 (0.000 s) \u00b7 steps 000\u2013000 (00)",
                            "The selected time: start\u2013end (length) and its time steps")),
      m_cursor(makeField(bar, at + 4, "cursor", "Cursor 00:00.000", "The cursor's time: where Play starts without a selection")) {
    clear();
}

QLabel* CReadoutFields::field(const char* name) const {
    for (QLabel* label : {m_time, m_beat, m_angle, m_selection, m_cursor})
        if (label->objectName() == QLatin1String(name)) return label;
    return nullptr;
}

void CReadoutFields::show(const ViewReadout& readout) {
    const ReadoutTexts t = readoutTexts(readout);
    setText(m_time, t.time);
    setText(m_beat, t.beat);
    setText(m_angle, t.angle);
    setText(m_selection, t.selection);
    setText(m_cursor, t.cursor);
    for (QLabel* label : {m_time, m_beat, m_angle, m_selection}) label->setVisible(true);
    // The cursor is set now and then: without one its field leaves the room to the message pane.
    m_cursor->setVisible(!t.cursor.empty());
    // The message pane tells what the place under the pointer does, unless it
    // shows something else: a menu prompt or a note (the beats') stays up.
    const QString hint = QString::fromStdString(readout.hint);
    const QString current = m_bar.currentMessage();
    if (!current.isEmpty() && current != m_hint) {
        m_hint.clear();
        return;
    }
    if (hint.isEmpty() && !current.isEmpty()) m_bar.clearMessage();
    else if (!hint.isEmpty() && current != hint) m_bar.showMessage(hint);
    m_hint = hint;
}

void CReadoutFields::clear() {
    for (QLabel* label : {m_time, m_beat, m_angle, m_selection, m_cursor}) {
        label->clear();
        label->setVisible(false);
    }
    if (!m_hint.isEmpty() && m_bar.currentMessage() == m_hint) m_bar.clearMessage();
    m_hint.clear();
}

}  // namespace rova
