#include "RenderOptions.h"

#include "control/SLMAudioParameters.h"

#include <QMetaProperty>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdlib>

const char* const renderUsage =
    "usage: starlume-render --out FILE.wav [--rate HZ] [--channels N] [--block N] [--seconds S]\n"
    "                       [--clock SECOND] [--set T:NAME=VALUE]... [--meters FILE.csv] [--spectrum FILE.csv]\n"
    "\n"
    "Renders the soundscape offline to a 32-bit float WAV file of max(N, 2) channels (RF64 past 4 GiB).\n"
    "  --out FILE.wav      a new file or a regular file to replace; - for standard output\n"
    "  --rate HZ           sample rate of the device (48000)\n"
    "  --channels N        channel count of the device (2)\n"
    "  --block N           frames per render block; the last may be shorter (512)\n"
    "  --seconds S         length; floor(S x rate) frames (10)\n"
    "  --clock SECOND      wall-clock second of the minute at the start, advancing in 0.1 s steps (0)\n"
    "  --set T:NAME=VALUE  before the first block starting at or after T seconds, set a parameter\n"
    "                      (reactorLevel, waveSolo, ...; switches take 0/1/true/false),\n"
    "                      isFrozen (0/1) or the system output volume (volume, 1.0)\n"
    "  --meters FILE.csv   one line per meter hand-off: end frame, then the 14 meter values\n"
    "  --spectrum FILE.csv one line per analysed 4096-frame block: end frame, then the 24 bands\n";

namespace {

constexpr double maxRate = 1'000'000.0;
constexpr double maxChannels = 64.0;
constexpr double maxBlock = 1 << 20;

bool isDigit(char c) { return c >= '0' && c <= '9'; }

// Plain decimal notation, optionally with an exponent. strtod alone would
// also take hexadecimal ("0x10"), "inf", "nan" and leading blanks.
bool isDecimal(const std::string& text)
{
    std::size_t i = 0;
    const std::size_t n = text.size();
    if (i < n && (text[i] == '+' || text[i] == '-'))
        ++i;
    std::size_t digits = 0;
    for (; i < n && isDigit(text[i]); ++i)
        ++digits;
    if (i < n && text[i] == '.')
        for (++i; i < n && isDigit(text[i]); ++i)
            ++digits;
    if (digits == 0)
        return false;
    if (i < n && (text[i] == 'e' || text[i] == 'E')) {
        ++i;
        if (i < n && (text[i] == '+' || text[i] == '-'))
            ++i;
        std::size_t exponentDigits = 0;
        for (; i < n && isDigit(text[i]); ++i)
            ++exponentDigits;
        if (exponentDigits == 0)
            return false;
    }
    return i == n;
}

std::optional<double> parseNumber(const std::string& text)
{
    if (!isDecimal(text))
        return std::nullopt;
    errno = 0;
    char* end = nullptr;
    const double value = std::strtod(text.c_str(), &end);
    if (end != text.c_str() + text.size() || errno == ERANGE || !std::isfinite(value))
        return std::nullopt;
    return value;
}

bool isWhole(double value) { return std::floor(value) == value; }

std::optional<bool> parseBool(const std::string& text)
{
    if (text == "1" || text == "true")
        return true;
    if (text == "0" || text == "false")
        return false;
    return std::nullopt;
}

// The twenty controls, and whether each is a switch.
std::optional<bool> parameterIsBool(const std::string& name)
{
    const QMetaObject& meta = SLMAudioParameters::staticMetaObject;
    const int index = meta.indexOfProperty(name.c_str());
    if (index < meta.propertyOffset())
        return std::nullopt;
    return meta.property(index).typeId() == QMetaType::Bool;
}

bool parseSet(const std::string& text, RenderOptions::Set& set, std::string& error)
{
    const auto colon = text.find(':');
    const auto equals = text.find('=', colon == std::string::npos ? 0 : colon);
    if (colon == std::string::npos || equals == std::string::npos) {
        error = "--set expects T:NAME=VALUE (got '" + text + "')";
        return false;
    }
    const std::string timeText = text.substr(0, colon);
    const std::string name = text.substr(colon + 1, equals - colon - 1);
    const std::string valueText = text.substr(equals + 1);

    const auto time = parseNumber(timeText);
    if (!time) {
        error = "--set time is not a number of seconds (got '" + timeText + "' in '" + text + "')";
        return false;
    }
    set.time = *time;
    set.name = name;

    bool isSwitch = false;
    if (name == "isFrozen") {
        set.target = RenderOptions::Set::Target::Frozen;
        isSwitch = true;
    } else if (name == "volume") {
        set.target = RenderOptions::Set::Target::Volume;
    } else if (const auto isBool = parameterIsBool(name)) {
        set.target = RenderOptions::Set::Target::Parameter;
        isSwitch = *isBool;
    } else {
        error = "--set: unknown name '" + name + "' (a parameter name, isFrozen or volume)";
        return false;
    }

    if (isSwitch) {
        const auto value = parseBool(valueText);
        if (!value) {
            error = "--set " + name + " takes 0, 1, true or false (got '" + valueText + "')";
            return false;
        }
        set.value = *value ? 1.0 : 0.0;
    } else {
        const auto value = parseNumber(valueText);
        if (!value) {
            error = "--set " + name + " takes a finite number (got '" + valueText + "')";
            return false;
        }
        set.value = *value;
    }
    return true;
}

} // namespace

std::optional<RenderOptions> parseRenderOptions(const std::vector<std::string>& args, std::string& error)
{
    RenderOptions options;
    bool haveOut = false;

    for (std::size_t i = 0; i < args.size(); ++i) {
        std::string option = args[i];
        std::optional<std::string> inlineValue;
        if (const auto eq = option.find('='); option.rfind("--", 0) == 0 && eq != std::string::npos) {
            inlineValue = option.substr(eq + 1);
            option.resize(eq);
        }
        if (option == "--help" || option == "-h") {
            options.help = true;
            return options;
        }
        static const std::vector<std::string> known = {"--out",   "--rate",  "--channels", "--block", "--seconds",
                                                       "--clock", "--set",   "--meters",   "--spectrum"};
        if (std::find(known.begin(), known.end(), option) == known.end()) {
            error = "unknown option '" + args[i] + "'";
            return std::nullopt;
        }
        std::string value;
        if (inlineValue) {
            value = *inlineValue;
        } else if (i + 1 < args.size()) {
            value = args[++i];
        } else {
            error = option + " needs a value";
            return std::nullopt;
        }

        if (option == "--out") {
            if (value.empty()) {
                error = "--out needs a file name";
                return std::nullopt;
            }
            options.out = value;
            haveOut = true;
        } else if (option == "--meters" || option == "--spectrum") {
            if (value.empty()) {
                error = option + " needs a file name";
                return std::nullopt;
            }
            (option == "--meters" ? options.metersPath : options.spectrumPath) = value;
        } else if (option == "--set") {
            RenderOptions::Set set;
            if (!parseSet(value, set, error))
                return std::nullopt;
            options.sets.push_back(set);
        } else {
            const auto number = parseNumber(value);
            if (!number) {
                error = option + " is not a number (got '" + value + "')";
                return std::nullopt;
            }
            const double x = *number;
            if (option == "--rate") {
                if (!(x > 0.0) || !isWhole(x) || x > maxRate) {
                    error = "--rate must be a whole number of hertz from 1 to 1000000 (got '" + value + "')";
                    return std::nullopt;
                }
                options.rate = static_cast<std::uint32_t>(x);
            } else if (option == "--channels") {
                if (x < 1.0 || !isWhole(x) || x > maxChannels) {
                    error = "--channels must be a whole number from 1 to 64 (got '" + value + "')";
                    return std::nullopt;
                }
                options.channels = static_cast<std::uint32_t>(x);
            } else if (option == "--block") {
                if (x < 1.0 || !isWhole(x) || x > maxBlock) {
                    error = "--block must be a whole number of frames from 1 to 1048576 (got '" + value + "')";
                    return std::nullopt;
                }
                options.block = static_cast<std::uint32_t>(x);
            } else if (option == "--seconds") {
                if (x < 0.0) {
                    error = "--seconds must not be negative (got '" + value + "')";
                    return std::nullopt;
                }
                options.seconds = x;
            } else if (option == "--clock") {
                options.clock = x;
            }
        }
    }

    if (!haveOut) {
        error = "missing --out FILE.wav";
        return std::nullopt;
    }
    // Frame counts stay exact in a double, and far below what a WAV file can hold anyway.
    if (options.seconds * options.rate > 9.0e15) {
        error = "--seconds is too long for this rate";
        return std::nullopt;
    }
    return options;
}
