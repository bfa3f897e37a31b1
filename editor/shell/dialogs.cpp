#include "shell/dialogs.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QItemSelectionModel>
#include <QListWidget>
#include <QPushButton>
#include <QSlider>
#include <QVBoxLayout>

#include "platform/messages.h"
#include "res/icons.h"

namespace rova {
namespace {

QPushButton* button(const QString& text, QDialog* dialog, bool confirms, bool isDefault) {
    auto* b = new QPushButton(text, dialog);
    b->setDefault(isDefault);
    b->setAutoDefault(isDefault);
    QObject::connect(b, &QPushButton::clicked, dialog, confirms ? &QDialog::accept : &QDialog::reject);
    return b;
}

void finish(QDialog& dialog, const QString& title, int widthDu, int heightDu) {
    dialog.setWindowTitle(title);
    dialog.setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    dialog.setModal(true);
    dialog.resize(dialogUnitsToPixels(dialog, widthDu, heightDu).expandedTo(dialog.sizeHint()));
}

// A slider of 0..63 without ticks, with its end labels below it.
QSlider* thresholdSlider(QDialog* dialog, QVBoxLayout* layout, const QString& title, const QString& left,
                         const QString& right) {
    layout->addWidget(new QLabel(title, dialog));
    auto* slider = new QSlider(Qt::Horizontal, dialog);
    slider->setRange(0, kMaxThreshold);
    slider->setTickPosition(QSlider::NoTicks);
    layout->addWidget(slider);
    auto* ends = new QHBoxLayout;
    ends->addWidget(new QLabel(left, dialog));
    ends->addStretch();
    ends->addWidget(new QLabel(right, dialog));
    layout->addLayout(ends);
    return slider;
}

QHBoxLayout* buttonRow(QDialog* dialog, const QString& confirm) {
    auto* row = new QHBoxLayout;
    row->addWidget(button(confirm, dialog, true, true));
    row->addStretch();
    row->addWidget(button("Cancel", dialog, false, false));
    return row;
}

}  // namespace

QSize dialogUnitsToPixels(const QWidget& dialog, int width, int height) {
    const QFontMetrics fm(dialog.font());
    return {width * fm.averageCharWidth() / 4, height * fm.height() / 8};
}

// ---------------------------------------------------------------- About

CAboutDlg::CAboutDlg(QWidget* parent) : QDialog(parent) {
    auto* layout = new QHBoxLayout(this);
    auto* icon = new QLabel(this);
    icon->setPixmap(res::programIcon().pixmap(32, 32));
    layout->addWidget(icon, 0, Qt::AlignTop);
    auto* text = new QVBoxLayout;
    text->addWidget(new QLabel("Rova Edit - Performance Editor, version 1.0", this));
    text->addWidget(new QLabel("Edits the motions, eye lights and sound of robot dog performances.", this));
    layout->addLayout(text, 1);
    auto* ok = button("OK", this, true, true);
    layout->addWidget(ok, 0, Qt::AlignTop);
    finish(*this, "About ROVA Editor", 217, 55);
}

// ---------------------------------------------------------------- Zoom Factor

CZoomFactorDlg::CZoomFactorDlg(MessageInterface& ui, QWidget* parent) : QDialog(parent), m_ui(ui) {
    auto* layout = new QHBoxLayout(this);
    auto* left = new QVBoxLayout;
    left->addWidget(new QLabel("Enter Zoom Factor:", this));
    m_edit = new QLineEdit(this);
    left->addWidget(m_edit);
    layout->addLayout(left, 1);
    // The only button: Escape still ends the dialog without a change.
    layout->addWidget(button("OK", this, true, true), 0, Qt::AlignTop);
    setZoomFactor(m_zoom);
    finish(*this, "Zoom Factor", 139, 55);
}

void CZoomFactorDlg::setZoomFactor(int zoom) {
    m_zoom = zoom;
    m_edit->setText(QString::number(zoom));
}

void CZoomFactorDlg::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    m_edit->setFocus(Qt::OtherFocusReason);
    m_edit->selectAll();
}

void CZoomFactorDlg::accept() {
    // An optionally signed run of digits between blanks is an integer.
    const QString text = m_edit->text().trimmed();
    bool isInteger = !text.isEmpty();
    for (qsizetype i = 0; i < text.size() && isInteger; ++i)
        isInteger = text[i].isDigit() || (i == 0 && (text[i] == '-' || text[i] == '+') && text.size() > 1);
    const char* problem = nullptr;
    bool ok = false;
    const qlonglong value = text.toLongLong(&ok);  // digits beyond 64 bits are out of range too
    if (!isInteger)
        problem = "Please enter an integer.";
    else if (!ok || value < 1 || value > 100)
        problem = "Please enter an integer between 1 and 100.";
    if (problem) {
        m_ui.showMessage(problem);
        m_edit->setFocus();
        m_edit->selectAll();
        return;
    }
    m_zoom = static_cast<int>(value);
    QDialog::accept();
}

// ---------------------------------------------------------------- Apply Macro

namespace {

// A list that takes the focus without making its first row current (the
// list view does that by default): with nothing selected no focus band shows,
// and Down then selects the first row.
class NoInitialRowList : public QListWidget {
public:
    using QListWidget::QListWidget;

protected:
    void focusInEvent(QFocusEvent* event) override {
        const bool hadCurrent = currentIndex().isValid();
        QListWidget::focusInEvent(event);
        if (!hadCurrent && selectedItems().isEmpty()) selectionModel()->clearCurrentIndex();
    }
};

}  // namespace

CApplyMacroDlg::CApplyMacroDlg(const QStringList& macroNames, QWidget* parent) : QDialog(parent) {
    auto* layout = new QVBoxLayout(this);
    m_list = new NoInitialRowList(this);
    m_list->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_list->addItems(macroNames);  // in table order, not sorted
    m_list->setCurrentRow(-1);
    m_list->clearSelection();
    connect(m_list, &QListWidget::itemDoubleClicked, this, [this] { accept(); });
    layout->addWidget(m_list, 1);
    auto* row = new QHBoxLayout;
    row->addWidget(button("Apply", this, true, true));
    row->addWidget(button("Cancel", this, false, false));
    layout->addLayout(row);
    finish(*this, "Apply macro to selection", 128, 146);
}

void CApplyMacroDlg::accept() {
    const auto selected = m_list->selectedItems();
    m_name = selected.isEmpty() ? QString() : selected.front()->text();
    QDialog::accept();
}

// ---------------------------------------------------------------- Generate Eyes

CGenerateEyesDlg::CGenerateEyesDlg(QWidget* parent) : QDialog(parent) {
    auto* layout = new QVBoxLayout(this);
    m_greenSlider = thresholdSlider(this, layout, "Green Eye Threshold:", "Off", "On");
    m_redSlider = thresholdSlider(this, layout, "Red Eye Threshold:", "Off", "On");
    layout->addLayout(buttonRow(this, "Generate"));
    setThresholds(m_green, m_red);
    finish(*this, "Generate Eye LEDs from Audio", 208, 118);
}

void CGenerateEyesDlg::setThresholds(int green, int red) {
    m_green = green;
    m_red = red;
    m_greenSlider->setValue(kMaxThreshold - green);
    m_redSlider->setValue(kMaxThreshold - red);
}

void CGenerateEyesDlg::accept() {
    m_green = kMaxThreshold - m_greenSlider->value();
    m_red = kMaxThreshold - m_redSlider->value();
    QDialog::accept();
}

// ---------------------------------------------------------------- Generate Mouth

CGenerateMouthDlg::CGenerateMouthDlg(QWidget* parent) : QDialog(parent) {
    auto* layout = new QVBoxLayout(this);
    m_slider = thresholdSlider(this, layout, "Threshold:", "Closed", "Open");
    layout->addLayout(buttonRow(this, "Generate"));
    setThreshold(m_threshold);
    finish(*this, "Generate Mouth from Audio", 223, 76);
}

void CGenerateMouthDlg::setThreshold(int threshold) {
    m_threshold = threshold;
    m_slider->setValue(kMaxThreshold - threshold);
}

void CGenerateMouthDlg::accept() {
    m_threshold = kMaxThreshold - m_slider->value();
    QDialog::accept();
}

// ---------------------------------------------------------------- Paste Special

CPasteSpecialDlg::CPasteSpecialDlg(QWidget* parent) : QDialog(parent) {
    auto* layout = new QVBoxLayout(this);
    auto* group = new QGroupBox("What to Paste?", this);
    auto* grid = new QGridLayout(group);
    auto check = [group](const char* label) { return new QCheckBox(label, group); };
    m_head = check("Head (X,Y,Z)");
    m_mouth = check("Mouth");
    m_rf = check("RF Leg");
    m_lf = check("LF Leg");
    m_rr = check("RR Leg");
    m_lr = check("LR Leg");
    m_tail = check("Tail");
    m_swapLR = check("Swap L-R");
    m_swapFB = check("Swap F-B");
    int row = 0;
    for (QCheckBox* b : {m_head, m_mouth, m_rf, m_lf, m_rr, m_lr}) grid->addWidget(b, row++, 0);
    grid->setRowMinimumHeight(row++, 8);  // the tail stands a little apart
    grid->addWidget(m_tail, row, 0);
    grid->addWidget(m_swapLR, 2, 1);      // beside the legs
    grid->addWidget(m_swapFB, 3, 1);
    layout->addWidget(group);
    layout->addWidget(new QLabel("NOTE: Paste from the clipboard\nstarting at the current selection.", this));
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(button("OK", this, true, true));
    buttons->addWidget(button("Cancel", this, false, false));
    layout->addLayout(buttons);
    finish(*this, "Paste Special", 186, 170);
}

void CPasteSpecialDlg::showEvent(QShowEvent* event) {
    m_head->setChecked(m_parts.head);
    m_mouth->setChecked(m_parts.mouth);
    m_rf->setChecked(m_parts.rfLeg);
    m_lf->setChecked(m_parts.lfLeg);
    m_rr->setChecked(m_parts.rrLeg);
    m_lr->setChecked(m_parts.lrLeg);
    m_tail->setChecked(m_parts.tail);
    m_swapLR->setChecked(m_parts.swapLR);
    m_swapFB->setChecked(m_parts.swapFB);
    QDialog::showEvent(event);
}

void CPasteSpecialDlg::accept() {
    m_parts = {m_head->isChecked(), m_mouth->isChecked(), m_rf->isChecked(), m_lf->isChecked(), m_rr->isChecked(),
               m_lr->isChecked(),   m_tail->isChecked(),  m_swapLR->isChecked(), m_swapFB->isChecked()};
    QDialog::accept();
}

QCheckBox* CPasteSpecialDlg::box(const QString& label) const {
    for (QCheckBox* b : {m_head, m_mouth, m_rf, m_lf, m_rr, m_lr, m_tail, m_swapLR, m_swapFB})
        if (b->text() == label) return b;
    return nullptr;
}

// ---------------------------------------------------------------- memory and use

CDialogMemory::~CDialogMemory() { delete m_paste.data(); }

CPasteSpecialDlg& CDialogMemory::pasteSpecial() {
    if (!m_paste) m_paste = new CPasteSpecialDlg(m_owner);
    return *m_paste;
}

std::optional<int> askZoomFactor(QWidget* parent, MessageInterface& ui, int current) {
    CZoomFactorDlg dialog(ui, parent);
    dialog.setZoomFactor(current);
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    return dialog.zoomFactor();
}

std::optional<QString> askMacroName(QWidget* parent, const QStringList& macroNames) {
    CApplyMacroDlg dialog(macroNames, parent);
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    return dialog.macroName();
}

std::optional<EyeThresholds> askEyeThresholds(QWidget* parent, CDialogMemory& memory) {
    CGenerateEyesDlg dialog(parent);
    dialog.setThresholds(memory.greenThreshold, memory.redThreshold);
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    memory.greenThreshold = dialog.greenThreshold();
    memory.redThreshold = dialog.redThreshold();
    return EyeThresholds{dialog.greenThreshold(), dialog.redThreshold()};
}

std::optional<int> askMouthThreshold(QWidget* parent, CDialogMemory& memory) {
    CGenerateMouthDlg dialog(parent);
    dialog.setThreshold(memory.mouthThreshold);
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    memory.mouthThreshold = dialog.threshold();
    return dialog.threshold();
}

std::optional<PasteParts> askPasteParts(CDialogMemory& memory) {
    CPasteSpecialDlg& dialog = memory.pasteSpecial();
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    return dialog.parts();
}

}  // namespace rova
