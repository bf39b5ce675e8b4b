#include "kit/FactoryLibrary.h"

#include "kit/DrumKit.h"
#include "kit/DrumLibrary.h"
#include "kit/KitTestSupport.h"
#include "rhythm/GenreDNA.h"
#include "support/JucePrinters.h"

#include <cmath>
#include <cstdlib>
#include <gtest/gtest.h>
#include <iostream>
#include <set>

namespace garvo
{
namespace
{
using factory::SoundId;

constexpr double kRate = factory::kSampleRate;

struct Decoded
{
    std::vector<float> samples;
    int channels = 0;
    double sampleRate = 0.0;
    unsigned bits = 0;
};

Decoded readWav(const juce::File& file)
{
    juce::WavAudioFormat format;
    std::unique_ptr<juce::AudioFormatReader> reader(format.createReaderFor(file.createInputStream().release(), true));
    Decoded decoded;
    if (reader == nullptr)
        return decoded;
    decoded.channels = static_cast<int>(reader->numChannels);
    decoded.sampleRate = reader->sampleRate;
    decoded.bits = reader->bitsPerSample;
    decoded.samples.resize(static_cast<std::size_t>(reader->lengthInSamples));
    auto* destination = decoded.samples.data();
    reader->read(&destination, 1, 0, static_cast<int>(reader->lengthInSamples));
    return decoded;
}

double peakOf(const std::vector<float>& samples, std::size_t from = 0, std::size_t to = SIZE_MAX)
{
    double peak = 0.0;
    for (auto i = from; i < std::min(to, samples.size()); ++i)
        peak = std::max(peak, static_cast<double>(std::abs(samples[i])));
    return peak;
}

std::vector<double> frameLevels(const std::vector<float>& samples, std::size_t frame)
{
    std::vector<double> levels;
    for (std::size_t start = 0; start + frame <= samples.size(); start += frame)
    {
        double sum = 0.0;
        for (auto i = start; i < start + frame; ++i)
            sum += static_cast<double>(samples[i]) * samples[i];
        levels.push_back(std::sqrt(sum / static_cast<double>(frame)));
    }
    return levels;
}

// What the level and spectrum rules look at, for one file.
struct Measures
{
    double peakDb = 0.0;
    double dc = 0.0;
    int onsetSample = -1;
    double endLevel = 0.0;    // peak of the last 5 ms relative to the file's peak
    double worstRiseDb = 0.0; // largest frame-to-frame rise of the 10 ms level once the hit has decayed a little
    double lowEnergy = 0.0;   // fraction below 200 Hz
    double highEnergy = 0.0;  // fraction above 5 kHz
    double pitchHz = 0.0;     // strongest frequency between 100 Hz and 2 kHz
    double seconds = 0.0;
    double centroidHz = 0.0;
};

Measures measure(const std::vector<float>& samples)
{
    Measures m;
    const auto peak = peakOf(samples);
    m.peakDb = 20.0 * std::log10(peak);
    double sum = 0.0;
    for (const auto s : samples)
        sum += s;
    m.dc = sum / static_cast<double>(samples.size());
    for (std::size_t i = 0; i < samples.size() && m.onsetSample < 0; ++i)
        if (std::abs(samples[i]) >= 0.1 * peak)
            m.onsetSample = static_cast<int>(i);
    m.endLevel = peakOf(samples, samples.size() - static_cast<std::size_t>(0.005 * kRate)) / peak;

    // Clap bursts and the first cycles of a hit may rise; after 50 ms past the loudest frame a
    // one-shot only falls.
    const auto levels = frameLevels(samples, static_cast<std::size_t>(0.01 * kRate));
    const auto loudest = static_cast<std::size_t>(std::max_element(levels.begin(), levels.end()) - levels.begin());
    for (auto i = loudest + 6; i < levels.size(); ++i)
        if (levels[i - 1] > 1.0e-6)
            m.worstRiseDb = std::max(m.worstRiseDb, 20.0 * std::log10(levels[i] / levels[i - 1]));

    // The first 1.5 s hold nearly all of a one-shot's energy and keep the transform small.
    const auto analysed = std::min<std::size_t>(samples.size(), 65536);
    const test::Spectrum spectrum({samples.begin(), samples.begin() + static_cast<std::ptrdiff_t>(analysed)}, kRate);
    m.lowEnergy = spectrum.energyFractionBelow(200.0);
    m.highEnergy = 1.0 - spectrum.energyFractionBelow(5000.0);
    m.pitchHz = spectrum.peakHz(100.0, 2000.0);
    m.seconds = static_cast<double>(samples.size()) / kRate;
    m.centroidHz = spectrum.centroidHz();
    return m;
}

// The library is generated once for the whole suite into a temporary folder.
class FactoryLibrary : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        folder = std::make_unique<test::ScopedTempFolder>("garvo-factory");
        result = factory::writeLibrary(folder->get(), 2);
    }
    static void TearDownTestSuite() { folder.reset(); }

    static juce::File fileOf(const SoundId& sound)
    {
        return folder->get().getChildFile(factory::relativePathOf(sound));
    }

    static inline std::unique_ptr<test::ScopedTempFolder> folder;
    static inline factory::WriteResult result;
};

TEST_F(FactoryLibrary, TwelveKitsOfSixFoldersOfFiveFiles)
{
    ASSERT_TRUE(result.error.isEmpty()) << result.error;
    EXPECT_EQ(result.filesWritten, 360);
    EXPECT_EQ(folder->get().findChildFiles(juce::File::findFiles, true, "*.wav").size(), 360);
    for (const auto* kit : factory::kKitNames)
        for (const auto element : kElementsWithFolders)
        {
            const auto elementFolder = folder->get().getChildFile(kit).getChildFile(drumTreeFolderForElement(element));
            EXPECT_EQ(elementFolder.findChildFiles(juce::File::findFiles, false, "*.wav").size(), 5)
                << elementFolder.getFullPathName();
        }

    // Every genre's kit folder exists, so no genre falls back to "House" by accident.
    DrumKit kit;
    EXPECT_EQ(kit.loadGenreDrumTree(folder->get()), 360);
    EXPECT_EQ(kit.kits.size(), 12u);
    std::set<juce::String> askedFor;
    for (const auto& genre : genreNames())
        askedFor.insert(kitFolderForGenre(genre));
    EXPECT_EQ(std::set<juce::String>(kit.kitNames.begin(), kit.kitNames.end()), askedFor);
}

TEST_F(FactoryLibrary, EveryFileMeetsTheLevelAndSpectrumRules)
{
    const auto print = std::getenv("GARVO_PRINT_LIBRARY_MEASURES") != nullptr;
    for (const auto& sound : factory::allSounds())
    {
        const auto file = fileOf(sound);
        const auto wav = readWav(file);
        const auto name = factory::relativePathOf(sound).toStdString();
        ASSERT_FALSE(wav.samples.empty()) << name;
        EXPECT_EQ(wav.channels, 1) << name;
        EXPECT_EQ(wav.sampleRate, 44100.0) << name;
        EXPECT_EQ(wav.bits, 24u) << name;

        const auto m = measure(wav.samples);
        if (print)
            std::cout << name << " peak " << m.peakDb << " dc " << m.dc << " onset " << m.onsetSample << " end "
                      << m.endLevel << " rise " << m.worstRiseDb << " low " << m.lowEnergy << " high " << m.highEnergy
                      << " pitch " << m.pitchHz << " seconds " << m.seconds << " centroid " << m.centroidHz << "\n";
        EXPECT_NEAR(m.peakDb, -1.0, 0.01) << name;
        EXPECT_LT(std::abs(m.dc), 1.0e-4) << name;
        EXPECT_GE(m.onsetSample, 0) << name;
        EXPECT_LT(m.onsetSample, 44) << name << ": the sound starts within the first millisecond";
        EXPECT_EQ(wav.samples.back(), 0.0f) << name;
        EXPECT_LT(m.endLevel, 0.001) << name << ": the last 5 ms are 60 dB down";
        EXPECT_LT(m.worstRiseDb, 3.0) << name << ": the tail decays smoothly";

        switch (sound.element)
        {
        case Element::Kick:
            EXPECT_GT(m.lowEnergy, 0.7) << name << ": kick energy sits below 200 Hz";
            break;
        case Element::Closed_Hat:
        case Element::Open_Hat:
            EXPECT_GT(m.highEnergy, 0.7) << name << ": hat energy sits above 5 kHz";
            break;
        case Element::Perc_1:
            EXPECT_NEAR(m.pitchHz, factory::kPercFundamentalHz, factory::kPercFundamentalHz * 0.01)
                << name << ": tuned percussion sounds at middle C";
            break;
        default:
            break;
        }
    }
}

TEST_F(FactoryLibrary, ClosedHatsAreShortAndOpenHatsLong)
{
    for (int kit = 0; kit < 12; ++kit)
        for (int v = 0; v < 5; ++v)
        {
            const auto closed = readWav(fileOf({kit, Element::Closed_Hat, v})).samples.size();
            const auto open = readWav(fileOf({kit, Element::Open_Hat, v})).samples.size();
            EXPECT_LT(closed * 4, open) << factory::kKitNames[static_cast<std::size_t>(kit)] << " " << v;
        }
}

// A variation must sound different, not just louder or softer: at least one of length,
// brightness or pitch differs clearly from every other variation of the folder.
TEST_F(FactoryLibrary, VariationsOfAFolderDifferInMoreThanLevel)
{
    const auto differs = [](double a, double b, double fraction)
    { return std::abs(a - b) > fraction * std::max(std::abs(a), std::abs(b)); };
    for (int kit = 0; kit < 12; ++kit)
        for (const auto element : kElementsWithFolders)
        {
            std::vector<Measures> measures;
            for (int v = 0; v < 5; ++v)
                measures.push_back(measure(readWav(fileOf({kit, element, v})).samples));
            for (std::size_t a = 0; a < 5; ++a)
                for (auto b = a + 1; b < 5; ++b)
                {
                    const auto& x = measures[a];
                    const auto& y = measures[b];
                    EXPECT_TRUE(differs(x.seconds, y.seconds, 0.08) || differs(x.centroidHz, y.centroidHz, 0.08) ||
                                differs(x.pitchHz, y.pitchHz, 0.05))
                        << factory::relativePathOf({kit, element, static_cast<int>(a)}) << " vs variation " << b + 1;
                }
        }
}

TEST_F(FactoryLibrary, TheSameBytesOnEveryRunWhateverTheThreadCount)
{
    for (const auto& sound : {SoundId{0, Element::Kick, 0}, SoundId{7, Element::Open_Hat, 3},
                              SoundId{11, Element::Perc_1, 4}, SoundId{4, Element::Clap, 2}})
    {
        juce::MemoryBlock written;
        ASSERT_TRUE(fileOf(sound).loadFileAsData(written));
        const auto again = factory::encodeWav(factory::synthesize(sound));
        ASSERT_EQ(written.getSize(), again.size());
        EXPECT_EQ(std::memcmp(written.getData(), again.data(), again.size()), 0) << factory::relativePathOf(sound);
    }
}

// The build generates the library into the build folder, where the search from the test
// executable, the CLI and the standalone app finds it by walking up. The test executables sit in
// the build folder itself.
TEST(FactoryLibraryInBuild, IsFoundByWalkingUpFromTheBuiltExecutables)
{
    const auto testExecutable = juce::File::getSpecialLocation(juce::File::currentExecutableFile);
    const auto buildFolder = testExecutable.getParentDirectory();
    const auto expected = buildFolder.getChildFile("Contents/Resources/GARVO RHYTHM DRUMS");
    ASSERT_TRUE(expected.isDirectory()) << "the build generates " << expected.getFullPathName();
    for (const auto& executable : {testExecutable, buildFolder.getChildFile("garvo-rhythm"),
                                   buildFolder.getChildFile("GarvoRhythm_artefacts/Release/Standalone/GARVO RHYTHM")})
    {
        if (!executable.existsAsFile())
            continue; // not built in this build folder
        DrumTreeSearchPlaces places;
        places.executable = executable;
        EXPECT_EQ(findDrumTreeDir(places), expected) << executable.getFullPathName();
    }
}
} // namespace
} // namespace garvo
