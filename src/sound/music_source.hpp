#pragma once
// Where the bytes of a music file come from, for libsndfile's virtual I/O: an open file or a buffer.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <span>
#include <string>

namespace sound {

class music_source {
public:
    virtual ~music_source() = default;
    virtual std::int64_t size() const = 0;
    virtual std::int64_t tell() const = 0;
    // Moves to `offset` from the start (whence SEEK_SET), the current place (SEEK_CUR) or the end
    // (SEEK_END); returns the new place, or -1 when that lies outside the data.
    virtual std::int64_t seek(std::int64_t offset, int whence) = 0;
    // Up to `count` bytes; fewer at the end.
    virtual std::int64_t read(void* into, std::int64_t count) = 0;
    // The first bytes, as many of `into.size()` as there are, leaving the place where it was.
    std::size_t peek(std::span<std::byte> into);
};

class memory_source final : public music_source {
public:
    explicit memory_source(std::span<const std::byte> bytes) : data(bytes) {}
    std::int64_t size() const override { return static_cast<std::int64_t>(data.size()); }
    std::int64_t tell() const override { return place; }
    std::int64_t seek(std::int64_t offset, int whence) override;
    std::int64_t read(void* into, std::int64_t count) override;

private:
    std::span<const std::byte> data;
    std::int64_t place = 0;
};

// Throws music_error when the file cannot be opened for reading.
class file_source final : public music_source {
public:
    explicit file_source(const std::string& path);
    std::int64_t size() const override { return length; }
    std::int64_t tell() const override;
    std::int64_t seek(std::int64_t offset, int whence) override;
    std::int64_t read(void* into, std::int64_t count) override;

private:
    struct closer {
        void operator()(std::FILE* f) const { std::fclose(f); }
    };
    std::unique_ptr<std::FILE, closer> file;
    std::int64_t length = 0;
};

} // namespace sound
