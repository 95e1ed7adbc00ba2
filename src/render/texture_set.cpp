// The 46 pictures as GL textures, loaded once at start-up and deleted at
// shutdown.
//
// A picture that is missing, damaged or too large leaves texture id 0 in its
// entry and the game runs on with a blank quad there: the set always has one
// entry per name, so tile code c stays entry c - 1 whatever failed. Every file
// is vetted before the image decoder sees it.
#include "texture_set.h"

#include <SOIL.h>

#include <algorithm>
#include <cstdio>

#include "picture_check.h"
#include "stroke_font.h"

// clang-format off
const char* const textureNames[kTextureCount + 1] = {
    "a0",     "a1",     "a2",     "a3",     "a4",     "a5",     "a6",     "a7",     "a8",  // tile codes  1..9
    "b0",     "b1",     "b2",     "b3",     "b4",     "b5",     "b6",     "b7",     "b8",  // tile codes 10..18
    "c0",     "c1",     "c2",     "c3",     "c4",     "c5",     "c6",     "c7",     "c8",  // tile codes 19..27
    "d0",     "d1",     "d2",                                                              // tile codes 28..30
    "e0",     "e1",     "e2",     "e3",                                                    // tile codes 31..34
    "f0",     "f1",     "f2",     "f3",                                                    // tile codes 35..38
    "g0",     "g1",     "g2",     "g3",                                                    // tile codes 39..42
    "wench0", "wench1", "wench2", "wench3",                                                // rewards, lowest score band first
    "",                                                                                    // end of the table
};
// clang-format on

std::vector<std::unique_ptr<TextureEntry>> textureSet;

namespace {

constexpr const char* kPicturePath = "dat/img/%s.png";  // relative to the working directory
constexpr GLint kLargestPicture = 4096;                 // pixels a side, whatever the GL allows

// The largest picture side both we and the GL accept.
GLint largestPicture() {
    GLint glLimit = kLargestPicture;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &glLimit);
    return std::min(kLargestPicture, glLimit);
}

}  // namespace

void loadTextureSet() {
    const GLint maxSize = largestPicture();
    for (int k = 0; textureNames[k][0] != '\0'; ++k) {
        auto entry = std::make_unique<TextureEntry>();
        entry->id = 0;
        std::snprintf(textBuffer, sizeof textBuffer, kPicturePath, textureNames[k]);
        if (pictureIsSafe(textBuffer, maxSize)) {
            entry->id = SOIL_load_OGL_texture(textBuffer, SOIL_LOAD_AUTO, SOIL_CREATE_NEW_ID, 0);
        }
        textureSet.push_back(std::move(entry));
    }
}

void releaseTextureSet() {
    for (const std::unique_ptr<TextureEntry>& entry : textureSet) {
        glDeleteTextures(1, &entry->id);
    }
    textureSet.clear();
}
