#include "view/dance_music_dialog.h"

#include <algorithm>

#include <QButtonGroup>
#include <QCheckBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QRandomGenerator>
#include <QSpinBox>
#include <QVBoxLayout>

namespace rova {

CDanceToMusicDlg::CDanceToMusicDlg(const dance::MusicDanceSettings& shown, QWidget* parent) : QDialog(parent) {
    auto* layout = new QVBoxLayout(this);

    auto* energy = new QGroupBox("Energy", this);
    auto* energyRow = new QHBoxLayout(energy);
    m_low = new QRadioButton("&Low", energy);
    m_medium = new QRadioButton("M&edium", energy);
    m_high = new QRadioButton("&High", energy);
    auto* group = new QButtonGroup(this);
    for (QRadioButton* b : {m_low, m_medium, m_high}) {
        group->addButton(b);
        energyRow->addWidget(b);
    }
    layout->addWidget(energy);

    auto* varyRow = new QHBoxLayout;
    auto* varyLabel = new QLabel("&Vary:", this);
    m_seed = new QSpinBox(this);
    m_seed->setRange(0, kMaxSeed);
    varyLabel->setBuddy(m_seed);
    auto* another = new QPushButton("&New Variation", this);
    another->setAutoDefault(false);
    connect(another, &QPushButton::clicked, this, [this] { newVariation(); });
    varyRow->addWidget(varyLabel);
    varyRow->addWidget(m_seed, 1);
    varyRow->addWidget(another);
    layout->addLayout(varyRow);

    m_eyes = new QCheckBox("Eyes &flash on beats", this);
    m_mouth = new QCheckBox("&Mouth follows the sound", this);
    layout->addWidget(m_eyes);
    layout->addWidget(m_mouth);

    m_keepPosture = new QCheckBox("Keep &posture (stay standing, sitting or lying)", this);
    layout->addWidget(m_keepPosture);
    auto* body = new QGroupBox("Body", this);
    auto* bodyColumn = new QVBoxLayout(body);
    m_whole = new QRadioButton("Use the whole &body", body);
    m_headTail = new QRadioButton("Only head and &tail", body);
    m_legs = new QRadioButton("Only le&gs", body);
    auto* bodyGroup = new QButtonGroup(this);
    for (QRadioButton* b : {m_whole, m_headTail, m_legs}) {
        bodyGroup->addButton(b);
        bodyColumn->addWidget(b);
    }
    // Only the head and tail dancing, the legs hold their posture anyway.
    connect(m_headTail, &QRadioButton::toggled, this, [this](bool on) { m_keepPosture->setEnabled(!on); });
    layout->addWidget(body);

    auto* buttons = new QHBoxLayout;
    auto* dance = new QPushButton("&Dance", this);
    dance->setDefault(true);
    connect(dance, &QPushButton::clicked, this, &QDialog::accept);
    auto* cancel = new QPushButton("Cancel", this);
    cancel->setAutoDefault(false);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    buttons->addWidget(dance);
    buttons->addStretch();
    buttons->addWidget(cancel);
    layout->addLayout(buttons);

    (shown.energy == dance::Energy::Low ? m_low : shown.energy == dance::Energy::High ? m_high : m_medium)
        ->setChecked(true);
    m_seed->setValue(static_cast<int>(std::min<std::uint32_t>(shown.seed, kMaxSeed)));
    m_eyes->setChecked(shown.eyes);
    m_mouth->setChecked(shown.mouth);
    m_keepPosture->setChecked(shown.keepPosture);
    (shown.body == dance::BodyPart::HeadTail ? m_headTail : shown.body == dance::BodyPart::Legs ? m_legs : m_whole)
        ->setChecked(true);

    setWindowTitle("Dance to the Music");
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    setModal(true);
}

dance::MusicDanceSettings CDanceToMusicDlg::settings() const {
    dance::MusicDanceSettings s;
    s.energy = m_low->isChecked() ? dance::Energy::Low : m_high->isChecked() ? dance::Energy::High : dance::Energy::Medium;
    s.seed = static_cast<std::uint32_t>(m_seed->value());
    s.eyes = m_eyes->isChecked();
    s.mouth = m_mouth->isChecked();
    s.body = m_headTail->isChecked() ? dance::BodyPart::HeadTail
             : m_legs->isChecked()   ? dance::BodyPart::Legs
                                     : dance::BodyPart::Whole;
    s.keepPosture = m_keepPosture->isChecked();
    return s;
}

void CDanceToMusicDlg::newVariation() {
    const int current = m_seed->value();
    int next = current;
    while (next == current) next = static_cast<int>(QRandomGenerator::global()->bounded(kMaxSeed + 1));
    m_seed->setValue(next);
}

std::optional<dance::MusicDanceSettings> askDanceToMusicSettings(QWidget* parent,
                                                                  const dance::MusicDanceSettings& shown) {
    CDanceToMusicDlg dialog(shown, parent);
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    return dialog.settings();
}

}  // namespace rova
