#include "rhythm/Pipeline.h"

#include "rhythm/Generator.h"
#include "rhythm/Humanizer.h"
#include "rhythm/Morph.h"

#include <algorithm>
#include <utility>

namespace garvo
{
RawPattern buildRawPattern(const GenerationSettings& settings, const MorphState& morph)
{
    const int seed = std::max(settings.seed, 1);
    const int bars = std::max(settings.bars, 1);
    RawPattern raw;
    if (!morph.active)
    {
        const GenreDNA& dna = genreAt(settings.genreIndex);
        GenerateOptions options;
        options.seed = seed;
        options.density = settings.density;
        options.bars = bars;
        options.tempo = 0.0;
        options.deterministic = false;
        raw.pattern = generate(dna, options);
        raw.registered = &dna;
        raw.kitGenre = dna.name;
        return raw;
    }

    auto morphed = morphGenres(getGenre(kMorphCorners[0]), getGenre(kMorphCorners[1]), getGenre(kMorphCorners[2]),
                               getGenre(kMorphCorners[3]), morph.x, morph.y, seed, settings.density, bars);
    raw.pattern = std::move(morphed.pattern);
    raw.blend = std::move(morphed.dna);
    // The blend's own name ("Dubstep morph") names no kit; the dominant corner's kit sounds it.
    raw.kitGenre = kMorphCorners[static_cast<std::size_t>(morphed.dominant)];
    return raw;
}

RegeneratedPattern buildPattern(const GenerationSettings& settings, const MorphState& morph)
{
    auto raw = buildRawPattern(settings, morph);
    HumanizeOptions options;
    options.looseness = settings.looseness;
    options.swing = settings.swing;
    options.clapFlams = true;
    humanize(raw.pattern, raw.recipe(), options, static_cast<unsigned int>(std::max(settings.seed, 1)));
    return {std::move(raw.pattern), std::move(raw.kitGenre)};
}
} // namespace garvo
