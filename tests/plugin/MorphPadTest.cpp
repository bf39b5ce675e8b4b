#include "plugin/MorphPad.h"

#include "plugin/GarvoColours.h"
#include "support/EditorTestSupport.h"

#include <gtest/gtest.h>
#include <vector>

namespace garvo
{
namespace
{
struct Report
{
    float x;
    float y;
};

class MorphPadTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        pad.setSize(306, 278);
        pad.onChange = [this](float x, float y) { reports.push_back({x, y}); };
    }

    MorphPad pad;
    std::vector<Report> reports;
};

TEST_F(MorphPadTest, AFreshPadSitsInTheCentreAndTheTieGoesToTheFirstCorner)
{
    EXPECT_FLOAT_EQ(pad.getPuckX(), 0.5f);
    EXPECT_FLOAT_EQ(pad.getPuckY(), 0.5f);
    EXPECT_EQ(pad.readoutText(), "25%  Amapiano");
    EXPECT_TRUE(reports.empty());
}

TEST_F(MorphPadTest, ClicksAndDragsReportClampedPositionsAndTheReadoutFollows)
{
    struct Row
    {
        juce::Point<float> at;
        float x;
        float y;
        const char* readout;
    };
    const Row rows[] = {
        {{306.0f * 0.75f, 139.0f}, 0.75f, 0.5f, "37%  UK Garage"}, // w1 = w3 = 0.375: the lower corner wins
        {{400.0f, -50.0f}, 1.0f, 0.0f, "100%  UK Garage"},
        {{-1000.0f, 9999.0f}, 0.0f, 1.0f, "100%  Baile Funk"},
        {{306.0f, 278.0f}, 1.0f, 1.0f, "100%  Dubstep"},
        {{0.0f, 0.0f}, 0.0f, 0.0f, "100%  Amapiano"},
        {{76.5f, 69.5f}, 0.25f, 0.25f, "56%  Amapiano"},
    };
    for (const auto& row : rows)
    {
        reports.clear();
        test::clickAt(pad, row.at);
        ASSERT_EQ(reports.size(), 1u) << "a click reports once, from mouseDown";
        EXPECT_FLOAT_EQ(reports[0].x, row.x);
        EXPECT_FLOAT_EQ(reports[0].y, row.y);
        EXPECT_EQ(pad.readoutText(), row.readout);
    }
}

TEST_F(MorphPadTest, EveryDragEventIsReportedEvenWithoutMovement)
{
    const juce::Point<float> from{100.0f, 100.0f};
    test::clickAt(pad, from);
    for (int i = 0; i < 3; ++i)
        pad.mouseDrag(test::mouseEventAt(pad, from, from, true));
    EXPECT_EQ(reports.size(), 4u);
}

TEST_F(MorphPadTest, DominantCornerWeightsAddUpToOne)
{
    for (const auto& [x, y] : std::vector<std::pair<float, float>>{{0.1f, 0.9f}, {0.5f, 0.5f}, {0.33f, 0.71f}})
    {
        const auto weights = MorphPad::cornerWeights(x, y);
        EXPECT_NEAR(weights[0] + weights[1] + weights[2] + weights[3], 1.0f, 1e-6f);
    }
    EXPECT_EQ(MorphPad::dominantCorner(0.1f, 0.9f).corner, 2);
    EXPECT_EQ(MorphPad::dominantCorner(0.5f, 0.9f).corner, 2); // tie between 2 and 3
}

// The puck's centre: the middle of the solid gold disc. Requiring gold three pixels away on every
// side leaves out the thin strokes of the gold readout text.
juce::Point<float> findPuck(const juce::Image& image)
{
    const auto isGold = [&image](int x, int y)
    {
        if (!image.getBounds().contains(x, y))
            return false;
        const auto pixel = image.getPixelAt(x, y);
        return pixel.getRed() > 200 && pixel.getGreen() > 140 && pixel.getRed() > pixel.getBlue() + 40;
    };
    juce::Point<float> sum;
    int count = 0;
    for (int y = 0; y < image.getHeight(); ++y)
        for (int x = 0; x < image.getWidth(); ++x)
            if (isGold(x, y) && isGold(x - 3, y) && isGold(x + 3, y) && isGold(x, y - 3) && isGold(x, y + 3))
            {
                sum += {static_cast<float>(x) + 0.5f, static_cast<float>(y) + 0.5f};
                ++count;
            }
    return count == 0 ? juce::Point<float>{-1.0f, -1.0f} : sum / static_cast<float>(count);
}

TEST_F(MorphPadTest, AWidePadMovesThePuckAcrossItsWorkingAreaOnBothAxes)
{
    // The editor's minimum size gives a 306 x 118 pad: 294 pixels across and 106 down for the full range.
    pad.setSize(306, 118);
    struct Row
    {
        juce::Point<float> at;
        juce::Point<float> puck;
    };
    const Row rows[] = {
        {{0.0f, 0.0f}, {6.0f, 6.0f}},
        {{306.0f, 118.0f}, {300.0f, 112.0f}},
        {{153.0f, 59.0f}, {153.0f, 59.0f}},
    };
    for (const auto& row : rows)
    {
        test::clickAt(pad, row.at);
        const auto puck = findPuck(test::renderComponent(pad));
        EXPECT_NEAR(puck.x, row.puck.x, 1.0f) << row.at.toString();
        EXPECT_NEAR(puck.y, row.puck.y, 1.0f) << row.at.toString();
    }
}

TEST_F(MorphPadTest, PaintsTheRecessedBodyAndSurvivesTinySizes)
{
    const auto image = test::renderComponent(pad);
    // Far from the puck, the crossing lines and the names, the body shows its own gradient.
    const auto body = image.getPixelAt(150, 250);
    EXPECT_LT(body.getBrightness(), 0.08f);
    EXPECT_GT(body.getAlpha(), 250);

    for (const auto& [w, h] : std::vector<std::pair<int, int>>{{0, 0}, {3, 3}, {12, 12}, {20, 8}})
    {
        pad.setSize(w, h);
        test::renderComponent(pad);
        if (w > 0 && h > 0)
            test::clickAt(pad, {1.0f, 1.0f});
    }
}
} // namespace
} // namespace garvo
