#include "support/ProcessorHarness.h"

#include <gtest/gtest.h>

namespace garvo
{
namespace
{
using test::deliverPendingUpdates;
using test::setParameter;

juce::MemoryBlock saveState(GarvoRhythmProcessor& processor)
{
    juce::MemoryBlock block;
    processor.getStateInformation(block);
    return block;
}

juce::MemoryBlock stateFromXml(const juce::String& xmlText)
{
    juce::MemoryBlock block;
    juce::AudioProcessor::copyXmlToBinary(*juce::parseXML(xmlText), block);
    return block;
}

TEST(State, IsWrappedXmlWithTheParametersAndTheVariationsLast)
{
    GarvoRhythmProcessor processor;
    processor.getKit().variations[3] = 2;
    const auto block = saveState(processor);
    const auto* bytes = static_cast<const juce::uint8*>(block.getData());
    ASSERT_GT(block.getSize(), 9u);
    EXPECT_EQ(juce::ByteOrder::littleEndianInt(bytes), 0x21324356u);
    EXPECT_EQ(juce::ByteOrder::littleEndianInt(bytes + 4), block.getSize() - 9);
    EXPECT_EQ(bytes[block.getSize() - 1], 0);

    const auto xml = juce::AudioProcessor::getXmlFromBinary(block.getData(), static_cast<int>(block.getSize()));
    ASSERT_NE(xml, nullptr);
    EXPECT_EQ(xml->getTagName(), "PARAMETERS");
    EXPECT_EQ(xml->getNumChildElements(), 11);
    const auto* variations = xml->getChildElement(10);
    EXPECT_EQ(variations->getTagName(), "elementVariations");
    EXPECT_EQ(variations->getNumAttributes(), 20);
    EXPECT_EQ(variations->getIntAttribute("e3"), 2);
    EXPECT_EQ(variations->getIntAttribute("e19", -1), 0);
}

TEST(State, RoundTripInAFreshInstanceReproducesThePatternButNotTheMorph)
{
    GarvoRhythmProcessor original;
    setParameter(original, "genre", 12.0f);
    setParameter(original, "seed", 777.0f);
    setParameter(original, "density", 0.8f);
    setParameter(original, "swing", 61.0f);
    setParameter(original, "looseness", 0.9f);
    setParameter(original, "bars", 4.0f);
    original.getKit().variations[5] = 4;
    deliverPendingUpdates();
    const auto expected = original.getCurrentPatternCopy();
    original.setMorphPosition(0.9f, 0.9f);
    deliverPendingUpdates();

    const auto saved = saveState(original);
    EXPECT_EQ(saveState(original), saved) << "saving twice gives the same bytes";

    GarvoRhythmProcessor restored;
    restored.setStateInformation(saved.getData(), static_cast<int>(saved.getSize()));
    deliverPendingUpdates();
    EXPECT_FALSE(restored.isMorphing());
    EXPECT_EQ(restored.getCurrentPatternCopy(), expected);
    EXPECT_EQ(restored.getKit().variations[5].load(), 4);
    EXPECT_EQ(saveState(restored), saved);
}

TEST(State, VariationsAreClampedDefaultedOrLeftAloneWhenAbsent)
{
    struct Row
    {
        const char* what;
        const char* xml;
        int expectedRim;
        int expectedKick;
    };
    const Row rows[] = {
        {"too large is clamped", R"(<PARAMETERS><elementVariations e0="1" e3="9"/></PARAMETERS>)", 4, 1},
        {"negative becomes 0", R"(<PARAMETERS><elementVariations e0="1" e3="-3"/></PARAMETERS>)", 0, 1},
        {"missing attribute becomes 0", R"(<PARAMETERS><elementVariations e3="2"/></PARAMETERS>)", 2, 0},
        {"no child keeps the current ones", R"(<PARAMETERS/>)", 3, 3},
        {"lower-case root is accepted", R"(<parameters><elementVariations e0="2" e3="1"/></parameters>)", 1, 2},
        {"another root restores nothing", R"(<OTHER><elementVariations e0="2" e3="1"/></OTHER>)", 3, 3},
    };
    for (const auto& row : rows)
    {
        GarvoRhythmProcessor processor;
        processor.getKit().variations[0] = 3;
        processor.getKit().variations[3] = 3;
        const auto block = stateFromXml(row.xml);
        processor.setStateInformation(block.getData(), static_cast<int>(block.getSize()));
        EXPECT_EQ(processor.getKit().variations[3].load(), row.expectedRim) << row.what;
        EXPECT_EQ(processor.getKit().variations[0].load(), row.expectedKick) << row.what;
    }
}

TEST(State, GarbageRestoresNothingAndStillRegenerates)
{
    GarvoRhythmProcessor processor;
    setParameter(processor, "seed", 55.0f);
    deliverPendingUpdates();
    processor.getKit().variations[1] = 2;

    const auto good = saveState(processor);
    juce::MemoryBlock wrongMagic(good);
    static_cast<char*>(wrongMagic.getData())[0] ^= 0x55;
    juce::MemoryBlock truncated(good.getData(), 8);
    juce::MemoryBlock notXml("VC2!\x05\x00\x00\x00hello", 14);

    for (const auto* block : {&wrongMagic, &truncated, &notXml})
    {
        processor.setStateInformation(block->getData(), static_cast<int>(block->getSize()));
        EXPECT_FLOAT_EQ(processor.apvts.getRawParameterValue("seed")->load(), 55.0f);
        EXPECT_EQ(processor.getKit().variations[1].load(), 2);
        EXPECT_EQ(processor.getCurrentPatternCopy().seed, 55);
    }
    processor.setStateInformation(nullptr, 0);
    EXPECT_EQ(processor.getCurrentPatternCopy().seed, 55);
}
} // namespace
} // namespace garvo
