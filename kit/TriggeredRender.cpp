#include "kit/TriggeredRender.h"

namespace garvo
{
void renderTriggered(DrumKit& kit, juce::AudioBuffer<float>& buffer, std::span<const KitTrigger> sorted,
                     int numSamples) noexcept
{
    int cursor = 0;
    for (const auto& trigger : sorted)
    {
        if (trigger.sampleOffset >= numSamples)
            break;
        if (trigger.sampleOffset > cursor)
        {
            kit.render(buffer, cursor, trigger.sampleOffset - cursor);
            cursor = trigger.sampleOffset;
        }
        kit.noteOnElement(trigger.element, trigger.note, trigger.velocity);
    }
    if (cursor < numSamples)
        kit.render(buffer, cursor, numSamples - cursor);
}
} // namespace garvo
