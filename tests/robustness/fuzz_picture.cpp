// libFuzzer target: bytes through the picture check, whose libpng decode makes
// the texture's pixels. A crash, hang or huge allocation is a finding, as is a
// passed picture whose pixels are not all there or differ from what SOIL's own
// loader decodes from the same bytes. Most random changes break a chunk
// checksum, which the check refuses, so the mutator mends most mutants'
// checksums to reach deeper.
#include <SOIL.h>
#include <zlib.h>

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "render/picture_check.h"

namespace {

std::uint32_t bigEndian(const std::uint8_t* at) {
    return std::uint32_t{at[0]} << 24 | std::uint32_t{at[1]} << 16 | std::uint32_t{at[2]} << 8 |
           at[3];
}

}  // namespace

extern "C" std::size_t LLVMFuzzerMutate(std::uint8_t* data, std::size_t size, std::size_t maxSize);

// Mends the checksum of every chunk (length, type, data, checksum) wholly inside the mutant.
extern "C" std::size_t LLVMFuzzerCustomMutator(std::uint8_t* data, std::size_t size,
                                               std::size_t maxSize, unsigned int seed) {
    const std::size_t mutated = LLVMFuzzerMutate(data, size, maxSize);
    if (seed % 4 == 0) {  // one mutant in four keeps its broken checksums
        return mutated;
    }
    for (std::size_t at = 8; at + 12 <= mutated && bigEndian(data + at) <= mutated - at - 12;) {
        const std::uint32_t length = bigEndian(data + at);
        const uLong crc = crc32(crc32(0, nullptr, 0), data + at + 4, length + 4);
        for (int i = 0; i < 4; ++i) {
            data[at + 8 + length + i] = static_cast<std::uint8_t>(crc >> (24 - 8 * i));
        }
        at += 12 + std::size_t{length};
    }
    return mutated;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static Picture picture;                           // one for all, as at start-up
    if (!decodePicture(data, size, 4096, picture)) {  // the game's own limit
        return 0;
    }
    const std::size_t bytes = std::size_t(picture.width) * picture.height * picture.channels;
    if (picture.channels < 1 || picture.channels > 4 || picture.pixels.size() != bytes) {
        __builtin_trap();
    }
    int width = 0, height = 0, channels = 0;
    unsigned char* pixels = SOIL_load_image_from_memory(data, static_cast<int>(size), &width,
                                                        &height, &channels, SOIL_LOAD_AUTO);
    // The loader reports a channel too few for a transparent colour it turns into alpha.
    const bool sameLayout = channels == picture.channels || channels + 1 == picture.channels;
    if (pixels == nullptr || width != picture.width || height != picture.height || !sameLayout ||
        std::memcmp(pixels, picture.pixels.data(), bytes) != 0) {
        __builtin_trap();
    }
    SOIL_free_image_data(pixels);
    return 0;
}
