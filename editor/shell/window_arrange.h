// Arranging the performance windows inside the main frame's window area.
#pragma once

class QMdiArea;

namespace rova {

// Overlapping windows, each a title bar lower and further right than the one
// before, all as large as the area allows so that the last one fits.
void cascadeWindows(QMdiArea& area);
// Windows one above the other, each the full width of the area: a
// performance's time axis runs across, so width is what each window keeps.
void tileWindowsHorizontally(QMdiArea& area);

}  // namespace rova
