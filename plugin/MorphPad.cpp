#include "plugin/MorphPad.h"

#include "plugin/GarvoColours.h"
#include "plugin/GarvoLookAndFeel.h"
#include "plugin/GarvoPaint.h"

#include <algorithm>
#include <cmath>

namespace
{
using GarvoColours::withAlphaByte;

constexpr float kInset = 6.0f;

void fillCircle(juce::Graphics& g, juce::Point<float> centre, float diameter)
{
    g.fillEllipse(juce::Rectangle<float>(diameter, diameter).withCentre(centre));
}
} // namespace

MorphPad::MorphPad() = default;
MorphPad::~MorphPad() = default;

std::array<float, 4> MorphPad::cornerWeights(float x, float y) noexcept
{
    return {(1.0f - x) * (1.0f - y), x * (1.0f - y), (1.0f - x) * y, x * y};
}

MorphPad::Dominant MorphPad::dominantCorner(float x, float y) noexcept
{
    const auto weights = cornerWeights(x, y);
    Dominant dominant{0, weights[0]};
    for (int corner = 1; corner < 4; ++corner)
        if (weights[static_cast<size_t>(corner)] > dominant.weight)
            dominant = {corner, weights[static_cast<size_t>(corner)]};
    return dominant;
}

juce::String MorphPad::readoutText() const
{
    const auto dominant = dominantCorner(puckX, puckY);
    return juce::String(static_cast<int>(dominant.weight * 100.0f)) + "%  " + cornerNames[dominant.corner];
}

void MorphPad::mouseDown(const juce::MouseEvent& event)
{
    mouseDrag(event);
}

void MorphPad::mouseDrag(const juce::MouseEvent& event)
{
    if (getWidth() <= 0 || getHeight() <= 0)
        return; // no area, no position
    const auto x = std::clamp(event.position.x / static_cast<float>(getWidth()), 0.0f, 1.0f);
    const auto y = std::clamp(event.position.y / static_cast<float>(getHeight()), 0.0f, 1.0f);
    puckX = x;
    puckY = y;
    if (onChange)
        onChange(x, y);
    repaint();
}

void MorphPad::paint(juce::Graphics& g)
{
    using namespace GarvoColours;
    const auto width = static_cast<float>(getWidth());
    const auto height = static_cast<float>(getHeight());

    garvo::paint::drawRecessedPanel(g, getWidth(), getHeight(), 0x73);

    const auto innerWidth = std::max(width - 2.0f * kInset, 0.0f);
    const auto innerHeight = std::max(height - 2.0f * kInset, 0.0f);
    const juce::Point<float> puck(kInset + puckX * innerWidth, kInset + puckY * innerHeight);

    if (width > 4.0f && height > 4.0f)
    {
        // Beyond its radius the glow is fully transparent, so only the square around it is filled.
        const auto glowRadius = 0.55f * innerHeight;
        const juce::Graphics::ScopedSaveState state(g);
        g.reduceClipRegion(juce::Rectangle<float>(glowRadius * 2.0f + 2.0f, glowRadius * 2.0f + 2.0f)
                               .withCentre(puck)
                               .getSmallestIntegerContainer());
        g.setGradientFill(juce::ColourGradient(withAlphaByte(accentGlow, 0x24), puck, withAlphaByte(accentGlow, 0),
                                               puck.translated(glowRadius, 0.0f), true));
        g.fillRoundedRectangle(2.0f, 2.0f, width - 4.0f, height - 4.0f, 9.0f);
    }

    g.setColour(withAlphaByte(juce::Colours::white, 0x0d));
    if (innerWidth > 0.0f)
        g.fillRect(kInset, std::floor(kInset + innerHeight / 2.0f), innerWidth, 1.0f);
    if (innerHeight > 0.0f)
        g.fillRect(std::floor(kInset + innerWidth / 2.0f), kInset, 1.0f, innerHeight);

    // Corner names sit 7 pixels inside the working area's corners.
    const auto a = static_cast<int>(std::lround(std::max(innerHeight - 14.0f, 0.0f)));
    const auto b = static_cast<int>(std::lround(std::max(innerWidth - 14.0f, 0.0f)));
    const auto nameHeight = std::min(a, 16);
    const auto nameWidth = std::min(b, 120);
    g.setColour(textMuted);
    g.setFont(GarvoLookAndFeel::brandFont(11.0f, true));
    g.drawText(cornerNames[0], 13, 13, nameWidth, nameHeight, juce::Justification::topLeft, true);
    g.drawText(cornerNames[1], 13, 13, b, nameHeight, juce::Justification::topRight, true);
    g.drawText(cornerNames[2], 13, 13 + a - nameHeight, b, nameHeight, juce::Justification::bottomLeft, true);
    g.drawText(cornerNames[3], 13, 13 + a - nameHeight, b, nameHeight, juce::Justification::bottomRight, true);

    constexpr std::array<std::pair<float, int>, 4> halo{{{42.0f, 0x3d}, {36.0f, 0x2e}, {30.0f, 0x1f}, {24.0f, 0x0f}}};
    for (const auto& [diameter, alpha] : halo)
    {
        g.setColour(withAlphaByte(accentGlow, alpha));
        fillCircle(g, puck, diameter);
    }

    g.setGradientFill(
        juce::ColourGradient(accent.brighter(0.2f), puck.x, puck.y - 9.0f, accentMid, puck.x, puck.y + 9.0f, false));
    fillCircle(g, puck, 18.0f);
    g.setColour(accentDeep);
    garvo::paint::outlineEllipse(g, juce::Rectangle<float>(18.0f, 18.0f).withCentre(puck), 1.2f);
    g.setColour(withAlphaByte(goldHi, 0xb2));
    g.fillEllipse(puck.x - 3.5f, puck.y - 4.5f, 4.0f, 3.0f);

    const auto readoutBand = std::min(a, 30);
    g.setColour(accent);
    g.setFont(GarvoLookAndFeel::brandFont(12.5f, true));
    g.drawText(readoutText(), 13, 13 + a - readoutBand, b, std::max(readoutBand - 14, 0), juce::Justification::centred,
               true);
}
