#include "rhythm/Pipeline.h"

#include "rhythm/GenreDNA.h"

namespace garvo
{
RegeneratedPattern buildPattern(const GenerationSettings& settings, const MorphState&)
{
    // Placeholder until the generator lands: an empty pattern of the chosen genre.
    const auto names = genreNames();
    const auto& name = settings.genreIndex >= 0 && settings.genreIndex < static_cast<int>(names.size())
                           ? names[static_cast<size_t>(settings.genreIndex)]
                           : names.front();
    RegeneratedPattern result;
    result.pattern.genre = name;
    result.pattern.bars = settings.bars;
    result.pattern.seed = settings.seed;
    result.pattern.tempo = getGenre(name).tempo;
    result.kitGenre = name;
    return result;
}
} // namespace garvo
