// The application shell: menus and their enabling, the command route, the
// accelerators, opening (once per path, several at a time), closing with the
// save question, recent files and the command line.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QLabel>
#include <QMdiArea>
#include <QMenu>
#include <QMenuBar>
#include <QPrintPreviewWidget>
#include <QShortcut>
#include <QStatusBar>
#include <QTest>
#include <QToolBar>
#include <fstream>

#include "shell/child_frame.h"
#include "shell/command_line.h"
#include "gui_support.h"
#include "view/main_view.h"

using namespace rova;
using namespace rova::test;
using testing::ElementsAre;
using testing::ElementsAreArray;
using testing::IsEmpty;

namespace {

QStringList menuTitles(CMainFrame& frame) {
    QStringList titles;
    for (QAction* a : frame.menuBar()->actions()) titles << a->text();
    return titles;
}

// The visible items of a popup: "-" for a separator.
QStringList items(QMenu* menu) {
    QStringList out;
    for (QAction* a : menu->actions())
        if (a->isVisible()) out << (a->isSeparator() ? QString("-") : a->text());
    return out;
}

std::vector<int> enabledButtons(CMainFrame& frame) {
    frame.updateCommandUI();
    std::vector<int> ids;
    for (int id : frame.commands().toolbarButtons)
        if (id && frame.action(id)->isEnabled()) ids.push_back(id);
    return ids;
}

QString name(const std::string& path) { return QString::fromStdString(path); }

}  // namespace

TEST(Shell, EmptyFrameShowsFileViewHelpAndOnlyNewOpenAndShowPlayerOnTheToolbar) {
    Shell shell;
    EXPECT_THAT(menuTitles(shell.frame()), ElementsAre("&File", "&View", "&Help"));
    EXPECT_THAT(items(menuNamed(shell.frame(), "&File")),
                ElementsAre("&New Performance from Sound...\tCtrl+N", "&Open...\tCtrl+O", "P&rint Setup...", "-",
                            "Recent File", "-", "E&xit"));
    EXPECT_FALSE(shell.frame().recentFilePlaceholder()->isEnabled());
    EXPECT_THAT(enabledButtons(shell.frame()),
                ElementsAre(ID_FILE_NEW_FROM_SOUND, ID_FILE_OPEN, ID_WINDOW_SHOW_PLAYER));
    // Help > About opens its dialog.
    whenModal([](QWidget* w) {
        EXPECT_EQ(w->windowTitle(), "About ROVA Editor");
        w->close();
    });
    EXPECT_TRUE(shell.frame().executeCommand(ID_APP_ABOUT));
}

TEST(Shell, PerformanceMenuCarriesEveryItemWithItsPrompt) {
    Performances files;
    Shell shell;
    shell.app.commands().dancingMenuBuilder = nullptr;  // the Dancing popup keeps its placeholder
    ASSERT_TRUE(shell.open(files.add("A")));
    EXPECT_THAT(menuTitles(shell.frame()),
                ElementsAre("&File", "&Edit", "&View", "&Dancing", "&Tools", "&Window", "&Help"));
    // Every item of the table is where it belongs, with its status text and tooltip.
    const CommandRegistry& registry = shell.app.commands();
    for (const MenuPopup& table : registry.performanceMenu) {
        QMenu* menu = menuNamed(shell.frame(), table.title);
        ASSERT_NE(menu, nullptr) << table.title;
        QStringList expected;
        for (const MenuItem& item : table.items) {
            if (item.id == 0) {
                expected << "-";
            } else if (item.id == ID_FILE_MRU_FIRST) {
                expected << shell.app.recentFiles().menuText(0);  // the list holds A.MTN now
            } else {
                const char* text = item.id == ID_DANCING_PLACEHOLDER ? kDancingPlaceholderText : registry.text(item.id);
                expected << text;
                QAction* a = shell.frame().action(item.id);
                ASSERT_NE(a, nullptr) << text;
                EXPECT_EQ(a->statusTip().toStdString(), registry.promptMessage(item.id)) << text;
            }
        }
        EXPECT_EQ(items(menu), expected) << table.title;
    }
    // Texts that are easy to get wrong.
    EXPECT_EQ(shell.frame().action(ID_EDIT_EXPAND)->text(), "&E&xpand\tE");
    EXPECT_EQ(shell.frame().action(ID_FILE_PRINT)->text(), "&Print...\tCtrl+P");
    EXPECT_EQ(shell.frame().action(ID_EDIT_GENERATE_MOUTH)->toolTip(), "Generate Mouth  (requires WAV audio)");
    EXPECT_EQ(shell.frame().action(ID_EDIT_REDUCE)->statusTip(), "Reduce the editable points");
    EXPECT_EQ(shell.frame().action(ID_WINDOW_SHOW_PLAYER)->statusTip(), "Show player window (Virtual ROVA)");
    EXPECT_EQ(shell.frame().action(ID_WINDOW_SHOW_PLAYER)->toolTip(), "Player Window");
}

TEST(Shell, ToolbarHoldsItsButtonsInOrderWithSeparators) {
    Shell shell;
    QStringList tips;
    for (QAction* a : shell.frame().toolBar()->actions()) tips << (a->isSeparator() ? "|" : a->toolTip());
    EXPECT_THAT(tips, ElementsAre("New Performance from Sound", "Open", "Save", "|", "Undo", "Redo", "|", "Zoom In",
                                  "Zoom Out", "|", "Generate Eyes (requires WAV audio)",
                                  "Generate Mouth  (requires WAV audio)", "|", "Copy", "Paste Special", "Apply Macro", "|",
                                  "Player Window", "Play", "|", "Check Performance"));
    for (QAction* a : shell.frame().toolBar()->actions())
        if (!a->isSeparator()) {
            EXPECT_FALSE(a->icon().isNull()) << a->toolTip().toStdString();
        }
}

TEST(Shell, StatusBarSaysReadyAndHasTheThreeLockIndicators) {
    Shell shell;
    EXPECT_EQ(shell.frame().readyLabel()->text(), "Ready");
    EXPECT_EQ(shell.frame().indicator(0)->objectName(), "CAP");
    EXPECT_EQ(shell.frame().indicator(1)->objectName(), "NUM");
    EXPECT_EQ(shell.frame().indicator(2)->objectName(), "SCRL");
}

TEST(Shell, NewPerformanceFromSoundComesFirstInBothFileMenusAndOnTheToolbar) {
    Performances files;
    Shell shell;
    EXPECT_EQ(items(menuNamed(shell.frame(), "&File")).value(0), "&New Performance from Sound...\tCtrl+N");
    EXPECT_EQ(shell.frame().toolBar()->actions().value(0)->toolTip(), "New Performance from Sound");
    EXPECT_EQ(shell.frame().action(ID_FILE_NEW_FROM_SOUND)->statusTip(), "Make a new performance from a sound file");
    EXPECT_EQ(shell.app.commands().commandForKey(QKeyCombination(Qt::ControlModifier, Qt::Key_N)),
              ID_FILE_NEW_FROM_SOUND);
    ASSERT_TRUE(shell.open(files.add("A")));
    EXPECT_EQ(items(menuNamed(shell.frame(), "&File")).value(0), "&New Performance from Sound...\tCtrl+N");
    EXPECT_TRUE(shell.state(ID_FILE_NEW_FROM_SOUND).enabled);
}

TEST(Shell, EnablingFollowsTheDocumentAndTheView) {
    Performances files;
    files.dir.write("Mute.MTN", MotionImage::of(0, 18, 4).bytes());
    Shell shell;
    CDocument* doc = shell.open(files.add("A"));
    ASSERT_TRUE(doc);
    TestView& view = *shell.views.back();

    struct Row {
        int id;
        bool enabled;
    };
    const Row rows[] = {
        {ID_FILE_SAVE, false},           {ID_TOOLS_REPLACE_AUDIO, true}, {ID_EDIT_GENERATE_TAIL, false},
        {ID_EDIT_COPY, false},           {ID_EDIT_REDUCE, false},        {ID_VIEW_ZOOM_IN, true},
        {ID_FILE_PRINT, true},           {ID_FILE_PRINT_PREVIEW, true},  {ID_FILE_CLOSE, true},
        {ID_WINDOW_CLOSE_ALL, true},     {ID_WINDOW_SHOW_PLAYER, true},  {ID_DANCING_PLACEHOLDER, false},
        {ID_FILE_MRU_FIRST, true},       {ID_FILE_MRU_FIRST + 1, false}, {ID_FILE_NEW_FROM_SOUND, true},
    };
    for (const Row& r : rows) EXPECT_EQ(shell.state(r.id).enabled, r.enabled) << r.id;

    // Save follows the tracks' modified flags at the next refresh.
    doc->doc().motion().setModified(true);
    EXPECT_TRUE(shell.state(ID_FILE_SAVE).enabled);
    EXPECT_TRUE(doc->doc().isModified());
    // Reduce follows the view's selection rule.
    view.hasSelection = true;
    EXPECT_TRUE(shell.state(ID_EDIT_REDUCE).enabled);

    // A performance without audio cannot replace it.
    ASSERT_TRUE(shell.open(files.dir / "Mute.MTN"));
    EXPECT_FALSE(shell.state(ID_TOOLS_REPLACE_AUDIO).enabled);
    EXPECT_THAT(shell.ui.messages, ElementsAre("Warning: no Audio track for this motion"));
}

TEST(Shell, ToolbarAndStatusBarTogglesAreCheckedWhileShown) {
    Shell shell;
    EXPECT_TRUE(shell.state(ID_VIEW_TOOLBAR).checked);
    EXPECT_TRUE(shell.frame().executeCommand(ID_VIEW_TOOLBAR));
    EXPECT_TRUE(shell.frame().toolBar()->isHidden());
    EXPECT_FALSE(shell.state(ID_VIEW_TOOLBAR).checked);
    EXPECT_TRUE(shell.frame().executeCommand(ID_VIEW_STATUS_BAR));
    EXPECT_FALSE(shell.state(ID_VIEW_STATUS_BAR).checked);
}

TEST(Shell, CommandsGoToTheViewFirstAndDisabledOrUnhandledOnesDoNotRun) {
    Performances files;
    Shell shell;
    ASSERT_TRUE(shell.open(files.add("A")));
    TestView& view = *shell.views.back();
    EXPECT_TRUE(shell.frame().executeCommand(ID_VIEW_ZOOM_IN));
    EXPECT_EQ(view.zoomIns, 1);
    EXPECT_FALSE(shell.frame().executeCommand(ID_EDIT_REDUCE));  // no selection
    view.hasSelection = true;
    EXPECT_TRUE(shell.frame().executeCommand(ID_EDIT_REDUCE));
    EXPECT_EQ(view.reduces, 1);
    EXPECT_FALSE(shell.frame().executeCommand(ID_EDIT_COPY));    // nobody handles it
    EXPECT_FALSE(shell.frame().executeCommand(ID_EDIT_GENERATE_TAIL));
}

TEST(Shell, AcceleratorKeysAreTheCommandsKeys) {
    Shell shell;
    std::vector<std::pair<QString, int>> keys;
    for (QShortcut* s : shell.frame().findChildren<QShortcut*>())
        keys.emplace_back(s->key().toString(), 0);
    std::vector<QString> registered;
    for (auto& k : keys) registered.push_back(k.first);
    std::sort(registered.begin(), registered.end());
    std::vector<QString> expected = {"A",      "Ctrl+A", "C",      "Ctrl+C",    "Ctrl+Ins", "E",
                                     "Ctrl+E", "U",      "Ctrl+U", "Ctrl+N",    "Ctrl+O",   "Ctrl+S",   "Ctrl+V",
                                     "Shift+Ins", "Ctrl+Z", "Ctrl+Y", "Ctrl+Shift+Z", "F7", "Alt+Left", "Alt+Right",
                                     "Alt+Shift+Left", "Alt+Shift+Right", "Ctrl+Del", "Ctrl+D"};
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(registered, expected);
    // Each key runs its command, and no other command has it.
    const std::vector<std::pair<QKeyCombination, int>> samples = {
        {QKeyCombination(Qt::Key_A), ID_EDIT_SELECT_ALL},
        {QKeyCombination(Qt::ControlModifier, Qt::Key_Insert), ID_EDIT_COPY},
        {QKeyCombination(Qt::Key_E), ID_EDIT_EXPAND},
        {QKeyCombination(Qt::ControlModifier, Qt::Key_U), ID_EDIT_REDUCE},
        {QKeyCombination(Qt::ShiftModifier, Qt::Key_Insert), ID_EDIT_PASTE_SPECIAL},
        {QKeyCombination(Qt::ControlModifier | Qt::ShiftModifier, Qt::Key_Z), ID_EDIT_REDO_ACTION},
        {QKeyCombination(Qt::ControlModifier, Qt::Key_N), ID_FILE_NEW_FROM_SOUND},
        {QKeyCombination(Qt::AltModifier, Qt::Key_Left), ID_EDIT_MOVE_EARLIER},
        {QKeyCombination(Qt::AltModifier, Qt::Key_Right), ID_EDIT_MOVE_LATER},
        {QKeyCombination(Qt::ShiftModifier | Qt::AltModifier, Qt::Key_Left), ID_EDIT_MOVE_EARLIER_BEAT},
        {QKeyCombination(Qt::ShiftModifier | Qt::AltModifier, Qt::Key_Right), ID_EDIT_MOVE_LATER_BEAT},
        {QKeyCombination(Qt::ControlModifier, Qt::Key_Delete), ID_EDIT_DELETE_TIME},
        {QKeyCombination(Qt::ControlModifier, Qt::Key_D), ID_EDIT_DUPLICATE},
        {QKeyCombination(Qt::Key_S), 0},  // Smooth's S is the view's own key
    };
    const auto table = shell.app.commands().acceleratorTable();
    for (const auto& [key, id] : samples) {
        EXPECT_EQ(shell.app.commands().commandForKey(key), id) << id;
        EXPECT_EQ(std::count_if(table.begin(), table.end(), [&](const Accelerator& a) { return a.key == key; }), id ? 1 : 0)
            << id;
    }
}

TEST(Shell, LetterKeysInAPerformanceWindowRunTheirCommandsAndCtrlPPrintsNothing) {
    Performances files;
    Shell shell;
    ASSERT_TRUE(shell.open(files.add("A")));
    TestView& view = *shell.views.back();
    shell.frame().activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&shell.frame()));
    view.setFocus();

    QTest::keyClick(&view, Qt::Key_U);  // Reduce is disabled without a selection
    EXPECT_EQ(view.reduces, 0);
    view.hasSelection = true;
    QTest::keyClick(&view, Qt::Key_U);
    QTest::keyClick(&view, Qt::Key_U, Qt::ControlModifier);
    EXPECT_EQ(view.reduces, 2);
    // Ctrl+O is a key of the table: it shows the Open dialog.
    const int before = shell.dialogs.openDialogs;
    QTest::keyClick(&view, Qt::Key_O, Qt::ControlModifier);
    EXPECT_EQ(shell.dialogs.openDialogs, before + 1);
    // Ctrl+P is only written beside Print: no dialog opens.
    bool modal = false;
    whenModal([&](QWidget* w) {
        modal = true;
        w->close();
    });
    QTest::keyClick(&view, Qt::Key_P, Qt::ControlModifier);
    QTest::qWait(50);
    EXPECT_FALSE(modal);
}

TEST(Shell, OpeningAnOpenPathActivatesItsWindowWhateverTheCase) {
    Performances files;
    const std::string a = files.add("Alpha");
    files.add("Beta");
    Shell shell;
    CDocument* first = shell.open(a);
    CDocument* second = shell.open(files.dir / "Beta.MTN");
    ASSERT_TRUE(first && second);
    EXPECT_EQ(shell.frame().activeChild(), second->frame());
    EXPECT_EQ(shell.open(a), first);
    EXPECT_EQ(shell.open(files.dir / "ALPHA.mtn"), first);
    EXPECT_EQ(shell.app.documents().size(), 2u);
    EXPECT_EQ(shell.frame().activeChild(), first->frame());
    EXPECT_EQ(playerLink().activeView(), first->views().front());
    EXPECT_EQ(shell.frame().windowTitle(), "Rova Edit - Performance Editor - Alpha.MTN");
    // Another file of the same set is another path: a second window.
    EXPECT_NE(shell.open(files.dir / "Alpha.WAV"), first);
    EXPECT_EQ(shell.app.documents().size(), 3u);
}

TEST(Shell, MultiOpenOpensEachFileInTurnAndOneFailureDoesNotStopTheOthers) {
    Performances files;
    Shell shell;
    shell.dialogs.openChoices.push_back(
        QStringList{name(files.add("A")), name(files.addBroken("Broken")), name(files.add("B"))});
    EXPECT_TRUE(shell.frame().executeCommand(ID_FILE_OPEN));
    ASSERT_EQ(shell.app.documents().size(), 2u);
    EXPECT_EQ(shell.app.documents()[0]->title(), "A.MTN");
    EXPECT_EQ(shell.app.documents()[1]->title(), "B.MTN");
    EXPECT_THAT(shell.ui.messages, ElementsAre("WAVE file is not in valid format"));
    EXPECT_THAT(shell.app.recentFiles().paths(),
                ElementsAre(name(files.dir / "B.MTN"), name(files.dir / "A.MTN")));
}

TEST(Shell, TooManyNamesForTheListOpenNothing) {
    Performances files;
    QStringList many;
    for (int i = 0; i < 60; ++i)
        many << name(files.add(std::string(60, 'x') + std::to_string(i)));
    Shell shell;
    shell.dialogs.openChoices.push_back(many);
    shell.frame().executeCommand(ID_FILE_OPEN);
    EXPECT_THAT(shell.ui.messages, ElementsAre("Please select fewer files"));
    EXPECT_THAT(shell.app.documents(), IsEmpty());
}

TEST(Shell, OpenNamesBufferHoldsFolderNamesAndTerminators) {
    const QString folder = "/f";  // "/f" + 0 = 3
    QStringList paths;
    // Each "n...": name + 0; with the final 0: 3 + 2 * (k + 1) + 1 = 4000 for k = 1997.
    paths << folder + "/" + QString(1997, 'a') << folder + "/" + QString(1997, 'b');
    EXPECT_TRUE(fitsOpenNamesBuffer(paths));
    paths[1] += "c";
    EXPECT_FALSE(fitsOpenNamesBuffer(paths));
    EXPECT_TRUE(fitsOpenNamesBuffer({"/" + QString(3997, 'p')}));   // path + two zeros = 4000
    EXPECT_FALSE(fitsOpenNamesBuffer({"/" + QString(3998, 'p')}));
}

struct CloseAllCase {
    const char* name;
    std::deque<ShellDialogs::SaveAnswer> answers;
    std::size_t openAfter;
    bool written;
};

class CloseAll : public testing::TestWithParam<CloseAllCase> {};

TEST_P(CloseAll, AsksForTheModifiedDocumentOnly) {
    Performances files;
    const std::string a = files.add("A");
    files.add("B");
    const auto before = files.dir.read("A.MTN");
    Shell shell;
    CDocument* docA = shell.open(a);
    ASSERT_TRUE(shell.open(files.dir / "B.MTN"));
    docA->doc().motion().setValue(1, 0, 123456);
    docA->doc().motion().setModified(true);
    shell.dialogs.saveAnswers = GetParam().answers;

    shell.frame().executeCommand(ID_WINDOW_CLOSE_ALL);
    flushDeletes();
    EXPECT_THAT(shell.dialogs.saveQuestions, ElementsAre("Save changes to A.MTN?"));
    EXPECT_EQ(shell.app.documents().size(), GetParam().openAfter);
    EXPECT_EQ(files.dir.read("A.MTN") != before, GetParam().written);
    if (GetParam().openAfter == 0) {
        EXPECT_THAT(menuTitles(shell.frame()), ElementsAre("&File", "&View", "&Help"));
    }
}

INSTANTIATE_TEST_SUITE_P(Answers, CloseAll,
                         testing::Values(CloseAllCase{"Cancel", {ShellDialogs::SaveAnswer::Cancel}, 2, false},
                                         CloseAllCase{"No", {ShellDialogs::SaveAnswer::No}, 0, false},
                                         CloseAllCase{"Yes", {ShellDialogs::SaveAnswer::Yes}, 0, true}),
                         [](const auto& param) { return std::string(param.param.name); });

TEST(Shell, AFailedSaveKeepsEveryWindowOpen) {
    Performances files;
    const std::string a = files.add("A");
    Shell shell;
    CDocument* doc = shell.open(a);
    // Too many keyframes for a motion file: the save refuses.
    doc->doc().motion().replaceBlock(std::vector<std::int32_t>(600 * 22, 0), 600);
    doc->doc().motion().setModified(true);
    shell.dialogs.saveAnswers = {ShellDialogs::SaveAnswer::Yes};
    shell.frame().executeCommand(ID_WINDOW_CLOSE_ALL);
    flushDeletes();
    EXPECT_EQ(shell.app.documents().size(), 1u);
    EXPECT_THAT(shell.ui.messages, ElementsAre("Motion track is too complex, use the Reduce command"));
}

TEST(Shell, ExitingOrClosingAWindowAsksAndCancelKeepsThem) {
    Performances files;
    Shell shell;
    CDocument* doc = shell.open(files.add("A"));
    doc->doc().leds().modified = true;
    shell.dialogs.saveAnswers = {ShellDialogs::SaveAnswer::Cancel};
    EXPECT_TRUE(shell.frame().executeCommand(ID_APP_EXIT));
    EXPECT_TRUE(shell.frame().isVisible());  // the program runs on
    EXPECT_EQ(shell.app.documents().size(), 1u);
    CChildFrame* frame = doc->frame();
    shell.dialogs.saveAnswers = {ShellDialogs::SaveAnswer::Cancel, ShellDialogs::SaveAnswer::No};
    EXPECT_FALSE(frame->close());
    EXPECT_EQ(shell.app.documents().size(), 1u);
    EXPECT_TRUE(frame->close());
    flushDeletes();
    EXPECT_THAT(shell.app.documents(), IsEmpty());
    EXPECT_EQ(shell.dialogs.saveQuestions.size(), 3u);
}

TEST(Shell, SaveFallsBackToANewNameWhenTheFileHasGone) {
    Performances files;
    Shell shell;
    CDocument* doc = shell.open(files.add("A"));
    doc->doc().motion().setValue(1, 0, 4242);
    doc->doc().motion().setModified(true);
    std::filesystem::remove(files.dir / "A.MTN");
    shell.dialogs.saveName = name(files.dir / "Renamed.mtn");
    EXPECT_TRUE(shell.frame().executeCommand(ID_FILE_SAVE));
    EXPECT_TRUE(files.dir.exists("Renamed.MTN"));
    EXPECT_EQ(doc->title(), "Renamed.mtn");
    EXPECT_EQ(doc->frame()->windowTitle(), "Renamed.mtn");
    EXPECT_FALSE(doc->isModified());
    // The whole performance goes with the new name, the sound included.
    EXPECT_EQ(files.dir.read("Renamed.WAV"), files.dir.read("A.WAV"));
    Shell again;
    CDocument* renamed = again.open(files.dir / "Renamed.MTN");
    ASSERT_NE(renamed, nullptr);
    EXPECT_EQ(renamed->doc().trackFlags(), doc->doc().trackFlags());
    EXPECT_EQ(renamed->doc().motion().value(1, 0), 4242);
}

TEST(Shell, RecentFilesKeepTenNewestFirstInTheSettings) {
    Performances files;
    std::vector<std::string> paths;
    for (int i = 0; i < 12; ++i) paths.push_back(files.add("P" + std::to_string(i)));
    {
        Shell shell;
        for (const auto& p : paths) ASSERT_TRUE(shell.open(p));
        shell.open(paths[5]);  // already open: the list does not change
        ASSERT_EQ(shell.app.recentFiles().size(), 10);
        EXPECT_EQ(shell.app.recentFiles().at(0), name(paths[11]));
        EXPECT_EQ(shell.app.recentFiles().at(9), name(paths[2]));
        EXPECT_TRUE(shell.frame().action(ID_FILE_MRU_LAST)->isVisible());
        EXPECT_FALSE(shell.frame().recentFilePlaceholder()->isVisible());
    }
    QSettings settings(kSettingsOrganization, kSettingsApplication);
    EXPECT_EQ(settings.value("Recent File List/File1").toString(), name(paths[11]));
    EXPECT_EQ(settings.value("Recent File List/File10").toString(), name(paths[2]));
    EXPECT_FALSE(settings.contains("Recent File List/File11"));

    // The next run starts with the list; an entry that fails to open leaves it.
    std::filesystem::remove(files.dir / "P7.MTN");
    std::filesystem::remove(files.dir / "P7.WAV");
    Shell next({}, false);
    ASSERT_EQ(next.app.recentFiles().size(), 10);
    EXPECT_EQ(next.app.recentFiles().at(4), name(paths[7]));
    EXPECT_TRUE(next.frame().executeCommand(ID_FILE_MRU_FIRST + 4));
    EXPECT_THAT(next.ui.messages, ElementsAre("Warning: no Audio track for this motion", "Sorry, no editable tracks found"));
    EXPECT_EQ(next.app.recentFiles().size(), 9);
    EXPECT_FALSE(next.app.recentFiles().paths().contains(name(paths[7])));
    // A working entry opens and moves to the top.
    EXPECT_TRUE(next.frame().executeCommand(ID_FILE_MRU_FIRST + 8));
    EXPECT_EQ(next.app.recentFiles().at(0), name(paths[2]));
}

TEST(Shell, WindowMenuListsThePerformanceWindowsWithTheActiveOneChecked) {
    Performances files;
    Shell shell;
    ASSERT_TRUE(shell.open(files.add("A")));
    ASSERT_TRUE(shell.open(files.add("B")));
    QMenu* menu = shell.frame().windowMenu();
    emit menu->aboutToShow();
    QStringList texts;
    for (QAction* a : menu->actions())
        if (!a->isSeparator()) texts << a->text() + (a->isChecked() ? "*" : "");
    EXPECT_THAT(texts, ElementsAre("Close &All", "&Cascade", "&Tile", "Show &Player", "&1 A.MTN", "&2 B.MTN*"));
}

TEST(Shell, DancingPopupIsFilledOnceByTheFirstWindow) {
    int builds = 0;
    Performances files;
    {
        Shell shell;
        shell.app.commands().dancingMenuBuilder = [&](CMainFrame& frame, QMenu& menu) {
            ++builds;
            frame.addCommandItem(menu.addMenu("Sitting"), ID_DANCE_FIRST, "Sit to Stand");
        };
        EXPECT_THAT(items(shell.frame().dancingPopup()), ElementsAre("??to be filled in??"));
        ASSERT_TRUE(shell.open(files.add("A")));
        ASSERT_TRUE(shell.open(files.add("B")));
        EXPECT_EQ(builds, 1);
        EXPECT_THAT(items(shell.frame().dancingPopup()), ElementsAre("Sitting"));
        EXPECT_FALSE(shell.state(ID_DANCE_FIRST).enabled);  // the test view has no dance handler
    }
}

TEST(Shell, ActivatingAWindowMakesItsViewTheActiveView) {
    Performances files;
    Shell shell;
    CDocument* a = shell.open(files.add("A"));
    CDocument* b = shell.open(files.add("B"));
    TestView* viewA = shell.views[0];
    TestView* viewB = shell.views[1];
    EXPECT_EQ(playerLink().activeView(), viewB);
    shell.frame().mdiArea()->setActiveSubWindow(a->frame());
    EXPECT_EQ(playerLink().activeView(), viewA);
    EXPECT_THAT(viewB->activeChanges, ElementsAre(true, false));
    (void)b;
}

// ---------------------------------------------------------------- start-up

TEST(StartUp, WithoutArgumentsTheOpenDialogComesAtOnce) {
    Shell shell;
    EXPECT_TRUE(shell.started);
    EXPECT_EQ(shell.dialogs.openDialogs, 1);
    EXPECT_TRUE(shell.frame().isVisible());
}

TEST(StartUp, OneFileOpensItAndAFailingFileEndsTheProgram) {
    Performances files;
    Shell ok({name(files.add("A"))});
    EXPECT_TRUE(ok.started);
    EXPECT_EQ(ok.dialogs.openDialogs, 0);
    EXPECT_EQ(ok.app.documents().size(), 1u);

    Shell failing({name(files.addBroken("Broken"))});
    EXPECT_FALSE(failing.started);
    EXPECT_EQ(failing.app.exitCode(), 1);
    EXPECT_THAT(failing.ui.messages, ElementsAre("WAVE file is not in valid format"));

    Shell wrong({"--frobnicate"});
    EXPECT_FALSE(wrong.started);
    EXPECT_EQ(wrong.app.exitCode(), 2);
}

TEST(StartUp, PrintSwitchPrintsTheViewAndEnds) {
    Performances files;
    const std::string pdf = files.dir / "out.pdf";
    Shell shell({"/pt", name(files.add("A")), name(pdf)});
    EXPECT_FALSE(shell.started);
    EXPECT_EQ(shell.app.exitCode(), 0);
    const auto bytes = files.dir.read("out.pdf");
    ASSERT_GT(bytes.size(), 100u);
    EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + 5), "%PDF-");
    EXPECT_FALSE(shell.frame().isVisible());
}

TEST(Shell, PrintPreviewKeepsItsPageCountInTheSettings) {
    Performances files;
    Shell shell;
    ASSERT_TRUE(shell.open(files.add("A")));
    QSettings settings(kSettingsOrganization, kSettingsApplication);
    whenModal([](QWidget* w) {
        auto* preview = w->findChild<QPrintPreviewWidget*>();
        ASSERT_NE(preview, nullptr);
        EXPECT_EQ(preview->viewMode(), QPrintPreviewWidget::SinglePageView);
        EXPECT_EQ(preview->pageCount(), 1);
        preview->setViewMode(QPrintPreviewWidget::FacingPagesView);
        w->close();
    });
    EXPECT_TRUE(shell.frame().executeCommand(ID_FILE_PRINT_PREVIEW));
    settings.sync();
    EXPECT_EQ(settings.value("Settings/PreviewPages").toInt(), 2);
    whenModal([](QWidget* w) {
        EXPECT_EQ(w->findChild<QPrintPreviewWidget*>()->viewMode(), QPrintPreviewWidget::FacingPagesView);
        w->close();
    });
    shell.frame().executeCommand(ID_FILE_PRINT_PREVIEW);
}
