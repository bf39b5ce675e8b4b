#include "export/OfflineRenderer.h"

#include "support/DrumTreeFixture.h"

#include <cmath>
#include <gtest/gtest.h>
#include <juce_audio_formats/juce_audio_formats.h>
#include <set>

namespace garvo
{
namespace
{
using test::addDrumSample;
using test::firstSoundingSample;

Hit hitAt(int bar, int step, double offsetMs = 0.0, int velocity = 127)
{
    Hit hit;
    hit.bar = bar;
    hit.step = step;
    hit.offsetMs = offsetMs;
    hit.velocity = velocity;
    return hit;
}

Pattern patternWith(double tempo, int bars, std::map<Element, std::vector<Hit>> hits, std::string genre = "House")
{
    Pattern pattern;
    pattern.tempo = tempo;
    pattern.bars = bars;
    pattern.genre = std::move(genre);
    pattern.hits = std::move(hits);
    return pattern;
}

// One "House" kit whose every sample is a steady level of its own, so the first sample of a
// sound tells which file played: tanh(level) at full velocity.
class RendererFixture : public ::testing::Test
{
protected:
    RendererFixture()
    {
        const auto& root = library.get();
        addDrumSample(root, "House", "Kick", "kick.wav", 0.1f);
        addDrumSample(root, "House", "Snare", "a.wav", 0.2f);
        addDrumSample(root, "House", "Snare", "b.wav", 0.25f);
        addDrumSample(root, "House", "Clap", "clap.wav", 0.3f);
        addDrumSample(root, "House", "Closed Hat", "hat.wav", 0.35f);
        addDrumSample(root, "House", "Perc", "perc.wav", 0.45f);
        sounds.libraryRoot = root;
    }

    juce::AudioBuffer<float> render(const Pattern& pattern, const std::set<Element>* lanes = nullptr) const
    {
        return renderWith(pattern, sounds, lanes);
    }

    static juce::AudioBuffer<float> renderWith(const Pattern& pattern, const KitSnapshot& kit,
                                               const std::set<Element>* lanes = nullptr)
    {
        juce::AudioBuffer<float> buffer(1, 7); // whatever it held before is discarded
        buffer.setSample(0, 0, 0.5f);
        renderPatternToBuffer(pattern, buffer, lanes, kit);
        return buffer;
    }

    test::ScopedTempFolder library{"garvo-render-library"};
    KitSnapshot sounds;
};

bool sameAudio(const juce::AudioBuffer<float>& a, const juce::AudioBuffer<float>& b)
{
    if (a.getNumChannels() != b.getNumChannels() || a.getNumSamples() != b.getNumSamples())
        return false;
    for (int channel = 0; channel < a.getNumChannels(); ++channel)
        if (std::memcmp(a.getReadPointer(channel), b.getReadPointer(channel),
                        sizeof(float) * static_cast<std::size_t>(a.getNumSamples())) != 0)
            return false;
    return true;
}

TEST(RenderLength, PatternPlusOneSecondAtTheStepLengthOfTheTempo)
{
    const struct
    {
        double tempo;
        int bars;
        int patternSamples;
        int totalSamples;
    } cases[] = {
        {120.0, 2, 176400, 220500},   // S = 5512.5
        {130.0, 1, 81415, 125515},    // S = 5088.46..., truncated once over the whole pattern
        {174.0, 8, 486620, 530720},   // 128 x 3801.72... = 486620.69
        {0.5, 1, 10584000, 10628100}, // below 1 BPM renders as 1 BPM
        {120.0, 0, 0, 44100},         // a pattern never has 0 bars; still only the tail
    };
    for (const auto& c : cases)
    {
        const auto length = renderLengthFor(patternWith(c.tempo, c.bars, {}));
        EXPECT_EQ(length.patternSamples, c.patternSamples) << "tempo " << c.tempo;
        EXPECT_EQ(length.totalSamples, c.totalSamples) << "tempo " << c.tempo;
    }
}

TEST_F(RendererFixture, TwoBarsAtOneTwentyIsFiveSecondsOfIdenticalStereo)
{
    const auto buffer = render(patternWith(120.0, 2, {{Element::Kick, {hitAt(0, 0), hitAt(1, 8)}}}));
    ASSERT_EQ(buffer.getNumChannels(), 2);
    ASSERT_EQ(buffer.getNumSamples(), 220500);
    EXPECT_EQ(std::memcmp(buffer.getReadPointer(0), buffer.getReadPointer(1), sizeof(float) * 220500), 0);
    EXPECT_FLOAT_EQ(buffer.getSample(0, 0), std::tanh(0.1f));
}

TEST_F(RendererFixture, HitsStartOnTheirSample)
{
    const struct
    {
        double tempo;
        Hit hit;
        int expectedStart;
    } cases[] = {
        {120.0, hitAt(0, 0, -20.0), 0},    // early hits on the first step start at 0
        {120.0, hitAt(0, 0, 20.0), 882},   // 20 ms later
        {130.0, hitAt(0, 1), 5088},        // the step length truncated
        {120.0, hitAt(1, 0), 88200},       // bar 1
        {120.0, hitAt(0, 3, -1.0), 16493}, // 16537.5 - 44.1 = 16493.4
        {0.5, hitAt(0, 1), 661500},        // tempo below 1 counts as 1
    };
    for (const auto& c : cases)
    {
        const auto buffer = render(patternWith(c.tempo, 1, {{Element::Kick, {c.hit}}}));
        EXPECT_EQ(firstSoundingSample(buffer), c.expectedStart) << "tempo " << c.tempo << " step " << c.hit.step;
        EXPECT_FLOAT_EQ(buffer.getSample(0, c.expectedStart), std::tanh(0.1f));
    }
}

TEST_F(RendererFixture, LaneFilterKeepsLengthAndOnlyTheChosenLanes)
{
    const auto both =
        patternWith(120.0, 2, {{Element::Kick, {hitAt(0, 0)}}, {Element::Snare, {hitAt(0, 4), hitAt(1, 4)}}});
    const auto snareOnly = patternWith(120.0, 2, {{Element::Snare, {hitAt(0, 4), hitAt(1, 4)}}});
    const std::set<Element> snare{Element::Snare};

    const auto filtered = render(both, &snare);
    EXPECT_EQ(filtered.getNumSamples(), 220500);
    EXPECT_TRUE(sameAudio(filtered, render(snareOnly)));
    EXPECT_FALSE(sameAudio(filtered, render(both)));
    EXPECT_EQ(firstSoundingSample(filtered), 22050);

    const std::set<Element> absent{Element::Ride};
    EXPECT_EQ(firstSoundingSample(render(both, &absent)), -1);
}

TEST_F(RendererFixture, SilenceWhenThereIsNothingToPlay)
{
    KitSnapshot noLibrary;
    noLibrary.libraryRoot = library / "does-not-exist";
    const auto withHits = patternWith(120.0, 2, {{Element::Kick, {hitAt(0, 0)}}});
    const auto empty = patternWith(120.0, 2, {});
    for (const auto& buffer : {render(empty), renderWith(withHits, noLibrary)})
    {
        EXPECT_EQ(buffer.getNumChannels(), 2);
        EXPECT_EQ(buffer.getNumSamples(), 220500);
        EXPECT_EQ(firstSoundingSample(buffer), -1);
    }
}

TEST(KitFallback, GenreKitThenHouseThenTheFirstKitLoaded)
{
    test::ScopedTempFolder withHouse{"garvo-kits"};
    addDrumSample(withHouse.get(), "Alpha", "Kick", "k.wav", 0.1f);
    addDrumSample(withHouse.get(), "Amapiano", "Kick", "k.wav", 0.3f);
    addDrumSample(withHouse.get(), "House", "Kick", "k.wav", 0.2f);
    test::ScopedTempFolder withoutHouse{"garvo-kits"};
    addDrumSample(withoutHouse.get(), "Zulu", "Kick", "k.wav", 0.4f);
    addDrumSample(withoutHouse.get(), "Alpha", "Kick", "k.wav", 0.1f);

    const struct
    {
        const juce::File* library;
        std::string genre;
        juce::String liveKitFolder;
        float expectedLevel;
    } cases[] = {
        {&withHouse.get(), "Gqom", "", 0.3f},          // its own kit folder
        {&withHouse.get(), "Trap", "", 0.2f},          // "Pop" is missing: "House"
        {&withHouse.get(), "Trap morph", "", 0.2f},    // not a registered genre: "House"
        {&withoutHouse.get(), "Trap", "", 0.1f},       // no "House" either: first in load order
        {&withHouse.get(), "House", "amapiano", 0.3f}, // the kit live playback chose wins
    };
    for (const auto& c : cases)
    {
        KitSnapshot kit;
        kit.libraryRoot = *c.library;
        kit.kitFolder = c.liveKitFolder;
        juce::AudioBuffer<float> buffer;
        renderPatternToBuffer(patternWith(120.0, 1, {{Element::Kick, {hitAt(0, 0)}}}, c.genre), buffer, nullptr, kit);
        EXPECT_FLOAT_EQ(buffer.getSample(0, 0), std::tanh(c.expectedLevel)) << c.genre;
    }
}

TEST_F(RendererFixture, LiveSoundSettingsChangeExactlyTheLanesTheyConcern)
{
    const auto pattern = patternWith(120.0, 1,
                                     {{Element::Kick, {hitAt(0, 0)}},
                                      {Element::Snare, {hitAt(0, 4)}},
                                      {Element::Clap, {hitAt(0, 4)}},
                                      {Element::Closed_Hat, {hitAt(0, 2), hitAt(0, 6)}}});
    auto chosen = sounds;
    chosen.variations[static_cast<std::size_t>(Element::Snare)] = 1;
    chosen.userPads[static_cast<std::size_t>(Element::Clap)] = test::makeSteadyPad(0.6f);

    for (int index = 0; index < kNumElements; ++index)
    {
        const auto element = elementFromIndex(index);
        const std::set<Element> lane{element};
        const bool changed = element == Element::Snare || element == Element::Clap;
        EXPECT_EQ(sameAudio(render(pattern, &lane), renderWith(pattern, chosen, &lane)), !changed)
            << elementName(element);
    }
    const std::set<Element> snareAndClap{Element::Snare, Element::Clap};
    const auto both = renderWith(pattern, chosen, &snareAndClap);
    EXPECT_FLOAT_EQ(both.getSample(0, 22050), std::tanh(0.25f + 0.6f)); // variation 1 plus the user sample
}

TEST_F(RendererFixture, KitCharacterAndPitchReachTheRender)
{
    const auto pattern = patternWith(120.0, 1, {{Element::Kick, {hitAt(0, 0)}}});
    const auto plain = render(pattern);

    auto punchy = sounds;
    punchy.decayScale = decayScaleForKitCharacter(1.0f);
    EXPECT_FLOAT_EQ(punchy.decayScale, 0.7f);
    const auto shorter = renderWith(pattern, punchy);
    // Same start, faster decay: after half a second the punchy kick is quieter.
    EXPECT_FLOAT_EQ(shorter.getSample(0, 0), plain.getSample(0, 0));
    EXPECT_LT(shorter.getSample(0, 22050), plain.getSample(0, 22050));

    auto higher = sounds;
    higher.pitchSemitones = 12.0f; // twice the speed: the one-second sample ends after half a second
    const auto octaveUp = renderWith(pattern, higher);
    EXPECT_NE(octaveUp.getSample(0, 22040), 0.0f);
    EXPECT_EQ(octaveUp.getSample(0, 22060), 0.0f);
    EXPECT_NE(plain.getSample(0, 22060), 0.0f);
}

// Walks the RIFF chunks of a WAV file: id -> (offset of the chunk body, size).
std::map<std::string, std::pair<std::size_t, std::uint32_t>> riffChunks(const std::vector<unsigned char>& bytes)
{
    auto u32 = [&](std::size_t at)
    {
        return std::uint32_t{bytes[at]} | std::uint32_t{bytes[at + 1]} << 8 | std::uint32_t{bytes[at + 2]} << 16 |
               std::uint32_t{bytes[at + 3]} << 24;
    };
    std::map<std::string, std::pair<std::size_t, std::uint32_t>> chunks;
    if (bytes.size() < 12 || std::string(bytes.begin(), bytes.begin() + 4) != "RIFF" ||
        std::string(bytes.begin() + 8, bytes.begin() + 12) != "WAVE" || u32(4) != bytes.size() - 8)
        return chunks;
    std::size_t pos = 12;
    while (pos + 8 <= bytes.size())
    {
        const std::string id(bytes.begin() + static_cast<long>(pos), bytes.begin() + static_cast<long>(pos) + 4);
        const auto size = u32(pos + 4);
        chunks[id] = {pos + 8, size};
        pos += 8 + size + (size & 1u);
    }
    return chunks;
}

std::unique_ptr<juce::AudioFormatReader> readerFor(const std::vector<unsigned char>& bytes)
{
    juce::WavAudioFormat format;
    return std::unique_ptr<juce::AudioFormatReader>(
        format.createReaderFor(new juce::MemoryInputStream(bytes.data(), bytes.size(), true), true));
}

TEST(WavEncoding, HeaderIsTwentyFourBitStereoAtFortyFourOneWithoutMetadata)
{
    juce::AudioBuffer<float> buffer(2, 1000);
    buffer.clear();
    const auto bytes = bufferToWavBytes(buffer);
    const auto chunks = riffChunks(bytes);
    ASSERT_TRUE(chunks.contains("fmt ") && chunks.contains("data"));
    for (const auto& [id, chunk] : chunks)
        EXPECT_TRUE(id == "fmt " || id == "data" || id == "JUNK") << "unexpected chunk " << id;

    const auto fmt = chunks.at("fmt ").first;
    auto u16 = [&](std::size_t at) { return bytes[at] | bytes[at + 1] << 8; };
    auto u32 = [&](std::size_t at) { return static_cast<std::uint32_t>(u16(at) | u16(at + 2) << 16); };
    EXPECT_TRUE(u16(fmt) == 1 || u16(fmt) == 0xFFFE); // PCM, plain or extensible
    EXPECT_EQ(u16(fmt + 2), 2);
    EXPECT_EQ(u32(fmt + 4), 44100u);
    EXPECT_EQ(u32(fmt + 8), 44100u * 6);
    EXPECT_EQ(u16(fmt + 12), 6);
    EXPECT_EQ(u16(fmt + 14), 24);
    EXPECT_EQ(chunks.at("data").second, 6000u);
}

TEST(WavEncoding, DecodesBackToTheSamplesWithinTwentyFourBitsAndClipsAtFullScale)
{
    juce::AudioBuffer<float> buffer(2, 4410);
    for (int i = 0; i < buffer.getNumSamples(); ++i)
    {
        buffer.setSample(0, i, 0.9f * std::sin(static_cast<float>(i) * 0.05f));
        buffer.setSample(1, i, -0.3f + static_cast<float>(i) / 10000.0f);
    }
    buffer.setSample(0, 10, 1.5f);
    buffer.setSample(1, 10, -2.0f);

    const auto reader = readerFor(bufferToWavBytes(buffer));
    ASSERT_NE(reader, nullptr);
    EXPECT_EQ(reader->numChannels, 2u);
    EXPECT_EQ(reader->bitsPerSample, 24u);
    EXPECT_EQ(reader->sampleRate, 44100.0);
    ASSERT_EQ(reader->lengthInSamples, 4410);

    juce::AudioBuffer<float> decoded(2, 4410);
    reader->read(&decoded, 0, 4410, 0, true, true);
    constexpr float step = 1.0f / 8388608.0f;
    for (int channel = 0; channel < 2; ++channel)
        for (int i = 0; i < 4410; ++i)
        {
            const float expected = std::clamp(buffer.getSample(channel, i), -1.0f, 1.0f);
            ASSERT_NEAR(decoded.getSample(channel, i), expected, 2.0f * step) << channel << ":" << i;
        }
}

TEST(WavEncoding, EmptyBufferAndSilentPatternAreValidFiles)
{
    const auto headerOnly = readerFor(bufferToWavBytes(juce::AudioBuffer<float>(2, 0)));
    ASSERT_NE(headerOnly, nullptr);
    EXPECT_EQ(headerOnly->lengthInSamples, 0);

    test::ScopedTempFolder nothing{"garvo-no-library"};
    KitSnapshot noLibrary;
    noLibrary.libraryRoot = nothing.get();
    const auto silent = readerFor(renderElementWav(patternWith(120.0, 2, {}), Element::Kick, noLibrary));
    ASSERT_NE(silent, nullptr);
    EXPECT_EQ(silent->numChannels, 2u);
    EXPECT_EQ(silent->lengthInSamples, 220500);
    std::array<juce::Range<float>, 2> levels;
    silent->readMaxLevels(0, 220500, levels.data(), 2);
    for (const auto& level : levels)
        EXPECT_TRUE(level.getStart() == 0.0f && level.getEnd() == 0.0f);
}
} // namespace
} // namespace garvo
