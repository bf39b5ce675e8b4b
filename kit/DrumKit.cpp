#include "kit/DrumKit.h"

namespace garvo
{
// Placeholder bodies: the sampler is filled in with the drum library work.
int DrumKit::loadGenreDrumTree(const juce::File&) { kits.clear(); kitNames.clear(); return 0; }
void DrumKit::noteOnElement(Element, int, float) noexcept {}
void DrumKit::render(juce::AudioBuffer<float>&, int, int) noexcept {}
int DrumKit::getElementVariationCount(Element) const noexcept { return 0; }
void DrumKit::selectKitByName(const juce::String&) noexcept {}
void DrumKit::allNotesOff() noexcept
{
    for (auto& voice : voices)
        voice.active = false;
}
} // namespace garvo
