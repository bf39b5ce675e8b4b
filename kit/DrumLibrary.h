#pragma once

#include "rhythm/Vocabulary.h"

#include <juce_core/juce_core.h>

namespace garvo
{
// Finds the drum-sample library on disk; an empty File when there is none.
juce::File findDrumTreeDir();
bool looksLikeDrumTree(const juce::File& folder);
// The element folder name inside a kit folder; empty for elements that have none.
const char* drumTreeFolderForElement(Element element) noexcept;
} // namespace garvo
