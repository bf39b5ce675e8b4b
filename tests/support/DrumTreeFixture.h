#pragma once

#include "kit/Pad.h"

#include <juce_audio_formats/juce_audio_formats.h>
#include <memory>
#include <vector>

namespace garvo::test
{
// A folder under the temporary directory that is removed with everything in it.
class ScopedTempFolder
{
public:
    // A name no other test process can pick at the same moment: "the next free name" is not
    // enough when several test programs run side by side and one deletes what another uses.
    explicit ScopedTempFolder(const juce::String& prefix = "garvo-test")
        : folder(juce::File::getSpecialLocation(juce::File::tempDirectory)
                     .getChildFile(prefix + "-" + juce::Uuid().toString()))
    {
        folder.createDirectory();
    }
    ~ScopedTempFolder() { folder.deleteRecursively(); }
    ScopedTempFolder(const ScopedTempFolder&) = delete;
    ScopedTempFolder& operator=(const ScopedTempFolder&) = delete;

    const juce::File& get() const noexcept { return folder; }
    juce::File operator/(const juce::String& child) const { return folder.getChildFile(child); }

private:
    juce::File folder;
};

// Writes mono 32-bit float WAV data, which reads back bit for bit; the parent folders are created as needed.
inline void writeTestWav(const juce::File& file, const std::vector<float>& samples, double sampleRate = 44100.0)
{
    file.getParentDirectory().createDirectory();
    file.deleteFile();
    juce::WavAudioFormat format;
    auto stream = std::make_unique<juce::FileOutputStream>(file);
    std::unique_ptr<juce::AudioFormatWriter> writer(format.createWriterFor(stream.get(), sampleRate, 1, 32, {}, 0));
    if (writer == nullptr)
        return;
    stream.release();
    const float* channels[] = {samples.data()};
    writer->writeFromFloatArrays(channels, 1, static_cast<int>(samples.size()));
}

// A steady level is the easiest sound to recognise in a render: while it plays, the output is
// tanh(level x velocity gain x envelope), so each sample in a fixture gets its own level.
inline std::vector<float> steadyLevel(float level, int length = 44100)
{
    return std::vector<float>(static_cast<std::size_t>(length), level);
}

// Adds one sample file to a drum tree: root / kit / element folder / file name.
inline void addDrumSample(const juce::File& root, const juce::String& kit, const juce::String& elementFolder,
                          const juce::String& fileName, float level, int length = 44100)
{
    writeTestWav(root.getChildFile(kit).getChildFile(elementFolder).getChildFile(fileName), steadyLevel(level, length));
}

inline PadPtr makeSteadyPad(float level, int length = 44100, double sampleRate = 44100.0)
{
    auto pad = std::make_shared<Pad>();
    pad->audio.setSize(1, length);
    for (int i = 0; i < length; ++i)
        pad->audio.setSample(0, i, level);
    pad->sampleRate = sampleRate;
    return pad;
}

// The first sample index at which any channel is not silent, or -1.
inline int firstSoundingSample(const juce::AudioBuffer<float>& buffer)
{
    for (int i = 0; i < buffer.getNumSamples(); ++i)
        for (int channel = 0; channel < buffer.getNumChannels(); ++channel)
            if (buffer.getSample(channel, i) != 0.0f)
                return i;
    return -1;
}
} // namespace garvo::test
