// A pane host at a chosen zoom with no selection, viewer or window behind it.
#pragma once

#include "panes/track_pane.h"

namespace rova::test {

struct PaneHostStub : PaneHost {
    int pps = 25;
    int pixelsPerSecond() const override { return pps; }
    bool getSelection(int&, int&) const override { return false; }
    void setTimeSelection(int, int) override {}
    void pushPoseToViewer() override {}
    void invalidateBand(int, int) override {}
};

}  // namespace rova::test
