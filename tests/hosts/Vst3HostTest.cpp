// Loads the built VST3 bundle with JUCE's own VST3 host and drives it as a DAW would: several sample
// rates, odd and even block sizes, a transport that plays, loops, jumps and stops, a state round trip
// and the editor. The plug-in is reached only through the VST3 interfaces, like any other host does.

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <gtest/gtest.h>
#include <juce_audio_processors/juce_audio_processors.h>
#include <juce_gui_basics/juce_gui_basics.h>
#include <memory>
#include <span>
#include <vector>

namespace
{
constexpr int kMaxBlock = 1024;
constexpr double kTempo = 150.0;
constexpr double kLoopBeats = 8.0; // the default pattern: two bars of four beats
// Odd and even sizes, a single sample and the maximum, in an order no host would settle into.
constexpr std::array kBlockSizes{512, 333, 64, 1023, 2, 256, 999, 1, 1024, 128, 77};

juce::File pluginBundle()
{
    const auto* path = std::getenv("GARVO_VST3_PLUGIN");
    return path != nullptr ? juce::File(juce::CharPointer_UTF8(path)) : juce::File();
}

std::unique_ptr<juce::PluginDescription> describePlugin(juce::String& error)
{
    const auto bundle = pluginBundle();
    if (!bundle.exists())
    {
        error = "no VST3 bundle at '" + bundle.getFullPathName() + "' (set GARVO_VST3_PLUGIN)";
        return nullptr;
    }
    juce::VST3PluginFormat format;
    juce::OwnedArray<juce::PluginDescription> types;
    format.findAllTypesForFile(types, bundle.getFullPathName());
    if (types.size() != 1)
    {
        error = "the bundle holds " + juce::String(types.size()) + " plug-ins, expected one";
        return nullptr;
    }
    return std::make_unique<juce::PluginDescription>(*types[0]);
}

std::unique_ptr<juce::AudioPluginInstance> loadPlugin(double rate = 44100.0)
{
    juce::String error;
    const auto description = describePlugin(error);
    if (description == nullptr)
    {
        ADD_FAILURE() << error;
        return nullptr;
    }
    juce::VST3PluginFormat format;
    auto instance = format.createInstanceFromDescription(*description, rate, kMaxBlock, error);
    if (instance == nullptr)
        ADD_FAILURE() << "cannot instantiate: " << error;
    return instance;
}

// A note-on the plug-in sent, placed on the host's beat axis.
struct Note
{
    double ppq;
    int note;
    int velocity;
};

// The host's transport, as the plug-in sees it through the play head.
class HostTransport final : public juce::AudioPlayHead
{
public:
    juce::Optional<PositionInfo> getPosition() const override
    {
        PositionInfo info;
        info.setIsPlaying(playing);
        info.setBpm(bpm);
        if (reportsBeat)
            info.setPpqPosition(ppq);
        info.setTimeSignature(juce::AudioPlayHead::TimeSignature{4, 4});
        info.setTimeInSamples(samples);
        info.setTimeInSeconds(static_cast<double>(samples) / rate);
        info.setIsLooping(looping);
        if (looping)
            info.setLoopPoints(juce::AudioPlayHead::LoopPoints{loopStart, loopEnd});
        return info;
    }

    double rate = 44100.0;
    bool reportsBeat = true; // false: only the sample position and the tempo, as Ardour 7 reports
    bool playing = false;
    double bpm = kTempo;
    double ppq = 0.0;
    std::int64_t samples = 0;
    bool looping = false;
    double loopStart = 0.0;
    double loopEnd = 0.0;
};

bool isDenormal(const float value)
{
    const auto bits = std::bit_cast<std::uint32_t>(value);
    return (bits & 0x7f800000u) == 0 && (bits & 0x007fffffu) != 0;
}

// Runs one prepared plug-in block by block and keeps what came out of it.
class Session
{
public:
    Session(juce::AudioPluginInstance& pluginToRun, const double sampleRate) : plugin(pluginToRun)
    {
        transport.rate = sampleRate;
        plugin.setPlayHead(&transport);
        plugin.setRateAndBufferSizeDetails(sampleRate, kMaxBlock);
        plugin.prepareToPlay(sampleRate, kMaxBlock);
        buffer.setSize(std::max(2, plugin.getTotalNumOutputChannels()), kMaxBlock);
    }

    ~Session()
    {
        plugin.releaseResources();
        plugin.setPlayHead(nullptr);
    }

    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    double beatsPerSample() const { return transport.bpm / (60.0 * transport.rate); }

    void process(const int numSamples)
    {
        buffer.setSize(buffer.getNumChannels(), numSamples, false, false, true);
        buffer.clear();
        midi.clear();
        plugin.processBlock(buffer, midi);

        for (int channel = 0; channel < buffer.getNumChannels(); ++channel)
            for (const auto sample : std::span(buffer.getReadPointer(channel), static_cast<size_t>(numSamples)))
            {
                if (!std::isfinite(sample))
                    ++nonFinite;
                else if (isDenormal(sample))
                    ++denormals;
                else
                    peak = std::max(peak, std::abs(sample));
            }

        for (const auto metadata : midi)
        {
            const auto message = metadata.getMessage();
            if (message.isNoteOnOrOff() && message.getChannel() != 10)
                ++offChannel10;
            if (message.isNoteOn())
            {
                ++noteOns;
                if (!transport.playing)
                    ++noteOnsWhileStopped;
                notes.push_back({transport.ppq + metadata.samplePosition * beatsPerSample(), message.getNoteNumber(),
                                 message.getVelocity()});
            }
            else if (message.isNoteOff())
            {
                ++noteOffs;
            }
        }

        transport.samples += numSamples;
        if (transport.playing)
            transport.ppq += numSamples * beatsPerSample();
    }

    // Plays until the transport reaches `endPpq`; a looping transport jumps back at its loop end
    // in the middle of a block, as hosts that cut blocks at the loop boundary do.
    void playUntil(const double endPpq, const int maxLoopCycles = 0)
    {
        transport.playing = true;
        int cycles = 0;
        while (transport.ppq < endPpq)
        {
            int size = kBlockSizes[nextBlock++ % kBlockSizes.size()];
            if (transport.looping && transport.ppq + size * beatsPerSample() >= transport.loopEnd)
            {
                const auto untilEnd =
                    static_cast<int>(std::ceil((transport.loopEnd - transport.ppq) / beatsPerSample() - 1e-9));
                if (untilEnd > 0)
                    process(untilEnd);
                transport.ppq = transport.loopStart + (transport.ppq - transport.loopEnd);
                if (++cycles >= maxLoopCycles)
                    return;
                continue;
            }
            process(size);
        }
    }

    void stopFor(const int blocks)
    {
        transport.playing = false;
        for (int block = 0; block < blocks; ++block)
            process(kBlockSizes[nextBlock++ % kBlockSizes.size()]);
    }

    // Notes sent with the transport between two positions.
    std::vector<Note> notesBetween(const double from, const double to) const
    {
        std::vector<Note> result;
        for (const auto& n : notes)
            if (n.ppq >= from && n.ppq < to)
                result.push_back(n);
        return result;
    }

    juce::AudioPluginInstance& plugin;
    HostTransport transport;
    juce::AudioBuffer<float> buffer;
    juce::MidiBuffer midi;
    std::size_t nextBlock = 0;

    std::vector<Note> notes;
    int noteOns = 0;
    int noteOffs = 0;
    int noteOnsWhileStopped = 0;
    int offChannel10 = 0;
    long nonFinite = 0;
    long denormals = 0;
    float peak = 0.0f;
};

// Every note of `expected`, moved by `shift` beats, was also sent in `actual`, at the same beat
// within a couple of samples, with the same note number and velocity.
::testing::AssertionResult sentTheSameNotes(const std::vector<Note>& expected, const std::vector<Note>& actual,
                                            const double shift, const double tolerance)
{
    for (const auto& e : expected)
    {
        const auto found = std::any_of(actual.begin(), actual.end(),
                                       [&](const Note& a) {
                                           return a.note == e.note && a.velocity == e.velocity &&
                                                  std::abs(a.ppq - (e.ppq + shift)) <= tolerance;
                                       });
        if (!found)
            return ::testing::AssertionFailure()
                   << "note " << e.note << " (velocity " << e.velocity << ") at beat " << e.ppq + shift
                   << " is missing; " << actual.size() << " notes were sent there";
    }
    return ::testing::AssertionSuccess();
}

TEST(Vst3Host, TheBundleDescribesOneStereoInstrument)
{
    juce::String error;
    const auto description = describePlugin(error);
    ASSERT_NE(description, nullptr) << error;
    EXPECT_EQ(description->name, "GARVO RHYTHM");
    EXPECT_EQ(description->manufacturerName, "GARVO Audio");
    EXPECT_EQ(description->version, "1.3.0");
    EXPECT_TRUE(description->isInstrument);
    EXPECT_EQ(description->numInputChannels, 0);
    EXPECT_EQ(description->numOutputChannels, 2);

    const auto plugin = loadPlugin();
    ASSERT_NE(plugin, nullptr);
    EXPECT_TRUE(plugin->acceptsMidi());
    EXPECT_TRUE(plugin->producesMidi());
    EXPECT_EQ(plugin->getTotalNumOutputChannels(), 2);
}

// One instance is prepared again at each rate, as hosts do when the device changes.
TEST(Vst3Host, FollowsTheHostTransportCleanlyAtEveryRate)
{
    const auto plugin = loadPlugin();
    ASSERT_NE(plugin, nullptr);
    std::vector<Note> firstRateLoop;

    for (const double rate : {44100.0, 48000.0, 96000.0})
    {
        SCOPED_TRACE("sample rate " + std::to_string(rate));
        Session session(*plugin, rate);
        const double tolerance = 2.5 * session.beatsPerSample();

        session.stopFor(20);
        EXPECT_EQ(session.noteOns, 0) << "notes while the host is stopped";

        session.transport.ppq = 0.0;
        session.playUntil(2 * kLoopBeats);
        const auto firstPass = session.notesBetween(0.0, kLoopBeats);
        const auto secondPass = session.notesBetween(kLoopBeats, 2 * kLoopBeats);
        ASSERT_FALSE(firstPass.empty()) << "no note while the host plays";
        EXPECT_TRUE(sentTheSameNotes(firstPass, secondPass, kLoopBeats, tolerance)) << "the loop does not repeat";
        EXPECT_TRUE(sentTheSameNotes(secondPass, firstPass, -kLoopBeats, tolerance)) << "the loop does not repeat";
        EXPECT_GT(session.peak, 1.0e-3f) << "silent while the host plays: is the drum library found?";

        // A host cycle over beats 4 to 8, entered at beat 4: every cycle sends what the pass did.
        const auto beforeCycle = session.notes.size();
        session.transport.ppq = 4.0;
        session.transport.looping = true;
        session.transport.loopStart = 4.0;
        session.transport.loopEnd = 8.0;
        session.playUntil(1.0e9, 3);
        session.transport.looping = false;
        const std::vector<Note> cycled(session.notes.begin() + static_cast<long>(beforeCycle), session.notes.end());
        const auto notesPerCycle =
            std::count_if(firstPass.begin(), firstPass.end(), [](const Note& n) { return n.ppq >= 4.0; });
        EXPECT_EQ(static_cast<long>(cycled.size()), 3 * notesPerCycle);
        for (const auto& n : cycled)
            EXPECT_TRUE(n.ppq >= 4.0 - tolerance && n.ppq < 8.0 + tolerance) << "note outside the cycle at " << n.ppq;
        EXPECT_TRUE(sentTheSameNotes(cycled, firstPass, 0.0, tolerance)) << "a cycle sent notes the pass did not";

        // A jump into the middle of a bar, then one to a pre-roll before beat 0.
        const auto beforeJump = session.notes.size();
        session.transport.ppq = 13.37;
        session.playUntil(16.0);
        session.transport.ppq = -1.5;
        session.playUntil(0.0);
        const std::vector<Note> jumped(session.notes.begin() + static_cast<long>(beforeJump), session.notes.end());
        const std::vector<Note> afterJumpExpected = [&]
        {
            std::vector<Note> expected;
            for (const auto& n : secondPass)
                if (n.ppq >= 13.37 + tolerance)
                    expected.push_back(n);
            for (const auto& n : firstPass)
                if (n.ppq >= 6.5 + tolerance)
                    expected.push_back({n.ppq - kLoopBeats, n.note, n.velocity});
            return expected;
        }();
        EXPECT_TRUE(sentTheSameNotes(afterJumpExpected, jumped, 0.0, tolerance)) << "after a jump";

        // Stopped: no new note, and the sound dies away without leaving denormals behind.
        const auto onsBeforeStop = session.noteOns;
        session.stopFor(static_cast<int>(rate * 4.0 / 400.0));
        EXPECT_EQ(session.noteOns, onsBeforeStop);
        EXPECT_EQ(session.noteOnsWhileStopped, 0);

        EXPECT_EQ(session.nonFinite, 0) << "NaN or infinite samples left the plug-in";
        EXPECT_EQ(session.denormals, 0) << "denormal samples left the plug-in";
        EXPECT_EQ(session.offChannel10, 0) << "notes outside MIDI channel 10";
        EXPECT_EQ(session.noteOns, session.noteOffs) << "every note-on needs its note-off";

        // The pattern sits on the beat axis, whatever the rate.
        if (firstRateLoop.empty())
            firstRateLoop = firstPass;
        else
            EXPECT_TRUE(sentTheSameNotes(firstRateLoop, firstPass, 0.0, tolerance + 2.5 * kTempo / (60.0 * 44100.0)))
                << "the notes move with the sample rate";
    }
}

// Ardour 7 gives VST3 plug-ins the tempo and the sample position but no beat position; the pattern
// must play on the same beats as for a host that reports them.
TEST(Vst3Host, FollowsAHostThatReportsOnlyTheSamplePosition)
{
    const auto plugin = loadPlugin(48000.0);
    ASSERT_NE(plugin, nullptr);

    const auto play = [&](const bool reportsBeat)
    {
        Session session(*plugin, 48000.0);
        session.transport.reportsBeat = reportsBeat;
        session.playUntil(2 * kLoopBeats);
        // A relocation into the middle of a bar: the host moves its sample position there.
        session.transport.ppq = 13.37;
        session.transport.samples = static_cast<std::int64_t>(std::llround(13.37 * 60.0 / kTempo * 48000.0));
        session.playUntil(16.0);
        EXPECT_GT(session.peak, 1.0e-3f);
        return session.notes;
    };
    const auto withBeats = play(true);
    const auto withSamplesOnly = play(false);
    ASSERT_FALSE(withBeats.empty());
    const double tolerance = 2.5 * kTempo / (60.0 * 48000.0);
    EXPECT_EQ(withSamplesOnly.size(), withBeats.size());
    EXPECT_TRUE(sentTheSameNotes(withBeats, withSamplesOnly, 0.0, tolerance));
    EXPECT_TRUE(sentTheSameNotes(withSamplesOnly, withBeats, 0.0, tolerance));
}

// Sets a parameter by its display name through its normalised value, as a host's automation does.
void setParameter(juce::AudioPluginInstance& plugin, const juce::String& name, const float normalised)
{
    for (auto* parameter : plugin.getParameters())
        if (parameter->getName(64) == name)
        {
            parameter->setValueNotifyingHost(normalised);
            return;
        }
    ADD_FAILURE() << "no parameter named " << name;
}

// The note-ons of one loop at 48 kHz from a freshly prepared transport at beat 0.
std::vector<Note> oneLoop(juce::AudioPluginInstance& plugin)
{
    Session session(plugin, 48000.0);
    session.playUntil(kLoopBeats);
    return session.notes;
}

bool sameNotes(const std::vector<Note>& a, const std::vector<Note>& b)
{
    return a.size() == b.size() && sentTheSameNotes(a, b, 0.0, 1.0e-6);
}

TEST(Vst3Host, StateRoundTripRestoresParametersAndPattern)
{
    const auto original = loadPlugin(48000.0);
    ASSERT_NE(original, nullptr);
    const auto defaultLoop = oneLoop(*original);

    // Values the parameters hold exactly, so the restored ones can be compared as they are.
    setParameter(*original, "Seed", (777.0f - 1.0f) / (999999.0f - 1.0f));
    setParameter(*original, "Genre", 7.0f / 29.0f);
    setParameter(*original, "Density", 0.9f);
    setParameter(*original, "Output", 0.4f);
    // The changes travel to the plug-in with the next processed block.
    oneLoop(*original);

    juce::MemoryBlock state;
    original->getStateInformation(state);
    ASSERT_GT(state.getSize(), 0u);

    const auto restored = loadPlugin(48000.0);
    ASSERT_NE(restored, nullptr);
    restored->setStateInformation(state.getData(), static_cast<int>(state.getSize()));

    const auto originalParameters = original->getParameters();
    const auto restoredParameters = restored->getParameters();
    ASSERT_EQ(originalParameters.size(), restoredParameters.size());
    for (int i = 0; i < originalParameters.size(); ++i)
        EXPECT_NEAR(originalParameters[i]->getValue(), restoredParameters[i]->getValue(), 1.0e-6)
            << originalParameters[i]->getName(64);

    const auto restoredLoop = oneLoop(*restored);
    EXPECT_FALSE(sameNotes(restoredLoop, defaultLoop)) << "the restored instance plays the default pattern";
    // The original rebuilds its pattern on its own message thread after the changes; once it has,
    // both play the same notes.
    bool same = false;
    for (int attempt = 0; attempt < 100 && !same; ++attempt)
    {
        same = sameNotes(oneLoop(*original), restoredLoop);
        if (!same)
            juce::MessageManager::getInstance()->runDispatchLoopUntil(50);
    }
    EXPECT_TRUE(same) << "the restored instance plays another pattern than the original";
}

TEST(Vst3Host, EditorOpensAndClosesTwice)
{
    if (juce::SystemStats::getEnvironmentVariable("DISPLAY", {}).isEmpty())
        GTEST_SKIP() << "no X display: run under Xvfb";

    const auto plugin = loadPlugin();
    ASSERT_NE(plugin, nullptr);
    ASSERT_TRUE(plugin->hasEditor());
    Session session(*plugin, 44100.0);

    for (int round = 0; round < 2; ++round)
    {
        std::unique_ptr<juce::AudioProcessorEditor> editor(plugin->createEditorIfNeeded());
        ASSERT_NE(editor, nullptr);
        EXPECT_GT(editor->getWidth(), 100);
        EXPECT_GT(editor->getHeight(), 100);
        editor->addToDesktop(juce::ComponentPeer::windowHasTitleBar);
        editor->setVisible(true);
        // Let the plug-in's window come up and paint while audio keeps running.
        for (int step = 0; step < 10; ++step)
        {
            session.playUntil(session.transport.ppq + 0.5);
            juce::MessageManager::getInstance()->runDispatchLoopUntil(30);
        }
        EXPECT_TRUE(editor->isShowing());
        editor.reset();
        juce::MessageManager::getInstance()->runDispatchLoopUntil(30);
    }
    EXPECT_EQ(session.nonFinite, 0);
}
} // namespace
