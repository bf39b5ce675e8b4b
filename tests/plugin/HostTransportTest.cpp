#include "plugin/HostTransport.h"

#include <cmath>
#include <gtest/gtest.h>
#include <limits>
#include <optional>

namespace
{
using PositionInfo = juce::AudioPlayHead::PositionInfo;

constexpr double kRate = 48000.0;
constexpr int kBlock = 256;

struct Report
{
    bool playing = true;
    std::optional<double> bpm;
    std::optional<double> ppq;
    std::optional<std::int64_t> frame;
};

juce::Optional<PositionInfo> makeInfo(const Report& report)
{
    PositionInfo info;
    info.setIsPlaying(report.playing);
    if (report.bpm)
        info.setBpm(*report.bpm);
    if (report.ppq)
        info.setPpqPosition(*report.ppq);
    if (report.frame)
        info.setTimeInSamples(*report.frame);
    return info;
}

double beatsPerBlock(const double bpm)
{
    return kBlock * bpm / (60.0 * kRate);
}

TEST(HostTransportFollower, UsesAFullPositionAsReported)
{
    garvo::HostTransportFollower follower;
    for (const double ppq : {0.0, 0.5, 17.25, -3.0})
    {
        const auto position = follower.update(makeInfo({true, 128.0, ppq, 1000}), kBlock, kRate);
        ASSERT_TRUE(position.has_value());
        EXPECT_DOUBLE_EQ(position->ppq, ppq);
        EXPECT_DOUBLE_EQ(position->bpm, 128.0);
    }
}

// Reports the host makes that must not be played from, and must end a followed transport.
TEST(HostTransportFollower, RefusesReportsWithoutAPlayingTempo)
{
    const struct
    {
        const char* what;
        Report report;
    } cases[] = {
        {"stopped", {false, 120.0, 4.0, 0}},
        {"no tempo", {true, std::nullopt, 4.0, 0}},
        {"zero tempo", {true, 0.0, 4.0, 0}},
        {"negative tempo", {true, -90.0, 4.0, 0}},
        {"NaN tempo", {true, std::numeric_limits<double>::quiet_NaN(), 4.0, 0}},
        {"neither beat nor frame", {true, 120.0, std::nullopt, std::nullopt}},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.what);
        garvo::HostTransportFollower follower;
        ASSERT_TRUE(follower.update(makeInfo({true, 120.0, 0.0, 0}), kBlock, kRate).has_value());
        EXPECT_FALSE(follower.update(makeInfo(c.report), kBlock, kRate).has_value());
        // The blocks after it, with nothing reported, stay silent too.
        EXPECT_FALSE(follower.update({}, kBlock, kRate).has_value());
        EXPECT_FALSE(follower.isFollowing());
    }
}

TEST(HostTransportFollower, NothingReportedAndNeverFollowedPlaysNothing)
{
    garvo::HostTransportFollower follower;
    for (int block = 0; block < 4; ++block)
        EXPECT_FALSE(follower.update({}, kBlock, kRate).has_value());
}

// An LV2 host reports the start of the transport once, as a frame without a beat position.
TEST(HostTransportFollower, KeepsRollingBetweenSparseReports)
{
    garvo::HostTransportFollower follower;
    const auto start = follower.update(makeInfo({true, 150.0, std::nullopt, 0}), kBlock, kRate);
    ASSERT_TRUE(start.has_value());
    EXPECT_DOUBLE_EQ(start->ppq, 0.0);

    for (int block = 1; block <= 1000; ++block)
    {
        const auto position = follower.update({}, kBlock, kRate);
        ASSERT_TRUE(position.has_value());
        ASSERT_NEAR(position->ppq, block * beatsPerBlock(150.0), 1e-9) << "block " << block;
        ASSERT_DOUBLE_EQ(position->bpm, 150.0);
    }
}

TEST(HostTransportFollower, DerivesTheBeatFromAFrameAfterARelocation)
{
    garvo::HostTransportFollower follower;
    follower.update(makeInfo({true, 150.0, std::nullopt, 0}), kBlock, kRate);
    follower.update({}, kBlock, kRate);

    // 96000 frames at 48 kHz are two seconds, five beats at 150 beats per minute.
    const auto relocated = follower.update(makeInfo({true, 150.0, std::nullopt, 96000}), kBlock, kRate);
    ASSERT_TRUE(relocated.has_value());
    EXPECT_NEAR(relocated->ppq, 5.0, 1e-12);
    const auto next = follower.update({}, kBlock, kRate);
    ASSERT_TRUE(next.has_value());
    EXPECT_NEAR(next->ppq, 5.0 + beatsPerBlock(150.0), 1e-12);
}

TEST(HostTransportFollower, ATempoChangeInPlaceKeepsTheBeatContinuous)
{
    garvo::HostTransportFollower follower;
    follower.update(makeInfo({true, 120.0, std::nullopt, 0}), kBlock, kRate);
    for (int block = 1; block < 100; ++block)
        follower.update({}, kBlock, kRate);
    const double beatBeforeChange = 100 * beatsPerBlock(120.0);

    const auto changed = follower.update(makeInfo({true, 90.0, std::nullopt, 100 * kBlock}), kBlock, kRate);
    ASSERT_TRUE(changed.has_value());
    EXPECT_NEAR(changed->ppq, beatBeforeChange, 1e-9);
    EXPECT_DOUBLE_EQ(changed->bpm, 90.0);
    const auto next = follower.update({}, kBlock, kRate);
    ASSERT_TRUE(next.has_value());
    EXPECT_NEAR(next->ppq, beatBeforeChange + beatsPerBlock(90.0), 1e-9);
}

TEST(HostTransportFollower, StopsWhenTheHostStopsAndRestartsWhereItSays)
{
    garvo::HostTransportFollower follower;
    follower.update(makeInfo({true, 120.0, std::nullopt, 0}), kBlock, kRate);
    follower.update({}, kBlock, kRate);
    EXPECT_FALSE(follower.update(makeInfo({false, 120.0, std::nullopt, 2 * kBlock}), kBlock, kRate).has_value());
    EXPECT_FALSE(follower.update({}, kBlock, kRate).has_value());

    const auto restarted = follower.update(makeInfo({true, 120.0, std::nullopt, 2 * kBlock}), kBlock, kRate);
    ASSERT_TRUE(restarted.has_value());
    EXPECT_NEAR(restarted->ppq, 2 * beatsPerBlock(120.0), 1e-12);
}

TEST(HostTransportFollower, ResetForgetsTheFollowedTransport)
{
    garvo::HostTransportFollower follower;
    follower.update(makeInfo({true, 120.0, 8.0, 0}), kBlock, kRate);
    follower.reset();
    EXPECT_FALSE(follower.update({}, kBlock, kRate).has_value());
}

TEST(HostTransportFollower, AnUnusableSampleRateFollowsNothing)
{
    garvo::HostTransportFollower follower;
    for (const double rate : {0.0, -44100.0, std::numeric_limits<double>::quiet_NaN()})
    {
        EXPECT_FALSE(follower.update(makeInfo({true, 120.0, 1.0, 0}), kBlock, rate).has_value());
        EXPECT_FALSE(follower.update({}, kBlock, kRate).has_value());
    }
}
} // namespace
