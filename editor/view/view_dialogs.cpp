#include "view/view_dialogs.h"

#include "app/dialogs.h"
#include "app/editor_app.h"
#include "platform/qt_messages.h"

namespace rova {
namespace {

ViewDialogs* g_dialogs = nullptr;

}  // namespace

std::optional<int> QtViewDialogs::askZoomFactor(QWidget* parent, int current) {
    QtMessages fallback;
    MessageInterface& ui = CEditorApp::instance() ? CEditorApp::instance()->ui() : fallback;
    CZoomFactorDlg dlg(ui, parent);
    dlg.setZoomFactor(current);
    if (dlg.exec() != QDialog::Accepted) return std::nullopt;
    return dlg.zoomFactor();
}

std::optional<QString> QtViewDialogs::askMacro(QWidget* parent, const QStringList& names) {
    CApplyMacroDlg dlg(names, parent);
    if (dlg.exec() != QDialog::Accepted) return std::nullopt;
    return dlg.macroName();
}

std::optional<EyeThresholds> QtViewDialogs::askGenerateEyes(QWidget* parent, EyeThresholds current) {
    CGenerateEyesDlg dlg(parent);
    dlg.setThresholds(current.green, current.red);
    if (dlg.exec() != QDialog::Accepted) return std::nullopt;
    return EyeThresholds{dlg.greenThreshold(), dlg.redThreshold()};
}

std::optional<int> QtViewDialogs::askGenerateMouth(QWidget* parent, int current) {
    CGenerateMouthDlg dlg(parent);
    dlg.setThreshold(current);
    if (dlg.exec() != QDialog::Accepted) return std::nullopt;
    return dlg.threshold();
}

std::optional<PasteParts> QtViewDialogs::askPasteSpecial(QWidget* parent) {
    // The one dialog of the run keeps the boxes of its last confirmed use.
    if (CEditorApp* app = CEditorApp::instance()) return askPasteParts(app->dialogMemory());
    CPasteSpecialDlg dlg(parent);
    if (dlg.exec() != QDialog::Accepted) return std::nullopt;
    return dlg.parts();
}

ViewDialogs& viewDialogs() {
    static QtViewDialogs real;
    return g_dialogs ? *g_dialogs : real;
}

void setViewDialogs(ViewDialogs* dialogs) { g_dialogs = dialogs; }

}  // namespace rova
