#pragma once

#include "rhythm/Vocabulary.h"

#include <array>
#include <map>
#include <string>
#include <unordered_map>
#include <vector>

namespace garvo
{
struct ElementDNA
{
    std::array<float, kStepsPerBar> steps{};
    std::vector<int> accents;
    std::vector<int> ghosts;
    int velocity = 90;
    int accentVelocity = 118;
    int ghostVelocity = 45;
    bool swung = false;
};

struct GenreDNA
{
    std::string name;
    int tempoMin = 120;
    int tempoMax = 128;
    int tempo = 124;
    float swing = 52.0f;
    Element anchor = Element::Kick;
    std::map<Element, ElementDNA> elements;
};

// Never fails: an unregistered name gives the "Amapiano" recipe.
const GenreDNA& getGenre(const std::string& name);
// The recipe at a position of the display order (a "genre" parameter index); outside 0 to 29 it
// is the "Amapiano" recipe. Saves building the name list when only one entry is wanted.
const GenreDNA& genreAt(int index);
// The thirty genre names in display order; a "genre" parameter index is a position in this list.
std::vector<std::string> genreNames();
// The drum-library kit folder that sounds a genre; anything unknown gives "House".
const char* kitFolderForGenre(const std::string& genre) noexcept;

const std::unordered_map<std::string, GenreDNA>& registry();
} // namespace garvo
