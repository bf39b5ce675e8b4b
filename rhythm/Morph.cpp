#include "rhythm/Morph.h"

#include "rhythm/Generator.h"
#include "rhythm/Rounding.h"

#include <algorithm>
#include <cstddef>
#include <map>

namespace garvo
{
namespace
{
struct ElementBlend
{
    std::array<float, kStepsPerBar> steps{};
    float velocity = 0.0f;
    float accentVelocity = 0.0f;
    float ghostVelocity = 0.0f;
    float weight = 0.0f;
    float swungWeight = 0.0f;
    const ElementDNA* strongest = nullptr;
    float strongestWeight = -1.0f;

    void add(const ElementDNA& dna, float cornerWeight)
    {
        for (std::size_t step = 0; step < steps.size(); ++step)
            steps[step] += cornerWeight * dna.steps[step];
        velocity += cornerWeight * static_cast<float>(dna.velocity);
        accentVelocity += cornerWeight * static_cast<float>(dna.accentVelocity);
        ghostVelocity += cornerWeight * static_cast<float>(dna.ghostVelocity);
        weight += cornerWeight;
        if (dna.swung)
            swungWeight += cornerWeight;
        if (cornerWeight > strongestWeight)
        {
            strongest = &dna;
            strongestWeight = cornerWeight;
        }
    }

    ElementDNA result() const
    {
        ElementDNA dna;
        // Not divided by the weight total: a corner without the element counts as silence there,
        // so the element fades out towards the corners that lack it.
        dna.steps = steps;
        dna.velocity = roundHalfAway(velocity / weight);
        dna.accentVelocity = roundHalfAway(accentVelocity / weight);
        dna.ghostVelocity = roundHalfAway(ghostVelocity / weight);
        dna.swung = swungWeight > 0.5f * weight;
        dna.accents = strongest->accents;
        dna.ghosts = strongest->ghosts;
        return dna;
    }
};

// Keeps the dominant corner's backbone: its anchor sounds wherever it always sounds there.
void reinforceAnchor(GenreDNA& blend, const GenreDNA& dominant)
{
    const auto source = dominant.elements.find(dominant.anchor);
    if (source == dominant.elements.end())
        return;
    const ElementDNA& anchor = source->second;
    ElementDNA& target = blend.elements[dominant.anchor];
    for (std::size_t step = 0; step < target.steps.size(); ++step)
        if (anchor.steps[step] >= 0.99f)
            target.steps[step] = 1.0f;
    target.accents = anchor.accents;
    target.accentVelocity = std::max(target.accentVelocity, anchor.accentVelocity);
    target.swung = anchor.swung;
}
} // namespace

MorphResult morphGenres(const GenreDNA& corner0, const GenreDNA& corner1, const GenreDNA& corner2,
                        const GenreDNA& corner3, float x, float y, int seed, float density, int bars)
{
    const std::array<const GenreDNA*, 4> corners{&corner0, &corner1, &corner2, &corner3};
    x = std::clamp(x, 0.0f, 1.0f);
    y = std::clamp(y, 0.0f, 1.0f);

    MorphResult result;
    auto& weights = result.weights;
    weights = {(1.0f - y) * (1.0f - x), (1.0f - y) * x, (1.0f - x) * y, y * x};
    for (int corner = 1; corner < 4; ++corner)
        if (weights[static_cast<std::size_t>(corner)] > weights[static_cast<std::size_t>(result.dominant)])
            result.dominant = corner;
    const GenreDNA& dominant = *corners[static_cast<std::size_t>(result.dominant)];

    GenreDNA& blend = result.dna;
    blend.name = dominant.name + " morph";
    blend.tempoMin = dominant.tempoMin;
    blend.tempoMax = dominant.tempoMax;
    blend.tempo = dominant.tempo;
    blend.anchor = dominant.anchor;
    float swingSum = 0.0f;
    float weightSum = 0.0f;
    for (std::size_t corner = 0; corner < corners.size(); ++corner)
    {
        swingSum += weights[corner] * corners[corner]->swing;
        weightSum += weights[corner];
    }
    blend.swing = weightSum > 0.0f ? swingSum / weightSum : dominant.swing;

    // The union of the corners' elements in ascending order: a merge over the four ordered maps.
    using Iterator = std::map<Element, ElementDNA>::const_iterator;
    std::array<Iterator, 4> next{};
    for (std::size_t corner = 0; corner < corners.size(); ++corner)
        next[corner] = corners[corner]->elements.begin();
    for (;;)
    {
        const Element* lowest = nullptr;
        for (std::size_t corner = 0; corner < corners.size(); ++corner)
            if (next[corner] != corners[corner]->elements.end() && (lowest == nullptr || next[corner]->first < *lowest))
                lowest = &next[corner]->first;
        if (lowest == nullptr)
            break;
        const Element element = *lowest;
        ElementBlend accumulated;
        for (std::size_t corner = 0; corner < corners.size(); ++corner)
            if (next[corner] != corners[corner]->elements.end() && next[corner]->first == element)
            {
                accumulated.add(next[corner]->second, weights[corner]);
                ++next[corner];
            }
        // Only corners that weigh nothing have this element: it is not part of the blend.
        if (accumulated.weight == 0.0f)
            continue;
        blend.elements.emplace_hint(blend.elements.end(), element, accumulated.result());
    }

    reinforceAnchor(blend, dominant);

    GenerateOptions options;
    options.seed = seed;
    options.density = density;
    options.bars = bars;
    options.tempo = static_cast<double>(blend.tempo);
    options.deterministic = true;
    result.pattern = generate(blend, options);
    return result;
}
} // namespace garvo
