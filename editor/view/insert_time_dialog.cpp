#include "view/insert_time_dialog.h"

#include <QButtonGroup>
#include <QHBoxLayout>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>
#include <algorithm>

namespace rova {

int insertSteps(const InsertTimeChoice& choice, const InsertTimeOffer& offer) {
    switch (choice.length) {
    case InsertLength::Selection: return offer.selectionSteps;
    case InsertLength::Beat: return offer.beatSteps;
    case InsertLength::Bar: return offer.barSteps;
    case InsertLength::Steps: return std::max(0, choice.steps);
    }
    return 0;
}

CInsertTimeDlg::CInsertTimeDlg(const InsertTimeOffer& offer, QWidget* parent) : QDialog(parent) {
    auto* layout = new QVBoxLayout(this);
    auto* group = new QButtonGroup(this);
    auto option = [&](const QString& text, int steps) {
        auto* b = new QRadioButton(steps > 0 ? text.arg(steps) : QString(text).remove(" (%1 steps)"), this);
        b->setEnabled(steps > 0);
        group->addButton(b);
        layout->addWidget(b);
        return b;
    };
    m_selection = option("The &selection's length (%1 steps)", offer.selectionSteps);
    m_beat = option("One &beat (%1 steps)", offer.beatSteps);
    m_bar = option("One b&ar (%1 steps)", offer.barSteps);
    auto* stepsRow = new QHBoxLayout;
    m_steps = new QRadioButton("&Time steps (80 ms each):", this);
    group->addButton(m_steps);
    m_count = new QSpinBox(this);
    m_count->setRange(1, std::max(1, offer.maxSteps));
    m_count->setValue(std::clamp(offer.steps, 1, std::max(1, offer.maxSteps)));
    connect(m_count, &QSpinBox::valueChanged, this, [this] { m_steps->setChecked(true); });
    stepsRow->addWidget(m_steps);
    stepsRow->addWidget(m_count, 1);
    layout->addLayout(stepsRow);

    auto* buttons = new QHBoxLayout;
    auto* insert = new QPushButton("&Insert", this);
    insert->setDefault(true);
    connect(insert, &QPushButton::clicked, this, &QDialog::accept);
    auto* cancel = new QPushButton("Cancel", this);
    cancel->setAutoDefault(false);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    buttons->addWidget(insert);
    buttons->addStretch();
    buttons->addWidget(cancel);
    layout->addLayout(buttons);

    (offer.selectionSteps > 0 ? m_selection : m_steps)->setChecked(true);
    setWindowTitle("Insert Time");
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    setModal(true);
}

InsertTimeChoice CInsertTimeDlg::choice() const {
    InsertTimeChoice c;
    c.length = m_selection->isChecked() ? InsertLength::Selection
               : m_beat->isChecked()    ? InsertLength::Beat
               : m_bar->isChecked()     ? InsertLength::Bar
                                        : InsertLength::Steps;
    c.steps = m_count->value();
    return c;
}

std::optional<InsertTimeChoice> askInsertTimeChoice(QWidget* parent, const InsertTimeOffer& offer) {
    CInsertTimeDlg dialog(offer, parent);
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    return dialog.choice();
}

}  // namespace rova
