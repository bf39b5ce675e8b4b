#include "plugin/HostTransport.h"

#include <cmath>

namespace garvo
{
std::optional<HostPosition> HostTransportFollower::update(const juce::Optional<PositionInfo>& info,
                                                          const int numSamples, const double sampleRate) noexcept
{
    if (!(sampleRate > 0.0) || numSamples < 0)
    {
        reset();
        return std::nullopt;
    }

    if (!info.hasValue())
    {
        // Between two reports of an LV2 host the transport keeps rolling where it was.
        if (!following)
            return std::nullopt;
        return follow(nextPpq, bpm, hasNextFrame ? std::optional<std::int64_t>(nextFrame) : std::nullopt, numSamples,
                      sampleRate);
    }

    const auto reportedBpm = info->getBpm();
    if (!info->getIsPlaying() || !reportedBpm.hasValue() || !std::isfinite(*reportedBpm) || !(*reportedBpm > 0.0))
    {
        reset();
        return std::nullopt;
    }

    const auto reportedFrame = info->getTimeInSamples();
    const auto frame = reportedFrame.hasValue() ? std::optional<std::int64_t>(*reportedFrame) : std::nullopt;

    if (const auto ppq = info->getPpqPosition(); ppq.hasValue() && std::isfinite(*ppq))
        return follow(*ppq, *reportedBpm, frame, numSamples, sampleRate);

    if (!frame.has_value())
    {
        reset();
        return std::nullopt;
    }

    // A report at the frame where the followed transport already is only changes the tempo: keep the
    // beat position continuous instead of recomputing it as if the new tempo had held since frame 0.
    if (following && hasNextFrame && *frame == nextFrame)
        return follow(nextPpq, *reportedBpm, frame, numSamples, sampleRate);

    const auto ppqFromFrame = static_cast<double>(*frame) * *reportedBpm / (60.0 * sampleRate);
    return follow(ppqFromFrame, *reportedBpm, frame, numSamples, sampleRate);
}

std::optional<HostPosition> HostTransportFollower::follow(const double ppq, const double newBpm,
                                                          const std::optional<std::int64_t> frame, const int numSamples,
                                                          const double sampleRate) noexcept
{
    following = true;
    bpm = newBpm;
    nextPpq = ppq + static_cast<double>(numSamples) * newBpm / (60.0 * sampleRate);
    hasNextFrame = frame.has_value();
    nextFrame = frame.value_or(0) + numSamples;
    return HostPosition{ppq, newBpm};
}

void HostTransportFollower::reset() noexcept
{
    following = false;
    nextPpq = 0.0;
    bpm = 0.0;
    hasNextFrame = false;
    nextFrame = 0;
}
} // namespace garvo
