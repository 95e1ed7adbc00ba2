// Shared by the drawing tests: a fresh recorder, a known texture set and font,
// a hand-built game state, and ways to pick out and check what was drawn.
//
// Every tile picture gets a distinct fake texture id (entry k holds 1000 + k),
// so a quad's texture says which tile it shows. The picture vetting is a
// stand-in too: it records each call and refuses the paths a test names.
#pragma once

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <utility>
#include <vector>

#include "game/game_state.h"
#include "gl_recorder.h"
#include "render/frame_keeper.h"
#include "render/scene.h"
#include "render/stroke_font.h"
#include "render/texture_set.h"

namespace rendertest {

constexpr GLuint kFakeTextureBase = 1000;  // entry k of the test texture set holds 1000 + k
constexpr double kPixelTolerance = 1e-3;   // window coordinates go through the projection

struct PictureCheckRecord {
    std::vector<std::pair<std::string, int>> calls;  // path and largest size, per call
    std::set<std::string> refused;
};
extern PictureCheckRecord pictureCheck;

// The texture id that tile `code` is drawn with in the test texture set.
inline GLuint tileTexture(TileCode code) {
    return kFakeTextureBase + static_cast<GLuint>(code) - 1;
}

// A fresh recorder with the font compiled and the 46-entry test texture set,
// no frame keeping, and `gameState` as the process starts but for 40 zero
// jitter offsets; the logs start empty.
void resetDrawing();

// Sets the queue from `codes` (padded with empty slots) and the columns from
// `columns` (one list of codes per column, bottom first).
void setBoard(const std::vector<TileCode>& codes,
              const std::vector<std::vector<TileCode>>& columns);

// One frame as the frame loop draws it.
void drawFrame();

// The recorded primitives drawn with texturing on, in order.
std::vector<RecordedPrimitive> texturedQuads();

// The recorded primitives of `mode` drawn with texturing off, in order.
std::vector<RecordedPrimitive> plainPrimitives(GLenum mode);

// Checks that `v` lies at window pixel (x, y).
void expectAt(const RecordedVertex& v, double x, double y);

// Checks that `quad` is a width x height quad centred at (x, y), corners
// counter-clockwise from the bottom left, front-facing, with the textured
// quad's coordinates when it is textured.
void expectCentredQuad(const RecordedPrimitive& quad, double x, double y, double width,
                       double height);

}  // namespace rendertest
