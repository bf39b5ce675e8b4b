#include "plugin/PluginEditor.h"

#include "BinaryData.h"
#include "export/ExportActions.h"
#include "plugin/GarvoPaint.h"
#include "plugin/ParameterIds.h"
#include "plugin/PluginProcessor.h"
#include "rhythm/GenreDNA.h"

#include <algorithm>
#include <cmath>

namespace
{
using GarvoColours::withAlphaByte;

namespace id = garvo::paramId;

constexpr std::array<const char*, 5> kKnobParameters{id::density, id::swing, id::looseness, id::kitPitch, id::outGain};
constexpr const char* kWebAddress = "garvo-audio.example";

} // namespace

GarvoRhythmEditor::GarvoRhythmEditor(GarvoRhythmProcessor& processorToEdit)
    : juce::AudioProcessorEditor(processorToEdit), processor(processorToEdit), laneGrid(processorToEdit)
{
    using namespace GarvoColours;
    setLookAndFeel(&lookAndFeel);

    logoImage = juce::ImageCache::getFromMemory(BinaryData::garvologo_png, BinaryData::garvologo_pngSize);

    for (const auto& name : garvo::genreNames())
        genreSelector.addItem(juce::String(juce::CharPointer_UTF8(name.c_str())), genreSelector.getNumItems() + 1);
    addAndMakeVisible(genreSelector);
    genreAttachment = std::make_unique<ComboBoxAttachment>(processor.apvts, id::genre, genreSelector);
    kitSelector.addItemList({"Clean", "Punchy", "Warm", "Lo-fi"}, 1);
    addAndMakeVisible(kitSelector);
    kitAttachment = std::make_unique<ComboBoxAttachment>(processor.apvts, id::kit, kitSelector);

    const auto setUpSelectorCaption = [this](juce::Label& caption, const juce::String& text)
    {
        caption.setText(text, juce::dontSendNotification);
        caption.setColour(juce::Label::textColourId, textMuted);
        caption.setFont(GarvoLookAndFeel::brandFont(11.0f, true).withExtraKerningFactor(0.18f));
        addAndMakeVisible(caption);
    };
    setUpSelectorCaption(kitCaption, "KIT");

    for (size_t index = 0; index < knobs.size(); ++index)
        configureKnob(knobs[index], knobCaptions[index], kKnobCaptions[index]);
    for (size_t index = 0; index < knobs.size(); ++index)
        knobAttachments[index] =
            std::make_unique<SliderAttachment>(processor.apvts, kKnobParameters[index], knobs[index]);

    setUpSelectorCaption(genreCaption, "GENRE");

    addAndMakeVisible(laneGrid);
    addAndMakeVisible(morphPad);
    morphPad.onChange = [this](float x, float y) { processor.setMorphPosition(x, y); };
    laneGrid.onDragOutFailure = [this](const garvo::ExportResult& result)
    { showExportStatus(describeExport(result, laneGrid.dragOutFolder)); };

    const std::array<std::pair<juce::TextButton*, std::function<void()>>, 6> actions{{
        {&playButton, [this] { togglePlay(); }},
        {&regenerateButton, [this] { drawNewSeed(); }},
        {&exportMidiButton, [this] { exportMidiClicked(); }},
        {&exportAudioButton, [this] { exportAudioClicked(); }},
        {&exportKitButton, [this] { exportKitClicked(); }},
        {&dragFormatButton, [this] { toggleDragFormat(); }},
    }};
    for (const auto& [button, action] : actions)
    {
        addAndMakeVisible(*button);
        button->onClick = action;
    }

    audioButton.setClickingTogglesState(true);
    audioButton.setColour(juce::TextButton::buttonColourId, panel);
    audioButton.setColour(juce::TextButton::buttonOnColourId, accentDeep);
    audioButton.setColour(juce::TextButton::textColourOffId, textMuted);
    audioButton.setColour(juce::TextButton::textColourOnId, textWarm);
    addAndMakeVisible(audioButton);
    audioAttachment = std::make_unique<ButtonAttachment>(processor.apvts, id::audioOn, audioButton);
    // The attachment also clicks the button when the parameter changes elsewhere (automation,
    // a restored state), so the text always follows the parameter.
    audioButton.onClick = [this] { updateAudioButtonText(); };
    updateAudioButtonText();

    libraryMessage.setText(juce::String("Drum library not found. Please reinstall GARVO RHYTHM from ") + kWebAddress +
                               " so the built-in sounds load.",
                           juce::dontSendNotification);
    libraryMessage.setJustificationType(juce::Justification::centred);
    libraryMessage.setFont(GarvoLookAndFeel::brandFont(13.0f, true));
    libraryMessage.setColour(juce::Label::textColourId, juce::Colours::white);
    libraryMessage.setColour(juce::Label::backgroundColourId, juce::Colour(0xffb03030));
    addChildComponent(libraryMessage);
    libraryMessage.setVisible(!processor.getKit().hasKits());

    setResizable(true, true);
    setResizeLimits(kMinWidth, kMinHeight, kMaxWidth, kMaxHeight);
    setSize(kInitialWidth, kInitialHeight);

    startTimer(kTimerIntervalMs);
}

GarvoRhythmEditor::~GarvoRhythmEditor()
{
    stopTimer();
    for (auto& knob : knobs)
        knob.setLookAndFeel(nullptr);
    setLookAndFeel(nullptr);
    // Attachments detach before any control they point at is destroyed.
    audioAttachment.reset();
    for (auto& attachment : knobAttachments)
        attachment.reset();
    kitAttachment.reset();
    genreAttachment.reset();
}

void GarvoRhythmEditor::configureKnob(juce::Slider& knob, juce::Label& caption, const juce::String& text)
{
    knob.setSliderStyle(juce::Slider::RotaryVerticalDrag);
    knob.setTextBoxStyle(juce::Slider::NoTextBox, false, 0, 0);
    knob.setVelocityBasedMode(false);
    knob.setSliderSnapsToMousePosition(false);
    knob.setRotaryParameters(juce::MathConstants<float>::pi * 1.2f, juce::MathConstants<float>::pi * 2.8f, true);
    knob.setRepaintsOnMouseActivity(true);
    knob.setMouseDragSensitivity(220);
    knob.setLookAndFeel(&lookAndFeel);
    addAndMakeVisible(knob);

    caption.setText(text, juce::dontSendNotification);
    caption.setJustificationType(juce::Justification::centred);
    caption.setColour(juce::Label::textColourId, GarvoColours::textMuted);
    caption.setFont(GarvoLookAndFeel::brandFont(10.5f, true).withExtraKerningFactor(0.16f));
    addAndMakeVisible(caption);
}

void GarvoRhythmEditor::resized()
{
    libraryMessage.setBounds(0, kHeaderHeight, getWidth(), 26);

    auto area = getLocalBounds().reduced(20);
    area.removeFromTop(48);

    auto bottomStrip = area.removeFromBottom(132);
    knobPanelArea = bottomStrip.removeFromLeft(568);
    bottomStrip.removeFromLeft(16);
    transportPanelArea = bottomStrip;
    area.removeFromBottom(16);

    auto column = area.removeFromLeft(306);
    area.removeFromLeft(18);
    laneGrid.setBounds(area);

    genreCaption.setBounds(column.removeFromTop(18));
    column.removeFromTop(2);
    genreSelector.setBounds(column.removeFromTop(34));
    column.removeFromTop(12);
    kitCaption.setBounds(column.removeFromTop(18));
    column.removeFromTop(2);
    kitSelector.setBounds(column.removeFromTop(34));
    column.removeFromTop(30);
    // Square where there is room, and never so tall that less than 96 pixels stay free below.
    morphPad.setBounds(column.removeFromTop(std::max(0, std::min(column.getWidth(), column.getHeight() - 96))));

    auto knobArea = knobPanelArea.reduced(16, 12);
    const auto knobColumnWidth = knobArea.getWidth() / 5;
    for (size_t index = 0; index < knobs.size(); ++index)
    {
        auto knobColumn = knobArea.removeFromLeft(knobColumnWidth);
        knobCaptions[index].setBounds(knobColumn.removeFromBottom(15));
        knobs[index].setBounds(knobColumn.reduced(3));
    }

    auto buttonArea = transportPanelArea.reduced(14, 16);
    const auto quarter = buttonArea.getWidth() / 4;
    const auto third = buttonArea.getWidth() / 3;
    auto topRow = buttonArea.removeFromTop(buttonArea.getHeight() / 2);
    auto bottomRow = buttonArea;
    for (auto* button : {&playButton, &regenerateButton, &audioButton, &dragFormatButton})
        button->setBounds(topRow.removeFromLeft(quarter).reduced(4, 7));
    for (auto* button : {&exportMidiButton, &exportAudioButton, &exportKitButton})
        button->setBounds(bottomRow.removeFromLeft(third).reduced(4, 7));
}

juce::Rectangle<int> GarvoRhythmEditor::statusLineArea() const
{
    // Between the wordmark and the tagline, inside the header band.
    constexpr int left = 330;
    const auto right = getWidth() - 238 - 16;
    const auto logoHeight = std::max(std::min(getHeight(), kHeaderHeight) - 28, 0);
    return {left, 14, std::max(right - left, 0), logoHeight};
}

void GarvoRhythmEditor::paint(juce::Graphics& g)
{
    using namespace GarvoColours;
    const auto width = static_cast<float>(getWidth());
    const auto height = static_cast<float>(getHeight());

    {
        // The lane grid, the morph pad and the two panels cover their areas with opaque bodies
        // (all but their rounded corners), so the background need not be painted under them.
        const juce::Graphics::ScopedSaveState state(g);
        for (const auto& area : {laneGrid.getBounds(), morphPad.getBounds(), knobPanelArea, transportPanelArea})
            g.excludeClipRegion(area.reduced(10, 0));
        garvo::paint::fillVerticalGradient(g, {0.0f, 0.0f, width, height}, 0.0f, bgTop, 0.0f, bgBottom, height);
        garvo::paint::fillVerticalGradient(g, {0.0f, 0.0f, width, 220.0f}, 0.0f, withAlphaByte(accentGlow, 0x0d), 0.0f,
                                           withAlphaByte(accentGlow, 0), 220.0f);
    }

    constexpr auto header = static_cast<float>(kHeaderHeight);
    garvo::paint::fillVerticalGradient(g, {0.0f, 0.0f, width, header}, 0.0f, panel.brighter(0.06f), 0.0f,
                                       panel.darker(0.25f), header);

    if (width > 0.0f)
    {
        g.setColour(withAlphaByte(juce::Colours::white, 0x0a));
        g.fillRect(0.0f, 0.0f, width, 1.0f);
        g.setColour(withAlphaByte(juce::Colours::black, 0x99));
        g.fillRect(0.0f, header, width, 1.0f);
        g.setColour(withAlphaByte(accentDeep, 0xb2));
        g.fillRect(0.0f, header - 1.0f, width, 1.0f);
    }

    const auto logoHeight = static_cast<float>(std::max(std::min(getHeight(), kHeaderHeight) - 28, 0));
    const juce::Rectangle<float> logoBox(18.0f, 14.0f, 150.0f, logoHeight);
    if (logoImage.isValid())
    {
        g.drawImage(logoImage, logoBox, juce::RectanglePlacement::xLeft | juce::RectanglePlacement::yMid);
    }
    else
    {
        g.setColour(accent);
        g.setFont(juce::Font(26.0f, juce::Font::bold));
        g.drawText("GARVO", logoBox, juce::Justification::centredLeft, false);
    }

    g.setColour(juce::Colour(0xfff0c45a));
    g.setFont(juce::Font(30.0f, juce::Font::bold).withExtraKerningFactor(0.1f));
    g.drawText("rhythm", juce::Rectangle<float>(180.0f, 14.0f, width - 198.0f, logoHeight),
               juce::Justification::centredLeft, true);

    g.setColour(withAlphaByte(textMuted, 0xd9));
    g.setFont(GarvoLookAndFeel::brandFont(11.0f, true).withExtraKerningFactor(0.26f));
    g.drawText("GROOVE ENGINE", juce::Rectangle<float>(width - 238.0f, 14.0f, 220.0f, logoHeight),
               juce::Justification::centredRight, false);

    if (exportStatus.text.isNotEmpty())
    {
        g.setColour(exportStatus.failed ? laneRed : textWarm);
        g.setFont(GarvoLookAndFeel::brandFont(12.0f, exportStatus.failed));
        g.drawText(exportStatus.text, statusLineArea(), juce::Justification::centredRight, true);
    }

    GarvoLookAndFeel::drawInsetPanel(g, knobPanelArea.toFloat());
    GarvoLookAndFeel::drawInsetPanel(g, transportPanelArea.toFloat());

    const auto pad = morphPad.getBounds();
    g.setColour(textMuted);
    g.setFont(GarvoLookAndFeel::brandFont(11.0f, true).withExtraKerningFactor(0.18f));
    g.drawText(juce::String("Groove Morph").toUpperCase(),
               juce::Rectangle<int>(pad.getX(), pad.getY() - 18, pad.getWidth(), 15), juce::Justification::centredLeft,
               false);
}

void GarvoRhythmEditor::timerCallback()
{
    laneGrid.repaint();

    const auto shouldShowBanner = !processor.getKit().hasKits();
    if (libraryMessage.isVisible() != shouldShowBanner)
        libraryMessage.setVisible(shouldShowBanner);

    if (exportStatus.text.isNotEmpty() && juce::Time::getMillisecondCounter() >= exportStatusExpiry)
    {
        exportStatus = {};
        repaint(statusLineArea());
    }
}

void GarvoRhythmEditor::togglePlay()
{
    const auto nowPlaying = processor.togglePlaying();
    playButton.setButtonText(nowPlaying ? "Stop" : "Play");
}

void GarvoRhythmEditor::drawNewSeed()
{
    if (auto* seed = processor.apvts.getParameter(id::seed))
        seed->setValueNotifyingHost(juce::Random::getSystemRandom().nextFloat());
}

GarvoRhythmEditor::ExportStatus GarvoRhythmEditor::describeExport(const garvo::ExportResult& result,
                                                                  const juce::File& destination)
{
    if (!result.failures.empty())
    {
        const auto& first = result.failures.front();
        auto text = "Could not write " + first.file.getFileName() + ": " + first.reason;
        if (result.failures.size() > 1)
            text << " (and " << static_cast<int>(result.failures.size() - 1) << " more)";
        return {text, true};
    }
    if (result.written.empty())
        return {"Nothing to export", false};
    if (result.written.size() == 1)
        return {"Saved " + result.written.front().getFileName() + " to " +
                    result.written.front().getParentDirectory().getFileName(),
                false};
    return {"Saved " + juce::String(static_cast<int>(result.written.size())) + " files to " +
                result.folder.getFileName() + " on " + destination.getFileName(),
            false};
}

void GarvoRhythmEditor::showExportStatus(const ExportStatus& status)
{
    exportStatus = status;
    exportStatusExpiry =
        juce::Time::getMillisecondCounter() + static_cast<juce::uint32>(std::max(exportStatusDurationMs, 0));
    repaint(statusLineArea());
}

void GarvoRhythmEditor::exportMidiClicked()
{
    showExportStatus(describeExport(garvo::exportMidi(exportFolder, processor.getCurrentPatternCopy()), exportFolder));
}

void GarvoRhythmEditor::exportAudioClicked()
{
    showExportStatus(
        describeExport(garvo::exportAudio(exportFolder, processor.getCurrentPatternCopy(), processor.liveKitSnapshot()),
                       exportFolder));
}

void GarvoRhythmEditor::exportKitClicked()
{
    const auto result = garvo::exportKit(exportFolder, processor.getCurrentPatternCopy(), processor.liveKitSnapshot());
    showExportStatus(describeExport(result, exportFolder));
    if (result.folder.isDirectory() && revealFolder)
        revealFolder(result.folder);
}

void GarvoRhythmEditor::toggleDragFormat()
{
    laneGrid.dragAsWav = !laneGrid.dragAsWav;
    dragFormatButton.setButtonText(garvo::dragFormatButtonText(laneGrid.dragAsWav));
}

void GarvoRhythmEditor::updateAudioButtonText()
{
    audioButton.setButtonText(audioButton.getToggleState() ? "AUDIO ON" : "AUDIO OFF");
}
