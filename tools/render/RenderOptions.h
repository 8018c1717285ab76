#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// The command line of starlume-render.
struct RenderOptions {
    // --set T:NAME=VALUE: applied before the first block that starts at or after T seconds.
    struct Set {
        enum class Target { Parameter, Frozen, Volume };
        double time = 0.0;
        Target target = Target::Parameter;
        std::string name;
        double value = 0.0;
    };

    std::string out;
    std::uint32_t rate = 48000;
    std::uint32_t channels = 2; // of the device; the stream has at least 2
    std::uint32_t block = 512;
    double seconds = 10.0;
    double clock = 0.0; // wall-clock second of the minute at the first frame
    std::vector<Set> sets;
    std::string metersPath;
    std::string spectrumPath;
    bool help = false;
};

// Parses the arguments after the program name. On bad input returns nothing
// and puts one line naming the problem into `error`.
std::optional<RenderOptions> parseRenderOptions(const std::vector<std::string>& args, std::string& error);

extern const char* const renderUsage;
