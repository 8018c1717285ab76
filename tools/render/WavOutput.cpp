#include "WavOutput.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr std::uint64_t riffLimit = 0xffffffffULL;
constexpr std::uint64_t headerRoom = 64 * 1024;

// A file that keeps what is written to it until told to stop, and then only
// counts the bytes.
struct HeaderOnlyFile {
    std::string start;
    bool keeping = true;
    sf_count_t position = 0;
    sf_count_t length = 0;
};

HeaderOnlyFile& fileOf(void* data) { return *static_cast<HeaderOnlyFile*>(data); }

sf_count_t lengthOf(void* data) { return fileOf(data).length; }

sf_count_t seekIn(sf_count_t offset, int whence, void* data)
{
    HeaderOnlyFile& f = fileOf(data);
    const sf_count_t base = whence == SEEK_CUR ? f.position : (whence == SEEK_END ? f.length : 0);
    f.position = std::max<sf_count_t>(base + offset, 0);
    return f.position;
}

sf_count_t readNothing(void*, sf_count_t, void*) { return 0; }

sf_count_t writeInto(const void* bytes, sf_count_t count, void* data)
{
    HeaderOnlyFile& f = fileOf(data);
    if (f.keeping && f.position + count <= static_cast<sf_count_t>(headerRoom)) {
        const auto at = static_cast<std::size_t>(f.position);
        const auto size = static_cast<std::size_t>(count);
        if (f.start.size() < at + size)
            f.start.resize(at + size);
        std::memcpy(f.start.data() + at, bytes, size);
    }
    f.position += count;
    f.length = std::max(f.length, f.position);
    return count;
}

sf_count_t tellIn(void* data) { return fileOf(data).position; }

std::uint32_t littleEndian32(const std::string& bytes, std::size_t at)
{
    std::uint32_t value = 0;
    for (int i = 3; i >= 0; --i)
        value = (value << 8) | static_cast<unsigned char>(bytes[at + static_cast<std::size_t>(i)]);
    return value;
}

// This libsndfile cannot leave the PEAK chunk out of RF64. In a header
// written before the samples its peaks would all read zero, so the chunk
// becomes padding of the same size.
void blankPeakChunk(std::string& header)
{
    for (std::size_t at = 12; at + 8 <= header.size();) {
        const std::size_t size = littleEndian32(header, at + 4);
        if (header.compare(at, 4, "PEAK") == 0 && at + 8 + size <= header.size()) {
            header.replace(at, 4, "PAD ");
            std::fill_n(header.begin() + static_cast<std::ptrdiff_t>(at + 8), size, '\0');
            return;
        }
        at += 8 + size + (size & 1);
    }
}

} // namespace

std::uint64_t wavDataBytes(std::uint64_t frames, std::uint32_t channels)
{
    return frames * channels * sizeof(float);
}

WavContainer wavContainerFor(std::uint64_t frames, std::uint32_t channels)
{
    // Frame counts stay below 2^54 and channels below 2^7, so the product cannot wrap.
    return wavDataBytes(frames, channels) > riffLimit - headerRoom ? WavContainer::rf64 : WavContainer::riff;
}

int wavFormatOf(WavContainer container)
{
    return (container == WavContainer::rf64 ? SF_FORMAT_RF64 : SF_FORMAT_WAV) | SF_FORMAT_FLOAT;
}

void configureWav(SNDFILE* file)
{
    // The peak chunk carries a time stamp; without it the same render gives the same file.
    sf_command(file, SFC_SET_ADD_PEAK_CHUNK, nullptr, SF_FALSE);
}

std::optional<std::string> wavHeaderFor(std::uint32_t rate, std::uint32_t channels, std::uint64_t frames,
                                        std::string& error)
{
    SF_VIRTUAL_IO io{lengthOf, seekIn, readNothing, writeInto, tellIn};
    HeaderOnlyFile file;
    SF_INFO info{};
    info.samplerate = static_cast<int>(rate);
    info.channels = static_cast<int>(channels);
    info.format = wavFormatOf(wavContainerFor(frames, channels));
    SNDFILE* sf = sf_open_virtual(&io, SFM_WRITE, &info, &file);
    if (!sf) {
        error = sf_strerror(nullptr);
        return std::nullopt;
    }
    configureWav(sf);
    // Right after opening, the file ends where the samples begin. They are
    // counted, not kept (nor read); closing then writes the header again
    // with the sizes they make.
    const sf_count_t dataOffset = file.position;
    const char unread = 0;
    file.keeping = false;
    const auto dataBytes = static_cast<sf_count_t>(wavDataBytes(frames, channels));
    const bool counted = dataBytes == 0 || sf_write_raw(sf, &unread, dataBytes) == dataBytes;
    file.keeping = true;
    if (sf_close(sf) != 0 || !counted || dataOffset <= 0 || file.start.size() < static_cast<std::size_t>(dataOffset)) {
        error = "cannot lay out the WAV header";
        return std::nullopt;
    }
    file.start.resize(static_cast<std::size_t>(dataOffset));
    blankPeakChunk(file.start);
    return file.start;
}
