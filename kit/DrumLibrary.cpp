#include "kit/DrumLibrary.h"

#include <algorithm>

namespace garvo
{
namespace
{
juce::File garvoDataFolder(const juce::File& applicationData)
{
    return applicationData.getChildFile("GARVO Audio").getChildFile("GARVO RHYTHM");
}

juce::File installedLibrary(const juce::File& applicationData)
{
    if (applicationData == juce::File())
        return {};
    return garvoDataFolder(applicationData).getChildFile("Drum Samples");
}

juce::File samplesPathFile(const juce::File& userApplicationData)
{
    if (userApplicationData == juce::File())
        return {};
    return garvoDataFolder(userApplicationData).getChildFile(kSamplesPathFileName);
}

// The library a path file points at, or an empty File. Text that is not an absolute path never
// reaches the File constructor, which only accepts absolute paths.
juce::File libraryFromPathFile(const juce::File& pathFile)
{
    if (pathFile == juce::File() || !pathFile.existsAsFile())
        return {};
    const auto text = pathFile.loadFileAsString().trim();
    if (text.isEmpty() || !juce::File::isAbsolutePath(text))
        return {};
    return juce::File(text);
}

juce::File bundledLibraryBelow(const juce::File& folder)
{
    return folder.getChildFile("Contents").getChildFile("Resources").getChildFile(kBundledDrumTreeName);
}

// Walks from a file up to the file-system root, looking for a bundled library beside every
// ancestor; a library inside a macOS bundle is reached after three steps.
juce::File walkUpForBundledLibrary(const juce::File& start)
{
    auto current = start;
    while (current.getFullPathName().isNotEmpty() && current.exists())
    {
        if (const auto candidate = bundledLibraryBelow(current); looksLikeDrumTree(candidate))
            return candidate;
        const auto parent = current.getParentDirectory();
        if (parent.getFullPathName().equalsIgnoreCase(current.getFullPathName()))
            break;
        current = parent;
    }
    return {};
}
} // namespace

namespace
{
// JUCE names a program after argv[0] resolved against the working folder, which points at the
// wrong place when the program was started through PATH from another folder; the kernel knows
// the real file. Plug-ins are named correctly (their module file exists), so they keep JUCE's answer.
juce::File runningFile(juce::File::SpecialLocationType type)
{
    const auto reported = juce::File::getSpecialLocation(type);
    if (reported.existsAsFile() || reported.isDirectory())
        return reported;
#if JUCE_LINUX
    if (const auto real = juce::File("/proc/self/exe").getLinkedTarget(); real.existsAsFile())
        return real;
#endif
    return reported;
}
} // namespace

DrumTreeSearchPlaces systemDrumTreeSearchPlaces()
{
    using juce::File;
    return {File::getSpecialLocation(File::userApplicationDataDirectory),
            File::getSpecialLocation(File::commonApplicationDataDirectory), runningFile(File::currentExecutableFile),
            runningFile(File::currentApplicationFile)};
}

juce::File findDrumTreeDir()
{
    return findDrumTreeDir(systemDrumTreeSearchPlaces());
}

juce::File findDrumTreeDir(const DrumTreeSearchPlaces& places)
{
    if (const auto fromPathFile = libraryFromPathFile(samplesPathFile(places.userApplicationData));
        looksLikeDrumTree(fromPathFile))
        return fromPathFile;
    if (const auto beside = walkUpForBundledLibrary(places.executable); beside != juce::File())
        return beside;
    if (const auto beside = walkUpForBundledLibrary(places.application); beside != juce::File())
        return beside;
    for (const auto& applicationData : {places.commonApplicationData, places.userApplicationData})
        if (const auto installed = installedLibrary(applicationData); looksLikeDrumTree(installed))
            return installed;
    return {};
}

juce::StringArray describeDrumTreeSearch(const DrumTreeSearchPlaces& places)
{
    const auto path = [](const juce::File& file)
    { return file == juce::File() ? juce::String("(unknown)") : file.getFullPathName(); };
    const auto bundled = juce::String("Contents/Resources/") + kBundledDrumTreeName;
    return {"the folder named in " + path(samplesPathFile(places.userApplicationData)),
            bundled + " beside " + path(places.executable) + " or any folder above it",
            bundled + " beside " + path(places.application) + " or any folder above it",
            path(installedLibrary(places.commonApplicationData)), path(installedLibrary(places.userApplicationData))};
}

bool looksLikeDrumTree(const juce::File& folder)
{
    if (folder.getFullPathName().isEmpty() || !folder.isDirectory())
        return false;
    for (const auto& entry : juce::RangedDirectoryIterator(folder, false, "*", juce::File::findDirectories))
        if (entry.getFile().getChildFile("Kick").isDirectory())
            return true;
    return false;
}

const char* drumTreeFolderForElement(Element element) noexcept
{
    switch (element)
    {
    case Element::Kick:
        return "Kick";
    case Element::Snare:
        return "Snare";
    case Element::Clap:
        return "Clap";
    case Element::Closed_Hat:
        return "Closed Hat";
    case Element::Open_Hat:
        return "Open Hat";
    case Element::Perc_1:
        return "Perc";
    default:
        return "";
    }
}

int resolveKitIndex(const std::vector<juce::String>& kitNames, const juce::String& wanted) noexcept
{
    const auto find = [&kitNames](juce::StringRef name)
    {
        const auto found = std::find_if(kitNames.begin(), kitNames.end(),
                                        [&name](const juce::String& kit) { return kit.equalsIgnoreCase(name); });
        return found == kitNames.end() ? -1 : static_cast<int>(found - kitNames.begin());
    };
    if (const auto exact = find(wanted); exact >= 0)
        return exact;
    return find("House");
}

void sortByPathIgnoringCase(juce::Array<juce::File>& files)
{
    std::sort(files.begin(), files.end(),
              [](const juce::File& a, const juce::File& b)
              { return a.getFullPathName().compareIgnoreCase(b.getFullPathName()) < 0; });
}
} // namespace garvo
