// The texture loader's decoding step (texture_2d::decode_file) on real files. PNG is lossless, so its
// pixels are compared byte for byte with stb_image's, the decoder used before; stb_image only ever reads
// files written by the asset generator and the PNG seeds of the fuzz corpus here, never a crafted one.

#include "core/exceptions.hpp"
#include "gl/texture_2d.hpp"
#include "support/temp_dir.hpp"

#include <gtest/gtest.h>
#include <stb_image.h>
#include <zlib.h>

// jpeglib.h needs size_t and FILE declared before it.
#include <cstddef>
#include <cstdio>
#include <jpeglib.h>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
using pixels = std::vector<unsigned char>;

const fs::path seeds = fs::path(ENGINE_SOURCE_DIR) / "tests/fuzz/corpus/image";

std::vector<fs::path> files_in(const fs::path& dir, const std::string& extension) {
    std::vector<fs::path> files;
    for (const auto& entry : fs::directory_iterator(dir))
        if (entry.path().extension() == extension) files.push_back(entry.path());
    std::sort(files.begin(), files.end());
    return files;
}

pixels decoded(const fs::path& file, GLenum format, int channels) {
    const gl::texture_2d::decoded_image image = gl::texture_2d::decode_file(file.string(), format);
    const unsigned char* data = image.pixels.get();
    return pixels(data, data + static_cast<std::size_t>(image.width) * image.height * channels);
}

TEST(ImageDecoding, PngPixelsAreTheBytesOfThePreviousDecoder) {
    const std::vector<fs::path> generated = files_in(fs::path(ENGINE_SOURCE_DIR) / "assets", ".png");
    EXPECT_GE(generated.size(), 12u) << "the sprites and the courtyard's maps under assets/";
    std::vector<fs::path> files = files_in(seeds, ".png");
    // The seeds that declare a chunk of 1 GiB are files cut short, refused by both decoders.
    std::erase_if(files, [](const fs::path& f) { return f.filename().string().rfind("oversized_", 0) == 0; });
    EXPECT_GE(files.size(), 20u) << "every colour type and bit depth";
    files.insert(files.end(), generated.begin(), generated.end());

    for (const fs::path& file : files) {
        for (const int channels : {3, 4}) {
            SCOPED_TRACE(file.string() + ", " + std::to_string(channels) + " channels");
            int width = 0;
            int height = 0;
            int file_channels = 0;
            const std::unique_ptr<unsigned char, void (*)(void*)> expected(
                stbi_load(file.c_str(), &width, &height, &file_channels, channels), stbi_image_free);
            ASSERT_NE(expected, nullptr);
            const gl::texture_2d::decoded_image image =
                gl::texture_2d::decode_file(file.string(), channels == 3 ? GL_RGB : GL_RGBA);
            ASSERT_EQ(image.width, width);
            ASSERT_EQ(image.height, height);
            const std::size_t size = static_cast<std::size_t>(width) * height * channels;
            EXPECT_TRUE(std::equal(image.pixels.get(), image.pixels.get() + size, expected.get()));
        }
    }
}

TEST(ImageDecoding, JpegGreyAndInksBecomeRgb) {
    const pixels grey = decoded(seeds / "grey.jpg", GL_RGBA, 4);
    ASSERT_FALSE(grey.empty());
    for (std::size_t i = 0; i < grey.size(); i += 4) {
        EXPECT_EQ(grey[i + 1], grey[i]);
        EXPECT_EQ(grey[i + 2], grey[i]);
        EXPECT_EQ(grey[i + 3], 255);
    }
    // The same picture stored as Adobe CMYK and as RGB: inverted inks multiplied out give its colours
    // within the losses of the two encodings.
    const pixels inks = decoded(seeds / "cmyk.jpg", GL_RGB, 3);
    const pixels rgb = decoded(seeds / "progressive_444.jpg", GL_RGB, 3);
    ASSERT_EQ(inks.size(), rgb.size());
    for (std::size_t c = 0; c < 3; ++c) {
        double difference = 0;
        for (std::size_t i = c; i < rgb.size(); i += 3)
            difference += std::abs(inks[i] - rgb[i]);
        EXPECT_LT(difference / static_cast<double>(rgb.size() / 3), 8.0) << "channel " << c;
    }
}

std::string big_endian(std::uint32_t value) {
    std::string out;
    for (int shift = 24; shift >= 0; shift -= 8)
        out += static_cast<char>(value >> shift & 0xff);
    return out;
}

std::string png_chunk(const std::string& type, const std::string& data) {
    const std::string body = type + data;
    const uLong crc = crc32(0, reinterpret_cast<const Bytef*>(body.data()), static_cast<uInt>(body.size()));
    return big_endian(static_cast<std::uint32_t>(data.size())) + body +
           big_endian(static_cast<std::uint32_t>(crc));
}

// A black 8-bit grey PNG of the given size, compressed one row at a time.
std::string black_png(std::uint32_t width, std::uint32_t height) {
    std::string compressed;
    z_stream stream{};
    if (deflateInit(&stream, Z_BEST_SPEED) != Z_OK) std::abort();
    std::vector<Bytef> row(width + 1, 0); // the filter type, then the samples
    std::vector<Bytef> out(1 << 16);
    for (std::uint32_t y = 0; y < height; ++y) {
        stream.next_in = row.data();
        stream.avail_in = static_cast<uInt>(row.size());
        do {
            stream.next_out = out.data();
            stream.avail_out = static_cast<uInt>(out.size());
            deflate(&stream, y + 1 == height ? Z_FINISH : Z_NO_FLUSH);
            compressed.append(reinterpret_cast<const char*>(out.data()), out.size() - stream.avail_out);
        } while (stream.avail_out == 0);
    }
    deflateEnd(&stream);
    const std::string header =
        big_endian(width) + big_endian(height) + std::string("\x08\x00\x00\x00\x00", 5);
    return std::string("\x89PNG\r\n\x1a\n", 8) + png_chunk("IHDR", header) + png_chunk("IDAT", compressed) +
           png_chunk("IEND", "");
}

TEST(ImageDecoding, ImagesBeyondTheSizeLimitsAreRefused) {
    const test_support::temp_dir dir;
    const fs::path widest = dir.write("widest.png", black_png(16384, 1));
    EXPECT_EQ(decoded(widest, GL_RGB, 3), pixels(16384 * 3, 0));

    struct too_big {
        const char* name;
        std::uint32_t width;
        std::uint32_t height;
    };
    for (const too_big& image : {too_big{"wide.png", 16385, 1}, too_big{"tall.png", 1, 16385},
                                 too_big{"many_pixels.png", 8192, 8193}}) {
        const std::string path = dir.write(image.name, black_png(image.width, image.height)).string();
        try {
            gl::texture_2d::decode_file(path, GL_RGBA);
            ADD_FAILURE() << path << " decoded";
        } catch (const runtime_error& e) {
            EXPECT_EQ(std::string(e.what()),
                      "gl::texture_2d::from_file(): Unable to load texture data from '" + path + "'.");
        }
    }
}

// 57 bytes: a 1x1 grey PNG's header, then a chunk of this type that declares 1 GiB of data and holds 16
// bytes of it.
std::string png_declaring_1_gib(const std::string& type) {
    const std::string header = big_endian(1) + big_endian(1) + std::string("\x08\x00\x00\x00\x00", 5);
    return std::string("\x89PNG\r\n\x1a\n", 8) + png_chunk("IHDR", header) + big_endian(0x3fffffff) + type +
           std::string(16, 'x');
}

// Decodes `file` in a child process: its peak resident memory in KiB, and whether it was refused.
std::pair<long, bool> decoded_in_child(const fs::path& file) {
    const pid_t child = fork();
    if (child == 0) {
        try {
            gl::texture_2d::decode_file(file.string(), GL_RGBA);
        } catch (const runtime_error&) {
            _exit(0);
        }
        _exit(1);
    }
    int status = 0;
    rusage usage{};
    if (child < 0 || wait4(child, &status, 0, &usage) != child || !WIFEXITED(status)) return {-1, false};
    return {usage.ru_maxrss, WEXITSTATUS(status) == 0};
}

TEST(ImageDecoding, AChunkDeclaringAGibibyteCostsNoMemory) {
    const test_support::temp_dir dir;
    // The child starts with a copy of this process (more under the sanitizers): the refusal of a file that
    // is no PNG at all is the baseline.
    const auto [baseline_kib, baseline_refused] = decoded_in_child(dir.write("none.png", "not a picture"));
    ASSERT_TRUE(baseline_refused);
    ASSERT_GT(baseline_kib, 0);
    for (const char* type : {"tEXt", "zTXt", "iTXt", "pCAL", "sCAL", "sPLT"}) {
        const std::string bytes = png_declaring_1_gib(type);
        ASSERT_EQ(bytes.size(), 57u);
        const auto [peak_kib, refused] = decoded_in_child(dir.write(std::string(type) + ".png", bytes));
        EXPECT_TRUE(refused) << type;
        EXPECT_LT(peak_kib, baseline_kib + 32 * 1024) << type;
    }
}

// A 16x16 colour picture as a JPEG with one sequential scan for each component, or progressive with the
// scans of each component (its DC, then its AC at full precision) before the next component's: cut between
// them, a component was never sent.
std::string jpeg_in_component_scans(bool progressive = false) {
    jpeg_compress_struct info{};
    jpeg_error_mgr errors{};
    info.err = jpeg_std_error(&errors);
    jpeg_create_compress(&info);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&info, &buffer, &size);
    info.image_width = 16;
    info.image_height = 16;
    info.input_components = 3;
    info.in_color_space = JCS_RGB;
    jpeg_set_defaults(&info);
    static const jpeg_scan_info scans[3] = {
        {1, {0}, 0, 63, 0, 0}, {1, {1}, 0, 63, 0, 0}, {1, {2}, 0, 63, 0, 0}};
    static const jpeg_scan_info progressive_scans[6] = {{1, {0}, 0, 0, 0, 0}, {1, {0}, 1, 63, 0, 0},
                                                        {1, {1}, 0, 0, 0, 0}, {1, {1}, 1, 63, 0, 0},
                                                        {1, {2}, 0, 0, 0, 0}, {1, {2}, 1, 63, 0, 0}};
    info.scan_info = progressive ? progressive_scans : scans;
    info.num_scans = progressive ? 6 : 3;
    jpeg_start_compress(&info, TRUE);
    std::vector<unsigned char> row(16 * 3);
    for (JDIMENSION y = 0; y < 16; ++y) {
        for (std::size_t i = 0; i < row.size(); ++i)
            row[i] = static_cast<unsigned char>(i * 5 + y * 16);
        JSAMPROW rows = row.data();
        jpeg_write_scanlines(&info, &rows, 1);
    }
    jpeg_finish_compress(&info);
    std::string bytes(reinterpret_cast<const char*>(buffer), size);
    jpeg_destroy_compress(&info);
    std::free(buffer);
    return bytes;
}

// Every cut of a JPEG: only the one that loses the end-of-image marker alone (or its second byte) shows the
// whole picture; a cut anywhere in a scan's data, at a restart or between scans is refused.
TEST(ImageDecoding, AJpegWithoutItsEndMarkerShowsWholeAndOneCutShorterIsRefused) {
    const test_support::temp_dir dir;
    std::vector<std::pair<std::string, std::string>> files{
        {"component_scans.jpg", jpeg_in_component_scans()},
        {"progressive_component_scans.jpg", jpeg_in_component_scans(true)}};
    for (const char* seed : {"baseline_420.jpg", "restart_422.jpg", "progressive_444.jpg", "grey.jpg",
                             "cmyk.jpg", "arithmetic.jpg"})
        files.emplace_back(seed, test_support::read_file(seeds / seed));
    for (const auto& [name, whole] : files) {
        SCOPED_TRACE(name);
        ASSERT_EQ(whole.substr(whole.size() - 2), "\xff\xd9");
        const pixels expected = decoded(dir.write(name, whole), GL_RGB, 3);
        for (std::size_t length = 0; length < whole.size(); ++length) {
            const fs::path cut = dir.write("cut.jpg", whole.substr(0, length));
            if (length >= whole.size() - 2) {
                EXPECT_EQ(decoded(cut, GL_RGB, 3), expected) << length << " of " << whole.size() << " bytes";
            } else {
                EXPECT_THROW(gl::texture_2d::decode_file(cut.string(), GL_RGB), runtime_error)
                    << length << " of " << whole.size() << " bytes";
            }
        }
    }
}

} // namespace
