#include <cstdlib>
#include <gtest/gtest.h>
#include <juce_core/juce_core.h>
#include <string>
#include <vector>

// End-to-end runs of "garvo-rhythm pattern", the built binary in GARVO_BINARY_DIR.
namespace
{
struct Result
{
    int exitCode = -1;
    std::string output;
};

Result runPattern(const std::vector<const char*>& args, bool withErrors = false)
{
    const char* dir = std::getenv("GARVO_BINARY_DIR");
    const auto binary =
        juce::File(dir != nullptr ? juce::String(dir) : juce::File::getCurrentWorkingDirectory().getFullPathName())
            .getChildFile("garvo-rhythm");
    juce::StringArray command{binary.getFullPathName(), "pattern"};
    for (const auto* arg : args)
        command.add(arg);
    juce::ChildProcess process;
    Result result;
    const int streams = juce::ChildProcess::wantStdOut | (withErrors ? juce::ChildProcess::wantStdErr : 0);
    if (!process.start(command, streams))
        return result;
    result.output = process.readAllProcessOutput().toStdString();
    process.waitForProcessToFinish(30000);
    result.exitCode = static_cast<int>(process.getExitCode());
    return result;
}

std::string hitJson(int step, int velocity, int note)
{
    return "{\"bar\":0,\"step\":" + std::to_string(step) + ",\"velocity\":" + std::to_string(velocity) +
           ",\"offsetMs\":0.0,\"note\":" + std::to_string(note) + ",\"choked\":false,\"flamIndex\":0}";
}

TEST(PatternCommand, RawTrapIsTheGeneratorsGridPatternAsJson)
{
    std::string expected = "{\"genre\":\"Trap\",\"tempo\":140.0,\"bars\":1,\"seed\":1,\"lanes\":[";
    expected += "{\"element\":\"Kick\",\"hits\":[";
    expected += hitJson(0, 127, 36) + "," + hitJson(7, 124, 36) + "," + hitJson(10, 124, 36);
    expected += "]},{\"element\":\"Snare\",\"hits\":[";
    expected += hitJson(8, 127, 38);
    expected += "]},{\"element\":\"Closed_Hat\",\"hits\":[";
    for (int step = 0; step < 16; ++step)
    {
        if (step > 0)
            expected += ',';
        expected += hitJson(step, step == 3 || step == 7 || step == 11 || step >= 13 ? 100 : 55, 42);
    }
    expected += "]}]}\n";
    const auto result = runPattern({"--genre", "Trap", "--bars", "1", "--raw"});
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(result.output, expected);
}

TEST(PatternCommand, HumanizedOffsetsPrintInShortestRoundTripForm)
{
    const auto result = runPattern({"--genre", "Dubstep", "--bars", "1"});
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(
        result.output.rfind("{\"genre\":\"Dubstep\",\"tempo\":140.0,\"bars\":1,\"seed\":1,\"lanes\":[{\"element\":"
                            "\"Kick\",\"hits\":[{\"bar\":0,\"step\":0,\"velocity\":127,\"offsetMs\":"
                            "2.323209524154663,\"note\":36,\"choked\":false,\"flamIndex\":0},",
                            0),
        0u)
        << result.output;
    EXPECT_NE(result.output.find("\"velocity\":118,\"offsetMs\":13.02"), std::string::npos);
    EXPECT_EQ(result.output, runPattern({"--genre", "Dubstep", "--bars", "1"}).output);
}

TEST(PatternCommand, MorphIsNamedAfterTheDominantCorner)
{
    const auto result = runPattern({"--morph", "1.7,-2", "--raw"});
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(result.output.rfind("{\"genre\":\"UK Garage morph\",\"tempo\":135.0,\"bars\":2,", 0), 0u);
}

TEST(PatternCommand, UsageErrorsExitWithTwoAndSayWhy)
{
    struct Case
    {
        std::vector<const char*> args;
        const char* message;
    };
    const std::vector<Case> cases{
        {{"--genre", "trap"}, "unknown genre 'trap'"},
        {{"--seed", "0"}, "--seed"},
        {{"--density", "x"}, "--density"},
        {{"--frob"}, "unknown argument '--frob'"},
    };
    for (const auto& c : cases)
    {
        const auto result = runPattern(c.args, true);
        EXPECT_EQ(result.exitCode, 2) << c.message;
        EXPECT_NE(result.output.find(c.message), std::string::npos) << result.output;
        EXPECT_EQ(result.output.find('{'), std::string::npos);
    }
}
} // namespace
