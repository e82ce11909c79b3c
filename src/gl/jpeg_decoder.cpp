#include "gl/jpeg_decoder.hpp"

// jpeglib.h needs size_t and FILE declared before it.
#include <cstddef>
#include <cstdio>

#include <jerror.h>
#include <jpeglib.h>

#include <csetjmp>
#include <vector>

namespace gl {

namespace {

// A progressive file can hold thousands of tiny scans, each a pass over the whole image; real files
// have about ten. More than this is refused rather than decoded for minutes.
constexpr int max_scans = 500;

// libjpeg's error manager with the jump target of the guarded call in progress, and what the messages and
// the progress calls saw. The manager is the first member, so the pointer libjpeg hands back is a pointer
// to the whole.
struct error_state {
    jpeg_error_mgr manager;
    std::jmp_buf jump;
    // The file ended before its end-of-image marker; libjpeg goes on as if one followed.
    bool ended_early = false;
    // Bit c: component c was in a scan.
    unsigned components_scanned = 0;
};

error_state& state_of(j_common_ptr info) {
    return *reinterpret_cast<error_state*>(info->err);
}

// Errors jump back to the setjmp of the guarded call below; only libjpeg's C frames and this one, none
// owning anything, are left that way.
[[noreturn]] void on_error(j_common_ptr info) {
    std::longjmp(state_of(info).jump, 1);
}

// Warnings are corrupt data libjpeg decodes around, and are not printed. A file that ends early is read
// on only while no scan runs out of data: a scan that does, in its data or at a restart, would leave
// the rest of the picture grey, and that file is refused, as a truncated PNG is.
void on_message(j_common_ptr info, int level) {
    if (level >= 0) return;
    error_state& state = state_of(info);
    const int code = info->err->msg_code;
    if (code == JWRN_JPEG_EOF) state.ended_early = true;
    if (state.ended_early && (code == JWRN_HIT_MARKER || code == JWRN_MUST_RESYNC)) on_error(info);
}

void note_scan(j_decompress_ptr info) {
    for (int i = 0; i < info->comps_in_scan; ++i)
        state_of(reinterpret_cast<j_common_ptr>(info)).components_scanned |=
            1u << info->cur_comp_info[i]->component_index;
}

// Called between the steps of reading a file of several scans, each new scan's header read.
void on_progress(j_common_ptr info) {
    const auto file = reinterpret_cast<j_decompress_ptr>(info);
    if (file->input_scan_number > max_scans) on_error(info);
    note_scan(file);
}

// A file without its end marker, read to its end with every scan whole, is whole when nothing is missing
// after its last scan either: every component was in a scan, and in a progressive file every coefficient
// arrived at full precision. In arithmetic coding running into the end is no error, so once that decoder
// had to read past the end a cut in its data cannot be told from a whole scan: such a file is refused.
bool nothing_missing(const jpeg_decompress_struct& info, unsigned components_scanned) {
    if (info.arith_code) return false;
    if (info.progressive_mode) {
        for (int c = 0; c < info.num_components; ++c) {
            for (int k = 0; k < DCTSIZE2; ++k)
                if (info.coef_bits[c][k] != 0) return false;
        }
        return true;
    }
    return components_scanned == (1u << info.num_components) - 1;
}

// Owner of a decompression object. Destroying one that was never created, or that failed half way, is
// safe: jpeg_create_decompress clears the memory pool first and destruction skips a missing pool.
class jpeg_reader {
public:
    jpeg_reader() {
        info.err = jpeg_std_error(&errors.manager);
        errors.manager.error_exit = on_error;
        errors.manager.emit_message = on_message;
        progress.progress_monitor = on_progress;
    }
    ~jpeg_reader() { jpeg_destroy_decompress(&info); }
    jpeg_reader(const jpeg_reader&) = delete;
    jpeg_reader& operator=(const jpeg_reader&) = delete;

    jpeg_decompress_struct info{};
    error_state errors{};
    jpeg_progress_mgr progress{};
};

// The guarded calls: each sets the jump target, then calls only libjpeg. A function holding a setjmp
// creates no object with a destructor, so a jump back skips no C++ cleanup. False after an error.

bool read_header(jpeg_reader& reader, std::FILE* file) {
    if (setjmp(reader.errors.jump) != 0) return false;
    jpeg_create_decompress(&reader.info);
    reader.info.progress = &reader.progress;
    jpeg_stdio_src(&reader.info, file);
    if (jpeg_read_header(&reader.info, TRUE) != JPEG_HEADER_OK) return false;
    note_scan(&reader.info);
    return true;
}

bool start(jpeg_reader& reader) {
    if (setjmp(reader.errors.jump) != 0) return false;
    return jpeg_start_decompress(&reader.info) == TRUE;
}

// Multiplies an inverted ink value by the inverted black: (x * y) / 255, rounded.
unsigned char ink_product(unsigned x, unsigned y) {
    const unsigned t = x * y + 128;
    return static_cast<unsigned char>((t + (t >> 8)) >> 8);
}

// Reads every row into `image`, through `ink_row` (4 bytes a pixel) for CMYK output.
bool read_rows(jpeg_reader& reader, decoded_pixels& image, int channels, unsigned char* ink_row) {
    if (setjmp(reader.errors.jump) != 0) return false;
    const std::size_t stride = static_cast<std::size_t>(image.width) * static_cast<std::size_t>(channels);
    while (reader.info.output_scanline < reader.info.output_height) {
        unsigned char* const out = image.data.get() + stride * reader.info.output_scanline;
        JSAMPROW row = ink_row != nullptr ? ink_row : out;
        if (jpeg_read_scanlines(&reader.info, &row, 1) != 1) return false;
        if (ink_row == nullptr) continue;
        for (int x = 0; x < image.width; ++x) {
            const unsigned char* ink = ink_row + 4 * x;
            unsigned char* pixel = out + channels * x;
            for (int c = 0; c < 3; ++c)
                pixel[c] = ink_product(ink[c], ink[3]);
            if (channels == 4) pixel[3] = 255;
        }
    }
    return true;
}

} // namespace

std::optional<decoded_pixels> decode_jpeg(std::FILE* file, int channels) {
    jpeg_reader reader;
    if (!read_header(reader, file)) return std::nullopt;
    jpeg_decompress_struct& info = reader.info;
    if (!image_size_accepted(info.image_width, info.image_height)) return std::nullopt;

    const bool inks = info.jpeg_color_space == JCS_CMYK || info.jpeg_color_space == JCS_YCCK;
    if (inks) {
        info.out_color_space = JCS_CMYK;
    } else if (info.jpeg_color_space == JCS_GRAYSCALE || info.jpeg_color_space == JCS_YCbCr ||
               info.jpeg_color_space == JCS_RGB) {
        info.out_color_space = channels == 4 ? JCS_EXT_RGBA : JCS_RGB; // libjpeg-turbo sets alpha to 255
    } else {
        return std::nullopt;
    }
    if (!start(reader)) return std::nullopt;
    if (info.output_width != info.image_width || info.output_height != info.image_height ||
        info.output_components != (inks ? 4 : channels))
        return std::nullopt;

    decoded_pixels image{
        std::make_unique_for_overwrite<unsigned char[]>(std::size_t{info.output_width} * info.output_height *
                                                        static_cast<std::size_t>(channels)),
        static_cast<int>(info.output_width), static_cast<int>(info.output_height)};
    std::vector<unsigned char> ink_row(inks ? std::size_t{info.output_width} * 4 : 0);
    if (!read_rows(reader, image, channels, inks ? ink_row.data() : nullptr)) return std::nullopt;
    if (reader.errors.ended_early && !nothing_missing(info, reader.errors.components_scanned))
        return std::nullopt;
    return image;
}

} // namespace gl
