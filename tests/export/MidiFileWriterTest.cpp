#include "export/MidiFileWriter.h"

#include "support/SmfReader.h"

#include <cmath>
#include <gtest/gtest.h>
#include <juce_audio_basics/juce_audio_basics.h>
#include <limits>

namespace garvo
{
namespace
{
using Bytes = std::vector<unsigned char>;

Hit hitAt(int bar, int step, int velocity = 100, double offsetMs = 0.0)
{
    Hit hit;
    hit.bar = bar;
    hit.step = step;
    hit.velocity = velocity;
    hit.offsetMs = offsetMs;
    return hit;
}

Pattern patternWith(double tempo, std::map<Element, std::vector<Hit>> hits, std::string genre = "House")
{
    Pattern pattern;
    pattern.tempo = tempo;
    pattern.bars = 2;
    pattern.genre = std::move(genre);
    pattern.hits = std::move(hits);
    return pattern;
}

test::SmfTrack read(const Bytes& bytes)
{
    const auto track = test::readSmf(bytes);
    EXPECT_TRUE(track.has_value()) << "not a well-formed single-track file";
    return track.value_or(test::SmfTrack{});
}

TEST(MidiFileWriter, OneKickFullKitIsTheExactSixtyNineByteFile)
{
    const auto pattern = patternWith(120.0, {{Element::Kick, {hitAt(0, 0, 100)}}});
    const Bytes expected{0x4D, 0x54, 0x68, 0x64, 0x00, 0x00, 0x00, 0x06, 0x00, 0x00, 0x00, 0x01, 0x01, 0xE0,
                         0x4D, 0x54, 0x72, 0x6B, 0x00, 0x00, 0x00, 0x2F, 0x00, 0xFF, 0x03, 0x10, 'F',  'u',
                         'l',  'l',  ' ',  'K',  'i',  't',  ' ',  '(',  'H',  'o',  'u',  's',  'e',  ')',
                         0x00, 0xFF, 0x51, 0x03, 0x07, 0xA1, 0x20, 0x00, 0xFF, 0x58, 0x04, 0x04, 0x02, 0x18,
                         0x08, 0x00, 0x90, 0x24, 0x64, 0x5A, 0x80, 0x24, 0x00, 0x00, 0xFF, 0x2F, 0x00};
    ASSERT_EQ(expected.size(), 69u);
    EXPECT_EQ(fullKitMidiBytes(pattern), expected);
}

TEST(MidiFileWriter, VariableLengthQuantities)
{
    const struct
    {
        unsigned int value;
        Bytes bytes;
    } cases[] = {
        {0, {0x00}},
        {127, {0x7F}},
        {128, {0x81, 0x00}},
        {200, {0x81, 0x48}},
        {7680, {0xBC, 0x00}},
        {0x0FFFFFFF, {0xFF, 0xFF, 0xFF, 0x7F}},
        {0xFFFFFFFF, {0x8F, 0xFF, 0xFF, 0xFF, 0x7F}},
    };
    for (const auto& c : cases)
    {
        Bytes out{0xAA}; // appends, never overwrites
        appendVlq(out, c.value);
        Bytes expected{0xAA};
        expected.insert(expected.end(), c.bytes.begin(), c.bytes.end());
        EXPECT_EQ(out, expected) << "value " << c.value;
    }
    Bytes be;
    appendU32be(be, 0x01020304);
    EXPECT_EQ(be, (Bytes{1, 2, 3, 4}));
}

TEST(MidiFileWriter, NoteTicksFollowGridOffsetAndRounding)
{
    const struct
    {
        double tempo;
        int bar, step;
        double offsetMs;
        int expectedOn;
    } cases[] = {
        {120.0, 0, 0, -30.0, 0},     // before the start: clamped to tick 0
        {125.0, 0, 1, 10.0, 130},    // 125 x 10 x 480 / 60000 = 10 ticks late
        {120.0, 1, 4, 0.0, 2400},    // bar 1 step 4
        {120.0, 0, 1, 1.5625, 122},  // +1.5 ticks rounds away from zero
        {120.0, 0, 1, -1.5625, 118}, // -1.5 ticks rounds away from zero
        {120.0, 0, 1, 1.5, 121},     // +1.44 ticks rounds down
        {120.0, 7, 15, 20.0, 15259}, // last step of 8 bars plus 19.2 ticks
    };
    for (const auto& c : cases)
    {
        const auto track =
            read(fullKitMidiBytes(patternWith(c.tempo, {{Element::Snare, {hitAt(c.bar, c.step, 90, c.offsetMs)}}})));
        ASSERT_EQ(track.notes.size(), 2u);
        EXPECT_EQ(track.notes[0], (test::SmfNote{c.expectedOn, 0x90, 38, 90})) << "offset " << c.offsetMs;
        EXPECT_EQ(track.notes[1], (test::SmfNote{c.expectedOn + 90, 0x80, 38, 0})) << "offset " << c.offsetMs;
    }
}

TEST(MidiFileWriter, NoteOffPrecedesNoteOnOnTheSameTick)
{
    // The later hit is stored first (lanes need not be sorted) and starts exactly where the
    // earlier one ends: 93.75 ms at 120 BPM is 90 ticks.
    const auto pattern = patternWith(120.0, {{Element::Kick, {hitAt(0, 0, 80, 93.75), hitAt(0, 0, 100)}}});
    const auto track = read(fullKitMidiBytes(pattern));
    const std::vector<test::SmfNote> expected{
        {0, 0x90, 36, 100}, {90, 0x80, 36, 0}, {90, 0x90, 36, 80}, {180, 0x80, 36, 0}};
    EXPECT_EQ(track.notes, expected);
}

TEST(MidiFileWriter, EventsComeOutInTimeOrderWhateverTheStoredOrder)
{
    // Stored backwards, and far enough apart that the ticks need more than 16 bits.
    const auto pattern =
        patternWith(120.0, {{Element::Clap, {hitAt(40, 0), hitAt(1, 8, 90, -1.0), hitAt(0, 0), hitAt(600, 3)}}});
    const auto track = read(fullKitMidiBytes(pattern));
    std::vector<int> ticks;
    for (const auto& note : track.notes)
        ticks.push_back(note.tick);
    EXPECT_EQ(ticks, (std::vector<int>{0, 90, 2879, 2969, 76800, 76890, 1152360, 1152450}));
}

TEST(MidiFileWriter, EqualEventsKeepLaneSelectionOrder)
{
    const auto pattern = patternWith(120.0, {{Element::Kick, {hitAt(0, 0)}}, {Element::Snare, {hitAt(0, 0)}}});
    const auto snareFirst = read(wrapSmf(buildTrack(pattern, {{Element::Snare, 38}, {Element::Kick, 36}}, "t")));
    ASSERT_EQ(snareFirst.notes.size(), 4u);
    EXPECT_EQ(snareFirst.notes[0].note, 38);
    EXPECT_EQ(snareFirst.notes[1].note, 36);
    EXPECT_EQ(snareFirst.notes[2], (test::SmfNote{90, 0x80, 38, 0}));
}

TEST(MidiFileWriter, ClampsVelocityNoteAndShortensChokedHats)
{
    auto choked = hitAt(0, 2, 0);
    choked.choked = true;
    const auto pattern = patternWith(120.0, {{Element::Open_Hat, {choked, hitAt(1, 0, 200)}}});
    const auto high = read(wrapSmf(buildTrack(pattern, {{Element::Open_Hat, 300}}, "hat")));
    const std::vector<test::SmfNote> expected{
        {240, 0x90, 127, 1}, {264, 0x80, 127, 0}, {1920, 0x90, 127, 127}, {2010, 0x80, 127, 0}};
    EXPECT_EQ(high.notes, expected);
    const auto low = read(wrapSmf(buildTrack(pattern, {{Element::Open_Hat, -4}}, "hat")));
    EXPECT_EQ(low.notes.front().note, 0);
}

TEST(MidiFileWriter, ElementExportWritesNoteSixtyUnderTheElementName)
{
    const auto pattern =
        patternWith(124.0, {{Element::Kick, {hitAt(0, 0)}}, {Element::Snare, {hitAt(0, 4), hitAt(0, 12)}}});
    const auto snare = read(elementMidiBytes(pattern, Element::Snare));
    EXPECT_EQ(snare.name, "Snare");
    ASSERT_EQ(snare.notes.size(), 4u);
    for (const auto& note : snare.notes)
        EXPECT_EQ(note.note, 60);
    EXPECT_EQ(snare.notes[0].tick, 480);

    const auto unknown = read(elementMidiBytes(pattern, elementFromIndex(25)));
    EXPECT_EQ(unknown.name, "Unknown");
    EXPECT_TRUE(unknown.notes.empty());
    EXPECT_TRUE(read(elementMidiBytes(pattern, Element::Ride)).notes.empty());
}

TEST(MidiFileWriter, EmptyPatternIsAValidFileWithOnlyTheMetaEvents)
{
    const auto bytes = fullKitMidiBytes(patternWith(128.0, {}, "Tech House"));
    const auto track = read(bytes);
    EXPECT_EQ(track.division, 480);
    EXPECT_EQ(track.name, "Full Kit (Tech House)");
    EXPECT_EQ(track.microsecondsPerQuarter, 468750u);
    EXPECT_EQ(track.timeSignature, (std::vector<std::uint8_t>{4, 2, 24, 8}));
    EXPECT_TRUE(track.notes.empty());
    EXPECT_TRUE(track.endOfTrack);

    // JUCE's own reader accepts it too.
    juce::MemoryInputStream in(bytes.data(), bytes.size(), false);
    juce::MidiFile midiFile;
    EXPECT_TRUE(midiFile.readFrom(in));
    EXPECT_EQ(midiFile.getNumTracks(), 1);
}

TEST(MidiFileWriter, TempoBelowWhatThreeBytesHoldIsClampedNotWrapped)
{
    const struct
    {
        double tempo;
        std::uint32_t micros;
    } cases[] = {
        {120.0, 500000},  {240.0, 250000},
        {3.6, 16666667},  // still fits
        {3.5, 0xFFFFFF},  // 17142857 would wrap to 365641 (about 164 BPM)
        {1.0, 0xFFFFFF},  // 60000000 would wrap to 9231744
        {0.25, 0xFFFFFF}, // read as 1 BPM, then clamped
        {0.0, 0xFFFFFF},  {std::numeric_limits<double>::quiet_NaN(), 0xFFFFFF},
    };
    for (const auto& c : cases)
    {
        EXPECT_EQ(microsecondsPerQuarter(c.tempo), c.micros) << "tempo " << c.tempo;
        EXPECT_EQ(read(fullKitMidiBytes(patternWith(c.tempo, {}))).microsecondsPerQuarter, c.micros)
            << "tempo " << c.tempo;
    }
}
} // namespace
} // namespace garvo
