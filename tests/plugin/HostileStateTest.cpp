#include "support/ProcessorHarness.h"

#include <cmath>
#include <gtest/gtest.h>

namespace garvo
{
namespace
{
struct Snapshot
{
    std::vector<float> parameters;
    std::array<int, kNumElements> variations{};

    bool operator==(const Snapshot&) const = default;
};

Snapshot snapshotOf(GarvoRhythmProcessor& processor)
{
    Snapshot snapshot;
    for (auto* parameter : processor.getParameters())
        snapshot.parameters.push_back(parameter->getValue());
    for (int element = 0; element < kNumElements; ++element)
        snapshot.variations[static_cast<size_t>(element)] = processor.getKit().variations[static_cast<size_t>(element)];
    return snapshot;
}

juce::MemoryBlock wrap(const char* magic, juce::int64 declaredLength, const juce::String& text)
{
    juce::MemoryOutputStream out;
    out.write(magic, 4);
    out.writeInt(static_cast<int>(declaredLength));
    out << text;
    out.writeByte(0);
    return out.getMemoryBlock();
}

// The processor must still make patterns and sound after whatever it was given.
void expectWorking(GarvoRhythmProcessor& processor, const char* what)
{
    processor.regeneratePattern();
    const auto pattern = processor.getCurrentPatternCopy();
    EXPECT_GE(pattern.bars, 1) << what;
    EXPECT_LE(pattern.bars, 8) << what;
    EXPECT_TRUE(std::isfinite(pattern.tempo)) << what;
    for (auto* parameter : processor.getParameters())
        EXPECT_TRUE(std::isfinite(parameter->getValue())) << what;
    for (const auto& variation : processor.getKit().variations)
    {
        EXPECT_GE(variation.load(), 0) << what;
        EXPECT_LT(variation.load(), kNumVariations) << what;
    }
    juce::AudioBuffer<float> buffer(2, 256);
    juce::MidiBuffer midi;
    processor.processBlock(buffer, midi);
    EXPECT_TRUE(std::isfinite(buffer.getMagnitude(0, 256))) << what;
}

TEST(HostileState, BrokenBlocksRestoreNothing)
{
    const juce::String valid = R"(<?xml version="1.0"?><PARAMETERS><PARAM id="seed" value="9"/></PARAMETERS>)";
    struct Row
    {
        const char* what;
        juce::MemoryBlock block;
    };
    const Row rows[] = {
        {"empty", {}},
        {"eight bytes", juce::MemoryBlock("VC2!\x10\0\0\0", 8)},
        {"wrong magic", wrap("VC3!", valid.length(), valid)},
        {"zero length", wrap("VC2!", 0, valid)},
        {"negative length", wrap("VC2!", -5, valid)},
        {"truncated xml", wrap("VC2!", 40, valid.substring(0, 40))},
        {"invalid xml", wrap("VC2!", 20, "<PARAMETERS><PARAM </")},
        {"wrong root", wrap("VC2!", 28, "<SETTINGS seed=\"9\"/>        ")},
        {"text only", wrap("VC2!", 11, "hello world")},
    };
    for (const auto& row : rows)
    {
        GarvoRhythmProcessor processor;
        test::setParameter(processor, "seed", 77.0f);
        processor.getKit().variations[2] = 3;
        const auto before = snapshotOf(processor);
        processor.setStateInformation(row.block.getData(), static_cast<int>(row.block.getSize()));
        EXPECT_EQ(snapshotOf(processor), before) << row.what;
        expectWorking(processor, row.what);
    }
}

TEST(HostileState, HugeDeclaredLengthReadsOnlyWhatIsThere)
{
    const juce::String text = R"(<PARAMETERS><PARAM id="seed" value="9"/></PARAMETERS>)";
    GarvoRhythmProcessor processor;
    const auto block = wrap("VC2!", 0x7fffffff, text);
    processor.setStateInformation(block.getData(), static_cast<int>(block.getSize()));
    EXPECT_FLOAT_EQ(processor.apvts.getRawParameterValue("seed")->load(), 9.0f);
    expectWorking(processor, "huge length");
}

TEST(HostileState, OutOfRangeAndNonNumericValuesAreKeptInRange)
{
    const char* xml = R"(<PARAMETERS>
        <PARAM id="genre" value="1e30"/><PARAM id="seed" value="-5"/><PARAM id="density" value="nan"/>
        <PARAM id="swing" value="inf"/><PARAM id="looseness" value="-inf"/><PARAM id="bars" value="99"/>
        <PARAM id="kit" value="banana"/><PARAM id="outGain" value="1000"/><PARAM id="kitPitch" value="-1000"/>
        <PARAM id="audioOn" value="7"/><PARAM id="unknown" value="3"/>
        <elementVariations e0="nan" e1="1e12" e2="-1e12" e3="x" e4="2.7"/></PARAMETERS>)";
    GarvoRhythmProcessor processor;
    juce::MemoryBlock block;
    juce::AudioProcessor::copyXmlToBinary(*juce::parseXML(xml), block);
    processor.setStateInformation(block.getData(), static_cast<int>(block.getSize()));
    expectWorking(processor, "out of range values");
    EXPECT_EQ(processor.getCurrentPatternCopy().bars, 8);
}

TEST(HostileState, RandomAndMutatedBlocksNeverBreakTheProcessor)
{
    GarvoRhythmProcessor source;
    source.getKit().variations[4] = 2;
    juce::MemoryBlock valid;
    source.getStateInformation(valid);

    GarvoRhythmProcessor processor;
    juce::Random random(20261211);
    for (int round = 0; round < 3000; ++round)
    {
        juce::MemoryBlock block;
        if (round % 3 == 0)
        {
            block.setSize(static_cast<size_t>(random.nextInt(200)));
            random.fillBitsRandomly(block.getData(), block.getSize());
            if (block.getSize() >= 4 && random.nextBool())
                block.copyFrom("VC2!", 0, 4);
        }
        else
        {
            block = valid;
            auto* bytes = static_cast<juce::uint8*>(block.getData());
            for (int flips = 1 + random.nextInt(8); flips > 0; --flips)
                bytes[random.nextInt(static_cast<int>(block.getSize()))] =
                    static_cast<juce::uint8>(random.nextInt(256));
            if (random.nextInt(4) == 0)
                block.setSize(static_cast<size_t>(random.nextInt(static_cast<int>(block.getSize()))));
        }
        processor.setStateInformation(block.getData(), static_cast<int>(block.getSize()));
        if (round % 100 == 0)
            expectWorking(processor, "mutated block");
    }
    expectWorking(processor, "after all rounds");
}
} // namespace
} // namespace garvo
