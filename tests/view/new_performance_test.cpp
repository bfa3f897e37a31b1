// File > New Performance from Sound and `rova-editor --new SOUND`: the two
// dialogs, the replace question, the remembered loudness option, refusals that
// write nothing, and the Qt save dialog's option and progress dialog.
#include <QCheckBox>
#include <QFileDialog>
#include <QProgressDialog>
#include <algorithm>

#include "platform/qt_messages.h"
#include "shell/document.h"
#include "sound/sound_files.h"
#include "view_support.h"

using namespace rova;
using namespace rova::test;
using testing::ElementsAre;
using testing::IsEmpty;

namespace {

constexpr int kCdFormat = SF_FORMAT_WAV | SF_FORMAT_PCM_16;

struct NewPerformance : testing::Test {
    Editor e;
    TempDir& dir = e.files.dir;

    // A one-second 44.1 kHz stereo tune at a quarter of full scale.
    std::string tune(const std::string& name = "song.wav") {
        EXPECT_TRUE(writeSound(dir.path() / name, kCdFormat, 44100, 2, 44100, sine(0.25, 440, 44100)));
        return dir / name;
    }
    // Runs the command with the sound and the name chosen in its dialogs.
    void create(const std::string& sound, const std::string& target, std::initializer_list<bool> answers = {}) {
        e.ui.files.push_back(sound);
        e.ui.saveFiles.push_back(target);
        e.ui.answers.assign(answers);
        EXPECT_TRUE(e.run(ID_FILE_NEW_FROM_SOUND));
    }
    int loudest(const std::string& wave) {
        const auto bytes = dir.read(wave);
        return *std::max_element(bytes.begin() + 44, bytes.end());
    }
};

}  // namespace

TEST_F(NewPerformance, ASoundBecomesAnUnmodifiedPerformanceWithItsThreeFiles) {
    const std::string sound = tune();
    EXPECT_TRUE(e.state(ID_FILE_NEW_FROM_SOUND).enabled);  // no performance needed
    create(sound, dir / "Dance.MTN");

    ASSERT_EQ(e.ui.fileRequests.size(), 1u);
    EXPECT_EQ(e.ui.fileRequests[0].title, "Select Sound");
    ASSERT_EQ(e.ui.fileRequests[0].filters.size(), 2u);
    EXPECT_EQ(e.ui.fileRequests[0].filters[0].name, "Sound Files");
    EXPECT_EQ(e.ui.fileRequests[0].filters[0].pattern,
              "*.wav *.flac *.ogg *.oga *.opus *.mp3 *.aif *.aiff *.mid *.midi");
    EXPECT_EQ(e.ui.fileRequests[0].filters[1].name, "All Files");
    ASSERT_EQ(e.ui.saveRequests.size(), 1u);
    EXPECT_EQ(e.ui.saveRequests[0].initialPath, dir / "song.MTN");  // the sound's name in its folder
    EXPECT_EQ(e.ui.saveRequests[0].checkBoxText, "Normalise loudness");
    EXPECT_TRUE(e.ui.saveRequests[0].checked);
    EXPECT_EQ(e.ui.progressLabels.size(), 1u);
    EXPECT_THAT(e.ui.messages, IsEmpty());

    EXPECT_EQ(listing(dir.path()), (std::set<std::string>{"song.wav", "Dance.MTN", "Dance.LED", "Dance.WAV"}));
    ASSERT_EQ(e.app.documents().size(), 1u);
    CDocument& document = *e.app.documents().front();
    EXPECT_EQ(document.pathName().toStdString(), dir / "Dance.MTN");
    EXPECT_FALSE(document.isModified());
    const CMainDoc& doc = document.doc();
    EXPECT_EQ(doc.wave().sampleCount, 8000);
    EXPECT_EQ(doc.trackFlags() & (TRACK_WAVE | TRACK_LEDS), TRACK_WAVE | TRACK_LEDS);
    EXPECT_EQ(e.app.recentFiles().size(), 1);
    EXPECT_EQ(e.views.size(), 1u);
}

TEST_F(NewPerformance, TheLoudnessOptionIsRememberedAndFollowed) {
    const std::string sound = tune();
    e.ui.checks.push_back(false);
    create(sound, dir / "Quiet.MTN");
    EXPECT_NEAR(loudest("Quiet.WAV"), 128 + 127 / 4, 2);  // as it was
    EXPECT_FALSE(QSettings(kSettingsOrganization, kSettingsApplication).value("Settings/NormaliseLoudness").toBool());

    create(sound, dir / "Loud.MTN");
    ASSERT_EQ(e.ui.saveRequests.size(), 2u);
    EXPECT_FALSE(e.ui.saveRequests[1].checked);  // as left the last time
    e.ui.checks.push_back(true);
    create(sound, dir / "Loud2.MTN");
    EXPECT_NEAR(loudest("Loud2.WAV"), 128 + 0.891 * 127, 2);  // -1 dBFS
    EXPECT_TRUE(QSettings(kSettingsOrganization, kSettingsApplication).value("Settings/NormaliseLoudness").toBool());
}

// Any one file of the set counts; No writes nothing, Yes replaces the set.
TEST_F(NewPerformance, AnExistingPerformanceIsReplacedOnlyAfterYes) {
    const std::string sound = tune();
    const std::vector<std::uint8_t> old = {'o', 'l', 'd'};
    for (const char* existing : {"Dance.MTN", "Dance.LED", "Dance.WAV", "Dance.MID", "dance.wav"}) {
        for (const bool yes : {false, true}) {
            SCOPED_TRACE(std::string(existing) + (yes ? " Yes" : " No"));
            TempDir out;
            out.write(existing, old);
            e.ui.messages.clear();
            create(sound, out / "Dance.MTN", {yes});
            EXPECT_THAT(e.ui.messages, ElementsAre("Dance already exists. Replace its files?"));
            if (!yes) {
                EXPECT_EQ(listing(out.path()), std::set<std::string>{existing});
                EXPECT_EQ(out.read(existing), old);
                continue;
            }
            EXPECT_TRUE(out.exists("Dance.MTN"));
            EXPECT_TRUE(out.exists("Dance.LED"));
            EXPECT_FALSE(out.exists("Dance.MID"));  // NAME.WAV would hide it
            ASSERT_FALSE(e.app.documents().empty());
            EXPECT_EQ(e.app.documents().back()->doc().wave().sampleCount, 8000);
            e.app.closeAllDocuments();
        }
    }
}

TEST_F(NewPerformance, AWindowOnTheReplacedPerformanceClosesFirst) {
    e.open("Dance");  // 14 keyframes over a second of sound
    e.app.documents().front()->doc().motion().setValue(1, 1, 5);
    const std::string sound = tune();
    const auto before = listing(dir.path());
    const auto motion = dir.read("Dance.MTN");
    e.dialogs.saveAnswers = {ShellDialogs::SaveAnswer::Cancel};
    create(sound, dir / "Dance.MTN", {true});
    EXPECT_EQ(e.dialogs.saveQuestions.size(), 1u);
    EXPECT_EQ(e.app.documents().size(), 1u);  // Cancel keeps it, and nothing is written
    EXPECT_EQ(listing(dir.path()), before);
    EXPECT_EQ(dir.read("Dance.MTN"), motion);

    e.dialogs.saveAnswers = {ShellDialogs::SaveAnswer::No};
    create(sound, dir / "Dance.MTN", {true});
    flushDeletes();
    ASSERT_EQ(e.app.documents().size(), 1u);
    const CMainDoc& doc = e.app.documents().front()->doc();
    EXPECT_EQ(doc.motion().keyframeCount(), 2);  // the new standing motion, not the old window
    EXPECT_FALSE(doc.isModified());
}

TEST_F(NewPerformance, UnusableSoundsShowOneMessageAndWriteNothing) {
    const std::string text = "no sound here";
    dir.write("notes.mp3", std::vector<std::uint8_t>(text.begin(), text.end()));
    dir.write("empty.wav", std::vector<std::uint8_t>{});
    dir.write("fake.mid", std::string("MThd\0\0\0\6\0\0", 10));
    for (const char* name : {"notes.mp3", "empty.wav", "fake.mid", "missing.ogg"}) {
        SCOPED_TRACE(name);
        const auto before = listing(dir.path());
        e.ui.messages.clear();
        create(dir / name, dir / "Dance.MTN");
        ASSERT_EQ(e.ui.messages.size(), 1u);
        EXPECT_THAT(e.ui.messages[0], testing::HasSubstr("\"" + (dir / name) + "\""));
        EXPECT_EQ(listing(dir.path()), before);
        EXPECT_TRUE(e.app.documents().empty());
    }
}

TEST_F(NewPerformance, CancelAtAnyStepWritesNothing) {
    const std::string sound = tune();
    const auto before = listing(dir.path());
    EXPECT_TRUE(e.run(ID_FILE_NEW_FROM_SOUND));  // the sound dialog is cancelled
    EXPECT_THAT(e.ui.saveRequests, IsEmpty());
    e.ui.files.push_back(sound);
    EXPECT_TRUE(e.run(ID_FILE_NEW_FROM_SOUND));  // the save dialog is cancelled
    e.ui.cancelProgressAt = 1;                   // the conversion is cancelled
    create(sound, dir / "Dance.MTN");
    EXPECT_EQ(e.ui.saveRequests.size(), 2u);
    EXPECT_THAT(e.ui.messages, IsEmpty());
    EXPECT_EQ(listing(dir.path()), before);
    EXPECT_TRUE(e.app.documents().empty());
}

TEST(NewPerformanceCommandLine, NewMakesThePerformanceWithTheSoundChosen) {
    TempDir dir;
    ASSERT_TRUE(writeSound(dir.path() / "song.flac", SF_FORMAT_FLAC | SF_FORMAT_PCM_16, 22050, 1, 22050,
                           sine(0.5, 300, 22050)));
    auto start = [&](const std::string& sound, std::optional<std::string> target, int& exitCode) {
        RecordingMessages ui;
        FakeShellDialogs dialogs;
        QSettings(kSettingsOrganization, kSettingsApplication).clear();
        CEditorApp app(ui, dialogs, [](CDocument& d) { return new CMainView(d); });
        registerEditorCommands(app);
        ui.saveFiles.push_back(target);
        const bool started = app.initInstance({"--new", QString::fromStdString(sound)});
        exitCode = app.exitCode();
        EXPECT_THAT(ui.fileRequests, IsEmpty());  // no sound dialog
        EXPECT_EQ(dialogs.openDialogs, 0);
        if (started) {
            EXPECT_EQ(app.documents().size(), 1u);
            EXPECT_EQ(ui.saveRequests.at(0).initialPath, dir / "song.MTN");
        }
        return started;
    };
    int exitCode = -1;
    EXPECT_TRUE(start(dir / "song.flac", dir / "song.MTN", exitCode));
    EXPECT_EQ(exitCode, 0);
    EXPECT_EQ(listing(dir.path()), (std::set<std::string>{"song.flac", "song.MTN", "song.LED", "song.WAV"}));
    // A cancelled name or a bad sound ends the program as a failed open does.
    EXPECT_FALSE(start(dir / "song.flac", std::nullopt, exitCode));
    EXPECT_EQ(exitCode, 1);
    EXPECT_FALSE(start(dir / "missing.flac", dir / "x.MTN", exitCode));
    EXPECT_EQ(exitCode, 1);
    EXPECT_FALSE(dir.exists("x.MTN"));
}

TEST(QtSaveDialog, ShowsTheOptionAndGivesBackItsState) {
    TempDir dir;
    QtMessages messages;
    const std::string target = dir / "Dance.MTN";
    whenModal([&](QWidget* w) {
        auto* dialog = qobject_cast<QFileDialog*>(w);
        ASSERT_NE(dialog, nullptr);
        EXPECT_EQ(dialog->windowTitle(), "New Performance");
        EXPECT_EQ(dialog->selectedFiles().value(0).toStdString(), dir / "song.MTN");
        auto* option = dialog->findChild<QCheckBox*>("option");
        ASSERT_NE(option, nullptr);
        EXPECT_EQ(option->text(), "Normalise loudness");
        EXPECT_TRUE(option->isChecked());
        option->setChecked(false);
        dialog->selectFile(QString::fromStdString(target));
        static_cast<QDialog*>(dialog)->accept();  // as the Save button does
    });
    const auto chosen = messages.chooseFileToSave({.title = "New Performance",
                                                   .filters = {{"Motion Files", "*.MTN"}},
                                                   .initialPath = dir / "song.MTN",
                                                   .defaultSuffix = "MTN",
                                                   .checkBoxText = "Normalise loudness",
                                                   .checked = true});
    ASSERT_TRUE(chosen.has_value());
    EXPECT_EQ(chosen->path, target);
    EXPECT_FALSE(chosen->checked);
}

TEST(QtProgress, CancelStopsTheTaskAndTheDialogGoesWithTheCallback) {
    QtMessages messages;
    auto find = [] {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* p = qobject_cast<QProgressDialog*>(w)) return p;
        return static_cast<QProgressDialog*>(nullptr);
    };
    {
        ProgressCallback progress = messages.startProgress("Converting Dance...");
        EXPECT_TRUE(progress(0.25));
        QProgressDialog* dialog = find();
        ASSERT_NE(dialog, nullptr);
        EXPECT_EQ(dialog->minimumDuration(), 500);
        EXPECT_EQ(dialog->labelText(), "Converting Dance...");
        dialog->cancel();
        EXPECT_FALSE(progress(0.5));
    }
    EXPECT_EQ(find(), nullptr);
}
