#pragma once

#include <cstdint>
#include <juce_audio_processors/juce_audio_processors.h>
#include <optional>

namespace garvo
{
// The host's musical position for one audio block.
struct HostPosition
{
    double ppq = 0.0; // beats since the host's beat 0 at the first sample of the block
    double bpm = 0.0; // beats per minute, always positive
};

// Turns what the host's play head reports into a position for every block while the host plays.
//
// VST3 hosts report a full position with every block. LV2 hosts send a time position only when the
// transport changes (start, stop, relocation, tempo change), and JUCE 7's LV2 wrapper forgets it
// again after that one block; it also drops the host's bar-beat field, so the position arrives
// without a PPQ value and only the sample frame and the tempo survive. This class keeps the last
// reported position and advances it by the length of each block until the host reports again,
// and derives the beat position from the frame when the PPQ value is missing.
//
// Lives on the audio thread: no allocation, no locks, plain value members.
class HostTransportFollower
{
public:
    using PositionInfo = juce::AudioPlayHead::PositionInfo;

    // Call once per block, in order, with what the play head returned for this block (an empty
    // Optional when there is no play head or the host reported nothing). Returns the position to
    // play from, or nothing when the host is not playing with a usable musical position.
    std::optional<HostPosition> update(const juce::Optional<PositionInfo>& info, int numSamples,
                                       double sampleRate) noexcept;

    // Forgets the followed position; the next block follows only what the host reports anew.
    void reset() noexcept;

    bool isFollowing() const noexcept { return following; }

private:
    std::optional<HostPosition> follow(double ppq, double bpm, std::optional<std::int64_t> frame, int numSamples,
                                       double sampleRate) noexcept;

    bool following = false;
    double nextPpq = 0.0;
    double bpm = 0.0;
    bool hasNextFrame = false;
    std::int64_t nextFrame = 0;
};
} // namespace garvo
