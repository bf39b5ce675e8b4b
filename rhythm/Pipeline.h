#pragma once

#include "rhythm/GenreDNA.h"
#include "rhythm/Vocabulary.h"

#include <optional>
#include <string>

namespace garvo
{
// The six generation values, already converted from the parameters
// (genre index and seed and bars truncated; seed and bars at least 1).
struct GenerationSettings
{
    int genreIndex = 0;
    int seed = 1;
    float density = 0.6f;
    float swing = 54.0f;
    float looseness = 0.4f;
    int bars = 2;
};

struct MorphState
{
    bool active = false;
    float x = 0.5f;
    float y = 0.5f;
};

struct RegeneratedPattern
{
    Pattern pattern;
    // The genre whose sample kit sounds the pattern: the chosen genre, or the dominant morph corner.
    std::string kitGenre;
};

// A regeneration stopped before humanizing, with the recipe the pattern was generated from
// (the humanizer needs it). The command line shows this stage on request.
struct RawPattern
{
    Pattern pattern;
    std::string kitGenre;
    const GenreDNA* registered = nullptr; // the chosen genre's recipe in normal mode
    std::optional<GenreDNA> blend;        // the blended recipe in morph mode

    const GenreDNA& recipe() const { return blend ? *blend : *registered; }
};

RawPattern buildRawPattern(const GenerationSettings& settings, const MorphState& morph);

// The one way a pattern is built from the generation values: the processor and the CLI both call it.
RegeneratedPattern buildPattern(const GenerationSettings& settings, const MorphState& morph);
} // namespace garvo
