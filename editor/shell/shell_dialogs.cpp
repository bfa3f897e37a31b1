#include "shell/shell_dialogs.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>

#include "platform/messages.h"
#include "platform/qt_messages.h"

namespace rova {

QFileDialog* makeOpenFilesDialog(QWidget* parent) {
    auto* dialog = new QFileDialog(parent, kOpenDialogTitle);
    dialog->setAcceptMode(QFileDialog::AcceptOpen);
    dialog->setFileMode(QFileDialog::ExistingFiles);
    dialog->setOption(QFileDialog::HideNameFilterDetails);
    dialog->setOption(QFileDialog::ReadOnly, false);
    dialog->setNameFilters(qtNameFilters({{"Motion Files", "*.MTN"},
                                          {"Wave Files", "*.WAV"},
                                          {"MIDI Files", "*.MID"},
                                          {"LED Files", "*.LED"},
                                          {"All Files (*.*)", "*.*"}}));
    return dialog;
}

bool fitsOpenNamesBuffer(const QStringList& paths) {
    qsizetype needed = 0;
    if (paths.size() == 1) {
        needed = paths.front().size() + 2;
    } else if (!paths.isEmpty()) {
        needed = QFileInfo(paths.front()).absolutePath().size() + 1;
        for (const QString& p : paths) needed += QFileInfo(p).fileName().size() + 1;
        needed += 1;
    }
    return needed <= kOpenNamesBufferSize;
}

std::optional<QStringList> QtShellDialogs::chooseFilesToOpen(QWidget* parent) {
    std::unique_ptr<QFileDialog> dialog(makeOpenFilesDialog(parent));
    if (dialog->exec() != QDialog::Accepted) return std::nullopt;
    return dialog->selectedFiles();
}

ShellDialogs::SaveAnswer QtShellDialogs::askSaveChanges(QWidget* parent, const QString& documentTitle) {
    QMessageBox box(QMessageBox::Warning, QString::fromUtf8(kProgramTitle.data(), kProgramTitle.size()),
                    QString("Save changes to %1?").arg(documentTitle),
                    QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, parent);
    box.setDefaultButton(QMessageBox::Yes);
    switch (box.exec()) {
    case QMessageBox::Yes: return SaveAnswer::Yes;
    case QMessageBox::No: return SaveAnswer::No;
    default: return SaveAnswer::Cancel;
    }
}

QString QtShellDialogs::chooseSaveName(QWidget* parent, const QString& currentPath) {
    QFileDialog dialog(parent, "Save As", currentPath);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilter("Motion Files (*.mtn)");
    dialog.setDefaultSuffix("mtn");
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    return dialog.selectedFiles().front();
}

}  // namespace rova
