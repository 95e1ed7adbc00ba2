// A fixed run for an instruction profile: 1000 frames of a game in play
// against the GL stand-in, one update step per frame (a 33 frames a second
// pace), a new deal whenever a game ends. Made for callgrind:
//
//   valgrind --tool=callgrind --toggle-collect=playFrames build-bench/bench/frame_profile
//   callgrind_annotate --inclusive=yes callgrind.out.PID
#include <unistd.h>

#include <cstdint>

#include "game/controls.h"
#include "game/game_state.h"
#include "render/frame_keeper.h"
#include "render/scene.h"
#include "render/stroke_font.h"
#include "render/texture_set.h"

namespace {

constexpr int kFrames = 1000;
constexpr std::uint32_t kSeed = 20260601;

// Not inlined, so the profiler can collect exactly this.
__attribute__((noinline)) void playFrames() {
    std::uint32_t seed = kSeed;
    for (int frame = 0; frame < kFrames; ++frame) {
        stepGame();
        if (gameState.gameOver) {
            dealNewGame(++seed);
        }
        washScreen();
        drawScene();
    }
}

}  // namespace

int main() {
    if (chdir(KESSARY_SOURCE_DIR) != 0) {
        return 1;
    }
    loadTextureSet();
    setUpFrameKeeping();
    compileStrokeFont();
    dealNewGame(kSeed);
    playFrames();
    releaseTextureSet();
    return 0;
}
