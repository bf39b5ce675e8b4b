#include "cli/PatternOptions.h"

#include <gtest/gtest.h>
#include <sstream>
#include <vector>

namespace
{
using garvo::cli::parsePatternOptions;

juce::StringArray argsOf(const std::vector<const char*>& words)
{
    juce::StringArray args;
    for (const auto* word : words)
        args.add(word);
    return args;
}

TEST(PatternOptions, DefaultsAreTheProcessorsDefaults)
{
    std::ostringstream errors;
    const auto parsed = parsePatternOptions({}, "pattern", errors);
    ASSERT_TRUE(parsed);
    const auto& settings = parsed->options.settings;
    EXPECT_EQ(settings.genreIndex, 0);
    EXPECT_EQ(settings.seed, 1);
    EXPECT_EQ(settings.density, 0.6f);
    EXPECT_EQ(settings.swing, 54.0f);
    EXPECT_EQ(settings.looseness, 0.4f);
    EXPECT_EQ(settings.bars, 2);
    EXPECT_FALSE(parsed->options.morph.active);
    EXPECT_TRUE(errors.str().empty());
}

TEST(PatternOptions, ReadsEveryOptionAndHandsBackTheRestInOrder)
{
    std::ostringstream errors;
    const auto parsed =
        parsePatternOptions(argsOf({"--raw", "--genre", "Drum & Bass", "--seed", "999999", "--out", "x.mid",
                                    "--density", "0.35", "--swing", "65", "--looseness", "0", "--bars", "8"}),
                            "midi", errors);
    ASSERT_TRUE(parsed) << errors.str();
    const auto& settings = parsed->options.settings;
    EXPECT_EQ(settings.genreIndex, 7);
    EXPECT_EQ(settings.seed, 999999);
    // Used as given, not snapped to the knob's interval.
    EXPECT_EQ(settings.density, 0.35f);
    EXPECT_EQ(settings.swing, 65.0f);
    EXPECT_EQ(settings.looseness, 0.0f);
    EXPECT_EQ(settings.bars, 8);
    EXPECT_EQ(parsed->remaining, argsOf({"--raw", "--out", "x.mid"}));
}

TEST(PatternOptions, MorphCoordinatesAreClamped)
{
    struct Case
    {
        const char* value;
        float x, y;
    };
    for (const auto& c : std::vector<Case>{{"0.25,0.75", 0.25f, 0.75f}, {"-0.3,1.4", 0.0f, 1.0f}, {"2,-1", 1.0f, 0.0f}})
    {
        std::ostringstream errors;
        const auto parsed = parsePatternOptions(argsOf({"--morph", c.value}), "pattern", errors);
        ASSERT_TRUE(parsed) << c.value;
        EXPECT_TRUE(parsed->options.morph.active);
        EXPECT_EQ(parsed->options.morph.x, c.x) << c.value;
        EXPECT_EQ(parsed->options.morph.y, c.y) << c.value;
    }
}

TEST(PatternOptions, BadValuesAreUsageErrorsWithAMessage)
{
    struct Case
    {
        std::vector<const char*> args;
        const char* expectedText;
    };
    const std::vector<Case> cases{
        {{"--genre", "trap"}, "unknown genre 'trap'"},
        {{"--genre", ""}, "unknown genre"},
        {{"--seed", "0"}, "--seed must be a whole number from 1 to 999999"},
        {{"--seed", "1000000"}, "--seed"},
        {{"--seed", "1.5"}, "--seed"},
        {{"--seed", "12abc"}, "--seed"},
        {{"--bars", "9"}, "--bars must be a whole number from 1 to 8"},
        {{"--bars", "0"}, "--bars"},
        {{"--density", "1.01"}, "--density must be a number from 0 to 1"},
        {{"--density", "-0.1"}, "--density"},
        {{"--density", "nan"}, "--density"},
        {{"--density", "0.5x"}, "--density"},
        {{"--swing", "49.9"}, "--swing must be a number from 50 to 65"},
        {{"--swing", "inf"}, "--swing"},
        {{"--looseness", "abc"}, "--looseness"},
        {{"--morph", "0.5"}, "--morph needs two numbers"},
        {{"--morph", "0.5,y"}, "--morph"},
        {{"--bars"}, "--bars needs a value"},
        {{"--genre", "Trap", "--morph", "0,0"}, "cannot be used together"},
    };
    for (const auto& c : cases)
    {
        std::ostringstream errors;
        EXPECT_FALSE(parsePatternOptions(argsOf(c.args), "pattern", errors)) << c.expectedText;
        EXPECT_NE(errors.str().find(c.expectedText), std::string::npos) << errors.str();
        EXPECT_EQ(errors.str().rfind("garvo-rhythm pattern: ", 0), 0u) << errors.str();
    }
}

TEST(PatternOptions, AnUnknownGenreListsTheValidNames)
{
    std::ostringstream errors;
    EXPECT_FALSE(parsePatternOptions(argsOf({"--genre", "Polka"}), "pattern", errors));
    for (const auto* name : {"Amapiano", "Drum & Bass", "Modern Reggaeton", "Gqom"})
        EXPECT_NE(errors.str().find(std::string("  ") + name + "\n"), std::string::npos) << name;
}
} // namespace
