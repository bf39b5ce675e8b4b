#pragma once

#include "kit/Pad.h"

#include <juce_audio_formats/juce_audio_formats.h>

namespace garvo
{
// Sample files come from anywhere, so their headers are not trusted: a rate or a channel count
// outside these bounds marks a damaged file, whose claimed length could exhaust memory or time.
inline constexpr double kMinPlausibleSampleRate = 8000.0;
inline constexpr double kMaxPlausibleSampleRate = 384000.0;
inline constexpr int kMaxPlausibleChannels = 64;

// How much of a file is kept: library files are one-shots, user files are capped tighter because
// they are decoded on the message thread while the user waits.
inline constexpr double kMaxLibrarySampleSeconds = 30.0;
inline constexpr double kMaxUserSampleSeconds = 10.0;

bool isPlausibleSampleRate(double sampleRate) noexcept;

// Reads the first min(rate x maxSeconds, length) samples of every channel and mixes them down
// to one channel (each channel weighted 1 / channel count). Null when the reader's rate or
// channel count is implausible or nothing would be read.
PadPtr readMonoPad(juce::AudioFormatReader& reader, double maxSeconds);

// Opens a file with the given format manager and reads it as above; null on any failure.
PadPtr decodeSampleFile(juce::AudioFormatManager& formats, const juce::File& file, double maxSeconds);
} // namespace garvo
