#pragma once

#include "kit/DrumKit.h"
#include "support/DrumTreeFixture.h"

#include <algorithm>
#include <cmath>
#include <complex>
#include <cstdint>
#include <cstring>
#include <juce_audio_formats/juce_audio_formats.h>
#include <optional>
#include <vector>

namespace garvo::test
{
// A WAV file built byte by byte, so a test can also write headers no encoder would: absurd
// rates, thousands of channels or a data chunk that claims far more than the file holds.
struct RawWav
{
    std::vector<std::vector<float>> channels{{0.0f}};
    std::uint32_t sampleRate = 44100;
    std::optional<std::uint16_t> claimedChannels;  // overrides the channel count in the header
    std::optional<std::uint32_t> claimedDataBytes; // overrides the data chunk size in the header
};

inline void putLE(std::vector<unsigned char>& bytes, std::uint32_t value, int numBytes)
{
    for (int i = 0; i < numBytes; ++i)
        bytes.push_back(static_cast<unsigned char>((value >> (8 * i)) & 0xffu));
}

// 32-bit float samples, interleaved; they read back exactly.
inline void writeRawWav(const juce::File& file, const RawWav& wav)
{
    const auto numChannels = static_cast<std::uint32_t>(wav.channels.size());
    const auto headerChannels = wav.claimedChannels.value_or(static_cast<std::uint16_t>(numChannels));
    const auto frames = static_cast<std::uint32_t>(wav.channels.front().size());
    const auto dataBytes = frames * numChannels * 4u;
    std::vector<unsigned char> bytes;
    const auto tag = [&bytes](const char* text)
    {
        for (int i = 0; i < 4; ++i)
            bytes.push_back(static_cast<unsigned char>(text[i]));
    };
    tag("RIFF");
    putLE(bytes, 36 + dataBytes, 4);
    tag("WAVE");
    tag("fmt ");
    putLE(bytes, 16, 4);
    putLE(bytes, 3, 2); // IEEE float
    putLE(bytes, headerChannels, 2);
    putLE(bytes, wav.sampleRate, 4);
    putLE(bytes, wav.sampleRate * headerChannels * 4u, 4);
    putLE(bytes, headerChannels * 4u, 2);
    putLE(bytes, 32, 2);
    tag("data");
    putLE(bytes, wav.claimedDataBytes.value_or(dataBytes), 4);
    for (std::uint32_t frame = 0; frame < frames; ++frame)
        for (const auto& channel : wav.channels)
        {
            std::uint32_t word = 0;
            std::memcpy(&word, &channel[frame], 4);
            putLE(bytes, word, 4);
        }
    file.getParentDirectory().createDirectory();
    file.replaceWithData(bytes.data(), bytes.size());
}

inline juce::AudioBuffer<float> renderKit(DrumKit& kit, int numSamples, int numChannels = 1)
{
    juce::AudioBuffer<float> buffer(numChannels, numSamples);
    buffer.clear();
    kit.render(buffer, 0, numSamples);
    return buffer;
}

// Power spectrum of a whole sound (zero-padded radix-2 FFT), for energy-balance and pitch checks.
class Spectrum
{
public:
    Spectrum(const std::vector<float>& samples, double sampleRate) : rate(sampleRate)
    {
        std::size_t size = 1;
        while (size < samples.size())
            size <<= 1;
        std::vector<std::complex<double>> data(size);
        for (std::size_t i = 0; i < samples.size(); ++i)
            data[i] = samples[i];
        fft(data);
        power.resize(size / 2 + 1);
        for (std::size_t k = 0; k < power.size(); ++k)
            power[k] = std::norm(data[k]);
        binHz = rate / static_cast<double>(size);
    }

    double energyFractionBelow(double hz) const
    {
        double below = 0.0;
        double total = 0.0;
        for (std::size_t k = 0; k < power.size(); ++k)
        {
            total += power[k];
            if (static_cast<double>(k) * binHz < hz)
                below += power[k];
        }
        return total > 0.0 ? below / total : 0.0;
    }

    double centroidHz() const
    {
        double weighted = 0.0;
        double total = 0.0;
        for (std::size_t k = 0; k < power.size(); ++k)
        {
            weighted += static_cast<double>(k) * binHz * power[k];
            total += power[k];
        }
        return total > 0.0 ? weighted / total : 0.0;
    }

    // The frequency of the strongest bin between two frequencies, refined by a parabola.
    double peakHz(double fromHz, double toHz) const
    {
        auto best = std::max<std::size_t>(1, static_cast<std::size_t>(fromHz / binHz));
        const auto last = std::min(power.size() - 2, static_cast<std::size_t>(toHz / binHz));
        for (auto k = best; k <= last; ++k)
            if (power[k] > power[best])
                best = k;
        const auto a = std::log(power[best - 1] + 1e-30);
        const auto b = std::log(power[best] + 1e-30);
        const auto c = std::log(power[best + 1] + 1e-30);
        const auto curvature = a - 2.0 * b + c;
        const auto offset = curvature < 0.0 ? std::clamp(0.5 * (a - c) / curvature, -0.5, 0.5) : 0.0;
        return (static_cast<double>(best) + offset) * binHz;
    }

private:
    static void fft(std::vector<std::complex<double>>& data)
    {
        const auto n = data.size();
        for (std::size_t i = 1, j = 0; i < n; ++i)
        {
            auto bit = n >> 1;
            for (; (j & bit) != 0; bit >>= 1)
                j ^= bit;
            j ^= bit;
            if (i < j)
                std::swap(data[i], data[j]);
        }
        for (std::size_t length = 2; length <= n; length <<= 1)
        {
            const auto angle = -2.0 * juce::MathConstants<double>::pi / static_cast<double>(length);
            const std::complex<double> step(std::cos(angle), std::sin(angle));
            for (std::size_t start = 0; start < n; start += length)
            {
                std::complex<double> w(1.0);
                for (std::size_t k = 0; k < length / 2; ++k)
                {
                    const auto even = data[start + k];
                    const auto odd = data[start + k + length / 2] * w;
                    data[start + k] = even + odd;
                    data[start + k + length / 2] = even - odd;
                    w *= step;
                }
            }
        }
    }

    double rate;
    double binHz = 1.0;
    std::vector<double> power;
};
} // namespace garvo::test
