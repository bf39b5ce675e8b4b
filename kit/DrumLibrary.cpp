#include "kit/DrumLibrary.h"

namespace garvo
{
// Placeholder bodies: discovery is filled in with the drum library work.
juce::File findDrumTreeDir() { return {}; }
bool looksLikeDrumTree(const juce::File&) { return false; }
const char* drumTreeFolderForElement(Element) noexcept { return ""; }
} // namespace garvo
