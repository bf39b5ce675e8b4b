// The application in a real window: the built standalone app runs on a private X server (Xvfb),
// the test clicks its play button the way a user does (xdotool), takes screenshots (ImageMagick's
// import) and checks that the window shows the editor and that the button reacted, then asks the
// app to quit and expects a clean exit. Every wait is bounded, so a stuck app fails the test
// instead of hanging the run.

#include "plugin/GarvoColours.h"
#include "support/DrumTreeFixture.h"

#include <csignal>
#include <cstdlib>
#include <gtest/gtest.h>
#include <juce_gui_basics/juce_gui_basics.h>
#include <optional>
#include <sys/types.h>
#include <unistd.h>

namespace garvo
{
namespace
{
constexpr int kEditorWidth = 1220;
constexpr int kEditorHeight = 760;
const juce::Point<int> kPlayButtonCentre{622 + 67, 631 + 18};

juce::File findOnPath(const juce::String& program)
{
    const auto* path = std::getenv("PATH");
    for (const auto& folder : juce::StringArray::fromTokens(path != nullptr ? path : "/usr/bin:/bin", ":", ""))
        if (const auto candidate = juce::File(folder).getChildFile(program); candidate.existsAsFile())
            return candidate;
    return {};
}

juce::File standaloneApp()
{
    const auto* binaryDir = std::getenv("GARVO_BINARY_DIR");
    const auto root = binaryDir != nullptr ? juce::File(binaryDir) : juce::File::getCurrentWorkingDirectory();
    for (const auto* config : {"Release", "RelWithDebInfo", "Debug", "MinSizeRel"})
        if (const auto app = root.getChildFile("GarvoRhythm_artefacts")
                                 .getChildFile(config)
                                 .getChildFile("Standalone")
                                 .getChildFile("GARVO RHYTHM");
            app.existsAsFile())
            return app;
    return {};
}

// A child process that is killed if the test leaves before it ended.
class ScopedProcess
{
public:
    bool start(const juce::StringArray& command, int streams = 0) { return process.start(command, streams); }
    bool isRunning() const { return process.isRunning(); }
    bool waitForExit(int milliseconds) { return process.waitForProcessToFinish(milliseconds); }
    juce::uint32 exitCode() { return process.getExitCode(); }
    juce::String output() { return process.readAllProcessOutput(); }
    ~ScopedProcess()
    {
        if (process.isRunning())
        {
            process.kill();
            process.waitForProcessToFinish(5000);
        }
    }

private:
    juce::ChildProcess process;
};

struct RunResult
{
    bool finished = false;
    juce::uint32 exitCode = 1;
    juce::String output;
};

// Runs a short helper (xdotool, import) against the private display, at most `timeoutMs` long.
RunResult runOnDisplay(const juce::String& display, juce::StringArray command, int timeoutMs = 10000)
{
    command.insert(0, "DISPLAY=" + display);
    command.insert(0, "/usr/bin/env");
    ScopedProcess process;
    RunResult result;
    if (!process.start(command, juce::ChildProcess::wantStdOut))
        return result;
    result.finished = process.waitForExit(timeoutMs);
    if (result.finished)
    {
        result.exitCode = process.exitCode();
        result.output = process.output();
    }
    return result;
}

template <typename Condition> bool waitUntil(int timeoutMs, Condition condition)
{
    const auto deadline = juce::Time::getMillisecondCounter() + static_cast<juce::uint32>(timeoutMs);
    while (juce::Time::getMillisecondCounter() < deadline)
    {
        if (condition())
            return true;
        juce::Thread::sleep(100);
    }
    return condition();
}

class StandaloneWindowTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        app = standaloneApp();
        xvfb = findOnPath("Xvfb");
        const auto missing = app == juce::File()                     ? "the standalone app (build it first)"
                             : xvfb == juce::File()                  ? "Xvfb"
                             : findOnPath("xdotool") == juce::File() ? "xdotool"
                             : findOnPath("import") == juce::File()  ? "import (ImageMagick)"
                                                                     : nullptr;
        if (missing != nullptr)
        {
            // `make test` installs the tools and builds the app; elsewhere the check is skipped.
            if (std::getenv("CI") != nullptr)
                FAIL() << "missing " << missing;
            GTEST_SKIP() << "missing " << missing;
        }
        ASSERT_TRUE(startServer()) << "Xvfb did not start";
    }

    bool startServer()
    {
        // A display number of our own: parallel test runs each pick a free one.
        for (int attempt = 0; attempt < 20; ++attempt)
        {
            const auto number = 200 + (static_cast<int>(::getpid()) + attempt * 37) % 700;
            if (juce::File("/tmp/.X" + juce::String(number) + "-lock").exists())
                continue;
            display = ":" + juce::String(number);
            server = std::make_unique<ScopedProcess>();
            if (!server->start({xvfb.getFullPathName(), display, "-screen", "0", "1400x900x24", "-nolisten", "tcp"}))
                continue;
            const juce::File socket("/tmp/.X11-unix/X" + juce::String(number));
            if (waitUntil(10000, [&] { return socket.exists() || !server->isRunning(); }) && server->isRunning())
                return true;
        }
        return false;
    }

    juce::Image screenshot(const juce::String& name)
    {
        const auto file = home / (name + ".png");
        const auto result = runOnDisplay(display, {"import", "-window", "root", file.getFullPathName()});
        EXPECT_TRUE(result.finished && result.exitCode == 0) << "screenshot " << name;
        return juce::ImageFileFormat::loadFrom(file);
    }

    juce::File app;
    juce::File xvfb;
    juce::String display;
    std::unique_ptr<ScopedProcess> server;
    // The app's settings go to a home of its own, not the user's.
    test::ScopedTempFolder home{"garvo-window-home"};
};

TEST_F(StandaloneWindowTest, OpensTheEditorReactsToPlayAndQuitsCleanly)
{
    ScopedProcess running;
    ASSERT_TRUE(running.start({"/usr/bin/env", "DISPLAY=" + display, "HOME=" + home.get().getFullPathName(),
                               "XDG_CONFIG_HOME=" + (home / ".config").getFullPathName(), app.getFullPathName()}));

    juce::String window;
    ASSERT_TRUE(waitUntil(30000,
                          [&]
                          {
                              const auto found = runOnDisplay(
                                  display, {"xdotool", "search", "--onlyvisible", "--name", "^GARVO RHYTHM$"});
                              window = found.output.trim().upToFirstOccurrenceOf("\n", false, false);
                              return window.isNotEmpty() || !running.isRunning();
                          }) &&
                window.isNotEmpty())
        << "no window named GARVO RHYTHM appeared";
    EXPECT_EQ(runOnDisplay(display, {"xdotool", "getwindowname", window}).output.trim(), "GARVO RHYTHM");

    // The editor fills the window below its title bar, inside an equal border on three sides.
    juce::StringPairArray geometry;
    ASSERT_TRUE(waitUntil(
        10000,
        [&]
        {
            geometry = {};
            for (const auto& line : juce::StringArray::fromLines(
                     runOnDisplay(display, {"xdotool", "getwindowgeometry", "--shell", window}).output))
                if (line.contains("="))
                    geometry.set(line.upToFirstOccurrenceOf("=", false, false),
                                 line.fromFirstOccurrenceOf("=", false, false));
            return geometry["WIDTH"].getIntValue() >= kEditorWidth && geometry["HEIGHT"].getIntValue() >= kEditorHeight;
        }))
        << "the window is smaller than the editor: " << geometry.getDescription();
    const auto border = (geometry["WIDTH"].getIntValue() - kEditorWidth) / 2;
    const juce::Point<int> editorOrigin{geometry["X"].getIntValue() + border, geometry["Y"].getIntValue() +
                                                                                  geometry["HEIGHT"].getIntValue() -
                                                                                  border - kEditorHeight};
    juce::Thread::sleep(1500); // let the first frames reach the screen

    const auto before = screenshot("before");
    const auto play = editorOrigin + kPlayButtonCentre;
    const auto click = runOnDisplay(
        display, {"xdotool", "mousemove", "--sync", juce::String(play.x), juce::String(play.y), "click", "1"});
    ASSERT_TRUE(click.finished && click.exitCode == 0) << "xdotool could not click";
    juce::Thread::sleep(1000);
    const auto after = screenshot("after");
    ASSERT_TRUE(before.isValid() && after.isValid());

    const auto at = [&after, editorOrigin](int x, int y)
    { return after.getPixelAt(editorOrigin.x + x, editorOrigin.y + y); };
    // The header's gold rule and the dark band above it: the editor, not an empty window.
    EXPECT_GT(at(600, 67).getRed(), at(600, 67).getBlue() + 20) << at(600, 67).toDisplayString(true);
    EXPECT_LT(at(600, 40).getBrightness(), 0.15f);
    // The lane grid shows coloured bars: count strongly saturated pixels in it.
    int colourful = 0;
    for (int y = 120; y < 580; y += 2)
        for (int x = 510; x < 1190; x += 2)
            if (at(x, y).getSaturation() > 0.5f && at(x, y).getBrightness() > 0.5f)
                ++colourful;
    EXPECT_GT(colourful, 200) << "no hit bars in the lane grid";

    // The click changed the play button ("Play" became "Stop").
    int changed = 0;
    for (int y = 631; y < 667; ++y)
        for (int x = 622; x < 756; ++x)
            if (before.getPixelAt(editorOrigin.x + x, editorOrigin.y + y) !=
                after.getPixelAt(editorOrigin.x + x, editorOrigin.y + y))
                ++changed;
    EXPECT_GT(changed, 30) << "the play button did not react to the click";

    // Quit as the desktop asks a program to: the app saves its settings and exits by itself.
    const auto pid = runOnDisplay(display, {"xdotool", "getwindowpid", window}).output.trim().getIntValue();
    ASSERT_GT(pid, 0);
    ::kill(static_cast<pid_t>(pid), SIGINT);
    ASSERT_TRUE(running.waitForExit(15000)) << "the app did not quit";
    EXPECT_EQ(running.exitCode(), 0u);
}
} // namespace
} // namespace garvo
