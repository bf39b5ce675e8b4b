#include "rhythm/GenreDNA.h"

#include "rhythm/GenreLibrary.h"

#include <array>
#include <cstddef>
#include <string_view>

namespace garvo
{
namespace
{
constexpr std::array<const char*, 30> kGenreDisplayOrder{
    "Amapiano",    "UK Garage",   "Baile Funk", "Tech House",       "Bass House", "Deep House",
    "Dubstep",     "Drum & Bass", "Bassline",   "UK Bass",          "Reggaeton",  "Guaracha",
    "Afrobeats",   "Afro House",  "Dance-Pop",  "Trap-Pop",         "Neurofunk",  "Liquid DnB",
    "Jump-up DnB", "Latin Trap",  "Trap",       "Mandelao",         "Automotivo", "Perreo",
    "House",       "Rasteirinha", "BH Funk",    "Modern Reggaeton", "Sgija",      "Gqom",
};
} // namespace

const std::unordered_map<std::string, GenreDNA>& registry()
{
    static const auto table = []
    {
        // Same order as kGenreDisplayOrder.
        constexpr std::array<GenreDNA (*)(), 30> kBuilders{
            buildAmapiano,  buildUkGarage,    buildBaileFunk, buildTechHouse,       buildBassHouse,  buildDeepHouse,
            buildDubstep,   buildDrumAndBass, buildBassline,  buildUkBass,          buildReggaeton,  buildGuaracha,
            buildAfrobeats, buildAfroHouse,   buildDancePop,  buildTrapPop,         buildNeurofunk,  buildLiquidDnb,
            buildJumpUp,    buildLatinTrap,   buildTrap,      buildMandelao,        buildAutomotivo, buildPerreo,
            buildHouse,     buildRasteirinha, buildBhFunk,    buildModernReggaeton, buildSgija,      buildGqom,
        };
        std::unordered_map<std::string, GenreDNA> map;
        map.reserve(kBuilders.size());
        for (std::size_t index = 0; index < kBuilders.size(); ++index)
        {
            auto dna = kBuilders[index]();
            jassert(dna.name == kGenreDisplayOrder[index]);
            map.emplace(kGenreDisplayOrder[index], std::move(dna));
        }
        return map;
    }();
    return table;
}

const GenreDNA& getGenre(const std::string& name)
{
    const auto& table = registry();
    if (const auto found = table.find(name); found != table.end())
        return found->second;
    return table.at("Amapiano");
}

const GenreDNA& genreAt(int index)
{
    static const auto byIndex = []
    {
        std::array<const GenreDNA*, kGenreDisplayOrder.size()> recipes{};
        for (std::size_t position = 0; position < recipes.size(); ++position)
            recipes[position] = &getGenre(kGenreDisplayOrder[position]);
        return recipes;
    }();
    if (index < 0 || static_cast<std::size_t>(index) >= byIndex.size())
        return *byIndex.front();
    return *byIndex[static_cast<std::size_t>(index)];
}

std::vector<std::string> genreNames()
{
    return {kGenreDisplayOrder.begin(), kGenreDisplayOrder.end()};
}

const char* kitFolderForGenre(const std::string& genre) noexcept
{
    struct Entry
    {
        std::string_view genre;
        const char* folder;
    };
    static constexpr std::array<Entry, 30> kTable{{
        {"House", "House"},
        {"Tech House", "House"},
        {"Bass House", "House"},
        {"Deep House", "House"},
        {"Amapiano", "Amapiano"},
        {"Sgija", "Amapiano"},
        {"Gqom", "Amapiano"},
        {"UK Garage", "UK Garage"},
        {"Bassline", "Bassline"},
        {"UK Bass", "Bassline"},
        {"Baile Funk", "Baile Funk"},
        {"BH Funk", "Baile Funk"},
        {"Mandelao", "Baile Funk"},
        {"Automotivo", "Baile Funk"},
        {"Rasteirinha", "Baile Funk"},
        {"Reggaeton", "Reggaeton"},
        {"Modern Reggaeton", "Reggaeton"},
        {"Perreo", "Reggaeton"},
        {"Latin Trap", "Reggaeton"},
        {"Dance-Pop", "Pop"},
        {"Trap", "Pop"},
        {"Trap-Pop", "Pop"},
        {"Drum & Bass", "DnB"},
        {"Neurofunk", "DnB"},
        {"Liquid DnB", "DnB"},
        {"Jump-up DnB", "DnB"},
        {"Dubstep", "Dubstep"},
        {"Guaracha", "Guaracha"},
        {"Afrobeats", "Afrobeats"},
        {"Afro House", "Afro House"},
    }};
    for (const auto& entry : kTable)
        if (entry.genre == genre)
            return entry.folder;
    return "House";
}
} // namespace garvo
