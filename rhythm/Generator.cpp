#include "rhythm/Generator.h"

#include "rhythm/Random.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>

namespace garvo
{
namespace
{
constexpr std::uint32_t kZeroSeedSubstitute = 0x9e3779b9u;

int velocityForStep(const ElementDNA& dna, int step)
{
    const auto listed = [step](const std::vector<int>& steps)
    { return std::find(steps.begin(), steps.end(), step) != steps.end(); };
    const int velocity = listed(dna.accents)  ? dna.accentVelocity
                         : listed(dna.ghosts) ? dna.ghostVelocity
                                              : dna.velocity;
    const int limited = std::min(velocity, 127);
    return limited < 2 ? 1 : limited;
}
} // namespace

Pattern generate(const GenreDNA& dna, const GenerateOptions& options)
{
    Pattern pattern;
    pattern.genre = dna.name;
    pattern.seed = options.seed;
    pattern.bars = options.bars >= 2 ? options.bars : 1;
    pattern.tempo = options.tempo > 0.0 ? options.tempo : static_cast<double>(dna.tempo);

    // Single precision on purpose: for density 0.6 the threshold is 0.39999998, so a blended
    // step of probability 0.4f survives. Computing it in double would drop that step.
    const float threshold = options.density < 0.0f ? 1.0f : 1.0f - std::min(1.0f, options.density);

    const auto seedBits = static_cast<std::uint32_t>(options.seed);
    Xorshift32 random(seedBits == 0 ? kZeroSeedSubstitute : seedBits);

    for (const auto& [element, elementDna] : dna.elements)
    {
        // Velocities depend only on the step, so they are looked up once per element, not per bar.
        std::array<int, kStepsPerBar> velocities{};
        std::size_t activeSteps = 0;
        for (int step = 0; step < kStepsPerBar; ++step)
            if (elementDna.steps[static_cast<std::size_t>(step)] > 0.0f)
            {
                velocities[static_cast<std::size_t>(step)] = velocityForStep(elementDna, step);
                ++activeSteps;
            }
        if (activeSteps == 0)
            continue;

        const bool isAnchor = element == dna.anchor;
        const int note = midiNoteFor(element);
        std::vector<Hit> lane;
        lane.reserve(activeSteps * static_cast<std::size_t>(pattern.bars));
        for (int bar = 0; bar < pattern.bars; ++bar)
            for (int step = 0; step < kStepsPerBar; ++step)
            {
                const float probability = elementDna.steps[static_cast<std::size_t>(step)];
                if (probability <= 0.0f)
                    continue;
                // One draw per non-zero step whatever happens next, so later elements draw the same
                // numbers whichever steps earlier elements kept.
                const float chance = random.nextUnit();
                if (!isAnchor && threshold > probability)
                    continue;
                if (!(probability >= 0.99f || options.deterministic || probability > chance))
                    continue;
                Hit hit;
                hit.step = step;
                hit.bar = bar;
                hit.velocity = velocities[static_cast<std::size_t>(step)];
                hit.note = note;
                lane.push_back(hit);
            }
        if (!lane.empty())
            pattern.hits.emplace(element, std::move(lane));
    }
    return pattern;
}
} // namespace garvo
