#include "export/ExportActions.h"

#include "export/MidiFileWriter.h"
#include "export/OfflineRenderer.h"

namespace garvo
{
namespace
{
// Writes one file of an action and records the outcome. Empty bytes (no WAV writer) skip the
// file and leave any older file of that name in place.
void writeInto(ExportResult& result, const juce::File& target, const std::vector<unsigned char>& bytes)
{
    if (bytes.empty())
        return;
    if (auto failure = writeFileAtomically(target, bytes))
        result.failures.push_back(std::move(*failure));
    else
        result.written.push_back(target);
}

std::vector<unsigned char> renderAllLanesWav(const Pattern& pattern, const KitSnapshot& kit)
{
    juce::AudioBuffer<float> buffer;
    renderPatternToBuffer(pattern, buffer, nullptr, kit);
    return bufferToWavBytes(buffer);
}

juce::String reasonOrFallback(const juce::String& reason, const char* fallback)
{
    return reason.isNotEmpty() ? reason : juce::String(fallback);
}
} // namespace

juce::String ExportResult::describeFailures() const
{
    juce::StringArray lines;
    for (const auto& failure : failures)
        lines.add("Could not write " + failure.file.getFullPathName() + ": " + failure.reason);
    return lines.joinIntoString("\n");
}

std::optional<WriteFailure> writeFileAtomically(const juce::File& target, const std::vector<unsigned char>& bytes)
{
    if (bytes.empty())
        return std::nullopt;
    if (target.isDirectory())
        return WriteFailure{target, "a folder of that name is in the way"};

    // The temporary file sits in the target's folder so that the final step is a rename within
    // one file system, which replaces the old file in one go.
    const juce::TemporaryFile temporary(target, juce::TemporaryFile::useHiddenFile);
    {
        juce::FileOutputStream out(temporary.getFile());
        if (out.failedToOpen())
            return WriteFailure{target,
                                reasonOrFallback(out.getStatus().getErrorMessage(), "the file could not be created")};
        const bool wrote = out.write(bytes.data(), bytes.size());
        out.flush();
        if (!wrote || out.getStatus().failed())
            return WriteFailure{target,
                                reasonOrFallback(out.getStatus().getErrorMessage(), "the data could not be written")};
    }
    // The temporary file is deleted by its owner when this fails.
    if (!temporary.getFile().replaceFileIn(target))
        return WriteFailure{target, "the finished file could not be moved into place"};
    return std::nullopt;
}

ExportResult exportMidi(const juce::File& destination, const Pattern& pattern)
{
    ExportResult result;
    result.folder = destination;
    writeInto(result, destination.getChildFile(kPatternMidiFileName), fullKitMidiBytes(pattern));
    return result;
}

ExportResult exportAudio(const juce::File& destination, const Pattern& pattern, const KitSnapshot& kit)
{
    ExportResult result;
    result.folder = destination;
    writeInto(result, destination.getChildFile(kPatternWavFileName), renderAllLanesWav(pattern, kit));
    return result;
}

ExportResult exportKit(const juce::File& destination, const Pattern& pattern, const KitSnapshot& kit)
{
    return exportKitInto(destination.getChildFile(kKitFolderName), pattern, kit);
}

ExportResult exportKitInto(const juce::File& kitFolder, const Pattern& pattern, const KitSnapshot& kit)
{
    ExportResult result;
    result.folder = kitFolder;
    const auto created = kitFolder.createDirectory();
    if (!kitFolder.isDirectory())
    {
        // Without the folder every file would fail the same way: report the folder once, render nothing.
        result.failures.push_back(
            {kitFolder, reasonOrFallback(created.getErrorMessage(), "the folder could not be created")});
        return result;
    }

    writeInto(result, kitFolder.getChildFile(kKitMixFileName), renderAllLanesWav(pattern, kit));
    writeInto(result, kitFolder.getChildFile(kKitMidiFileName), fullKitMidiBytes(pattern));
    for (int index = 0; index < kNumElements; ++index)
    {
        const auto element = elementFromIndex(index);
        const auto lane = pattern.hits.find(element);
        if (lane == pattern.hits.end() || lane->second.empty())
            continue;
        writeInto(result, kitFolder.getChildFile(juce::String(elementName(element)) + ".wav"),
                  renderElementWav(pattern, element, kit));
    }
    return result;
}

juce::String laneDragFileName(Element element, bool asWav)
{
    return juce::String(elementName(element)) + (asWav ? ".wav" : ".mid");
}

ExportResult exportLaneDragFile(const juce::File& destination, const Pattern& pattern, const KitSnapshot& kit,
                                Element element, bool asWav)
{
    ExportResult result;
    result.folder = destination;
    const auto bytes = asWav ? renderElementWav(pattern, element, kit) : elementMidiBytes(pattern, element);
    writeInto(result, destination.getChildFile(laneDragFileName(element, asWav)), bytes);
    return result;
}

juce::String dragFormatButtonText(bool dragAsWav)
{
    return dragAsWav ? "DRAG: WAV" : "DRAG: MIDI";
}
} // namespace garvo
