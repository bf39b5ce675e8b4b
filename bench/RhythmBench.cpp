#include "rhythm/GenreDNA.h"
#include "rhythm/Morph.h"
#include "rhythm/Pipeline.h"

#include <benchmark/benchmark.h>

namespace
{
// One regeneration as the processor runs it after a knob move: "Amapiano", default values.
void regenerateAmapiano(benchmark::State& state)
{
    const garvo::GenerationSettings settings; // genre 0, seed 1, density 0.6, swing 54, looseness 0.4, 2 bars
    (void)garvo::getGenre("Amapiano");        // the registry is built once per program, not per regeneration
    for (auto _ : state)
        benchmark::DoNotOptimize(garvo::buildPattern(settings, garvo::MorphState{}));
}
BENCHMARK(regenerateAmapiano)->Unit(benchmark::kMicrosecond);

// The heaviest morph: all eleven blended elements, eight bars, every step that has any weight.
void morphCentreEightBarsFullDensity(benchmark::State& state)
{
    garvo::GenerationSettings settings;
    settings.density = 1.0f;
    settings.bars = 8;
    const garvo::MorphState centre{true, 0.5f, 0.5f};
    (void)garvo::getGenre("Amapiano");
    for (auto _ : state)
        benchmark::DoNotOptimize(garvo::buildPattern(settings, centre));
}
BENCHMARK(morphCentreEightBarsFullDensity)->Unit(benchmark::kMicrosecond);
} // namespace

namespace
{
// The morph on its own (blend and generate), without the humanizer that the regeneration adds.
void morphGenresCentreEightBarsFullDensity(benchmark::State& state)
{
    const auto& corner0 = garvo::getGenre(garvo::kMorphCorners[0]);
    const auto& corner1 = garvo::getGenre(garvo::kMorphCorners[1]);
    const auto& corner2 = garvo::getGenre(garvo::kMorphCorners[2]);
    const auto& corner3 = garvo::getGenre(garvo::kMorphCorners[3]);
    for (auto _ : state)
        benchmark::DoNotOptimize(garvo::morphGenres(corner0, corner1, corner2, corner3, 0.5f, 0.5f, 1, 1.0f, 8));
}
BENCHMARK(morphGenresCentreEightBarsFullDensity)->Unit(benchmark::kMicrosecond);
} // namespace
