// The Qt message boxes and file dialogs: captions, buttons, texts and filters.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>

#include "shell/shell_dialogs.h"
#include "gui_support.h"
#include "platform/qt_messages.h"

using namespace rova;
using namespace rova::test;
using testing::ElementsAre;

namespace {

struct Box {
    QString title, text;
    QStringList buttons;
};

// Reads the next message box and presses the button with the given role.
void answerBox(Box& seen, QMessageBox::StandardButton press) {
    whenModal([&seen, press](QWidget* w) {
        auto* box = qobject_cast<QMessageBox*>(w);
        ASSERT_NE(box, nullptr);
        seen.title = box->windowTitle();
        seen.text = box->text();
        for (QAbstractButton* b : box->buttons()) seen.buttons << b->text().remove('&');
        box->button(press)->click();
    });
}

}  // namespace

TEST(QtMessages, BoxesAreCaptionedWithTheProgramTitle) {
    QtMessages messages;
    Box seen;
    answerBox(seen, QMessageBox::Ok);
    messages.showMessage("LED file is not in valid format");
    EXPECT_EQ(seen.title, "Rova Edit - Performance Editor");
    EXPECT_EQ(seen.text, "LED file is not in valid format");
    EXPECT_THAT(seen.buttons, ElementsAre("OK"));

    Box question;
    answerBox(question, QMessageBox::Yes);
    EXPECT_TRUE(messages.askYesNo("Replace existing motion/LED tracks ?"));
    EXPECT_EQ(question.title, "Rova Edit - Performance Editor");
    std::sort(question.buttons.begin(), question.buttons.end());
    EXPECT_THAT(question.buttons, ElementsAre("No", "Yes"));
    Box no;
    answerBox(no, QMessageBox::No);
    EXPECT_FALSE(messages.askYesNo("Replace existing motion/LED tracks ?"));
}

TEST(QtMessages, SaveQuestionHasYesNoAndCancel) {
    QtShellDialogs dialogs;
    const std::pair<QMessageBox::StandardButton, ShellDialogs::SaveAnswer> answers[] = {
        {QMessageBox::Yes, ShellDialogs::SaveAnswer::Yes},
        {QMessageBox::No, ShellDialogs::SaveAnswer::No},
        {QMessageBox::Cancel, ShellDialogs::SaveAnswer::Cancel},
    };
    for (const auto& [press, answer] : answers) {
        Box seen;
        answerBox(seen, press);
        EXPECT_EQ(dialogs.askSaveChanges(nullptr, "Bounce.MTN"), answer);
        EXPECT_EQ(seen.title, "Rova Edit - Performance Editor");
        EXPECT_EQ(seen.text, "Save changes to Bounce.MTN?");
        std::sort(seen.buttons.begin(), seen.buttons.end());
        EXPECT_THAT(seen.buttons, ElementsAre("Cancel", "No", "Yes"));
    }
}

TEST(QtMessages, OpenDialogTakesSeveralExistingFilesWithTheFiltersInOrder) {
    std::unique_ptr<QFileDialog> dialog(makeOpenFilesDialog(nullptr));
    EXPECT_EQ(dialog->windowTitle(), "Open Motion file(s)");
    EXPECT_EQ(dialog->fileMode(), QFileDialog::ExistingFiles);
    EXPECT_TRUE(dialog->testOption(QFileDialog::HideNameFilterDetails));
    QStringList shown;
    for (const QString& f : dialog->nameFilters()) shown << f.left(f.lastIndexOf(" ("));
    EXPECT_THAT(shown, ElementsAre("Motion Files", "Wave Files", "MIDI Files", "LED Files", "All Files (*.*)"));
    EXPECT_TRUE(dialog->selectedNameFilter().startsWith("Motion Files"));
}

TEST(QtMessages, FiltersMatchWithoutRegardToCaseAndStarDotStarMatchesEverything) {
    EXPECT_EQ(qtNameFilter({"Wave Files", "*.WAV"}), "Wave Files (*.[wW][aA][vV])");
    EXPECT_EQ(qtNameFilter({"All Files (*.*)", "*.*"}), "All Files (*.*) (*)");
}

TEST(QtMessages, ChooseFileToOpenReturnsTheChosenFile) {
    Performances files;
    files.add("A");
    QtMessages messages;
    whenModal([&](QWidget* w) {
        auto* dialog = qobject_cast<QFileDialog*>(w);
        ASSERT_NE(dialog, nullptr);
        EXPECT_EQ(dialog->windowTitle(), "Select New Audio File");
        dialog->selectFile(QString::fromStdString(files.dir / "A.WAV"));
        QMetaObject::invokeMethod(dialog, "accept");
    });
    const auto chosen = messages.chooseFileToOpen({"Select New Audio File", {{"Wave Files", "*.WAV"}}});
    ASSERT_TRUE(chosen);
    EXPECT_EQ(*chosen, files.dir / "A.WAV");
}
