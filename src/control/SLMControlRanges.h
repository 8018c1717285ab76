#pragma once

#include <QStringView>

#include <algorithm>
#include <optional>

namespace slm {

// Where a console fader runs, bottom to top.
struct ControlRange {
    double lower;
    double upper;

    // The value the fader would show: pinned to the nearer end.
    constexpr double limit(double value) const { return std::clamp(value, lower, upper); }
};

// The console's ranges of the ten continuous controls. The parameters store
// anything (tools play moderately outside these on purpose); values that come
// from outside the process are held to them.
namespace ranges {
inline constexpr ControlRange reactorLevel{0.0, 0.4};
inline constexpr ControlRange fieldLevel{0.0, 0.2};
inline constexpr ControlRange waveLevel{0.0, 0.15};
inline constexpr ControlRange anomalyLevel{0.0, 0.2};
inline constexpr ControlRange glowwormMasterDB{-60.0, 6.0};
inline constexpr ControlRange glowwormLevel{0.0, 0.2};
inline constexpr ControlRange glowwormActivity{0.0, 1.0};
inline constexpr ControlRange glowwormBrightness{0.0, 1.0};
inline constexpr ControlRange glowwormTrail{0.0, 1.0};
inline constexpr ControlRange glowwormStereoTravel{0.0, 1.0};
} // namespace ranges

// The range of a continuous control by its property name ("waveLevel", ...);
// no value for any other name, the switches included.
std::optional<ControlRange> controlRange(QStringView propertyName);

} // namespace slm
