// The "Insert Time" dialog: how much time to insert at the selection's start
// or the cursor: the selection's length, one beat, one bar, or a number of
// time steps.
#pragma once

#include <QDialog>
#include <optional>

class QRadioButton;
class QSpinBox;

namespace rova {

// What the dialog can offer; a length of 0 is not offered (no selection, no beats, no bars).
struct InsertTimeOffer {
    int selectionSteps = 0;
    int beatSteps = 0;
    int barSteps = 0;
    int steps = 1;     // the number shown for "time steps"
    int maxSteps = 1;  // more would push the whole track past its end
};

enum class InsertLength { Selection, Beat, Bar, Steps };

struct InsertTimeChoice {
    InsertLength length = InsertLength::Steps;
    int steps = 1;  // for InsertLength::Steps
};

// The time steps a choice stands for under an offer; 0 when the offer lacks it.
int insertSteps(const InsertTimeChoice& choice, const InsertTimeOffer& offer);

class CInsertTimeDlg : public QDialog {
public:
    explicit CInsertTimeDlg(const InsertTimeOffer& offer, QWidget* parent = nullptr);
    InsertTimeChoice choice() const;

private:
    QRadioButton *m_selection, *m_beat, *m_bar, *m_steps;
    QSpinBox* m_count;
};

// Shows the dialog modally; the choice confirmed with Insert, or nothing.
std::optional<InsertTimeChoice> askInsertTimeChoice(QWidget* parent, const InsertTimeOffer& offer);

}  // namespace rova
