#include "plugin/PluginProcessor.h"

#include "export/MidiFileWriter.h"
#include "kit/DrumLibrary.h"
#include "kit/TriggeredRender.h"
#include "kit/UserSample.h"
#include "plugin/ParameterIds.h"
#include "plugin/PluginEditor.h"
#include "rhythm/GenreDNA.h"

#include <algorithm>
#include <cmath>
#include <optional>

namespace
{
namespace id = garvo::paramId;

constexpr int kMaxTriggersPerBlock = 256;
constexpr const char* kVariationsTag = "elementVariations";

float decibelsToGain(float decibels) noexcept
{
    return std::pow(10.0f, decibels * 0.05f);
}

juce::StringArray genreChoices()
{
    juce::StringArray choices;
    for (const auto& name : garvo::genreNames())
        choices.add(juce::String(juce::CharPointer_UTF8(name.c_str())));
    return choices;
}
} // namespace

juce::AudioProcessorValueTreeState::ParameterLayout GarvoRhythmProcessor::createParameterLayout()
{
    using juce::AudioParameterBool;
    using juce::AudioParameterChoice;
    using juce::AudioParameterFloat;
    using juce::AudioParameterInt;
    using juce::NormalisableRange;
    using juce::ParameterID;

    juce::AudioProcessorValueTreeState::ParameterLayout layout;
    layout.add(std::make_unique<AudioParameterChoice>(ParameterID{id::genre, 1}, "Genre", genreChoices(), 0));
    layout.add(std::make_unique<AudioParameterInt>(ParameterID{id::seed, 1}, "Seed", 1, 999999, 1));
    layout.add(std::make_unique<AudioParameterFloat>(ParameterID{id::density, 1}, "Density",
                                                     NormalisableRange<float>(0.0f, 1.0f, 0.001f), 0.6f));
    layout.add(std::make_unique<AudioParameterFloat>(ParameterID{id::swing, 1}, "Swing",
                                                     NormalisableRange<float>(50.0f, 65.0f, 0.1f), 54.0f));
    layout.add(std::make_unique<AudioParameterFloat>(ParameterID{id::looseness, 1}, "Looseness",
                                                     NormalisableRange<float>(0.0f, 1.0f, 0.001f), 0.4f));
    layout.add(std::make_unique<AudioParameterInt>(ParameterID{id::bars, 1}, "Bars", 1, 8, 2));
    layout.add(std::make_unique<AudioParameterChoice>(ParameterID{id::kit, 1}, "Kit",
                                                      juce::StringArray{"Clean", "Punchy", "Warm", "Lo-fi"}, 0));
    layout.add(std::make_unique<AudioParameterFloat>(ParameterID{id::outGain, 1}, "Output",
                                                     NormalisableRange<float>(-24.0f, 24.0f, 0.1f), 0.0f));
    layout.add(std::make_unique<AudioParameterFloat>(ParameterID{id::kitPitch, 1}, "Pitch",
                                                     NormalisableRange<float>(-24.0f, 24.0f, 1.0f), 0.0f));
    layout.add(std::make_unique<AudioParameterBool>(ParameterID{id::audioOn, 1}, "Audio", true));
    return layout;
}

GarvoRhythmProcessor::GarvoRhythmProcessor()
    : juce::AudioProcessor(BusesProperties().withOutput("Output", juce::AudioChannelSet::stereo(), true)),
      apvts(*this, nullptr, "PARAMETERS", createParameterLayout())
{
    for (const auto* parameterId : id::generation)
        apvts.addParameterListener(parameterId, this);
    regeneratePattern();
}

GarvoRhythmProcessor::~GarvoRhythmProcessor()
{
    for (const auto* parameterId : id::generation)
        apvts.removeParameterListener(parameterId, this);
    cancelPendingUpdate();
}

const juce::String GarvoRhythmProcessor::getName() const
{
    return "GARVO RHYTHM";
}
double GarvoRhythmProcessor::getTailLengthSeconds() const
{
    return 0.0;
}
bool GarvoRhythmProcessor::acceptsMidi() const
{
    return true;
}
bool GarvoRhythmProcessor::producesMidi() const
{
    return true;
}
bool GarvoRhythmProcessor::isMidiEffect() const
{
    return false;
}
bool GarvoRhythmProcessor::hasEditor() const
{
    return true;
}
int GarvoRhythmProcessor::getNumPrograms()
{
    return 1;
}
int GarvoRhythmProcessor::getCurrentProgram()
{
    return 0;
}
void GarvoRhythmProcessor::setCurrentProgram(int) {}
const juce::String GarvoRhythmProcessor::getProgramName(int)
{
    return "Default";
}
void GarvoRhythmProcessor::changeProgramName(int, const juce::String&) {}
void GarvoRhythmProcessor::releaseResources() {}

juce::AudioProcessorEditor* GarvoRhythmProcessor::createEditor()
{
    return new GarvoRhythmEditor(*this);
}

bool GarvoRhythmProcessor::isBusesLayoutSupported(const BusesLayout& layout) const
{
    const auto output = layout.getMainOutputChannelSet();
    return output == juce::AudioChannelSet::stereo() || output == juce::AudioChannelSet::mono();
}

float GarvoRhythmProcessor::rawParameter(const char* parameterId) const noexcept
{
    const auto* value = apvts.getRawParameterValue(parameterId);
    return value != nullptr ? value->load() : 0.0f;
}

void GarvoRhythmProcessor::setPlainParameterValue(const char* parameterId, float plainValue)
{
    if (auto* parameter = apvts.getParameter(parameterId))
        parameter->setValueNotifyingHost(parameter->convertTo0to1(plainValue));
}

void GarvoRhythmProcessor::setGenerationParameters(const garvo::GenerationSettings& settings)
{
    setPlainParameterValue(id::genre, static_cast<float>(settings.genreIndex));
    setPlainParameterValue(id::seed, static_cast<float>(settings.seed));
    setPlainParameterValue(id::density, settings.density);
    setPlainParameterValue(id::swing, settings.swing);
    setPlainParameterValue(id::looseness, settings.looseness);
    setPlainParameterValue(id::bars, static_cast<float>(settings.bars));
}

float GarvoRhythmProcessor::currentDecayScale() const noexcept
{
    return garvo::decayScaleForKitCharacter(rawParameter(id::kit));
}

float GarvoRhythmProcessor::currentKitPitch() const noexcept
{
    return std::clamp(rawParameter(id::kitPitch), -garvo::kMaxKitPitchSemitones, garvo::kMaxKitPitchSemitones);
}

garvo::GenerationSettings GarvoRhythmProcessor::currentGenerationSettings() const
{
    garvo::GenerationSettings settings;
    settings.genreIndex = static_cast<int>(rawParameter(id::genre));
    settings.seed = std::max(1, static_cast<int>(rawParameter(id::seed)));
    settings.density = rawParameter(id::density);
    settings.swing = rawParameter(id::swing);
    settings.looseness = rawParameter(id::looseness);
    settings.bars = std::max(1, static_cast<int>(rawParameter(id::bars)));
    return settings;
}

garvo::MorphState GarvoRhythmProcessor::currentMorphState() const
{
    return {morphActive.load(), morphX, morphY};
}

garvo::Pattern GarvoRhythmProcessor::getCurrentPatternCopy() const
{
    const juce::SpinLock::ScopedLockType lock(patternLock);
    return pattern;
}

void GarvoRhythmProcessor::regeneratePattern()
{
    auto fresh = garvo::buildPattern(currentGenerationSettings(), currentMorphState());
    publishPattern(std::move(fresh.pattern));
    requestedKitFolder = juce::String(garvo::kitFolderForGenre(fresh.kitGenre));
    kit.selectKitByName(requestedKitFolder);
}

std::vector<unsigned char> GarvoRhythmProcessor::exportFullKitMidi() const
{
    return garvo::fullKitMidiBytes(getCurrentPatternCopy());
}

std::vector<unsigned char> GarvoRhythmProcessor::exportElementMidi(garvo::Element element) const
{
    return garvo::elementMidiBytes(getCurrentPatternCopy(), element);
}

garvo::KitSnapshot GarvoRhythmProcessor::liveKitSnapshot() const
{
    garvo::KitSnapshot snapshot;
    // The name of the kit that plays, so the export's own library load selects the same one.
    if (kit.hasKits())
    {
        const int last = static_cast<int>(kit.kitNames.size()) - 1;
        snapshot.kitFolder = kit.kitNames[static_cast<std::size_t>(std::clamp(kit.currentKit.load(), 0, last))];
    }
    else
        snapshot.kitFolder = requestedKitFolder;
    for (int index = 0; index < garvo::kNumElements; ++index)
    {
        const auto slot = static_cast<std::size_t>(index);
        snapshot.variations[slot] = kit.variations[slot].load();
        snapshot.userPads[slot] = kit.getUserPad(garvo::elementFromIndex(index));
    }
    snapshot.decayScale = currentDecayScale();
    snapshot.pitchSemitones = currentKitPitch();
    return snapshot;
}

void GarvoRhythmProcessor::publishPattern(garvo::Pattern&& fresh)
{
    // The previous lanes are freed inside the lock; the audio thread only ever tries it.
    const juce::SpinLock::ScopedLockType lock(patternLock);
    pattern = std::move(fresh);
    publishedTempo = pattern.tempo;
}

void GarvoRhythmProcessor::setMorphPosition(float x, float y)
{
    morphX = std::clamp(x, 0.0f, 1.0f);
    morphY = std::clamp(y, 0.0f, 1.0f);
    morphActive = true;
    triggerAsyncUpdate();
}

bool GarvoRhythmProcessor::togglePlaying()
{
    if (!playing.load())
        internalPpq = 0.0;
    const auto nowPlaying = !playing.load();
    playing = nowPlaying;
    return nowPlaying;
}

void GarvoRhythmProcessor::parameterChanged(const juce::String& parameterID, float)
{
    if (parameterID == id::genre)
        morphActive = false;
    triggerAsyncUpdate();
}

void GarvoRhythmProcessor::loadUserSampleFile(garvo::Element element, const juce::File& file)
{
    const auto index = garvo::elementIndex(element);
    if (index < 0 || index >= garvo::kNumElements)
        return;
    // The kit keeps the replaced pad until no voice can hold it, so the audio thread never
    // frees it.
    if (auto pad = garvo::decodeUserSampleFile(file))
        kit.setUserPad(element, std::move(pad));
}

void GarvoRhythmProcessor::handleAsyncUpdate()
{
    regeneratePattern();
}

void GarvoRhythmProcessor::prepareToPlay(double newSampleRate, int)
{
    sampleRate = newSampleRate;
    kit.sampleRate = newSampleRate > 0.0 ? newSampleRate : 44100.0;
    kit.allNotesOff();
    hostTransport.reset();
    if (!kit.hasKits())
        kit.loadGenreDrumTree(garvo::findDrumTreeDir());
    outputGain.reset(static_cast<int>(std::floor(sampleRate * 0.02)));
    outputGain.setCurrentAndTargetValue(decibelsToGain(rawParameter(id::outGain)));
    regeneratePattern();
}

namespace
{

} // namespace

void GarvoRhythmProcessor::processBlock(juce::AudioBuffer<float>& buffer, juce::MidiBuffer& midi)
{
    const juce::ScopedNoDenormals noDenormals;
    const auto numSamples = buffer.getNumSamples();
    buffer.clear();

    kit.decayScale = currentDecayScale();
    kit.pitchSemitones = currentKitPitch();
    const auto audioOn = rawParameter(id::audioOn) > 0.5f;

    std::array<garvo::KitTrigger, kMaxTriggersPerBlock> triggers;
    int numTriggers = 0;

    if (const auto window = findTransportWindow(numSamples); window.has_value() && numSamples > 0)
    {
        const auto beatsPerSample = window->tempo / (sampleRate * 60.0);
        if (beatsPerSample > 0.0)
        {
            const auto blockBeats = numSamples * beatsPerSample;
            const juce::SpinLock::ScopedTryLockType lock(patternLock);
            if (lock.isLocked() && !pattern.hits.empty())
            {
                const auto offsetTempo =
                    window->ownTransport ? (pattern.tempo > 0.0 ? pattern.tempo : 120.0) : window->tempo;
                const auto loopBeats = pattern.bars * 4.0;
                auto loopStart = std::fmod(window->startBeat, loopBeats);
                if (loopStart < 0.0)
                    loopStart += loopBeats;
                auto noteLength = static_cast<int>(0.04 / beatsPerSample);
                if (noteLength < 2)
                    noteLength = 1;

                for (const auto& [element, lane] : pattern.hits)
                {
                    const auto index = garvo::elementIndex(element);
                    const auto isMuted = index >= 0 && index < garvo::kNumElements &&
                                         muted[static_cast<size_t>(index)].load(std::memory_order_relaxed);
                    for (const auto& hit : lane)
                    {
                        auto beat =
                            (hit.bar * 16 + hit.step) * 0.25 + hit.offsetMs / 1000.0 * offsetTempo / 60.0 - loopStart;
                        while (beat < 0.0)
                            beat += loopBeats;
                        if (beat >= blockBeats)
                            continue;

                        const auto offset = std::clamp(static_cast<int>(beat / beatsPerSample), 0, numSamples - 1);
                        const auto note = static_cast<juce::uint8>(hit.note & 0x7f);
                        const auto velocity = static_cast<juce::uint8>(std::clamp(hit.velocity, 1, 127));
                        const juce::uint8 noteOn[3]{0x99, note, velocity};
                        const juce::uint8 noteOff[3]{0x89, note, 0};
                        midi.addEvent(noteOn, 3, offset);
                        midi.addEvent(noteOff, 3, std::min(offset + noteLength, numSamples - 1));
                        if (!isMuted && numTriggers < kMaxTriggersPerBlock)
                            triggers[static_cast<size_t>(numTriggers++)] = {offset, element, hit.note,
                                                                            static_cast<float>(hit.velocity) / 127.0f};
                    }
                }
            }
            if (window->ownTransport)
                internalPpq = internalPpq.load() + blockBeats;
        }
    }

    if (audioOn)
    {
        // Ties keep no particular order: voices that start on the same sample sum to the same signal.
        const auto used = std::span(triggers.data(), static_cast<size_t>(numTriggers));
        std::sort(used.begin(), used.end(),
                  [](const auto& a, const auto& b) { return a.sampleOffset < b.sampleOffset; });
        garvo::renderTriggered(kit, buffer, used, numSamples);
    }
    else
    {
        kit.allNotesOff();
    }

    outputGain.setTargetValue(decibelsToGain(rawParameter(id::outGain)));
    if (outputGain.isSmoothing())
    {
        for (int sample = 0; sample < numSamples; ++sample)
        {
            const auto gain = outputGain.getNextValue();
            for (int channel = 0; channel < buffer.getNumChannels(); ++channel)
                buffer.setSample(channel, sample, buffer.getSample(channel, sample) * gain);
        }
    }
    else if (const auto gain = outputGain.getTargetValue(); gain != 1.0f)
    {
        buffer.applyGain(gain);
    }
}

std::optional<GarvoRhythmProcessor::TransportWindowInfo>
GarvoRhythmProcessor::findTransportWindow(int numSamples) noexcept
{
    // Hosts that report a position only now and then, or a sample position without a beat
    // position (LV2 hosts through JUCE's wrapper, Ardour's VST3 host), are followed between reports.
    juce::Optional<juce::AudioPlayHead::PositionInfo> position;
    if (auto* head = getPlayHead())
        position = head->getPosition();
    if (const auto host = hostTransport.update(position, numSamples, sampleRate))
        return TransportWindowInfo{host->ppq, host->bpm, false};

    if (playing.load())
    {
        // The own transport runs at the pattern's tempo, so what plays is what the exports write.
        const auto tempo = publishedTempo.load();
        return TransportWindowInfo{internalPpq.load(), tempo > 0.0 ? tempo : 120.0, true};
    }
    return std::nullopt;
}

namespace
{
// The framework clamps restored values into each parameter's range, but a "nan" would pass
// through and poison every later conversion; such a parameter is treated as missing instead.
void dropNonNumericParameterValues(juce::XmlElement& state)
{
    for (auto* child = state.getFirstChildElement(); child != nullptr;)
    {
        auto* next = child->getNextElement();
        if (child->hasTagName("PARAM") && std::isnan(child->getDoubleAttribute("value")))
            state.removeChildElement(child, true);
        child = next;
    }
}
} // namespace

void GarvoRhythmProcessor::getStateInformation(juce::MemoryBlock& destData)
{
    auto state = apvts.copyState();
    if (!state.isValid())
        return;
    juce::ValueTree variations(kVariationsTag);
    for (int element = 0; element < garvo::kNumElements; ++element)
        variations.setProperty("e" + juce::String(element), kit.variations[static_cast<size_t>(element)].load(),
                               nullptr);
    if (const auto existing = state.getChildWithName(kVariationsTag); existing.isValid())
        state.removeChild(existing, nullptr);
    state.appendChild(variations, nullptr);
    if (const auto xml = state.createXml())
        copyXmlToBinary(*xml, destData);
}

void GarvoRhythmProcessor::setStateInformation(const void* data, int sizeInBytes)
{
    if (const auto xml = getXmlFromBinary(data, sizeInBytes);
        xml != nullptr && xml->getTagName().equalsIgnoreCase(apvts.state.getType().toString()))
    {
        dropNonNumericParameterValues(*xml);
        apvts.replaceState(juce::ValueTree::fromXml(*xml));
        if (const auto variations = apvts.state.getChildWithName(kVariationsTag); variations.isValid())
            for (int element = 0; element < garvo::kNumElements; ++element)
                kit.variations[static_cast<size_t>(element)] =
                    std::clamp(static_cast<int>(variations.getProperty("e" + juce::String(element), 0)), 0,
                               garvo::kNumVariations - 1);
    }
    regeneratePattern();
}
