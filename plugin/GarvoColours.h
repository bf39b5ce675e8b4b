#pragma once

#include <juce_graphics/juce_graphics.h>

// The one palette of the interface: dark surfaces, warm gold accents and five lane colours.
// The processor side includes it too, so nothing defines a colour of its own.
namespace GarvoColours
{
inline const juce::Colour bgTop{0xff0a0b0e};
inline const juce::Colour bgBottom{0xff060709};
inline const juce::Colour panel{0xff111316};
inline const juce::Colour panelLight{0xff181b20};
inline const juce::Colour panelRecess{0xff05060a};
inline const juce::Colour slot{0xff05060a};
inline const juce::Colour accent{0xffffc857};
inline const juce::Colour accentMid{0xffd9a441};
inline const juce::Colour accentDeep{0xff7a531f};
inline const juce::Colour accentGlow{0xffffbe5a};
inline const juce::Colour goldHi{0xfffff0c2};
inline const juce::Colour metalHi{0xffb9c0c8};
inline const juce::Colour metalDeep{0xff20242b};
inline const juce::Colour textWarm{0xfff3ead8};
inline const juce::Colour textMuted{0xff9a8d72};
inline const juce::Colour lanePurple{0xffb65cff};
inline const juce::Colour laneBlue{0xff4da6ff};
inline const juce::Colour laneGreen{0xff62e76f};
inline const juce::Colour laneGold{0xffffc857};
inline const juce::Colour laneRed{0xffff5f5f};

// The palette's translucent shades are written as 0 to 255 alpha bytes.
inline juce::Colour withAlphaByte(juce::Colour colour, int alpha)
{
    return colour.withAlpha(static_cast<juce::uint8>(alpha));
}
} // namespace GarvoColours
