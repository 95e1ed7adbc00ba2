// Vetting a picture file before SOIL's decoder sees it.
//
// SOIL picks its decoder from a file's first bytes and trusts every length and
// size it reads, so a damaged or hostile file in dat/img/ could crash the game,
// hang it or eat the machine's memory. Only files that libpng, the reference
// decoder, reads completely and without complaint are handed on, and only the
// kind of PNG that SOIL's own decoder reads correctly: 8 bits per sample, not
// interlaced. The file is opened without blocking and must be a regular file
// of bounded size; it is read into memory once, its chunk layout walked by hand
// (lengths checked against the file, compressed data checked against what the
// picture can need), and then every row decoded, one row of memory at a time.
#include "picture_check.h"

#include <fcntl.h>
#include <png.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <csetjmp>
#include <cstdint>
#include <cstring>
#include <vector>

namespace {

constexpr std::uint64_t kMaxFileBytes = 16u << 20;      // no picture of ours comes near
constexpr std::uint32_t kMaxChunkLength = 0x7FFFFFFFu;  // the largest length a PNG may state
constexpr std::size_t kSignatureBytes = 8;
constexpr std::size_t kChunkOverhead = 12;  // length, type, checksum
constexpr std::uint32_t kHeaderLength = 13;
constexpr int kSampleDepth = 8;  // SOIL reads 8-bit samples only
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

// The header must come first, describe a picture SOIL reads, and fit in
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

// True when every sample of a palette picture's row names an entry of its
// palette (libpng lets a stray index through; SOIL would read junk for it).
bool indexesInPalette(png_structp png, png_infop info, const PictureShape& shape,
                      png_const_bytep row) {
    png_colorp palette = nullptr;
    int entries = 0;
    if (!shape.indexed) {
        return true;
    }
    png_get_PLTE(png, info, &palette, &entries);
    return std::all_of(row, row + shape.width,
                       [entries](png_byte index) { return index < entries; });
}

// Decodes every row into `row` and reads on to the end marker. Every libpng
// error lands back here; nothing in this frame needs unwinding, and what was
// set before the jump is only read through `png`, so a jump loses nothing.
bool decodeAllRows(png_structp png, png_infop info, const PictureShape& shape, png_bytep row) {
    if (setjmp(png_jmpbuf(png)) != 0) {
        return false;
    }
    png_read_info(png, info);
    if (png_get_rowbytes(png, info) != std::size_t{shape.width} * shape.channels) {
        return false;
    }
    for (std::uint32_t y = 0; y < shape.height; ++y) {
        png_read_row(png, row, nullptr);
        if (!indexesInPalette(png, info, shape, row)) {
            return false;
        }
    }
    png_read_end(png, info);
    return true;
}

// Hands the bytes to libpng with every check on: checksums of all chunks,
// benign errors as errors, the size limit repeated, ancillary data bounded.
bool decodesCleanly(const unsigned char* data, std::size_t size, int maxSize,
                    const PictureShape& shape) {
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
        png_set_user_limits(png, static_cast<png_uint_32>(maxSize),
                            static_cast<png_uint_32>(maxSize));
        png_set_chunk_malloc_max(png, kMaxAncillaryBytes);
        png_set_chunk_cache_max(png, kMaxAncillaryChunks);
        std::vector<png_byte> row(std::size_t{shape.width} * shape.channels);
        clean = decodeAllRows(png, info, shape, row.data());
    }
    png_destroy_read_struct(&png, info != nullptr ? &info : nullptr, nullptr);
    return clean;
}

// Reads a whole regular file of at most kMaxFileBytes, opened so that a pipe
// or a device cannot block or feed it endlessly. A link to a picture is
// followed; a loop of links fails in open.
bool readSmallFile(const char* path, std::vector<unsigned char>& bytes) {
    const int fd = open(path, O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
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

bool pictureBytesAreSafe(const unsigned char* data, std::size_t size, int maxSize) {
    PictureShape shape;
    return readHeader(data, size, maxSize, shape) && chunksAreSound(data, size, shape) &&
           decodesCleanly(data, size, maxSize, shape);
}

bool pictureIsSafe(const char* path, int maxSize) {
    std::vector<unsigned char> bytes;
    return path != nullptr && readSmallFile(path, bytes) &&
           pictureBytesAreSafe(bytes.data(), bytes.size(), maxSize);
}
