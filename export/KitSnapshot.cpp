#include "export/KitSnapshot.h"

#include <algorithm>

namespace garvo
{
float decayScaleForKitCharacter(float choiceIndex) noexcept
{
    constexpr float last = static_cast<float>(kKitCharacterDecayScales.size() - 1);
    // The negated comparison also sends NaN to "Clean".
    if (!(choiceIndex >= 0.0f))
        return kKitCharacterDecayScales.front();
    return kKitCharacterDecayScales[static_cast<std::size_t>(std::min(choiceIndex, last))];
}
} // namespace garvo
