#include "plugin/GarvoLookAndFeel.h"

#include "BinaryData.h"
#include "plugin/GarvoPaint.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace
{
juce::Image decodeFilmstrip(const void* data, int size)
{
    return juce::ImageFileFormat::loadFrom(data, static_cast<size_t>(size));
}

juce::Path arcPath(float cx, float cy, float radius, float fromAngle, float toAngle)
{
    juce::Path arc;
    arc.addCentredArc(cx, cy, radius, radius, 0.0f, fromAngle, toAngle, true);
    return arc;
}

juce::Rectangle<int> largestIntegerWithin(juce::Rectangle<float> area)
{
    const auto left = static_cast<int>(std::ceil(area.getX()));
    const auto top = static_cast<int>(std::ceil(area.getY()));
    const auto right = static_cast<int>(std::floor(area.getRight()));
    const auto bottom = static_cast<int>(std::floor(area.getBottom()));
    return {left, top, std::max(right - left, 0), std::max(bottom - top, 0)};
}

void fillCircle(juce::Graphics& g, float cx, float cy, float radius)
{
    g.fillEllipse(cx - radius, cy - radius, radius * 2.0f, radius * 2.0f);
}
} // namespace

GarvoLookAndFeel::GarvoLookAndFeel()
{
    using namespace GarvoColours;
    setColour(juce::ResizableWindow::backgroundColourId, bgBottom);
    setColour(juce::Label::textColourId, textWarm);
    setColour(juce::DocumentWindow::textColourId, textWarm);
    setColour(juce::ComboBox::backgroundColourId, panelLight);
    setColour(juce::ComboBox::textColourId, textWarm);
    setColour(juce::ComboBox::outlineColourId, accentDeep);
    setColour(juce::ComboBox::arrowColourId, accent);
    setColour(juce::PopupMenu::backgroundColourId, panel);
    setColour(juce::PopupMenu::textColourId, textWarm);
    setColour(juce::PopupMenu::highlightedBackgroundColourId, accentDeep);
    setColour(juce::PopupMenu::highlightedTextColourId, textWarm);
    setColour(juce::TextButton::buttonColourId, panelLight);
    setColour(juce::TextButton::textColourOffId, textMuted);
    setColour(juce::TextButton::textColourOnId, accent);
}

GarvoLookAndFeel::~GarvoLookAndFeel() = default;

juce::Font GarvoLookAndFeel::brandFont(float height, bool bold)
{
    return juce::Font(juce::Font::getDefaultSansSerifFontName(), height, bold ? juce::Font::bold : juce::Font::plain);
}

void GarvoLookAndFeel::drawInsetPanel(juce::Graphics& g, juce::Rectangle<float> area)
{
    using namespace GarvoColours;
    constexpr auto corner = kInsetPanelCorner;

    {
        // The opaque body hides the shadow everywhere but along its lower edge and corners.
        const juce::Graphics::ScopedSaveState state(g);
        g.excludeClipRegion(largestIntegerWithin(area.reduced(corner, 0.0f)));
        g.excludeClipRegion(largestIntegerWithin(area.withTrimmedBottom(corner)));
        g.setColour(juce::Colours::black.withAlpha(static_cast<juce::uint8>(0x66)));
        g.fillRoundedRectangle(area.translated(0.0f, 1.5f), corner);
    }

    garvo::paint::fillVerticalGradient(g, area, corner, panelLight, area.getY(), panel.darker(0.15f), area.getBottom());

    auto upper = area.reduced(0.6f);
    upper.setHeight(std::max(0.0f, upper.getHeight() - area.getHeight() / 2.0f));
    g.setColour(juce::Colours::white.withAlpha(static_cast<juce::uint8>(0x08)));
    garvo::paint::outlineRoundedRectangle(g, upper, corner, 1.0f);

    g.setColour(accentDeep.withAlpha(static_cast<juce::uint8>(0x59)));
    garvo::paint::outlineRoundedRectangle(g, area.reduced(0.5f), corner, 1.0f);
}

int GarvoLookAndFeel::knobFrameIndex(float proportion) noexcept
{
    // Halves round away from zero, so the middle of the range lands on the frame pointing straight up.
    const auto index = std::lround(proportion * static_cast<float>(kKnobFrames - 1));
    return static_cast<int>(std::clamp(index, 0L, static_cast<long>(kKnobFrames - 1)));
}

const juce::Image& GarvoLookAndFeel::knobFilmstrip(bool large)
{
    static const juce::Image largeStrip = decodeFilmstrip(BinaryData::knob_large_png, BinaryData::knob_large_pngSize);
    static const juce::Image smallStrip = decodeFilmstrip(BinaryData::knob_small_png, BinaryData::knob_small_pngSize);
    return large ? largeStrip : smallStrip;
}

void GarvoLookAndFeel::drawButtonBackground(juce::Graphics& g, juce::Button& button, const juce::Colour&,
                                            bool shouldDrawButtonAsHighlighted, bool shouldDrawButtonAsDown)
{
    using namespace GarvoColours;
    const auto width = static_cast<float>(button.getWidth());
    const auto height = static_cast<float>(button.getHeight());
    const auto bounds = button.getLocalBounds().toFloat();
    const auto r = bounds.withSizeKeepingCentre(std::max(0.0f, bounds.getWidth() - 2.0f),
                                                std::max(0.0f, bounds.getHeight() - 2.0f));
    const auto on = button.getToggleState();
    constexpr auto corner = 4.0f;

    g.setGradientFill(juce::ColourGradient(on ? panelLight.brighter(0.05f) : panel, r.getCentreX(), r.getY(),
                                           shouldDrawButtonAsDown ? slot : panel.darker(0.2f), r.getCentreX(),
                                           r.getBottom(), false));
    g.fillRoundedRectangle(r, corner);

    juce::Colour outline;
    float outlineThickness = 0.0f;
    juce::uint8 highlightAlpha = 0;
    if (on)
    {
        g.setColour(accent.withAlpha(static_cast<juce::uint8>(0x47)));
        g.fillRoundedRectangle(r, corner);
        g.setColour(accent.withAlpha(static_cast<juce::uint8>(0x2e)));
        garvo::paint::outlineRoundedRectangle(g, r.expanded(1.2f), 4.9f, 1.2f);
        g.setColour(accent.withAlpha(static_cast<juce::uint8>(0x1f)));
        garvo::paint::outlineRoundedRectangle(g, r.expanded(0.8f), 4.6f, 1.2f);
        g.setColour(accent.withAlpha(static_cast<juce::uint8>(0x0f)));
        garvo::paint::outlineRoundedRectangle(g, r.expanded(0.4f), 4.3f, 1.2f);
        outline = accent.withAlpha(static_cast<juce::uint8>(0xcc));
        outlineThickness = 1.2f;
        highlightAlpha = 0x2e;
    }
    else
    {
        if (shouldDrawButtonAsHighlighted)
        {
            g.setColour(goldHi.withAlpha(static_cast<juce::uint8>(0x1a)));
            g.fillRoundedRectangle(r, corner);
        }
        outline = juce::Colours::black.withAlpha(static_cast<juce::uint8>(0x80));
        outlineThickness = 0.8f;
        highlightAlpha = 0x0f;
    }

    g.setColour(outline);
    garvo::paint::outlineRoundedRectangle(g, r, corner, outlineThickness);
    g.setColour(goldHi.withAlpha(highlightAlpha));
    garvo::paint::outlineRoundedRectangle(g, r.reduced(1.0f), 3.0f, 0.6f);

    const auto barHeight = std::min(height, 2.4f);
    if (on)
    {
        g.setColour(accent);
        g.fillRoundedRectangle(1.0f + 0.18f * width, 1.0f + height - barHeight + 0.4f, 0.64f * width,
                               std::max(0.0f, barHeight - 0.8f), 1.0f);
    }

    if (button.getClickingTogglesState())
    {
        if (on)
        {
            const auto y = (height - barHeight) / 2.0f - 2.0f;
            g.setColour(accent.withAlpha(static_cast<juce::uint8>(0x66)));
            g.fillEllipse(5.5f, y - 2.5f, 11.0f, 11.0f);
            g.setColour(accent);
            g.fillEllipse(8.0f, y, 6.0f, 6.0f);
        }
        else
        {
            const auto y = height / 2.0f - 2.0f;
            g.setColour(textMuted.withAlpha(static_cast<juce::uint8>(0x66)));
            g.fillEllipse(8.0f, y, 6.0f, 6.0f);
        }
    }
}

void GarvoLookAndFeel::drawButtonText(juce::Graphics& g, juce::TextButton& button, bool, bool)
{
    const auto on = button.getToggleState();
    g.setColour(on ? GarvoColours::accent : GarvoColours::textWarm);
    g.setFont(brandFont(13.0f, on));
    g.drawText(button.getButtonText(), button.getLocalBounds(), juce::Justification::centred, true);
}

void GarvoLookAndFeel::drawComboBox(juce::Graphics& g, int width, int height, bool, int, int, int, int, juce::ComboBox&)
{
    using namespace GarvoColours;
    const auto r =
        juce::Rectangle<float>(0.0f, 0.0f, static_cast<float>(width), static_cast<float>(height)).reduced(0.5f);
    g.setGradientFill(
        juce::ColourGradient(panelLight, r.getCentreX(), r.getY(), slot, r.getCentreX(), r.getBottom(), false));
    g.fillRoundedRectangle(r, 5.0f);
    g.setColour(goldHi.withAlpha(static_cast<juce::uint8>(0x1a)));
    garvo::paint::outlineRoundedRectangle(g, r.reduced(1.2f), 4.0f, 0.8f);
    g.setColour(accentDeep);
    garvo::paint::outlineRoundedRectangle(g, r, 5.0f, 1.0f);

    const auto w = static_cast<float>(width);
    const auto h = static_cast<float>(height);
    juce::Path arrow;
    arrow.addTriangle(w - 20.0f, h / 2.0f - 2.0f, w - 12.0f, h / 2.0f - 2.0f, w - 16.0f, h / 2.0f + 3.0f);
    g.setColour(accent);
    g.fillPath(arrow);
}

juce::Font GarvoLookAndFeel::getComboBoxFont(juce::ComboBox&)
{
    return brandFont(13.0f, false);
}

void GarvoLookAndFeel::positionComboBoxText(juce::ComboBox& box, juce::Label& label)
{
    label.setBounds(10, 0, box.getWidth() - 30, box.getHeight());
    label.setFont(brandFont(13.0f, false));
    label.setJustificationType(juce::Justification::centredLeft);
}

juce::Font GarvoLookAndFeel::getLabelFont(juce::Label&)
{
    return brandFont(13.0f, false);
}

void GarvoLookAndFeel::drawRotarySlider(juce::Graphics& g, int x, int y, int width, int height,
                                        float sliderPosProportional, float rotaryStartAngle, float rotaryEndAngle,
                                        juce::Slider& slider)
{
    using namespace GarvoColours;
    const auto area = juce::Rectangle<int>(x, y, width, height).toFloat();
    const auto inner =
        area.withSizeKeepingCentre(std::max(0.0f, area.getWidth() - 8.0f), std::max(0.0f, area.getHeight() - 8.0f));
    const auto cx = inner.getCentreX();
    const auto cy = inner.getCentreY();
    const auto radius = std::min(inner.getWidth(), inner.getHeight()) / 2.0f;
    const auto angle = rotaryStartAngle + sliderPosProportional * (rotaryEndAngle - rotaryStartAngle);
    const auto enabled = slider.isEnabled();
    const auto hot = slider.isMouseButtonDown() || slider.isMouseOverOrDragging();
    const auto hotAndEnabled = hot && enabled;

    // Well.
    g.setGradientFill(juce::ColourGradient(slot, cx, cy - radius, panel.darker(0.15f), cx, cy + radius, false));
    fillCircle(g, cx, cy, radius);
    g.setColour(juce::Colours::black.withAlpha(static_cast<juce::uint8>(0x8c)));
    garvo::paint::outlineEllipse(g, {cx - radius, cy - radius, radius * 2.0f, radius * 2.0f}, 1.2f);

    // Track and value arc.
    const juce::PathStrokeType arcStroke(3.0f, juce::PathStrokeType::curved, juce::PathStrokeType::rounded);
    g.setColour(slot.brighter(0.06f));
    g.strokePath(arcPath(cx, cy, radius - 2.0f, rotaryStartAngle, rotaryEndAngle), arcStroke);

    const auto q = std::clamp(sliderPosProportional, 0.0f, 1.0f);
    if (enabled && q > 0.004f)
    {
        const auto intensity = 0.6f + 0.4f * q + (hot ? 0.2f : 0.0f);
        const auto valueArc = arcPath(cx, cy, radius - 2.0f, rotaryStartAngle, angle);
        g.setColour(accent.withAlpha(std::min(intensity, 0.98f)));
        g.strokePath(valueArc, arcStroke);
        g.setColour(accent.brighter(0.5f).withAlpha(std::min(intensity, 0.85f)));
        g.strokePath(valueArc, juce::PathStrokeType(1.2f, juce::PathStrokeType::curved, juce::PathStrokeType::rounded));
    }

    const auto knobRadius = 0.94f * radius;

    if (hotAndEnabled)
    {
        constexpr std::array<std::pair<float, juce::uint8>, 4> glow{
            {{8.0f, 0x03}, {6.0f, 0x04}, {4.0f, 0x06}, {2.0f, 0x0b}}};
        for (const auto& [extra, alpha] : glow)
        {
            g.setColour(accent.withAlpha(alpha));
            fillCircle(g, cx, cy, radius + extra);
        }
    }

    const auto& strip = knobFilmstrip(knobRadius >= kLargeKnobMinRadius);
    if (strip.isValid())
    {
        const auto frameHeight = strip.getHeight() / kKnobFrames;
        const auto frame = strip.getClippedImage(
            {0, knobFrameIndex(sliderPosProportional) * frameHeight, strip.getWidth(), frameHeight});
        const auto side = knobRadius * 2.0f;
        const juce::Graphics::ScopedSaveState state(g);
        g.setOpacity(enabled ? 1.0f : 0.45f);
        g.setImageResamplingQuality(juce::Graphics::highResamplingQuality);
        g.drawImageTransformed(frame, juce::AffineTransform::scale(side / static_cast<float>(frame.getWidth()),
                                                                   side / static_cast<float>(frame.getHeight()))
                                          .translated(cx - knobRadius, cy - knobRadius));
    }
    else
    {
        // Without the artwork a plain metal knob keeps the control usable.
        const auto bodyRadius = 0.66f * radius;
        g.setGradientFill(juce::ColourGradient(metalHi, cx, cy - bodyRadius, metalDeep, cx, cy + bodyRadius, false));
        fillCircle(g, cx, cy, bodyRadius);
        juce::Path pointer;
        pointer.addRoundedRectangle(-1.5f, 2.0f - bodyRadius, 3.0f, 0.6f * bodyRadius, 1.5f);
        g.setColour(accentGlow);
        g.fillPath(pointer, juce::AffineTransform::rotation(angle).translated(cx, cy));
        return;
    }

    if (hotAndEnabled)
    {
        g.setColour(juce::Colours::white.withAlpha(static_cast<juce::uint8>(0x1a)));
        garvo::paint::outlineEllipse(
            g, juce::Rectangle<float>((knobRadius + 1.8f) * 2.0f, (knobRadius + 1.8f) * 2.0f).withCentre({cx, cy}),
            1.4f);
    }
}
