// Vetting a picture file before it reaches the image decoder.
#pragma once

#include <cstddef>

// True when `path` is a regular, complete, well-formed 8-bit PNG no larger than
// `maxSize` pixels a side that decodes cleanly.
bool pictureIsSafe(const char* path, int maxSize);

// The same check over a picture already in memory (the file's whole content).
bool pictureBytesAreSafe(const unsigned char* data, std::size_t size, int maxSize);
