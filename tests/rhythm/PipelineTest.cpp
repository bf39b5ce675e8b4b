#include "rhythm/Pipeline.h"

#include "rhythm/Humanizer.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <set>
#include <string>
#include <tuple>
#include <vector>

namespace garvo
{
namespace
{
using Position = std::tuple<Element, int, int, int>; // element, bar, step, flamIndex

std::set<Position> positions(const Pattern& pattern)
{
    std::set<Position> result;
    for (const auto& [element, lane] : pattern.hits)
        for (const auto& hit : lane)
            result.emplace(element, hit.bar, hit.step, hit.flamIndex);
    return result;
}

MorphState morphAt(float x, float y)
{
    return {true, x, y};
}

TEST(Pipeline, NormalModeUsesTheChosenGenre)
{
    struct Case
    {
        int genreIndex;
        const char* genre;
        double tempo;
        const char* kitFolder;
    };
    const std::vector<Case> cases{
        {0, "Amapiano", 113.0, "Amapiano"},  {7, "Drum & Bass", 174.0, "DnB"},    {14, "Dance-Pop", 120.0, "Pop"},
        {-1, "Amapiano", 113.0, "Amapiano"}, {30, "Amapiano", 113.0, "Amapiano"},
    };
    for (const auto& c : cases)
    {
        GenerationSettings settings;
        settings.genreIndex = c.genreIndex;
        const auto result = buildPattern(settings, MorphState{});
        EXPECT_EQ(result.pattern.genre, c.genre);
        EXPECT_EQ(result.pattern.tempo, c.tempo);
        EXPECT_EQ(result.pattern.bars, 2);
        EXPECT_EQ(result.pattern.seed, 1);
        EXPECT_EQ(result.kitGenre, c.genre);
        EXPECT_STREQ(kitFolderForGenre(result.kitGenre), c.kitFolder);
    }
}

TEST(Pipeline, MorphModeIsNamedAfterAndSoundedByTheDominantCorner)
{
    struct Case
    {
        MorphState morph;
        const char* genre;
        double tempo;
        const char* kitGenre;
    };
    const std::vector<Case> cases{
        {morphAt(0.5f, 0.5f), "Amapiano morph", 113.0, "Amapiano"},
        {morphAt(0.0f, 0.0f), "Amapiano morph", 113.0, "Amapiano"},
        {morphAt(1.0f, 0.5f), "UK Garage morph", 135.0, "UK Garage"},
        {morphAt(1.0f, 1.0f), "Dubstep morph", 140.0, "Dubstep"},
    };
    for (const auto& c : cases)
    {
        GenerationSettings settings;
        settings.genreIndex = 7; // ignored while morphing
        const auto result = buildPattern(settings, c.morph);
        EXPECT_EQ(result.pattern.genre, c.genre);
        EXPECT_EQ(result.pattern.tempo, c.tempo);
        EXPECT_EQ(result.kitGenre, c.kitGenre);
    }
}

TEST(Pipeline, TheResultIsTheRawPatternHumanizedWithTheSameRecipe)
{
    for (const auto& morph : {MorphState{}, morphAt(0.3f, 0.8f)})
    {
        GenerationSettings settings;
        settings.genreIndex = 13;
        settings.seed = 4321;
        settings.bars = 4;
        settings.swing = 61.0f;
        settings.looseness = 0.9f;
        auto raw = buildRawPattern(settings, morph);
        EXPECT_EQ(raw.recipe().name, morph.active ? "Baile Funk morph" : "Afro House");
        HumanizeOptions options;
        options.looseness = settings.looseness;
        options.swing = settings.swing;
        humanize(raw.pattern, raw.recipe(), options, 4321u);
        const auto built = buildPattern(settings, morph);
        EXPECT_EQ(built.pattern, raw.pattern);
        EXPECT_EQ(built.kitGenre, raw.kitGenre);
    }
}

TEST(Pipeline, SameValuesGiveTheSamePatternAndFeelOnlyMovesTimingAndLoudness)
{
    for (const auto& morph : {MorphState{}, morphAt(0.5f, 0.5f)})
    {
        GenerationSettings settings;
        settings.genreIndex = 1;
        const auto first = buildPattern(settings, morph).pattern;
        EXPECT_EQ(first, buildPattern(settings, morph).pattern);

        auto looser = settings;
        looser.swing = 65.0f;
        looser.looseness = 1.0f;
        const auto changed = buildPattern(looser, morph).pattern;
        EXPECT_NE(changed, first);
        EXPECT_EQ(positions(changed), positions(first));
    }
}

TEST(Pipeline, MorphAtACornerPlaysEveryStepThatPassesTheDensity)
{
    GenerationSettings settings;
    const auto normal = buildRawPattern(settings, MorphState{}).pattern;
    const auto morphed = buildRawPattern(settings, morphAt(0.0f, 0.0f)).pattern;
    const auto normalHits = positions(normal);
    const auto morphHits = positions(morphed);
    EXPECT_TRUE(std::includes(morphHits.begin(), morphHits.end(), normalHits.begin(), normalHits.end()));
    // All three 0.6 conga steps of both bars, whatever the chance test would have said.
    for (int bar = 0; bar < 2; ++bar)
        for (const int step : {5, 9, 13})
            EXPECT_TRUE(morphHits.contains({Element::Conga, bar, step, 0})) << bar << ":" << step;
}

TEST(Pipeline, SeedAndBarsBelowOneAreRaisedToOne)
{
    GenerationSettings low;
    low.seed = 0;
    low.bars = -2;
    GenerationSettings one;
    one.seed = 1;
    one.bars = 1;
    EXPECT_EQ(buildPattern(low, MorphState{}).pattern, buildPattern(one, MorphState{}).pattern);
    EXPECT_EQ(buildPattern(low, morphAt(0.2f, 0.2f)).pattern, buildPattern(one, morphAt(0.2f, 0.2f)).pattern);
}
} // namespace
} // namespace garvo
