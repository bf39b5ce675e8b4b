#pragma once

#include "rhythm/Vocabulary.h"

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace garvo
{
inline constexpr int kTicksPerQuarter = 480;
inline constexpr int kTicksPerStep = 120;
inline constexpr int kTicksPerBar = kTicksPerStep * kStepsPerBar;
// The tempo meta event holds three bytes, so this is the slowest tempo a file can state.
inline constexpr unsigned int kMaxMicrosecondsPerQuarter = 0xFFFFFF;

// One channel event before serialisation. `order` breaks ties at equal ticks: a note-off (0)
// goes before a note-on (1), so a retriggered note is never cut by its predecessor's note-off.
struct Ev
{
    int tick = 0;
    int order = 0;
    std::uint8_t status = 0;
    std::uint8_t data1 = 0;
    std::uint8_t data2 = 0;
};

// Which lanes to write, in which order, and on which note number each is written.
using LaneSelection = std::vector<std::pair<Element, int>>;

void appendVlq(std::vector<unsigned char>& out, unsigned int value);
void appendU32be(std::vector<unsigned char>& out, unsigned int value);

// Microseconds per quarter note for the tempo meta event, clamped to what three bytes can hold.
unsigned int microsecondsPerQuarter(double tempo) noexcept;

// Track data (name, tempo, 4/4 time signature, the notes, end of track) for the selected lanes.
std::vector<unsigned char> buildTrack(const Pattern& pattern, const LaneSelection& lanes, const std::string& trackName);
// A complete format-0 Standard MIDI File at 480 ticks per quarter around one track.
std::vector<unsigned char> wrapSmf(const std::vector<unsigned char>& track);

// Every lane on its General MIDI drum note, track named "Full Kit (<genre>)".
std::vector<unsigned char> fullKitMidiBytes(const Pattern& pattern);
// One lane on note 60, track named after the element.
std::vector<unsigned char> elementMidiBytes(const Pattern& pattern, Element element);
} // namespace garvo
