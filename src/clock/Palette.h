#pragma once

#include <cstdint>

// A colour as the clock's layers give it: gamma-encoded sRGB components in
// 0...1 and an opacity. Opacity may exceed 1 (some layers boost it); the
// renderers draw such colours as opaque.
struct Rgba {
    float r = 0, g = 0, b = 0, a = 0;

    constexpr Rgba withOpacity(double opacity) const { return {r, g, b, static_cast<float>(opacity)}; }
    constexpr Rgba scaledOpacity(double factor) const { return {r, g, b, static_cast<float>(a * factor)}; }
};

inline constexpr Rgba clearColor{0, 0, 0, 0};

// The named colours the clock uses, in their dark-appearance tints.
enum class Tint : std::uint8_t { cyan, purple, blue, orange, yellow, pink, red, white, black };

constexpr Rgba tint(Tint t, double opacity = 1.0)
{
    constexpr float k = 1.0f / 255.0f;
    Rgba c{};
    switch (t) {
    case Tint::cyan: c = {100 * k, 210 * k, 255 * k, 1}; break;
    case Tint::purple: c = {191 * k, 90 * k, 242 * k, 1}; break;
    case Tint::blue: c = {10 * k, 132 * k, 255 * k, 1}; break;
    case Tint::orange: c = {255 * k, 159 * k, 10 * k, 1}; break;
    case Tint::yellow: c = {255 * k, 214 * k, 10 * k, 1}; break;
    case Tint::pink: c = {255 * k, 55 * k, 95 * k, 1}; break;
    case Tint::red: c = {255 * k, 69 * k, 58 * k, 1}; break;
    case Tint::white: c = {1, 1, 1, 1}; break;
    case Tint::black: c = {0, 0, 0, 1}; break;
    }
    return c.withOpacity(opacity);
}

constexpr Rgba srgb(double r, double g, double b, double opacity = 1.0)
{
    return {static_cast<float>(r), static_cast<float>(g), static_cast<float>(b), static_cast<float>(opacity)};
}
