// The editor's icons, toolbar images and cursors, drawn at run time so that the
// program carries no image files: program icon 128, document icon 129, player
// icon 130, the 16 x 15 toolbar images and the player's drag cursor 104.
#pragma once

#include <QCursor>
#include <QIcon>
#include <QPixmap>

namespace rova::res {

QIcon programIcon();   // 128: the dog's head over a time line
QIcon documentIcon();  // 129: a page with track bands
QIcon playerIcon();    // 130: the dog in a frame

// The toolbar image of a command id, or a null pixmap for a command without one.
QPixmap toolbarImage(int commandId);

// 104: a 32 x 32 monochrome arrow with a small dog at its lower right, hot spot (1, 1).
QCursor dragCursor();

}  // namespace rova::res
