#include "export/ExportActions.h"

#include "export/MidiFileWriter.h"
#include "export/OfflineRenderer.h"
#include "support/DrumTreeFixture.h"
#include "support/JucePrinters.h"
#include "support/SmfReader.h"

#include <gtest/gtest.h>

namespace garvo
{
namespace
{
using Bytes = std::vector<unsigned char>;

Hit hitAt(int bar, int step)
{
    Hit hit;
    hit.bar = bar;
    hit.step = step;
    hit.velocity = 110;
    return hit;
}

Pattern patternWithLanes(std::initializer_list<Element> elements)
{
    Pattern pattern;
    pattern.tempo = 124.0;
    pattern.bars = 1;
    pattern.genre = "House";
    for (const auto element : elements)
        pattern.hits[element] = {hitAt(0, 0), hitAt(0, 8)};
    return pattern;
}

Bytes contentsOf(const juce::File& file)
{
    juce::MemoryBlock block;
    file.loadFileAsData(block);
    const auto* data = static_cast<const unsigned char*>(block.getData());
    return {data, data + block.getSize()};
}

juce::StringArray fileNamesIn(const juce::File& folder)
{
    juce::StringArray names;
    for (const auto& file :
         folder.findChildFiles(juce::File::findFilesAndDirectories | juce::File::ignoreHiddenFiles, false))
        names.add(file.getFileName());
    names.sort(false);
    return names;
}

juce::StringArray fileNamesOf(const std::vector<juce::File>& files)
{
    juce::StringArray names;
    for (const auto& file : files)
        names.add(file.getFileName());
    return names;
}

// A small library so that audio files have content, and the default snapshot that points at it.
class ExportFixture : public ::testing::Test
{
protected:
    ExportFixture()
    {
        for (const auto* folder : {"Kick", "Snare", "Clap", "Closed Hat", "Open Hat", "Perc"})
            test::addDrumSample(library.get(), "House", folder, "one.wav", 0.2f, 4410);
        kit.libraryRoot = library.get();
    }

    test::ScopedTempFolder library{"garvo-export-library"};
    test::ScopedTempFolder desktop{"garvo-desktop"};
    KitSnapshot kit;
};

TEST_F(ExportFixture, ExportMidiWritesTheFullKitFileUnderItsName)
{
    const auto pattern = patternWithLanes({Element::Kick, Element::Ride});
    const auto result = exportMidi(desktop.get(), pattern);
    EXPECT_TRUE(result.succeeded());
    const auto file = desktop / "GARVO-RHYTHM-pattern.mid";
    EXPECT_EQ(fileNamesOf(result.written), juce::StringArray{"GARVO-RHYTHM-pattern.mid"});
    EXPECT_EQ(contentsOf(file), fullKitMidiBytes(pattern));
    EXPECT_EQ(fileNamesIn(desktop.get()), juce::StringArray{"GARVO-RHYTHM-pattern.mid"});
}

TEST_F(ExportFixture, ExportAudioReplacesTheFileWithTheRenderOfAllLanes)
{
    const auto file = desktop / "GARVO-RHYTHM-pattern.wav";
    file.replaceWithText("an older export");
    const auto pattern = patternWithLanes({Element::Kick, Element::Snare});
    juce::AudioBuffer<float> buffer;
    renderPatternToBuffer(pattern, buffer, nullptr, kit);

    for (int run = 0; run < 2; ++run)
    {
        const auto result = exportAudio(desktop.get(), pattern, kit);
        EXPECT_TRUE(result.succeeded());
        EXPECT_EQ(contentsOf(file), bufferToWavBytes(buffer));
    }
    EXPECT_EQ(fileNamesIn(desktop.get()), juce::StringArray{"GARVO-RHYTHM-pattern.wav"});
}

TEST_F(ExportFixture, ExportKitWritesMixMidiAndOneFilePerLaneWithHits)
{
    const auto kitFolder = desktop / "GARVO-RHYTHM-Kit";
    kitFolder.createDirectory();
    (kitFolder.getChildFile("Ride.wav")).replaceWithText("from an earlier pattern"); // stale files stay
    auto pattern = patternWithLanes({Element::Kick, Element::Clap, Element::Closed_Hat, Element::Perc_1});
    pattern.hits[Element::Snare] = {}; // a lane entry without hits writes no file

    const auto result = exportKit(desktop.get(), pattern, kit);
    EXPECT_TRUE(result.succeeded()) << result.describeFailures();
    EXPECT_EQ(result.folder, kitFolder);
    EXPECT_EQ(fileNamesOf(result.written),
              (juce::StringArray{"MIX.wav", "pattern.mid", "Kick.wav", "Clap.wav", "Closed_Hat.wav", "Perc_1.wav"}));
    EXPECT_EQ(fileNamesIn(kitFolder), (juce::StringArray{"Clap.wav", "Closed_Hat.wav", "Kick.wav", "MIX.wav",
                                                         "Perc_1.wav", "Ride.wav", "pattern.mid"}));
    EXPECT_EQ((kitFolder.getChildFile("Ride.wav")).loadFileAsString(), "from an earlier pattern");

    juce::AudioBuffer<float> mix;
    renderPatternToBuffer(pattern, mix, nullptr, kit);
    EXPECT_EQ(contentsOf(kitFolder.getChildFile("MIX.wav")), bufferToWavBytes(mix));
    EXPECT_EQ(contentsOf(kitFolder.getChildFile("pattern.mid")), fullKitMidiBytes(pattern));
    EXPECT_EQ(contentsOf(kitFolder.getChildFile("Closed_Hat.wav")),
              renderElementWav(pattern, Element::Closed_Hat, kit));
}

TEST_F(ExportFixture, EmptyPatternExportsOnlyTheMixAndTheMidiFile)
{
    const auto empty = patternWithLanes({});
    const auto result = exportKit(desktop.get(), empty, kit);
    EXPECT_TRUE(result.succeeded());
    EXPECT_EQ(fileNamesIn(result.folder), (juce::StringArray{"MIX.wav", "pattern.mid"}));

    const auto midi = test::readSmf(contentsOf(result.folder.getChildFile("pattern.mid")));
    ASSERT_TRUE(midi.has_value());
    EXPECT_TRUE(midi->notes.empty());

    EXPECT_TRUE(exportAudio(desktop.get(), empty, kit).succeeded());
    juce::WavAudioFormat wav;
    const std::unique_ptr<juce::AudioFormatReader> reader(
        wav.createReaderFor(new juce::FileInputStream(desktop / "GARVO-RHYTHM-pattern.wav"), true));
    ASSERT_NE(reader, nullptr);
    EXPECT_EQ(reader->lengthInSamples, renderLengthFor(empty).totalSamples); // one second plus one bar
}

TEST_F(ExportFixture, LaneDragFileInEitherFormat)
{
    const auto pattern = patternWithLanes({Element::Kick, Element::Open_Hat});
    const auto midi = exportLaneDragFile(desktop.get(), pattern, kit, Element::Open_Hat, false);
    EXPECT_EQ(fileNamesOf(midi.written), juce::StringArray{"Open_Hat.mid"});
    const auto track = test::readSmf(contentsOf(desktop / "Open_Hat.mid"));
    ASSERT_TRUE(track.has_value());
    EXPECT_EQ(track->name, "Open_Hat");
    ASSERT_EQ(track->notes.size(), 4u);
    for (const auto& note : track->notes)
        EXPECT_EQ(note.note, 60);

    const auto wav = exportLaneDragFile(desktop.get(), pattern, kit, Element::Kick, true);
    EXPECT_EQ(fileNamesOf(wav.written), juce::StringArray{"Kick.wav"});
    EXPECT_EQ(contentsOf(desktop / "Kick.wav"), renderElementWav(pattern, Element::Kick, kit));
}

TEST(DragFormat, ToggleTextFollowsTheFlag)
{
    bool dragAsWav = false;
    EXPECT_EQ(dragFormatButtonText(dragAsWav), "DRAG: MIDI");
    dragAsWav = !dragAsWav;
    EXPECT_EQ(dragFormatButtonText(dragAsWav), "DRAG: WAV");
    dragAsWav = !dragAsWav;
    EXPECT_EQ(dragFormatButtonText(dragAsWav), "DRAG: MIDI");
    EXPECT_EQ(laneDragFileName(Element::Log_Drum, true), "Log_Drum.wav");
    EXPECT_EQ(laneDragFileName(Element::Log_Drum, false), "Log_Drum.mid");
}

TEST_F(ExportFixture, FailedWritesAreReportedWithTheirPathAndLeaveNothingBehind)
{
    const auto pattern = patternWithLanes({Element::Kick});
    const auto notAFolder = desktop / "plain-file";
    notAFolder.replaceWithText("x");

    // Exports whose destination cannot hold files.
    const struct
    {
        const char* action;
        ExportResult result;
        juce::File expectedPath;
    } cases[] = {
        {"midi", exportMidi(notAFolder, pattern), notAFolder.getChildFile("GARVO-RHYTHM-pattern.mid")},
        {"audio", exportAudio(notAFolder, pattern, kit), notAFolder.getChildFile("GARVO-RHYTHM-pattern.wav")},
        {"kit", exportKit(notAFolder, pattern, kit), notAFolder.getChildFile("GARVO-RHYTHM-Kit")},
        {"drag", exportLaneDragFile(notAFolder, pattern, kit, Element::Kick, true),
         notAFolder.getChildFile("Kick.wav")},
    };
    for (const auto& c : cases)
    {
        EXPECT_FALSE(c.result.succeeded()) << c.action;
        EXPECT_TRUE(c.result.written.empty()) << c.action; // so no drag starts
        ASSERT_EQ(c.result.failures.size(), 1u) << c.action;
        EXPECT_EQ(c.result.failures[0].file, c.expectedPath) << c.action;
        EXPECT_TRUE(c.result.failures[0].reason.isNotEmpty()) << c.action;
        EXPECT_TRUE(c.result.describeFailures().contains(c.expectedPath.getFullPathName())) << c.action;
    }
    EXPECT_EQ(notAFolder.loadFileAsString(), "x");
}

TEST_F(ExportFixture, AFileThatCannotBeReplacedKeepsTheOthersAndNoTemporaryFiles)
{
    const auto kitFolder = desktop / "GARVO-RHYTHM-Kit";
    (kitFolder.getChildFile("Kick.wav")).createDirectory(); // something in the way of one file
    const auto pattern = patternWithLanes({Element::Kick, Element::Snare});

    const auto result = exportKit(desktop.get(), pattern, kit);
    ASSERT_EQ(result.failures.size(), 1u);
    EXPECT_EQ(result.failures[0].file, kitFolder.getChildFile("Kick.wav"));
    EXPECT_EQ(fileNamesOf(result.written), (juce::StringArray{"MIX.wav", "pattern.mid", "Snare.wav"}));
    EXPECT_TRUE((kitFolder.getChildFile("Kick.wav")).isDirectory());
    // Hidden temporary files included: every file in the folder is one the export meant to write.
    const auto everything = kitFolder.findChildFiles(juce::File::findFilesAndDirectories, false);
    EXPECT_EQ(everything.size(), 4);
}

TEST(AtomicWrite, ReplacesWholeContentAndSkipsEmptyBytes)
{
    test::ScopedTempFolder folder{"garvo-atomic"};
    const auto target = folder / "out.bin";
    target.replaceWithText("a much longer previous content that must not survive");
    EXPECT_FALSE(writeFileAtomically(target, Bytes{1, 2, 3}).has_value());
    EXPECT_EQ(contentsOf(target), (Bytes{1, 2, 3}));
    EXPECT_FALSE(writeFileAtomically(target, Bytes{}).has_value());
    EXPECT_EQ(contentsOf(target), (Bytes{1, 2, 3}));
    EXPECT_EQ(folder.get().findChildFiles(juce::File::findFilesAndDirectories, false).size(), 1);
}
} // namespace
} // namespace garvo
