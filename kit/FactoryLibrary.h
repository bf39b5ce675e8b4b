#pragma once

#include "rhythm/Vocabulary.h"

#include <array>
#include <juce_core/juce_core.h>
#include <vector>

namespace garvo::factory
{
// The drum library that ships with the app is synthesised, not recorded: every sound comes from
// a fixed recipe and a fixed noise seed, so the same bytes come out on every run.
inline constexpr int kSampleRate = 44100;
inline constexpr int kBitsPerSample = 24;
inline constexpr int kVariationsPerFolder = 5;
inline constexpr double kPeakGain = 0.8912509381337456;         // -1 dBFS
inline constexpr double kPercFundamentalHz = 261.6255653005986; // middle C, the tuning reference

inline constexpr std::array<const char*, 12> kKitNames{"House",      "Amapiano",  "UK Garage", "Bassline",
                                                       "Baile Funk", "Reggaeton", "Pop",       "DnB",
                                                       "Dubstep",    "Guaracha",  "Afrobeats", "Afro House"};

// One sound of the library: the kit, one of the six elements that have a folder, and the
// variation 0 to 4.
struct SoundId
{
    int kitIndex = 0;
    Element element = Element::Kick;
    int variation = 0;
};

// Every sound of the library in a fixed order: kit by kit, folder by folder, variation by variation.
std::vector<SoundId> allSounds();

// The sound as floating-point samples at kSampleRate, peak-normalised to -1 dBFS, free of DC,
// faded to exact silence at the end.
std::vector<float> synthesize(const SoundId& sound);

// A complete mono WAV file: 24-bit PCM at kSampleRate.
std::vector<unsigned char> encodeWav(const std::vector<float>& samples);

// "House/Closed Hat/House Closed Hat 3.wav", relative to the library root.
juce::String relativePathOf(const SoundId& sound);

struct WriteResult
{
    int filesWritten = 0;
    juce::String error; // empty on success
};

// Writes the whole library below root, creating the folders. Existing files of the same names
// are overwritten; nothing else in root is touched. Sounds are made on numThreads threads.
WriteResult writeLibrary(const juce::File& root, int numThreads);
} // namespace garvo::factory
