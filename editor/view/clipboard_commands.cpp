// Copy and Paste Special: all 18 channels of the selected time
// steps through the system clipboard in the private format, and back onto the
// keyframes of a full-body motion, by body group and with the leg swaps.
#include <QString>

#include "app/document.h"
#include "view/clipboard_block.h"
#include "view/main_view.h"
#include "view/motion_clipboard.h"
#include "view/view_dialogs.h"

namespace rova {
namespace {

constexpr const char* kMsgOpenFailed = "Failed to open clipboard";
constexpr const char* kMsgEmptyFailed = "Failed to empty clipboard";
constexpr const char* kMsgAllocFailed = "Internal error: alloc";
constexpr const char* kMsgSetFailed = "Unable to set Clipboard data";
constexpr const char* kMsgPartialTracks = "Editing partial motion tracks NYI";
constexpr const char* kMsgNoMotion = "No motion data in the clipboard";

}  // namespace

bool CMainView::canCopy() const { return (document().doc().trackFlags() & TRACK_MOTION) != 0; }

bool CMainView::canPasteSpecial() const {
    if (!isActiveView() || !(document().doc().trackFlags() & TRACK_MOTION)) return false;
    MotionClipboard& clipboard = motionClipboard();
    if (!clipboard.open()) return false;
    const bool held = clipboard.hasData();
    clipboard.close();
    return held;
}

void CMainView::onCopy() {
    if (!hasSelection()) return;
    const CMainDoc& doc = document().doc();
    MessageInterface& ui = document().doc().ui();
    MotionClipboard& clipboard = motionClipboard();
    if (!clipboard.open()) {
        ui.showMessage(kMsgOpenFailed);
        return;
    }
    if (!clipboard.empty()) {
        ui.showMessage(kMsgEmptyFailed);
        clipboard.close();
        return;
    }
    std::vector<std::uint8_t> block;
    if (!clipboard.allocate(clipboardBlockSize(m_selLength), block)) {
        ui.showMessage(kMsgAllocFailed);
        clipboard.close();
        return;
    }
    const int start = m_selStart;
    fillClipboardBlock(block, doc.trackFlags() & TRACK_MOTION, m_selLength,
                       [&](int i, int c) { return doc.valueAt(start + i, c); });
    if (!clipboard.setData(std::move(block))) ui.showMessage(kMsgSetFailed);
    clipboard.close();
}

void CMainView::onPasteSpecial() {
    if (!hasSelection()) return;
    CMainDoc& doc = document().doc();
    const unsigned motion = doc.trackFlags() & TRACK_MOTION;
    if (motion == 0) return;
    if (motion != TRACK_MOTION) {
        doc.ui().showMessage(kMsgPartialTracks);
        return;
    }
    MotionClipboard& clipboard = motionClipboard();
    if (!clipboard.open()) {
        doc.ui().showMessage(kMsgOpenFailed);
        return;
    }
    std::vector<std::uint8_t> bytes;
    std::optional<ClipboardMotion> block;
    if (clipboard.getData(bytes)) block = ClipboardMotion::parse(bytes.data(), bytes.size());
    if (!block) {
        doc.ui().showMessage(kMsgNoMotion);
        clipboard.close();
        return;
    }
    // The target range shows before the dialog, and stays even when it is cancelled.
    const int start = m_selStart;
    setTimeSelection(start, block->steps());
    viewport()->repaint();
    const std::optional<PasteParts> parts = viewDialogs().askPasteSpecial(this);
    if (!parts) {
        clipboard.close();
        return;
    }
    int pasted = 0, missed = 0;
    for (int i = 0; i < block->steps(); ++i) {
        for (int c = 0; c < kChannelCount; ++c) {
            const std::int32_t v = block->value(i, c);
            if (v == kNoValue) continue;
            const int target = mapChannel(c, *parts);
            if (target < 0) continue;
            if (doc.setValueAt(start + i, target, v)) ++pasted;
            else ++missed;
        }
    }
    clipboard.close();
    if (missed > 0)
        doc.ui().showMessage(
            QString::asprintf("Pasted %d out of %d possible motions", pasted, pasted + missed).toStdString());
    invalidateAll();
    pushPoseToViewer();
}

}  // namespace rova
