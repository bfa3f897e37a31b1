#include "shell/printing.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QPageSetupDialog>
#include <QPainter>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QPrinterInfo>
#include <QPushButton>
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

bool choosePrinterAndPage(QPrinter& printer, QWidget* parent) {
    QDialog dialog(parent);
    dialog.setWindowTitle("Print Setup");
    auto* layout = new QFormLayout(&dialog);
    auto* printers = new QComboBox(&dialog);
    const QStringList names = QPrinterInfo::availablePrinterNames();
    for (const QString& name : names) printers->addItem(name, name);
    const QString toFile = "Print to File (PDF)";
    printers->addItem(toFile, QString());
    const bool pdf = printer.outputFormat() == QPrinter::PdfFormat || names.isEmpty();
    const int current = pdf ? printers->count() - 1 : std::max(0, printers->findData(printer.printerName()));
    printers->setCurrentIndex(current);
    layout->addRow("&Printer:", printers);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    QPushButton* page = buttons->addButton("Page &Setup...", QDialogButtonBox::ActionRole);
    layout->addRow(buttons);
    auto apply = [&] {
        const QString name = printers->currentData().toString();
        if (name.isEmpty()) {
            printer.setOutputFormat(QPrinter::PdfFormat);
        } else {
            printer.setOutputFormat(QPrinter::NativeFormat);
            printer.setPrinterName(name);
        }
    };
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    // Paper and margins belong to the chosen printer, so it is taken first.
    QObject::connect(page, &QPushButton::clicked, &dialog, [&] {
        apply();
        QPageSetupDialog setup(&printer, &dialog);
        setup.exec();
    });
    if (dialog.exec() != QDialog::Accepted) return false;
    apply();
    return true;
}

}  // namespace rova
