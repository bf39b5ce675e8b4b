#pragma once

#include "plugin/ParameterIds.h"
#include "plugin/PluginProcessor.h"

#include <juce_audio_processors/juce_audio_processors.h>
#include <optional>

namespace garvo::test
{
// Sets a parameter the way a host or an attachment does: through its normalised value.
inline void setParameter(GarvoRhythmProcessor& processor, const char* id, float plainValue)
{
    processor.setPlainParameterValue(id, plainValue);
}

// Runs the asynchronous regeneration that a parameter change requested, as the message loop would.
inline void deliverPendingUpdates()
{
    juce::MessageManager::getInstance()->runDispatchLoopUntil(20);
}

// A host transport the tests can move: playing with a PPQ position and a tempo, or stopped.
class FakePlayHead final : public juce::AudioPlayHead
{
public:
    juce::Optional<PositionInfo> getPosition() const override
    {
        if (!reportsPosition)
            return {};
        PositionInfo info;
        info.setIsPlaying(isPlaying);
        info.setPpqPosition(ppq);
        info.setBpm(bpm);
        return info;
    }

    bool reportsPosition = true;
    bool isPlaying = true;
    double ppq = 0.0;
    double bpm = 120.0;
};

inline Hit makeHit(int bar, int step, int velocity = 100, double offsetMs = 0.0, int note = 36)
{
    Hit hit;
    hit.bar = bar;
    hit.step = step;
    hit.velocity = velocity;
    hit.offsetMs = offsetMs;
    hit.note = note;
    return hit;
}
} // namespace garvo::test
