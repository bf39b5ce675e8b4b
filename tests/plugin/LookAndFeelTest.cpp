#include "BinaryData.h"
#include "plugin/GarvoColours.h"
#include "plugin/GarvoLookAndFeel.h"
#include "support/EditorTestSupport.h"

#include <cmath>
#include <gtest/gtest.h>

namespace garvo
{
namespace
{
TEST(LookAndFeel, SetsThePaletteOnTheStandardWidgets)
{
    using namespace GarvoColours;
    const GarvoLookAndFeel lookAndFeel;
    const std::vector<std::pair<int, juce::Colour>> rows{
        {juce::ResizableWindow::backgroundColourId, bgBottom},
        {juce::Label::textColourId, textWarm},
        {juce::DocumentWindow::textColourId, textWarm},
        {juce::ComboBox::backgroundColourId, panelLight},
        {juce::ComboBox::textColourId, textWarm},
        {juce::ComboBox::outlineColourId, accentDeep},
        {juce::ComboBox::arrowColourId, accent},
        {juce::PopupMenu::backgroundColourId, panel},
        {juce::PopupMenu::textColourId, textWarm},
        {juce::PopupMenu::highlightedBackgroundColourId, accentDeep},
        {juce::PopupMenu::highlightedTextColourId, textWarm},
        {juce::TextButton::buttonColourId, panelLight},
        {juce::TextButton::textColourOffId, textMuted},
        {juce::TextButton::textColourOnId, accent},
    };
    for (const auto& [id, colour] : rows)
        EXPECT_EQ(lookAndFeel.findColour(id), colour) << std::hex << id;
}

TEST(LookAndFeel, EveryLabelUsesThePlainBrandFont)
{
    GarvoLookAndFeel lookAndFeel;
    juce::Label label;
    label.setFont(juce::Font(20.0f, juce::Font::bold));
    const auto font = lookAndFeel.getLabelFont(label);
    EXPECT_FLOAT_EQ(font.getHeight(), 13.0f);
    EXPECT_FALSE(font.isBold());
    EXPECT_EQ(font.getTypefaceName(), juce::Font::getDefaultSansSerifFontName());

    const auto bold = GarvoLookAndFeel::brandFont(11.0f, true);
    EXPECT_TRUE(bold.isBold());
    EXPECT_FLOAT_EQ(bold.getHeight(), 11.0f);
}

TEST(LookAndFeel, KnobFrameRoundsHalvesAwayFromZeroAndClamps)
{
    const std::vector<std::pair<float, int>> rows{
        {0.0f, 0}, {0.003f, 0}, {0.5f, 64}, {1.0f, 127}, {-0.3f, 0}, {1.7f, 127}, {0.25f, 32}, {10.5f / 127.0f, 11},
    };
    for (const auto& [proportion, frame] : rows)
        EXPECT_EQ(GarvoLookAndFeel::knobFrameIndex(proportion), frame) << proportion;
}

// The direction of the white pointer in one frame, in degrees clockwise from straight up.
double pointerAngle(const juce::Image& strip, int frame)
{
    const auto size = strip.getWidth();
    const auto centre = size / 2.0;
    double sumX = 0.0, sumY = 0.0;
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x)
        {
            const auto dx = x + 0.5 - centre;
            const auto dy = y + 0.5 - centre;
            if (std::hypot(dx, dy) > 0.37 * size) // the rim's metal can be as bright as the pointer
                continue;
            const auto pixel = strip.getPixelAt(x, frame * size + y);
            if (pixel.getRed() > 225 && pixel.getGreen() > 225 && pixel.getBlue() > 225)
            {
                sumX += dx;
                sumY += dy;
            }
        }
    return juce::radiansToDegrees(std::atan2(sumX, -sumY));
}

TEST(LookAndFeel, FilmstripsHold128FramesPointingAcrossThreeQuartersOfATurn)
{
    struct Row
    {
        bool large;
        int size;
    };
    for (const auto& row : {Row{true, 300}, Row{false, 180}})
    {
        const auto& strip = GarvoLookAndFeel::knobFilmstrip(row.large);
        ASSERT_TRUE(strip.isValid());
        EXPECT_EQ(strip.getWidth(), row.size);
        EXPECT_EQ(strip.getHeight(), row.size * 128);
        EXPECT_EQ(strip.getPixelAt(0, 0).getAlpha(), 0) << "transparent corners";
        EXPECT_EQ(strip.getPixelAt(row.size / 2, row.size * 127 + row.size / 2).getAlpha(), 255);
        for (const int frame : {0, 32, 64, 100, 127})
            EXPECT_NEAR(pointerAngle(strip, frame), -135.0 + frame * 270.0 / 127.0, 1.5)
                << (row.large ? "large" : "small") << " frame " << frame;
    }
}

TEST(LookAndFeel, WordmarkIsWhiteOnTransparent)
{
    const auto logo = juce::ImageCache::getFromMemory(BinaryData::garvologo_png, BinaryData::garvologo_pngSize);
    ASSERT_TRUE(logo.isValid());
    EXPECT_EQ(logo.getWidth(), 1343);
    EXPECT_EQ(logo.getHeight(), 248);
    int opaque = 0;
    for (int y = 0; y < logo.getHeight(); y += 2)
        for (int x = 0; x < logo.getWidth(); x += 2)
        {
            const auto pixel = logo.getPixelAt(x, y);
            if (pixel.getAlpha() == 255)
            {
                ++opaque;
                EXPECT_EQ(pixel, juce::Colours::white);
            }
        }
    EXPECT_GT(opaque, 10000);
    EXPECT_EQ(logo.getPixelAt(0, 0).getAlpha(), 0);
}

class KnobRenderTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        slider.setLookAndFeel(&lookAndFeel);
        slider.setSliderStyle(juce::Slider::RotaryVerticalDrag);
        slider.setTextBoxStyle(juce::Slider::NoTextBox, false, 0, 0);
        slider.setRotaryParameters(juce::MathConstants<float>::pi * 1.2f, juce::MathConstants<float>::pi * 2.8f, true);
        slider.setRange(0.0, 1.0);
        slider.setSize(101, 87);
    }
    void TearDown() override { slider.setLookAndFeel(nullptr); }

    int goldPixels()
    {
        const auto image = test::renderComponent(slider);
        int count = 0;
        for (int y = 0; y < image.getHeight(); ++y)
            for (int x = 0; x < image.getWidth(); ++x)
                if (test::coloursClose(image.getPixelAt(x, y), GarvoColours::accent, 40))
                    ++count;
        return count;
    }

    GarvoLookAndFeel lookAndFeel;
    juce::Slider slider;
};

TEST_F(KnobRenderTest, ValueArcAppearsOnlyAboveTheThresholdAndWhileEnabled)
{
    struct Row
    {
        double value;
        bool enabled;
        bool arc;
    };
    const Row rows[] = {
        {0.0, true, false}, {0.003, true, false}, {0.5, true, true}, {1.0, true, true}, {0.5, false, false},
    };
    for (const auto& row : rows)
    {
        slider.setValue(row.value);
        slider.setEnabled(row.enabled);
        EXPECT_EQ(goldPixels() > 20, row.arc) << row.value << (row.enabled ? " enabled" : " disabled");
    }
}

TEST_F(KnobRenderTest, DisabledKnobIsDimmed)
{
    slider.setValue(0.5);
    const auto centre = [this]
    {
        const auto image = test::renderComponent(slider);
        return image.getPixelAt(50, 12); // on the metal rim above the centre
    };
    const auto enabled = centre();
    slider.setEnabled(false);
    const auto disabled = centre();
    EXPECT_LT(disabled.getBrightness(), enabled.getBrightness() - 0.1f);
}

// The face colour of a button at pixel row y, as the look-and-feel fills it when untoggled and not pressed.
juce::Colour untoggledFace(int height, int y)
{
    return juce::ColourGradient(GarvoColours::panel, 0.0f, 1.0f, GarvoColours::panel.darker(0.2f), 0.0f,
                                static_cast<float>(height) - 1.0f, false)
        .getColourAtPosition((static_cast<float>(y) + 0.5f - 1.0f) / (static_cast<float>(height) - 2.0f));
}

TEST(LookAndFeelButtons, OnlyTogglingButtonsShowTheIndicatorDot)
{
    GarvoLookAndFeel lookAndFeel;
    juce::TextButton push("Regenerate");
    juce::TextButton toggling("AUDIO OFF");
    toggling.setClickingTogglesState(true);
    juce::TextButton on("AUDIO ON");
    on.setClickingTogglesState(true);
    on.setToggleState(true, juce::dontSendNotification);
    for (auto* button : {&push, &toggling, &on})
    {
        button->setLookAndFeel(&lookAndFeel);
        button->setSize(134, 36);
    }

    // The dim dot of an untoggled button is centred at (11, 19) for a 36-pixel button.
    const auto dotPixel = [](juce::TextButton& button) { return test::renderComponent(button).getPixelAt(11, 19); };
    const auto face = untoggledFace(36, 19);
    EXPECT_TRUE(test::coloursClose(dotPixel(push), face, 3)) << dotPixel(push).toDisplayString(true);
    EXPECT_TRUE(test::coloursClose(
        dotPixel(toggling), face.overlaidWith(GarvoColours::textMuted.withAlpha(static_cast<juce::uint8>(0x66))), 3))
        << dotPixel(toggling).toDisplayString(true);
    // Switched on, the dot is gold and sits a little higher, and a gold bar runs along the foot.
    const auto onImage = test::renderComponent(on);
    EXPECT_TRUE(test::coloursClose(onImage.getPixelAt(11, 17), GarvoColours::accent, 10))
        << onImage.getPixelAt(11, 17).toDisplayString(true);
    EXPECT_TRUE(test::coloursClose(onImage.getPixelAt(67, 35), GarvoColours::accent, 10))
        << onImage.getPixelAt(67, 35).toDisplayString(true);

    for (auto* button : {&push, &toggling, &on})
        button->setLookAndFeel(nullptr);
}

TEST(LookAndFeelButtons, ZeroSizedControlsAndPanelsDrawWithoutTrouble)
{
    GarvoLookAndFeel lookAndFeel;
    juce::TextButton button("x");
    button.setClickingTogglesState(true);
    button.setToggleState(true, juce::dontSendNotification);
    juce::Slider slider(juce::Slider::RotaryVerticalDrag, juce::Slider::NoTextBox);
    juce::ComboBox box;
    juce::Image canvas(juce::Image::ARGB, 4, 4, true);
    juce::Graphics g(canvas);
    lookAndFeel.drawButtonBackground(g, button, {}, true, true);
    lookAndFeel.drawButtonText(g, button, false, false);
    lookAndFeel.drawRotarySlider(g, 0, 0, 0, 0, 0.5f, 1.0f, 5.0f, slider);
    lookAndFeel.drawComboBox(g, 0, 0, false, 0, 0, 0, 0, box);
    GarvoLookAndFeel::drawInsetPanel(g, {});
    SUCCEED();
}

TEST(LookAndFeelPanels, InsetPanelIsLighterAtTheTopThanAtTheBottom)
{
    juce::Image canvas(juce::Image::ARGB, 200, 132, true);
    {
        juce::Graphics g(canvas);
        GarvoLookAndFeel::drawInsetPanel(g, {0.0f, 0.0f, 200.0f, 130.0f});
    }
    using namespace GarvoColours;
    EXPECT_TRUE(test::coloursClose(canvas.getPixelAt(100, 3), panelLight, 3))
        << canvas.getPixelAt(100, 3).toDisplayString(true);
    EXPECT_TRUE(test::coloursClose(canvas.getPixelAt(100, 126), panel.darker(0.15f), 3))
        << canvas.getPixelAt(100, 126).toDisplayString(true);
    // The border: accentDeep at alpha 0x59 along the left edge.
    EXPECT_GT(canvas.getPixelAt(0, 65).getRed(), canvas.getPixelAt(0, 65).getBlue());
}
} // namespace
} // namespace garvo
