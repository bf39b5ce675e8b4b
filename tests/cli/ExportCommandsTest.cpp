#include "export/KitSnapshot.h"
#include "export/MidiFileWriter.h"
#include "export/OfflineRenderer.h"
#include "kit/DrumLibrary.h"
#include "rhythm/GenreDNA.h"
#include "rhythm/Pipeline.h"
#include "support/DrumTreeFixture.h"
#include "support/JucePrinters.h"

#include <cstdlib>
#include <gtest/gtest.h>
#include <juce_audio_formats/juce_audio_formats.h>

// End-to-end runs of the export commands of the garvo-rhythm binary, on the factory library
// that the build places next to it.
namespace garvo
{
namespace
{
using Bytes = std::vector<unsigned char>;

juce::File binaryDir()
{
    const char* dir = std::getenv("GARVO_BINARY_DIR");
    return juce::File(dir != nullptr ? juce::String(dir) : juce::File::getCurrentWorkingDirectory().getFullPathName());
}

juce::File factoryLibrary()
{
    return binaryDir().getChildFile("Contents/Resources/GARVO RHYTHM DRUMS");
}

struct Run
{
    int exitCode = -1;
    juce::String output; // stdout and stderr together
};

Run run(const juce::File& binary, const juce::StringArray& args)
{
    juce::StringArray command{binary.getFullPathName()};
    command.addArray(args);
    juce::ChildProcess process;
    Run result;
    if (!process.start(command, juce::ChildProcess::wantStdOut | juce::ChildProcess::wantStdErr))
        return result;
    result.output = process.readAllProcessOutput();
    process.waitForProcessToFinish(60000);
    result.exitCode = static_cast<int>(process.getExitCode());
    return result;
}

Run garvo(const juce::StringArray& args)
{
    return run(binaryDir().getChildFile("garvo-rhythm"), args);
}

Bytes contentsOf(const juce::File& file)
{
    juce::MemoryBlock block;
    file.loadFileAsData(block);
    const auto* data = static_cast<const unsigned char*>(block.getData());
    return {data, data + block.getSize()};
}

GenerationSettings settingsFor(const std::string& genre, int seed)
{
    GenerationSettings settings;
    const auto names = genreNames();
    settings.genreIndex = static_cast<int>(std::find(names.begin(), names.end(), genre) - names.begin());
    settings.seed = seed;
    return settings;
}

// What the app would export for these generation values with the given sound settings.
Bytes expectedWav(const RegeneratedPattern& built, KitSnapshot sound, const std::set<Element>* lanes = nullptr)
{
    sound.kitFolder = kitFolderForGenre(built.kitGenre);
    sound.libraryRoot = factoryLibrary();
    juce::AudioBuffer<float> buffer;
    renderPatternToBuffer(built.pattern, buffer, lanes, sound);
    return bufferToWavBytes(buffer);
}

class ExportCommands : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(binaryDir().getChildFile("garvo-rhythm").existsAsFile()) << "build garvo-rhythm first";
        ASSERT_TRUE(looksLikeDrumTree(factoryLibrary())) << "the factory library is missing";
    }

    test::ScopedTempFolder out{"garvo-cli-export"};
};

TEST_F(ExportCommands, MidiWritesTheFullKitOrOneLane)
{
    const auto built = buildPattern(settingsFor("Trap", 7), {});
    const auto full = out / "full.mid";
    auto result = garvo({"midi", "--genre", "Trap", "--seed", "7", "--out", full.getFullPathName()});
    EXPECT_EQ(result.exitCode, 0) << result.output;
    EXPECT_EQ(contentsOf(full), fullKitMidiBytes(built.pattern));

    const auto hat = out / "hat.mid";
    result = garvo({"midi", "--genre", "Trap", "--seed", "7", "--lane", "closed hat", "--out", hat.getFullPathName()});
    EXPECT_EQ(result.exitCode, 0) << result.output;
    EXPECT_EQ(contentsOf(hat), elementMidiBytes(built.pattern, Element::Closed_Hat));
}

TEST_F(ExportCommands, WavRendersWhatTheAppWouldExport)
{
    const auto built = buildPattern(settingsFor("House", 3), {});
    const auto mix = out / "mix.wav";
    auto result = garvo({"wav", "--genre", "House", "--seed", "3", "--out", mix.getFullPathName()});
    EXPECT_EQ(result.exitCode, 0) << result.output;
    const auto plain = contentsOf(mix);
    EXPECT_EQ(plain, expectedWav(built, {}));

    juce::WavAudioFormat wav;
    const std::unique_ptr<juce::AudioFormatReader> reader(wav.createReaderFor(new juce::FileInputStream(mix), true));
    ASSERT_NE(reader, nullptr);
    EXPECT_EQ(reader->numChannels, 2u);
    EXPECT_EQ(reader->bitsPerSample, 24u);
    EXPECT_EQ(reader->lengthInSamples, renderLengthFor(built.pattern).totalSamples);
    std::array<juce::Range<float>, 2> levels;
    reader->readMaxLevels(0, reader->lengthInSamples, levels.data(), 2);
    EXPECT_GT(levels[0].getEnd(), 0.05f) << "the factory library should be audible";

    // The producer's sound settings reach the file.
    test::writeTestWav(out / "mine.wav", test::steadyLevel(0.5f, 2000));
    KitSnapshot chosen;
    chosen.variations[static_cast<std::size_t>(Element::Snare)] = 2;
    chosen.userPads[static_cast<std::size_t>(Element::Kick)] = test::makeSteadyPad(0.5f, 2000);
    chosen.decayScale = 0.9f;
    chosen.pitchSemitones = -3.0f;
    const auto shaped = out / "shaped.wav";
    result = garvo({"wav", "--genre", "House", "--seed", "3", "--variation", "snare=2", "--sample",
                    "Kick=" + (out / "mine.wav").getFullPathName(), "--kit-character", "lo-fi", "--pitch", "-3",
                    "--out", shaped.getFullPathName()});
    EXPECT_EQ(result.exitCode, 0) << result.output;
    EXPECT_EQ(contentsOf(shaped), expectedWav(built, chosen));
    EXPECT_NE(contentsOf(shaped), plain);

    const auto lane = out / "snare.wav";
    const std::set<Element> snare{Element::Snare};
    result = garvo({"wav", "--genre", "House", "--seed", "3", "--lane", "Snare", "--library",
                    factoryLibrary().getFullPathName(), "--out", lane.getFullPathName()});
    EXPECT_EQ(result.exitCode, 0) << result.output;
    EXPECT_EQ(contentsOf(lane), expectedWav(built, {}, &snare));
}

TEST_F(ExportCommands, KitWritesTheExportKitFilesIntoTheFolder)
{
    const auto built = buildPattern(settingsFor("Afro House", 11), {});
    const auto folder = out / "nested/kit";
    const auto result = garvo({"kit", "--genre", "Afro House", "--seed", "11", "--out", folder.getFullPathName()});
    EXPECT_EQ(result.exitCode, 0) << result.output;

    juce::StringArray expected{"MIX.wav", "pattern.mid"};
    for (const auto& [element, hits] : built.pattern.hits)
        if (!hits.empty())
            expected.add(juce::String(elementName(element)) + ".wav");
    juce::StringArray found;
    for (const auto& file : folder.findChildFiles(juce::File::findFilesAndDirectories, false))
        found.add(file.getFileName());
    expected.sort(false);
    found.sort(false);
    EXPECT_EQ(found, expected);
    EXPECT_EQ(contentsOf(folder.getChildFile("pattern.mid")), fullKitMidiBytes(built.pattern));
    EXPECT_EQ(contentsOf(folder.getChildFile("MIX.wav")), expectedWav(built, {}));
}

TEST_F(ExportCommands, UsageErrorsExitTwoAndWriteNothing)
{
    const auto target = out / "never.out";
    const auto path = target.getFullPathName();
    test::ScopedTempFolder notALibrary{"garvo-not-a-library"};
    const juce::StringArray cases[] = {
        {"midi", "--genre", "Trap"},                        // no --out
        {"midi", "--lane", "Cymbal", "--out", path},        // unknown element
        {"midi", "--pitch", "2", "--out", path},            // a sound option on a MIDI file
        {"midi", "--bars", "9", "--out", path},             // pattern option out of range
        {"wav", "--pitch", "25", "--out", path},            // beyond the pitch range
        {"wav", "--kit-character", "Shiny", "--out", path}, // not a character
        {"wav", "--variation", "Snare=5", "--out", path},   // only five variations
        {"wav", "--variation", "Snare", "--out", path},     // no value
        {"wav", "--sample", "Kick=" + (out / "missing.wav").getFullPathName(), "--out", path},
        {"wav", "--library", notALibrary.get().getFullPathName(), "--out", path},
        {"kit", "--lane", "Kick", "--out", path}, // a kit has every lane
    };
    for (const auto& args : cases)
    {
        const auto result = garvo(args);
        EXPECT_EQ(result.exitCode, 2) << args.joinIntoString(" ") << "\n" << result.output;
        EXPECT_TRUE(result.output.isNotEmpty()) << args.joinIntoString(" ");
        EXPECT_FALSE(target.exists()) << args.joinIntoString(" ");
    }
}

TEST_F(ExportCommands, UnwritableOutputExitsOneNamingThePath)
{
    const auto blocker = out / "a-file";
    blocker.replaceWithText("x");
    const struct
    {
        juce::StringArray args;
        juce::File reported;
    } cases[] = {
        {{"midi", "--out", blocker.getChildFile("p.mid").getFullPathName()}, blocker.getChildFile("p.mid")},
        {{"wav", "--bars", "1", "--out", blocker.getChildFile("p.wav").getFullPathName()},
         blocker.getChildFile("p.wav")},
        {{"kit", "--bars", "1", "--out", blocker.getChildFile("kit").getFullPathName()}, blocker.getChildFile("kit")},
    };
    for (const auto& c : cases)
    {
        const auto result = garvo(c.args);
        EXPECT_EQ(result.exitCode, 1) << c.args.joinIntoString(" ") << "\n" << result.output;
        EXPECT_TRUE(result.output.contains(c.reported.getFullPathName())) << result.output;
    }
    EXPECT_EQ(blocker.loadFileAsString(), "x");

    // An existing file under the final name survives a failed replacement untouched.
    const auto occupied = out / "occupied.mid";
    occupied.createDirectory();
    EXPECT_EQ(garvo({"midi", "--out", occupied.getFullPathName()}).exitCode, 1);
    EXPECT_TRUE(occupied.isDirectory());
}

TEST_F(ExportCommands, WithoutALibraryTheSilentFileIsStillWritten)
{
    // A copy of the binary far from the factory library, with a home that has no library either.
    test::ScopedTempFolder elsewhere{"garvo-no-library"};
    const auto binary = elsewhere / "garvo-rhythm";
    ASSERT_TRUE(binaryDir().getChildFile("garvo-rhythm").copyFileTo(binary));
    binary.setExecutePermission(true);
    const auto target = elsewhere / "silent.wav";
    const auto result =
        run(juce::File("/usr/bin/env"),
            {"HOME=" + elsewhere.get().getFullPathName(), "XDG_CONFIG_HOME=" + elsewhere.get().getFullPathName(),
             binary.getFullPathName(), "wav", "--bars", "1", "--out", target.getFullPathName()});
    EXPECT_EQ(result.exitCode, 0) << result.output;
    EXPECT_TRUE(result.output.contains("no drum library found")) << result.output;

    juce::WavAudioFormat wav;
    const std::unique_ptr<juce::AudioFormatReader> reader(wav.createReaderFor(new juce::FileInputStream(target), true));
    ASSERT_NE(reader, nullptr);
    EXPECT_EQ(reader->lengthInSamples,
              renderLengthFor(buildPattern(GenerationSettings{.bars = 1}, {}).pattern).totalSamples);
    std::array<juce::Range<float>, 2> levels;
    reader->readMaxLevels(0, reader->lengthInSamples, levels.data(), 2);
    EXPECT_EQ(levels[0].getEnd(), 0.0f);
    EXPECT_EQ(levels[0].getStart(), 0.0f);
}
} // namespace
} // namespace garvo
