#include "cli/Commands.h"
#include "cli/PatternOptions.h"
#include "plugin/ParameterIds.h"
#include "plugin/PluginEditor.h"
#include "plugin/PluginProcessor.h"

#include <iostream>
#include <optional>
#include <vector>

namespace garvo::cli
{
namespace
{
constexpr const char* kName = "snapshot";

struct SnapshotRequest
{
    PatternOptions pattern;
    int width = GarvoRhythmEditor::kInitialWidth;
    int height = GarvoRhythmEditor::kInitialHeight;
    std::vector<Element> muted;
    juce::File library; // empty: found as the app finds it
    juce::File out;
};

void printHelp(std::ostream& out)
{
    out << "usage: garvo-rhythm snapshot [pattern options] [--width W] [--height H] [--mute ELEMENT]... "
           "[--library DIR] --out FILE.png\n\n"
           "Draws the editor offscreen, with the real processor holding the pattern of the options, and\n"
           "writes the picture as PNG.\n\npattern options:\n"
        << patternOptionsHelp()
        << "\noptions:\n"
           "  --width W         editor width, 960 to 2400 (default 1220)\n"
           "  --height H        editor height, 600 to 1500 (default 760)\n"
           "  --mute ELEMENT    show this lane muted (repeatable; \"Closed_Hat\" or \"Closed Hat\")\n"
           "  --library DIR     the drum library to load instead of searching for it\n"
           "  --out FILE.png    the picture to write\n";
}

std::nullopt_t fail(const std::string& message)
{
    std::cerr << "garvo-rhythm " << kName << ": " << message << "\n";
    return std::nullopt;
}

std::optional<int> readSize(const juce::String& option, const juce::String& value, int minimum, int maximum)
{
    const auto parsed = parseInteger(value.toStdString());
    if (!parsed || *parsed < minimum || *parsed > maximum)
        return fail(option.toStdString() + " must be a whole number from " + std::to_string(minimum) + " to " +
                    std::to_string(maximum) + " (got '" + value.toStdString() + "')");
    return parsed;
}

std::optional<SnapshotRequest> parseRequest(const juce::StringArray& args)
{
    auto parsedPattern = parsePatternOptions(args, kName, std::cerr);
    if (!parsedPattern)
        return std::nullopt;
    SnapshotRequest request;
    request.pattern = parsedPattern->options;

    const auto& rest = parsedPattern->remaining;
    bool outGiven = false;
    for (int index = 0; index < rest.size(); ++index)
    {
        const auto& option = rest[index];
        if (option != "--width" && option != "--height" && option != "--mute" && option != "--library" &&
            option != "--out")
            return fail("unknown option '" + option.toStdString() + "' (see garvo-rhythm snapshot --help)");
        if (index + 1 >= rest.size())
            return fail(option.toStdString() + " needs a value");
        const auto& value = rest[++index];

        if (option == "--width" || option == "--height")
        {
            const auto isWidth = option == "--width";
            const auto size =
                isWidth ? readSize(option, value, GarvoRhythmEditor::kMinWidth, GarvoRhythmEditor::kMaxWidth)
                        : readSize(option, value, GarvoRhythmEditor::kMinHeight, GarvoRhythmEditor::kMaxHeight);
            if (!size)
                return std::nullopt;
            (isWidth ? request.width : request.height) = *size;
        }
        else if (option == "--mute")
        {
            const auto element = elementFromName(value);
            if (!element)
                return fail("unknown element '" + value.toStdString() + "'");
            request.muted.push_back(*element);
        }
        else if (option == "--library")
        {
            request.library = juce::File::getCurrentWorkingDirectory().getChildFile(value);
            if (!request.library.isDirectory())
                return fail("--library: no folder at " + request.library.getFullPathName().toStdString());
        }
        else
        {
            if (value.isEmpty())
                return fail("--out needs a path");
            request.out = juce::File::getCurrentWorkingDirectory().getChildFile(value);
            outGiven = true;
        }
    }
    if (!outGiven)
        return fail("--out is required");
    return request;
}

// Brings the processor to the state the options describe, as a producer would: the knobs first,
// then the library as the audio device start loads it, then the morph pad.
void prepareProcessor(GarvoRhythmProcessor& processor, const SnapshotRequest& request)
{
    processor.setGenerationParameters(request.pattern.settings);

    if (request.library == juce::File())
        processor.prepareToPlay(44100.0, 512);
    else
        processor.getKit().loadGenreDrumTree(request.library);

    for (const auto element : request.muted)
        processor.muted[static_cast<size_t>(elementIndex(element))] = true;
}
} // namespace

int runSnapshotCommand(const juce::StringArray& args)
{
    if (args.contains("--help"))
    {
        printHelp(std::cout);
        return kExitOk;
    }
    const auto request = parseRequest(args);
    if (!request)
        return kExitUsage;

    GarvoRhythmProcessor processor;
    prepareProcessor(processor, *request);
    GarvoRhythmEditor editor(processor);
    editor.setSize(request->width, request->height);

    if (request->pattern.morph.active)
    {
        // A click on the pad puts the puck there and morphs the processor, as the mouse would.
        auto& pad = editor.getMorphPad();
        const juce::Point<float> at(request->pattern.morph.x * static_cast<float>(pad.getWidth()),
                                    request->pattern.morph.y * static_cast<float>(pad.getHeight()));
        const auto now = juce::Time::getCurrentTime();
        pad.mouseDown(juce::MouseEvent(juce::Desktop::getInstance().getMainMouseSource(), at,
                                       juce::ModifierKeys(juce::ModifierKeys::leftButtonModifier), 0.0f, 0.0f, 0.0f,
                                       0.0f, 0.0f, &pad, &pad, now, at, now, 1, false));
    }
    // Parameter changes ask for an asynchronous update that no message loop will deliver here.
    processor.regeneratePattern();

    const auto image = editor.createComponentSnapshot(editor.getLocalBounds(), true, 1.0f);
    const auto& out = request->out;
    out.getParentDirectory().createDirectory();
    out.deleteFile();
    juce::FileOutputStream stream(out);
    juce::PNGImageFormat png;
    if (!stream.openedOk() || !png.writeImageToStream(image, stream))
    {
        std::cerr << "garvo-rhythm snapshot: could not write " << out.getFullPathName() << ": "
                  << stream.getStatus().getErrorMessage() << "\n";
        return kExitFailure;
    }
    std::cout << "Wrote " << out.getFullPathName() << " (" << image.getWidth() << " x " << image.getHeight() << ")\n";
    return kExitOk;
}
} // namespace garvo::cli
