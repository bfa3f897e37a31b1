// What Paste Special takes from the clipboard: the seven body groups and the
// two leg swaps. Free of any toolkit, so the clipboard mapping can use it.
#pragma once

namespace rova {

struct PasteParts {
    bool head = true;
    bool mouth = true;
    bool rfLeg = true;
    bool lfLeg = true;
    bool rrLeg = true;
    bool lrLeg = true;
    bool tail = true;
    bool swapLR = false;
    bool swapFB = false;
    bool operator==(const PasteParts&) const = default;
};

}  // namespace rova
