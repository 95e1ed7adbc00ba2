// The game as it loaded its pictures before each file was read only once: the
// picture check read and decoded the file and kept nothing, then SOIL's loader
// opened the path again and decoded it a second time. scripts/bench runs this
// build beside the game to measure the old way against the new in one run.
//
// The game's own loader runs unchanged; only its call to SOIL's texture
// creation is taken over at link time (--wrap), and the pixels the check
// decoded are dropped for a load of the path, which the loader has just
// formatted into the text buffer.
#include <SOIL.h>

#include "render/stroke_font.h"

extern "C" unsigned int __wrap_SOIL_create_OGL_texture(const unsigned char*, int, int, int,
                                                       unsigned int reuse, unsigned int flags) {
    return SOIL_load_OGL_texture(textBuffer, SOIL_LOAD_AUTO, reuse, flags);
}
