#pragma once

#include <cmath>
#include <numbers>
#include <vector>

namespace slm::test {

inline std::vector<float> sineBlock(double frequency, double amplitude, double sampleRate,
                                    std::size_t length = 4096)
{
    std::vector<float> block(length);
    for (std::size_t n = 0; n < length; ++n)
        block[n] = static_cast<float>(amplitude * std::sin(2.0 * std::numbers::pi * frequency * n / sampleRate));
    return block;
}

} // namespace slm::test
