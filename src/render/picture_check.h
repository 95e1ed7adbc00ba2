// Reading a picture file into the pixels of its texture, checking every byte.
#pragma once

#include <cstddef>
#include <vector>

// A decoded picture, laid out as SOIL's loader lays out the same file.
struct Picture {
    int width = 0;
    int height = 0;
    int channels = 0;                   // 1 grey, 2 grey and alpha, 3 RGB, 4 RGBA
    std::vector<unsigned char> pixels;  // rows from the top, width * channels bytes each
};

// Reads the file at `path` once and decodes it into `picture`: true when it
// is a regular, complete, well-formed 8-bit PNG no larger than `maxSize`
// pixels a side that decodes cleanly. On false `picture` holds nothing of use.
// The pixel storage is reused from call to call.
bool readPicture(const char* path, int maxSize, Picture& picture);

// The same over a picture already in memory (the file's whole content).
bool decodePicture(const unsigned char* data, std::size_t size, int maxSize, Picture& picture);
