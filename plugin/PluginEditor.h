#pragma once

#include "plugin/GarvoLookAndFeel.h"
#include "plugin/LaneGrid.h"
#include "plugin/MorphPad.h"

#include <array>
#include <functional>
#include <juce_audio_processors/juce_audio_processors.h>
#include <juce_gui_basics/juce_gui_basics.h>
#include <memory>

class GarvoRhythmProcessor;

namespace garvo
{
struct ExportResult;
}

// The whole window of the application: selectors, knobs, transport and export buttons, the lane
// grid and the morph pad. It keeps no pattern or parameter state of its own: parameters travel
// through attachments, everything else is read from and written to the processor directly.
class GarvoRhythmEditor : public juce::AudioProcessorEditor, private juce::Timer
{
public:
    static constexpr int kInitialWidth = 1220;
    static constexpr int kInitialHeight = 760;
    static constexpr int kMinWidth = 960;
    static constexpr int kMinHeight = 600;
    static constexpr int kMaxWidth = 2400;
    static constexpr int kMaxHeight = 1500;
    static constexpr int kHeaderHeight = 68;
    static constexpr int kTimerIntervalMs = 50;
    static constexpr int kStatusDurationMs = 4000;

    explicit GarvoRhythmEditor(GarvoRhythmProcessor& processorToEdit);
    ~GarvoRhythmEditor() override;

    void paint(juce::Graphics& g) override;
    void resized() override;

    // One line about an export's outcome, for the header's status line: what was saved where,
    // or which file could not be written and why.
    struct ExportStatus
    {
        juce::String text;
        bool failed = false;
    };
    static ExportStatus describeExport(const garvo::ExportResult& result, const juce::File& destination);

    // The knobs, in the panel's order: density, swing, looseness, pitch, output.
    static constexpr std::array<const char*, 5> kKnobCaptions{"DENSITY", "SWING", "LOOSENESS", "PITCH", "OUTPUT"};

    // Access for tests and the snapshot tool.
    juce::ComboBox& getGenreSelector() noexcept { return genreSelector; }
    juce::ComboBox& getKitSelector() noexcept { return kitSelector; }
    juce::Slider& getKnob(int index) noexcept { return knobs[static_cast<size_t>(index)]; }
    juce::Label& getKnobCaption(int index) noexcept { return knobCaptions[static_cast<size_t>(index)]; }
    juce::TextButton& getPlayButton() noexcept { return playButton; }
    juce::TextButton& getRegenerateButton() noexcept { return regenerateButton; }
    juce::TextButton& getExportMidiButton() noexcept { return exportMidiButton; }
    juce::TextButton& getExportAudioButton() noexcept { return exportAudioButton; }
    juce::TextButton& getExportKitButton() noexcept { return exportKitButton; }
    juce::TextButton& getDragFormatButton() noexcept { return dragFormatButton; }
    juce::TextButton& getAudioButton() noexcept { return audioButton; }
    LaneGrid& getLaneGrid() noexcept { return laneGrid; }
    MorphPad& getMorphPad() noexcept { return morphPad; }
    juce::Label& getLibraryMessage() noexcept { return libraryMessage; }
    juce::Rectangle<int> getKnobPanelArea() const noexcept { return knobPanelArea; }
    juce::Rectangle<int> getTransportPanelArea() const noexcept { return transportPanelArea; }
    const ExportStatus& getExportStatus() const noexcept { return exportStatus; }
    // Runs the 50 ms tick at once, so tests need not wait for the timer.
    void tick() { timerCallback(); }

    // Where the export buttons write; the Desktop unless a test points it elsewhere.
    juce::File exportFolder = juce::File::getSpecialLocation(juce::File::userDesktopDirectory);
    // How long an export's status line stays in the header.
    int exportStatusDurationMs = kStatusDurationMs;
    // Shows the kit folder after "Export Kit"; replaceable so tests open no file browser.
    std::function<void(const juce::File& folder)> revealFolder = [](const juce::File& folder)
    { folder.revealToUser(); };

private:
    void timerCallback() override;
    void configureKnob(juce::Slider& knob, juce::Label& caption, const juce::String& text);
    void togglePlay();
    void drawNewSeed();
    void exportMidiClicked();
    void exportAudioClicked();
    void exportKitClicked();
    void toggleDragFormat();
    void updateAudioButtonText();
    void showExportStatus(const ExportStatus& status);
    juce::Rectangle<int> statusLineArea() const;

    GarvoRhythmProcessor& processor;
    GarvoLookAndFeel lookAndFeel;
    juce::Image logoImage;
    juce::ComboBox genreSelector;
    juce::ComboBox kitSelector;
    std::array<juce::Slider, 5> knobs;
    std::array<juce::Label, 5> knobCaptions;
    juce::Label genreCaption;
    juce::Label kitCaption;
    juce::TextButton playButton{"Play"};
    juce::TextButton regenerateButton{"Regenerate"};
    juce::TextButton exportMidiButton{"Export MIDI"};
    juce::TextButton exportAudioButton{"Export Audio"};
    juce::TextButton exportKitButton{"Export Kit"};
    juce::TextButton dragFormatButton{"DRAG: MIDI"};
    juce::TextButton audioButton{"AUDIO ON"};
    LaneGrid laneGrid;
    MorphPad morphPad;
    juce::Label libraryMessage;
    juce::Rectangle<int> knobPanelArea;
    juce::Rectangle<int> transportPanelArea;
    ExportStatus exportStatus;
    juce::uint32 exportStatusExpiry = 0;

    using ComboBoxAttachment = juce::AudioProcessorValueTreeState::ComboBoxAttachment;
    using SliderAttachment = juce::AudioProcessorValueTreeState::SliderAttachment;
    using ButtonAttachment = juce::AudioProcessorValueTreeState::ButtonAttachment;
    std::unique_ptr<ComboBoxAttachment> genreAttachment;
    std::unique_ptr<ComboBoxAttachment> kitAttachment;
    std::array<std::unique_ptr<SliderAttachment>, 5> knobAttachments;
    std::unique_ptr<ButtonAttachment> audioAttachment;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR(GarvoRhythmEditor)
};
