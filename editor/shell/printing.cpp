#include "shell/printing.h"

#include <QPainter>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QSettings>
#include <algorithm>

#include "shell/document.h"
#include "shell/editor_app.h"
#include "shell/view.h"

namespace rova {
namespace {

constexpr double kScreenDpi = 96.0;

void drawOnPrinter(CView& view, QPrinter& printer, QPainter& painter) {
    const QRectF page(QPointF(0, 0), printer.pageLayout().paintRectPixels(printer.resolution()).size());
    drawViewPage(view, painter, page, printer.resolution());
}

}  // namespace

void drawViewPage(CView& view, QPainter& painter, const QRectF& pageRect, int resolution) {
    const QSize size = view.drawingSize();
    if (size.isEmpty()) return;
    double scale = resolution / kScreenDpi;
    scale = std::min({scale, pageRect.width() / size.width(), pageRect.height() / size.height()});
    painter.save();
    painter.translate(pageRect.topLeft());
    painter.scale(scale, scale);
    painter.setClipRect(QRect(QPoint(0, 0), size));
    view.onDraw(painter);
    painter.restore();
}

bool printView(CView& view, QPrinter& printer) {
    printer.setDocName(view.document().title());
    QPainter painter;
    if (!painter.begin(&printer)) return false;
    drawOnPrinter(view, printer, painter);
    return painter.end();
}

void printViewWithDialog(CView& view, QPrinter& printer, QWidget* parent) {
    QPrintDialog dialog(&printer, parent);
    dialog.setOption(QAbstractPrintDialog::PrintPageRange, false);
    if (dialog.exec() != QDialog::Accepted) return;
    printView(view, printer);
}

void previewView(CView& view, QPrinter& printer, QWidget* parent) {
    QSettings settings(kSettingsOrganization, kSettingsApplication);
    const int pages = settings.value("Settings/PreviewPages", 1).toInt();
    QPrintPreviewDialog dialog(&printer, parent);
    QObject::connect(&dialog, &QPrintPreviewDialog::paintRequested, [&view](QPrinter* target) {
        QPainter painter(target);
        drawOnPrinter(view, *target, painter);
    });
    auto* preview = dialog.findChild<QPrintPreviewWidget*>();
    if (preview)
        preview->setViewMode(pages >= 2 ? QPrintPreviewWidget::FacingPagesView : QPrintPreviewWidget::SinglePageView);
    dialog.exec();
    if (preview) {
        const int shown = preview->viewMode() == QPrintPreviewWidget::SinglePageView ? 1 : 2;
        if (shown != pages) settings.setValue("Settings/PreviewPages", shown);
    }
}

}  // namespace rova
