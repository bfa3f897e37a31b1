// The one file writer: sets that commit or roll back whole, temporary names
// that fit and never collide, and the system's reason on failure.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "platform/file_set.h"
#include "support/temp_dir.h"

namespace rova {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;
using test::TempDir;

Bytes bytes(const std::string& s) { return {s.begin(), s.end()}; }

std::set<std::string> names(const fs::path& folder) {
    std::set<std::string> all;
    for (const auto& e : fs::directory_iterator(folder)) all.insert(e.path().filename().string());
    return all;
}

TEST(FileSet, ACommittedSetReplacesEveryFileAndLeavesNothingElse) {
    TempDir dir;
    dir.write("A.LED", std::string("old a"));
    fs::permissions(dir.path() / "A.LED", fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    dir.write("A.MID", std::string("old sound"));
    FileSet set;
    std::string error;
    ASSERT_TRUE(set.write(dir.path() / "A.LED", bytes("new a"), error)) << error;
    ASSERT_TRUE(set.write(dir.path() / "A.MTN", [](std::ostream& out) { return static_cast<bool>(out << "motion"); },
                          error));
    ASSERT_TRUE(set.remove(dir.path() / "A.MID", error));
    // Until the commit no target has changed: a crash now loses nothing.
    EXPECT_EQ(dir.read("A.LED"), bytes("old a"));
    EXPECT_TRUE(dir.exists("A.MID"));
    EXPECT_FALSE(dir.exists("A.MTN"));
    ASSERT_TRUE(set.commit(error)) << error;
    EXPECT_EQ(names(dir.path()), (std::set<std::string>{"A.LED", "A.MTN"}));
    EXPECT_EQ(dir.read("A.LED"), bytes("new a"));
    EXPECT_EQ(dir.read("A.MTN"), bytes("motion"));
    // A replaced file keeps its permissions.
    EXPECT_EQ(fs::status(dir.path() / "A.LED").permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
}

TEST(FileSet, AFailureAtAnyFilePutsEveryFileBack) {
    for (const std::string failing : {"A.LED", "A.MTN", "A.BPM"}) {
        SCOPED_TRACE(failing);
        TempDir dir;
        dir.write("A.LED", std::string("old leds"));
        dir.write("A.MTN", std::string("old motion"));
        dir.write("A.WAV", std::string("old sound"));
        const auto before = names(dir.path());
        {
            FileSet set([&](const fs::path& target, std::string& error) {
                error = "No space left on device";
                return target.filename() == failing;
            });
            std::string error;
            bool ok = set.remove(dir.path() / "A.WAV", error);
            for (const char* name : {"A.LED", "A.MTN", "A.BPM"})
                ok = ok && set.write(dir.path() / name, bytes("new"), error);
            EXPECT_FALSE(ok);
            EXPECT_EQ(error, "No space left on device");
        }  // not committed: nothing changed
        EXPECT_EQ(names(dir.path()), before);
        EXPECT_EQ(dir.read("A.LED"), bytes("old leds"));
        EXPECT_EQ(dir.read("A.MTN"), bytes("old motion"));
        EXPECT_EQ(dir.read("A.WAV"), bytes("old sound"));
    }
}

TEST(FileSet, AFailureDuringTheCommitPutsTheFilesAlreadyMovedBack) {
    TempDir dir;
    dir.write("A.LED", std::string("old leds"));
    FileSet set;
    std::string error;
    ASSERT_TRUE(set.write(dir.path() / "A.LED", bytes("new leds"), error));
    ASSERT_TRUE(set.write(dir.path() / "A.MTN", bytes("new motion"), error));
    // Something takes the second name before the commit: a folder cannot be replaced by a file.
    fs::create_directories(dir.path() / "A.MTN" / "inside");
    fs::path failed;
    EXPECT_FALSE(set.commit(error, &failed));
    EXPECT_EQ(failed, dir.path() / "A.MTN");
    EXPECT_FALSE(error.empty());
    EXPECT_EQ(dir.read("A.LED"), bytes("old leds"));
    EXPECT_EQ(names(dir.path()), (std::set<std::string>{"A.LED", "A.MTN"}));
}

TEST(FileSet, RefusalsNameTheSystemsReason) {
    TempDir dir;
    fs::create_directory(dir.path() / "A.MTN");
    dir.write("B.MTN", std::string("read-only"));
    fs::permissions(dir.path() / "B.MTN", fs::perms::owner_read);
    std::string error;
    FileSet set;
    EXPECT_FALSE(set.write(dir.path() / "A.MTN", bytes("x"), error));
    EXPECT_EQ(error, "Is a directory");
    EXPECT_FALSE(set.write(dir.path() / "B.MTN", bytes("x"), error));
    EXPECT_EQ(error, "Permission denied");
    EXPECT_EQ(dir.read("B.MTN"), bytes("read-only"));
    EXPECT_EQ(writeFileAtomically(dir.path() / "no-folder" / "C.MTN", bytes("x")), "No such file or directory");
    EXPECT_EQ(names(dir.path()), (std::set<std::string>{"A.MTN", "B.MTN"}));
}

TEST(FileSet, ANameAsLongAsTheFileSystemAllowsCanBeWritten) {
    TempDir dir;
    const std::string name = std::string(250, 'n') + ".WAV";  // 254 characters
    dir.write(name, std::string("old"));
    EXPECT_EQ(writeFileAtomically(dir.path() / name, bytes("new")), "");
    EXPECT_EQ(dir.read(name), bytes("new"));
    EXPECT_EQ(names(dir.path()), std::set<std::string>{name});
}

TEST(FileSet, TemporaryNamesFitBesideTheTargetAndNeverTakeAnExistingFile) {
    TempDir dir;
    // The user's own hidden files of the same shape stay as they are.
    for (const char* mine : {".~ab", ".~00", ".~zz"}) dir.write(mine, std::string("mine"));
    std::set<std::string> made;
    for (int i = 0; i < 300; ++i) {
        std::string error;
        const fs::path temp = createTemporaryFile(dir.path(), 4, error);
        ASSERT_FALSE(temp.empty()) << error;
        EXPECT_LE(temp.filename().string().size(), 4u);
        EXPECT_TRUE(made.insert(temp.filename().string()).second);
    }
    for (const char* mine : {".~ab", ".~00", ".~zz"}) EXPECT_EQ(dir.read(mine), bytes("mine"));
    std::string error;
    EXPECT_LE(createTemporaryFile(dir.path(), 200, error).filename().string().size(), 12u);
}

}  // namespace
}  // namespace rova
