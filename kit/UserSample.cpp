#include "kit/UserSample.h"

#include "kit/SampleDecoding.h"

namespace garvo
{
PadPtr decodeUserSampleFile(const juce::File& file)
{
    if (file.getFullPathName().isEmpty() || !file.existsAsFile())
        return nullptr;
    juce::AudioFormatManager formats;
    formats.registerBasicFormats();
    return decodeSampleFile(formats, file, kMaxUserSampleSeconds);
}
} // namespace garvo
