#include "rhythm/Generator.h"

#include "rhythm/Random.h"

#include <gtest/gtest.h>
#include <string>
#include <utility>
#include <vector>

namespace garvo
{
namespace
{
using StepVelocities = std::vector<std::pair<int, int>>;

StepVelocities lane(const Pattern& pattern, Element element, int bar = 0)
{
    StepVelocities hits;
    if (const auto found = pattern.hits.find(element); found != pattern.hits.end())
        for (const auto& hit : found->second)
            if (hit.bar == bar)
                hits.emplace_back(hit.step, hit.velocity);
    return hits;
}

Pattern generateOneBar(const char* genre, float density, int seed = 1)
{
    GenerateOptions options;
    options.seed = seed;
    options.density = density;
    options.bars = 1;
    return generate(getGenre(genre), options);
}

TEST(RandomStream, XorshiftStatesAndUnitNumbers)
{
    Xorshift32 fromOne(1);
    EXPECT_EQ(fromOne.next(), 270369u);
    EXPECT_EQ(fromOne.next(), 67634689u);
    EXPECT_EQ(fromOne.next(), 2647435461u);
    EXPECT_EQ(Xorshift32::toUnit(270369u), 1056.0f / 16777216.0f);
    EXPECT_NEAR(Xorshift32::toUnit(67634689u), 0.0157, 0.0001);
    EXPECT_NEAR(Xorshift32::toUnit(2647435461u), 0.6164, 0.0001);
    EXPECT_EQ(Xorshift32::toUnit(0xffffffffu), 1.0f - 1.0f / 16777216.0f);
    EXPECT_LT(Xorshift32::toUnit(0xffffffffu), 1.0f);
    EXPECT_EQ(Xorshift32(0x9e3779b9u).next(), 1359758873u);
}

TEST(Generator, SeedZeroIsTheGoldenRatioSeed)
{
    GenerateOptions zero;
    zero.seed = 0;
    zero.bars = 4;
    GenerateOptions golden = zero;
    golden.seed = static_cast<int>(0x9e3779b9u);
    auto fromZero = generate(getGenre("Amapiano"), zero);
    const auto fromGolden = generate(getGenre("Amapiano"), golden);
    EXPECT_EQ(fromZero.seed, 0);
    fromZero.seed = fromGolden.seed;
    EXPECT_EQ(fromZero, fromGolden);
}

TEST(Generator, TrapSeedOne)
{
    for (const float density : {0.6f, 0.3f})
    {
        const auto pattern = generateOneBar("Trap", density);
        EXPECT_EQ(pattern.tempo, 140.0);
        EXPECT_EQ(pattern.genre, "Trap");
        EXPECT_EQ(pattern.seed, 1);
        EXPECT_EQ(pattern.bars, 1);
        EXPECT_EQ(pattern.hits.size(), 3u);
        EXPECT_EQ(lane(pattern, Element::Kick), (StepVelocities{{0, 127}, {7, 124}, {10, 124}}));
        EXPECT_EQ(lane(pattern, Element::Snare), (StepVelocities{{8, 127}}));
        StepVelocities hats;
        for (int step = 0; step < 16; ++step)
            hats.emplace_back(step, step == 3 || step == 7 || step == 11 || step >= 13 ? 100 : 55);
        EXPECT_EQ(lane(pattern, Element::Closed_Hat), hats);
    }
}

TEST(Generator, DensityDecidesOnNonAnchorGhostsButNotOnAnchorGhosts)
{
    struct Case
    {
        const char* genre;
        float density;
        Element element;
        StepVelocities expected;
    };
    const std::vector<Case> cases{
        {"Dubstep", 0.6f, Element::Kick, {{0, 127}, {10, 90}}},
        {"Dubstep", 0.3f, Element::Kick, {{0, 127}}},
        {"Drum & Bass", 0.6f, Element::Snare, {{4, 127}, {7, 40}, {12, 127}, {15, 40}}},
        {"Drum & Bass", 0.3f, Element::Snare, {{4, 127}, {7, 40}, {12, 127}, {15, 40}}},
        {"Drum & Bass", 0.0f, Element::Snare, {{4, 127}, {7, 40}, {12, 127}, {15, 40}}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(lane(generateOneBar(c.genre, c.density), c.element), c.expected)
            << c.genre << " at density " << c.density;
}

TEST(Generator, EveryHitCarriesTheElementsNoteAndNoHumanizing)
{
    GenerateOptions options;
    options.bars = 3;
    const auto pattern = generate(getGenre("Amapiano"), options);
    for (const auto& [element, hits] : pattern.hits)
    {
        for (size_t index = 0; index < hits.size(); ++index)
        {
            const auto& hit = hits[index];
            EXPECT_EQ(hit.note, midiNoteFor(element));
            EXPECT_EQ(hit.offsetMs, 0.0);
            EXPECT_FALSE(hit.choked);
            EXPECT_EQ(hit.flamIndex, 0);
            if (index > 0)
            {
                EXPECT_LT(hits[index - 1].bar * 16 + hits[index - 1].step, hit.bar * 16 + hit.step);
            }
        }
        EXPECT_LE(hits.back().bar, 2);
    }
    EXPECT_EQ(pattern.bars, 3);
    EXPECT_EQ(pattern.hits.at(Element::Kick).back().bar, 2);
}

// A hand-made recipe that exercises the folding rules.
GenreDNA edgeRecipe()
{
    GenreDNA dna;
    dna.name = "Edge";
    dna.tempo = 100;
    dna.anchor = Element::Kick;
    ElementDNA anchor;
    anchor.steps[0] = 1.0f;
    anchor.steps[4] = 0.5f;
    dna.elements[Element::Kick] = anchor;
    ElementDNA other;
    other.steps = {1.0f, 0.995f, 0.99f, 0.4f, 0.6f, 0.2f, 0.0f, -1.0f, 1.0f, 1.0f, 1.0f, 0, 0, 0, 0, 0};
    other.accents = {8};
    other.ghosts = {9, 8};
    other.velocity = 0;
    other.accentVelocity = 200;
    other.ghostVelocity = 1;
    dna.elements[Element::Snare] = other;
    return dna;
}

std::vector<int> snareSteps(const Pattern& pattern)
{
    std::vector<int> steps;
    for (const auto& [step, velocity] : lane(pattern, Element::Snare))
        steps.push_back(step);
    return steps;
}

TEST(Generator, OutOfRangeOptionsAreFolded)
{
    const auto dna = edgeRecipe();
    const auto run = [&](float density, int bars, double tempo, bool deterministic = false)
    {
        GenerateOptions options;
        options.density = density;
        options.bars = bars;
        options.tempo = tempo;
        options.deterministic = deterministic;
        return generate(dna, options);
    };
    EXPECT_EQ(run(-0.2f, 1, 0.0), run(0.0f, 1, 0.0));
    EXPECT_EQ(run(1.5f, 1, 0.0), run(1.0f, 1, 0.0));
    EXPECT_EQ(run(0.6f, 0, 0.0).bars, 1);
    EXPECT_EQ(run(0.6f, -4, 0.0), run(0.6f, 1, 0.0));
    EXPECT_EQ(run(0.6f, 1, -3.0).tempo, 100.0);
    EXPECT_EQ(run(0.6f, 1, 140.0).tempo, 140.0);

    // At density 0 only certain steps survive: 0.995 sounds always but not at this threshold.
    EXPECT_EQ(snareSteps(run(0.0f, 1, 0.0)), (std::vector<int>{0, 8, 9, 10}));
    // Threshold 0.39999998 (single precision) keeps a 0.4f step; deterministic makes it a hit.
    EXPECT_EQ(snareSteps(run(0.6f, 1, 0.0, true)), (std::vector<int>{0, 1, 2, 3, 4, 8, 9, 10}));
    EXPECT_EQ(snareSteps(run(1.0f, 1, 0.0, true)), (std::vector<int>{0, 1, 2, 3, 4, 5, 8, 9, 10}));
    // The anchor ignores density: its 0.5 step survives even the threshold of density 0.
    EXPECT_EQ(lane(run(0.0f, 1, 0.0, true), Element::Kick), (StepVelocities{{0, 90}, {4, 90}}));

    // Step 8 is in both lists and takes the accent velocity; velocities are clamped to 1..127.
    const auto velocities = lane(run(1.0f, 1, 0.0, true), Element::Snare);
    ASSERT_EQ(velocities.size(), 9u);
    EXPECT_EQ(velocities[0], (std::pair{0, 1}));
    EXPECT_EQ(velocities[6], (std::pair{8, 127}));
    EXPECT_EQ(velocities[7], (std::pair{9, 1}));
}

TEST(Generator, DeterministicHitsDoNotDependOnTheSeed)
{
    GenerateOptions options;
    options.deterministic = true;
    options.bars = 2;
    options.seed = 5;
    auto first = generate(getGenre("Rasteirinha"), options);
    options.seed = 777;
    const auto second = generate(getGenre("Rasteirinha"), options);
    EXPECT_EQ(second.seed, 777);
    first.seed = 777;
    EXPECT_EQ(first, second);
}

TEST(Generator, SameInputsGiveTheSamePatternAndSeedsDiffer)
{
    GenerateOptions options;
    options.bars = 8;
    options.seed = 42;
    const auto& dna = getGenre("Afro House");
    EXPECT_EQ(generate(dna, options), generate(dna, options));
    auto other = options;
    other.seed = 43;
    EXPECT_NE(generate(dna, options).hits, generate(dna, other).hits);
}

TEST(Generator, ARecipeWithoutElementsGivesNoLanes)
{
    GenreDNA empty;
    empty.name = "Nothing";
    const auto pattern = generate(empty, GenerateOptions{});
    EXPECT_TRUE(pattern.hits.empty());
    EXPECT_EQ(pattern.tempo, 124.0);
}
} // namespace
} // namespace garvo
