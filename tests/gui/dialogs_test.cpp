// The editor's dialogs: titles and labels, the zoom box's validation, the
// thresholds shown inverted on their sliders, and what is remembered.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSlider>
#include <QTest>

#include "shell/dialogs.h"
#include "gui_support.h"

using namespace rova;
using namespace rova::test;
using testing::ElementsAre;
using testing::IsEmpty;

namespace {

QStringList texts(QWidget& dialog) {
    QStringList out;
    for (QLabel* l : dialog.findChildren<QLabel*>())
        if (!l->text().isEmpty()) out << l->text();
    for (QPushButton* b : dialog.findChildren<QPushButton*>()) out << "[" + b->text() + "]";
    return out;
}

QPushButton* buttonLabelled(QWidget& dialog, const QString& text) {
    for (QPushButton* b : dialog.findChildren<QPushButton*>())
        if (b->text() == text) return b;
    return nullptr;
}

}  // namespace

TEST(Dialogs, TitlesLabelsAndButtons) {
    RecordingMessages ui;
    CAboutDlg about;
    CZoomFactorDlg zoom(ui);
    CApplyMacroDlg macro({"Set legs: sleep", "Set tail: default"});
    CGenerateEyesDlg eyes;
    CGenerateMouthDlg mouth;
    CPasteSpecialDlg paste;
    EXPECT_EQ(about.windowTitle(), "About ROVA Editor");
    EXPECT_EQ(zoom.windowTitle(), "Zoom Factor");
    EXPECT_THAT(texts(zoom), ElementsAre("Enter Zoom Factor:", "[OK]"));
    EXPECT_EQ(macro.windowTitle(), "Apply macro to selection");
    EXPECT_THAT(texts(macro), ElementsAre("[Apply]", "[Cancel]"));
    EXPECT_EQ(eyes.windowTitle(), "Generate Eye LEDs from Audio");
    EXPECT_THAT(texts(eyes),
                ElementsAre("Green Eye Threshold:", "Off", "On", "Red Eye Threshold:", "Off", "On", "[Generate]", "[Cancel]"));
    EXPECT_EQ(mouth.windowTitle(), "Generate Mouth from Audio");
    EXPECT_THAT(texts(mouth), ElementsAre("Threshold:", "Closed", "Open", "[Generate]", "[Cancel]"));
    EXPECT_EQ(paste.windowTitle(), "Paste Special");
    EXPECT_THAT(texts(paste), ElementsAre("NOTE: Paste from the clipboard\nstarting at the current selection.", "[OK]",
                                          "[Cancel]"));
    for (const char* box : {"Head (X,Y,Z)", "Mouth", "RF Leg", "LF Leg", "RR Leg", "LR Leg", "Tail", "Swap L-R", "Swap F-B"})
        EXPECT_NE(paste.box(box), nullptr) << box;
    for (QSlider* s : {eyes.greenSlider(), eyes.redSlider(), mouth.slider()}) {
        EXPECT_EQ(s->minimum(), 0);
        EXPECT_EQ(s->maximum(), 63);
        EXPECT_EQ(s->tickPosition(), QSlider::NoTicks);
    }
}

struct ZoomCase {
    const char* text;
    const char* message;  // null: accepted
    int zoom;
};

class ZoomValidation : public testing::TestWithParam<ZoomCase> {};

TEST_P(ZoomValidation, OnlyIntegersFromOneToHundredCloseTheDialog) {
    RecordingMessages ui;
    CZoomFactorDlg dialog(ui);
    dialog.setZoomFactor(40);
    dialog.show();
    dialog.edit()->setText(GetParam().text);
    QTest::mouseClick(buttonLabelled(dialog, "OK"), Qt::LeftButton);
    if (GetParam().message) {
        EXPECT_THAT(ui.messages, ElementsAre(GetParam().message));
        EXPECT_TRUE(dialog.isVisible());
        EXPECT_EQ(dialog.edit()->selectedText(), dialog.edit()->text());
        EXPECT_EQ(dialog.zoomFactor(), 40);
    } else {
        EXPECT_THAT(ui.messages, IsEmpty());
        EXPECT_FALSE(dialog.isVisible());
        EXPECT_EQ(dialog.result(), QDialog::Accepted);
        EXPECT_EQ(dialog.zoomFactor(), GetParam().zoom);
    }
}

INSTANTIATE_TEST_SUITE_P(Texts, ZoomValidation,
                         testing::Values(ZoomCase{"1", nullptr, 1}, ZoomCase{"100", nullptr, 100},
                                         ZoomCase{" 25 ", nullptr, 25}, ZoomCase{"0", "Please enter an integer between 1 and 100.", 0},
                                         ZoomCase{"101", "Please enter an integer between 1 and 100.", 0},
                                         ZoomCase{"-5", "Please enter an integer between 1 and 100.", 0},
                                         ZoomCase{"99999999999999999999999", "Please enter an integer between 1 and 100.", 0},
                                         ZoomCase{"wide", "Please enter an integer.", 0},
                                         ZoomCase{"", "Please enter an integer.", 0},
                                         ZoomCase{"4.5", "Please enter an integer.", 0},
                                         ZoomCase{"-", "Please enter an integer.", 0}));

TEST(Dialogs, ZoomEscapeLeavesTheFactor) {
    RecordingMessages ui;
    whenModal([](QWidget* w) { QTest::keyClick(w, Qt::Key_Escape); });
    EXPECT_EQ(askZoomFactor(nullptr, ui, 40), std::nullopt);
    whenModal([](QWidget* w) {
        auto* d = static_cast<CZoomFactorDlg*>(w);
        EXPECT_EQ(d->edit()->text(), "80");
        d->edit()->setText("7");
        d->accept();
    });
    EXPECT_EQ(askZoomFactor(nullptr, ui, 80), 7);
}

TEST(Dialogs, ThresholdsStandInvertedOnTheSliders) {
    CGenerateEyesDlg eyes;
    eyes.setThresholds(30, 10);
    EXPECT_EQ(eyes.greenSlider()->value(), 33);
    EXPECT_EQ(eyes.redSlider()->value(), 53);
    eyes.greenSlider()->setValue(eyes.greenSlider()->maximum());  // fully to "On"
    eyes.redSlider()->setValue(0);                                // fully to "Off"
    eyes.accept();
    EXPECT_EQ(eyes.greenThreshold(), 0);
    EXPECT_EQ(eyes.redThreshold(), 63);

    CGenerateMouthDlg mouth;
    mouth.setThreshold(5);
    EXPECT_EQ(mouth.slider()->value(), 58);
    mouth.slider()->setValue(20);
    mouth.accept();
    EXPECT_EQ(mouth.threshold(), 43);
}

TEST(Dialogs, ThresholdsAreRememberedOnlyWhenConfirmed) {
    CDialogMemory memory;
    whenModal([](QWidget* w) {
        auto* d = static_cast<CGenerateEyesDlg*>(w);
        EXPECT_EQ(d->greenSlider()->value(), 33);  // 30 at first
        EXPECT_EQ(d->redSlider()->value(), 33);
        d->greenSlider()->setValue(60);
        d->reject();
    });
    EXPECT_EQ(askEyeThresholds(nullptr, memory), std::nullopt);
    EXPECT_EQ(memory.greenThreshold, 30);

    whenModal([](QWidget* w) {
        auto* d = static_cast<CGenerateEyesDlg*>(w);
        d->greenSlider()->setValue(60);
        d->redSlider()->setValue(13);
        QTest::mouseClick(buttonLabelled(*d, "Generate"), Qt::LeftButton);
    });
    const auto eyes = askEyeThresholds(nullptr, memory);
    ASSERT_TRUE(eyes);
    EXPECT_EQ(eyes->green, 3);
    EXPECT_EQ(eyes->red, 50);
    whenModal([](QWidget* w) {
        auto* d = static_cast<CGenerateEyesDlg*>(w);
        EXPECT_EQ(d->greenSlider()->value(), 60);
        EXPECT_EQ(d->redSlider()->value(), 13);
        d->reject();
    });
    askEyeThresholds(nullptr, memory);

    whenModal([](QWidget* w) {
        auto* d = static_cast<CGenerateMouthDlg*>(w);
        EXPECT_EQ(d->slider()->value(), 33);
        d->slider()->setValue(63);
        d->accept();
    });
    EXPECT_EQ(askMouthThreshold(nullptr, memory), 0);
    EXPECT_EQ(memory.mouthThreshold, 0);
}

TEST(Dialogs, PasteSpecialIsOneObjectThatShowsTheLastConfirmedChoice) {
    CDialogMemory memory;
    CPasteSpecialDlg* first = &memory.pasteSpecial();
    whenModal([](QWidget* w) {
        auto* d = static_cast<CPasteSpecialDlg*>(w);
        for (const char* part : {"Head (X,Y,Z)", "Mouth", "RF Leg", "LF Leg", "RR Leg", "LR Leg", "Tail"})
            EXPECT_TRUE(d->box(part)->isChecked()) << part;
        EXPECT_FALSE(d->box("Swap L-R")->isChecked());
        EXPECT_FALSE(d->box("Swap F-B")->isChecked());
        d->box("Mouth")->setChecked(false);
        d->box("Swap F-B")->setChecked(true);
        d->accept();
    });
    auto parts = askPasteParts(memory);
    ASSERT_TRUE(parts);
    PasteParts expected;
    expected.mouth = false;
    expected.swapFB = true;
    EXPECT_EQ(*parts, expected);

    whenModal([](QWidget* w) {
        auto* d = static_cast<CPasteSpecialDlg*>(w);
        d->box("Head (X,Y,Z)")->setChecked(false);
        d->box("Mouth")->setChecked(true);
        d->reject();
    });
    EXPECT_EQ(askPasteParts(memory), std::nullopt);

    whenModal([](QWidget* w) {
        auto* d = static_cast<CPasteSpecialDlg*>(w);
        EXPECT_TRUE(d->box("Head (X,Y,Z)")->isChecked());
        EXPECT_FALSE(d->box("Mouth")->isChecked());
        EXPECT_TRUE(d->box("Swap F-B")->isChecked());
        d->accept();
    });
    EXPECT_EQ(askPasteParts(memory), expected);
    EXPECT_EQ(&memory.pasteSpecial(), first);
}

TEST(Dialogs, MacroListKeepsTableOrderAndHandsBackTheChosenName) {
    const QStringList names = {"Set tail: default", "Set legs: sleep", "Set head: default"};
    whenModal([](QWidget* w) { static_cast<CApplyMacroDlg*>(w)->accept(); });
    EXPECT_EQ(askMacroName(nullptr, names), QString());  // Apply without a selection

    whenModal([](QWidget* w) {
        auto* d = static_cast<CApplyMacroDlg*>(w);
        ASSERT_EQ(d->list()->count(), 3);
        EXPECT_EQ(d->list()->item(0)->text(), "Set tail: default");
        EXPECT_TRUE(d->list()->selectedItems().isEmpty());
        d->list()->doItemsLayout();
        QListWidgetItem* item = d->list()->item(0);
        const QPoint at = d->list()->visualItemRect(item).center();
        doubleClick(d->list()->viewport(), at);
    });
    EXPECT_EQ(askMacroName(nullptr, names), "Set tail: default");

    whenModal([](QWidget* w) { static_cast<QDialog*>(w)->reject(); });
    EXPECT_EQ(askMacroName(nullptr, names), std::nullopt);
}
