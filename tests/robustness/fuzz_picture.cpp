// libFuzzer target: arbitrary bytes through the picture check and, when they
// pass, through SOIL's decoder exactly as the game would reach it.
//
// The check must never misbehave on any input, and nothing it lets through may
// make SOIL misbehave: a crash, a hang or a huge allocation in either is a
// finding. SOIL itself is not instrumented, so inside it only crashes, hangs
// and allocations show; the check is fully instrumented.
//
// Nearly every random change breaks a chunk checksum, which the check rightly
// refuses, so the mutator below mends the checksums of most mutants: that lets
// the fuzzer reach the header fields, the compressed data and SOIL itself.
#include <SOIL.h>
#include <zlib.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "render/picture_check.h"

namespace {

constexpr int kLargest = 4096;              // the game's own limit
constexpr std::size_t kFirstChunk = 8;      // after the signature
constexpr std::size_t kChunkOverhead = 12;  // length, type, checksum
constexpr unsigned kKeepBrokenOneIn = 4;    // mutants left with their checksums broken

std::uint32_t readBigEndian(const std::uint8_t* at) {
    return std::uint32_t{at[0]} << 24 | std::uint32_t{at[1]} << 16 | std::uint32_t{at[2]} << 8 |
           std::uint32_t{at[3]};
}

void writeBigEndian(std::uint8_t* at, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) {
        at[i] = static_cast<std::uint8_t>(value >> (24 - 8 * i));
    }
}

// Rewrites the checksum of every chunk that lies wholly inside the data.
void mendChecksums(std::uint8_t* data, std::size_t size) {
    std::size_t at = kFirstChunk;
    while (size >= kChunkOverhead && at <= size - kChunkOverhead) {
        const std::uint32_t length = readBigEndian(data + at);
        if (length > size - at - kChunkOverhead) {
            return;
        }
        const std::uint8_t* typeAndData = data + at + 4;
        writeBigEndian(data + at + 8 + length,
                       crc32(crc32(0, nullptr, 0), typeAndData, length + 4));
        at += kChunkOverhead + length;
    }
}

}  // namespace

extern "C" std::size_t LLVMFuzzerMutate(std::uint8_t* data, std::size_t size, std::size_t maxSize);

extern "C" std::size_t LLVMFuzzerCustomMutator(std::uint8_t* data, std::size_t size,
                                               std::size_t maxSize, unsigned int seed) {
    const std::size_t mutated = LLVMFuzzerMutate(data, size, maxSize);
    if (seed % kKeepBrokenOneIn != 0) {
        mendChecksums(data, mutated);
    }
    return mutated;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (!pictureBytesAreSafe(data, size, kLargest)) {
        return 0;
    }
    int width = 0, height = 0, channels = 0;
    unsigned char* pixels = SOIL_load_image_from_memory(data, static_cast<int>(size), &width,
                                                        &height, &channels, SOIL_LOAD_AUTO);
    if (pixels == nullptr) {
        __builtin_trap();  // the check passed something SOIL cannot read
    }
    SOIL_free_image_data(pixels);
    return 0;
}
