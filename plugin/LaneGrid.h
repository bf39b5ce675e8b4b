#pragma once

#include "rhythm/Vocabulary.h"

#include <array>
#include <functional>
#include <juce_gui_basics/juce_gui_basics.h>
#include <memory>
#include <optional>
#include <vector>

class GarvoRhythmProcessor;

namespace garvo
{
struct ExportResult;
}

// Shows the processor's current pattern as one row per playing drum element, and is where the
// producer mutes lanes, picks sample variations, loads their own samples (chooser or drop) and
// drags a lane out as a MIDI or WAV file. It keeps no copy of the pattern: every paint and every
// mouse event works on one fresh copy, so it never shows a pattern older than the last repaint.
class LaneGrid : public juce::Component, public juce::FileDragAndDropTarget
{
public:
    // Row geometry of one pattern at the grid's current size.
    struct Layout
    {
        std::vector<garvo::Element> lanes;
        float rowTop = 0.0f;
        float rowHeight = 46.0f;
        float stepWidth = 0.0f;
        int steps = 16;
    };

    static constexpr float kStepsLeft = 162.0f;
    static constexpr float kMaxRowHeight = 46.0f;
    static constexpr float kMinStripRowHeight = 22.0f;

    explicit LaneGrid(GarvoRhythmProcessor& processorToUse);
    ~LaneGrid() override;

    void mouseMove(const juce::MouseEvent& event) override;
    void mouseDown(const juce::MouseEvent& event) override;
    void mouseDrag(const juce::MouseEvent& event) override;
    void paint(juce::Graphics& g) override;

    bool isInterestedInFileDrag(const juce::StringArray& files) override;
    void fileDragEnter(const juce::StringArray& files, int x, int y) override;
    void fileDragMove(const juce::StringArray& files, int x, int y) override;
    void fileDragExit(const juce::StringArray& files) override;
    void filesDropped(const juce::StringArray& files, int x, int y) override;

    std::vector<garvo::Element> activeLanes() const;
    Layout currentLayout() const;
    int laneRowAt(float y) const;
    juce::Rectangle<float> muteDotAt(int row) const;
    juce::Rectangle<float> loadTagAt(int row) const;
    juce::Rectangle<float> variationStripAt(int row) const;

    void openSampleChooserForRow(int row);
    static juce::String sampleChooserTitle(garvo::Element element);
    // The title of the chooser the last "LOAD" click opened; empty before the first.
    juce::String getSampleChooserTitle() const { return sampleChooserTitleText; }

    // The audio file of a drop that gets loaded: the first path with an accepted extension.
    static std::optional<juce::File> firstAudioFile(const juce::StringArray& files);
    static bool hasAudioExtension(const juce::String& path);

    int getHoverRow() const noexcept { return hoverRow; }
    int getDropRow() const noexcept { return dropRow; }
    bool isDragInProgress() const noexcept { return dragInProgress; }

    bool dragAsWav = false;

    // Where drag-out files are written; the temporary folder unless a test points it elsewhere.
    juce::File dragOutFolder = juce::File::getSpecialLocation(juce::File::tempDirectory);
    // Starts the operating system's file drag and returns whether it started; `finished` runs
    // when the drag ends. Replaceable because an offscreen grid has no window to drag from.
    std::function<bool(const juce::File& file, std::function<void()> finished)> startExternalDrag;
    // Opens the sample chooser; replaceable so that tests can see a chooser without a dialog.
    std::function<void(juce::FileChooser& chooser, std::function<void(const juce::FileChooser&)> chosen)> launchChooser;
    // Told when a drag-out file could not be written (and so no drag started), with the reason.
    std::function<void(const garvo::ExportResult& result)> onDragOutFailure;

private:
    Layout layoutFor(const garvo::Pattern& pattern) const;
    static juce::Rectangle<float> muteDotAt(const Layout& layout, int row);
    static juce::Rectangle<float> loadTagAt(const Layout& layout, int row);
    static juce::Rectangle<float> variationStripAt(const Layout& layout, int row);
    static int laneRowAt(const Layout& layout, float y);
    void startLaneDragOut(garvo::Element element);
    void paintRowControls(juce::Graphics& g, const Layout& layout, int row) const;
    void paintStepCells(juce::Graphics& g, const Layout& layout) const;
    void paintAllHits(juce::Graphics& g, const garvo::Pattern& pattern, const Layout& layout) const;
    void paintHits(juce::Graphics& g, const garvo::Pattern& pattern, const Layout& layout, int row) const;

    GarvoRhythmProcessor& processor;
    bool dragInProgress = false;
    int hoverRow = -1;
    int dropRow = -1;
    std::unique_ptr<juce::FileChooser> sampleChooser;

    // One row of step cells, drawn at each quarter-pixel row position it has been needed at.
    static constexpr int kSubPixelSteps = 4;
    struct CellStamps
    {
        int width = 0;
        int steps = 0;
        float rowHeight = 0.0f;
        float scale = 0.0f;
        std::array<juce::Image, kSubPixelSteps> images;
    };
    mutable CellStamps cellStamps;
    // The picture the hit gradients are written into, kept between paints while the size holds:
    // allocating a fresh one every 50 ms costs the kernel more than drawing into it.
    mutable juce::Image hitShades;
    juce::String sampleChooserTitleText;

    JUCE_DECLARE_WEAK_REFERENCEABLE(LaneGrid)
    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR(LaneGrid)
};
