#include "gl/png_decoder.hpp"

#include <png.h>

#include <csetjmp>
#include <vector>

namespace gl {

namespace {

// libpng reports errors through this handler, which must not return: it jumps back to the setjmp of the
// guarded call below. Only libpng's C frames and this one, none owning anything, are left that way.
[[noreturn]] void on_error(png_structp png, png_const_charp) {
    png_longjmp(png, 1);
}
// Warnings (ancillary chunks libpng skips) say nothing the loader could use.
void on_warning(png_structp, png_const_charp) {}

// Owner of libpng's read and info structures.
class png_reader {
public:
    png_reader()
        : png(png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, on_error, on_warning)) {
        if (png != nullptr) info = png_create_info_struct(png);
    }
    ~png_reader() { png_destroy_read_struct(&png, info != nullptr ? &info : nullptr, nullptr); }
    png_reader(const png_reader&) = delete;
    png_reader& operator=(const png_reader&) = delete;

    png_structp png = nullptr;
    png_infop info = nullptr;
};

// The guarded calls: each sets the jump target, then calls only libpng. A function holding a setjmp
// creates no object with a destructor, so a jump back skips no C++ cleanup. False after an error.

bool read_header(png_structp png, png_infop info, std::FILE* file, int channels) {
    if (setjmp(png_jmpbuf(png)) != 0) return false;
    png_init_io(png, file);
    png_set_sig_bytes(png, 8);
    png_set_user_limits(png, max_image_side, max_image_side);
    // Checksums are not what makes decoding safe; like the decoder before, a chunk whose CRC or zlib
    // Adler-32 does not match is decoded as it stands.
    png_set_crc_action(png, PNG_CRC_QUIET_USE, PNG_CRC_QUIET_USE);
    png_set_option(png, PNG_IGNORE_ADLER32, PNG_OPTION_ON);
    // Only the chunks that make the pixels are read (IHDR, PLTE, tRNS, IDAT): libpng would allocate the
    // size a text, calibration or palette-suggestion chunk declares before finding the file too short,
    // 1 GiB for a file of 57 bytes. No gamma, background or significant-bits step is asked for, so the
    // chunks skipped change no pixel.
    png_set_keep_unknown_chunks(png, PNG_HANDLE_CHUNK_NEVER, nullptr, -1);
    png_read_info(png, info);

    png_set_expand(png); // palette to RGB(A), grey below 8 bits to 8 bits, a transparent colour to alpha
    png_set_strip_16(png);
    png_set_gray_to_rgb(png);
    const bool alpha = (png_get_color_type(png, info) & PNG_COLOR_MASK_ALPHA) != 0 ||
                       png_get_valid(png, info, PNG_INFO_tRNS) != 0;
    if (channels == 4 && !alpha) png_set_add_alpha(png, 0xff, PNG_FILLER_AFTER);
    if (channels == 3 && alpha) png_set_strip_alpha(png);
    png_set_interlace_handling(png);
    png_read_update_info(png, info);
    return true;
}

bool read_rows(png_structp png, png_bytepp rows) {
    if (setjmp(png_jmpbuf(png)) != 0) return false;
    png_read_image(png, rows);
    return true;
}

} // namespace

std::optional<decoded_pixels> decode_png(std::FILE* file, int channels) {
    const png_reader reader;
    if (reader.info == nullptr || !read_header(reader.png, reader.info, file, channels)) return std::nullopt;

    const png_uint_32 width = png_get_image_width(reader.png, reader.info);
    const png_uint_32 height = png_get_image_height(reader.png, reader.info);
    const std::size_t stride = std::size_t{width} * static_cast<std::size_t>(channels);
    if (!image_size_accepted(width, height) || png_get_bit_depth(reader.png, reader.info) != 8 ||
        png_get_channels(reader.png, reader.info) != channels ||
        png_get_rowbytes(reader.png, reader.info) != stride)
        return std::nullopt;

    decoded_pixels image{std::make_unique_for_overwrite<unsigned char[]>(stride * height),
                         static_cast<int>(width), static_cast<int>(height)};
    std::vector<png_bytep> rows(height);
    for (png_uint_32 y = 0; y < height; ++y)
        rows[y] = image.data.get() + stride * y;
    if (!read_rows(reader.png, rows.data())) return std::nullopt;
    return image;
}

} // namespace gl
