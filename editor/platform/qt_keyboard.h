// State of the lock keys for the status bar's CAP, NUM and SCRL indicators.
#pragma once

namespace rova {

struct LockKeys {
    bool caps = false;
    bool num = false;
    bool scroll = false;
};

// Asks the window system when it can tell (X11); otherwise all are off.
LockKeys readLockKeys();

}  // namespace rova
