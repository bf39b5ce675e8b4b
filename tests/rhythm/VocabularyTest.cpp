#include "rhythm/Vocabulary.h"

#include <gtest/gtest.h>

namespace garvo
{
namespace
{
TEST(Vocabulary, NamesNotesAndTuningFollowTheElementTable)
{
    struct Row
    {
        Element element;
        const char* name;
        int note;
        bool tuned;
    };
    const Row rows[] = {
        {Element::Kick, "Kick", 36, false},          {Element::Snare, "Snare", 38, false},
        {Element::Closed_Hat, "Closed_Hat", 42, false}, {Element::Low_Tom, "Low_Tom", 41, true},
        {Element::Cuica, "Cuica", 78, true},         {Element::Ride, "Ride", 51, false},
        {Element::Log_Drum, "Log_Drum", 36, true},   {Element::Perc_2, "Perc_2", 76, false},
    };
    for (const auto& row : rows)
    {
        EXPECT_STREQ(elementName(row.element), row.name);
        EXPECT_EQ(midiNoteFor(row.element), row.note) << row.name;
        EXPECT_EQ(isTunedElement(row.element), row.tuned) << row.name;
    }
}

TEST(Vocabulary, ValuesOutsideTheTableAreUnknownOnNote36AndUntuned)
{
    for (const int value : {-1, 20, 1000})
    {
        const auto element = elementFromIndex(value);
        EXPECT_STREQ(elementName(element), "Unknown");
        EXPECT_EQ(midiNoteFor(element), 36);
        EXPECT_FALSE(isTunedElement(element));
    }
}

TEST(Vocabulary, DisplayNameReplacesUnderscoresOnly)
{
    EXPECT_EQ(elementDisplayName(Element::Log_Drum), juce::String("Log Drum"));
    EXPECT_EQ(elementDisplayName(Element::Kick), juce::String("Kick"));
}

TEST(Vocabulary, HitBeatAddsTheOffsetAtTheGivenTempo)
{
    Hit hit;
    hit.bar = 1;
    hit.step = 4;
    EXPECT_DOUBLE_EQ(hitBeat(hit, 120.0), 5.0);
    hit.offsetMs = 25.0;
    EXPECT_DOUBLE_EQ(hitBeat(hit, 120.0), 5.05);
}
} // namespace
} // namespace garvo

namespace garvo
{
namespace
{
TEST(Vocabulary, ElementFromNameAcceptsNameOrDisplayNameInAnyCase)
{
    EXPECT_EQ(elementFromName("Closed_Hat"), Element::Closed_Hat);
    EXPECT_EQ(elementFromName("closed hat"), Element::Closed_Hat);
    EXPECT_EQ(elementFromName("LOG_DRUM"), Element::Log_Drum);
    EXPECT_EQ(elementFromName("Unknown"), std::nullopt);
    EXPECT_EQ(elementFromName(""), std::nullopt);
}
} // namespace
} // namespace garvo
