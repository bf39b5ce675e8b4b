#include "cli/Commands.h"
#include "cli/PatternOptions.h"
#include "export/ExportActions.h"
#include "export/KitSnapshot.h"
#include "export/MidiFileWriter.h"
#include "export/OfflineRenderer.h"
#include "kit/DrumKit.h"
#include "kit/DrumLibrary.h"
#include "kit/UserSample.h"
#include "rhythm/GenreDNA.h"

#include <cmath>
#include <iostream>
#include <optional>
#include <string>

namespace garvo::cli
{
namespace
{
// What each command accepts beyond the pattern options.
struct CommandShape
{
    const char* name;
    const char* synopsis;
    bool takesLane;
    bool takesSound;
    const char* outArgument;
    const char* outMeaning;
};

constexpr CommandShape kMidiShape{.name = "midi",
                                  .synopsis = "[pattern options] [--lane ELEMENT] --out FILE",
                                  .takesLane = true,
                                  .takesSound = false,
                                  .outArgument = "FILE",
                                  .outMeaning = "the MIDI file to write"};
constexpr CommandShape kWavShape{.name = "wav",
                                 .synopsis = "[pattern options] [--lane ELEMENT] [sound options] --out FILE",
                                 .takesLane = true,
                                 .takesSound = true,
                                 .outArgument = "FILE",
                                 .outMeaning = "the WAV file to write"};
constexpr CommandShape kKitShape{.name = "kit",
                                 .synopsis = "[pattern options] [sound options] --out DIR",
                                 .takesLane = false,
                                 .takesSound = true,
                                 .outArgument = "DIR",
                                 .outMeaning = "the folder to write MIX.wav, pattern.mid and one WAV per lane into"};

struct ExportRequest
{
    PatternOptions pattern;
    std::optional<Element> lane;
    KitSnapshot sound;  // everything but the library and the kit folder
    juce::File library; // empty: search for it as the app does
    juce::File out;
};

juce::File fileFromArgument(const juce::String& path)
{
    return juce::File::getCurrentWorkingDirectory().getChildFile(path);
}

void printHelp(const CommandShape& shape, std::ostream& out)
{
    out << "usage: garvo-rhythm " << shape.name << " " << shape.synopsis << "\n\npattern options:\n"
        << patternOptionsHelp();
    if (shape.takesLane || shape.takesSound)
        out << "\noptions:\n";
    if (shape.takesLane)
        out << "  --lane ELEMENT    only this lane (\"Closed_Hat\" or \"Closed Hat\", any case)\n";
    if (shape.takesSound)
        out << "  --kit-character C Clean, Punchy, Warm or Lo-fi (or 0 to 3; default Clean)\n"
               "  --pitch SEMITONES kit pitch, -24 to 24 (default 0)\n"
               "  --variation ELEMENT=N   sample variation 0 to 4 of an element (repeatable)\n"
               "  --sample ELEMENT=FILE   the element plays this audio file instead (repeatable)\n"
               "  --library DIR     the drum library to use instead of searching for it\n";
    out << "  --out " << juce::String(shape.outArgument).paddedRight(' ', 12) << shape.outMeaning << "\n";
}

class RequestParser
{
public:
    explicit RequestParser(const CommandShape& commandShape) : shape(commandShape) {}

    std::optional<ExportRequest> parse(const juce::StringArray& args)
    {
        auto parsedPattern = parsePatternOptions(args, shape.name, std::cerr);
        if (!parsedPattern)
            return std::nullopt;
        ExportRequest request;
        request.pattern = parsedPattern->options;

        const auto& rest = parsedPattern->remaining;
        bool outGiven = false;
        for (int index = 0; index < rest.size(); ++index)
        {
            const auto& option = rest[index];
            const bool known =
                option == "--out" || (shape.takesLane && option == "--lane") ||
                (shape.takesSound && (option == "--kit-character" || option == "--pitch" || option == "--variation" ||
                                      option == "--sample" || option == "--library"));
            if (!known)
                return fail("unknown option '" + option.toStdString() + "' (see garvo-rhythm " + shape.name +
                            " --help)");
            if (index + 1 >= rest.size())
                return fail(option.toStdString() + " needs a value");
            const auto& value = rest[++index];

            bool ok = true;
            if (option == "--out")
            {
                if (value.isEmpty())
                    return fail("--out needs a path");
                request.out = fileFromArgument(value);
                outGiven = true;
            }
            else if (option == "--lane")
                ok = readElement(value, request.lane);
            else if (option == "--kit-character")
                ok = readCharacter(value, request.sound.decayScale);
            else if (option == "--pitch")
                ok = readPitch(value, request.sound.pitchSemitones);
            else if (option == "--variation")
                ok = readVariation(value, request.sound);
            else if (option == "--sample")
                ok = readSample(value, request.sound);
            else
                ok = readLibrary(value, request.library);
            if (!ok)
                return std::nullopt;
        }
        if (!outGiven)
            return fail("--out is required");
        return request;
    }

private:
    std::nullopt_t fail(const std::string& message) const
    {
        std::cerr << "garvo-rhythm " << shape.name << ": " << message << "\n";
        return std::nullopt;
    }

    bool readElement(const juce::String& value, std::optional<Element>& element) const
    {
        element = elementFromName(value);
        if (element)
            return true;
        fail("unknown element '" + value.toStdString() + "'; the elements are:");
        for (int index = 0; index < kNumElements; ++index)
            std::cerr << "  " << elementName(elementFromIndex(index)) << "\n";
        return false;
    }

    bool readCharacter(const juce::String& value, float& decayScale) const
    {
        for (std::size_t index = 0; index < kKitCharacterNames.size(); ++index)
            if (value.equalsIgnoreCase(kKitCharacterNames[index]) || value == juce::String(static_cast<int>(index)))
            {
                decayScale = kKitCharacterDecayScales[index];
                return true;
            }
        fail("--kit-character must be Clean, Punchy, Warm or Lo-fi (got '" + value.toStdString() + "')");
        return false;
    }

    bool readPitch(const juce::String& value, float& pitch) const
    {
        const auto parsed = parseReal(value.toStdString());
        if (!parsed || std::abs(*parsed) > kMaxKitPitchSemitones)
        {
            fail("--pitch must be a number from -24 to 24 (got '" + value.toStdString() + "')");
            return false;
        }
        pitch = static_cast<float>(*parsed);
        return true;
    }

    // ELEMENT=VALUE, split at the first '=' (a file name may contain more of them).
    std::optional<std::pair<Element, juce::String>> readAssignment(const char* option, const juce::String& value,
                                                                   const char* valueName) const
    {
        const int equals = value.indexOfChar('=');
        if (equals <= 0 || equals == value.length() - 1)
        {
            fail(std::string(option) + " needs ELEMENT=" + valueName + " (got '" + value.toStdString() + "')");
            return std::nullopt;
        }
        std::optional<Element> element;
        if (!readElement(value.substring(0, equals), element))
            return std::nullopt;
        return std::pair{*element, value.substring(equals + 1)};
    }

    bool readVariation(const juce::String& value, KitSnapshot& sound) const
    {
        const auto assignment = readAssignment("--variation", value, "N");
        if (!assignment)
            return false;
        const auto index = parseInteger(assignment->second.toStdString());
        if (!index || *index < 0 || *index >= kNumVariations)
        {
            fail("--variation must choose 0 to 4 (got '" + value.toStdString() + "')");
            return false;
        }
        sound.variations[static_cast<std::size_t>(assignment->first)] = *index;
        return true;
    }

    bool readSample(const juce::String& value, KitSnapshot& sound) const
    {
        const auto assignment = readAssignment("--sample", value, "FILE");
        if (!assignment)
            return false;
        const auto file = fileFromArgument(assignment->second);
        auto pad = decodeUserSampleFile(file);
        if (pad == nullptr)
        {
            fail("cannot read the audio file " + file.getFullPathName().toStdString());
            return false;
        }
        sound.userPads[static_cast<std::size_t>(assignment->first)] = std::move(pad);
        return true;
    }

    bool readLibrary(const juce::String& value, juce::File& library) const
    {
        library = fileFromArgument(value);
        if (looksLikeDrumTree(library))
            return true;
        fail(library.getFullPathName().toStdString() +
             " is not a drum library: none of its kit folders has a \"Kick\" folder");
        return false;
    }

    const CommandShape& shape;
};

bool wantsHelp(const juce::StringArray& args)
{
    return args.contains("--help") || args.contains("-h");
}

// The sound the app would export for this state: the kit that live playback selects (for a
// morph, the dominant corner's), plus the chosen sound settings.
KitSnapshot soundFor(const ExportRequest& request, const std::string& kitGenre, const CommandShape& shape)
{
    auto sound = request.sound;
    sound.kitFolder = juce::String(juce::CharPointer_UTF8(kitFolderForGenre(kitGenre)));
    sound.libraryRoot = request.library.getFullPathName().isNotEmpty() ? request.library : findDrumTreeDir();
    if (sound.libraryRoot.getFullPathName().isEmpty())
    {
        // Like the app: without a library the audio is silent but still written.
        std::cerr << "garvo-rhythm " << shape.name
                  << ": no drum library found; the audio is silent (use --library DIR to choose one)\n";
    }
    return sound;
}

int reportFailures(const ExportResult& result, const CommandShape& shape)
{
    for (const auto& failure : result.failures)
        std::cerr << "garvo-rhythm " << shape.name << ": could not write " << failure.file.getFullPathName() << ": "
                  << failure.reason << "\n";
    return result.succeeded() ? kExitOk : kExitFailure;
}

int writeOneFile(const juce::File& target, const std::vector<unsigned char>& bytes, const CommandShape& shape)
{
    if (bytes.empty())
    {
        std::cerr << "garvo-rhythm " << shape.name << ": nothing could be encoded for " << target.getFullPathName()
                  << "\n";
        return kExitFailure;
    }
    ExportResult result;
    if (auto failure = writeFileAtomically(target, bytes))
        result.failures.push_back(std::move(*failure));
    return reportFailures(result, shape);
}

template <typename Body> int runExport(const CommandShape& shape, const juce::StringArray& args, Body body)
{
    if (wantsHelp(args))
    {
        printHelp(shape, std::cout);
        return kExitOk;
    }
    const auto request = RequestParser(shape).parse(args);
    if (!request)
        return kExitUsage;
    const auto built = buildPattern(request->pattern.settings, request->pattern.morph);
    return body(*request, built);
}
} // namespace

int runMidiCommand(const juce::StringArray& args)
{
    return runExport(kMidiShape, args,
                     [](const ExportRequest& request, const RegeneratedPattern& built)
                     {
                         const auto bytes = request.lane ? elementMidiBytes(built.pattern, *request.lane)
                                                         : fullKitMidiBytes(built.pattern);
                         return writeOneFile(request.out, bytes, kMidiShape);
                     });
}

int runWavCommand(const juce::StringArray& args)
{
    return runExport(kWavShape, args,
                     [](const ExportRequest& request, const RegeneratedPattern& built)
                     {
                         const auto sound = soundFor(request, built.kitGenre, kWavShape);
                         if (request.lane)
                             return writeOneFile(request.out, renderElementWav(built.pattern, *request.lane, sound),
                                                 kWavShape);
                         juce::AudioBuffer<float> buffer;
                         renderPatternToBuffer(built.pattern, buffer, nullptr, sound);
                         return writeOneFile(request.out, bufferToWavBytes(buffer), kWavShape);
                     });
}

int runKitCommand(const juce::StringArray& args)
{
    return runExport(kKitShape, args,
                     [](const ExportRequest& request, const RegeneratedPattern& built)
                     {
                         const auto sound = soundFor(request, built.kitGenre, kKitShape);
                         return reportFailures(exportKitInto(request.out, built.pattern, sound), kKitShape);
                     });
}
} // namespace garvo::cli
