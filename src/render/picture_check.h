// Vetting a picture file before it reaches the image decoder.
#pragma once

// True when `path` is a regular, complete, well-formed 8-bit PNG no larger than
// `maxSize` pixels a side that decodes cleanly.
bool pictureIsSafe(const char* path, int maxSize);
