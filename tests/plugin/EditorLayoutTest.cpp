#include "export/ExportActions.h"
#include "plugin/GarvoColours.h"
#include "plugin/PluginEditor.h"
#include "plugin/PluginProcessor.h"
#include "rhythm/GenreDNA.h"
#include "support/EditorTestSupport.h"
#include "support/ProcessorHarness.h"

#include <gtest/gtest.h>

namespace garvo
{
namespace
{
using test::clickButton;
using test::deliverPendingUpdates;
using test::makeHit;
using test::setParameter;
using Rect = juce::Rectangle<int>;

class EditorTest : public ::testing::Test
{
protected:
    void loadLibrary()
    {
        test::writeDrumTree(library.get(), "Amapiano", {{Element::Kick, 2}});
        ASSERT_GT(processor.getKit().loadGenreDrumTree(library.get()), 0);
    }

    GarvoRhythmProcessor processor;
    GarvoRhythmEditor editor{processor};
    test::ScopedTempFolder library{"garvo-editor-library"};
};

TEST_F(EditorTest, LayoutAtTheInitialSize)
{
    ASSERT_EQ(editor.getBounds(), Rect(0, 0, 1220, 760));
    const std::vector<std::pair<juce::Component*, Rect>> rows{
        {&editor.getGenreSelector(), {20, 88, 306, 34}},
        {&editor.getKitSelector(), {20, 154, 306, 34}},
        {&editor.getMorphPad(), {20, 218, 306, 278}},
        {&editor.getLaneGrid(), {344, 68, 856, 524}},
        {&editor.getLibraryMessage(), {0, 68, 1220, 26}},
        {&editor.getPlayButton(), {622, 631, 134, 36}},
        {&editor.getRegenerateButton(), {764, 631, 134, 36}},
        {&editor.getAudioButton(), {906, 631, 134, 36}},
        {&editor.getDragFormatButton(), {1048, 631, 134, 36}},
        {&editor.getExportMidiButton(), {622, 681, 181, 36}},
        {&editor.getExportAudioButton(), {811, 681, 181, 36}},
        {&editor.getExportKitButton(), {1000, 681, 181, 36}},
        // Knob columns are 107 wide; each knob is its column less the caption, reduced by 3.
        {&editor.getKnob(0), {39, 623, 101, 87}},
        {&editor.getKnobCaption(0), {36, 713, 107, 15}},
        {&editor.getKnob(4), {467, 623, 101, 87}},
        {&editor.getKnobCaption(4), {464, 713, 107, 15}},
    };
    for (const auto& [component, expected] : rows)
        EXPECT_EQ(component->getBounds(), expected) << component->getName() << " " << component->getBounds().toString();
    EXPECT_EQ(editor.getKnobPanelArea(), Rect(20, 608, 568, 132));
    EXPECT_EQ(editor.getTransportPanelArea(), Rect(604, 608, 596, 132));
}

TEST_F(EditorTest, LayoutAtTheMinimumSizeKeepsThePadNoTallerThanWide)
{
    editor.setSize(960, 600);
    EXPECT_EQ(editor.getMorphPad().getBounds(), Rect(20, 218, 306, 118));
    EXPECT_EQ(editor.getLaneGrid().getBounds(), Rect(344, 68, 596, 364));
    EXPECT_EQ(editor.getKnobPanelArea(), Rect(20, 448, 568, 132));
    EXPECT_EQ(editor.getTransportPanelArea(), Rect(604, 448, 336, 132));
    EXPECT_EQ(editor.getPlayButton().getBounds(), Rect(622, 471, 69, 36));
    EXPECT_EQ(editor.getExportKitButton().getBounds(), Rect(826, 521, 94, 36));

    // A tall window: the pad stays square and leaves the rest of the column empty.
    editor.setSize(1220, 1500);
    EXPECT_EQ(editor.getMorphPad().getBounds(), Rect(20, 218, 306, 306));
}

TEST_F(EditorTest, SizeIsLimitedBetweenMinimumAndMaximum)
{
    editor.setBoundsConstrained({0, 0, 100, 100});
    EXPECT_EQ(editor.getBounds().getWidth(), 960);
    EXPECT_EQ(editor.getBounds().getHeight(), 600);
    editor.setBoundsConstrained({0, 0, 5000, 5000});
    EXPECT_EQ(editor.getBounds().getWidth(), 2400);
    EXPECT_EQ(editor.getBounds().getHeight(), 1500);
    EXPECT_TRUE(editor.isResizable());
}

TEST_F(EditorTest, SelectorsListTheParameterChoicesInOrder)
{
    auto& genres = editor.getGenreSelector();
    const auto names = genreNames();
    ASSERT_EQ(genres.getNumItems(), static_cast<int>(names.size()));
    for (int index = 0; index < genres.getNumItems(); ++index)
    {
        EXPECT_EQ(genres.getItemText(index), juce::String(names[static_cast<size_t>(index)]));
        EXPECT_EQ(genres.getItemId(index), index + 1);
    }
    EXPECT_EQ(genres.getText(), "Amapiano");
    EXPECT_EQ(editor.getKitSelector().getText(), "Clean");
    setParameter(processor, paramId::kit, 3.0f);
    EXPECT_EQ(editor.getKitSelector().getText(), "Lo-fi");
}

TEST_F(EditorTest, KnobsAreAttachedToTheirParametersAndConfiguredAlike)
{
    struct Row
    {
        int knob;
        const char* caption;
        const char* parameter;
        float value;
    };
    const Row rows[] = {
        {0, "DENSITY", paramId::density, 0.25f},    {1, "SWING", paramId::swing, 61.0f},
        {2, "LOOSENESS", paramId::looseness, 0.9f}, {3, "PITCH", paramId::kitPitch, -7.0f},
        {4, "OUTPUT", paramId::outGain, 3.5f},
    };
    for (const auto& row : rows)
    {
        auto& knob = editor.getKnob(row.knob);
        EXPECT_EQ(editor.getKnobCaption(row.knob).getText(), row.caption);
        setParameter(processor, row.parameter, row.value);
        EXPECT_NEAR(knob.getValue(), row.value, 1e-4) << row.caption;
        EXPECT_EQ(knob.getSliderStyle(), juce::Slider::RotaryVerticalDrag);
        EXPECT_EQ(knob.getTextBoxPosition(), juce::Slider::NoTextBox);
        EXPECT_EQ(knob.getMouseDragSensitivity(), 220);
        EXPECT_FALSE(knob.getSliderSnapsToMousePosition());
        EXPECT_FALSE(knob.getVelocityBasedMode());
        const auto rotary = knob.getRotaryParameters();
        EXPECT_FLOAT_EQ(rotary.startAngleRadians, juce::MathConstants<float>::pi * 1.2f);
        EXPECT_FLOAT_EQ(rotary.endAngleRadians, juce::MathConstants<float>::pi * 2.8f);
        EXPECT_TRUE(rotary.stopAtEnd);
    }
}

TEST_F(EditorTest, PlayButtonFollowsTheTransport)
{
    auto& play = editor.getPlayButton();
    EXPECT_EQ(play.getButtonText(), "Play");
    clickButton(play);
    EXPECT_EQ(play.getButtonText(), "Stop");
    EXPECT_TRUE(processor.playing.load());
    clickButton(play);
    EXPECT_EQ(play.getButtonText(), "Play");
    EXPECT_FALSE(processor.playing.load());
}

TEST_F(EditorTest, DragFormatButtonTogglesTheLaneGridFormat)
{
    auto& button = editor.getDragFormatButton();
    EXPECT_EQ(button.getButtonText(), "DRAG: MIDI");
    clickButton(button);
    EXPECT_EQ(button.getButtonText(), "DRAG: WAV");
    EXPECT_TRUE(editor.getLaneGrid().dragAsWav);
    clickButton(button);
    EXPECT_EQ(button.getButtonText(), "DRAG: MIDI");
    EXPECT_FALSE(editor.getLaneGrid().dragAsWav);
}

TEST_F(EditorTest, AudioButtonTextFollowsTheParameterFromBothSides)
{
    auto& audio = editor.getAudioButton();
    EXPECT_TRUE(audio.getClickingTogglesState());
    EXPECT_EQ(audio.getButtonText(), "AUDIO ON");
    EXPECT_TRUE(audio.getToggleState());

    clickButton(audio);
    EXPECT_EQ(audio.getButtonText(), "AUDIO OFF");
    EXPECT_EQ(processor.apvts.getRawParameterValue(paramId::audioOn)->load(), 0.0f);

    setParameter(processor, paramId::audioOn, 1.0f); // automation or a restored state
    EXPECT_EQ(audio.getButtonText(), "AUDIO ON");
    setParameter(processor, paramId::audioOn, 0.0f);
    EXPECT_EQ(audio.getButtonText(), "AUDIO OFF");
}

TEST_F(EditorTest, AnEditorOpenedWithAudioOffSaysSo)
{
    setParameter(processor, paramId::audioOn, 0.0f);
    GarvoRhythmEditor second(processor);
    EXPECT_EQ(second.getAudioButton().getButtonText(), "AUDIO OFF");
}

TEST_F(EditorTest, RegenerateChangesOnlyTheSeed)
{
    test::clickAt(editor.getMorphPad(), {200.0f, 50.0f});
    deliverPendingUpdates();
    ASSERT_TRUE(processor.isMorphing());
    const auto morphX = processor.getMorphX();

    const auto values = [this]
    {
        std::map<juce::String, float> result;
        for (auto* parameter : processor.getParameters())
            if (auto* ranged = dynamic_cast<juce::RangedAudioParameter*>(parameter))
                result[ranged->getParameterID()] = ranged->getValue();
        return result;
    };
    auto before = values();
    const auto patternBefore = processor.getCurrentPatternCopy();
    clickButton(editor.getRegenerateButton());
    deliverPendingUpdates();
    auto after = values();

    EXPECT_NE(after[paramId::seed], before[paramId::seed]);
    EXPECT_NE(processor.getCurrentPatternCopy().seed, patternBefore.seed);
    before.erase(paramId::seed);
    after.erase(paramId::seed);
    EXPECT_EQ(after, before);
    EXPECT_TRUE(processor.isMorphing());
    EXPECT_FLOAT_EQ(processor.getMorphX(), morphX);
}

TEST_F(EditorTest, MorphPadDrivesTheProcessorAndAGenreChoiceEndsTheMorph)
{
    const auto& pad = editor.getMorphPad();
    test::clickAt(editor.getMorphPad(),
                  {static_cast<float>(pad.getWidth()) * 0.75f, static_cast<float>(pad.getHeight()) * 0.5f});
    deliverPendingUpdates();
    EXPECT_TRUE(processor.isMorphing());
    EXPECT_FLOAT_EQ(processor.getMorphX(), 0.75f);
    EXPECT_FLOAT_EQ(processor.getMorphY(), 0.5f);

    editor.getGenreSelector().setSelectedId(4);
    deliverPendingUpdates();
    EXPECT_FALSE(processor.isMorphing());
    EXPECT_EQ(processor.getCurrentPatternCopy().genre, genreNames()[3]);
    EXPECT_FLOAT_EQ(pad.getPuckX(), 0.75f);
}

TEST_F(EditorTest, LibraryBannerShowsUntilALibraryIsLoaded)
{
    auto& banner = editor.getLibraryMessage();
    ASSERT_FALSE(processor.getKit().hasKits());
    EXPECT_TRUE(banner.isVisible());
    EXPECT_EQ(banner.getText(), "Drum library not found. Please reinstall GARVO RHYTHM from garvo-audio.example so "
                                "the built-in sounds load.");
    // It lies over the top of the left column, above everything there.
    EXPECT_TRUE(banner.getBounds().intersects(editor.getGenreSelector().getBounds()));
    EXPECT_GT(editor.getIndexOfChildComponent(&banner), editor.getIndexOfChildComponent(&editor.getGenreSelector()));
    EXPECT_GT(editor.getIndexOfChildComponent(&banner), editor.getIndexOfChildComponent(&editor.getLaneGrid()));

    loadLibrary();
    editor.tick();
    EXPECT_FALSE(banner.isVisible());
}

class EditorExportTest : public EditorTest
{
protected:
    void SetUp() override
    {
        editor.exportFolder = desktop.get();
        editor.revealFolder = [this](const juce::File& folder) { revealed.push_back(folder); };
    }

    test::ScopedTempFolder desktop{"garvo-editor-desktop"};
    std::vector<juce::File> revealed;
};

TEST_F(EditorExportTest, ExportsSayWhatTheyWroteAndWhere)
{
    clickButton(editor.getExportMidiButton());
    EXPECT_TRUE((desktop / kPatternMidiFileName).existsAsFile());
    EXPECT_EQ(editor.getExportStatus().text, "Saved GARVO-RHYTHM-pattern.mid to " + desktop.get().getFileName());
    EXPECT_FALSE(editor.getExportStatus().failed);

    clickButton(editor.getExportKitButton());
    ASSERT_EQ(revealed.size(), 1u);
    EXPECT_EQ(revealed[0], desktop / kKitFolderName);
    EXPECT_TRUE(editor.getExportStatus().text.startsWith("Saved "));
    EXPECT_TRUE(editor.getExportStatus().text.endsWith(" files to GARVO-RHYTHM-Kit on " + desktop.get().getFileName()))
        << editor.getExportStatus().text;

    // The line goes away by itself.
    editor.exportStatusDurationMs = 0;
    clickButton(editor.getExportMidiButton());
    editor.tick();
    EXPECT_TRUE(editor.getExportStatus().text.isEmpty());
}

TEST_F(EditorExportTest, AFailedExportShowsWhyInRedInTheHeader)
{
    const auto boundsBefore = editor.getLaneGrid().getBounds();
    const auto blocker = desktop / "Desktop";
    blocker.replaceWithText("a file where the folder should be");
    editor.exportFolder = blocker;

    clickButton(editor.getExportMidiButton());
    const auto& status = editor.getExportStatus();
    EXPECT_TRUE(status.failed);
    EXPECT_TRUE(status.text.startsWith("Could not write GARVO-RHYTHM-pattern.mid")) << status.text;

    clickButton(editor.getExportKitButton());
    EXPECT_TRUE(editor.getExportStatus().failed);
    EXPECT_TRUE(revealed.empty());

    // Red text in the header band, left of the tagline; nothing else moved.
    const auto image = test::renderComponent(editor);
    int redPixels = 0;
    for (int y = 14; y < 54; ++y)
        for (int x = 330; x < editor.getWidth() - 238; ++x)
        {
            const auto pixel = image.getPixelAt(x, y);
            if (pixel.getRed() > 150 && pixel.getGreen() < 110 && pixel.getBlue() < 110)
                ++redPixels;
        }
    EXPECT_GT(redPixels, 20);
    EXPECT_EQ(editor.getLaneGrid().getBounds(), boundsBefore);
}

TEST_F(EditorExportTest, ALaneDragOutThatCannotBeWrittenSaysSoInTheHeader)
{
    Pattern pattern;
    pattern.hits[Element::Kick] = {makeHit(0, 0)};
    processor.publishPattern(std::move(pattern));
    auto& grid = editor.getLaneGrid();
    const auto blocker = desktop / "temp";
    blocker.replaceWithText("a file where the folder should be");
    grid.dragOutFolder = blocker;
    int drags = 0;
    grid.startExternalDrag = [&drags](const juce::File&, std::function<void()>)
    {
        ++drags;
        return true;
    };

    const juce::Point<float> cell{LaneGrid::kStepsLeft + 40.0f, grid.muteDotAt(0).getCentreY()};
    test::dragFrom(grid, cell, cell.translated(15.0f, 0.0f));
    EXPECT_EQ(drags, 0);
    EXPECT_TRUE(editor.getExportStatus().failed);
    EXPECT_TRUE(editor.getExportStatus().text.startsWith("Could not write Kick.mid: "))
        << editor.getExportStatus().text;
}

TEST(EditorExportStatus, DescribesEveryOutcome)
{
    const juce::File desktop("/home/producer/Desktop");
    ExportResult nothing;
    EXPECT_EQ(GarvoRhythmEditor::describeExport(nothing, desktop).text, "Nothing to export");

    ExportResult one;
    one.folder = desktop;
    one.written = {desktop.getChildFile("GARVO-RHYTHM-pattern.wav")};
    EXPECT_EQ(GarvoRhythmEditor::describeExport(one, desktop).text, "Saved GARVO-RHYTHM-pattern.wav to Desktop");

    ExportResult failed = one;
    failed.failures = {{desktop.getChildFile("a.wav"), "Disk full"}, {desktop.getChildFile("b.wav"), "Disk full"}};
    const auto status = GarvoRhythmEditor::describeExport(failed, desktop);
    EXPECT_TRUE(status.failed);
    EXPECT_EQ(status.text, "Could not write a.wav: Disk full (and 1 more)");
}

// Paint checks on the whole window, where the colours are fixed.
TEST_F(EditorTest, SnapshotShowsBackgroundHeaderEdgesAndHitBars)
{
    loadLibrary();
    editor.tick(); // hides the banner that would cover the header's lower edge
    Pattern pattern;
    pattern.bars = 2;
    pattern.hits[Element::Kick] = {makeHit(0, 0, 127)};
    processor.publishPattern(std::move(pattern));

    const auto image = test::renderComponent(editor);
    using namespace GarvoColours;
    const auto at = [&image](int x, int y) { return image.getPixelAt(x, y); };
    const auto gradientAt = [](juce::Colour top, juce::Colour bottom, float height, int y)
    {
        return juce::ColourGradient(top, 0.0f, 0.0f, bottom, 0.0f, height, false)
            .getColourAtPosition((static_cast<float>(y) + 0.5f) / height);
    };
    const auto background = [&](int y)
    {
        auto colour = gradientAt(bgTop, bgBottom, 760.0f, y);
        if (y < 220)
            colour = colour.overlaidWith(gradientAt(accentGlow.withAlpha(static_cast<juce::uint8>(0x0d)),
                                                    accentGlow.withAlpha(static_cast<juce::uint8>(0)), 220.0f, y));
        return colour;
    };
    const auto header = [&](int y) { return gradientAt(panel.brighter(0.06f), panel.darker(0.25f), 68.0f, y); };

    struct Row
    {
        const char* what;
        juce::Point<int> at;
        juce::Colour expected;
    };
    const Row rows[] = {
        {"background below the morph pad", {100, 560}, background(560)},
        {"background at the bottom", {600, 750}, background(750)},
        {"header top edge",
         {600, 0},
         header(0).overlaidWith(juce::Colours::white.withAlpha(static_cast<juce::uint8>(0x0a)))},
        {"header gold rule", {600, 67}, header(67).overlaidWith(accentDeep.withAlpha(static_cast<juce::uint8>(0xb2)))},
        {"header shadow",
         {600, 68},
         background(68).overlaidWith(juce::Colours::black.withAlpha(static_cast<juce::uint8>(0x99)))},
        {"header band", {600, 40}, header(40)},
    };
    for (const auto& row : rows)
        EXPECT_TRUE(test::coloursClose(at(row.at.x, row.at.y), row.expected, 2))
            << row.what << ": " << at(row.at.x, row.at.y).toDisplayString(true) << " instead of "
            << row.expected.toDisplayString(true);

    // The kick's bar in the first row: purple, lighter at its top than at its foot.
    const auto grid = editor.getLaneGrid().getBounds();
    const auto barX = grid.getX() + 172;
    const auto top = at(barX, grid.getY() + 42);
    const auto foot = at(barX, grid.getY() + 74);
    for (const auto& pixel : {top, foot})
        EXPECT_TRUE(pixel.getBlue() > 180 && pixel.getGreen() < 140 && pixel.getRed() > 130)
            << pixel.toDisplayString(true);
    EXPECT_GT(top.getBrightness(), foot.getBrightness());
}
} // namespace
} // namespace garvo
