// The status-bar fields that read out the active performance window (time,
// bar and beat, joint angle, selection, cursor), and the hint of the place
// under the pointer in the message pane.
#pragma once

#include <QString>

#include "shell/view_readout.h"

class QLabel;
class QStatusBar;

namespace rova {

class CReadoutFields {
public:
    // Adds the fields to the bar's permanent part, starting at position `at`.
    CReadoutFields(QStatusBar& bar, int at);

    void show(const ViewReadout& readout);
    // No performance window: the fields go empty and hide.
    void clear();

    // The fields by the names rova-tool reports them under.
    QLabel* field(const char* name) const;

private:
    QStatusBar& m_bar;
    QLabel* m_time;
    QLabel* m_beat;
    QLabel* m_angle;
    QLabel* m_selection;
    QLabel* m_cursor;
    QString m_hint;  // the hint the message pane shows, "" for none
};

}  // namespace rova
