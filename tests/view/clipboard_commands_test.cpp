// Copy and Paste Special on the performance view: the block they put on and
// take off the clipboard, the counts, the swaps, every refusal and failure in
// its order, the enabling rule, and a copy from one document pasted into
// another through the system clipboard.
#include <QCheckBox>
#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

#include "view/clipboard_block.h"
#include "view/motion_clipboard.h"
#include "view/view_support.h"

using namespace rova;
using namespace rova::test;
using testing::ElementsAre;
using testing::IsEmpty;

namespace {

// A clipboard whose every step can fail, recording the steps taken.
struct FakeClipboard : MotionClipboard {
    bool canOpen = true, canEmpty = true, canAllocate = true, accepts = true;
    std::optional<std::vector<std::uint8_t>> held;
    std::vector<std::string> calls;

    FakeClipboard() { setMotionClipboard(this); }
    ~FakeClipboard() override { setMotionClipboard(nullptr); }

    bool open() override {
        calls.emplace_back("open");
        return canOpen;
    }
    void close() override { calls.emplace_back("close"); }
    bool empty() override {
        calls.emplace_back("empty");
        if (canEmpty) held.reset();
        return canEmpty;
    }
    bool allocate(std::size_t size, std::vector<std::uint8_t>& block) override {
        calls.push_back("allocate " + std::to_string(size));
        if (!canAllocate) return false;
        block.assign(size, 0);
        return true;
    }
    bool setData(std::vector<std::uint8_t> block) override {
        calls.emplace_back("set");
        if (accepts) held = std::move(block);
        return accepts;
    }
    bool getData(std::vector<std::uint8_t>& block) override {
        calls.emplace_back("get");
        if (!held) return false;
        block = *held;
        return true;
    }
    bool hasData() override { return held.has_value(); }

    ClipboardMotion motion() const {
        auto m = ClipboardMotion::parse(held->data(), held->size());
        EXPECT_TRUE(m);
        return *m;
    }
};

PasteParts allParts() { return PasteParts{}; }

// Full-body motion whose keyframes lie `every` steps apart, all values `value`.
MotionImage sparseMotion(int keyframes, int every, std::int32_t value) {
    MotionImage m = MotionImage::of(0, 18, keyframes);
    for (std::size_t k = 0; k < m.keyframes.size(); ++k) {
        m.keyframes[k][0] = k == 0 ? 0 : 5 * every;
        for (std::size_t c = 1; c < m.keyframes[k].size(); ++c) m.keyframes[k][c] = value;
    }
    return m;
}

// Copies `length` steps from `from` of S (the ramp of 14 keyframes, all rows),
// then opens T (a keyframe every step, all values 7) with step `at` selected.
CMainView& copyIntoNewTarget(Editor& e, int from, int length, int at) {
    CMainView& source = e.open("S", 14);
    selectAllRows(source, from, length);
    runOn(source, ID_EDIT_COPY);
    CMainView& target = e.openMotion("T", sparseMotion(14, 1, 7));
    selectAllRows(target, at, 1);
    return target;
}

}  // namespace

TEST(Copy, FailuresInOrderAndWhatEachLeavesOpen) {
    Editor e;
    FakeClipboard clip;
    CMainView& v = e.open("P", 14);
    // The calls of one Copy, without those the enabling rule made before it.
    auto copy = [&] {
        clip.calls.clear();
        runOn(v, ID_EDIT_COPY);
        return clip.calls;
    };
    EXPECT_THAT(copy(), IsEmpty());  // no selection: nothing at all
    selectAllRows(v, 0, 2);
    clip.canOpen = clip.canEmpty = clip.canAllocate = clip.accepts = false;
    EXPECT_THAT(copy(), ElementsAre("open"));
    clip.canOpen = true;
    EXPECT_THAT(copy(), ElementsAre("open", "empty", "close"));
    clip.canEmpty = true;
    EXPECT_THAT(copy(), ElementsAre("open", "empty", "allocate 152", "close"));
    clip.canAllocate = true;
    EXPECT_THAT(copy(), ElementsAre("open", "empty", "allocate 152", "set", "close"));
    EXPECT_FALSE(clip.held);
    clip.accepts = true;
    EXPECT_THAT(copy(), ElementsAre("open", "empty", "allocate 152", "set", "close"));
    EXPECT_TRUE(clip.held);
    EXPECT_THAT(e.ui.messages, ElementsAre("Failed to open clipboard", "Failed to empty clipboard",
                                           "Internal error: alloc", "Unable to set Clipboard data"));
}

TEST(Copy, AllEighteenChannelsOfTheSelectedStepsWhateverTheRows) {
    Editor e;
    FakeClipboard clip;
    CMainView& v = e.open("P", 14);  // keyframe k at step k, channel c: (k + 1) * 1000 * (c + 1)
    v.selectRows(rowOf(v, HeadX), 1, false);
    v.setTimeSelection(2, 3);
    runOn(v, ID_EDIT_COPY);
    ASSERT_TRUE(clip.held);
    EXPECT_EQ(clip.held->size(), 8u + 216u);
    const ClipboardMotion m = clip.motion();
    EXPECT_EQ(m.flags(), 0x70u);
    EXPECT_EQ(m.steps(), 3);
    for (int i = 0; i < 3; ++i)
        for (int c = 0; c < 18; ++c) EXPECT_EQ(m.value(i, c), (2 + i + 1) * 1000 * (c + 1)) << i << " " << c;
    // A step beyond the motion's end (13) gives the marker in every channel.
    v.setTimeSelection(12, 3);
    runOn(v, ID_EDIT_COPY);
    const ClipboardMotion end = clip.motion();
    EXPECT_EQ(end.value(1, 17), 14 * 1000 * 18);
    for (int c = 0; c < 18; ++c) EXPECT_EQ(end.value(2, c), kNoValue) << c;
    EXPECT_THAT(e.ui.messages, IsEmpty());
}

TEST(Copy, AHeadOnlySourceGivesTheMarkerForTheOtherChannels) {
    Editor e;
    FakeClipboard clip;
    CMainView& v = e.openMotion("H", MotionImage::of(0, 4, 8));
    selectAllRows(v, 1, 2);
    runOn(v, ID_EDIT_COPY);
    const ClipboardMotion m = clip.motion();
    EXPECT_EQ(m.flags(), 0x10u);
    for (int c = 0; c < 18; ++c) EXPECT_EQ(m.value(0, c), c < 4 ? 2 * 1000 * (c + 1) : kNoValue) << c;
}

TEST(PasteSpecial, CountsOnlyTheValuesThatFindAKeyframe) {
    Editor e;
    FakeClipboard clip;
    CMainView& source = e.open("S", 24);
    selectAllRows(source, 0, 20);
    runOn(source, ID_EDIT_COPY);
    CMainView& target = e.openMotion("T", sparseMotion(4, 10, 7));  // keyframes at steps 0, 10, 20, 30
    const CMotionTrack& m = target.document().doc().motion();
    selectAllRows(target, 0, 1);
    e.viewDlgs.paste = allParts();
    runOn(target, ID_EDIT_PASTE_SPECIAL);
    EXPECT_THAT(e.ui.messages, ElementsAre("Pasted 36 out of 360 possible motions"));
    EXPECT_THAT(e.viewDlgs.pasteSelections, ElementsAre(std::pair(0, 20)));
    for (int c = 0; c < 18; ++c) {
        EXPECT_EQ(m.value(0, c), 7);  // the first keyframe counts but stays
        EXPECT_EQ(m.value(1, c), 11 * 1000 * (c + 1));
        EXPECT_EQ(m.value(2, c), 7);  // step 20 lies beyond the 20 pasted steps
    }
    EXPECT_TRUE(m.isModified());

    // Marked values are neither pasted nor missed.
    CMainView& head = e.openMotion("H", MotionImage::of(0, 4, 24));
    selectAllRows(head, 0, 20);
    runOn(head, ID_EDIT_COPY);
    target.onLButtonDown({74, 0}, false);  // back to the target: step 0, one step
    runOn(target, ID_EDIT_PASTE_SPECIAL);
    EXPECT_EQ(e.ui.messages.back(), "Pasted 8 out of 80 possible motions");
}

TEST(PasteSpecial, NoMessageWhenEveryValueLanded) {
    Editor e;
    FakeClipboard clip;
    CMainView& target = copyIntoNewTarget(e, 3, 3, 4);
    const CMotionTrack& m = target.document().doc().motion();
    e.viewDlgs.paste = allParts();
    e.viewDlgs.paste->swapLR = e.viewDlgs.paste->swapFB = true;
    runOn(target, ID_EDIT_PASTE_SPECIAL);
    EXPECT_THAT(e.ui.messages, IsEmpty());
    EXPECT_EQ(target.selLength(), 3);
    auto src = [](int step, int c) { return (step + 1) * 1000 * (c + 1); };
    for (int i = 0; i < 3; ++i) {
        const int k = 4 + i, s = 3 + i;
        EXPECT_EQ(m.value(k, HeadY), src(s, HeadY));
        EXPECT_EQ(m.value(k, Mouth), src(s, Mouth));
        EXPECT_EQ(m.value(k, LRLegY), src(s, RFLegY));  // right front onto left rear
        EXPECT_EQ(m.value(k, LRPawY), src(s, RFPawY));
        EXPECT_EQ(m.value(k, RFLegX), src(s, LRLegX));  // and back
        EXPECT_EQ(m.value(k, RRLegY), src(s, LFLegY));
        EXPECT_EQ(m.value(k, LFPawY), src(s, RRPawY));
        EXPECT_EQ(m.value(k, TailX), src(s, TailX));
    }
    EXPECT_EQ(m.value(3, LRLegY), 7);
    EXPECT_EQ(m.value(7, LRLegY), 7);
}

TEST(PasteSpecial, OnlyTheChosenPartsAreTaken) {
    Editor e;
    FakeClipboard clip;
    CMainView& target = copyIntoNewTarget(e, 3, 1, 5);
    const CMotionTrack& m = target.document().doc().motion();
    e.viewDlgs.paste = PasteParts{false, true, true, false, false, false, false, true, false};  // Mouth, RF, Swap L-R
    runOn(target, ID_EDIT_PASTE_SPECIAL);
    for (int c = 0; c < 18; ++c) {
        const bool written = c == Mouth || (c >= LFLegY && c <= LFPawY);
        const int from = c >= LFLegY && c <= LFPawY ? c - 3 : c;
        EXPECT_EQ(m.value(5, c), written ? 4 * 1000 * (from + 1) : 7) << c;
    }
}

TEST(PasteSpecial, RefusalsInOrder) {
    Editor e;
    FakeClipboard clip;
    CMainView& head = e.openMotion("H", MotionImage::of(0, 4, 8));
    clip.calls.clear();     // what the enabling rule asked while the window opened
    runOn(head, ID_EDIT_PASTE_SPECIAL);  // no selection: nothing, not even the partial-track message
    EXPECT_THAT(e.ui.messages, IsEmpty());
    selectAllRows(head, 1, 2);
    runOn(head, ID_EDIT_PASTE_SPECIAL);
    EXPECT_THAT(e.ui.messages, ElementsAre("Editing partial motion tracks NYI"));
    EXPECT_THAT(clip.calls, IsEmpty());

    CMainView& full = e.open("F", 14);
    selectAllRows(full, 2, 1);
    clip.calls.clear();
    clip.canOpen = false;
    runOn(full, ID_EDIT_PASTE_SPECIAL);
    EXPECT_EQ(e.ui.messages.back(), "Failed to open clipboard");
    EXPECT_THAT(clip.calls, ElementsAre("open"));
    clip.canOpen = true;
    clip.calls.clear();
    runOn(full, ID_EDIT_PASTE_SPECIAL);
    EXPECT_EQ(e.ui.messages.back(), "No motion data in the clipboard");
    EXPECT_THAT(clip.calls, ElementsAre("open", "get", "close"));
    EXPECT_THAT(e.viewDlgs.pasteSelections, IsEmpty());
    EXPECT_EQ(full.selLength(), 1);

    // Blocks that are not well formed, as another program could leave them.
    e.viewDlgs.paste = allParts();
    auto block = [](std::int32_t n, std::size_t size) {
        std::vector<std::uint8_t> b(size, 0);
        if (size >= 8)
            for (std::size_t i = 0; i < 4; ++i) b[4 + i] = static_cast<std::uint8_t>(static_cast<std::uint32_t>(n) >> (8 * i));
        return b;
    };
    for (const auto& bad : {block(0, 8), block(-2, 8 + 144), block(2, 8 + 72), block(1, 8 + 144), block(1, 4),
                            block(0x7FFFFFFF, 8 + 72), std::vector<std::uint8_t>{}}) {
        clip.held = bad;
        runOn(full, ID_EDIT_PASTE_SPECIAL);
        EXPECT_EQ(e.ui.messages.back(), "No motion data in the clipboard");
    }
    EXPECT_EQ(e.ui.messages.size(), 10u);
    EXPECT_THAT(e.viewDlgs.pasteSelections, IsEmpty());
    EXPECT_FALSE(full.document().doc().motion().isModified());
    EXPECT_EQ(full.selLength(), 1);
}

TEST(PasteSpecial, CancelKeepsTheClipboardsLength) {
    Editor e;
    FakeClipboard clip;
    CMainView& v = e.open("P", 14);
    selectAllRows(v, 0, 5);
    runOn(v, ID_EDIT_COPY);
    selectAllRows(v, 2, 1);
    clip.calls.clear();
    e.viewDlgs.paste.reset();
    runOn(v, ID_EDIT_PASTE_SPECIAL);
    EXPECT_EQ(v.selStart(), 2);
    EXPECT_EQ(v.selLength(), 5);
    EXPECT_THAT(e.viewDlgs.pasteSelections, ElementsAre(std::pair(2, 5)));
    EXPECT_THAT(clip.calls, ElementsAre("open", "get", "close"));
    EXPECT_FALSE(v.document().doc().motion().isModified());
    EXPECT_THAT(e.ui.messages, IsEmpty());
}

TEST(PasteSpecial, EnabledInTheActiveViewOfAMotionWithDataHeld) {
    Editor e;
    FakeClipboard clip;
    CMainView& audio = e.openSound("A");
    EXPECT_FALSE(state(audio, ID_EDIT_COPY).enabled);
    CMainView& first = e.open("P", 14);
    CMainView& second = e.open("Q", 14);
    EXPECT_TRUE(state(first, ID_EDIT_COPY).enabled);  // with or without a selection
    EXPECT_FALSE(state(second, ID_EDIT_PASTE_SPECIAL).enabled);  // nothing held
    clip.held = std::vector<std::uint8_t>{1};  // the format, however malformed
    EXPECT_TRUE(state(second, ID_EDIT_PASTE_SPECIAL).enabled);
    EXPECT_FALSE(state(first, ID_EDIT_PASTE_SPECIAL).enabled);  // not the active view
    first.onLButtonDown({74, 0}, false);
    EXPECT_TRUE(state(first, ID_EDIT_PASTE_SPECIAL).enabled);
    EXPECT_FALSE(state(second, ID_EDIT_PASTE_SPECIAL).enabled);
    audio.onLButtonDown({74, 0}, false);
    EXPECT_FALSE(state(audio, ID_EDIT_PASTE_SPECIAL).enabled);  // no motion
}

TEST(Clipboard, CopyInOneDocumentPasteInAnotherThroughTheSystemClipboard) {
    Editor e;
    QGuiApplication::clipboard()->clear();
    CMainView& a = e.open("A", 14);
    CMainFrame& frame = *e.app.mainFrame();
    EXPECT_FALSE(frame.commandState(ID_EDIT_PASTE_SPECIAL).enabled);
    QGuiApplication::clipboard()->setText("not a motion");
    EXPECT_FALSE(frame.commandState(ID_EDIT_PASTE_SPECIAL).enabled);
    selectAllRows(a, 2, 3);
    ASSERT_TRUE(frame.executeCommand(ID_EDIT_COPY));
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    ASSERT_NE(data, nullptr);
    ASSERT_TRUE(data->hasFormat(kMotionMimeType));
    EXPECT_EQ(data->data(kMotionMimeType).size(), 8 + 216);

    CMainView& b = e.openMotion("B", sparseMotion(14, 1, 7));
    const CMotionTrack& m = b.document().doc().motion();
    selectAllRows(b, 5, 1);
    e.viewDlgs.paste = allParts();
    e.viewDlgs.paste->tail = false;
    ASSERT_TRUE(frame.commandState(ID_EDIT_PASTE_SPECIAL).enabled);
    ASSERT_TRUE(frame.executeCommand(ID_EDIT_PASTE_SPECIAL));
    EXPECT_THAT(e.ui.messages, IsEmpty());
    EXPECT_EQ(b.selLength(), 3);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(m.value(5 + i, HeadY), (3 + i) * 1000);
        EXPECT_EQ(m.value(5 + i, LRPawY), (3 + i) * 1000 * 16);
        EXPECT_EQ(m.value(5 + i, TailY), 7);
    }
    EXPECT_EQ(m.value(8, HeadY), 7);
    EXPECT_TRUE(m.isModified());
    EXPECT_FALSE(a.document().doc().motion().isModified());
}

TEST(PasteSpecial, TheRealDialogKeepsItsBoxesBetweenPastes) {
    Editor e;
    FakeClipboard clip;
    CMainView& target = copyIntoNewTarget(e, 3, 1, 5);
    const CMotionTrack& m = target.document().doc().motion();
    const ScopedViewDialogs real(nullptr);  // the program's own dialog
    whenModal([](QWidget* w) {
        auto* d = dynamic_cast<CPasteSpecialDlg*>(w);
        ASSERT_NE(d, nullptr);
        d->box("Mouth")->setChecked(false);
        d->box("Tail")->setChecked(false);
        d->accept();
    });
    runOn(target, ID_EDIT_PASTE_SPECIAL);
    EXPECT_EQ(m.value(5, HeadY), 4 * 1000);
    EXPECT_EQ(m.value(5, Mouth), 7);
    EXPECT_EQ(m.value(5, TailY), 7);
    selectAllRows(target, 6, 1);
    whenModal([](QWidget* w) {
        auto* d = dynamic_cast<CPasteSpecialDlg*>(w);
        ASSERT_NE(d, nullptr);
        EXPECT_FALSE(d->box("Mouth")->isChecked());
        EXPECT_TRUE(d->box("Head (X,Y,Z)")->isChecked());
        d->reject();
    });
    runOn(target, ID_EDIT_PASTE_SPECIAL);
    EXPECT_EQ(m.value(6, HeadY), 7);
}
