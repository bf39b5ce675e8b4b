#include "cli/Commands.h"
#include "kit/DrumKit.h"
#include "kit/DrumLibrary.h"

#include <iostream>

namespace garvo::cli
{
namespace
{
constexpr const char* kUsage = "usage: garvo-rhythm library [--library DIR]\n"
                               "  Shows the drum library the app would load (or DIR) and the pads of every kit.\n";

void printKits(const DrumKit& kit)
{
    for (std::size_t k = 0; k < kit.kits.size(); ++k)
    {
        std::cout << kit.kitNames[k];
        const char* separator = ": ";
        for (const auto element : kElementsWithFolders)
        {
            const auto& row = kit.kits[k][static_cast<std::size_t>(elementIndex(element))];
            const auto pads = std::count_if(row.begin(), row.end(), [](const PadPtr& pad) { return pad != nullptr; });
            std::cout << separator << drumTreeFolderForElement(element) << " " << pads;
            separator = ", ";
        }
        std::cout << "\n";
    }
}
} // namespace

int runLibrary(const juce::StringArray& args)
{
    juce::File given;
    for (int i = 0; i < args.size(); ++i)
    {
        if (args[i] == "--help")
        {
            std::cout << kUsage;
            return kExitOk;
        }
        if (args[i] == "--library" && i + 1 < args.size())
        {
            given = juce::File::getCurrentWorkingDirectory().getChildFile(args[++i]);
            continue;
        }
        std::cerr << "garvo-rhythm library: unexpected argument '" << args[i] << "'\n" << kUsage;
        return kExitUsage;
    }

    const auto places = systemDrumTreeSearchPlaces();
    const auto root = given != juce::File() ? given : findDrumTreeDir(places);
    if (root == juce::File())
    {
        std::cerr << "garvo-rhythm library: no drum library found; looked in:\n";
        for (const auto& place : describeDrumTreeSearch(places))
            std::cerr << "  " << place << "\n";
        return kExitFailure;
    }

    DrumKit kit;
    const auto pads = kit.loadGenreDrumTree(root);
    std::cout << "library: " << root.getFullPathName() << (given != juce::File() ? " (given)" : " (found)") << "\n";
    if (!kit.hasKits())
    {
        std::cerr << "garvo-rhythm library: no kit folder with readable samples in it\n";
        return kExitFailure;
    }
    std::cout << kit.kits.size() << " kits, " << pads << " pads, in load order:\n";
    printKits(kit);
    return kExitOk;
}
} // namespace garvo::cli
