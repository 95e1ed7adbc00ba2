// The 46 pictures as GL textures: 42 tile faces and 4 reward pictures.
#pragma once

#include <GL/gl.h>

#include <memory>
#include <vector>

#include "picture_names.h"

constexpr int kTextureCount = kPictureCount;
constexpr int kFirstRewardTexture = kTileFaceCount;  // wench0; wench3 is entry 45

// The picture names in load order, ended by "".
extern const char* const textureNames[kTextureCount + 1];

struct TextureEntry {
    GLuint id;  // GL texture name, 0 when the picture failed to load
};

// Entry k holds picture textureNames[k]; tile code c is entry c - 1.
extern std::vector<std::unique_ptr<TextureEntry>> textureSet;

void loadTextureSet();
void releaseTextureSet();
