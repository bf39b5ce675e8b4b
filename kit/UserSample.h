#pragma once

#include "kit/Pad.h"

#include <juce_core/juce_core.h>

namespace garvo
{
// Decodes a user's own sample file into a one-channel pad of at most ten seconds. Null for a
// missing file, a folder, a file no basic format reads, an implausible header or a file that
// decodes to no samples: in every such case the element keeps the sound it had.
PadPtr decodeUserSampleFile(const juce::File& file);
} // namespace garvo
