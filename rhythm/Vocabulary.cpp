#include "rhythm/Vocabulary.h"

#include <array>

namespace garvo
{
namespace
{
struct ElementInfo
{
    const char* name;
    int note;
    bool tuned;
};

constexpr std::array<ElementInfo, kNumElements> kElementTable{{
    {"Kick", 36, false},     {"Snare", 38, false},      {"Clap", 39, false},       {"Rim", 37, false},
    {"Closed_Hat", 42, false}, {"Open_Hat", 46, false}, {"Low_Tom", 41, true},     {"Mid_Tom", 45, true},
    {"High_Tom", 50, true},  {"Shaker", 70, false},     {"Conga", 62, true},       {"Cowbell", 56, true},
    {"Tambourine", 54, false}, {"Timbale", 65, true},   {"Cuica", 78, true},       {"Crash", 49, false},
    {"Ride", 51, false},     {"Log_Drum", 36, true},    {"Perc_1", 75, false},     {"Perc_2", 76, false},
}};

constexpr bool isKnown(Element element) noexcept
{
    const auto index = elementIndex(element);
    return index >= 0 && index < kNumElements;
}
} // namespace

const char* elementName(Element element) noexcept
{
    return isKnown(element) ? kElementTable[static_cast<size_t>(elementIndex(element))].name : "Unknown";
}

juce::String elementDisplayName(Element element)
{
    return juce::String(elementName(element)).replaceCharacter('_', ' ');
}

int midiNoteFor(Element element) noexcept
{
    return isKnown(element) ? kElementTable[static_cast<size_t>(elementIndex(element))].note : 36;
}

bool isTunedElement(Element element) noexcept
{
    return isKnown(element) && kElementTable[static_cast<size_t>(elementIndex(element))].tuned;
}
std::optional<Element> elementFromName(const juce::String& name)
{
    const auto wanted = name.trim().replaceCharacter(' ', '_');
    for (int index = 0; index < kNumElements; ++index)
        if (wanted.equalsIgnoreCase(kElementTable[static_cast<size_t>(index)].name))
            return elementFromIndex(index);
    return std::nullopt;
}
} // namespace garvo
