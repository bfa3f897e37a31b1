#include "platform/qt_messages.h"

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>

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

}  // namespace rova
