#include "kit/DrumKit.h"

#include "kit/DrumLibrary.h"
#include "kit/SampleDecoding.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <juce_audio_formats/juce_audio_formats.h>

namespace garvo
{
namespace
{
constexpr float kMinVelocityGain = 0.05f;
constexpr float kSilenceThreshold = 0.0008f;
constexpr double kBaseDecaySeconds = 4.0;
// Elements without an element folder of their own play from the "Perc" row.
constexpr int kSharedPercRow = static_cast<int>(Element::Perc_1);
// Voices are mixed in blocks of this size on the stack before the soft clipper.
constexpr int kMixBlock = 256;

bool isValidElement(Element element) noexcept
{
    const auto index = elementIndex(element);
    return index >= 0 && index < kNumElements;
}

int rowForElement(Element element) noexcept
{
    return *drumTreeFolderForElement(element) != '\0' ? elementIndex(element) : kSharedPercRow;
}

int clampedKit(int wanted, std::size_t numKits) noexcept
{
    return std::clamp(wanted, 0, static_cast<int>(numKits) - 1);
}

juce::Array<juce::File> sortedChildren(const juce::File& folder, int whatToFind, const juce::String& wildcard)
{
    auto children = folder.findChildFiles(whatToFind, false, wildcard);
    sortByPathIgnoringCase(children);
    return children;
}
} // namespace

bool DrumKit::clearLibraryFor(const juce::File& root)
{
    kits.clear();
    kitNames.clear();
    // Silent voices let go of the old library here rather than on the audio thread when they
    // are next reused.
    for (auto& voice : voices)
        if (!voice.active)
            voice.pad.reset();
    return root.getFullPathName().isNotEmpty() && root.isDirectory();
}

int DrumKit::loadGenreDrumTree(const juce::File& root)
{
    if (!clearLibraryFor(root))
        return 0;

    juce::AudioFormatManager formats;
    formats.registerBasicFormats();

    int total = 0;
    for (const auto& kitFolder : sortedChildren(root, juce::File::findDirectories, "*"))
        total += addKit(formats, kitFolder);
    return total;
}

int DrumKit::loadSelectedKit(const juce::File& root, const juce::String& kitName)
{
    if (!clearLibraryFor(root))
        return 0;

    juce::AudioFormatManager formats;
    formats.registerBasicFormats();

    // The same choice a full load followed by selectKitByName makes: the first kit folder of that
    // name that holds a sound, else the first such "House", else the first kit that loads at all.
    const auto folders = sortedChildren(root, juce::File::findDirectories, "*");
    for (const auto& wanted : {kitName, juce::String("House")})
        for (const auto& kitFolder : folders)
            if (kitFolder.getFileName().equalsIgnoreCase(wanted))
                if (const auto loaded = addKit(formats, kitFolder); loaded > 0)
                    return loaded;
    for (const auto& kitFolder : folders)
        if (const auto loaded = addKit(formats, kitFolder); loaded > 0)
            return loaded;
    return 0;
}

int DrumKit::addKit(juce::AudioFormatManager& formats, const juce::File& kitFolder)
{
    KitTable table{};
    int kitCount = 0;
    for (int index = 0; index < kNumElements; ++index)
    {
        const juce::String folderName(drumTreeFolderForElement(elementFromIndex(index)));
        if (folderName.isEmpty())
            continue;
        const auto elementFolder = kitFolder.getChildFile(folderName);
        if (!elementFolder.isDirectory())
            continue;

        int slot = 0;
        for (const auto& file : sortedChildren(elementFolder, juce::File::findFiles, "*.wav"))
        {
            if (slot >= kNumVariations)
                break;
            if (file.getFileName().startsWith("._"))
                continue;
            if (auto pad = decodeSampleFile(formats, file, kMaxLibrarySampleSeconds))
            {
                table[static_cast<std::size_t>(index)][static_cast<std::size_t>(slot)] = std::move(pad);
                ++slot;
                ++kitCount;
            }
        }
    }
    if (kitCount > 0)
    {
        kits.push_back(std::move(table));
        kitNames.push_back(kitFolder.getFileName());
    }
    return kitCount;
}

PadPtr DrumKit::findPad(Element element) const noexcept
{
    if (!isValidElement(element))
        return nullptr;
    if (auto user = std::atomic_load(&userPads[static_cast<std::size_t>(elementIndex(element))]);
        user != nullptr && user->length() >= 1)
        return user;
    if (kits.empty())
        return nullptr;

    const auto kit = clampedKit(currentKit.load(std::memory_order_relaxed), kits.size());
    const auto row = rowForElement(element);
    const auto variation =
        std::clamp(variations[static_cast<std::size_t>(row)].load(std::memory_order_relaxed), 0, kNumVariations - 1);
    const auto& slot =
        kits[static_cast<std::size_t>(kit)][static_cast<std::size_t>(row)][static_cast<std::size_t>(variation)];
    return slot != nullptr && slot->length() >= 1 ? slot : nullptr;
}

DrumKit::Voice& DrumKit::chooseVoice() noexcept
{
    for (auto& voice : voices)
        if (!voice.active)
            return voice;

    // All voices sound: the one started longest ago gives way, since its tail has decayed the
    // most. Ages are taken modulo 2^32 so the choice stays right when the counter wraps.
    const auto ageOf = [this](const Voice& voice)
    { return static_cast<std::uint32_t>(noteCounter) - static_cast<std::uint32_t>(voice.startSerial); };
    auto* oldest = &voices.front();
    for (auto& voice : voices)
        if (ageOf(voice) > ageOf(*oldest))
            oldest = &voice;
    return *oldest;
}

void DrumKit::noteOnElement(Element element, int note, float velocity) noexcept
{
    // The pad is looked up before a voice is touched: a hit with nothing to play must not cut
    // a sounding voice.
    auto pad = findPad(element);
    if (pad == nullptr)
        return;

    auto& voice = chooseVoice();
    const auto padRate = pad->sampleRate;
    voice.active = false;
    voice.envelope = 1.0f;
    voice.position = 0.0;
    voice.increment = 1.0;
    // Drops the voice's previous pad. That is never the last reference: library pads live in
    // the kit tables, replaced user pads in the retired list.
    voice.pad = std::move(pad);

    // The negated test also sends a NaN velocity to the quietest gain.
    voice.velocityGain = !(velocity >= kMinVelocityGain) ? kMinVelocityGain : std::min(velocity, 1.0f);
    noteCounter = static_cast<int>(static_cast<std::uint32_t>(noteCounter) + 1u);
    voice.startSerial = noteCounter;

    auto semitones = static_cast<double>(pitchSemitones);
    if (isTunedElement(element))
        semitones += note - 60;
    const auto rateRatio = sampleRate > 0.0 ? padRate / sampleRate : 1.0;
    voice.increment = std::exp2(semitones / 12.0) * rateRatio;

    const auto decaySamples = std::max(1.0, sampleRate * static_cast<double>(decayScale) * kBaseDecaySeconds);
    voice.decayPerSample = static_cast<float>(std::exp(-1.0 / decaySamples));
    voice.decayPerMixBlock = std::pow(static_cast<double>(voice.decayPerSample), kMixBlock);
    voice.active = true;
}

void DrumKit::renderVoice(Voice& voice, float* mix, int numSamples) noexcept
{
    const auto* pad = voice.pad.get();
    const auto length = pad != nullptr ? pad->length() : 0;
    if (length < 2)
    {
        voice.active = false;
        return;
    }

    const auto* samples = pad->audio.getReadPointer(0);
    const auto lastIndex = static_cast<double>(length - 1);
    const auto increment = voice.increment;
    const auto decay = voice.decayPerSample;
    const auto gain = voice.velocityGain;
    auto position = voice.position;
    auto envelope = voice.envelope;
    auto active = true;

    for (int i = 0; i < numSamples; ++i)
    {
        if (position >= lastIndex)
        {
            active = false;
            break;
        }
        const auto index = static_cast<int>(position);
        const auto fraction = static_cast<float>(position - index);
        const auto a = samples[index];
        const auto b = samples[index + 1];
        mix[i] += (a + (b - a) * fraction) * envelope * gain;
        position += increment;
        envelope *= decay;
        if (envelope < kSilenceThreshold)
        {
            active = false;
            break;
        }
    }

    voice.position = position;
    voice.envelope = envelope;
    voice.active = active;
}

namespace
{
// True when neither end condition can trigger within the next `count` samples: the read position
// stays well before the last sample and the envelope well above the silence threshold. The
// margins cover the rounding of the running sums, so such a voice may skip both checks.
bool runsThroughBlock(const DrumKit::Voice& voice, int count) noexcept
{
    const auto* pad = voice.pad.get();
    if (pad == nullptr || pad->length() < 2 || !(voice.increment > 0.0))
        return false;
    const auto lastIndex = static_cast<double>(pad->length() - 1);
    const auto endPosition = voice.position + (count + 2) * voice.increment;
    const auto endEnvelope = voice.envelope * std::min(1.0, voice.decayPerMixBlock);
    return endPosition < lastIndex && endEnvelope > kSilenceThreshold * 1.01;
}

// A voice that reads its pad one sample per output sample from a whole-number position: the
// interpolation fraction is zero, so the value is the sample itself.
bool stepsWholeSamples(const DrumKit::Voice& voice) noexcept
{
    return voice.increment == 1.0 && voice.position == std::floor(voice.position);
}

// Mixes N voices that run through the whole block, sample by sample, so their position and
// envelope recurrences advance side by side instead of one long dependency chain per voice.
// Each voice computes exactly what the checked loop computes, and the sums are added in voice
// order, so the result is the same to the bit.
template <int N, bool wholeSamples>
void renderRunningVoices(DrumKit::Voice* const* group, float* mix, int count) noexcept
{
    const float* samples[N];
    double position[N];
    double increment[N];
    float envelope[N];
    float decay[N];
    float gain[N];
    for (int k = 0; k < N; ++k)
    {
        samples[k] = group[k]->pad->audio.getReadPointer(0);
        position[k] = group[k]->position;
        increment[k] = group[k]->increment;
        envelope[k] = group[k]->envelope;
        decay[k] = group[k]->decayPerSample;
        gain[k] = group[k]->velocityGain;
    }
    if constexpr (wholeSamples)
    {
        const float* start[N];
        for (int k = 0; k < N; ++k)
            start[k] = samples[k] + static_cast<int>(position[k]);
        for (int i = 0; i < count; ++i)
        {
            auto sum = mix[i];
            for (int k = 0; k < N; ++k)
            {
                sum += start[k][i] * envelope[k] * gain[k];
                envelope[k] *= decay[k];
            }
            mix[i] = sum;
        }
        for (int k = 0; k < N; ++k)
            position[k] += count;
    }
    else
    {
        for (int i = 0; i < count; ++i)
        {
            auto sum = mix[i];
            for (int k = 0; k < N; ++k)
            {
                const auto index = static_cast<int>(position[k]);
                const auto fraction = static_cast<float>(position[k] - index);
                const auto a = samples[k][index];
                const auto b = samples[k][index + 1];
                sum += (a + (b - a) * fraction) * envelope[k] * gain[k];
                position[k] += increment[k];
                envelope[k] *= decay[k];
            }
            mix[i] = sum;
        }
    }
    for (int k = 0; k < N; ++k)
    {
        group[k]->position = position[k];
        group[k]->envelope = envelope[k];
    }
}

template <int N> void renderRunningGroup(DrumKit::Voice* const* group, float* mix, int count) noexcept
{
    if (std::all_of(group, group + N, [](const DrumKit::Voice* voice) { return stepsWholeSamples(*voice); }))
        renderRunningVoices<N, true>(group, mix, count);
    else
        renderRunningVoices<N, false>(group, mix, count);
}
} // namespace

void DrumKit::render(juce::AudioBuffer<float>& buffer, int startSample, int numSamples) noexcept
{
    startSample = std::max(0, startSample);
    numSamples = std::min(numSamples, buffer.getNumSamples() - startSample);
    if (numSamples < 1)
        return;

    std::array<float, kMixBlock> mix{};
    std::array<Voice*, kNumVoices> running{};
    for (int done = 0; done < numSamples; done += kMixBlock)
    {
        const auto count = std::min(kMixBlock, numSamples - done);
        std::fill_n(mix.begin(), count, 0.0f);

        // Voices are mixed in index order; consecutive voices that run through the block go
        // together, the others take the checked path one by one.
        std::size_t numRunning = 0;
        const auto flushRunning = [&]
        {
            std::size_t k = 0;
            for (; k + 4 <= numRunning; k += 4)
                renderRunningGroup<4>(running.data() + k, mix.data(), count);
            for (; k + 2 <= numRunning; k += 2)
                renderRunningGroup<2>(running.data() + k, mix.data(), count);
            for (; k < numRunning; ++k)
                renderRunningGroup<1>(running.data() + k, mix.data(), count);
            numRunning = 0;
        };
        for (auto& voice : voices)
        {
            if (!voice.active)
                continue;
            if (runsThroughBlock(voice, count))
            {
                running[numRunning++] = &voice;
                continue;
            }
            flushRunning();
            renderVoice(voice, mix.data(), count);
        }
        flushRunning();

        for (int i = 0; i < count; ++i)
            mix[static_cast<std::size_t>(i)] = std::tanh(mix[static_cast<std::size_t>(i)]);
        for (int channel = 0; channel < buffer.getNumChannels(); ++channel)
            juce::FloatVectorOperations::add(buffer.getWritePointer(channel, startSample + done), mix.data(), count);
    }
}

void DrumKit::allNotesOff() noexcept
{
    for (auto& voice : voices)
        voice.active = false;
}

int DrumKit::getElementVariationCount(Element element) const noexcept
{
    if (!isValidElement(element) || kits.empty())
        return 0;
    const auto& row = kits[static_cast<std::size_t>(clampedKit(currentKit.load(), kits.size()))]
                          [static_cast<std::size_t>(rowForElement(element))];
    return static_cast<int>(std::count_if(row.begin(), row.end(), [](const PadPtr& pad) { return pad != nullptr; }));
}

void DrumKit::selectKitByName(const juce::String& kitName) noexcept
{
    if (const auto index = resolveKitIndex(kitNames, kitName); index >= 0)
        currentKit.store(index);
}

void DrumKit::setUserPad(Element element, PadPtr pad)
{
    if (!isValidElement(element))
        return;
    auto previous = std::atomic_exchange(&userPads[static_cast<std::size_t>(elementIndex(element))], std::move(pad));
    releaseRetiredUserPads();
    if (previous != nullptr)
        retiredUserPads.push_back(std::move(previous));
}

PadPtr DrumKit::getUserPad(Element element) const noexcept
{
    if (!isValidElement(element))
        return nullptr;
    return std::atomic_load(&userPads[static_cast<std::size_t>(elementIndex(element))]);
}

void DrumKit::releaseRetiredUserPads()
{
    // A retired pad can no longer be picked up by a note-on, so once this list holds its only
    // reference no voice can hold it again. The fence orders the voice's last reads of the
    // samples before the free.
    std::erase_if(retiredUserPads,
                  [](const PadPtr& pad)
                  {
                      if (pad.use_count() != 1)
                          return false;
                      std::atomic_thread_fence(std::memory_order_acquire);
                      return true;
                  });
}
} // namespace garvo
