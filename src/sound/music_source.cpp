#include "sound/music_source.hpp"

#include "sound/music_decode.hpp"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <system_error>

namespace sound {

std::size_t music_source::peek(std::span<std::byte> into) {
    const std::int64_t at = tell();
    if (seek(0, SEEK_SET) != 0) return 0;
    const std::int64_t got = read(into.data(), static_cast<std::int64_t>(into.size()));
    seek(at, SEEK_SET);
    return got > 0 ? static_cast<std::size_t>(got) : 0;
}

std::int64_t memory_source::seek(std::int64_t offset, int whence) {
    const std::int64_t base = whence == SEEK_CUR ? place : whence == SEEK_END ? size() : 0;
    // Both are far below the overflow limits: offsets come from file headers, sizes from memory.
    if (offset < -size() - 1 || offset > size() + 1) return -1;
    const std::int64_t target = base + offset;
    if (target < 0 || target > size()) return -1;
    place = target;
    return place;
}

std::int64_t memory_source::read(void* into, std::int64_t count) {
    if (count <= 0) return 0;
    const std::int64_t n = std::min(count, size() - place);
    std::memcpy(into, data.data() + place, static_cast<std::size_t>(n));
    place += n;
    return n;
}

file_source::file_source(const std::string& path) : file(std::fopen(path.c_str(), "rb")) {
    if (!file) throw music_error(std::generic_category().message(errno) + ".");
    if (std::fseek(file.get(), 0, SEEK_END) != 0 || (length = std::ftell(file.get())) < 0 ||
        std::fseek(file.get(), 0, SEEK_SET) != 0)
        throw music_error("Not a file that can be read from start to end.");
}

std::int64_t file_source::tell() const {
    return std::ftell(file.get());
}

std::int64_t file_source::seek(std::int64_t offset, int whence) {
    const std::int64_t base = whence == SEEK_CUR ? tell() : whence == SEEK_END ? length : 0;
    if (offset < -length - 1 || offset > length + 1) return -1;
    const std::int64_t target = base + offset;
    if (target < 0 || target > length || std::fseek(file.get(), static_cast<long>(target), SEEK_SET) != 0)
        return -1;
    return target;
}

std::int64_t file_source::read(void* into, std::int64_t count) {
    if (count <= 0) return 0;
    return static_cast<std::int64_t>(std::fread(into, 1, static_cast<std::size_t>(count), file.get()));
}

} // namespace sound
