#include "rhythm/Humanizer.h"

#include "rhythm/Generator.h"
#include "rhythm/Random.h"

#include <gtest/gtest.h>
#include <set>
#include <vector>

namespace garvo
{
namespace
{
Hit hitAt(int step, int velocity, int bar = 0)
{
    Hit hit;
    hit.step = step;
    hit.bar = bar;
    hit.velocity = velocity;
    return hit;
}

HumanizeOptions optionsWith(float looseness, float swing, bool clapFlams = true)
{
    HumanizeOptions options;
    options.looseness = looseness;
    options.swing = swing;
    options.clapFlams = clapFlams;
    return options;
}

TEST(Humanizer, SeedOneStartsFromTheMixedState)
{
    // 1 XOR 0x5bd1e995; the humanizer draws from there on.
    Xorshift32 random(1u ^ 0x5bd1e995u);
    EXPECT_EQ(random.current(), 1540483476u);
    EXPECT_NEAR(random.nextUnit(), 0.7286, 0.0001);
    EXPECT_NEAR(random.nextUnit(), 0.9468, 0.0001);
}

TEST(Humanizer, DubstepSeedOne)
{
    GenerateOptions generateOptions;
    generateOptions.bars = 1;
    auto pattern = generate(getGenre("Dubstep"), generateOptions);
    humanize(pattern, getGenre("Dubstep"), optionsWith(0.4f, 54.0f), 1);

    struct Expected
    {
        Element element;
        int step;
        int velocity;
        double offsetMs;
        int flamIndex;
    };
    // Offsets to the three decimals they are known to; velocities exactly.
    const std::vector<Expected> expected{
        {Element::Kick, 0, 127, 2.323, 0},     {Element::Kick, 10, 86, 2.554, 0},
        {Element::Snare, 8, 127, -1.125, 0},   {Element::Clap, 8, 127, -0.635, 0},
        {Element::Clap, 8, 118, 13.029, 1},    {Element::Clap, 8, 119, 8.059, 2},
        {Element::Closed_Hat, 2, 80, 0.0, 0},  {Element::Closed_Hat, 6, 73, 0.0, 0},
        {Element::Closed_Hat, 10, 79, 0.0, 0}, {Element::Closed_Hat, 14, 78, 0.0, 0},
        {Element::Open_Hat, 6, 90, 0.0, 0},    {Element::Open_Hat, 14, 95, 0.0, 0},
    };
    std::map<Element, size_t> seen;
    for (const auto& e : expected)
    {
        SCOPED_TRACE(std::string(elementName(e.element)) + " step " + std::to_string(e.step));
        const auto& lane = pattern.hits.at(e.element);
        const auto index = seen[e.element]++;
        ASSERT_LT(index, lane.size());
        const Hit& hit = lane[index];
        EXPECT_EQ(hit.step, e.step);
        EXPECT_EQ(hit.velocity, e.velocity);
        EXPECT_EQ(hit.flamIndex, e.flamIndex);
        EXPECT_FALSE(hit.choked);
        if (e.element != Element::Closed_Hat && e.element != Element::Open_Hat)
        {
            EXPECT_NEAR(hit.offsetMs, e.offsetMs, 0.0005);
        }
    }
    for (const auto& [element, lane] : pattern.hits)
        EXPECT_EQ(lane.size(), seen[element]) << elementName(element);
}

// A hand-made pattern and recipe that isolate one rule at a time.
struct Fixture
{
    Pattern pattern;
    GenreDNA dna;

    Fixture()
    {
        pattern.tempo = 120.0;
        dna.swing = 58.0f;
    }

    const std::vector<Hit>& lane(Element element) const { return pattern.hits.at(element); }
};

TEST(Humanizer, SwingDelaysOddStepsOfSwungElementsOnly)
{
    struct Case
    {
        float swing;
        double tempo;
        double expectedDelayMs;
    };
    const std::vector<Case> cases{{54.0f, 140.0, 60000.0 / 140.0 / 4.0 * 0.08},
                                  {65.0f, 120.0, 37.5},
                                  {50.0f, 120.0, 0.0},
                                  {-1.0f, 135.0, 60000.0 / 135.0 / 4.0 * 0.16}};
    for (const auto& c : cases)
    {
        Fixture fixture;
        fixture.pattern.tempo = c.tempo;
        fixture.dna.elements[Element::Shaker].swung = true;
        fixture.dna.elements[Element::Kick].swung = false;
        fixture.pattern.hits[Element::Shaker] = {hitAt(0, 60), hitAt(1, 60), hitAt(3, 60)};
        fixture.pattern.hits[Element::Kick] = {hitAt(1, 100)};
        auto straight = fixture;
        straight.dna.elements[Element::Shaker].swung = false;
        humanize(fixture.pattern, fixture.dna, optionsWith(0.4f, c.swing), 9);
        humanize(straight.pattern, straight.dna, optionsWith(0.4f, c.swing), 9);
        const auto& swung = fixture.lane(Element::Shaker);
        const auto& plain = straight.lane(Element::Shaker);
        EXPECT_DOUBLE_EQ(swung[0].offsetMs, plain[0].offsetMs);
        EXPECT_NEAR(swung[1].offsetMs - plain[1].offsetMs, c.expectedDelayMs, 1e-9) << c.swing;
        EXPECT_NEAR(swung[2].offsetMs - plain[2].offsetMs, c.expectedDelayMs, 1e-9) << c.swing;
        EXPECT_EQ(fixture.lane(Element::Kick)[0].offsetMs, straight.lane(Element::Kick)[0].offsetMs);
    }
    EXPECT_NEAR(60000.0 / 135.0 / 4.0 * 0.16, 17.778, 0.0005);
}

TEST(Humanizer, ScatterStaysWithinTheLoosenessSpreads)
{
    struct Case
    {
        float looseness;
        int velocitySpread;
        double timingMs, ghostTimingMs;
    };
    for (const auto& c : std::vector<Case>{{0.0f, 3, 1.0, 3.0}, {1.0f, 6, 5.0, 12.0}, {-2.0f, 3, 1.0, 3.0}})
    {
        double largestTiming = 0.0, largestGhostTiming = 0.0;
        int largestVelocity = 0;
        for (unsigned int seed = 1; seed <= 200; ++seed)
        {
            Fixture fixture;
            fixture.dna.elements[Element::Conga].ghosts = {2};
            fixture.pattern.hits[Element::Conga] = {hitAt(0, 64), hitAt(2, 64, 1)};
            humanize(fixture.pattern, fixture.dna, optionsWith(c.looseness, 50.0f), seed);
            const auto& lane = fixture.lane(Element::Conga);
            largestTiming = std::max(largestTiming, std::abs(lane[0].offsetMs));
            largestGhostTiming = std::max(largestGhostTiming, std::abs(lane[1].offsetMs));
            for (const auto& hit : lane)
                largestVelocity = std::max(largestVelocity, std::abs(hit.velocity - 64));
        }
        EXPECT_LE(largestTiming, c.timingMs);
        EXPECT_GT(largestTiming, c.timingMs * 0.9);
        EXPECT_LE(largestGhostTiming, c.ghostTimingMs);
        EXPECT_GT(largestGhostTiming, c.ghostTimingMs * 0.9);
        EXPECT_EQ(largestVelocity, c.velocitySpread) << c.looseness;
    }
}

TEST(Humanizer, ClosedHatAccentCurve)
{
    // A fixed scatter of zero is impossible, so compare with an element that has no curve and
    // draws the same numbers: the same positions in the stream.
    const std::vector<std::pair<int, int>> curve{{0, 100}, {1, 79}, {2, 86}, {3, 93}, {4, 100}, {13, 79}, {15, 93}};
    for (const auto& [step, curved] : curve)
    {
        Fixture hats;
        hats.pattern.hits[Element::Closed_Hat] = {hitAt(step, 100)};
        Fixture shaker;
        shaker.pattern.hits[Element::Shaker] = {hitAt(step, curved)};
        humanize(hats.pattern, hats.dna, optionsWith(0.4f, 50.0f), 3);
        humanize(shaker.pattern, shaker.dna, optionsWith(0.4f, 50.0f), 3);
        EXPECT_EQ(hats.lane(Element::Closed_Hat)[0].velocity, shaker.lane(Element::Shaker)[0].velocity) << step;
    }
}

TEST(Humanizer, OpenHatsAreChokedByAClosedHatOnTheNextStepOfTheSameBar)
{
    Fixture fixture;
    fixture.pattern.bars = 2;
    fixture.pattern.hits[Element::Closed_Hat] = {hitAt(7, 80), hitAt(0, 80, 0), hitAt(3, 80, 1)};
    // Steps 6 and 15 of bar 0 are choked; 15 of bar 1 is not (the closed hat on 0 is in bar 0),
    // nor is 2 of bar 0 (the closed hat on 3 is in bar 1).
    fixture.pattern.hits[Element::Open_Hat] = {hitAt(6, 90), hitAt(15, 90), hitAt(2, 90), hitAt(15, 90, 1),
                                               hitAt(2, 90, 1)};
    humanize(fixture.pattern, fixture.dna, optionsWith(0.4f, 54.0f), 1);
    std::vector<bool> choked;
    for (const auto& hit : fixture.lane(Element::Open_Hat))
        choked.push_back(hit.choked);
    EXPECT_EQ(choked, (std::vector<bool>{true, true, false, false, true}));
    for (const auto& hit : fixture.lane(Element::Closed_Hat))
        EXPECT_FALSE(hit.choked);
}

TEST(Humanizer, ClapStrokes)
{
    for (const bool flams : {false, true})
    {
        Fixture fixture;
        fixture.pattern.hits[Element::Clap] = {hitAt(4, 3), hitAt(12, 3), hitAt(4, 3, 1)};
        humanize(fixture.pattern, fixture.dna, optionsWith(0.0f, 50.0f, flams), 11);
        const auto& lane = fixture.lane(Element::Clap);
        if (!flams)
        {
            EXPECT_EQ(lane.size(), 3u);
            continue;
        }
        ASSERT_GE(lane.size(), 6u);
        ASSERT_LE(lane.size(), 9u);
        size_t mainIndex = 0;
        int expectedFlam = 1;
        for (size_t index = 3; index < lane.size(); ++index)
        {
            const Hit& stroke = lane[index];
            if (stroke.flamIndex != expectedFlam)
            {
                ++mainIndex;
                expectedFlam = 1;
            }
            ASSERT_LT(mainIndex, 3u);
            const Hit& clap = lane[mainIndex];
            EXPECT_EQ(stroke.flamIndex, expectedFlam++);
            EXPECT_EQ(stroke.step, clap.step);
            EXPECT_EQ(stroke.bar, clap.bar);
            EXPECT_EQ(stroke.note, clap.note);
            // A clap this quiet (9 at most after scattering) leaves its strokes only the floor.
            EXPECT_LE(clap.velocity, 9);
            EXPECT_EQ(stroke.velocity, 1);
            EXPECT_GE(stroke.offsetMs - clap.offsetMs, 5.0);
            EXPECT_LT(stroke.offsetMs - clap.offsetMs, 15.0);
        }
        EXPECT_EQ(mainIndex, 2u);
    }
}

TEST(Humanizer, MainHitsOfALaneAndBarGetDistinctVelocities)
{
    Fixture fixture;
    fixture.pattern.bars = 2;
    auto& shakers = fixture.pattern.hits[Element::Shaker];
    auto& kicks = fixture.pattern.hits[Element::Kick];
    for (int bar = 0; bar < 2; ++bar)
        for (int step = 0; step < 16; ++step)
        {
            shakers.push_back(hitAt(step, 40, bar));
            kicks.push_back(hitAt(step, 127, bar));
        }
    humanize(fixture.pattern, fixture.dna, optionsWith(0.0f, 50.0f), 5);
    for (const auto element : {Element::Shaker, Element::Kick})
        for (int bar = 0; bar < 2; ++bar)
        {
            std::set<int> velocities;
            for (const auto& hit : fixture.lane(element))
                if (hit.bar == bar)
                    velocities.insert(hit.velocity);
            EXPECT_EQ(velocities.size(), 16u) << elementName(element) << " bar " << bar;
            // Quiet ones spread upwards from 37..43, loud ones downwards from 124..127.
            if (element == Element::Shaker)
            {
                EXPECT_GE(*velocities.begin(), 37);
                EXPECT_LE(*velocities.rbegin(), 43 + 15);
            }
            else
            {
                EXPECT_GE(*velocities.begin(), 124 - 15);
            }
        }
}

TEST(Humanizer, ALaneOfMoreThan127HitsInOneBarStillFinishes)
{
    Fixture fixture;
    auto& lane = fixture.pattern.hits[Element::Perc_1];
    for (int index = 0; index < 300; ++index)
        lane.push_back(hitAt(index % 16, 64));
    humanize(fixture.pattern, fixture.dna, optionsWith(0.4f, 50.0f), 5);
    std::set<int> velocities;
    for (const auto& hit : fixture.lane(Element::Perc_1))
        velocities.insert(hit.velocity);
    EXPECT_EQ(velocities.size(), 127u);
}

TEST(Humanizer, SameInputsGiveTheSameResult)
{
    GenerateOptions options;
    options.bars = 4;
    const auto& dna = getGenre("UK Garage");
    auto first = generate(dna, options);
    auto second = first;
    humanize(first, dna, optionsWith(0.7f, 60.0f), 1234);
    humanize(second, dna, optionsWith(0.7f, 60.0f), 1234);
    EXPECT_EQ(first, second);
    auto empty = Pattern{};
    humanize(empty, dna, optionsWith(0.7f, 60.0f), 1);
    EXPECT_EQ(empty, Pattern{});
}

TEST(Humanizer, SeedEqualToTheMixConstantStillScatters)
{
    Fixture fixture;
    fixture.pattern.hits[Element::Kick] = {hitAt(0, 100), hitAt(4, 100)};
    humanize(fixture.pattern, fixture.dna, optionsWith(1.0f, 50.0f), 0x5bd1e995u);
    const auto& lane = fixture.lane(Element::Kick);
    EXPECT_NE(lane[0].offsetMs, lane[1].offsetMs);
}
} // namespace
} // namespace garvo
