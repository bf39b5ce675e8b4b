#pragma once

#include "plugin/GarvoColours.h"

#include <algorithm>
#include <cmath>
#include <juce_graphics/juce_graphics.h>

// Outlines as filled rings. A stroke of thickness t covers exactly the ring between the shape
// grown and shrunk by t / 2; filling that ring gives the same pixels without building a stroke,
// which is the costly part of drawing the many small outlines of the interface.
namespace garvo::paint
{
inline void outlineRoundedRectangle(juce::Graphics& g, juce::Rectangle<float> area, float corner, float thickness)
{
    if (area.isEmpty() || thickness <= 0.0f)
        return;
    const auto half = thickness / 2.0f;
    juce::Path ring;
    ring.setUsingNonZeroWinding(false);
    ring.addRoundedRectangle(area.expanded(half), corner + half);
    if (const auto inner = area.reduced(half); !inner.isEmpty())
        ring.addRoundedRectangle(inner, std::max(corner - half, 0.0f));
    g.fillPath(ring);
}

// Fills `area`, rounded by `corner`, with the vertical two-colour gradient that runs from `top`
// at y = topY to `bottom` at y = bottomY. Such a gradient is one colour along each pixel row, so
// the straight middle of the shape is filled row by row with plain colour, which the software
// renderer does several times faster than a gradient; only the rounded ends go through the
// gradient fill. The rows meet the ends on whole pixels, so no pixel is covered twice.
inline void fillVerticalGradient(juce::Graphics& g, juce::Rectangle<float> area, float corner, juce::Colour top,
                                 float topY, juce::Colour bottom, float bottomY)
{
    if (area.isEmpty())
        return;
    const juce::ColourGradient gradient(top, 0.0f, topY, bottom, 0.0f, bottomY, false);
    const auto band = std::clamp(corner, 0.0f, area.getHeight() / 2.0f);
    const auto firstRow = static_cast<int>(std::ceil(area.getY() + band));
    const auto endRow = static_cast<int>(std::floor(area.getBottom() - band));

    if (band > 0.0f || firstRow >= endRow)
    {
        const juce::Graphics::ScopedSaveState state(g);
        if (firstRow < endRow)
            g.excludeClipRegion({static_cast<int>(std::floor(area.getX())) - 1, firstRow,
                                 static_cast<int>(std::ceil(area.getWidth())) + 2, endRow - firstRow});
        g.setGradientFill(gradient);
        g.fillRoundedRectangle(area, corner);
    }
    const auto span = bottomY - topY;
    // Whole-pixel sides need no edge smoothing, which makes each row a plain run of pixels.
    const auto left = static_cast<int>(area.getX());
    const auto right = static_cast<int>(area.getRight());
    const auto wholePixels = static_cast<float>(left) == area.getX() && static_cast<float>(right) == area.getRight();
    for (auto row = firstRow; row < endRow; ++row)
    {
        const auto position = span != 0.0f ? (static_cast<float>(row) + 0.5f - topY) / span : 0.0f;
        g.setColour(gradient.getColourAtPosition(static_cast<double>(std::clamp(position, 0.0f, 1.0f))));
        if (wholePixels)
            g.fillRect(left, row, right - left, 1);
        else
            g.fillRect(juce::Rectangle<float>(area.getX(), static_cast<float>(row), area.getWidth(), 1.0f));
    }
}

inline void outlineEllipse(juce::Graphics& g, juce::Rectangle<float> area, float thickness)
{
    if (area.isEmpty() || thickness <= 0.0f)
        return;
    const auto half = thickness / 2.0f;
    juce::Path ring;
    ring.setUsingNonZeroWinding(false);
    ring.addEllipse(area.expanded(half));
    if (const auto inner = area.reduced(half); !inner.isEmpty())
        ring.addEllipse(inner);
    g.fillPath(ring);
}
// The recessed panel behind the lane grid and the morph pad, filling a component of the given size:
// a soft shadow under the lower corners, the dark vertical gradient and a two-line rim whose inner,
// gold line has the given alpha.
inline void drawRecessedPanel(juce::Graphics& g, int componentWidth, int componentHeight, juce::uint8 innerRimAlpha)
{
    using namespace GarvoColours;
    const auto width = static_cast<float>(componentWidth);
    const auto height = static_cast<float>(componentHeight);
    {
        // The opaque body hides the shadow everywhere but around its rounded lower corners.
        const juce::Graphics::ScopedSaveState state(g);
        g.excludeClipRegion({10, 0, componentWidth - 20, componentHeight});
        g.excludeClipRegion({0, 0, componentWidth, componentHeight - 10});
        g.setColour(withAlphaByte(juce::Colours::black, 0x73));
        g.fillRoundedRectangle(0.0f, 1.5f, width, height, 10.0f);
    }
    fillVerticalGradient(g, {0.0f, 0.0f, width, height}, 10.0f, juce::Colour(0xff0c0e12), 0.0f, panelRecess, height);
    g.setColour(withAlphaByte(juce::Colours::black, 0x99));
    outlineRoundedRectangle(g, {0.5f, 0.5f, std::max(0.0f, width - 1.0f), std::max(0.0f, height - 1.0f)}, 10.0f, 1.0f);
    g.setColour(withAlphaByte(accentDeep, innerRimAlpha));
    outlineRoundedRectangle(g, {1.4f, 1.4f, std::max(0.0f, width - 2.8f), std::max(0.0f, height - 2.8f)}, 9.0f, 1.0f);
}

} // namespace garvo::paint
