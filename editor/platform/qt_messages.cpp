#include "platform/qt_messages.h"

#include <QApplication>
#include <QCheckBox>
#include <QFileDialog>
#include <QGridLayout>
#include <QMessageBox>
#include <QPointer>
#include <QProgressDialog>
#include <algorithm>
#include <memory>

namespace rova {
namespace {

QString qs(std::string_view s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }

// "*.WAV" also matches "*.wav" and "*.Wav": every letter as a [xX] class.
QString caseFreePattern(const QString& pattern) {
    if (pattern == "*.*") return "*";
    QString out;
    for (const QChar c : pattern) {
        if (c.isLetter() && c.toLower() != c.toUpper())
            out += QString("[%1%2]").arg(c.toLower(), c.toUpper());
        else
            out += c;
    }
    return out;
}

}  // namespace

QString qtNameFilter(const FileFilter& filter) {
    // The dialog hides the part in parentheses, so the user sees the name alone.
    return QString("%1 (%2)").arg(qs(filter.name), caseFreePattern(qs(filter.pattern)));
}

QStringList qtNameFilters(const std::vector<FileFilter>& filters) {
    QStringList out;
    for (const auto& f : filters) out << qtNameFilter(f);
    return out;
}

QWidget* messageParent() {
    if (QWidget* modal = QApplication::activeModalWidget()) return modal;
    return QApplication::activeWindow();
}

void QtMessages::showMessage(std::string_view text) {
    QMessageBox box(QMessageBox::Warning, qs(kProgramTitle), qs(text), QMessageBox::Ok, messageParent());
    box.exec();
}

bool QtMessages::askYesNo(std::string_view text) {
    QMessageBox box(QMessageBox::Question, qs(kProgramTitle), qs(text), QMessageBox::Yes | QMessageBox::No,
                    messageParent());
    box.setDefaultButton(QMessageBox::Yes);
    return box.exec() == QMessageBox::Yes;
}

std::optional<std::string> QtMessages::chooseFileToOpen(const OpenFileRequest& request) {
    QFileDialog dialog(messageParent(), qs(request.title));
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setOption(QFileDialog::HideNameFilterDetails);
    dialog.setNameFilters(qtNameFilters(request.filters));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
    return dialog.selectedFiles().front().toStdString();
}

std::optional<SavedFile> QtMessages::chooseFileToSave(const SaveFileRequest& request) {
    QFileDialog dialog(messageParent(), qs(request.title));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setOption(QFileDialog::HideNameFilterDetails);
    dialog.setOption(QFileDialog::DontConfirmOverwrite);  // the caller asks about all the files it replaces
    dialog.setNameFilters(qtNameFilters(request.filters));
    if (!request.defaultSuffix.empty()) dialog.setDefaultSuffix(qs(request.defaultSuffix));
    if (!request.initialPath.empty()) dialog.selectFile(qs(request.initialPath));
    QCheckBox* option = nullptr;
    if (!request.checkBoxText.empty()) {
        // A native dialog takes no widgets of ours.
        dialog.setOption(QFileDialog::DontUseNativeDialog);
        option = new QCheckBox(qs(request.checkBoxText), &dialog);
        option->setObjectName("option");
        option->setChecked(request.checked);
        if (auto* grid = qobject_cast<QGridLayout*>(dialog.layout()))
            grid->addWidget(option, grid->rowCount(), 0, 1, grid->columnCount());
        else if (dialog.layout())
            dialog.layout()->addWidget(option);
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
    return SavedFile{dialog.selectedFiles().front().toStdString(), option ? option->isChecked() : request.checked};
}

ProgressCallback QtMessages::startProgress(std::string_view label) {
    // Owned by the callback, unless its parent window went first and took it along.
    struct Owner {
        QPointer<QProgressDialog> dialog;
        ~Owner() { delete dialog.data(); }
    };
    auto owner = std::make_shared<Owner>();
    owner->dialog = new QProgressDialog(qs(label), "Cancel", 0, 1000, messageParent());
    QProgressDialog* dialog = owner->dialog;
    dialog->setWindowTitle(qs(kProgramTitle));
    dialog->setWindowModality(Qt::ApplicationModal);
    dialog->setMinimumDuration(500);  // a quick task shows nothing
    dialog->setAutoClose(false);
    dialog->setAutoReset(false);
    dialog->setValue(0);
    return [owner](double done) {
        QProgressDialog* d = owner->dialog;
        if (!d) return false;
        d->setValue(static_cast<int>(std::clamp(done, 0.0, 1.0) * 1000));
        QCoreApplication::processEvents();
        return !d->wasCanceled();
    };
}

}  // namespace rova
