// Copy and Paste Special: all 18 channels of the selected time
// steps through the system clipboard in the private format, and back onto the
// keyframes of a full-body motion, by body group and with the leg swaps.
#include <QString>
#include <map>

#include "commands/editor_commands.h"
#include "shell/document.h"
#include "view/clipboard_block.h"
#include "view/main_view.h"
#include "view/motion_clipboard.h"
#include "view/view_dialogs.h"
#include "shell/editor_app.h"

namespace rova {
namespace {

constexpr const char* kMsgOpenFailed = "Failed to open clipboard";
constexpr const char* kMsgEmptyFailed = "Failed to empty clipboard";
constexpr const char* kMsgAllocFailed = "Internal error: alloc";
constexpr const char* kMsgSetFailed = "Unable to set Clipboard data";
constexpr const char* kMsgPartialTracks = "Editing partial motion tracks NYI";
constexpr const char* kMsgNoMotion = "No motion data in the clipboard";

class CCopyCommand : public CViewCommand {
public:
    CCopyCommand()
        : CViewCommand({.id = ID_EDIT_COPY,
                        .text = "&Copy\tCtrl+C",
                        .prompt = "Copy the selection and put it on the Clipboard\nCopy",
                        .keys = {QKeyCombination(Qt::Key_C), QKeyCombination(Qt::ControlModifier, Qt::Key_C),
                                 QKeyCombination(Qt::ControlModifier, Qt::Key_Insert)},
                        .verbs = {"copy"}}) {}

    void onUpdate(CMainView& view, CCmdUI& ui) override { ui.enable((view.doc().trackFlags() & TRACK_MOTION) != 0); }

    void onExecute(CMainView& view) override {
        if (!view.hasSelection()) return;
        const CMainDoc& doc = view.doc();
        MessageInterface& ui = view.doc().ui();
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
        if (!clipboard.allocate(clipboardBlockSize(view.selLength()), block)) {
            ui.showMessage(kMsgAllocFailed);
            clipboard.close();
            return;
        }
        const int start = view.selStart();
        fillClipboardBlock(block, doc.trackFlags() & TRACK_MOTION, view.selLength(),
                           [&](int i, int c) { return doc.valueAt(start + i, c); });
        if (!clipboard.setData(std::move(block))) ui.showMessage(kMsgSetFailed);
        clipboard.close();
    }
};

class CPasteSpecialCommand : public CViewCommand {
public:
    CPasteSpecialCommand()
        : CViewCommand({.id = ID_EDIT_PASTE_SPECIAL,
                        .text = "&Paste Special...\tCtrl+V",
                        .prompt = "Paste Clipboard contents on top of selection\nPaste Special",
                        .keys = {QKeyCombination(Qt::ControlModifier, Qt::Key_V),
                                 QKeyCombination(Qt::ShiftModifier, Qt::Key_Insert)},
                        .verbs = {"paste", "paste-cancel"}}) {}

    void onUpdate(CMainView& view, CCmdUI& ui) override {
        if (!view.isActiveView() || !(view.doc().trackFlags() & TRACK_MOTION)) {
            ui.enable(false);
            return;
        }
        MotionClipboard& clipboard = motionClipboard();
        if (!clipboard.open()) {
            ui.enable(false);
            return;
        }
        ui.enable(clipboard.hasData());
        clipboard.close();
    }

    void onExecute(CMainView& view) override {
        if (!view.hasSelection()) return;
        CMainDoc& doc = view.doc();
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
        view.beginEdit("Paste Special");
        const int start = view.selStart();
        view.setTimeSelection(start, block->steps());
        view.viewport()->repaint();
        const std::optional<PasteParts> parts = viewDialogs().askPasteSpecial(&view, CEditorApp::instance()->dialogMemory());
        if (!parts) {
            clipboard.close();
            view.endEdit();
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
        view.endEdit();
        if (missed > 0)
            doc.ui().showMessage(
                QString::asprintf("Pasted %d out of %d possible motions", pasted, pasted + missed).toStdString());
        view.invalidateAll();
        view.pushPoseToViewer();
    }

    // paste [head] [mouth] [rf] [lf] [rr] [lr] [tail] [swap-lr] [swap-fb]: the boxes
    // ticked before OK; paste-cancel: the dialog cancelled.
    bool takeArguments(const std::string& verb, const std::vector<std::string>& args, ScriptedAnswers& answers,
                       std::string& error) override {
        if (verb == "paste-cancel") {
            if (args.empty()) return true;
            error = "usage: paste-cancel";
            return false;
        }
        PasteParts parts{.head = false, .mouth = false, .rfLeg = false, .lfLeg = false, .rrLeg = false,
                         .lrLeg = false, .tail = false, .swapLR = false, .swapFB = false};
        static const std::map<std::string, bool PasteParts::*> boxes = {
            {"head", &PasteParts::head}, {"mouth", &PasteParts::mouth},    {"rf", &PasteParts::rfLeg},
            {"lf", &PasteParts::lfLeg},  {"rr", &PasteParts::rrLeg},       {"lr", &PasteParts::lrLeg},
            {"tail", &PasteParts::tail}, {"swap-lr", &PasteParts::swapLR}, {"swap-fb", &PasteParts::swapFB},
        };
        for (const std::string& word : args) {
            const auto box = boxes.find(word);
            if (box == boxes.end()) {
                error = "usage: paste [head] [mouth] [rf] [lf] [rr] [lr] [tail] [swap-lr] [swap-fb]";
                return false;
            }
            parts.*(box->second) = true;
        }
        answers.paste = parts;
        return true;
    }
};

}  // namespace

void addClipboardCommands(CommandRegistry& registry) {
    registry.add(std::make_unique<CCopyCommand>());
    registry.add(std::make_unique<CPasteSpecialCommand>());
}

}  // namespace rova
