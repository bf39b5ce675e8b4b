#include "KitTestSupport.h"

#include <gtest/gtest.h>

namespace garvo
{
namespace
{
using test::RawWav;
using test::ScopedTempFolder;
using test::writeRawWav;

// A kit folder whose Kick is a single sample of the given value, so the kit that plays is
// recognisable from one note.
void makeKit(const juce::File& root, const juce::String& name, float marker, bool withSound = true)
{
    const auto kick = root.getChildFile(name).getChildFile("Kick");
    kick.createDirectory();
    if (withSound)
    {
        RawWav wav;
        wav.channels = {{marker, marker, marker, marker}};
        writeRawWav(kick.getChildFile("a.wav"), wav);
    }
}

// Which kit a kit plays: the marker value of its Kick, or 0 for none.
float playedMarker(DrumKit& kit)
{
    kit.sampleRate = 44100.0;
    kit.noteOnElement(Element::Kick, 36, 1.0f);
    juce::AudioBuffer<float> buffer(1, 1);
    buffer.clear();
    kit.render(buffer, 0, 1);
    return buffer.getSample(0, 0);
}

TEST(SelectedKitLoad, PlaysTheKitAFullLoadAndSelectionWouldPlay)
{
    struct Case
    {
        const char* what;
        std::vector<std::tuple<const char*, float, bool>> kits;
        const char* wanted;
    };
    const Case cases[] = {
        {"the named kit", {{"Amapiano", 0.1f, true}, {"House", 0.2f, true}, {"DnB", 0.3f, true}}, "DnB"},
        {"the name in another case", {{"Amapiano", 0.1f, true}, {"dnb", 0.3f, true}}, "DnB"},
        {"House when the name is missing", {{"Amapiano", 0.1f, true}, {"House", 0.2f, true}}, "Pop"},
        {"House when the named kit is silent", {{"House", 0.2f, true}, {"Pop", 0.4f, false}}, "Pop"},
        {"the first kit when neither loads", {{"Amapiano", 0.1f, false}, {"Bassline", 0.5f, true}}, "Pop"},
        {"nothing at all", {{"Amapiano", 0.1f, false}}, "Amapiano"},
    };
    for (const auto& c : cases)
    {
        const ScopedTempFolder root;
        for (const auto& [name, marker, withSound] : c.kits)
            makeKit(root.get(), name, marker, withSound);

        DrumKit full;
        if (full.loadGenreDrumTree(root.get()) > 0)
            full.selectKitByName(c.wanted);
        DrumKit selected;
        if (selected.loadSelectedKit(root.get(), c.wanted) > 0)
            selected.selectKitByName(c.wanted);

        EXPECT_EQ(selected.kitNames.size(), full.hasKits() ? 1u : 0u) << c.what;
        EXPECT_EQ(playedMarker(selected), playedMarker(full)) << c.what;
    }
}
} // namespace
} // namespace garvo
