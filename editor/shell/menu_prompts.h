// The status-bar prompt of a disabled menu item: the toolkit shows prompts of
// enabled items only, yet a prompt also tells why an item may be of use.
#pragma once

class QMainWindow;
class QMenu;

namespace rova {

// While the pointer rests on a disabled item of `menu`, its prompt shows in
// the frame's status bar.
void showPromptsOfDisabledItems(QMenu& menu, QMainWindow& frame);

}  // namespace rova
