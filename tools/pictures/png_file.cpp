// Writes the generator's surfaces as PNG files shaped for a quick start-up.
// The game decodes every picture twice, once in libpng's check and once in
// SOIL, and both undo row filters byte by byte: so every row is stored
// unfiltered and zlib squeezes at its best level instead, which also makes
// the files smaller. Nothing but the pixels goes into a file, no time or
// other chunk, so the same surface always gives the same bytes.
#include <png.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <vector>

#include "picture_kit.h"

namespace {

constexpr int kZlibBestCompression = 9;

// One cairo pixel: a native-endian word, alpha in the top byte, each colour
// premultiplied by it.
struct CairoPixel {
    unsigned a, r, g, b;
};

CairoPixel pixelAt(const unsigned char* row, int x) {
    std::uint32_t word;
    std::memcpy(&word, row + 4 * x, sizeof word);
    return {word >> 24, (word >> 16) & 0xFF, (word >> 8) & 0xFF, word & 0xFF};
}

// Straight colour from premultiplied, rounded to nearest as cairo's own PNG
// writer does, so pictures keep their pixels whichever writer made them.
png_byte unpremultiply(unsigned colour, unsigned alpha) {
    return png_byte((colour * 255 + alpha / 2) / alpha);
}

bool isOpaque(cairo_surface_t* surface) {
    if (cairo_image_surface_get_format(surface) != CAIRO_FORMAT_ARGB32) {
        return true;
    }
    const unsigned char* data = cairo_image_surface_get_data(surface);
    int stride = cairo_image_surface_get_stride(surface);
    for (int y = 0; y < cairo_image_surface_get_height(surface); ++y) {
        for (int x = 0; x < cairo_image_surface_get_width(surface); ++x) {
            if (pixelAt(data + y * stride, x).a != 0xFF) {
                return false;
            }
        }
    }
    return true;
}

// The surface as PNG rows: RGB when opaque, straight RGBA otherwise.
std::vector<png_byte> pngPixels(cairo_surface_t* surface, int channels) {
    int width = cairo_image_surface_get_width(surface);
    int height = cairo_image_surface_get_height(surface);
    const unsigned char* data = cairo_image_surface_get_data(surface);
    int stride = cairo_image_surface_get_stride(surface);
    std::vector<png_byte> pixels;
    pixels.reserve(std::size_t(width) * height * channels);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            CairoPixel p = pixelAt(data + y * stride, x);
            if (channels == 3) {
                pixels.insert(pixels.end(), {png_byte(p.r), png_byte(p.g), png_byte(p.b)});
            } else if (p.a == 0) {
                pixels.insert(pixels.end(), {0, 0, 0, 0});
            } else {
                pixels.insert(pixels.end(), {unpremultiply(p.r, p.a), unpremultiply(p.g, p.a),
                                             unpremultiply(p.b, p.a), png_byte(p.a)});
            }
        }
    }
    return pixels;
}

// libpng reports errors by a long jump back here; nothing in this frame needs
// unwinding, the rows belong to the caller.
bool encode(std::FILE* file, png_uint_32 width, png_uint_32 height, int colourType,
            png_bytep* rows) {
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png != nullptr ? png_create_info_struct(png) : nullptr;
    if (info == nullptr) {
        png_destroy_write_struct(&png, &info);
        return false;
    }
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return false;
    }
    png_init_io(png, file);
    png_set_IHDR(png, info, width, height, 8, colourType, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_set_filter(png, 0, PNG_FILTER_NONE);
    png_set_compression_level(png, kZlibBestCompression);
    png_write_info(png, info);
    png_write_image(png, rows);
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return true;
}

}  // namespace

bool writePng(cairo_surface_t* surface, const std::string& path) {
    cairo_surface_flush(surface);
    int width = cairo_image_surface_get_width(surface);
    int height = cairo_image_surface_get_height(surface);
    bool opaque = isOpaque(surface);
    int channels = opaque ? 3 : 4;
    std::vector<png_byte> pixels = pngPixels(surface, channels);
    std::vector<png_bytep> rows(height);
    for (int y = 0; y < height; ++y) {
        rows[y] = pixels.data() + std::size_t(y) * width * channels;
    }
    std::FILE* file = std::fopen(path.c_str(), "wb");
    bool written = file != nullptr &&
                   encode(file, png_uint_32(width), png_uint_32(height),
                          opaque ? PNG_COLOR_TYPE_RGB : PNG_COLOR_TYPE_RGB_ALPHA, rows.data());
    if (file != nullptr && std::fclose(file) != 0) {
        written = false;
    }
    if (!written) {
        std::fprintf(stderr, "kessary_pictures: cannot write %s\n", path.c_str());
    }
    return written;
}
