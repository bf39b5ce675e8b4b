#pragma once

#include <algorithm>
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
} // namespace garvo::paint
