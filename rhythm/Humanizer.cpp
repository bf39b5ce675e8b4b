#include "rhythm/Humanizer.h"

#include "rhythm/Random.h"
#include "rhythm/Rounding.h"

#include <algorithm>
#include <array>
#include <bitset>
#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

namespace garvo
{
namespace
{
constexpr std::uint32_t kSeedMix = 0x5bd1e995u;
constexpr std::uint32_t kZeroStateSubstitute = 0x9e3779b9u;

using VelocitySet = std::bitset<128>;

// Which steps of each bar hold a closed hi-hat, one bit per step.
class StepPositions
{
public:
    void add(int bar, int step)
    {
        if (bar < 0 || step < 0 || step >= kStepsPerBar)
            return;
        if (static_cast<std::size_t>(bar) >= masks.size())
            masks.resize(static_cast<std::size_t>(bar) + 1, 0);
        masks[static_cast<std::size_t>(bar)] |= static_cast<std::uint16_t>(1u << step);
    }

    bool contains(int bar, int step) const
    {
        return bar >= 0 && static_cast<std::size_t>(bar) < masks.size() && step >= 0 && step < kStepsPerBar &&
               (masks[static_cast<std::size_t>(bar)] & (1u << step)) != 0;
    }

private:
    std::vector<std::uint16_t> masks;
};

bool contains(const std::vector<int>& steps, int step)
{
    return std::find(steps.begin(), steps.end(), step) != steps.end();
}

int clampVelocity(int velocity)
{
    return velocity <= 0 ? 1 : std::min(velocity, 127);
}

// The closed hi-hat's four-step accent curve: 1.0, 0.79, 0.86, 0.93 within every beat.
float hatAccentFactor(int step)
{
    const auto stepsToNextBeat = static_cast<float>((-step) & 3);
    return (stepsToNextBeat * -0.25f + 1.0f) * 0.28f + 0.72f;
}

void addClapStrokes(std::vector<Hit>& claps, Xorshift32& random)
{
    const auto mainClaps = claps.size();
    claps.reserve(mainClaps * 3);
    for (std::size_t index = 0; index < mainClaps; ++index)
    {
        const Hit clap = claps[index];
        const int strokes = 1 + static_cast<int>(random.next() & 1u);
        for (int flam = 1; flam <= strokes; ++flam)
        {
            Hit stroke = clap;
            stroke.offsetMs = static_cast<double>(random.nextUnit()) * 10.0 + 5.0 + clap.offsetMs;
            const int velocity = clap.velocity - 8 - static_cast<int>(random.next() & 7u);
            stroke.velocity = velocity >= 127 ? 127 : (velocity < 2 ? 1 : velocity);
            stroke.flamIndex = flam;
            claps.push_back(stroke);
        }
    }
}

// Nudges repeated velocities of main hits apart, bar by bar: away from the nearer end of the
// range first, turning back at the ends.
void makeVelocitiesDistinct(std::vector<Hit>& lane, std::vector<std::pair<int, VelocitySet>>& barSets)
{
    barSets.clear();
    for (auto& hit : lane)
    {
        if (hit.flamIndex != 0)
            continue;
        auto found =
            std::find_if(barSets.begin(), barSets.end(), [&](const auto& entry) { return entry.first == hit.bar; });
        if (found == barSets.end())
            found = barSets.insert(barSets.end(), {hit.bar, VelocitySet{}});
        auto& used = found->second;
        int velocity = clampVelocity(hit.velocity);
        // A bar with more than 127 hits in one lane cannot be made distinct; it is left as it is
        // rather than searched for ever.
        if (used.test(static_cast<std::size_t>(velocity)) && used.count() < 127)
        {
            int direction = velocity < 64 ? 1 : -1;
            do
            {
                velocity += direction;
                if (velocity <= 0)
                    direction = 1;
                if (velocity > 127)
                    direction = -1;
                velocity = std::clamp(velocity, 1, 127);
            } while (used.test(static_cast<std::size_t>(velocity)));
        }
        hit.velocity = velocity;
        used.set(static_cast<std::size_t>(velocity));
    }
}
} // namespace

void humanize(Pattern& pattern, const GenreDNA& dna, const HumanizeOptions& options, unsigned int seed)
{
    const auto seedBits = static_cast<std::uint32_t>(seed);
    Xorshift32 random(seedBits == kSeedMix ? kZeroStateSubstitute : seedBits ^ kSeedMix);

    const double sixteenthMs = 60000.0 / std::max(pattern.tempo, 1.0) * 0.25;
    const float swingPercent = options.swing >= 0.0f ? options.swing : dna.swing;
    const double swingOffsetMs = (static_cast<double>(swingPercent) - 50.0) / 50.0 * sixteenthMs;
    const float looseness = std::clamp(options.looseness, 0.0f, 1.0f);
    const float velocitySpread = looseness * 3.0f + 3.0f;
    const float timingSpreadMs = looseness * 4.0f + 1.0f;
    const float ghostTimingSpreadMs = 9.0f * looseness + 3.0f;

    StepPositions closedHats;
    if (const auto lane = pattern.hits.find(Element::Closed_Hat); lane != pattern.hits.end())
        for (const auto& hit : lane->second)
            closedHats.add(hit.bar, hit.step);

    static const ElementDNA kNoRecipe{};
    for (auto& [element, lane] : pattern.hits)
    {
        const auto recipe = dna.elements.find(element);
        const ElementDNA& elementDna = recipe != dna.elements.end() ? recipe->second : kNoRecipe;
        const bool isClosedHat = element == Element::Closed_Hat;
        for (auto& hit : lane)
        {
            if (elementDna.swung && (hit.step & 1) != 0)
                hit.offsetMs += swingOffsetMs;
            if (isClosedHat)
                hit.velocity = roundHalfAway(static_cast<float>(hit.velocity) * hatAccentFactor(hit.step));

            hit.velocity += roundHalfAway(random.nextSymmetric() * velocitySpread);
            const float timingSpread = contains(elementDna.ghosts, hit.step) ? ghostTimingSpreadMs : timingSpreadMs;
            hit.offsetMs += static_cast<double>(random.nextSymmetric() * timingSpread);
            hit.velocity = clampVelocity(hit.velocity);
        }
        if (element == Element::Open_Hat)
            for (auto& hit : lane)
                if (closedHats.contains(hit.bar, (hit.step + 1) & (kStepsPerBar - 1)))
                    hit.choked = true;
    }

    if (options.clapFlams)
        if (const auto claps = pattern.hits.find(Element::Clap); claps != pattern.hits.end())
            addClapStrokes(claps->second, random);

    std::vector<std::pair<int, VelocitySet>> barSets;
    for (auto& [element, lane] : pattern.hits)
        makeVelocitiesDistinct(lane, barSets);
}
} // namespace garvo
