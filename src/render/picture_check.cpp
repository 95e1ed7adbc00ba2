// Reading a picture file into the pixels of its texture, trusting nothing in it.
//
// A damaged or hostile file in dat/img/ must not crash the game, hang it or
// eat the machine's memory, so only a file that libpng, the reference decoder,
// reads completely and without complaint becomes pixels, and only the kind of
// PNG the game takes: 8 bits per sample, not interlaced. The file is opened
// without blocking and must be a regular file of bounded size; it is read into
// memory once, its chunk layout walked by hand (lengths checked against the
// file, compressed data checked against what the picture can need), and then
// every row decoded straight into the picture. The bytes that were checked are
// the bytes that become the texture: nothing opens the file a second time.
//
// The pixels come out as SOIL's own loader lays out a file's: grey, grey and
// alpha, RGB or RGBA as stored; a palette expanded to RGB, or to RGBA when the
// picture carries alpha; a grey or RGB picture with a transparent colour given
// an alpha channel. (For that last kind SOIL's loader gives the same bytes but
// reports one channel too few, so its texture came out garbled.)
#include "picture_check.h"

#include <png.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <csetjmp>
#include <cstdint>
#include <cstring>
#include <vector>

#include "platform/platform.h"

namespace {

constexpr std::uint64_t kMaxFileBytes = 16u << 20;      // no picture of ours comes near
constexpr std::uint32_t kMaxChunkLength = 0x7FFFFFFFu;  // the largest length a PNG may state
constexpr std::size_t kSignatureBytes = 8;
constexpr std::size_t kChunkOverhead = 12;  // length, type, checksum
constexpr std::uint32_t kHeaderLength = 13;
constexpr int kSampleDepth = 8;  // the only depth SOIL's loader read, and all the game takes
constexpr png_byte kOpaque = 255;
// Deflate never needs much more room than its input: stored blocks add 5
// bytes in 65535 and even fixed Huffman codes at most 9 bits a byte, so
// compressed data beyond an eighth over the unpacked rows is not a picture.
constexpr std::uint64_t kDeflateSlackDivisor = 8;
constexpr std::uint64_t kDeflateSlackBytes = 1024;
// Ancillary chunks are decoded and dropped; keep what they may cost small.
constexpr png_alloc_size_t kMaxAncillaryBytes = 1u << 20;
constexpr png_uint_32 kMaxAncillaryChunks = 128;

std::uint32_t readBigEndian(const unsigned char* at) {
    return std::uint32_t{at[0]} << 24 | std::uint32_t{at[1]} << 16 | std::uint32_t{at[2]} << 8 |
           std::uint32_t{at[3]};
}

bool chunkIs(const unsigned char* type, const char* name) {
    return std::memcmp(type, name, 4) == 0;
}

// Channels per pixel of an allowed colour type, 0 for any other.
int channelsOf(int colourType) {
    switch (colourType) {
        case PNG_COLOR_TYPE_GRAY:
        case PNG_COLOR_TYPE_PALETTE:
            return 1;
        case PNG_COLOR_TYPE_GRAY_ALPHA:
            return 2;
        case PNG_COLOR_TYPE_RGB:
            return 3;
        case PNG_COLOR_TYPE_RGB_ALPHA:
            return 4;
        default:
            return 0;
    }
}

// What the header promises, as far as the walk below needs it.
struct PictureShape {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    int channels = 0;
    bool indexed = false;  // samples are palette indexes
};

// The header must come first, describe a picture the game takes, and fit in
// `maxSize` a side. Its checksum is left to libpng.
bool readHeader(const unsigned char* data, std::size_t size, int maxSize, PictureShape& shape) {
    if (size < kSignatureBytes + kChunkOverhead + kHeaderLength ||
        png_sig_cmp(data, 0, kSignatureBytes) != 0) {
        return false;
    }
    const unsigned char* chunk = data + kSignatureBytes;
    if (readBigEndian(chunk) != kHeaderLength || !chunkIs(chunk + 4, "IHDR")) {
        return false;
    }
    const unsigned char* fields = chunk + 8;
    shape.width = readBigEndian(fields);
    shape.height = readBigEndian(fields + 4);
    shape.channels = channelsOf(fields[9]);
    shape.indexed = fields[9] == PNG_COLOR_TYPE_PALETTE;
    const int depth = fields[8];
    const int interlace = fields[12];
    const auto limit = static_cast<std::uint32_t>(maxSize < 0 ? 0 : maxSize);
    return shape.width >= 1 && shape.width <= limit && shape.height >= 1 && shape.height <= limit &&
           depth == kSampleDepth && shape.channels != 0 && interlace == PNG_INTERLACE_NONE;
}

// Walks every chunk up to the end marker: each must lie wholly inside the data,
// and all image data together must be no more than the rows could compress to.
bool chunksAreSound(const unsigned char* data, std::size_t size, const PictureShape& shape) {
    const std::uint64_t rowBytes = 1 + std::uint64_t{shape.width} * shape.channels;
    const std::uint64_t unpacked = rowBytes * shape.height;
    const std::uint64_t mostCompressed =
        unpacked + unpacked / kDeflateSlackDivisor + kDeflateSlackBytes;
    std::uint64_t compressed = 0;
    std::size_t at = kSignatureBytes;
    while (size - at >= kChunkOverhead) {
        const std::uint32_t length = readBigEndian(data + at);
        const unsigned char* type = data + at + 4;
        if (length > kMaxChunkLength || length > size - at - kChunkOverhead) {
            return false;
        }
        if (chunkIs(type, "IEND")) {
            return true;
        }
        if (chunkIs(type, "IDAT")) {
            compressed += length;
            if (compressed > mostCompressed) {
                return false;
            }
        }
        at += kChunkOverhead + length;
    }
    return false;  // cut short before the end marker
}

// Where libpng reads the picture from.
struct ByteCursor {
    const unsigned char* data;
    std::size_t size;
    std::size_t at;
};

void readBytes(png_structp png, png_bytep out, png_size_t count) {
    auto* cursor = static_cast<ByteCursor*>(png_get_io_ptr(png));
    if (count > cursor->size - cursor->at) {
        png_error(png, "cut short");
    }
    std::memcpy(out, cursor->data + cursor->at, count);
    cursor->at += count;
}

// The game shows and logs nothing, so neither does the check: an error only
// ends the decode, a warning is dropped.
[[noreturn]] void failDecode(png_structp png, png_const_charp) {
    png_longjmp(png, 1);
}
void ignoreWarning(png_structp, png_const_charp) {}

// How stored samples become texture pixels beyond a plain copy.
struct Expansion {
    png_colorp palette = nullptr;      // palette pictures: its colours
    int paletteSize = 0;               // an index from here on names no colour
    png_bytep paletteAlpha = nullptr;  // alpha of the first paletteAlphaSize entries, if any;
    int paletteAlphaSize = 0;          // the others are opaque
    bool keyed = false;                // grey or RGB with one transparent colour:
    png_byte key[3] = {};              // that colour, a byte a channel
};

// Reads the chunks before the image data. Every libpng error lands back here;
// nothing in this frame needs unwinding, so a jump loses nothing.
bool readInfo(png_structp png, png_infop info) {
    if (setjmp(png_jmpbuf(png)) != 0) {
        return false;
    }
    png_read_info(png, info);
    return true;
}

// The texture's channels for what the chunks before the image data say, and
// how to get there; 0 for a picture that is refused.
int textureChannels(png_structp png, png_infop info, const PictureShape& shape,
                    Expansion& expansion) {
    if (png_get_rowbytes(png, info) != std::size_t{shape.width} * shape.channels) {
        return 0;
    }
    const bool transparency = png_get_valid(png, info, PNG_INFO_tRNS) != 0;
    png_color_16p colour = nullptr;
    if (transparency) {
        png_get_tRNS(png, info, &expansion.paletteAlpha, &expansion.paletteAlphaSize, &colour);
    }
    if (shape.indexed) {
        png_get_PLTE(png, info, &expansion.palette, &expansion.paletteSize);
        return transparency ? 4 : 3;
    }
    if (!transparency) {
        return shape.channels;
    }
    // An 8-bit picture's transparent colour is stored in 16-bit samples. One
    // that no pixel can have is refused: SOIL's loader cut it to 8 bits.
    const png_uint_16 samples[] = {colour->gray, colour->red, colour->green, colour->blue};
    const png_uint_16* first = shape.channels == 1 ? samples : samples + 1;
    for (int c = 0; c < shape.channels; ++c) {
        if (first[c] > kOpaque) {
            return 0;
        }
        expansion.key[c] = static_cast<png_byte>(first[c]);
    }
    expansion.keyed = true;
    return shape.channels + 1;
}

// Palette indexes become RGB, or RGBA when `channels` is 4; false for an index
// past the palette (libpng lets one through, and SOIL's loader read junk).
bool expandPalette(png_const_bytep row, std::uint32_t width, const Expansion& expansion,
                   int channels, png_bytep out) {
    for (std::uint32_t x = 0; x < width; ++x, out += channels) {
        const int index = row[x];
        if (index >= expansion.paletteSize) {
            return false;
        }
        const png_color& colour = expansion.palette[index];
        out[0] = colour.red;
        out[1] = colour.green;
        out[2] = colour.blue;
        if (channels == 4) {
            out[3] = index < expansion.paletteAlphaSize ? expansion.paletteAlpha[index] : kOpaque;
        }
    }
    return true;
}

// Each grey or RGB pixel gains alpha: none where it is the transparent colour.
void addKeyAlpha(png_const_bytep row, std::uint32_t width, int stored, const png_byte* key,
                 png_bytep out) {
    for (std::uint32_t x = 0; x < width; ++x, row += stored, out += stored + 1) {
        std::memcpy(out, row, stored);
        out[stored] = std::equal(row, row + stored, key) ? 0 : kOpaque;
    }
}

// Decodes every row into `pixels`, straight or through `row` where the samples
// need expanding, then reads on to the end marker. As in readInfo, a libpng
// error lands back here with nothing to unwind.
bool readRows(png_structp png, png_infop info, const PictureShape& shape,
              const Expansion& expansion, int channels, png_bytep pixels, png_bytep row) {
    if (setjmp(png_jmpbuf(png)) != 0) {
        return false;
    }
    const std::size_t stride = std::size_t{shape.width} * channels;
    for (std::uint32_t y = 0; y < shape.height; ++y) {
        png_bytep out = pixels + stride * y;
        if (shape.indexed) {
            png_read_row(png, row, nullptr);
            if (!expandPalette(row, shape.width, expansion, channels, out)) {
                return false;
            }
        } else if (expansion.keyed) {
            png_read_row(png, row, nullptr);
            addKeyAlpha(row, shape.width, shape.channels, expansion.key, out);
        } else {
            png_read_row(png, out, nullptr);
        }
    }
    png_read_end(png, info);
    return true;
}

// Hands the bytes to libpng with every check on: the checksums of all chunks,
// benign errors as errors, the size limit repeated, ancillary data bounded.
bool decodesCleanly(const unsigned char* data, std::size_t size, int maxSize,
                    const PictureShape& shape, Picture& picture) {
    png_structp png =
        png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, failDecode, ignoreWarning);
    if (png == nullptr) {
        return false;
    }
    png_infop info = png_create_info_struct(png);
    bool clean = false;
    if (info != nullptr) {
        ByteCursor cursor{data, size, 0};
        png_set_read_fn(png, &cursor, readBytes);
        png_set_benign_errors(png, 0);
        png_set_crc_action(png, PNG_CRC_ERROR_QUIT, PNG_CRC_ERROR_QUIT);
        // The zlib stream's own Adler-32 is left unchecked: every byte of it, the
        // sum included, is already covered by the CRC-32 of its IDAT chunk, and
        // summing the 5.9 MB the pictures inflate to is a third of the decode.
        png_set_option(png, PNG_IGNORE_ADLER32, PNG_OPTION_ON);
        png_set_user_limits(png, static_cast<png_uint_32>(maxSize),
                            static_cast<png_uint_32>(maxSize));
        png_set_chunk_malloc_max(png, kMaxAncillaryBytes);
        png_set_chunk_cache_max(png, kMaxAncillaryChunks);
        Expansion expansion;
        const int channels = readInfo(png, info) ? textureChannels(png, info, shape, expansion) : 0;
        if (channels != 0) {
            picture.width = static_cast<int>(shape.width);
            picture.height = static_cast<int>(shape.height);
            picture.channels = channels;
            picture.pixels.resize(std::size_t{shape.width} * shape.height * channels);
            std::vector<png_byte> row(channels != shape.channels ? picture.width * shape.channels
                                                                 : 0);
            clean =
                readRows(png, info, shape, expansion, channels, picture.pixels.data(), row.data());
        }
    }
    png_destroy_read_struct(&png, info != nullptr ? &info : nullptr, nullptr);
    return clean;
}

// Reads a whole regular file of at most kMaxFileBytes, opened so that a pipe
// or a device cannot block or feed it endlessly. A link to a picture is
// followed; a loop of links fails in open.
bool readSmallFile(const char* path, std::vector<unsigned char>& bytes) {
    const int fd = openPictureFile(path);
    if (fd < 0) {
        return false;
    }
    struct stat facts {};
    bool whole = fstat(fd, &facts) == 0 && S_ISREG(facts.st_mode) && facts.st_size >= 0 &&
                 static_cast<std::uint64_t>(facts.st_size) <= kMaxFileBytes;
    if (whole) {
        bytes.resize(static_cast<std::size_t>(facts.st_size));
        std::size_t got = 0;
        while (got < bytes.size()) {
            const ssize_t n = read(fd, bytes.data() + got, bytes.size() - got);
            if (n < 0 && errno == EINTR) {
                continue;
            }
            if (n <= 0) {
                whole = false;  // shrank while being read, or unreadable
                break;
            }
            got += static_cast<std::size_t>(n);
        }
    }
    close(fd);
    return whole;
}

}  // namespace

bool decodePicture(const unsigned char* data, std::size_t size, int maxSize, Picture& picture) {
    PictureShape shape;
    return readHeader(data, size, maxSize, shape) && chunksAreSound(data, size, shape) &&
           decodesCleanly(data, size, maxSize, shape, picture);
}

bool readPicture(const char* path, int maxSize, Picture& picture) {
    std::vector<unsigned char> bytes;
    return path != nullptr && readSmallFile(path, bytes) &&
           decodePicture(bytes.data(), bytes.size(), maxSize, picture);
}
