#pragma once

#include "export/KitSnapshot.h"
#include "rhythm/Vocabulary.h"

#include <juce_core/juce_core.h>
#include <optional>
#include <vector>

// The ways a pattern leaves the application as files. Each action takes the folder to write
// into (the Desktop or the temporary folder in the app, any folder in tests and the CLI), a copy
// of the pattern and, for audio, a snapshot of the live sound settings, and reports what it
// wrote and what it could not write. Files are replaced atomically: the bytes go to a temporary
// name in the same folder first and are renamed over the final name only when complete, so a
// failed write never leaves a half-written file under the final name.
//
// Typical use from the editor (message thread):
//     const auto result = garvo::exportAudio(desktop, processor.getCurrentPatternCopy(),
//                                            processor.liveKitSnapshot());
//     if (!result.succeeded()) show(result.describeFailures());
namespace garvo
{
inline constexpr const char* kPatternMidiFileName = "GARVO-RHYTHM-pattern.mid";
inline constexpr const char* kPatternWavFileName = "GARVO-RHYTHM-pattern.wav";
inline constexpr const char* kKitFolderName = "GARVO-RHYTHM-Kit";
inline constexpr const char* kKitMixFileName = "MIX.wav";
inline constexpr const char* kKitMidiFileName = "pattern.mid";

struct WriteFailure
{
    juce::File file;     // the path that could not be written (or the folder that could not be made)
    juce::String reason; // the system's reason, for example "Permission denied"
};

struct ExportResult
{
    juce::File folder;                  // where the action wrote: the destination, or the kit folder
    std::vector<juce::File> written;    // every file written, in write order
    std::vector<WriteFailure> failures; // every file that could not be written
    bool succeeded() const noexcept { return failures.empty(); }
    // One line per failure: "Could not write <full path>: <reason>". Empty on success.
    juce::String describeFailures() const;
};

// Replaces `target` with `bytes` through a temporary file in the same folder and a rename.
// Empty bytes write nothing and succeed. On failure the target is left as it was.
std::optional<WriteFailure> writeFileAtomically(const juce::File& target, const std::vector<unsigned char>& bytes);

// "Export MIDI": destination / "GARVO-RHYTHM-pattern.mid", all lanes on their General MIDI notes.
ExportResult exportMidi(const juce::File& destination, const Pattern& pattern);

// "Export Audio": destination / "GARVO-RHYTHM-pattern.wav", the whole pattern rendered.
ExportResult exportAudio(const juce::File& destination, const Pattern& pattern, const KitSnapshot& kit);

// "Export Kit": destination / "GARVO-RHYTHM-Kit" holding "MIX.wav", "pattern.mid" and one
// <element name>.wav per lane with hits. Older files in the folder are left alone.
// The editor reveals `result.folder` to the user afterwards.
ExportResult exportKit(const juce::File& destination, const Pattern& pattern, const KitSnapshot& kit);
// The same files written straight into `kitFolder` (created with its parents when missing).
ExportResult exportKitInto(const juce::File& kitFolder, const Pattern& pattern, const KitSnapshot& kit);

// Lane drag-out: the lane as destination / "<element name>.wav" (asWav) or ".mid" (MIDI on note
// 60). Start the drag only when `written` holds the file; a failed write starts no drag.
ExportResult exportLaneDragFile(const juce::File& destination, const Pattern& pattern, const KitSnapshot& kit,
                                Element element, bool asWav);
juce::String laneDragFileName(Element element, bool asWav);

// The text of the drag-format toggle: "DRAG: WAV" while lanes are dragged as audio, else "DRAG: MIDI".
juce::String dragFormatButtonText(bool dragAsWav);
} // namespace garvo
