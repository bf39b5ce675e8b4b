#pragma once

#include "kit/Pad.h"
#include "rhythm/Vocabulary.h"

#include <array>
#include <juce_core/juce_core.h>

namespace garvo
{
// The kit characters of the "kit" choice, in choice order, and the decay-time multiplier of each.
inline constexpr std::array<const char*, 4> kKitCharacterNames{"Clean", "Punchy", "Warm", "Lo-fi"};
inline constexpr std::array<float, 4> kKitCharacterDecayScales{1.0f, 0.7f, 1.45f, 0.9f};
inline constexpr float kMaxKitPitchSemitones = 24.0f;

// The "kit" choice index (truncated, clamped to the four characters) to its decay scale.
float decayScaleForKitCharacter(float choiceIndex) noexcept;

// What an offline render should sound like: a read-only copy of the live sound settings, so
// that exported audio matches what the producer hears without touching the live kit. The
// defaults are the plain library sound: the genre's kit, variation 0, no user samples,
// "Clean" decay, no transposition.
struct KitSnapshot
{
    // The library the private kit loads; the empty File searches for it as live playback does.
    juce::File libraryRoot;
    // The kit folder that live playback selected; empty means the kit folder of the pattern's genre.
    juce::String kitFolder;
    std::array<int, kNumElements> variations{};
    // Shared immutable samples: the snapshot holds the same pads the live kit plays.
    std::array<PadPtr, kNumElements> userPads{};
    float decayScale = 1.0f;
    float pitchSemitones = 0.0f;
};
} // namespace garvo
