#include "sound/music_reader.hpp"

#include "sound/music_decode.hpp"
#include "sound/riff_lists.hpp"

#include <sndfile.h>

#include <array>
#include <cmath>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace sound {
namespace {

constexpr sf_count_t chunk_frames = 4096;

struct sndfile_closer {
    void operator()(SNDFILE* file) const { sf_close(file); }
};
using sndfile_ptr = std::unique_ptr<SNDFILE, sndfile_closer>;

music_source& source_of(void* user_data) {
    return *static_cast<music_source*>(user_data);
}

SF_VIRTUAL_IO virtual_io() {
    SF_VIRTUAL_IO io{};
    io.get_filelen = [](void* user) -> sf_count_t { return source_of(user).size(); };
    io.seek = [](sf_count_t offset, int whence, void* user) -> sf_count_t {
        return source_of(user).seek(offset, whence);
    };
    io.read = [](void* into, sf_count_t count, void* user) -> sf_count_t {
        return source_of(user).read(into, count);
    };
    io.write = [](const void*, sf_count_t, void*) -> sf_count_t { return 0; };
    io.tell = [](void* user) -> sf_count_t { return source_of(user).tell(); };
    return io;
}

// Only content that starts like one of the formats we play reaches libsndfile's parsers. RF64 (WAV beyond
// 4 GiB, far past the longest music played) is not among them: a crafted RF64 header sends libsndfile's
// parser round a loop for ever.
bool looks_like_music(std::span<const std::byte> head) {
    const auto starts = [&](const char* magic) {
        const std::size_t n = std::strlen(magic);
        return head.size() >= n && std::memcmp(head.data(), magic, n) == 0;
    };
    if (starts("RIFF") || starts("RIFX") || starts("FORM") || starts("fLaC") ||
        starts("OggS") || starts("ID3"))
        return true;
    // An MPEG audio frame header: eleven set sync bits.
    return head.size() >= 2 && head[0] == std::byte{0xFF} && (head[1] & std::byte{0xE0}) == std::byte{0xE0};
}

bool playable_container(int format) {
    switch (format & SF_FORMAT_TYPEMASK) {
    case SF_FORMAT_WAV:
    case SF_FORMAT_WAVEX:
    case SF_FORMAT_AIFF:
    case SF_FORMAT_FLAC:
    case SF_FORMAT_OGG:
    case SF_FORMAT_MPEG:
        return true;
    default:
        return false;
    }
}

// MP3 files without a frame-count header declare a length estimated from their size.
sf_count_t allowed_shortfall(int format, sf_count_t declared) {
    return (format & SF_FORMAT_TYPEMASK) == SF_FORMAT_MPEG ? declared / 50 + 2304 : 0;
}

std::string too_long(sf_count_t frames, int channels) {
    return "Too long: " + std::to_string(frames) + " sample frames or more of " + std::to_string(channels) +
           " channels, beyond the " + std::to_string(max_music_samples) +
           " samples (about 23 minutes of 48 kHz stereo) music may hold.";
}

} // namespace

void read_music(music_source& source, const std::function<void(const music_shape&)>& begin,
                const std::function<void(std::span<const float>)>& chunk) {
    if (source.size() == 0) throw music_error("The file is empty.");
    std::array<std::byte, 4> head{};
    const std::size_t got = source.peek(head);
    if (!looks_like_music(std::span(head).first(got)))
        throw music_error("Not music: the content is none of WAV, FLAC, Ogg Vorbis, Opus or MP3.");
    if (!riff_lists_hold_together(source))
        throw music_error("Damaged: an entry of a LIST chunk runs past the end of that chunk.");

    SF_VIRTUAL_IO io = virtual_io();
    SF_INFO info{};
    const sndfile_ptr file(sf_open_virtual(&io, SFM_READ, &info, &source));
    if (!file) throw music_error(std::string("Undecodable: ") + sf_strerror(nullptr));
    if (!playable_container(info.format))
        throw music_error("Not music: the content is none of WAV, FLAC, Ogg Vorbis, Opus or MP3.");
    if (info.channels < 1 || info.channels > max_music_channels)
        throw music_error(std::to_string(info.channels) + " channels; music has 1 to " +
                          std::to_string(max_music_channels) + ".");
    if (info.samplerate < min_music_rate || info.samplerate > max_music_rate)
        throw music_error("A sample rate of " + std::to_string(info.samplerate) + " Hz, outside " +
                          std::to_string(min_music_rate) + " to " + std::to_string(max_music_rate) + " Hz.");
    const bool length_known = info.frames > 0 && info.frames != SF_COUNT_MAX;
    if (length_known && info.frames > max_music_samples / info.channels)
        throw music_error(too_long(info.frames, info.channels));

    begin({info.samplerate, info.channels});
    std::vector<float> buffer(static_cast<std::size_t>(chunk_frames * info.channels));
    sf_count_t frames = 0;
    for (;;) {
        const sf_count_t n = sf_readf_float(file.get(), buffer.data(), chunk_frames);
        if (n <= 0) break;
        frames += n;
        if (frames > max_music_samples / info.channels) throw music_error(too_long(frames, info.channels));
        const std::span<float> samples(buffer.data(), static_cast<std::size_t>(n * info.channels));
        for (float& s : samples) {
            if (!std::isfinite(s)) s = 0.0f;
        }
        chunk(samples);
    }
    const auto held = std::to_string(frames);
    if (sf_error(file.get()) != SF_ERR_NO_ERROR)
        throw music_error("Damaged after " + held + " sample frames: " + sf_strerror(file.get()));
    if (length_known && frames < info.frames - allowed_shortfall(info.format, info.frames))
        throw music_error("Cut short: it declares " + std::to_string(info.frames) + " sample frames and holds " +
                          held + ".");
}

} // namespace sound
