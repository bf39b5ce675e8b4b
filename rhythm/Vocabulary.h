#pragma once

#include <juce_core/juce_core.h>

#include <map>
#include <optional>
#include <string>
#include <vector>

namespace garvo
{
// The order is fixed: element values index mute flags, variations, user samples and note tables.
enum class Element : int
{
    Kick = 0,
    Snare,
    Clap,
    Rim,
    Closed_Hat,
    Open_Hat,
    Low_Tom,
    Mid_Tom,
    High_Tom,
    Shaker,
    Conga,
    Cowbell,
    Tambourine,
    Timbale,
    Cuica,
    Crash,
    Ride,
    Log_Drum,
    Perc_1,
    Perc_2
};

inline constexpr int kNumElements = 20;
inline constexpr int kStepsPerBar = 16;

struct Hit
{
    int step = 0;
    int bar = 0;
    int velocity = 100;
    double offsetMs = 0.0;
    int note = 36;
    bool choked = false;
    int flamIndex = 0;

    bool operator==(const Hit&) const = default;
};

struct Pattern
{
    double tempo = 120.0;
    int bars = 1;
    std::string genre;
    int seed = 0;
    std::map<Element, std::vector<Hit>> hits;

    bool operator==(const Pattern&) const = default;
};

const char* elementName(Element element) noexcept;
juce::String elementDisplayName(Element element);
int midiNoteFor(Element element) noexcept;
bool isTunedElement(Element element) noexcept;
// Accepts the element name ("Closed_Hat") or its display name ("Closed Hat"), in any case.
std::optional<Element> elementFromName(const juce::String& name);

constexpr Element elementFromIndex(int index) noexcept { return static_cast<Element>(index); }
constexpr int elementIndex(Element element) noexcept { return static_cast<int>(element); }

// The one rule for where a hit sits in time: its grid position plus its offset converted at
// the given tempo, in quarter-note beats from the start of the pattern.
constexpr double hitBeat(const Hit& hit, double tempo) noexcept
{
    return static_cast<double>(hit.bar * kStepsPerBar + hit.step) / 4.0 + hit.offsetMs * tempo / 60000.0;
}
} // namespace garvo
