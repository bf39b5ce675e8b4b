#pragma once

#include "rhythm/GenreDNA.h"

namespace garvo
{
// The thirty genre recipes. Only the registry calls these, once each, when it is first used;
// everything else reads the recipes through getGenre.
GenreDNA buildAmapiano();
GenreDNA buildUkGarage();
GenreDNA buildBaileFunk();
GenreDNA buildTechHouse();
GenreDNA buildBassHouse();
GenreDNA buildDeepHouse();
GenreDNA buildDubstep();
GenreDNA buildDrumAndBass();
GenreDNA buildBassline();
GenreDNA buildUkBass();
GenreDNA buildReggaeton();
GenreDNA buildGuaracha();
GenreDNA buildAfrobeats();
GenreDNA buildAfroHouse();
GenreDNA buildDancePop();
GenreDNA buildTrapPop();
GenreDNA buildNeurofunk();
GenreDNA buildLiquidDnb();
GenreDNA buildJumpUp();
GenreDNA buildLatinTrap();
GenreDNA buildTrap();
GenreDNA buildMandelao();
GenreDNA buildAutomotivo();
GenreDNA buildPerreo();
GenreDNA buildHouse();
GenreDNA buildRasteirinha();
GenreDNA buildBhFunk();
GenreDNA buildModernReggaeton();
GenreDNA buildSgija();
GenreDNA buildGqom();
} // namespace garvo
