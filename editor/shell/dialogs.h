// The editor's own dialogs: About, Zoom Factor, Apply Macro, Generate Eyes,
// Generate Mouth and Paste Special. A dialog only collects values; the command
// that opens it decides what they do. The ask* functions are how commands use
// them: they show the remembered values and remember what the user confirms.
#pragma once

#include <QDialog>
#include <QPointer>
#include <QStringList>
#include <optional>

#include "model/paste_parts.h"

class QCheckBox;
class QLineEdit;
class QListWidget;
class QSlider;

namespace rova {

class MessageInterface;

// Dialog units, from the dialog's font as the original templates measure them:
// a horizontal unit is a quarter of the average character width, a vertical
// unit an eighth of the character height.
QSize dialogUnitsToPixels(const QWidget& dialog, int width, int height);

class CAboutDlg : public QDialog {
public:
    explicit CAboutDlg(QWidget* parent = nullptr);
};

class CZoomFactorDlg : public QDialog {
public:
    explicit CZoomFactorDlg(MessageInterface& ui, QWidget* parent = nullptr);
    void setZoomFactor(int zoom);
    int zoomFactor() const { return m_zoom; }
    QLineEdit* edit() const { return m_edit; }
    // Takes the value only when it is an integer from 1 to 100; otherwise says
    // so and stays open with the text selected.
    void accept() override;
    // Opens with the value selected, so that typing replaces it.
    void showEvent(QShowEvent* event) override;

private:
    MessageInterface& m_ui;
    QLineEdit* m_edit;
    int m_zoom = 40;
};

class CApplyMacroDlg : public QDialog {
public:
    explicit CApplyMacroDlg(const QStringList& macroNames, QWidget* parent = nullptr);
    // The selected name after Apply, or "" when none was selected.
    QString macroName() const { return m_name; }
    QListWidget* list() const { return m_list; }
    void accept() override;

private:
    QListWidget* m_list;
    QString m_name;
};

// A threshold t (0..63) stands on its slider at 63 - t: the "On" / "Open" end
// is threshold 0.
inline constexpr int kMaxThreshold = 63;

class CGenerateEyesDlg : public QDialog {
public:
    explicit CGenerateEyesDlg(QWidget* parent = nullptr);
    void setThresholds(int green, int red);
    int greenThreshold() const { return m_green; }
    int redThreshold() const { return m_red; }
    QSlider* greenSlider() const { return m_greenSlider; }
    QSlider* redSlider() const { return m_redSlider; }
    void accept() override;

private:
    QSlider* m_greenSlider;
    QSlider* m_redSlider;
    int m_green = 30;
    int m_red = 30;
};

class CGenerateMouthDlg : public QDialog {
public:
    explicit CGenerateMouthDlg(QWidget* parent = nullptr);
    void setThreshold(int threshold);
    int threshold() const { return m_threshold; }
    QSlider* slider() const { return m_slider; }
    void accept() override;

private:
    QSlider* m_slider;
    int m_threshold = 30;
};

class CPasteSpecialDlg : public QDialog {
public:
    explicit CPasteSpecialDlg(QWidget* parent = nullptr);
    // The choices of the last confirmed use (all parts, no swaps at first).
    const PasteParts& parts() const { return m_parts; }
    // Shows the last confirmed choices each time it opens.
    void showEvent(QShowEvent* event) override;
    void accept() override;
    // The check box with this exact label.
    QCheckBox* box(const QString& label) const;

private:
    PasteParts m_parts;
    QCheckBox *m_head, *m_mouth, *m_rf, *m_lf, *m_rr, *m_lr, *m_tail, *m_swapLR, *m_swapFB;
};

// What the dialogs keep for the rest of the run: the generator thresholds
// (30 each at first) and the one Paste Special dialog.
class CDialogMemory {
public:
    explicit CDialogMemory(QWidget* owner = nullptr) : m_owner(owner) {}
    ~CDialogMemory();
    CDialogMemory(const CDialogMemory&) = delete;
    CDialogMemory& operator=(const CDialogMemory&) = delete;

    int greenThreshold = 30;
    int redThreshold = 30;
    int mouthThreshold = 30;

    // Created at first use, owned by the owner window when there is one.
    CPasteSpecialDlg& pasteSpecial();

private:
    QWidget* m_owner;
    QPointer<CPasteSpecialDlg> m_paste;
};

// Each shows its dialog modally and returns only what the user confirmed.
std::optional<int> askZoomFactor(QWidget* parent, MessageInterface& ui, int current);
std::optional<QString> askMacroName(QWidget* parent, const QStringList& macroNames);
struct EyeThresholds {
    int green;
    int red;
};
std::optional<EyeThresholds> askEyeThresholds(QWidget* parent, CDialogMemory& memory);
std::optional<int> askMouthThreshold(QWidget* parent, CDialogMemory& memory);
std::optional<PasteParts> askPasteParts(CDialogMemory& memory);

}  // namespace rova
