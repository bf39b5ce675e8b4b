#include "RecipeNotation.h"
#include "rhythm/GenreDNA.h"

#include <gtest/gtest.h>
#include <set>
#include <string>
#include <vector>

namespace garvo
{
namespace
{
using test::rowNotation;
using test::stepNotation;

std::string elementList(const GenreDNA& dna)
{
    std::string list;
    for (const auto& [element, ignored] : dna.elements)
    {
        if (!list.empty())
            list += ' ';
        list += elementName(element);
    }
    return list;
}

struct Overview
{
    const char* name;
    int tempo, tempoMin, tempoMax;
    float swing;
    Element anchor;
    const char* elements;
    const char* kitFolder;
};

// The thirty recipes in display order.
const std::vector<Overview> kOverview{
    {"Amapiano", 113, 108, 118, 56, Element::Rim, "Kick Snare Clap Rim Closed_Hat Open_Hat Shaker Conga Log_Drum",
     "Amapiano"},
    {"UK Garage", 135, 130, 138, 58, Element::Kick, "Kick Snare Clap Rim Closed_Hat Open_Hat Shaker Tambourine",
     "UK Garage"},
    {"Baile Funk", 135, 130, 150, 58, Element::Kick, "Kick Snare Clap Shaker Timbale", "Baile Funk"},
    {"Tech House", 125, 122, 128, 54, Element::Open_Hat, "Kick Clap Closed_Hat Open_Hat Shaker Conga", "House"},
    {"Bass House", 127, 124, 128, 52, Element::Kick, "Kick Clap Closed_Hat Open_Hat", "House"},
    {"Deep House", 122, 120, 124, 56, Element::Open_Hat, "Kick Clap Closed_Hat Open_Hat Shaker Conga", "House"},
    {"Dubstep", 140, 138, 142, 50, Element::Snare, "Kick Snare Clap Closed_Hat Open_Hat", "Dubstep"},
    {"Drum & Bass", 174, 170, 176, 53, Element::Snare, "Kick Snare Closed_Hat Open_Hat", "DnB"},
    {"Bassline", 138, 135, 142, 54, Element::Open_Hat, "Kick Clap Closed_Hat Open_Hat Shaker", "Bassline"},
    {"UK Bass", 137, 130, 140, 56, Element::Open_Hat, "Kick Clap Closed_Hat Open_Hat Shaker", "Bassline"},
    {"Reggaeton", 93, 85, 100, 54, Element::Snare, "Kick Snare Rim Closed_Hat Shaker", "Reggaeton"},
    {"Guaracha", 130, 128, 135, 50, Element::Low_Tom, "Kick Clap Open_Hat Low_Tom Mid_Tom Cowbell", "Guaracha"},
    {"Afrobeats", 103, 95, 115, 60, Element::Kick, "Kick Rim Closed_Hat Shaker Conga", "Afrobeats"},
    {"Afro House", 123, 120, 126, 60, Element::Conga, "Kick Clap Closed_Hat Open_Hat Shaker Conga", "Afro House"},
    {"Dance-Pop", 120, 110, 124, 50, Element::Clap, "Kick Clap Closed_Hat Open_Hat", "Pop"},
    {"Trap-Pop", 150, 140, 160, 50, Element::Snare, "Kick Snare Clap Closed_Hat", "Pop"},
    {"Neurofunk", 174, 170, 176, 53, Element::Snare, "Kick Snare Closed_Hat Open_Hat", "DnB"},
    {"Liquid DnB", 174, 170, 176, 54, Element::Snare, "Kick Snare Closed_Hat Open_Hat Shaker Ride", "DnB"},
    {"Jump-up DnB", 174, 170, 176, 53, Element::Kick, "Kick Snare Closed_Hat Open_Hat", "DnB"},
    {"Latin Trap", 140, 130, 145, 52, Element::Snare, "Kick Snare Closed_Hat", "Reggaeton"},
    {"Trap", 140, 130, 160, 50, Element::Snare, "Kick Snare Closed_Hat", "Pop"},
    {"Mandelao", 130, 130, 150, 58, Element::Kick, "Kick Snare Clap Shaker", "Baile Funk"},
    {"Automotivo", 138, 130, 150, 58, Element::Kick, "Kick Snare Clap Low_Tom Shaker Timbale", "Baile Funk"},
    {"Perreo", 92, 85, 100, 54, Element::Snare, "Kick Snare Rim Closed_Hat Open_Hat Shaker", "Reggaeton"},
    {"House", 126, 122, 128, 54, Element::Clap, "Kick Clap Closed_Hat Open_Hat Shaker Conga", "House"},
    {"Rasteirinha", 98, 130, 150, 58, Element::Kick, "Kick Snare Clap Shaker Tambourine Timbale", "Baile Funk"},
    {"BH Funk", 150, 130, 150, 58, Element::Kick, "Kick Snare Clap Closed_Hat Shaker Timbale", "Baile Funk"},
    {"Modern Reggaeton", 95, 85, 100, 54, Element::Snare, "Kick Snare Rim Closed_Hat Shaker", "Reggaeton"},
    {"Sgija", 120, 108, 118, 56, Element::Rim, "Kick Snare Clap Rim Closed_Hat Open_Hat Shaker Conga Log_Drum",
     "Amapiano"},
    {"Gqom", 124, 118, 128, 54, Element::Kick, "Kick Clap Low_Tom Shaker Cowbell", "Amapiano"},
};

TEST(GenreRegistry, HoldsTheThirtyRecipesInDisplayOrder)
{
    const auto names = genreNames();
    ASSERT_EQ(names.size(), kOverview.size());
    EXPECT_EQ(registry().size(), kOverview.size());
    for (size_t index = 0; index < kOverview.size(); ++index)
    {
        const auto& expected = kOverview[index];
        SCOPED_TRACE(expected.name);
        EXPECT_EQ(names[index], expected.name);
        const GenreDNA& dna = getGenre(expected.name);
        EXPECT_EQ(&genreAt(static_cast<int>(index)), &dna);
        EXPECT_EQ(dna.name, expected.name);
        EXPECT_EQ(dna.tempo, expected.tempo);
        EXPECT_EQ(dna.tempoMin, expected.tempoMin);
        EXPECT_EQ(dna.tempoMax, expected.tempoMax);
        EXPECT_EQ(dna.swing, expected.swing);
        EXPECT_EQ(dna.anchor, expected.anchor);
        EXPECT_EQ(elementList(dna), expected.elements);
        EXPECT_STREQ(kitFolderForGenre(expected.name), expected.kitFolder);
    }
}

TEST(GenreRegistry, UnknownNamesFallBackToAmapianoAndTheHouseKit)
{
    const GenreDNA& amapiano = getGenre("Amapiano");
    for (const char* name : {"gqom", "", "Polka", "Amapiano ", "DUBSTEP"})
    {
        EXPECT_EQ(&getGenre(name), &amapiano) << name;
        EXPECT_STREQ(kitFolderForGenre(name), "House") << name;
    }
    EXPECT_EQ(getGenre("Gqom").name, "Gqom");
    EXPECT_EQ(&genreAt(-1), &amapiano);
    EXPECT_EQ(&genreAt(30), &amapiano);
}

TEST(GenreRegistry, DefaultRecordsMatchTheDocumentedDefaults)
{
    const ElementDNA element;
    EXPECT_EQ(element.velocity, 90);
    EXPECT_EQ(element.accentVelocity, 118);
    EXPECT_EQ(element.ghostVelocity, 45);
    EXPECT_EQ(stepNotation(element), ".... .... .... ....");
    const GenreDNA genre;
    EXPECT_EQ(genre.tempo, 124);
    EXPECT_EQ(genre.tempoMin, 120);
    EXPECT_EQ(genre.tempoMax, 128);
    EXPECT_EQ(genre.swing, 52.0f);
    EXPECT_EQ(genre.anchor, Element::Kick);
}

// The recipe conventions that the notation of the tables relies on.
TEST(GenreLibrary, EveryRecipeKeepsTheRecipeConventions)
{
    for (const auto& name : genreNames())
    {
        const GenreDNA& dna = getGenre(name);
        SCOPED_TRACE(name);
        EXPECT_TRUE(dna.elements.contains(dna.anchor));
        for (const auto& [element, row] : dna.elements)
        {
            SCOPED_TRACE(elementName(element));
            // '?' marks a probability other than 0, 0.6, 1, a ghost off a 0.6 step or an accent off a 1.0 step.
            EXPECT_EQ(stepNotation(row).find('?'), std::string::npos) << stepNotation(row);
            EXPECT_TRUE(std::is_sorted(row.accents.begin(), row.accents.end()));
            EXPECT_TRUE(std::is_sorted(row.ghosts.begin(), row.ghosts.end()));
            EXPECT_NE(stepNotation(row), ".... .... .... ....");
            for (const int velocity : {row.velocity, row.accentVelocity, row.ghostVelocity})
            {
                EXPECT_GE(velocity, 36);
                EXPECT_LE(velocity, 127);
            }
        }
    }
}

TEST(GenreLibrary, DerivedRecipesDifferFromTheirBaseOnlyWhereListed)
{
    struct Change
    {
        Element element;
        const char* row; // empty: removed
    };
    struct Derived
    {
        const char* name;
        const char* base;
        std::vector<Change> changes;
    };
    const std::vector<Derived> derived{
        {"Neurofunk", "Drum & Bass", {{Element::Kick, "A... .... x... .... | 127 127 45"}}},
        {"Liquid DnB",
         "Drum & Bass",
         {{Element::Snare, "..g. A.g. g.g. A.g. | 120 127 42"},
          {Element::Shaker, "xxAx xxAx xxAx xxAx | 55 72 36 swung"},
          {Element::Ride, "A.x. x.x. A.x. x.x. | 70 90 40 swung"}}},
        {"Jump-up DnB",
         "Drum & Bass",
         {{Element::Kick, "A... .... ..A. .... | 127 127 45"}, {Element::Snare, ".... A... .... A... | 127 127 45"}}},
        {"Mandelao", "Baile Funk", {{Element::Kick, "A... .... A..x .... | 110 127 45 swung"}, {Element::Timbale, ""}}},
        {"Automotivo", "Baile Funk", {{Element::Low_Tom, ".A.x .x.x .A.x .x.x | 100 115 50 swung"}}},
        {"Perreo",
         "Reggaeton",
         {{Element::Kick, "A... .... A... .... | 120 127 45"}, {Element::Open_Hat, "..A. ..A. ..A. ..A. | 88 98 40"}}},
        {"House", "Tech House", {{Element::Clap, ".... A... .... A... | 112 122 45"}}},
        {"Rasteirinha",
         "Baile Funk",
         {{Element::Kick, "A... ..g. A... ..g. | 110 124 60 swung"},
          {Element::Tambourine, "xxAx xxAx xxAx xxAx | 70 88 38 swung"}}},
        {"BH Funk", "Baile Funk", {{Element::Closed_Hat, "xxAx xxAx xxAx xxAx | 62 90 40 swung"}}},
        {"Modern Reggaeton",
         "Reggaeton",
         {{Element::Kick, "A... x... g... x... | 112 122 60"},
          {Element::Shaker, "xxAx xxAx xxAx xxAx | 64 84 38 swung"}}},
        {"Sgija", "Amapiano", {{Element::Conga, "..A. .x.. .A.x ..x. | 88 105 55 swung"}}},
    };
    for (const auto& recipe : derived)
    {
        SCOPED_TRACE(recipe.name);
        const GenreDNA& dna = getGenre(recipe.name);
        const GenreDNA& base = getGenre(recipe.base);
        std::set<Element> changed;
        for (const auto& change : recipe.changes)
        {
            changed.insert(change.element);
            const auto found = dna.elements.find(change.element);
            if (std::string(change.row).empty())
                EXPECT_EQ(found, dna.elements.end()) << elementName(change.element);
            else
            {
                ASSERT_NE(found, dna.elements.end()) << elementName(change.element);
                EXPECT_EQ(rowNotation(found->second), change.row) << elementName(change.element);
            }
        }
        for (const auto& [element, row] : base.elements)
            if (!changed.contains(element))
            {
                ASSERT_TRUE(dna.elements.contains(element)) << elementName(element);
                const auto& kept = dna.elements.at(element);
                EXPECT_EQ(rowNotation(kept), rowNotation(row)) << elementName(element);
                EXPECT_EQ(kept.accents, row.accents);
                EXPECT_EQ(kept.ghosts, row.ghosts);
            }
        // The range stays the base's even where the tempo moved out of it.
        EXPECT_EQ(dna.tempoMin, base.tempoMin);
        EXPECT_EQ(dna.tempoMax, base.tempoMax);
    }
}

TEST(GenreLibrary, ElementsThatOnlyAFewRecipesUse)
{
    struct Rare
    {
        Element element;
        std::set<std::string> genres;
    };
    const std::vector<Rare> rare{
        {Element::Log_Drum, {"Amapiano", "Sgija"}},
        {Element::Mid_Tom, {"Guaracha"}},
        {Element::Tambourine, {"UK Garage", "Rasteirinha"}},
        {Element::Ride, {"Liquid DnB"}},
        {Element::High_Tom, {}},
        {Element::Cuica, {}},
        {Element::Crash, {}},
        {Element::Perc_1, {}},
        {Element::Perc_2, {}},
    };
    for (const auto& entry : rare)
    {
        std::set<std::string> users;
        for (const auto& name : genreNames())
            if (getGenre(name).elements.contains(entry.element))
                users.insert(name);
        EXPECT_EQ(users, entry.genres) << elementName(entry.element);
    }
}
} // namespace
} // namespace garvo
