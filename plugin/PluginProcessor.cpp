#include "plugin/PluginProcessor.h"

#include "kit/DrumLibrary.h"
#include "plugin/ParameterIds.h"
#include "rhythm/GenreDNA.h"

#include <algorithm>
#include <cmath>

namespace
{
namespace id = garvo::paramId;

constexpr std::array<float, 4> kDecayScaleForCharacter{1.0f, 0.7f, 1.45f, 0.9f};
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

const juce::String GarvoRhythmProcessor::getName() const { return "GARVO RHYTHM"; }
double GarvoRhythmProcessor::getTailLengthSeconds() const { return 0.0; }
bool GarvoRhythmProcessor::acceptsMidi() const { return true; }
bool GarvoRhythmProcessor::producesMidi() const { return true; }
bool GarvoRhythmProcessor::isMidiEffect() const { return false; }
bool GarvoRhythmProcessor::hasEditor() const { return true; }
int GarvoRhythmProcessor::getNumPrograms() { return 1; }
int GarvoRhythmProcessor::getCurrentProgram() { return 0; }
void GarvoRhythmProcessor::setCurrentProgram(int) {}
const juce::String GarvoRhythmProcessor::getProgramName(int) { return "Default"; }
void GarvoRhythmProcessor::changeProgramName(int, const juce::String&) {}
void GarvoRhythmProcessor::releaseResources() {}

juce::AudioProcessorEditor* GarvoRhythmProcessor::createEditor()
{
    return new juce::GenericAudioProcessorEditor(*this);
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
    {
        const juce::SpinLock::ScopedLockType lock(patternLock);
        pattern = std::move(fresh.pattern);
    }
    kit.selectKitByName(juce::String(garvo::kitFolderForGenre(fresh.kitGenre)));
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

void GarvoRhythmProcessor::handleAsyncUpdate()
{
    regeneratePattern();
}

void GarvoRhythmProcessor::prepareToPlay(double newSampleRate, int)
{
    sampleRate = newSampleRate;
    kit.sampleRate = newSampleRate > 0.0 ? newSampleRate : 44100.0;
    kit.allNotesOff();
    if (!kit.hasKits())
        kit.loadGenreDrumTree(garvo::findDrumTreeDir());
    outputGain.reset(static_cast<int>(std::floor(sampleRate * 0.02)));
    outputGain.setCurrentAndTargetValue(decibelsToGain(rawParameter(id::outGain)));
    regeneratePattern();
}

void GarvoRhythmProcessor::processBlock(juce::AudioBuffer<float>& buffer, juce::MidiBuffer&)
{
    const juce::ScopedNoDenormals noDenormals;
    buffer.clear();
}

void GarvoRhythmProcessor::getStateInformation(juce::MemoryBlock&) {}
void GarvoRhythmProcessor::setStateInformation(const void*, int)
{
    regeneratePattern();
}
