#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <set>
#include <sstream>

#include "document/main_doc.h"
#include "model/led_file.h"
#include "model/motion_file.h"
#include "support/led_image.h"
#include "support/motion_image.h"
#include "support/temp_dir.h"
#include "support/wave_image.h"
#include "sound/sound_files.h"
#include "sound/sound_import.h"

using namespace rova;
using rova::test::ledImage;
using rova::test::MotionImage;
using rova::test::TempDir;
using rova::test::waveImage;
using testing::ElementsAre;
using testing::IsEmpty;

namespace {

const char* const kAligned =
    "Warning: motion file has non-standard alignment\nMotion has been aligned to 5 motion ticks";

std::vector<std::uint8_t> midiImage() {
    const std::string s("MThd\0\0\0\6\0\0\0\1\0\x60", 14);
    return {s.begin(), s.end()};
}

std::vector<std::uint8_t> motionImage(int first, int n, int k) { return MotionImage::of(first, n, k).bytes(); }

// A tune of 1.5 s: format 0, division 480, 120 BPM, one note of 1440 ticks.
std::vector<std::uint8_t> tuneImage() {
    const std::vector<std::uint8_t> track = {0x00, 0xFF, 0x51, 0x03, 0x07, 0xA1, 0x20, 0x00, 0x90, 0x3C, 0x64, 0x8B,
                                             0x20, 0x80, 0x3C, 0x00, 0x00, 0xFF, 0x2F, 0x00};
    std::vector<std::uint8_t> file = {'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 0, 0, 1, 0x01, 0xE0,
                                      'M', 'T', 'r', 'k', 0, 0, 0, static_cast<std::uint8_t>(track.size())};
    file.insert(file.end(), track.begin(), track.end());
    return file;
}

const std::vector<std::uint8_t> kGarbage = {'R', 'I', 'F', 'F', 1, 2, 3};

// What the program hands its documents: the sound library's converter.
ConvertedSound convertSound(const std::string& source, const ProgressCallback& progress) {
    std::vector<std::uint8_t> samples;
    const sound::Result r = sound::convertToSamples(source, {}, progress, samples);
    if (r.status == sound::Status::Cancelled) return {ConvertedSound::Status::Cancelled, {}};
    if (!r.ok()) return {};
    return {ConvertedSound::Status::Ok, sound::waveFileBytes(samples)};
}

struct Doc {
    RecordingMessages ui;
    CMainDoc doc{ui, convertSound};
    std::vector<int> hints;
    Doc() {
        doc.updateAllViews = [this](int h) { hints.push_back(h); };
    }
};

using Files = std::vector<std::pair<std::string, std::vector<std::uint8_t>>>;

// A performance's files in a folder of their own and the document that opens them.
struct Performance {
    TempDir dir;
    Doc d;
    bool open(const Files& files, const std::string& through = "P.MTN") {
        for (const auto& [name, bytes] : files) dir.write(name, bytes);
        return d.doc.onOpenDocument(dir / through);
    }
    // Replace Audio with a file of the folder chosen, the questions answered in turn.
    void choose(const std::string& name, std::initializer_list<bool> answers) {
        d.ui.files.push_back(dir / name);
        d.ui.answers.assign(answers);
        d.doc.onReplaceAudio();
    }
};

struct OpenCase {
    const char* name;
    Files files;
    const char* open;
    bool ok;
    unsigned flags;
    std::vector<std::string> messages;
};

}  // namespace

class DocumentOpen : public testing::TestWithParam<OpenCase> {};

TEST_P(DocumentOpen, FollowsTheSet) {
    const auto& c = GetParam();
    Performance p;
    EXPECT_EQ(p.open(c.files, c.open), c.ok);
    EXPECT_EQ(p.d.ui.messages, c.messages);
    if (c.ok) {
        EXPECT_EQ(p.d.doc.trackFlags(), c.flags);
        EXPECT_FALSE(p.d.doc.isModified());
        EXPECT_FALSE(p.d.doc.updateSaveState());
        EXPECT_EQ(p.d.doc.pathName(), p.dir / c.open);
    }
}

static std::vector<OpenCase> openCases() {
    const auto wav = waveImage(8000), led = ledImage({1, 1, 0, 0}), mtn = motionImage(0, 18, 3);
    auto unaligned = MotionImage::of(16, 2, 3);
    unaligned.keyframes[1][0] = 7;
    auto extraTail = MotionImage::of(0, 18, 2);
    extraTail.locators[14] = std::string(kJointLocators[15]);
    extraTail.locators[17] = std::string(kJointLocators[18]);
    constexpr unsigned kWaveBody = TRACK_WAVE | TRACK_MOTION;
    constexpr unsigned kMidiBody = TRACK_MIDI | TRACK_MOTION;
    constexpr unsigned kFull = kWaveBody | TRACK_LEDS;
    return {
        {"FullSet", {{"P.WAV", wav}, {"P.LED", led}, {"P.MTN", mtn}}, "P.MTN", true, kFull, {}},
        {"OpenedThroughAnySibling", {{"P.WAV", wav}, {"P.LED", led}, {"P.MTN", mtn}}, "P.LED", true, kFull, {}},
        {"MidiWhenWaveMissing", {{"P.MID", midiImage()}, {"P.MTN", mtn}}, "P.MTN", true, kMidiBody, {}},
        {"EmptyWaveCountsMissing", {{"P.WAV", {}}, {"P.MID", midiImage()}, {"P.MTN", mtn}}, "P.MTN", true, kMidiBody, {}},
        {"WaveWinsOverMidi", {{"P.WAV", wav}, {"P.MID", midiImage()}}, "P.MID", true, TRACK_WAVE, {}},
        {"WaveNamedFileHoldingMidi", {{"P.WAV", midiImage()}}, "P.WAV", true, TRACK_MIDI, {}},
        {"OnlyWave", {{"P.WAV", waveImage(100, true)}}, "P.WAV", true, TRACK_WAVE, {}},
        {"HeadMotionAlone", {{"P.MTN", motionImage(0, 4, 2)}}, "P.MTN", true, TRACK_HEAD,
         {"Warning: no Audio track for this motion"}},
        {"LegsAndLeds", {{"P.LED", led}, {"P.MTN", motionImage(4, 12, 2)}}, "P.MTN", true, TRACK_LEDS | TRACK_LEGS,
         {"Warning: no Audio track for this motion"}},
        {"BrokenWaveFailsWhateverElse", {{"P.WAV", kGarbage}, {"P.LED", led}, {"P.MTN", mtn}}, "P.MTN", false, 0,
         {"WAVE file is not in valid format"}},
        {"BrokenLedDropsOnlyLeds", {{"P.WAV", wav}, {"P.LED", kGarbage}, {"P.MTN", mtn}}, "P.MTN", true, kWaveBody,
         {"LED file is not in valid format"}},
        {"BrokenMotionDropsOnlyMotion", {{"P.WAV", wav}, {"P.LED", led}, {"P.MTN", kGarbage}}, "P.MTN", true, TRACK_WAVE | TRACK_LEDS,
         {"MOTION file is not in valid format"}},
        {"OnlyABrokenMotion", {{"P.MTN", kGarbage}}, "P.MTN", false, 0,
         {"Warning: no Audio track for this motion", "MOTION file is not in valid format",
          "Sorry, no editable tracks found"}},
        {"ExtraTailServo", {{"P.WAV", wav}, {"P.MTN", extraTail.bytes()}}, "P.MTN", true, TRACK_WAVE,
         {"Motion contains extra tail servo -- not supported", "MOTION file is not in valid format"}},
        {"BuiltInActionRefusedBeforeReading", {{"*P.WAV", kGarbage}}, "*P.WAV", false, 0,
         {"Editing built in actions no longer supported"}},
        {"AlignmentWarnsWithoutModifying", {{"P.WAV", wav}, {"P.MTN", unaligned.bytes()}}, "P.MTN", true, TRACK_WAVE | TRACK_TAIL,
         {kAligned}},
        {"SiblingsMatchedWithoutRegardToCase", {{"p.wav", wav}, {"p.Led", led}, {"P.mtn", mtn}}, "P.mtn", true, kFull, {}},
    };
}

INSTANTIATE_TEST_SUITE_P(Table, DocumentOpen, testing::ValuesIn(openCases()),
                         [](const auto& param) { return std::string(param.param.name); });

class DocumentChannels : public testing::Test, protected Performance {};

TEST_F(DocumentChannels, ValueAtCoversOnlyTheTrackChannels) {
    ASSERT_TRUE(open({{"P.MTN", motionImage(4, 12, 3)}}));
    EXPECT_EQ(d.doc.valueAt(0, 3), kNoValue);
    EXPECT_EQ(d.doc.valueAt(0, 4), 1000);
    EXPECT_EQ(d.doc.valueAt(1, 15), 24000);
    EXPECT_EQ(d.doc.valueAt(0, 16), kNoValue);
    EXPECT_EQ(d.doc.valueAt(3, 4), kNoValue);
    EXPECT_FALSE(d.doc.setValueAt(1, 16, 5));
    EXPECT_TRUE(d.doc.setValueAt(1, 5, 5));
    EXPECT_EQ(d.doc.valueAt(1, 5), 5);
    EXPECT_TRUE(d.doc.updateSaveState());
}

class DocumentSave : public testing::Test, protected Performance {
protected:
    void openSet(std::vector<std::uint8_t> motion) {
        ASSERT_TRUE(open({{"P.WAV", waveImage(8000)}, {"P.LED", ledImage({1, 2, 3, 0})}, {"P.MTN", motion}}));
        ledBefore = dir.read("P.LED");
        motionBefore = dir.read("P.MTN");
    }
    std::vector<std::uint8_t> expectedMotion(const std::string& name) {
        std::ostringstream out;
        writeMotion(out, d.doc.motion(), name);
        const std::string s = out.str();
        return {s.begin(), s.end()};
    }

    std::vector<std::uint8_t> ledBefore, motionBefore;
};

TEST_F(DocumentSave, WritesOnlyModifiedTracksByteExact) {
    openSet(motionImage(0, 18, 4));
    d.doc.motion().setValue(1, 2, -4242);
    ASSERT_TRUE(d.doc.updateSaveState());
    ASSERT_TRUE(d.doc.onSaveDocument(d.doc.pathName()));
    EXPECT_THAT(d.ui.messages, IsEmpty());
    EXPECT_EQ(dir.read("P.MTN"), expectedMotion("P"));
    EXPECT_EQ(dir.read("P.LED"), ledBefore);
    EXPECT_FALSE(d.doc.isModified());
    EXPECT_FALSE(d.doc.motion().isModified());

    // The dark last step is carried by the final note-off: the track keeps its length.
    ASSERT_EQ(d.doc.leds().length(), 4);
    d.doc.leds().steps[3] = 3;
    d.doc.leds().modified = true;
    ASSERT_TRUE(d.doc.onSaveDocument(d.doc.pathName()));
    EXPECT_EQ(dir.read("P.LED"), ledImage({1, 2, 3, 3}));
}

TEST_F(DocumentSave, SizeLimitAppliesOnlyToAModifiedMotion) {
    openSet(motionImage(0, 18, 523));
    d.doc.leds().modified = true;
    ASSERT_TRUE(d.doc.onSaveDocument(d.doc.pathName()));  // the large motion was only opened
    d.doc.motion().setValue(1, 0, 1);
    d.doc.leds().modified = true;
    EXPECT_FALSE(d.doc.onSaveDocument(d.doc.pathName()));
    EXPECT_THAT(d.ui.messages, ElementsAre("Motion track is too complex, use the Reduce command"));
    EXPECT_EQ(dir.read("P.MTN"), motionBefore);
    EXPECT_TRUE(d.doc.leds().isModified());  // nothing at all was written
}

TEST_F(DocumentSave, LimitsPerKind) {
    struct { int first, n, fits; } kinds[] = {{0, 18, 522}, {0, 4, 1437}, {4, 12, 718}, {16, 2, 1916}};
    for (auto kind : kinds) {
        for (int k : {kind.fits, kind.fits + 1}) {
            Performance p;
            ASSERT_TRUE(p.open({{"P.MTN", motionImage(kind.first, kind.n, k)}}));
            p.d.doc.motion().setValue(1, 0, 7);
            EXPECT_EQ(p.d.doc.onSaveDocument(p.d.doc.pathName()), k == kind.fits) << kind.n << " channels, " << k;
        }
    }
}

TEST_F(DocumentSave, UnderANewNameWritesTheWholePerformance) {
    struct Case {
        const char* what;
        std::vector<std::pair<std::string, std::vector<std::uint8_t>>> files;
        std::set<std::string> written;
    };
    const std::vector<std::uint8_t> beats = {'1', '2', '0', '\n'};
    const Case cases[] = {
        {"wave, eyes, motion and beats",
         {{"P.WAV", waveImage(8000)}, {"P.LED", ledImage({1, 2})}, {"P.MTN", motionImage(16, 2, 3)}, {"P.BPM", beats}},
         {"New.WAV", "New.LED", "New.MTN", "New.BPM"}},
        {"a MIDI performance", {{"P.MID", tuneImage()}, {"P.LED", ledImage({1, 2})}, {"P.MTN", motionImage(16, 2, 3)}},
         {"New.MID", "New.LED", "New.MTN"}},
        {"without motion", {{"P.WAV", waveImage(8000)}, {"P.LED", ledImage({3})}}, {"New.WAV", "New.LED"}},
        {"without eyes", {{"p.wav", waveImage(800)}, {"P.MTN", motionImage(0, 18, 2)}}, {"New.WAV", "New.MTN"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TempDir set;
        std::set<std::string> before;
        for (const auto& [name, bytes] : c.files) {
            set.write(name, bytes);
            before.insert(name);
        }
        // Left over from another performance of the new name: what this one lacks goes.
        set.write("New.MID", tuneImage());
        set.write("New.LED", ledImage({3, 3}));
        set.write("New.BPM", std::string("90\n0\n"));
        Doc doc;
        ASSERT_TRUE(doc.doc.onOpenDocument(set / (before.contains("P.MTN") ? "P.MTN" : "P.LED")));
        ASSERT_TRUE(doc.doc.onSaveDocument(set / "New.MTN"));
        EXPECT_THAT(doc.ui.messages, IsEmpty());
        std::set<std::string> expected = before;
        expected.insert(c.written.begin(), c.written.end());
        for (const char* stale : {"New.MID", "New.LED", "New.BPM"})
            if (!c.written.contains(stale)) expected.erase(stale);
        EXPECT_EQ(rova::test::listing(set.path()), expected);
        for (const auto& [name, bytes] : c.files) {
            const std::string ext = name.substr(name.size() - 3);
            if (ext == "MTN" || ext == "LED") continue;
            EXPECT_EQ(set.read("New." + (ext == "wav" ? std::string("WAV") : ext)), bytes) << name;
            EXPECT_EQ(set.read(name), bytes) << name;  // the old performance is untouched
        }
        // The renamed performance opens with everything it had.
        Doc reopened;
        ASSERT_TRUE(reopened.doc.onOpenDocument(set / "New.MTN"));
        EXPECT_EQ(reopened.doc.trackFlags(), doc.doc.trackFlags());
        EXPECT_EQ(reopened.doc.leds().steps, doc.doc.leds().steps);
        EXPECT_FALSE(doc.doc.isModified());
    }
}

TEST_F(DocumentSave, AFailedWriteLeavesEveryFileAsItWas) {
    openSet(motionImage(16, 2, 3));
    d.doc.beginAction("Edit", {});
    d.doc.leds().steps[0] = 3;
    d.doc.leds().modified = true;
    d.doc.motion().setValue(1, 1, 99);
    d.doc.endAction({});
    // The second file of the set fails as a full disk would.
    d.doc.setWriteFault([](const std::filesystem::path& target, std::string& error) {
        error = "No space left on device";
        return target.extension() == ".MTN";
    });
    const auto listing = rova::test::listing(dir.path());
    EXPECT_FALSE(d.doc.onSaveDocument(d.doc.pathName()));
    EXPECT_THAT(d.ui.messages, ElementsAre("Error saving Motion data"));
    EXPECT_EQ(dir.read("P.LED"), ledBefore);
    EXPECT_EQ(dir.read("P.MTN"), motionBefore);
    EXPECT_EQ(rova::test::listing(dir.path()), listing);  // no temporary left
    EXPECT_TRUE(d.doc.leds().isModified());
    EXPECT_TRUE(d.doc.motion().isModified());
    EXPECT_TRUE(d.doc.isModified());

    // Undone back to what the files hold: clean, since nothing was written.
    ViewSelection s;
    ASSERT_TRUE(d.doc.undo(s));
    EXPECT_FALSE(d.doc.isModified());
}

TEST_F(DocumentSave, EachTrackIsCleanExactlyWhenItMatchesItsFile) {
    openSet(motionImage(16, 2, 3));
    ViewSelection s;
    // The eyes change and are saved; then the motion changes.
    d.doc.beginAction("Eyes", s);
    d.doc.leds().steps[0] = 3;
    d.doc.leds().modified = true;
    d.doc.endAction(s);
    ASSERT_TRUE(d.doc.onSaveDocument(d.doc.pathName()));
    d.doc.beginAction("Motion", s);
    d.doc.motion().setValue(1, 1, 99);
    d.doc.endAction(s);
    EXPECT_FALSE(d.doc.leds().isModified());
    EXPECT_TRUE(d.doc.motion().isModified());

    // Undoing both: the motion matches its file again, the eyes no longer do.
    ASSERT_TRUE(d.doc.undo(s));
    ASSERT_TRUE(d.doc.undo(s));
    EXPECT_FALSE(d.doc.motion().isModified());
    EXPECT_TRUE(d.doc.leds().isModified());
    EXPECT_TRUE(d.doc.isModified());
    // Redo and undo again: each flag is what it was.
    ASSERT_TRUE(d.doc.redo(s));
    EXPECT_FALSE(d.doc.leds().isModified());
    EXPECT_FALSE(d.doc.motion().isModified());
    ASSERT_TRUE(d.doc.undo(s));
    EXPECT_TRUE(d.doc.leds().isModified());
}

TEST_F(DocumentSave, AnActionThatChangesNothingMarksNothing) {
    openSet(motionImage(16, 2, 3));
    ViewSelection s;
    d.doc.beginAction("Same", s);
    d.doc.motion().setValue(1, 1, d.doc.motion().value(1, 1));  // flags the track, changes nothing
    d.doc.leds().modified = true;
    EXPECT_FALSE(d.doc.endAction(s));
    EXPECT_FALSE(d.doc.motion().isModified());
    EXPECT_FALSE(d.doc.leds().isModified());
    EXPECT_FALSE(d.doc.updateSaveState());
    EXPECT_FALSE(d.doc.history().canUndo());
}

TEST_F(DocumentSave, AReadOnlyTargetSurvives) {
    openSet(motionImage(16, 2, 3));
    d.doc.motion().setValue(1, 1, 99);
    std::filesystem::permissions(dir.path() / "P.MTN", std::filesystem::perms::owner_read);
    EXPECT_FALSE(d.doc.onSaveDocument(d.doc.pathName()));
    EXPECT_THAT(d.ui.messages, ElementsAre("Error saving Motion data"));
    EXPECT_EQ(dir.read("P.MTN"), motionBefore);
    EXPECT_TRUE(d.doc.motion().isModified());
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 3);  // no temporary left
}

TEST_F(DocumentSave, AReadOnlyFolderLeavesEverythingAsItWas) {
    if (geteuid() == 0) GTEST_SKIP() << "root writes into read-only folders";
    openSet(motionImage(16, 2, 3));
    d.doc.motion().setValue(1, 1, 99);
    std::filesystem::permissions(dir.path(), std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
    EXPECT_FALSE(d.doc.onSaveDocument(d.doc.pathName()));
    EXPECT_EQ(dir.read("P.MTN"), motionBefore);
    EXPECT_TRUE(d.doc.motion().isModified());
}

class ReplaceAudio : public testing::Test, protected Performance {
protected:
    void openWith(const std::string& audioName, std::vector<std::uint8_t> audio) {
        ASSERT_TRUE(open({{audioName, audio}, {"P.LED", ledImage({1, 1, 1})}, {"P.MTN", motionImage(16, 2, 4)}}));
        dir.write("new.wav", waveImage(8000));
    }
};

TEST_F(ReplaceAudio, YesRebuildsTracksToTheNewLength) {
    openWith("P.WAV", waveImage(400));
    choose("new.wav", {true, true});
    EXPECT_THAT(d.ui.messages, ElementsAre("Replacing Audio Track will happen immediately. Replace ?",
                                           "Replace existing motion/LED tracks ?"));
    ASSERT_EQ(d.ui.fileRequests.size(), 1u);
    EXPECT_EQ(d.ui.fileRequests[0].title, "Select New Audio File");
    ASSERT_EQ(d.ui.fileRequests[0].filters.size(), 2u);
    EXPECT_EQ(d.ui.fileRequests[0].filters[0].name, "Sound Files");
    EXPECT_THAT(d.ui.fileRequests[0].filters[0].pattern, testing::HasSubstr("*.mp3"));
    EXPECT_EQ(d.ui.fileRequests[0].filters[1].pattern, "*.WAV");
    EXPECT_THAT(d.ui.progressLabels, IsEmpty());  // already the robot's format: copied as it is
    EXPECT_EQ(dir.read("P.WAV"), waveImage(8000));
    EXPECT_FALSE(dir.exists("P.TMP"));
    EXPECT_EQ(d.doc.wave().sampleCount, 8000);
    EXPECT_EQ(d.doc.leds().length(), 12);
    EXPECT_TRUE(d.doc.leds().isModified());
    EXPECT_EQ(d.doc.motion().keyframeCount(), 14);
    EXPECT_EQ(d.doc.motion().totalTicks(), 65);
    EXPECT_EQ(d.doc.trackFlags(), 0x45u);  // only the tail's motion bit
    EXPECT_TRUE(d.doc.updateSaveState());
    EXPECT_THAT(d.hints, ElementsAre(1));
}

TEST_F(ReplaceAudio, NoKeepsTracksButTheAudioIsReplaced) {
    openWith("P.WAV", waveImage(400));
    choose("new.wav", {true, false});
    EXPECT_EQ(dir.read("P.WAV"), waveImage(8000));
    EXPECT_EQ(d.doc.leds().length(), 4);
    EXPECT_EQ(d.doc.motion().keyframeCount(), 4);
    EXPECT_FALSE(d.doc.updateSaveState());
    EXPECT_THAT(d.hints, ElementsAre(1));
}

TEST_F(ReplaceAudio, StopsAtCancelNoOrUnsavedChanges) {
    openWith("P.WAV", waveImage(400));
    d.doc.onReplaceAudio();  // the dialog is cancelled
    choose("new.wav", {false});
    EXPECT_EQ(dir.read("P.WAV"), waveImage(400));
    EXPECT_FALSE(dir.exists("P.TMP"));
    d.doc.motion().setValue(1, 0, 5);
    d.ui.messages.clear();
    d.doc.onReplaceAudio();
    EXPECT_THAT(d.ui.messages, ElementsAre("Please save changes before replacing Audio"));
    EXPECT_EQ(d.ui.fileRequests.size(), 2u);
    EXPECT_THAT(d.hints, IsEmpty());
}

TEST_F(ReplaceAudio, MidiBecomesWave) {
    openWith("P.MID", midiImage());
    choose("new.wav", {true, false});
    EXPECT_FALSE(dir.exists("P.MID"));
    EXPECT_EQ(d.doc.trackFlags(), 0x45u);
}

TEST_F(ReplaceAudio, WithTheDocumentsOwnWave) {
    openWith("P.WAV", waveImage(800));
    choose("P.WAV", {true, false});
    EXPECT_EQ(dir.read("P.WAV"), waveImage(800));
    EXPECT_EQ(d.doc.wave().sampleCount, 800);
    EXPECT_FALSE(dir.exists("P.TMP"));
}

TEST_F(ReplaceAudio, ARenameFailureKeepsTheOldAudio) {
    // A folder named P.WAV cannot be replaced by a file.
    std::filesystem::create_directories(dir.path() / "P.WAV" / "x");
    openWith("P.MID", midiImage());
    choose("new.wav", {true});
    EXPECT_THAT(d.ui.messages.back(), "Failed to rename Audio Track - destination file may be read-only");
    EXPECT_EQ(dir.read("P.MID"), midiImage());
    EXPECT_FALSE(dir.exists("P.TMP"));
    EXPECT_EQ(d.doc.trackFlags(), 0x46u);
}

TEST_F(ReplaceAudio, ACopyFailureLeavesNoTemporary) {
    openWith("P.WAV", waveImage(400));
    choose("missing.wav", {true});
    EXPECT_THAT(d.ui.messages.back(), "Failed to copy Audio Track");
    EXPECT_FALSE(dir.exists("P.TMP"));
    EXPECT_EQ(dir.read("P.WAV"), waveImage(400));
}

// A file that is no usable sound is refused before any old file goes.
TEST_F(ReplaceAudio, AnUnusableFileKeepsTheOldSound) {
    struct Case {
        const char* name;
        std::vector<std::uint8_t> bytes;
    };
    const std::string text = "just some text, no sound";
    const Case cases[] = {{"bad.wav", kGarbage},
                          {"text.mp3", {text.begin(), text.end()}},
                          {"empty.mid", midiImage()}};  // a MIDI header without a track
    for (const std::string audio : {"P.WAV", "P.MID"}) {
        for (const Case& c : cases) {
            SCOPED_TRACE(audio + " " + c.name);
            Performance p;
            ASSERT_TRUE(
                p.open({{audio, audio == "P.WAV" ? waveImage(400) : midiImage()}, {"P.MTN", motionImage(16, 2, 4)}}));
            const unsigned flags = p.d.doc.trackFlags();
            p.dir.write(c.name, c.bytes);
            const auto before = rova::test::listing(p.dir.path());
            p.choose(c.name, {true, true});
            EXPECT_THAT(p.d.ui.messages, ElementsAre("Replacing Audio Track will happen immediately. Replace ?",
                                                     "New WAVE file is not in valid format"));
            EXPECT_EQ(rova::test::listing(p.dir.path()), before);
            EXPECT_EQ(p.dir.read(audio), audio == "P.WAV" ? waveImage(400) : midiImage());
            EXPECT_EQ(p.d.doc.trackFlags(), flags);
            EXPECT_TRUE(p.d.doc.canReplaceAudio());
            EXPECT_THAT(p.d.hints, IsEmpty());
        }
    }
}

// Any sound that is not yet 8000 Hz mono 8-bit is converted, its length kept.
TEST_F(ReplaceAudio, ConvertsOtherSounds) {
    struct Case {
        const char* name;
        int format;
        int rate;
        int channels;
        std::int64_t frames;
        int samples;  // at 8000 Hz
    };
    const Case cases[] = {
        {"cd.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_16, 44100, 2, 44100, 8000},
        {"song.flac", SF_FORMAT_FLAC | SF_FORMAT_PCM_16, 22050, 1, 11025, 4000},
        {"wide.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_16, 8000, 1, 1600, 1600},  // right rate, 16 bits
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Performance p;
        ASSERT_TRUE(p.open({{"P.MID", midiImage()}, {"P.LED", ledImage({1, 1, 1})}, {"P.MTN", motionImage(16, 2, 4)}}));
        ASSERT_TRUE(rova::test::writeSound(p.dir.path() / c.name, c.format, c.rate, c.channels, c.frames,
                                           rova::test::sine(0.25, 440, c.rate)));
        p.choose(c.name, {true, true});
        EXPECT_THAT(p.d.ui.messages, ElementsAre("Replacing Audio Track will happen immediately. Replace ?",
                                                 "Replace existing motion/LED tracks ?"));
        EXPECT_EQ(p.d.ui.progressLabels.size(), 1u);
        EXPECT_EQ(p.d.doc.wave().sampleCount, c.samples);
        EXPECT_EQ(p.d.doc.trackFlags() & TRACK_WAVE, TRACK_WAVE);
        EXPECT_FALSE(p.dir.exists("P.MID"));
        EXPECT_FALSE(p.dir.exists("P.TMP"));
        // Normalised to -1 dBFS: the loudest sample is about 0.89 of full scale.
        const auto wave = p.dir.read("P.WAV");
        const auto peak = *std::max_element(wave.end() - c.samples, wave.end());
        EXPECT_NEAR(peak, 128 + 0.891 * 127, 2);
        EXPECT_EQ(p.d.doc.history().undoName(), kRebuildActionName);
        EXPECT_THAT(p.d.hints, ElementsAre(1));
    }
}

TEST_F(ReplaceAudio, CancellingTheConversionChangesNothing) {
    openWith("P.WAV", waveImage(400));
    ASSERT_TRUE(rova::test::writeSound(dir.path() / "cd.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_16, 44100, 2, 44100,
                                       rova::test::sine(0.5, 440, 44100)));
    const auto before = rova::test::listing(dir.path());
    d.ui.cancelProgressAt = 1;
    choose("cd.wav", {true, true});
    EXPECT_THAT(d.ui.messages, ElementsAre("Replacing Audio Track will happen immediately. Replace ?"));
    EXPECT_EQ(rova::test::listing(dir.path()), before);
    EXPECT_EQ(dir.read("P.WAV"), waveImage(400));
    EXPECT_EQ(d.doc.wave().sampleCount, 400);
    EXPECT_THAT(d.hints, IsEmpty());
}

TEST_F(ReplaceAudio, AMidiFileMakesAMidiPerformance) {
    openWith("P.WAV", waveImage(400));
    dir.write("tune.mid", tuneImage());
    choose("tune.mid", {true, true});
    EXPECT_THAT(d.ui.messages, ElementsAre("Replacing Audio Track will happen immediately. Replace ?",
                                           "Replace existing motion/LED tracks ?"));
    EXPECT_EQ(dir.read("P.MID"), tuneImage());
    EXPECT_FALSE(dir.exists("P.WAV"));
    EXPECT_EQ(d.doc.trackFlags() & (TRACK_MIDI | TRACK_WAVE), TRACK_MIDI);
    EXPECT_EQ(d.doc.leds().length(), 18);  // 1.5 s at 12 steps a second
    Doc reopened;
    ASSERT_TRUE(reopened.doc.onOpenDocument(dir / "P.MTN"));
    EXPECT_EQ(reopened.doc.trackFlags() & TRACK_MIDI, TRACK_MIDI);
}

// The sound goes only to the performance's own sound file: a file of any
// other name, NAME.TMP included, is never truncated, replaced or removed.
TEST_F(ReplaceAudio, NeverTouchesAFileOfTheUsers) {
    const std::vector<std::uint8_t> mine = {'m', 'i', 'n', 'e'};
    struct Case {
        const char* what;
        const char* chosen;
        std::vector<std::uint8_t> chosenBytes;
        bool works;
    };
    const Case cases[] = {
        {"NAME.TMP itself chosen", "P.TMP", waveImage(1200), true},
        {"an unreadable choice beside NAME.TMP", "missing.wav", {}, false},
        {"a good choice beside NAME.TMP", "new.wav", waveImage(1600), true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Performance p;
        Files files = {{"P.WAV", waveImage(400)}, {"P.MTN", motionImage(16, 2, 4)}, {"P.TMP", mine}};
        if (!c.chosenBytes.empty()) files.emplace_back(c.chosen, c.chosenBytes);
        ASSERT_TRUE(p.open(files));
        p.choose(c.chosen, {true, false});
        EXPECT_EQ(p.dir.read("P.TMP"), c.chosenBytes.empty() || std::string(c.chosen) != "P.TMP" ? mine
                                                                                                    : c.chosenBytes);
        EXPECT_EQ(p.dir.read("P.WAV"), c.works ? c.chosenBytes : waveImage(400));
        EXPECT_EQ(rova::test::listing(p.dir.path()).size(),
                  c.chosenBytes.empty() || std::string(c.chosen) == "P.TMP" ? 3u : 4u);
    }
}

TEST(CopyFile, CopiesExactlyAndFailsCleanly) {
    TempDir dir;
    std::vector<std::uint8_t> bytes(1000);
    for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<std::uint8_t>(i * 7);
    dir.write("a", bytes);
    EXPECT_TRUE(copyFile(dir / "a", dir / "b"));
    EXPECT_EQ(dir.read("b"), bytes);
    dir.write("empty", std::vector<std::uint8_t>{});
    EXPECT_TRUE(copyFile(dir / "empty", dir / "b"));
    EXPECT_TRUE(dir.read("b").empty());
    EXPECT_FALSE(copyFile(dir / "missing", dir / "c"));
    EXPECT_FALSE(copyFile(dir / "a", dir / "no-such-folder/c"));
}
