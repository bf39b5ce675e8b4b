#include "rhythm/GenreLibrary.h"

#include <cstddef>
#include <string_view>

namespace garvo
{
namespace
{
enum class Swung
{
    no,
    yes
};

// A row is written as a drummer reads a step sequencer: sixteen characters in groups of four.
// "A" sounds always and is accented, "x" sounds always, "g" is a ghost note that sounds with
// probability 0.6, "." is silent. Spaces only group the beats.
ElementDNA element(std::string_view steps, int velocity, int accentVelocity, int ghostVelocity, Swung swung)
{
    ElementDNA dna;
    dna.velocity = velocity;
    dna.accentVelocity = accentVelocity;
    dna.ghostVelocity = ghostVelocity;
    dna.swung = swung == Swung::yes;
    int step = 0;
    for (const char symbol : steps)
    {
        if (symbol == ' ')
            continue;
        const auto index = static_cast<std::size_t>(step);
        if (symbol == 'A')
        {
            dna.steps[index] = 1.0f;
            dna.accents.push_back(step);
        }
        else if (symbol == 'x')
            dna.steps[index] = 1.0f;
        else if (symbol == 'g')
        {
            dna.steps[index] = 0.6f;
            dna.ghosts.push_back(step);
        }
        ++step;
    }
    jassert(step == kStepsPerBar);
    return dna;
}

GenreDNA recipe(const char* name, int tempo, int tempoMin, int tempoMax, float swing, Element anchor)
{
    GenreDNA dna;
    dna.name = name;
    dna.tempoMin = tempoMin;
    dna.tempoMax = tempoMax;
    dna.tempo = tempo;
    dna.swing = swing;
    dna.anchor = anchor;
    return dna;
}
} // namespace

GenreDNA buildAmapiano()
{
    auto dna = recipe("Amapiano", 113, 108, 118, 56.0f, Element::Rim);
    dna.elements[Element::Kick] = element("A... x... A... x...", 112, 120, 45, Swung::no);
    dna.elements[Element::Snare] = element(".... A... .... A...", 108, 118, 45, Swung::no);
    dna.elements[Element::Clap] = element(".... A... .... A...", 104, 114, 45, Swung::no);
    dna.elements[Element::Rim] = element("...A ...A ...A ...A", 100, 110, 45, Swung::yes);
    dna.elements[Element::Closed_Hat] = element("Axxx Axxx Axxx Axxx", 70, 92, 40, Swung::yes);
    dna.elements[Element::Open_Hat] = element("..A. ..A. ..A. ..A.", 85, 95, 40, Swung::yes);
    dna.elements[Element::Shaker] = element("xxAx xxAx xxAx xxAx", 64, 84, 38, Swung::yes);
    dna.elements[Element::Conga] = element(".... .g.. .g.. .g..", 70, 90, 55, Swung::yes);
    dna.elements[Element::Log_Drum] = element(".... ...A ...A ...x", 100, 112, 60, Swung::yes);
    return dna;
}

GenreDNA buildUkGarage()
{
    auto dna = recipe("UK Garage", 135, 130, 138, 58.0f, Element::Kick);
    dna.elements[Element::Kick] = element("A... .... ..x. ....", 120, 127, 45, Swung::no);
    dna.elements[Element::Snare] = element(".... A... .... A...", 115, 125, 45, Swung::no);
    dna.elements[Element::Clap] = element(".... A... .... A...", 110, 120, 45, Swung::no);
    dna.elements[Element::Rim] = element(".... ...g .... ...g", 52, 60, 50, Swung::yes);
    dna.elements[Element::Closed_Hat] = element("xAxA xAxA xAxA xAxA", 65, 82, 40, Swung::yes);
    dna.elements[Element::Open_Hat] = element(".... ..A. .... ..A.", 90, 100, 40, Swung::yes);
    dna.elements[Element::Shaker] = element("xxAx xxAx xxAx xxAx", 60, 78, 38, Swung::yes);
    dna.elements[Element::Tambourine] = element("xxAx xxAx xxAx xxAx", 70, 88, 40, Swung::yes);
    return dna;
}

GenreDNA buildBaileFunk()
{
    auto dna = recipe("Baile Funk", 135, 130, 150, 58.0f, Element::Kick);
    dna.elements[Element::Kick] = element("A... ..x. A..x ..x.", 100, 124, 45, Swung::yes);
    dna.elements[Element::Snare] = element(".... A... .... A...", 118, 126, 45, Swung::no);
    dna.elements[Element::Clap] = element(".... A... .... A...", 114, 124, 45, Swung::no);
    dna.elements[Element::Shaker] = element("xxAx xxAx xxAx xxAx", 70, 92, 38, Swung::yes);
    dna.elements[Element::Timbale] = element("..g. .g.. .gA. .g.g", 60, 95, 50, Swung::yes);
    return dna;
}

GenreDNA buildTechHouse()
{
    auto dna = recipe("Tech House", 125, 122, 128, 54.0f, Element::Open_Hat);
    dna.elements[Element::Kick] = element("A... A... x... A...", 115, 120, 45, Swung::no);
    dna.elements[Element::Clap] = element(".... A... .... A...", 110, 120, 45, Swung::no);
    dna.elements[Element::Closed_Hat] = element("xAxA xAxA xAxA xAxA", 60, 85, 38, Swung::yes);
    dna.elements[Element::Open_Hat] = element("..A. ..A. ..A. ..A.", 88, 98, 40, Swung::yes);
    dna.elements[Element::Shaker] = element("xxAx xxAx xxAx xxAx", 62, 80, 36, Swung::yes);
    dna.elements[Element::Conga] = element("...g ..g. ...g ..g.", 75, 95, 55, Swung::yes);
    return dna;
}

GenreDNA buildBassHouse()
{
    auto dna = recipe("Bass House", 127, 124, 128, 52.0f, Element::Kick);
    dna.elements[Element::Kick] = element("A..g A... A.g. A..g", 120, 124, 85, Swung::no);
    dna.elements[Element::Clap] = element(".... A... .... A...", 112, 122, 45, Swung::no);
    dna.elements[Element::Closed_Hat] = element("..A. ..A. ..A. ..A.", 70, 85, 40, Swung::no);
    dna.elements[Element::Open_Hat] = element(".... .... .... ..A.", 88, 95, 40, Swung::no);
    return dna;
}

GenreDNA buildDeepHouse()
{
    auto dna = recipe("Deep House", 122, 120, 124, 56.0f, Element::Open_Hat);
    dna.elements[Element::Kick] = element("A... x..g A... x...", 110, 118, 70, Swung::no);
    dna.elements[Element::Clap] = element(".... A... .... A...", 100, 110, 45, Swung::no);
    dna.elements[Element::Closed_Hat] = element("Axxx Axxx Axxx Axxx", 58, 92, 36, Swung::yes);
    dna.elements[Element::Open_Hat] = element("..A. ..A. ..A. ..A.", 80, 90, 38, Swung::yes);
    dna.elements[Element::Shaker] = element("xxAx xxAx xxAx xxAx", 60, 80, 36, Swung::yes);
    dna.elements[Element::Conga] = element("...g ..g. ..g. .g..", 72, 92, 55, Swung::yes);
    return dna;
}

GenreDNA buildDubstep()
{
    auto dna = recipe("Dubstep", 140, 138, 142, 50.0f, Element::Snare);
    dna.elements[Element::Kick] = element("A... .... ..g. ....", 124, 127, 90, Swung::no);
    dna.elements[Element::Snare] = element(".... .... A... ....", 127, 127, 45, Swung::no);
    dna.elements[Element::Clap] = element(".... .... A... ....", 120, 127, 45, Swung::no);
    dna.elements[Element::Closed_Hat] = element("..A. ..A. ..A. ..A.", 75, 90, 40, Swung::no);
    dna.elements[Element::Open_Hat] = element(".... ..A. .... ..A.", 85, 92, 40, Swung::no);
    return dna;
}

GenreDNA buildDrumAndBass()
{
    auto dna = recipe("Drum & Bass", 174, 170, 176, 53.0f, Element::Snare);
    dna.elements[Element::Kick] = element("A... .... ..x. ....", 127, 127, 45, Swung::no);
    dna.elements[Element::Snare] = element("...g A..g .... A..g", 127, 127, 40, Swung::no);
    dna.elements[Element::Closed_Hat] = element("x.A. x.A. x.A. x.A.", 65, 85, 40, Swung::no);
    dna.elements[Element::Open_Hat] = element(".... ..A. .... ..A.", 80, 90, 40, Swung::no);
    return dna;
}

GenreDNA buildBassline()
{
    auto dna = recipe("Bassline", 138, 135, 142, 54.0f, Element::Open_Hat);
    dna.elements[Element::Kick] = element("A... A... A... A...", 124, 127, 45, Swung::no);
    dna.elements[Element::Clap] = element(".... A... .... A...", 115, 124, 45, Swung::no);
    dna.elements[Element::Closed_Hat] = element("xAxA xAxA xAxA xAxA", 60, 75, 38, Swung::yes);
    dna.elements[Element::Open_Hat] = element("..A. ..A. ..A. ..A.", 90, 100, 40, Swung::yes);
    dna.elements[Element::Shaker] = element("xxAx xxAx xxAx xxAx", 60, 78, 36, Swung::yes);
    return dna;
}

GenreDNA buildUkBass()
{
    auto dna = recipe("UK Bass", 137, 130, 140, 56.0f, Element::Open_Hat);
    dna.elements[Element::Kick] = element("A... x... A... x...", 122, 127, 45, Swung::no);
    dna.elements[Element::Clap] = element(".... A... .... A...", 114, 124, 45, Swung::no);
    dna.elements[Element::Closed_Hat] = element("xAxA xAxA xAxA xAxA", 62, 80, 38, Swung::yes);
    dna.elements[Element::Open_Hat] = element("..A. ..A. ..A. ..A.", 90, 100, 40, Swung::yes);
    dna.elements[Element::Shaker] = element("xxAx xxAx xxAx xxAx", 60, 78, 36, Swung::yes);
    return dna;
}

GenreDNA buildReggaeton()
{
    auto dna = recipe("Reggaeton", 93, 85, 100, 54.0f, Element::Snare);
    dna.elements[Element::Kick] = element("A... x... A... x...", 118, 124, 45, Swung::no);
    dna.elements[Element::Snare] = element("...A ..x. ...A ..x.", 116, 126, 45, Swung::no);
    dna.elements[Element::Rim] = element("...A ..x. .g.A ..x.", 95, 110, 55, Swung::no);
    dna.elements[Element::Closed_Hat] = element("A... x... A... x...", 70, 85, 40, Swung::no);
    dna.elements[Element::Shaker] = element("xxAx xxAx xxAx xxAx", 60, 80, 38, Swung::no);
    return dna;
}

GenreDNA buildGuaracha()
{
    auto dna = recipe("Guaracha", 130, 128, 135, 50.0f, Element::Low_Tom);
    dna.elements[Element::Kick] = element("A... A... A... A...", 124, 127, 45, Swung::no);
    dna.elements[Element::Clap] = element(".... A... .... A...", 112, 122, 45, Swung::no);
    dna.elements[Element::Open_Hat] = element("..A. ..A. ..A. ..A.", 88, 98, 40, Swung::no);
    dna.elements[Element::Low_Tom] = element("...A .... ...A ....", 110, 120, 50, Swung::no);
    dna.elements[Element::Mid_Tom] = element(".... ..Ax .... ..Ax", 100, 112, 50, Swung::no);
    dna.elements[Element::Cowbell] = element("..A. ..A. ..A. ..A.", 90, 100, 40, Swung::no);
    return dna;
}

GenreDNA buildAfrobeats()
{
    auto dna = recipe("Afrobeats", 103, 95, 115, 60.0f, Element::Kick);
    dna.elements[Element::Kick] = element("A... ..x. ..x. ....", 110, 120, 45, Swung::no);
    dna.elements[Element::Rim] = element(".... ..A. .... ..A.", 95, 105, 45, Swung::yes);
    dna.elements[Element::Closed_Hat] = element("x.A. x.A. x.A. x.A.", 65, 85, 40, Swung::yes);
    dna.elements[Element::Shaker] = element("xAxx xAxx xAxx xAxx", 60, 80, 36, Swung::yes);
    dna.elements[Element::Conga] = element("...g .... .g.. .g..", 80, 100, 55, Swung::yes);
    return dna;
}

GenreDNA buildAfroHouse()
{
    auto dna = recipe("Afro House", 123, 120, 126, 60.0f, Element::Conga);
    dna.elements[Element::Kick] = element("A... x... A... x...", 118, 124, 45, Swung::no);
    dna.elements[Element::Clap] = element(".... A..g .... A...", 108, 118, 50, Swung::no);
    dna.elements[Element::Closed_Hat] = element("..A. ..A. ..A. ..A.", 65, 82, 38, Swung::yes);
    dna.elements[Element::Open_Hat] = element("..A. ..A. ..A. ..A.", 84, 94, 40, Swung::yes);
    dna.elements[Element::Shaker] = element("xAxA xAxA xAxA xAxA", 60, 80, 36, Swung::yes);
    dna.elements[Element::Conga] = element(".Ax. .x.x .Ax. .x.x", 92, 110, 60, Swung::yes);
    return dna;
}

GenreDNA buildDancePop()
{
    auto dna = recipe("Dance-Pop", 120, 110, 124, 50.0f, Element::Clap);
    dna.elements[Element::Kick] = element("A... A... A... A...", 122, 127, 45, Swung::no);
    dna.elements[Element::Clap] = element(".... A... .... A...", 116, 126, 45, Swung::no);
    dna.elements[Element::Closed_Hat] = element("xxAx xxAx xxAx xxAx", 65, 82, 38, Swung::no);
    dna.elements[Element::Open_Hat] = element(".... .... .... ..A.", 88, 95, 40, Swung::no);
    return dna;
}

GenreDNA buildTrapPop()
{
    auto dna = recipe("Trap-Pop", 150, 140, 160, 50.0f, Element::Snare);
    dna.elements[Element::Kick] = element("A... ..x. ..x. ....", 122, 127, 45, Swung::no);
    dna.elements[Element::Snare] = element(".... .... A... ....", 124, 127, 45, Swung::no);
    dna.elements[Element::Clap] = element(".... .... A... ....", 120, 127, 45, Swung::no);
    dna.elements[Element::Closed_Hat] = element("xxxx xxAA xxxx xAAA", 60, 95, 40, Swung::no);
    return dna;
}

GenreDNA buildLatinTrap()
{
    auto dna = recipe("Latin Trap", 140, 130, 145, 52.0f, Element::Snare);
    dna.elements[Element::Kick] = element("A... ..x. ..x. ....", 122, 127, 45, Swung::no);
    dna.elements[Element::Snare] = element("...A ..x. ...A ..x.", 116, 126, 45, Swung::no);
    dna.elements[Element::Closed_Hat] = element("xxxx xxAA xxxx xAAA", 60, 95, 40, Swung::no);
    return dna;
}

GenreDNA buildTrap()
{
    auto dna = recipe("Trap", 140, 130, 160, 50.0f, Element::Snare);
    dna.elements[Element::Kick] = element("A... ...x ..x. ....", 124, 127, 45, Swung::no);
    dna.elements[Element::Snare] = element(".... .... A... ....", 124, 127, 45, Swung::no);
    dna.elements[Element::Closed_Hat] = element("xxxA xxxA xxxA xAAA", 55, 100, 40, Swung::no);
    return dna;
}

GenreDNA buildGqom()
{
    auto dna = recipe("Gqom", 124, 118, 128, 54.0f, Element::Kick);
    dna.elements[Element::Kick] = element("A..x ..A. ..x. ....", 122, 127, 45, Swung::no);
    dna.elements[Element::Clap] = element(".... A... .... A...", 112, 122, 45, Swung::no);
    dna.elements[Element::Low_Tom] = element("..A. ...x ...A ..x.", 100, 116, 50, Swung::yes);
    dna.elements[Element::Shaker] = element("xxAx xxAx xxAx xxAx", 60, 80, 36, Swung::yes);
    dna.elements[Element::Cowbell] = element("...A .... .A.. .x..", 88, 100, 40, Swung::yes);
    return dna;
}

GenreDNA buildNeurofunk()
{
    auto dna = buildDrumAndBass();
    dna.name = "Neurofunk";
    dna.elements[Element::Kick] = element("A... .... x... ....", 127, 127, 45, Swung::no);
    return dna;
}

GenreDNA buildLiquidDnb()
{
    auto dna = buildDrumAndBass();
    dna.name = "Liquid DnB";
    dna.swing = 54.0f;
    dna.elements[Element::Snare] = element("..g. A.g. g.g. A.g.", 120, 127, 42, Swung::no);
    dna.elements[Element::Shaker] = element("xxAx xxAx xxAx xxAx", 55, 72, 36, Swung::yes);
    dna.elements[Element::Ride] = element("A.x. x.x. A.x. x.x.", 70, 90, 40, Swung::yes);
    return dna;
}

GenreDNA buildJumpUp()
{
    auto dna = buildDrumAndBass();
    dna.name = "Jump-up DnB";
    dna.anchor = Element::Kick;
    dna.elements[Element::Kick] = element("A... .... ..A. ....", 127, 127, 45, Swung::no);
    dna.elements[Element::Snare] = element(".... A... .... A...", 127, 127, 45, Swung::no);
    return dna;
}

GenreDNA buildMandelao()
{
    auto dna = buildBaileFunk();
    dna.name = "Mandelao";
    dna.tempo = 130;
    dna.elements[Element::Kick] = element("A... .... A..x ....", 110, 127, 45, Swung::yes);
    dna.elements.erase(Element::Timbale);
    return dna;
}

GenreDNA buildAutomotivo()
{
    auto dna = buildBaileFunk();
    dna.name = "Automotivo";
    dna.tempo = 138;
    dna.elements[Element::Low_Tom] = element(".A.x .x.x .A.x .x.x", 100, 115, 50, Swung::yes);
    return dna;
}

GenreDNA buildPerreo()
{
    auto dna = buildReggaeton();
    dna.name = "Perreo";
    dna.tempo = 92;
    dna.elements[Element::Kick] = element("A... .... A... ....", 120, 127, 45, Swung::no);
    dna.elements[Element::Open_Hat] = element("..A. ..A. ..A. ..A.", 88, 98, 40, Swung::no);
    return dna;
}

GenreDNA buildHouse()
{
    auto dna = buildTechHouse();
    dna.name = "House";
    dna.tempo = 126;
    dna.anchor = Element::Clap;
    dna.elements[Element::Clap] = element(".... A... .... A...", 112, 122, 45, Swung::no);
    return dna;
}

GenreDNA buildRasteirinha()
{
    auto dna = buildBaileFunk();
    dna.name = "Rasteirinha";
    dna.tempo = 98;
    dna.elements[Element::Kick] = element("A... ..g. A... ..g.", 110, 124, 60, Swung::yes);
    dna.elements[Element::Tambourine] = element("xxAx xxAx xxAx xxAx", 70, 88, 38, Swung::yes);
    return dna;
}

GenreDNA buildBhFunk()
{
    auto dna = buildBaileFunk();
    dna.name = "BH Funk";
    dna.tempo = 150;
    dna.elements[Element::Closed_Hat] = element("xxAx xxAx xxAx xxAx", 62, 90, 40, Swung::yes);
    return dna;
}

GenreDNA buildModernReggaeton()
{
    auto dna = buildReggaeton();
    dna.name = "Modern Reggaeton";
    dna.tempo = 95;
    dna.elements[Element::Kick] = element("A... x... g... x...", 112, 122, 60, Swung::no);
    dna.elements[Element::Shaker] = element("xxAx xxAx xxAx xxAx", 64, 84, 38, Swung::yes);
    return dna;
}

GenreDNA buildSgija()
{
    auto dna = buildAmapiano();
    dna.name = "Sgija";
    dna.tempo = 120;
    dna.elements[Element::Conga] = element("..A. .x.. .A.x ..x.", 88, 105, 55, Swung::yes);
    return dna;
}

} // namespace garvo
