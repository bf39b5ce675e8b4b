#include "cli/Commands.h"
#include "cli/PatternOptions.h"
#include "export/ExportActions.h"
#include "export/MidiFileWriter.h"
#include "plugin/ParameterIds.h"
#include "plugin/PluginProcessor.h"

#include <cmath>
#include <iostream>
#include <juce_audio_formats/juce_audio_formats.h>
#include <optional>
#include <vector>

namespace garvo::cli
{
namespace
{
constexpr const char* kBounceUsage =
    "usage: garvo-rhythm bounce [pattern options] [--kit-character Clean|Punchy|Warm|Lo-fi]\n"
    "         [--pitch SEMITONES] [--gain DB] [--mute ELEMENT]... [--rate HZ] [--block N]\n"
    "         [--seconds S] [--wav-out FILE] [--midi-out FILE]\n"
    "Plays the pattern through the real processor, block by block, on its own transport.\n";

struct BounceOptions
{
    int kitCharacter = 0;
    float pitch = 0.0f;
    float gainDb = 0.0f;
    std::vector<Element> mutes;
    double rate = 44100.0;
    int blockSize = 512;
    double seconds = 4.0;
    juce::File wavOut;
    juce::File midiOut;
};

struct TimedMidi
{
    juce::int64 sample;
    juce::MidiMessage message;
};

int usageError(const juce::String& message)
{
    std::cerr << "garvo-rhythm bounce: " << message << "\n" << kBounceUsage;
    return kExitUsage;
}

std::optional<double> readNumber(const juce::String& option, const juce::String& text, double low, double high)
{
    const auto value = parseReal(text.toStdString());
    if (!value || *value < low || *value > high)
    {
        std::cerr << "garvo-rhythm bounce: " << option << " must be a number from " << low << " to " << high
                  << " (got '" << text << "')\n";
        return std::nullopt;
    }
    return value;
}

// Reads the bounce's own options; returns false after printing a usage error.
bool readBounceOptions(const juce::StringArray& args, BounceOptions& options)
{
    for (int index = 0; index < args.size(); ++index)
    {
        const auto& option = args[index];
        if (index + 1 >= args.size())
        {
            usageError(option.startsWith("--") ? option + " needs a value" : "unexpected argument '" + option + "'");
            return false;
        }
        const auto value = args[++index];
        if (option == "--kit-character")
        {
            const auto found = std::find_if(kKitCharacterNames.begin(), kKitCharacterNames.end(),
                                            [&](const char* name) { return value == name; });
            if (found == kKitCharacterNames.end())
            {
                usageError("--kit-character must be Clean, Punchy, Warm or Lo-fi (got '" + value + "')");
                return false;
            }
            options.kitCharacter = static_cast<int>(found - kKitCharacterNames.begin());
        }
        else if (option == "--mute")
        {
            const auto element = elementFromName(value);
            if (!element)
            {
                usageError("unknown element '" + value + "'");
                return false;
            }
            options.mutes.push_back(*element);
        }
        else if (option == "--wav-out")
            options.wavOut = juce::File::getCurrentWorkingDirectory().getChildFile(value);
        else if (option == "--midi-out")
            options.midiOut = juce::File::getCurrentWorkingDirectory().getChildFile(value);
        else if (option == "--pitch" || option == "--gain")
        {
            const auto number = readNumber(option, value, -24.0, 24.0);
            if (!number)
                return false;
            (option == "--pitch" ? options.pitch : options.gainDb) = static_cast<float>(*number);
        }
        else if (option == "--rate")
        {
            const auto number = readNumber(option, value, 8000.0, 384000.0);
            if (!number)
                return false;
            options.rate = *number;
        }
        else if (option == "--block")
        {
            const auto number = parseInteger(value.toStdString());
            if (!number || *number < 1 || *number > 65536)
            {
                usageError("--block must be a whole number from 1 to 65536 (got '" + value + "')");
                return false;
            }
            options.blockSize = *number;
        }
        else if (option == "--seconds")
        {
            const auto number = readNumber(option, value, 0.001, 3600.0);
            if (!number)
                return false;
            options.seconds = *number;
        }
        else
        {
            usageError("unknown option '" + option + "'");
            return false;
        }
    }
    return true;
}

void configure(GarvoRhythmProcessor& processor, const PatternOptions& pattern, const BounceOptions& options)
{
    processor.setGenerationParameters(pattern.settings);
    processor.setPlainParameterValue(paramId::kit, static_cast<float>(options.kitCharacter));
    processor.setPlainParameterValue(paramId::kitPitch, options.pitch);
    processor.setPlainParameterValue(paramId::outGain, options.gainDb);
    // The genre parameter ends morph mode, so the pad position comes after it.
    if (pattern.morph.active)
        processor.setMorphPosition(pattern.morph.x, pattern.morph.y);
    for (const auto element : options.mutes)
        processor.muted[static_cast<size_t>(elementIndex(element))] = true;
}

std::vector<unsigned char> midiFileBytes(const std::vector<TimedMidi>& events, double rate, double tempo)
{
    // Sample times become ticks at the pattern's tempo, the clock the own transport ran on.
    juce::MidiMessageSequence sequence;
    auto tempoEvent = juce::MidiMessage::tempoMetaEvent(static_cast<int>(microsecondsPerQuarter(tempo)));
    tempoEvent.setTimeStamp(0.0);
    sequence.addEvent(tempoEvent);
    for (const auto& [sample, message] : events)
    {
        auto timed = message;
        timed.setTimeStamp(std::round(static_cast<double>(sample) / rate * tempo / 60.0 * kTicksPerQuarter));
        sequence.addEvent(timed);
    }
    sequence.updateMatchedPairs();
    juce::MidiFile file;
    file.setTicksPerQuarterNote(kTicksPerQuarter);
    file.addTrack(sequence);
    juce::MemoryOutputStream stream;
    if (!file.writeTo(stream, 0))
        return {};
    const auto* bytes = static_cast<const unsigned char*>(stream.getData());
    return {bytes, bytes + stream.getDataSize()};
}

// Streams the rendered blocks into a temporary file beside the target, renamed over it at the end.
class WavSink
{
public:
    WavSink(const juce::File& target, double rate) : temporary(target)
    {
        if (target == juce::File())
            return;
        auto stream = std::make_unique<juce::FileOutputStream>(temporary.getFile());
        if (!stream->openedOk())
        {
            error = stream->getStatus().getErrorMessage();
            return;
        }
        juce::WavAudioFormat format;
        writer.reset(format.createWriterFor(stream.get(), rate, juce::AudioChannelSet::stereo(), 24, {}, 0));
        if (writer != nullptr)
            stream.release();
        else
            error = "the WAV writer could not be created";
    }

    bool isWanted() const { return writer != nullptr; }
    const juce::String& failure() const { return error; }

    void write(const juce::AudioBuffer<float>& block)
    {
        if (writer != nullptr && !writer->writeFromAudioSampleBuffer(block, 0, block.getNumSamples()))
            error = "writing failed";
    }

    bool finish()
    {
        if (writer == nullptr)
            return error.isEmpty();
        const auto flushed = writer->flush();
        writer.reset();
        if (!flushed && error.isEmpty())
            error = "writing failed";
        return error.isEmpty() && temporary.overwriteTargetFileWithTemporary();
    }

private:
    juce::TemporaryFile temporary;
    std::unique_ptr<juce::AudioFormatWriter> writer;
    juce::String error;
};

int runBounceWith(const PatternOptions& pattern, const BounceOptions& options)
{
    GarvoRhythmProcessor processor;
    processor.setPlayConfigDetails(0, 2, options.rate, options.blockSize);
    configure(processor, pattern, options);
    processor.prepareToPlay(options.rate, options.blockSize);
    processor.togglePlaying();

    WavSink wav(options.wavOut, options.rate);
    if (options.wavOut != juce::File() && !wav.isWanted())
    {
        std::cerr << "garvo-rhythm bounce: could not write " << options.wavOut.getFullPathName() << ": "
                  << wav.failure() << "\n";
        return kExitFailure;
    }

    const auto totalSamples = static_cast<juce::int64>(std::ceil(options.seconds * options.rate));
    juce::AudioBuffer<float> buffer(2, options.blockSize);
    juce::MidiBuffer midi;
    midi.ensureSize(64 * 1024);
    std::vector<TimedMidi> events;
    for (juce::int64 start = 0; start < totalSamples; start += options.blockSize)
    {
        const auto length = static_cast<int>(std::min<juce::int64>(options.blockSize, totalSamples - start));
        buffer.setSize(2, length, false, false, true);
        midi.clear();
        processor.processBlock(buffer, midi);
        for (const auto metadata : midi)
            events.push_back({start + metadata.samplePosition, metadata.getMessage()});
        wav.write(buffer);
    }

    int status = kExitOk;
    if (!wav.finish())
    {
        std::cerr << "garvo-rhythm bounce: could not write " << options.wavOut.getFullPathName() << ": "
                  << wav.failure() << "\n";
        status = kExitFailure;
    }
    if (options.midiOut != juce::File())
    {
        const auto tempo = processor.getCurrentPatternCopy().tempo;
        if (const auto failure = writeFileAtomically(options.midiOut, midiFileBytes(events, options.rate, tempo)))
        {
            std::cerr << "garvo-rhythm bounce: could not write " << failure->file.getFullPathName() << ": "
                      << failure->reason << "\n";
            status = kExitFailure;
        }
    }
    std::cout << "bounced " << totalSamples << " samples at " << options.rate << " Hz, " << events.size() / 2
              << " notes\n";
    return status;
}
} // namespace

int runBounce(const juce::StringArray& args)
{
    if (args.contains("--help"))
    {
        std::cout << kBounceUsage << patternOptionsHelp();
        return kExitOk;
    }
    const auto parsed = parsePatternOptions(args, "bounce", std::cerr);
    if (!parsed)
        return kExitUsage;
    BounceOptions options;
    if (!readBounceOptions(parsed->remaining, options))
        return kExitUsage;
    return runBounceWith(parsed->options, options);
}
} // namespace garvo::cli
