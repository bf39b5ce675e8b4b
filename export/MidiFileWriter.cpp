#include "export/MidiFileWriter.h"

#include <algorithm>
#include <array>
#include <climits>
#include <cmath>

namespace garvo
{
namespace
{
constexpr int kNoteOnOrder = 1;
constexpr int kNoteOffOrder = 0;
constexpr int kNoteTicks = 90;
// A choked open hat is cut by the closed hat that follows, so its note is short.
constexpr int kChokedNoteTicks = 24;
constexpr int kElementNote = 60;

// Byte by byte: GCC 12 reports false overflows for vector::insert of short initializer lists.
void appendBytes(std::vector<unsigned char>& out, std::initializer_list<unsigned char> bytes)
{
    for (const auto byte : bytes)
        out.push_back(byte);
}

void appendU16be(std::vector<unsigned char>& out, unsigned int value)
{
    out.push_back(static_cast<unsigned char>((value >> 8) & 0xFFu));
    out.push_back(static_cast<unsigned char>(value & 0xFFu));
}

// Start tick of a hit. Computed in 64 bits and kept inside int range so that absurd offsets
// cannot overflow; anything before the start of the track plays on tick 0.
int startTickFor(const Hit& hit, double tempo) noexcept
{
    const auto offsetTicks = std::llround(tempo * hit.offsetMs * 480.0 / 60000.0);
    const auto grid = static_cast<long long>(hit.bar) * kTicksPerBar + static_cast<long long>(hit.step) * kTicksPerStep;
    const auto tick = grid + offsetTicks;
    return static_cast<int>(std::clamp(tick, 0LL, static_cast<long long>(INT_MAX - kNoteTicks)));
}
// A stable sort by (tick, order). Ticks are non-negative and span a small range, so a
// least-significant-digit radix sort over the combined key needs only two byte passes for any
// real pattern and is several times faster than a comparison sort; being stable, events that tie
// on both keys keep their insertion order.
void sortByTickThenOrder(std::vector<Ev>& events)
{
    const auto keyOf = [](const Ev& event)
    { return static_cast<std::uint32_t>(event.tick) * 2u + static_cast<std::uint32_t>(event.order); };
    std::uint32_t allKeyBits = 0;
    for (const auto& event : events)
        allKeyBits |= keyOf(event);

    std::vector<Ev> scratch(events.size());
    for (unsigned int shift = 0; shift < 32 && (allKeyBits >> shift) != 0; shift += 8)
    {
        std::array<std::size_t, 257> starts{};
        for (const auto& event : events)
            ++starts[((keyOf(event) >> shift) & 0xFFu) + 1];
        for (std::size_t digit = 1; digit < starts.size(); ++digit)
            starts[digit] += starts[digit - 1];
        for (const auto& event : events)
            scratch[starts[(keyOf(event) >> shift) & 0xFFu]++] = event;
        events.swap(scratch);
    }
}
} // namespace

void appendVlq(std::vector<unsigned char>& out, unsigned int value)
{
    // Collect the 7-bit groups least significant first, then emit them in reverse.
    std::array<unsigned char, 5> groups{};
    std::size_t count = 0;
    do
    {
        groups[count++] = static_cast<unsigned char>(value & 0x7Fu);
        value >>= 7;
    } while (value != 0);
    while (count > 1)
        out.push_back(static_cast<unsigned char>(groups[--count] | 0x80u));
    out.push_back(groups[0]);
}

void appendU32be(std::vector<unsigned char>& out, unsigned int value)
{
    for (int shift = 24; shift >= 0; shift -= 8)
        out.push_back(static_cast<unsigned char>((value >> shift) & 0xFFu));
}

unsigned int microsecondsPerQuarter(double tempo) noexcept
{
    // The negated comparison also sends a NaN tempo to the slowest one.
    const double bpm = !(tempo >= 1.0) ? 1.0 : tempo;
    const double micros = std::round(60000000.0 / bpm);
    // Three bytes cannot hold the value below about 3.58 BPM; keeping only the low bits would
    // state a wrong, much faster tempo, so the slowest representable tempo is written instead.
    return static_cast<unsigned int>(std::clamp(micros, 1.0, static_cast<double>(kMaxMicrosecondsPerQuarter)));
}

std::vector<unsigned char> buildTrack(const Pattern& pattern, const LaneSelection& lanes, const std::string& trackName)
{
    std::vector<Ev> events;
    for (const auto& [element, requestedNote] : lanes)
    {
        const auto lane = pattern.hits.find(element);
        if (lane == pattern.hits.end())
            continue;
        const auto note = static_cast<std::uint8_t>(std::clamp(requestedNote, 0, 127));
        events.reserve(events.size() + 2 * lane->second.size());
        for (const auto& hit : lane->second)
        {
            const int start = startTickFor(hit, pattern.tempo);
            const int end = start + (hit.choked ? kChokedNoteTicks : kNoteTicks);
            const auto velocity = static_cast<std::uint8_t>(std::clamp(hit.velocity, 1, 127));
            events.push_back({start, kNoteOnOrder, 0x90, note, velocity});
            events.push_back({end, kNoteOffOrder, 0x80, note, 0});
        }
    }
    sortByTickThenOrder(events);

    std::vector<unsigned char> track;
    track.reserve(trackName.size() + 32 + events.size() * 5);

    appendBytes(track, {0x00, 0xFF, 0x03});
    appendVlq(track, static_cast<unsigned int>(trackName.size()));
    track.insert(track.end(), trackName.begin(), trackName.end());

    const auto micros = microsecondsPerQuarter(pattern.tempo);
    appendBytes(track, {0x00, 0xFF, 0x51, 0x03, static_cast<unsigned char>((micros >> 16) & 0xFFu),
                        static_cast<unsigned char>((micros >> 8) & 0xFFu), static_cast<unsigned char>(micros & 0xFFu)});

    appendBytes(track, {0x00, 0xFF, 0x58, 0x04, 0x04, 0x02, 0x18, 0x08});

    int previousTick = 0;
    for (const auto& event : events)
    {
        appendVlq(track, static_cast<unsigned int>(event.tick - previousTick));
        previousTick = event.tick;
        appendBytes(track, {event.status, event.data1, event.data2});
    }

    appendBytes(track, {0x00, 0xFF, 0x2F, 0x00});
    return track;
}

std::vector<unsigned char> wrapSmf(const std::vector<unsigned char>& track)
{
    std::vector<unsigned char> file;
    file.reserve(22 + track.size());
    appendBytes(file, {'M', 'T', 'h', 'd'});
    appendU32be(file, 6);
    appendU16be(file, 0); // format 0: one track
    appendU16be(file, 1);
    appendU16be(file, kTicksPerQuarter);
    appendBytes(file, {'M', 'T', 'r', 'k'});
    appendU32be(file, static_cast<unsigned int>(track.size()));
    file.insert(file.end(), track.begin(), track.end());
    return file;
}

std::vector<unsigned char> fullKitMidiBytes(const Pattern& pattern)
{
    LaneSelection lanes;
    lanes.reserve(pattern.hits.size());
    for (const auto& [element, hits] : pattern.hits)
        lanes.emplace_back(element, midiNoteFor(element));
    return wrapSmf(buildTrack(pattern, lanes, "Full Kit (" + pattern.genre + ")"));
}

std::vector<unsigned char> elementMidiBytes(const Pattern& pattern, Element element)
{
    return wrapSmf(buildTrack(pattern, {{element, kElementNote}}, elementName(element)));
}
} // namespace garvo
