// Drawing one frame over the last one.
#pragma once

#include "game/game_state.h"
#include "texture_set.h"

// Fades the previous picture with a nearly transparent white wash.
void washScreen();

// Draws the whole game faintly over the washed picture.
void drawScene();

// Draws `entry` as a width x height quad centred at the current origin in the
// current colour; `shake` trembles it and takes the next jitter offset.
void drawTexturedQuad(const TextureEntry& entry, float width, float height, bool shake);

// Draws the face of tile `code`, 100 x 100 and shaken.
void drawTile(TileCode code);
