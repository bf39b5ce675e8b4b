#pragma once

#include "kit/DrumLibrary.h"
#include "support/DrumTreeFixture.h"

#include <cstdlib>
#include <initializer_list>
#include <juce_gui_basics/juce_gui_basics.h>
#include <utility>

namespace garvo::test
{
// Mouse events as the framework would deliver them, for components that are never on screen.
inline juce::MouseEvent mouseEventAt(juce::Component& component, juce::Point<float> position,
                                     juce::Point<float> downPosition, bool dragged)
{
    const auto now = juce::Time::getCurrentTime();
    return juce::MouseEvent(juce::Desktop::getInstance().getMainMouseSource(), position,
                            juce::ModifierKeys(juce::ModifierKeys::leftButtonModifier), 0.0f, 0.0f, 0.0f, 0.0f, 0.0f,
                            &component, &component, now, downPosition, now, 1, dragged);
}

inline void clickAt(juce::Component& component, juce::Point<float> position)
{
    component.mouseDown(mouseEventAt(component, position, position, false));
}

inline void moveTo(juce::Component& component, juce::Point<float> position)
{
    component.mouseMove(mouseEventAt(component, position, position, false));
}

// A press at `from` followed by one drag event at `to`.
inline void dragFrom(juce::Component& component, juce::Point<float> from, juce::Point<float> to)
{
    component.mouseDown(mouseEventAt(component, from, from, false));
    component.mouseDrag(mouseEventAt(component, to, from, true));
}

// Clicks a button the way a user does and lets the click arrive.
inline void clickButton(juce::Button& button)
{
    button.triggerClick();
    juce::MessageManager::getInstance()->runDispatchLoopUntil(20);
}

inline juce::Image renderComponent(juce::Component& component)
{
    return component.createComponentSnapshot(component.getLocalBounds(), true, 1.0f);
}

// True when every channel of the two colours differs by at most `tolerance`.
inline bool coloursClose(juce::Colour actual, juce::Colour expected, int tolerance = 2)
{
    const auto near = [tolerance](int a, int b) { return std::abs(a - b) <= tolerance; };
    return near(actual.getRed(), expected.getRed()) && near(actual.getGreen(), expected.getGreen()) &&
           near(actual.getBlue(), expected.getBlue()) && near(actual.getAlpha(), expected.getAlpha());
}

// `overlay` painted over an opaque `base`, as the renderer blends a translucent fill.
inline juce::Colour blended(juce::Colour base, juce::Colour overlay)
{
    return base.overlaidWith(overlay);
}

// A drum tree with one kit folder holding `count` variations for each element folder given.
inline void writeDrumTree(const juce::File& root, const juce::String& kitFolder,
                          std::initializer_list<std::pair<Element, int>> variationCounts)
{
    for (const auto& [element, count] : variationCounts)
        for (int index = 0; index < count; ++index)
            addDrumSample(root, kitFolder, drumTreeFolderForElement(element),
                          juce::String(elementName(element)) + juce::String(index + 1) + ".wav", 0.1f, 64);
}
} // namespace garvo::test
