#include "rhythm/Morph.h"

#include "RecipeNotation.h"

#include <array>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace garvo
{
namespace
{
MorphResult morphAt(float x, float y, float density = 0.6f, int seed = 1, int bars = 2)
{
    return morphGenres(getGenre(kMorphCorners[0]), getGenre(kMorphCorners[1]), getGenre(kMorphCorners[2]),
                       getGenre(kMorphCorners[3]), x, y, seed, density, bars);
}

using Steps = std::array<float, kStepsPerBar>;

Steps stepsWith(std::initializer_list<std::pair<int, float>> values)
{
    Steps steps{};
    for (const auto& [step, probability] : values)
        steps[static_cast<size_t>(step)] = probability;
    return steps;
}

std::vector<int> hitSteps(const Pattern& pattern, Element element, int bar)
{
    std::vector<int> steps;
    if (const auto lane = pattern.hits.find(element); lane != pattern.hits.end())
        for (const auto& hit : lane->second)
            if (hit.bar == bar)
                steps.push_back(hit.step);
    return steps;
}

TEST(Morph, CornerNames)
{
    EXPECT_EQ(std::vector<std::string>(kMorphCorners.begin(), kMorphCorners.end()),
              (std::vector<std::string>{"Amapiano", "UK Garage", "Baile Funk", "Dubstep"}));
}

TEST(Morph, WeightsAndDominantCorner)
{
    struct Case
    {
        float x, y;
        std::array<float, 4> weights;
        int dominant;
        const char* name;
        int tempo;
        Element anchor;
    };
    const std::vector<Case> cases{
        {0.5f, 0.5f, {0.25f, 0.25f, 0.25f, 0.25f}, 0, "Amapiano morph", 113, Element::Rim},
        {0.0f, 0.0f, {1.0f, 0.0f, 0.0f, 0.0f}, 0, "Amapiano morph", 113, Element::Rim},
        {1.0f, 0.0f, {0.0f, 1.0f, 0.0f, 0.0f}, 1, "UK Garage morph", 135, Element::Kick},
        {1.0f, 0.5f, {0.0f, 0.5f, 0.0f, 0.5f}, 1, "UK Garage morph", 135, Element::Kick},
        {0.75f, 0.25f, {0.1875f, 0.5625f, 0.0625f, 0.1875f}, 1, "UK Garage morph", 135, Element::Kick},
        {-0.3f, 1.4f, {0.0f, 0.0f, 1.0f, 0.0f}, 2, "Baile Funk morph", 135, Element::Kick},
        {1.0f, 1.0f, {0.0f, 0.0f, 0.0f, 1.0f}, 3, "Dubstep morph", 140, Element::Snare},
    };
    for (const auto& c : cases)
    {
        const auto result = morphAt(c.x, c.y);
        SCOPED_TRACE(std::to_string(c.x) + "," + std::to_string(c.y));
        EXPECT_EQ(result.weights, c.weights);
        EXPECT_EQ(result.dominant, c.dominant);
        EXPECT_EQ(result.dna.name, c.name);
        EXPECT_EQ(result.pattern.genre, c.name);
        EXPECT_EQ(result.dna.tempo, c.tempo);
        EXPECT_EQ(result.pattern.tempo, static_cast<double>(c.tempo));
        EXPECT_EQ(result.dna.anchor, c.anchor);
    }
}

TEST(Morph, CentreBlendsAllFourCorners)
{
    const auto result = morphAt(0.5f, 0.5f);
    const auto& blend = result.dna;
    EXPECT_EQ(blend.swing, 55.5f);
    EXPECT_EQ(blend.tempoMin, 108);
    EXPECT_EQ(blend.tempoMax, 118);

    const auto& kick = blend.elements.at(Element::Kick);
    EXPECT_EQ(
        kick.steps,
        stepsWith({{0, 1.0f}, {4, 0.25f}, {6, 0.25f}, {8, 0.5f}, {10, 0.4f}, {11, 0.25f}, {12, 0.25f}, {14, 0.25f}}));
    EXPECT_EQ(kick.velocity, 114);
    EXPECT_EQ(kick.accentVelocity, 125);
    EXPECT_EQ(kick.ghostVelocity, 56);
    EXPECT_FALSE(kick.swung);
    EXPECT_EQ(kick.accents, (std::vector<int>{0, 8}));
    EXPECT_TRUE(kick.ghosts.empty());

    const auto& rim = blend.elements.at(Element::Rim);
    EXPECT_EQ(rim.steps, stepsWith({{3, 1.0f}, {7, 1.0f}, {11, 1.0f}, {15, 1.0f}}));
    EXPECT_EQ(rim.velocity, 76);
    EXPECT_EQ(rim.ghostVelocity, 48);
    EXPECT_EQ(rim.accentVelocity, 110);
    EXPECT_EQ(rim.accents, (std::vector<int>{3, 7, 11, 15}));
    EXPECT_TRUE(rim.swung);

    const auto& logDrum = blend.elements.at(Element::Log_Drum);
    EXPECT_EQ(logDrum.steps, stepsWith({{7, 0.25f}, {11, 0.25f}, {15, 0.25f}}));
    EXPECT_EQ(logDrum.velocity, 100);
    EXPECT_EQ(logDrum.accentVelocity, 112);
    EXPECT_EQ(logDrum.ghostVelocity, 60);

    Steps quarterEverywhere{};
    quarterEverywhere.fill(0.25f);
    EXPECT_EQ(blend.elements.at(Element::Tambourine).steps, quarterEverywhere);
    // Every element of any corner is in the centre blend: Amapiano's nine, Tambourine, Timbale.
    EXPECT_EQ(blend.elements.size(), 11u);
}

TEST(Morph, DensityAloneDecidesWhichBlendedStepsSound)
{
    struct Case
    {
        float density;
        Element element;
        std::vector<int> steps;
    };
    const std::vector<Case> cases{
        {0.6f, Element::Log_Drum, {}},
        {0.8f, Element::Log_Drum, {7, 11, 15}},
        // 0.4 blended steps survive threshold 0.39999998.
        {0.6f, Element::Kick, {0, 8, 10}},
        {0.8f, Element::Kick, {0, 4, 6, 8, 10, 11, 12, 14}},
        // The anchor sounds on every step it has, whatever the density.
        {0.0f, Element::Rim, {3, 7, 11, 15}},
    };
    for (const auto& c : cases)
        for (const int seed : {1, 99})
        {
            const auto pattern = morphAt(0.5f, 0.5f, c.density, seed).pattern;
            EXPECT_EQ(pattern.seed, seed);
            for (int bar = 0; bar < 2; ++bar)
                EXPECT_EQ(hitSteps(pattern, c.element, bar), c.steps)
                    << elementName(c.element) << " at density " << c.density << ", bar " << bar;
        }
}

TEST(Morph, ACornerReproducesItsRecipe)
{
    const auto result = morphAt(0.0f, 0.0f);
    const auto& amapiano = getGenre("Amapiano");
    ASSERT_EQ(result.dna.elements.size(), amapiano.elements.size());
    for (const auto& [element, row] : amapiano.elements)
    {
        SCOPED_TRACE(elementName(element));
        const auto& blended = result.dna.elements.at(element);
        EXPECT_EQ(test::rowNotation(blended), test::rowNotation(row));
        EXPECT_EQ(blended.accents, row.accents);
        EXPECT_EQ(blended.ghosts, row.ghosts);
    }
    EXPECT_EQ(result.dna.swing, 56.0f);
    // The Tambourine of "UK Garage" weighs nothing here.
    EXPECT_FALSE(result.dna.elements.contains(Element::Tambourine));
    // Every 0.6 conga step sounds once the density reaches 0.4.
    EXPECT_EQ(hitSteps(result.pattern, Element::Conga, 1), (std::vector<int>{5, 9, 13}));
}

TEST(Morph, TheDominantAnchorKeepsItsBackbone)
{
    const auto result = morphAt(0.75f, 0.25f);
    const auto& kick = result.dna.elements.at(Element::Kick);
    EXPECT_EQ(kick.steps[0], 1.0f);
    EXPECT_EQ(kick.steps[10], 1.0f);
    EXPECT_EQ(kick.accents, (std::vector<int>{0}));
    EXPECT_EQ(kick.accentVelocity, 127);
    EXPECT_FALSE(kick.swung);
}

TEST(Morph, PositionsOutsideThePadAreClamped)
{
    auto outside = morphAt(-0.3f, 1.4f);
    const auto inside = morphAt(0.0f, 1.0f);
    EXPECT_EQ(outside.pattern, inside.pattern);
    EXPECT_EQ(outside.weights, inside.weights);
    EXPECT_EQ(outside.dna.name, "Baile Funk morph");
}

TEST(Morph, SameInputsGiveTheSamePattern)
{
    EXPECT_EQ(morphAt(0.3f, 0.7f, 0.5f, 17, 8).pattern, morphAt(0.3f, 0.7f, 0.5f, 17, 8).pattern);
}
} // namespace
} // namespace garvo
