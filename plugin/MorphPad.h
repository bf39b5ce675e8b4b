#pragma once

#include <array>
#include <functional>
#include <juce_gui_basics/juce_gui_basics.h>

// The two-dimensional pad that blends four corner genres. It only reports positions (0 to 1 on
// both axes, y growing downward); the editor hands them to the processor, which does the blend.
class MorphPad : public juce::Component
{
public:
    struct Dominant
    {
        int corner = 0;      // 0 top left, 1 top right, 2 bottom left, 3 bottom right
        float weight = 0.0f; // that corner's share, 0.25 to 1
    };

    MorphPad();
    ~MorphPad() override;

    void mouseDown(const juce::MouseEvent& event) override;
    void mouseDrag(const juce::MouseEvent& event) override;
    void paint(juce::Graphics& g) override;

    // The corner shares at a position, in corner order; the processor's morph uses the same.
    static std::array<float, 4> cornerWeights(float x, float y) noexcept;
    // The corner with the largest share; ties go to the lower corner number.
    static Dominant dominantCorner(float x, float y) noexcept;
    // The readout under the puck, for example "25%  Amapiano".
    juce::String readoutText() const;

    float getPuckX() const noexcept { return puckX; }
    float getPuckY() const noexcept { return puckY; }

    std::function<void(float x, float y)> onChange;

private:
    float puckX = 0.5f;
    float puckY = 0.5f;
    juce::StringArray cornerNames{"Amapiano", "UK Garage", "Baile Funk", "Dubstep"};

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR(MorphPad)
};
