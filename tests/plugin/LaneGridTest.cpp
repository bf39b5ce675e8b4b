#include "plugin/LaneGrid.h"

#include "export/ExportActions.h"
#include "plugin/GarvoColours.h"
#include "plugin/PluginProcessor.h"
#include "support/EditorTestSupport.h"
#include "support/ProcessorHarness.h"

#include <gtest/gtest.h>

namespace garvo
{
namespace
{
using test::clickAt;
using test::dragFrom;
using test::makeHit;
using test::moveTo;

// The grid at its size in the editor's initial layout.
constexpr int kGridWidth = 856;
constexpr int kGridHeight = 524;

class LaneGridTest : public ::testing::Test
{
protected:
    void SetUp() override { grid.setSize(kGridWidth, kGridHeight); }

    void publish(std::map<Element, std::vector<Hit>> lanes, int bars = 2)
    {
        Pattern pattern;
        pattern.bars = bars;
        pattern.genre = "Amapiano";
        pattern.hits = std::move(lanes);
        processor.publishPattern(std::move(pattern));
    }

    // A pattern with one hit on step 0 for each of the first `count` elements.
    void publishLanes(int count)
    {
        std::map<Element, std::vector<Hit>> lanes;
        for (int index = 0; index < count; ++index)
            lanes[elementFromIndex(index)] = {makeHit(0, 0)};
        publish(std::move(lanes));
    }

    juce::Point<float> centreOf(juce::Rectangle<float> area) const { return area.getCentre(); }

    GarvoRhythmProcessor processor;
    LaneGrid grid{processor};
};

TEST_F(LaneGridTest, RowsFollowElementOrderAndColoursFollowTheRow)
{
    publish(
        {{Element::Ride, {makeHit(0, 0)}}, {Element::Kick, {makeHit(0, 0)}}, {Element::Closed_Hat, {makeHit(0, 2)}}});
    EXPECT_EQ(grid.activeLanes(), (std::vector<Element>{Element::Kick, Element::Closed_Hat, Element::Ride}));

    // Six rows: the colours run purple, blue, green, gold, red and start again.
    publishLanes(6);
    const auto image = test::renderComponent(grid);
    const std::array<juce::Colour, 6> expected{GarvoColours::lanePurple, GarvoColours::laneBlue,
                                               GarvoColours::laneGreen,  GarvoColours::laneGold,
                                               GarvoColours::laneRed,    GarvoColours::lanePurple};
    for (int row = 0; row < 6; ++row)
    {
        const auto dot = grid.muteDotAt(row).getCentre().toInt();
        EXPECT_TRUE(test::coloursClose(image.getPixelAt(dot.x, dot.y), expected[static_cast<size_t>(row)]))
            << "row " << row << ": " << image.getPixelAt(dot.x, dot.y).toDisplayString(true);
    }
}

TEST_F(LaneGridTest, RowHeightIsCappedAndStripsDisappearOnShortRows)
{
    struct Row
    {
        int lanes;
        int height;
        float rowHeight;
        bool showsStrip;
    };
    const Row rows[] = {
        {8, kGridHeight, 46.0f, true},  // capped
        {20, kGridHeight, 23.9f, true}, // 478 / 20
        {20, 484, 21.9f, false},        // below 22: no strips
        {1, kGridHeight, 46.0f, true},
    };
    for (const auto& row : rows)
    {
        grid.setSize(kGridWidth, row.height);
        publishLanes(row.lanes);
        const auto layout = grid.currentLayout();
        EXPECT_FLOAT_EQ(layout.rowTop, 34.0f);
        EXPECT_NEAR(layout.rowHeight, row.rowHeight, 1e-4f) << row.lanes << " lanes";
        EXPECT_EQ(!grid.variationStripAt(0).isEmpty(), row.showsStrip) << row.lanes << " lanes";
        EXPECT_TRUE(grid.variationStripAt(row.lanes).isEmpty());
        EXPECT_TRUE(grid.muteDotAt(-1).isEmpty());
    }
}

TEST_F(LaneGridTest, PositionsAboveTheFirstRowOrBelowTheLastBelongToNoRow)
{
    publishLanes(3);
    EXPECT_EQ(grid.laneRowAt(20.0f), -1); // beat numbers
    EXPECT_EQ(grid.laneRowAt(34.0f), 0);
    EXPECT_EQ(grid.laneRowAt(34.0f + 46.0f * 3.0f - 0.01f), 2);
    EXPECT_EQ(grid.laneRowAt(34.0f + 46.0f * 3.0f), -1);

    moveTo(grid, {300.0f, 20.0f});
    EXPECT_EQ(grid.getHoverRow(), -1);
    moveTo(grid, {300.0f, 60.0f});
    EXPECT_EQ(grid.getHoverRow(), 0);

    publish({});
    EXPECT_EQ(grid.laneRowAt(60.0f), -1);
}

// The colour a hit bar shows at pixel row y: its gradient at that height over the step cell.
juce::Colour expectedBarPixel(juce::Colour lane, float top, float bottom, int y, float opacity, juce::Colour cell)
{
    const juce::ColourGradient gradient(lane.brighter(0.25f), 0.0f, top, lane.darker(0.25f), 0.0f, bottom, false);
    const auto colour = gradient.getColourAtPosition((static_cast<float>(y) + 0.5f - top) / (bottom - top));
    return cell.overlaidWith(colour.withAlpha(static_cast<juce::uint8>(std::lround(opacity * 255.0f))));
}

TEST_F(LaneGridTest, HitBarsFollowVelocityAndFadeWhenChokedOrMuted)
{
    // One lane: rows are 46 high, so bars stand on y = 34 + 46 - 4 = 76 and reach up to 38 at velocity 127.
    auto choked = makeHit(0, 8, 127);
    choked.choked = true;
    publish({{Element::Open_Hat, {makeHit(0, 0, 127), makeHit(0, 4, 1), choked}}});
    const auto layout = grid.currentLayout();
    const auto centreX = [&](int step)
    { return static_cast<int>(LaneGrid::kStepsLeft + (static_cast<float>(step) + 0.5f) * layout.stepWidth); };
    const auto purple = GarvoColours::lanePurple;
    const auto cell = GarvoColours::panelLight; // steps 0, 4 and 8 start a beat

    auto image = test::renderComponent(grid);
    // Velocity 127 fills the row height minus 8, velocity 1 fills 30 % of it.
    EXPECT_TRUE(test::coloursClose(image.getPixelAt(centreX(0), 45),
                                   expectedBarPixel(purple, 38.0f, 76.0f, 45, 1.0f, cell), 3));
    EXPECT_LT(image.getPixelAt(centreX(0), 36).getBlue(), 60);  // above the bar
    EXPECT_GT(image.getPixelAt(centreX(0), 38).getBlue(), 200); // its cap
    const auto lowTop = 76.0f - 0.3f * 38.0f;
    EXPECT_TRUE(test::coloursClose(image.getPixelAt(centreX(4), 70),
                                   expectedBarPixel(purple, lowTop, 76.0f, 70, 1.0f, cell), 3));
    EXPECT_TRUE(test::coloursClose(image.getPixelAt(centreX(4), 62), cell, 3));
    // A choked hit at 55 %.
    EXPECT_TRUE(test::coloursClose(image.getPixelAt(centreX(8), 60),
                                   expectedBarPixel(purple, 38.0f, 76.0f, 60, 0.55f, cell), 3));

    processor.muted[static_cast<size_t>(elementIndex(Element::Open_Hat))] = true;
    image = test::renderComponent(grid);
    EXPECT_TRUE(test::coloursClose(image.getPixelAt(centreX(0), 60),
                                   expectedBarPixel(purple, 38.0f, 76.0f, 60, 0.25f, cell), 3));
    // Muted bars have no gold cap: the top pixel row of the bar is the plain faded gradient.
    EXPECT_TRUE(test::coloursClose(image.getPixelAt(centreX(0), 38),
                                   expectedBarPixel(purple, 38.0f, 76.0f, 38, 0.25f, cell), 3));
}

TEST_F(LaneGridTest, HitsOutsideThePatternLengthAreNotDrawn)
{
    publish({{Element::Kick, {makeHit(1, 0, 127), makeHit(-1, 0, 127)}}}, 1);
    const auto image = test::renderComponent(grid);
    // One bar: 16 steps span the whole grid; nothing purple is drawn beyond the mute dot.
    int purplePixels = 0;
    for (int x = 40; x < kGridWidth; ++x)
        for (int y = 34; y < 80; ++y)
            if (test::coloursClose(image.getPixelAt(x, y), GarvoColours::lanePurple, 40))
                ++purplePixels;
    EXPECT_EQ(purplePixels, 0);
}

TEST_F(LaneGridTest, MuteDotTogglesAndForgivesNearMisses)
{
    publishLanes(2);
    const auto dot = grid.muteDotAt(1);
    auto& snareMuted = processor.muted[static_cast<size_t>(elementIndex(Element::Snare))];

    clickAt(grid, dot.getCentre());
    EXPECT_TRUE(snareMuted.load());
    clickAt(grid, {dot.getX() - 2.0f, dot.getCentreY()}); // two pixels left of the dot
    EXPECT_FALSE(snareMuted.load());
    clickAt(grid, {dot.getX() - 4.0f, dot.getCentreY()}); // too far
    EXPECT_FALSE(snareMuted.load());
    EXPECT_FALSE(processor.muted[0].load());
}

class LaneGridVariationTest : public LaneGridTest
{
protected:
    void SetUp() override
    {
        LaneGridTest::SetUp();
        test::writeDrumTree(library.get(), "Amapiano", {{Element::Kick, 5}, {Element::Snare, 3}});
        ASSERT_GT(processor.getKit().loadGenreDrumTree(library.get()), 0);
        processor.getKit().selectKitByName("Amapiano");
        publish(
            {{Element::Kick, {makeHit(0, 0)}}, {Element::Snare, {makeHit(0, 4)}}, {Element::Ride, {makeHit(0, 2)}}});
    }

    int variationOf(Element element) const
    {
        return processor.getKit().variations[static_cast<size_t>(elementIndex(element))].load();
    }

    test::ScopedTempFolder library{"garvo-lanegrid-library"};
};

TEST_F(LaneGridVariationTest, ClickingAStripSegmentSelectsThatVariation)
{
    ASSERT_EQ(processor.getKit().getElementVariationCount(Element::Kick), 5);
    ASSERT_EQ(processor.getKit().getElementVariationCount(Element::Snare), 3);
    const auto kickStrip = grid.variationStripAt(0);
    const auto snareStrip = grid.variationStripAt(1);

    struct Row
    {
        Element element;
        juce::Point<float> at;
        int expected;
    };
    const Row rows[] = {
        {Element::Kick, {kickStrip.getX() + kickStrip.getWidth() * 0.5f, kickStrip.getCentreY()}, 2}, // third of five
        {Element::Kick, {kickStrip.getRight() - 0.1f, kickStrip.getY() - 3.5f}, 4},                   // just above
        {Element::Kick, {kickStrip.getX() + 1.0f, kickStrip.getBottom() + 2.5f}, 0},  // just below, still in the row
        {Element::Snare, {snareStrip.getRight() - 0.1f, snareStrip.getCentreY()}, 2}, // right end of three
    };
    for (const auto& row : rows)
    {
        clickAt(grid, row.at);
        EXPECT_EQ(variationOf(row.element), row.expected) << elementName(row.element);
    }

    // Not sideways: a click right of the strip selects nothing.
    clickAt(grid, {kickStrip.getRight() + 1.0f, kickStrip.getCentreY()});
    EXPECT_EQ(variationOf(Element::Kick), 0);
}

TEST_F(LaneGridVariationTest, AnElementWithoutSamplesHasNoStripToClick)
{
    ASSERT_EQ(processor.getKit().getElementVariationCount(Element::Ride), 0);
    const auto strip = grid.variationStripAt(2);
    processor.getKit().variations[static_cast<size_t>(elementIndex(Element::Ride))] = 1;
    clickAt(grid, strip.getCentre());
    EXPECT_EQ(variationOf(Element::Ride), 1);
}

TEST_F(LaneGridVariationTest, TheSelectedSegmentIsFilledWithTheLaneColour)
{
    processor.getKit().variations[static_cast<size_t>(elementIndex(Element::Kick))] = 3;
    const auto strip = grid.variationStripAt(0);
    const auto image = test::renderComponent(grid);
    const auto segmentWidth = strip.getWidth() / 5.0f;
    const auto pixelIn = [&](int segment)
    {
        // Left of the digit, inside the segment's fill.
        return image.getPixelAt(static_cast<int>(strip.getX() + static_cast<float>(segment) * segmentWidth + 2.5f),
                                static_cast<int>(strip.getCentreY()));
    };
    const auto selectedFill =
        GarvoColours::panelLight.overlaidWith(GarvoColours::lanePurple.withAlpha(static_cast<juce::uint8>(0xf2)));
    EXPECT_TRUE(test::coloursClose(pixelIn(3), selectedFill, 12)) << pixelIn(3).toDisplayString(true);
    EXPECT_TRUE(test::coloursClose(pixelIn(1), GarvoColours::panel, 12)) << pixelIn(1).toDisplayString(true);
}

TEST_F(LaneGridTest, LoadTagOpensAChooserTitledWithTheElementName)
{
    publish({{Element::Kick, {makeHit(0, 0)}}, {Element::Closed_Hat, {makeHit(0, 2)}}});
    int launches = 0;
    grid.launchChooser = [&launches](juce::FileChooser&, std::function<void(const juce::FileChooser&)>) { ++launches; };

    clickAt(grid, grid.loadTagAt(1).getCentre());
    EXPECT_EQ(launches, 1);
    EXPECT_EQ(grid.getSampleChooserTitle(), "Load a sample for Closed_Hat");

    // The tag forgives three pixels; the mute flag is untouched.
    clickAt(grid, grid.loadTagAt(0).getTopLeft().translated(-2.5f, -2.5f));
    EXPECT_EQ(launches, 2);
    EXPECT_EQ(grid.getSampleChooserTitle(), "Load a sample for Kick");
    EXPECT_FALSE(processor.muted[0].load());
}

TEST_F(LaneGridTest, DropsLoadTheFirstAudioFileOfTheList)
{
    publish({{Element::Kick, {makeHit(0, 0)}}, {Element::Snare, {makeHit(0, 4)}}});
    test::ScopedTempFolder folder{"garvo-lanegrid-drop"};
    const auto text = folder / "notes.txt";
    text.replaceWithText("not audio");
    const auto wav = folder / "snare.WAV";
    test::writeTestWav(wav, test::steadyLevel(0.5f, 441));

    struct Row
    {
        juce::StringArray files;
        bool interested;
    };
    const Row rows[] = {
        {{text.getFullPathName(), wav.getFullPathName()}, true},
        {{text.getFullPathName()}, false},
        {{"/x/a.FLAC"}, true},
        {{"/x/a.aif"}, true},
        {{"/x/a.aiff"}, true},
        {{"/x/a.mp3", "/x/wav"}, false},
        {{}, false},
    };
    for (const auto& row : rows)
        EXPECT_EQ(grid.isInterestedInFileDrag(row.files), row.interested) << row.files.joinIntoString(",");

    const auto snareY = static_cast<int>(grid.muteDotAt(1).getCentreY());
    const juce::StringArray dropped{text.getFullPathName(), wav.getFullPathName()};
    grid.fileDragEnter(dropped, 300, snareY);
    EXPECT_EQ(grid.getDropRow(), 1);
    grid.fileDragMove(dropped, 300, 10);
    EXPECT_EQ(grid.getDropRow(), -1);
    grid.fileDragMove(dropped, 300, snareY);
    grid.filesDropped(dropped, 300, snareY);
    EXPECT_EQ(grid.getDropRow(), -1);

    const auto& userPads = processor.getKit().userPads;
    const auto snarePad = std::atomic_load(&userPads[static_cast<size_t>(elementIndex(Element::Snare))]);
    EXPECT_NE(snarePad, nullptr) << "the WAV after the text file is the one loaded";
    EXPECT_EQ(std::atomic_load(&userPads[0]), nullptr);

    // Outside every row nothing loads, but the highlight still clears.
    grid.fileDragEnter(dropped, 300, snareY);
    grid.filesDropped(dropped, 300, 5);
    EXPECT_EQ(grid.getDropRow(), -1);
    EXPECT_EQ(std::atomic_load(&userPads[0]), nullptr);
}

class LaneGridDragOutTest : public LaneGridTest
{
protected:
    void SetUp() override
    {
        LaneGridTest::SetUp();
        grid.dragOutFolder = folder.get();
        grid.startExternalDrag = [this](const juce::File& file, std::function<void()> finished)
        {
            dragged.push_back(file);
            finishDrag = std::move(finished);
            return true;
        };
        grid.onDragOutFailure = [this](const ExportResult& result)
        {
            for (const auto& failure : result.failures)
                failures.add(failure.file.getFileName() + ": " + failure.reason);
        };
        publish({{Element::Kick, {makeHit(0, 0), makeHit(0, 8)}}, {Element::Open_Hat, {makeHit(0, 2, 90, 0.0, 46)}}});
    }

    juce::Point<float> stepCell(int row, int step) const
    {
        const auto layout = grid.currentLayout();
        return {LaneGrid::kStepsLeft + (static_cast<float>(step) + 0.5f) * layout.stepWidth,
                grid.muteDotAt(row).getCentreY()};
    }

    test::ScopedTempFolder folder{"garvo-lanegrid-drag"};
    std::vector<juce::File> dragged;
    std::function<void()> finishDrag;
    juce::StringArray failures;
};

TEST_F(LaneGridDragOutTest, DraggingAStepCellTenPixelsWritesTheLaneAndStartsOneDrag)
{
    const auto from = stepCell(0, 3);
    dragFrom(grid, from, from.translated(10.0f, 0.0f));
    ASSERT_EQ(dragged.size(), 1u);
    EXPECT_EQ(dragged[0], folder / "Kick.mid");
    EXPECT_TRUE((folder / "Kick.mid").existsAsFile());
    EXPECT_TRUE(grid.isDragInProgress());

    // The rest of the same gesture starts nothing more; the end of the drag clears the flag.
    grid.mouseDrag(test::mouseEventAt(grid, from.translated(30.0f, 0.0f), from, true));
    EXPECT_EQ(dragged.size(), 1u);
    finishDrag();
    EXPECT_FALSE(grid.isDragInProgress());

    grid.dragAsWav = true;
    dragFrom(grid, stepCell(1, 0), stepCell(1, 0).translated(0.0f, 12.0f));
    ASSERT_EQ(dragged.size(), 2u);
    EXPECT_EQ(dragged[1], folder / "Open_Hat.wav");
    EXPECT_TRUE(failures.isEmpty());
}

TEST_F(LaneGridDragOutTest, ShortDragsAndDragsFromTheLaneControlsStartNothing)
{
    const auto from = stepCell(0, 3);
    dragFrom(grid, from, from.translated(9.0f, 0.0f));
    const auto dot = grid.muteDotAt(0).getCentre();
    dragFrom(grid, dot, dot.translated(40.0f, 0.0f));
    const auto tag = grid.loadTagAt(0).getCentre();
    grid.launchChooser = [](juce::FileChooser&, std::function<void(const juce::FileChooser&)>) {};
    dragFrom(grid, tag, tag.translated(40.0f, 0.0f));
    dragFrom(grid, {300.0f, 10.0f}, {300.0f, 60.0f}); // from the beat numbers

    EXPECT_TRUE(dragged.empty());
    EXPECT_FALSE((folder / "Kick.mid").exists());
}

TEST_F(LaneGridDragOutTest, AFileThatCannotBeWrittenStartsNoDragAndSaysWhy)
{
    // A plain file where the folder should be: nothing can be written below it.
    const auto blocker = folder / "not-a-folder";
    blocker.replaceWithText("x");
    grid.dragOutFolder = blocker;

    const auto from = stepCell(0, 3);
    dragFrom(grid, from, from.translated(12.0f, 0.0f));
    EXPECT_TRUE(dragged.empty());
    EXPECT_FALSE(grid.isDragInProgress());
    ASSERT_EQ(failures.size(), 1);
    EXPECT_TRUE(failures[0].contains("Kick.mid")) << failures[0];
}

TEST_F(LaneGridDragOutTest, ADragThatTheSystemRefusesDoesNotBlockTheNextGesture)
{
    grid.startExternalDrag = [this](const juce::File& file, std::function<void()>)
    {
        dragged.push_back(file);
        return false;
    };
    const auto from = stepCell(0, 3);
    dragFrom(grid, from, from.translated(12.0f, 0.0f));
    EXPECT_FALSE(grid.isDragInProgress());
    dragFrom(grid, from, from.translated(12.0f, 0.0f));
    EXPECT_EQ(dragged.size(), 2u);
}
} // namespace
} // namespace garvo
