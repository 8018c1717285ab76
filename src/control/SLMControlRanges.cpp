#include "control/SLMControlRanges.h"

#include <utility>

namespace slm {

std::optional<ControlRange> controlRange(QStringView name)
{
    static constexpr std::pair<const char16_t*, ControlRange> table[] = {
        {u"reactorLevel", ranges::reactorLevel},
        {u"fieldLevel", ranges::fieldLevel},
        {u"waveLevel", ranges::waveLevel},
        {u"anomalyLevel", ranges::anomalyLevel},
        {u"glowwormMasterDB", ranges::glowwormMasterDB},
        {u"glowwormLevel", ranges::glowwormLevel},
        {u"glowwormActivity", ranges::glowwormActivity},
        {u"glowwormBrightness", ranges::glowwormBrightness},
        {u"glowwormTrail", ranges::glowwormTrail},
        {u"glowwormStereoTravel", ranges::glowwormStereoTravel},
    };
    for (const auto& [key, range] : table)
        if (name == QStringView(key))
            return range;
    return std::nullopt;
}

} // namespace slm
