// The 46 pictures as GL textures, loaded once at start-up and deleted at
// shutdown.
//
// A picture that is missing, damaged or too large leaves texture id 0 in its
// entry and the game runs on with a blank quad there: the set always has one
// entry per name, so tile code c stays entry c - 1 whatever failed. Each file
// is read and decoded once, by the picture check, and the pixels that passed
// it are what SOIL makes the texture of, with the parameters its own loader
// would give the file: the picture's own channels, no flags, so no flip.
#include "texture_set.h"

#include <SOIL.h>

#include <algorithm>
#include <string>

#include "picture_check.h"
#include "platform/platform.h"

const char* const textureNames[kTextureCount + 1] = {KESSARY_PICTURE_NAMES, ""};

std::vector<std::unique_ptr<TextureEntry>> textureSet;

namespace {

constexpr GLint kLargestPicture = 4096;  // pixels a side, whatever the GL allows

// The largest picture side both we and the GL accept.
GLint largestPicture() {
    GLint glLimit = kLargestPicture;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &glLimit);
    return std::min(kLargestPicture, glLimit);
}

}  // namespace

void loadTextureSet() {
    const GLint maxSize = largestPicture();
    const std::string& folder = pictureFolder().path;
    std::string path;
    Picture picture;
    for (int k = 0; textureNames[k][0] != '\0'; ++k) {
        auto entry = std::make_unique<TextureEntry>();
        entry->id = 0;
        path = folder + textureNames[k] + kPictureExtension;
        if (readPicture(path.c_str(), maxSize, picture)) {
            entry->id =
                SOIL_create_OGL_texture(picture.pixels.data(), picture.width, picture.height,
                                        picture.channels, SOIL_CREATE_NEW_ID, 0);
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
