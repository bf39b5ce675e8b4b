#pragma once

#include "rhythm/Vocabulary.h"

#include <array>
#include <juce_core/juce_core.h>
#include <vector>

namespace garvo
{
// The folder a library is shipped in, below "Contents/Resources" of the app or any of its ancestors.
inline constexpr const char* kBundledDrumTreeName = "GARVO RHYTHM DRUMS";
// The file whose text names a library stored anywhere.
inline constexpr const char* kSamplesPathFileName = "samples-path.txt";

// The places the library search starts from. Taken from the system by default; tests and tools
// pass their own so a search never depends on the machine it runs on.
struct DrumTreeSearchPlaces
{
    juce::File userApplicationData;   // holds the path file and the per-user install
    juce::File commonApplicationData; // holds the machine-wide install
    juce::File executable;            // the walk up for a bundled library starts here
    juce::File application;           // and then here
};

DrumTreeSearchPlaces systemDrumTreeSearchPlaces();

// Finds the drum-sample library on disk; an empty File when there is none. Searches afresh on
// every call and never writes anything.
juce::File findDrumTreeDir();
juce::File findDrumTreeDir(const DrumTreeSearchPlaces& places);

// One line per place the search looks at, in search order, for messages about a missing library.
juce::StringArray describeDrumTreeSearch(const DrumTreeSearchPlaces& places);

// A folder qualifies when at least one of its subfolders holds a "Kick" folder.
bool looksLikeDrumTree(const juce::File& folder);

// The element folder name inside a kit folder; empty for elements that have none.
const char* drumTreeFolderForElement(Element element) noexcept;

// The six element folders a kit folder can hold, in element order.
inline constexpr std::array<Element, 6> kElementsWithFolders{Element::Kick,       Element::Snare,    Element::Clap,
                                                             Element::Closed_Hat, Element::Open_Hat, Element::Perc_1};

// The kit that a kit name selects among the loaded kit names: the first that matches ignoring
// case, else the first "House", else -1 (keep the current kit).
int resolveKitIndex(const std::vector<juce::String>& kitNames, const juce::String& wanted) noexcept;

// Sorts files the way the loader takes them: by full path, ignoring case, with no natural-number
// ordering, so "Kick10.wav" comes before "Kick2.wav".
void sortByPathIgnoringCase(juce::Array<juce::File>& files);
} // namespace garvo
