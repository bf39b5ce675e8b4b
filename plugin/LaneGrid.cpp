#include "plugin/LaneGrid.h"

#include "export/ExportActions.h"
#include "plugin/GarvoColours.h"
#include "plugin/GarvoLookAndFeel.h"
#include "plugin/GarvoPaint.h"
#include "plugin/PluginProcessor.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <optional>

namespace
{
using GarvoColours::withAlphaByte;

constexpr std::array<const char*, 4> kAudioExtensions{".wav", ".aif", ".aiff", ".flac"};

const std::array<juce::Colour, 5>& laneColours()
{
    static const std::array<juce::Colour, 5> colours{GarvoColours::lanePurple, GarvoColours::laneBlue,
                                                     GarvoColours::laneGreen, GarvoColours::laneGold,
                                                     GarvoColours::laneRed};
    return colours;
}

juce::Colour withOpacity(juce::Colour colour, float opacity)
{
    return colour.withAlpha(static_cast<juce::uint8>(std::lround(opacity * 255.0f)));
}

int elementSlot(garvo::Element element)
{
    return garvo::elementIndex(element);
}
} // namespace

LaneGrid::LaneGrid(GarvoRhythmProcessor& processorToUse) : processor(processorToUse)
{
    startExternalDrag = [this](const juce::File& file, std::function<void()> finished)
    {
        return juce::DragAndDropContainer::performExternalDragDropOfFiles({file.getFullPathName()}, false, this,
                                                                          std::move(finished));
    };
    launchChooser = [](juce::FileChooser& chooser, std::function<void(const juce::FileChooser&)> chosen)
    {
        chooser.launchAsync(juce::FileBrowserComponent::openMode | juce::FileBrowserComponent::canSelectFiles,
                            std::move(chosen));
    };
}

LaneGrid::~LaneGrid() = default;

std::vector<garvo::Element> LaneGrid::activeLanes() const
{
    return layoutFor(processor.getCurrentPatternCopy()).lanes;
}

LaneGrid::Layout LaneGrid::currentLayout() const
{
    return layoutFor(processor.getCurrentPatternCopy());
}

LaneGrid::Layout LaneGrid::layoutFor(const garvo::Pattern& pattern) const
{
    Layout layout;
    for (int index = 0; index < garvo::kNumElements; ++index)
        if (pattern.hits.contains(garvo::elementFromIndex(index)))
            layout.lanes.push_back(garvo::elementFromIndex(index));

    const auto width = static_cast<float>(getWidth());
    const auto innerHeight = std::max(static_cast<float>(getHeight()) - 24.0f, 0.0f);
    const auto headerHeight = std::min(innerHeight, 22.0f);
    layout.rowTop = 12.0f + headerHeight;
    const auto laneCount = static_cast<float>(layout.lanes.size());
    layout.rowHeight =
        layout.lanes.empty() ? kMaxRowHeight : std::min((innerHeight - headerHeight) / laneCount, kMaxRowHeight);
    layout.steps = std::max(garvo::kStepsPerBar * pattern.bars, garvo::kStepsPerBar);
    layout.stepWidth = std::max(width - 174.0f, 0.0f) / static_cast<float>(layout.steps);
    return layout;
}

namespace
{
bool isRow(const LaneGrid::Layout& layout, int row)
{
    return row >= 0 && row < static_cast<int>(layout.lanes.size());
}

float rowY(const LaneGrid::Layout& layout, int row)
{
    return layout.rowTop + static_cast<float>(row) * layout.rowHeight;
}
} // namespace

juce::Rectangle<float> LaneGrid::muteDotAt(const Layout& layout, int row)
{
    if (!isRow(layout, row))
        return {};
    return {16.0f, rowY(layout, row) + (layout.rowHeight - 13.0f) / 2.0f, 13.0f, 13.0f};
}

juce::Rectangle<float> LaneGrid::loadTagAt(const Layout& layout, int row)
{
    if (!isRow(layout, row))
        return {};
    return {116.0f, rowY(layout, row) + (layout.rowHeight - 17.0f) / 2.0f, 40.0f, 17.0f};
}

juce::Rectangle<float> LaneGrid::variationStripAt(const Layout& layout, int row)
{
    if (!isRow(layout, row) || layout.rowHeight < kMinStripRowHeight)
        return {};
    return {38.0f, rowY(layout, row) + layout.rowHeight - 11.0f, 72.0f, 8.0f};
}

int LaneGrid::laneRowAt(const Layout& layout, float y)
{
    if (layout.lanes.empty())
        return -1;
    const auto row = static_cast<int>(std::floor((y - layout.rowTop) / layout.rowHeight));
    return isRow(layout, row) ? row : -1;
}

int LaneGrid::laneRowAt(float y) const
{
    return laneRowAt(currentLayout(), y);
}

juce::Rectangle<float> LaneGrid::muteDotAt(int row) const
{
    return muteDotAt(currentLayout(), row);
}

juce::Rectangle<float> LaneGrid::loadTagAt(int row) const
{
    return loadTagAt(currentLayout(), row);
}

juce::Rectangle<float> LaneGrid::variationStripAt(int row) const
{
    return variationStripAt(currentLayout(), row);
}

void LaneGrid::paint(juce::Graphics& g)
{
    using namespace GarvoColours;
    const auto width = static_cast<float>(getWidth());
    const auto height = static_cast<float>(getHeight());

    garvo::paint::drawRecessedPanel(g, getWidth(), getHeight(), 0x59);

    const auto pattern = processor.getCurrentPatternCopy();
    const auto layout = layoutFor(pattern);
    if (layout.lanes.empty())
        return;

    g.setFont(GarvoLookAndFeel::brandFont(9.5f, true));
    g.setColour(withAlphaByte(textMuted, 0xb2));
    for (int step = 0; step < layout.steps; step += 4)
        g.drawText(juce::String(step / 4 + 1),
                   juce::Rectangle<float>(kStepsLeft + static_cast<float>(step) * layout.stepWidth, 12.0f,
                                          4.0f * layout.stepWidth, 16.0f),
                   juce::Justification::centredLeft, false);

    if (width - 18.0f > 18.0f)
    {
        g.setColour(withAlphaByte(accentDeep, 0x66));
        g.fillRect(18.0f, std::floor(layout.rowTop) - 3.0f, width - 36.0f, 1.0f);
    }
    if (height - 12.0f > layout.rowTop - 2.0f)
    {
        g.setColour(withAlphaByte(accentDeep, 0x47));
        g.fillRect(159.0f, layout.rowTop - 2.0f, 1.0f, height - 12.0f - (layout.rowTop - 2.0f));
    }

    const auto rows = static_cast<int>(layout.lanes.size());
    for (int row = 0; row < rows; ++row)
        paintRowControls(g, layout, row);
    // Rows never overlap, so drawing every row's cells before every row's hits looks the same as
    // row by row, and lets thousands of cells go through the renderer as three shapes.
    paintStepCells(g, layout);
    paintAllHits(g, pattern, layout);
}

namespace
{
// One row of step cells with its top at `top`.
void drawCellRow(juce::Graphics& g, const LaneGrid::Layout& layout, float top)
{
    juce::Path beatCells;
    juce::Path otherCells;
    juce::Path outlines;
    // An outline of thickness t is the ring between the shape grown and shrunk by t / 2.
    outlines.setUsingNonZeroWinding(false);
    constexpr float corner = 2.5f;
    constexpr float halfLine = 0.3f;
    for (int step = 0; step < layout.steps; ++step)
    {
        const juce::Rectangle<float> cell(LaneGrid::kStepsLeft + static_cast<float>(step) * layout.stepWidth + 1.5f,
                                          top + 3.0f, layout.stepWidth - 3.0f, layout.rowHeight - 6.0f);
        if (cell.isEmpty())
            continue;
        (step % 4 == 0 ? beatCells : otherCells).addRoundedRectangle(cell, corner);
        outlines.addRoundedRectangle(cell.expanded(halfLine), corner + halfLine);
        outlines.addRoundedRectangle(cell.reduced(halfLine), corner - halfLine);
    }
    g.setColour(GarvoColours::panelLight);
    g.fillPath(beatCells);
    g.setColour(GarvoColours::panel);
    g.fillPath(otherCells);
    g.setColour(withAlphaByte(juce::Colours::black, 0x59));
    g.fillPath(outlines);
}
} // namespace

void LaneGrid::paintStepCells(juce::Graphics& g, const Layout& layout) const
{
    // Every row holds the same cells; only its top differs. So one row is drawn into a picture
    // and stamped onto each row, once per quarter-pixel position a row top can take, which
    // keeps a full eight-bar grid of twenty lanes (2560 cells) within a fraction of the paint
    // time. Compositing a stamp gives the same pixels as drawing its cells in place. The stamps
    // depend on the geometry alone, never on the pattern, so they are kept until it changes.
    const auto scale = std::max(g.getInternalContext().getPhysicalPixelScaleFactor(), 0.01f);
    // The stamp holds only the cells: from just left of the step grid, and from 2 pixels below
    // the row top (the cells begin 3 below it) to 1 above the row bottom.
    const auto stampLeft = std::floor((kStepsLeft - 2.0f) * scale);
    const auto stampTop = std::floor(2.0f * scale);
    const auto stampWidth = static_cast<int>(std::ceil(static_cast<float>(getWidth()) * scale) - stampLeft);
    const auto stampHeight = static_cast<int>(std::ceil((layout.rowHeight - 2.0f) * scale));
    if (stampWidth <= 0 || stampHeight <= 0)
        return;

    if (cellStamps.width != stampWidth || cellStamps.steps != layout.steps ||
        cellStamps.rowHeight != layout.rowHeight || cellStamps.scale != scale)
        cellStamps = {stampWidth, layout.steps, layout.rowHeight, scale, {}};
    auto& stamps = cellStamps.images;
    for (int row = 0; row < static_cast<int>(layout.lanes.size()); ++row)
    {
        const auto physicalTop = rowY(layout, row) * scale;
        auto pixelTop = std::floor(physicalTop);
        auto offset = static_cast<int>(std::lround((physicalTop - pixelTop) * kSubPixelSteps));
        if (offset == kSubPixelSteps)
        {
            pixelTop += 1.0f;
            offset = 0;
        }
        auto& stamp = stamps[static_cast<size_t>(offset)];
        if (!stamp.isValid())
        {
            stamp = juce::Image(juce::Image::ARGB, stampWidth, stampHeight, true);
            juce::Graphics stampGraphics(stamp);
            stampGraphics.addTransform(juce::AffineTransform::scale(scale).translated(-stampLeft, -stampTop));
            drawCellRow(stampGraphics, layout, static_cast<float>(offset) / (kSubPixelSteps * scale));
        }
        g.drawImageTransformed(stamp,
                               juce::AffineTransform::translation(stampLeft, pixelTop + stampTop).scaled(1.0f / scale));
    }
}

void LaneGrid::paintRowControls(juce::Graphics& g, const Layout& layout, int row) const
{
    using namespace GarvoColours;
    const auto element = layout.lanes[static_cast<size_t>(row)];
    const auto slot = elementSlot(element);
    const auto colour = laneColours()[static_cast<size_t>(row % 5)];
    const auto muted = processor.muted[static_cast<size_t>(slot)].load();
    const auto width = static_cast<float>(getWidth());
    const auto y = rowY(layout, row);
    const auto rowHeight = layout.rowHeight;

    if (row % 2 == 1)
    {
        g.setColour(withAlphaByte(juce::Colours::white, 0x04));
        g.fillRect(16.0f, y, width - 32.0f, rowHeight);
    }
    const juce::Rectangle<float> rowBand(16.0f, y + 1.0f, width - 32.0f, rowHeight - 2.0f);
    if (row == hoverRow)
    {
        g.setColour(withAlphaByte(accentGlow, 0x14));
        g.fillRoundedRectangle(rowBand, 4.0f);
    }
    if (row == dropRow)
    {
        g.setColour(withAlphaByte(accent, 0x29));
        g.fillRoundedRectangle(rowBand, 4.0f);
    }

    const auto dot = muteDotAt(layout, row);
    if (muted)
    {
        g.setColour(withAlphaByte(textMuted, 0x80));
        garvo::paint::outlineEllipse(g, dot.reduced(1.0f), 1.4f);
    }
    else
    {
        g.setColour(withAlphaByte(colour, 0x59));
        g.fillEllipse(dot.expanded(2.0f));
        g.setColour(colour);
        g.fillEllipse(dot);
        g.setColour(withAlphaByte(goldHi, 0x80));
        g.fillEllipse(dot.getX() + 3.0f, dot.getY() + 2.5f, 3.0f, 2.5f);
    }

    const auto& kit = processor.getKit();
    const auto variationCount = kit.getElementVariationCount(element);
    const auto strip = variationStripAt(layout, row);
    const auto showsStrip = variationCount != 0 && !strip.isEmpty();

    g.setFont(GarvoLookAndFeel::brandFont(12.5f, false));
    g.setColour(muted ? withAlphaByte(textMuted, 0x80) : textWarm);
    g.drawText(
        garvo::elementDisplayName(element),
        juce::Rectangle<int>(38, static_cast<int>(y), 72, static_cast<int>(showsStrip ? rowHeight - 10.0f : rowHeight)),
        juce::Justification::centredLeft, true);

    if (showsStrip)
    {
        const auto selected = kit.variations[static_cast<size_t>(slot)].load();
        const auto segmentWidth = strip.getWidth() / static_cast<float>(variationCount);
        for (int index = 0; index < variationCount; ++index)
        {
            const juce::Rectangle<float> segment(strip.getX() + static_cast<float>(index) * segmentWidth, strip.getY(),
                                                 std::max(segmentWidth - 2.0f, 6.0f), strip.getHeight());
            const auto isSelected = index == selected;
            g.setColour(isSelected ? withAlphaByte(colour, muted ? 0x66 : 0xf2) : panel);
            g.fillRoundedRectangle(segment, 2.0f);
            g.setColour(isSelected ? withAlphaByte(goldHi, 0xd9) : withAlphaByte(accentDeep, 0x80));
            garvo::paint::outlineRoundedRectangle(g, segment, 2.0f, isSelected ? 1.1f : 0.7f);
            g.setColour(isSelected ? withAlphaByte(juce::Colours::black, 0xd9) : textMuted);
            g.setFont(juce::Font(7.5f, isSelected ? juce::Font::bold : juce::Font::plain));
            g.drawText(juce::String(index + 1), segment.toNearestInt(), juce::Justification::centred, false);
        }
    }

    const auto tag = loadTagAt(layout, row);
    const auto hovered = row == hoverRow;
    g.setColour(hovered ? panelLight : panel);
    g.fillRoundedRectangle(tag, 4.0f);
    g.setColour(withAlphaByte(hovered ? accent : accentDeep, 0xb2));
    garvo::paint::outlineRoundedRectangle(g, tag, 4.0f, 1.0f);
    g.setFont(GarvoLookAndFeel::brandFont(8.5f, true));
    g.setColour(hovered ? accent : textMuted);
    g.drawText("LOAD", tag.toNearestInt(), juce::Justification::centred, false);
}

namespace
{
struct HitBar
{
    juce::Rectangle<float> area;
    float opacity = 1.0f;
};

// Where a hit's bar stands in its row and how opaque it is; nothing for hits outside the pattern.
std::optional<HitBar> hitBar(const garvo::Hit& hit, const LaneGrid::Layout& layout, float rowTop, bool muted)
{
    const auto step = hit.bar * garvo::kStepsPerBar + hit.step;
    if (step < 0 || step >= layout.steps)
        return std::nullopt;
    const auto level = 0.3f + 0.7f * static_cast<float>(hit.velocity - 1) / 126.0f;
    const auto barHeight = level * (layout.rowHeight - 8.0f);
    const auto barBottom = rowTop + layout.rowHeight - 4.0f;
    return HitBar{{LaneGrid::kStepsLeft + static_cast<float>(step) * layout.stepWidth + 2.0f, barBottom - barHeight,
                   layout.stepWidth - 4.0f, barHeight},
                  muted ? 0.25f : (hit.choked ? 0.55f : 1.0f)};
}

bool hasSharedSteps(const std::vector<garvo::Hit>& hits, int steps)
{
    std::vector<bool> used(static_cast<size_t>(steps), false);
    for (const auto& hit : hits)
    {
        const auto step = hit.bar * garvo::kStepsPerBar + hit.step;
        if (step < 0 || step >= steps)
            continue;
        if (used[static_cast<size_t>(step)])
            return true;
        used[static_cast<size_t>(step)] = true;
    }
    return false;
}
} // namespace

void LaneGrid::paintAllHits(juce::Graphics& g, const garvo::Pattern& pattern, const Layout& layout) const
{
    // Each bar has a vertical gradient of its own. Filling 1280 small gradient shapes one by one
    // is most of a busy grid's paint time, so the gradients are written into one picture, a
    // column band per bar, and every bar of every lane is filled from it as a single shape.
    // Bars on distinct steps never overlap, so the result is the same as drawing them in turn;
    // a lane with two hits on one step (a flam) is drawn hit by hit to keep their stacking.
    const auto width = getWidth();
    const auto height = getHeight();
    if (width <= 0 || height <= 0)
        return;
    // Never cleared: the bars' outline only ever covers pixels that this paint's gradients were
    // written to, so what earlier paints left elsewhere is never read.
    if (hitShades.getWidth() != width || hitShades.getHeight() != height)
        hitShades = juce::Image(juce::Image::ARGB, width, height, false);
    auto& shades = hitShades;
    // One shape per lane: small shapes keep the renderer's scan tables small.
    std::vector<juce::Path> bars(layout.lanes.size());
    std::array<juce::Path, 2> caps; // full and choked opacity; muted lanes have none
    std::vector<int> laneByLane;
    {
        const juce::Image::BitmapData pixels(shades, juce::Image::BitmapData::readWrite);
        for (int row = 0; row < static_cast<int>(layout.lanes.size()); ++row)
        {
            const auto element = layout.lanes[static_cast<size_t>(row)];
            const auto lane = pattern.hits.find(element);
            if (lane == pattern.hits.end())
                continue;
            if (hasSharedSteps(lane->second, layout.steps))
            {
                laneByLane.push_back(row);
                continue;
            }
            const auto colour = laneColours()[static_cast<size_t>(row % 5)];
            const auto top = colour.brighter(0.25f);
            const auto bottom = colour.darker(0.25f);
            const auto muted = processor.muted[static_cast<size_t>(elementSlot(element))].load();
            for (const auto& hit : lane->second)
            {
                const auto bar = hitBar(hit, layout, rowY(layout, row), muted);
                if (!bar)
                    continue;
                const auto& area = bar->area;
                // One pixel wider than the bar on each side, so smoothing at its edges only
                // ever reads the bar's own colours.
                const auto x0 = std::max(static_cast<int>(std::floor(area.getX())) - 1, 0);
                const auto x1 = std::min(static_cast<int>(std::ceil(area.getRight())) + 1, width);
                const auto y0 = std::max(static_cast<int>(std::floor(area.getY())) - 1, 0);
                const auto y1 = std::min(static_cast<int>(std::ceil(area.getBottom())) + 1, height);
                const auto from = withOpacity(top, bar->opacity);
                const auto to = withOpacity(bottom, bar->opacity);
                for (int y = y0; y < y1; ++y)
                {
                    const auto position = std::clamp(
                        (static_cast<float>(y) + 0.5f - area.getY()) / std::max(area.getHeight(), 1e-3f), 0.0f, 1.0f);
                    const auto shade = from.interpolatedWith(to, position).getPixelARGB();
                    for (int x = x0; x < x1; ++x)
                        *reinterpret_cast<juce::PixelARGB*>(pixels.getPixelPointer(x, y)) = shade;
                }
                bars[static_cast<size_t>(row)].addRoundedRectangle(area, 2.5f);
                if (area.getHeight() > 4.0f && !muted)
                    caps[bar->opacity < 1.0f ? 1 : 0].addRoundedRectangle(area.getX(), area.getY(),
                                                                          layout.stepWidth - 4.0f, 1.6f, 1.0f);
            }
        }
    }
    g.setFillType(juce::FillType(shades, {}));
    for (const auto& laneBars : bars)
        if (!laneBars.isEmpty())
            g.fillPath(laneBars);
    constexpr std::array<float, 2> capOpacity{1.0f, 0.55f};
    for (size_t index = 0; index < caps.size(); ++index)
    {
        g.setColour(withOpacity(GarvoColours::goldHi, capOpacity[index] * 0.35f));
        g.fillPath(caps[index]);
    }
    for (const auto row : laneByLane)
        paintHits(g, pattern, layout, row);
}

void LaneGrid::paintHits(juce::Graphics& g, const garvo::Pattern& pattern, const Layout& layout, int row) const
{
    const auto element = layout.lanes[static_cast<size_t>(row)];
    const auto colour = laneColours()[static_cast<size_t>(row % 5)];
    const auto muted = processor.muted[static_cast<size_t>(elementSlot(element))].load();
    const auto y = rowY(layout, row);
    const auto rowHeight = layout.rowHeight;
    const auto stepWidth = layout.stepWidth;
    const auto& goldHi = GarvoColours::goldHi;

    const auto lane = pattern.hits.find(element);
    if (lane == pattern.hits.end())
        return;
    const auto top = colour.brighter(0.25f);
    const auto bottom = colour.darker(0.25f);

    // The thin gold caps are collected and filled together, which is what makes a busy lane
    // cheap to draw. Bars on distinct steps never overlap, so the order only matters when a
    // step holds a second hit (a flam): the caps so far are drawn before that bar.
    juce::Path caps;
    float capOpacity = 1.0f;
    std::vector<bool> stepUsed(static_cast<size_t>(layout.steps), false);
    const auto drawCaps = [&]
    {
        if (caps.isEmpty())
            return;
        g.setColour(withOpacity(goldHi, capOpacity * 0.35f));
        g.fillPath(caps);
        caps.clear();
    };

    for (const auto& hit : lane->second)
    {
        const auto step = hit.bar * garvo::kStepsPerBar + hit.step;
        if (step < 0 || step >= layout.steps)
            continue;
        const auto opacity = muted ? 0.25f : (hit.choked ? 0.55f : 1.0f);
        if (stepUsed[static_cast<size_t>(step)] || opacity != capOpacity)
            drawCaps();
        stepUsed[static_cast<size_t>(step)] = true;
        capOpacity = opacity;

        const auto level = 0.3f + 0.7f * static_cast<float>(hit.velocity - 1) / 126.0f;
        const auto barHeight = level * (rowHeight - 8.0f);
        const auto barBottom = y + rowHeight - 4.0f;
        const juce::Rectangle<float> bar(kStepsLeft + static_cast<float>(step) * stepWidth + 2.0f,
                                         barBottom - barHeight, stepWidth - 4.0f, barHeight);
        g.setGradientFill(juce::ColourGradient(withOpacity(top, opacity), bar.getCentreX(), bar.getY(),
                                               withOpacity(bottom, opacity), bar.getCentreX(), bar.getBottom(), false));
        g.fillRoundedRectangle(bar, 2.5f);
        if (barHeight > 4.0f && !muted)
            caps.addRoundedRectangle(bar.getX(), bar.getY(), stepWidth - 4.0f, 1.6f, 1.0f);
    }
    drawCaps();
}

void LaneGrid::mouseMove(const juce::MouseEvent& event)
{
    const auto row = laneRowAt(event.position.y);
    if (row != hoverRow)
    {
        hoverRow = row;
        repaint();
    }
}

void LaneGrid::mouseDown(const juce::MouseEvent& event)
{
    const auto layout = currentLayout();
    const auto row = laneRowAt(layout, event.position.y);
    if (row < 0)
        return;
    const auto element = layout.lanes[static_cast<size_t>(row)];
    const auto point = event.position;

    if (loadTagAt(layout, row).expanded(3.0f).contains(point))
    {
        openSampleChooserForRow(row);
        return;
    }

    auto& kit = processor.getKit();
    const auto variationCount = kit.getElementVariationCount(element);
    const auto strip = variationStripAt(layout, row);
    if (variationCount != 0 && !strip.isEmpty() && strip.expanded(0.0f, 4.0f).contains(point))
    {
        const auto segmentWidth = strip.getWidth() / static_cast<float>(variationCount);
        auto index = static_cast<int>((point.x - strip.getX()) / segmentWidth);
        index = std::min(std::clamp(index, 0, variationCount - 1), garvo::kNumVariations - 1);
        kit.variations[static_cast<size_t>(elementSlot(element))].store(index);
        repaint();
        return;
    }

    if (muteDotAt(layout, row).expanded(3.0f).contains(point))
    {
        auto& flag = processor.muted[static_cast<size_t>(elementSlot(element))];
        flag.store(!flag.load());
        repaint();
    }
}

void LaneGrid::mouseDrag(const juce::MouseEvent& event)
{
    if (dragInProgress || event.getDistanceFromDragStart() < 10)
        return;
    const auto layout = currentLayout();
    const auto downAt = event.getMouseDownPosition();
    const auto row = laneRowAt(layout, static_cast<float>(downAt.y));
    if (row < 0)
        return;
    const auto downPoint = downAt.toFloat();
    if (muteDotAt(layout, row).expanded(3.0f).contains(downPoint) ||
        loadTagAt(layout, row).expanded(3.0f).contains(downPoint))
        return;
    startLaneDragOut(layout.lanes[static_cast<size_t>(row)]);
}

void LaneGrid::startLaneDragOut(garvo::Element element)
{
    const auto result = garvo::exportLaneDragFile(dragOutFolder, processor.getCurrentPatternCopy(),
                                                  processor.liveKitSnapshot(), element, dragAsWav);
    if (result.written.empty())
    {
        // Nothing to drag: either the lane had nothing to write or the file could not be written.
        if (!result.succeeded() && onDragOutFailure)
            onDragOutFailure(result);
        return;
    }
    dragInProgress = true;
    const juce::WeakReference<LaneGrid> self(this);
    const auto started = startExternalDrag(result.written.front(),
                                           [self]
                                           {
                                               if (self != nullptr)
                                                   self->dragInProgress = false;
                                           });
    if (!started)
        dragInProgress = false;
}

juce::String LaneGrid::sampleChooserTitle(garvo::Element element)
{
    return juce::String("Load a sample for ") + garvo::elementName(element);
}

void LaneGrid::openSampleChooserForRow(int row)
{
    const auto lanes = activeLanes();
    if (row < 0 || row >= static_cast<int>(lanes.size()))
        return;
    const auto element = lanes[static_cast<size_t>(row)];
    sampleChooserTitleText = sampleChooserTitle(element);
    sampleChooser = std::make_unique<juce::FileChooser>(sampleChooserTitleText,
                                                        juce::File::getSpecialLocation(juce::File::userMusicDirectory),
                                                        "*.wav;*.aif;*.aiff;*.flac", true);
    const juce::WeakReference<LaneGrid> self(this);
    launchChooser(*sampleChooser,
                  [self, element](const juce::FileChooser& chooser)
                  {
                      const auto file = chooser.getResult();
                      if (self == nullptr || !file.existsAsFile())
                          return;
                      self->processor.loadUserSampleFile(element, file);
                      self->repaint();
                  });
}

bool LaneGrid::hasAudioExtension(const juce::String& path)
{
    return std::any_of(kAudioExtensions.begin(), kAudioExtensions.end(),
                       [&path](const char* extension) { return path.endsWithIgnoreCase(extension); });
}

std::optional<juce::File> LaneGrid::firstAudioFile(const juce::StringArray& files)
{
    for (const auto& path : files)
        if (hasAudioExtension(path))
            return juce::File(path);
    return std::nullopt;
}

bool LaneGrid::isInterestedInFileDrag(const juce::StringArray& files)
{
    return firstAudioFile(files).has_value();
}

void LaneGrid::fileDragEnter(const juce::StringArray&, int, int y)
{
    dropRow = laneRowAt(static_cast<float>(y));
    repaint();
}

void LaneGrid::fileDragMove(const juce::StringArray&, int, int y)
{
    const auto row = laneRowAt(static_cast<float>(y));
    if (row != dropRow)
    {
        dropRow = row;
        repaint();
    }
}

void LaneGrid::fileDragExit(const juce::StringArray&)
{
    dropRow = -1;
    repaint();
}

void LaneGrid::filesDropped(const juce::StringArray& files, int, int y)
{
    const auto layout = currentLayout();
    const auto row = laneRowAt(layout, static_cast<float>(y));
    dropRow = -1;
    // Several files may arrive together; the first one that is audio is the sample meant.
    if (const auto file = firstAudioFile(files); row >= 0 && file.has_value())
        processor.loadUserSampleFile(layout.lanes[static_cast<size_t>(row)], *file);
    repaint();
}
