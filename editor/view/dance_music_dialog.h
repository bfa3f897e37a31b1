// The "Dance to the Music" dialog: energy, variation seed, eyes and mouth,
// keeping the posture, and which joints dance.
#pragma once

#include <QDialog>
#include <optional>

#include "dance/music_dance.h"

class QCheckBox;
class QRadioButton;
class QSpinBox;

namespace rova {

class CDanceToMusicDlg : public QDialog {
public:
    explicit CDanceToMusicDlg(const dance::MusicDanceSettings& shown, QWidget* parent = nullptr);
    dance::MusicDanceSettings settings() const;
    // Picks another seed (the "New Variation" button).
    void newVariation();

    static constexpr int kMaxSeed = 99999;

private:
    QRadioButton *m_low, *m_medium, *m_high;
    QSpinBox* m_seed;
    QCheckBox *m_eyes, *m_mouth, *m_keepPosture;
    QRadioButton *m_whole, *m_headTail, *m_legs;
};

// Shows the dialog modally; the settings confirmed with Dance, or nothing.
std::optional<dance::MusicDanceSettings> askDanceToMusicSettings(QWidget* parent, const dance::MusicDanceSettings& shown);

}  // namespace rova
