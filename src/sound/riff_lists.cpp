#include "sound/riff_lists.hpp"

#include <array>
#include <cstdint>
#include <cstdio>
#include <cstring>

namespace sound {

namespace {

constexpr int most_chunks = 4096;

struct chunk_header {
    std::array<char, 4> id{};
    std::uint32_t size = 0;
};

// The 8-byte header at `at`; nothing when the data ends first.
bool read_header(music_source& source, std::int64_t at, bool big_endian, chunk_header& out) {
    std::array<unsigned char, 8> bytes{};
    if (source.seek(at, SEEK_SET) != at || source.read(bytes.data(), 8) != 8) return false;
    std::memcpy(out.id.data(), bytes.data(), 4);
    out.size = big_endian ? (std::uint32_t{bytes[4]} << 24 | std::uint32_t{bytes[5]} << 16 |
                             std::uint32_t{bytes[6]} << 8 | bytes[7])
                          : (std::uint32_t{bytes[7]} << 24 | std::uint32_t{bytes[6]} << 16 |
                             std::uint32_t{bytes[5]} << 8 | bytes[4]);
    return true;
}

bool check(music_source& source) {
    std::array<char, 4> form{};
    if (source.seek(0, SEEK_SET) != 0 || source.read(form.data(), 4) != 4) return true;
    const bool big_endian = std::memcmp(form.data(), "RIFX", 4) == 0;
    if (!big_endian && std::memcmp(form.data(), "RIFF", 4) != 0) return true;
    const std::int64_t end = source.size();
    int seen = 0;
    chunk_header chunk;
    for (std::int64_t at = 12; at + 8 <= end && seen < most_chunks; ++seen) {
        if (!read_header(source, at, big_endian, chunk)) return true;
        const std::int64_t body = at + 8;
        const std::int64_t chunk_end = body + chunk.size;
        if (std::memcmp(chunk.id.data(), "LIST", 4) == 0) {
            // The list's type, then its entries, each within the list.
            chunk_header entry;
            for (std::int64_t p = body + 4; p + 8 <= std::min(chunk_end, end) && seen < most_chunks; ++seen) {
                if (!read_header(source, p, big_endian, entry)) break;
                const std::int64_t entry_end = p + 8 + entry.size;
                if (entry_end > chunk_end) return false;
                p = entry_end + (entry.size & 1);
            }
        }
        at = chunk_end + (chunk.size & 1);
    }
    return true;
}

} // namespace

bool riff_lists_hold_together(music_source& source) {
    const bool whole = check(source);
    source.seek(0, SEEK_SET);
    return whole;
}

} // namespace sound
