#pragma once

#include "plugin/GarvoColours.h"

#include <juce_gui_basics/juce_gui_basics.h>

// The interface's look: palette colours on the standard widgets, gold-lit buttons, and rotary
// knobs drawn from the embedded filmstrips. It holds no state, so one instance may serve any
// number of components.
class GarvoLookAndFeel : public juce::LookAndFeel_V4
{
public:
    static constexpr int kKnobFrames = 128;
    static constexpr float kInsetPanelCorner = 10.0f;

    GarvoLookAndFeel();
    ~GarvoLookAndFeel() override;

    // Every text of the interface is set in the system's sans-serif face through this one rule.
    static juce::Font brandFont(float height, bool bold);

    // The raised, rounded panel behind groups of controls.
    static void drawInsetPanel(juce::Graphics& g, juce::Rectangle<float> area);

    // The filmstrip frame that shows a knob at this proportion of its range (0 to 1).
    static int knobFrameIndex(float proportion) noexcept;
    // Knobs with a radius of at least this draw from the large filmstrip, smaller ones from the small.
    static constexpr float kLargeKnobMinRadius = 30.0f;
    // The decoded filmstrips, decoded on first use and kept for the life of the process;
    // an invalid image when the embedded picture cannot be decoded.
    static const juce::Image& knobFilmstrip(bool large);

    void drawButtonBackground(juce::Graphics& g, juce::Button& button, const juce::Colour& backgroundColour,
                              bool shouldDrawButtonAsHighlighted, bool shouldDrawButtonAsDown) override;
    void drawButtonText(juce::Graphics& g, juce::TextButton& button, bool shouldDrawButtonAsHighlighted,
                        bool shouldDrawButtonAsDown) override;
    void drawComboBox(juce::Graphics& g, int width, int height, bool isButtonDown, int buttonX, int buttonY,
                      int buttonW, int buttonH, juce::ComboBox& box) override;
    juce::Font getComboBoxFont(juce::ComboBox& box) override;
    void positionComboBoxText(juce::ComboBox& box, juce::Label& label) override;
    juce::Font getLabelFont(juce::Label& label) override;
    void drawRotarySlider(juce::Graphics& g, int x, int y, int width, int height, float sliderPosProportional,
                          float rotaryStartAngle, float rotaryEndAngle, juce::Slider& slider) override;

private:
    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR(GarvoLookAndFeel)
};
