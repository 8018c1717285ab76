#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include <sndfile.h>

// How starlume-render lays out its 32-bit float WAV output.
enum class WavContainer { riff, rf64 };

std::uint64_t wavDataBytes(std::uint64_t frames, std::uint32_t channels);

// RIFF keeps its sizes in 32 bits: a render whose samples would not fit
// them, with room to spare for the header, is written as RF64 instead.
WavContainer wavContainerFor(std::uint64_t frames, std::uint32_t channels);

// The container's libsndfile format, and the settings every output gets.
int wavFormatOf(WavContainer container);
void configureWav(SNDFILE* file);

// The header libsndfile writes for a finished file of `frames` frames,
// worked out on a virtual file without the samples. For a stream, which
// cannot be rewound to fill in the sizes once the samples are out.
std::optional<std::string> wavHeaderFor(std::uint32_t rate, std::uint32_t channels, std::uint64_t frames,
                                        std::string& error);
