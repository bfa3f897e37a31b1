// Printing and print preview of a view: its drawing on one page, at screen
// size when it fits and scaled down to the page when it does not.
#pragma once

class QPainter;
class QPrinter;
class QRectF;
class QWidget;

namespace rova {

class CView;

// Draws the view into a page of pageRect (device pixels) at resolution dpi.
void drawViewPage(CView& view, QPainter& painter, const QRectF& pageRect, int resolution);
// Prints at once on the printer as it is set up; false when printing cannot start.
bool printView(CView& view, QPrinter& printer);
// The Print dialog, then the page.
void printViewWithDialog(CView& view, QPrinter& printer, QWidget* parent);
// The print preview window; it keeps its page count in the settings ("PreviewPages").
void previewView(CView& view, QPrinter& printer, QWidget* parent);

// Print Setup: the printer to use (a real one or a PDF file) and, through
// "Page Setup...", its paper and margins. False when cancelled.
bool choosePrinterAndPage(QPrinter& printer, QWidget* parent);

}  // namespace rova
