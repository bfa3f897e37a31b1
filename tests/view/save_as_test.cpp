// File > Save As: the whole performance under a new name, the window, title
// and recent files following it, the question before replacing another
// performance's files, and a failed save that changes nothing.
#include "shell/child_frame.h"
#include "shell/document.h"
#include "view/view_support.h"

using namespace rova;
using namespace rova::test;

namespace {

// A modified performance (one value set) opened from P.MTN with P.WAV and P.LED.
CMainView& openModified(Editor& e) {
    CMainView& v = e.open("P", 14);
    v.selectAll();
    v.beginEdit("Set Value");
    v.onKeyDown('5');
    v.endEdit();
    return v;
}

}  // namespace

TEST(SaveAs, WritesTheWholeSetUnderTheNewNameAndTheWindowFollows) {
    Editor e;
    CMainView& v = openModified(e);
    CDocument& d = v.document();
    const std::string target = e.files.dir / "Dance.MTN";
    e.ui.saveFiles.push_back(target);
    ASSERT_TRUE(e.run(ID_FILE_SAVE_AS));
    ASSERT_EQ(e.ui.saveRequests.size(), 1u);
    EXPECT_EQ(e.ui.saveRequests[0].title, "Save As");
    for (const char* file : {"Dance.MTN", "Dance.LED", "Dance.WAV"}) EXPECT_TRUE(e.files.dir.exists(file)) << file;
    EXPECT_EQ(d.pathName().toStdString(), target);
    EXPECT_FALSE(d.isModified());
    e.frame().updateCommandUI();
    EXPECT_EQ(e.frame().windowTitle(), "Rova Edit - Performance Editor - Dance.MTN");
    EXPECT_EQ(d.frame()->windowTitle(), "Dance.MTN");
    ASSERT_GE(e.app.recentFiles().size(), 1);
    EXPECT_EQ(e.app.recentFiles().at(0).toStdString(), target);
    // The new files open as the same performance.
    EXPECT_TRUE(e.ui.messages.empty());
}

TEST(SaveAs, AsksBeforeReplacingAnotherPerformanceAndNoLeavesItAlone) {
    Editor e;
    CMainView& v = openModified(e);
    const std::string other = e.files.add("Other", 4);  // Other.MTN and Other.WAV
    const auto before = e.files.dir.read("Other.MTN");
    e.ui.saveFiles.push_back(other);
    e.ui.answers.push_back(false);
    ASSERT_TRUE(e.run(ID_FILE_SAVE_AS));
    ASSERT_EQ(e.ui.messages.size(), 1u);
    EXPECT_EQ(e.ui.messages[0], "Other already exists. Replace its files?");
    EXPECT_EQ(e.files.dir.read("Other.MTN"), before);
    EXPECT_TRUE(v.document().isModified());
    EXPECT_NE(v.document().pathName().toStdString(), other);
    // Yes replaces them.
    e.ui.saveFiles.push_back(other);
    e.ui.answers.push_back(true);
    ASSERT_TRUE(e.run(ID_FILE_SAVE_AS));
    EXPECT_NE(e.files.dir.read("Other.MTN"), before);
    EXPECT_EQ(v.document().pathName().toStdString(), other);
    EXPECT_TRUE(e.files.dir.exists("Other.LED"));
}

TEST(SaveAs, RefusesTheNameOfAPerformanceOpenInAnotherWindow) {
    Editor e;
    const std::string second = e.files.add("Second", 4);
    CMainView& v = openModified(e);
    ASSERT_NE(e.app.openDocumentFile(QString::fromStdString(second)), nullptr);
    e.app.mainFrame()->activateChild(v.document().frame());
    const auto before = e.files.dir.read("Second.MTN");
    e.ui.saveFiles.push_back(e.files.dir / "SECOND.mtn");
    ASSERT_TRUE(e.run(ID_FILE_SAVE_AS));
    ASSERT_EQ(e.ui.messages.size(), 1u);
    EXPECT_EQ(e.ui.messages[0], "SECOND is open in another window. Close it first, or choose another name.");
    EXPECT_EQ(e.files.dir.read("Second.MTN"), before);
}

TEST(SaveAs, AFailedSaveChangesNeitherFilesNorNameNorRecentFiles) {
    Editor e;
    CMainView& v = openModified(e);
    CDocument& d = v.document();
    const QString path = d.pathName();
    const int recent = e.app.recentFiles().size();
    // The eye lights cannot be written: nothing of the set may appear.
    d.doc().setWriteFault([](const std::filesystem::path& target, std::string& error) {
        if (target.extension() != ".LED") return false;
        error = "disk full";
        return true;
    });
    e.ui.saveFiles.push_back(e.files.dir / "New.MTN");
    ASSERT_TRUE(e.run(ID_FILE_SAVE_AS));
    for (const char* file : {"New.MTN", "New.LED", "New.WAV"}) EXPECT_FALSE(e.files.dir.exists(file)) << file;
    EXPECT_EQ(d.pathName(), path);
    EXPECT_TRUE(d.isModified());
    EXPECT_EQ(e.app.recentFiles().size(), recent);
    EXPECT_FALSE(e.ui.messages.empty());  // the document said why
    // Cancelling the dialog does nothing at all.
    const auto messages = e.ui.messages.size();
    ASSERT_TRUE(e.run(ID_FILE_SAVE_AS));
    EXPECT_EQ(e.ui.messages.size(), messages);
    EXPECT_EQ(d.pathName(), path);
}
