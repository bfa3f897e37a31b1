// The recent-file list, path shortening and comparison, and the command line.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QSettings>
#include <optional>

#include "shell/command_line.h"
#include "shell/recent_files.h"

using namespace rova;
using testing::ElementsAre;

TEST(RecentFiles, NewestFirstTenAtMostAndNoRepeats) {
    CRecentFileList list;
    for (int i = 0; i < 12; ++i) list.add(QString("/p/f%1.MTN").arg(i));
    ASSERT_EQ(list.size(), 10);
    EXPECT_EQ(list.at(0), "/p/f11.MTN");
    EXPECT_EQ(list.at(9), "/p/f2.MTN");
    list.add("/P/F5.mtn");  // the same file in other case moves up
    EXPECT_EQ(list.size(), 10);
    EXPECT_EQ(list.at(0), "/P/F5.mtn");
    EXPECT_EQ(list.paths().count("/p/f5.MTN"), 0);
    list.remove(0);
    EXPECT_EQ(list.at(0), "/p/f11.MTN");
    list.remove(42);
    EXPECT_EQ(list.size(), 9);
}

TEST(RecentFiles, SettingsKeepFileOneToTenAndDropOldKeys) {
    QSettings settings(QSettings::IniFormat, QSettings::UserScope, "REditor-test", "recent");
    settings.clear();
    CRecentFileList list;
    for (int i = 0; i < 3; ++i) list.add(QString("/p/f%1.MTN").arg(i));
    list.save(settings);
    EXPECT_EQ(settings.value("Recent File List/File1").toString(), "/p/f2.MTN");
    EXPECT_EQ(settings.value("Recent File List/File3").toString(), "/p/f0.MTN");
    list.remove(0);
    list.save(settings);
    EXPECT_FALSE(settings.contains("Recent File List/File3"));
    CRecentFileList loaded;
    loaded.load(settings);
    EXPECT_EQ(loaded.paths(), list.paths());
    settings.clear();
}

TEST(RecentFiles, MenuTextsAreNumberedAndShortenedToThirtyCharacters) {
    CRecentFileList list;
    for (int i = 10; i >= 1; --i) list.add(QString("/s/%1.MTN").arg(i));
    list.add("/home/someone/performances/dances/R&B.MTN");
    list.add("/short/A.MTN");
    EXPECT_EQ(list.menuText(0), "&1 /short/A.MTN");
    EXPECT_EQ(list.menuText(1), "&2 /.../dances/R&&B.MTN");
    EXPECT_EQ(list.menuText(9), "1&0 /s/8.MTN");
}

TEST(RecentFiles, AbbreviationKeepsTheTailThatFits) {
    struct Row {
        const char* path;
        int max;
        const char* shown;
    };
    const Row rows[] = {
        {"/a/b/c.MTN", 30, "/a/b/c.MTN"},
        {"/home/someone/performances/x/Bounce.MTN", 30, "/.../performances/x/Bounce.MTN"},
        {"/home/someone/performances/abcdefghij/Bounce.MTN", 30, "/.../abcdefghij/Bounce.MTN"},
        {"/home/someone/performances/abcdefghijklmnop/Bounce.MTN", 30, "/.../Bounce.MTN"},  // no folder fits
        {"/a/b/c/d/e/f/g/h/i/j/k/l/m/n/Bounce.MTN", 14, "Bounce.MTN"},  // not even "/.../" fits
        {"/p/AVeryLongPerformanceNameIndeed.MTN", 30, "AVeryLongPerformanceNameIndeed.MTN"},
        {"C:\\Users\\someone\\Documents\\robot\\Bounce.MTN", 30, "C:\\...\\robot\\Bounce.MTN"},
    };
    for (const Row& r : rows) EXPECT_EQ(abbreviatePath(r.path, r.max), r.shown) << r.path;
}

TEST(RecentFiles, PathsCompareWithoutRegardToCaseAfterCleaning) {
    EXPECT_TRUE(samePath("/tmp/x/A.MTN", "/TMP/x/a.mtn"));
    EXPECT_TRUE(samePath("/tmp/x/../x/A.MTN", "/tmp/x/A.MTN"));
    EXPECT_FALSE(samePath("/tmp/x/A.MTN", "/tmp/x/A.LED"));
}

TEST(CommandLine, FormsItAccepts) {
    struct Row {
        QStringList args;
        CommandLineInfo::Shell shell;
        std::optional<QString> file;  // none: not looked at
        std::optional<QString> printer;
    };
    using S = CommandLineInfo;
    const Row rows[] = {
        {{}, S::FileNothing, "", ""},
        {{"a.MTN"}, S::FileOpen, "a.MTN", ""},
        {{"/home/u/a.MTN"}, S::FileOpen, "/home/u/a.MTN", ""},
        {{"/p", "a.MTN"}, S::FilePrint, "a.MTN", ""},
        {{"-p", "a.MTN"}, S::FilePrint, "a.MTN", ""},
        {{"/pt", "a.MTN", "out.pdf"}, S::FilePrintTo, "a.MTN", "out.pdf"},
        {{"a.MTN", "b.MTN"}, S::Invalid, "a.MTN", ""},
        {{"/p"}, S::Invalid, "", ""},
        {{"/pt", "a.MTN"}, S::Invalid, "a.MTN", ""},
        {{"--help"}, S::Invalid, "", ""},
        // --new takes the one sound that follows, whatever its name, and nothing else.
        {{"--new", "song.mp3"}, S::FileNew, "song.mp3", ""},
        {{"--new", "-odd name.wav"}, S::FileNew, "-odd name.wav", ""},
        {{"--new"}, S::Invalid, std::nullopt, std::nullopt},
        {{"--new", "a.wav", "b.wav"}, S::Invalid, std::nullopt, std::nullopt},
        {{"A.MTN", "--new", "a.wav"}, S::Invalid, std::nullopt, std::nullopt},
        {{"--new", "a.wav", "--new", "b.wav"}, S::Invalid, std::nullopt, std::nullopt},
        {{"/p", "--new", "a.wav"}, S::Invalid, std::nullopt, std::nullopt},
        {{"--new", "a.wav", "/pt", "out.pdf"}, S::Invalid, std::nullopt, std::nullopt},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.args.join(' ').toStdString());
        const CommandLineInfo info = parseCommandLine(r.args);
        EXPECT_EQ(info.shell, r.shell);
        if (r.file) {
            EXPECT_EQ(info.fileName, *r.file);
        }
        if (r.printer) {
            EXPECT_EQ(info.printerName, *r.printer);
        }
        EXPECT_EQ(info.error.isEmpty(), r.shell != S::Invalid);
    }
}
