// Fixed runs for callgrind, whose instruction counts, unlike times, do not
// change with the machine's load.
//
//   frame_profile          1000 frames of play against the GL stand-in, one
//                          update step per frame, a new deal whenever a game
//                          ends: the profile of where a frame's time goes
//   frame_profile steps    10000 update steps of running games, then the
//                          floor: 10000 times the step's 81 raw mt19937 draws
//
//   valgrind --tool=callgrind --toggle-collect='*playFrames*' frame_profile
//   valgrind --tool=callgrind frame_profile steps
//   callgrind_annotate --inclusive=yes callgrind.out.PID
//
// The counts per call follow from the fixed numbers of calls: stepGame is
// called once per step, washScreen and drawScene once per frame.
#include <unistd.h>

#include <cstdint>
#include <cstring>
#include <random>

#include "game/controls.h"
#include "game/game_state.h"
#include "render/frame_keeper.h"
#include "render/scene.h"
#include "render/stroke_font.h"
#include "render/texture_set.h"

namespace {

constexpr int kFrames = 1000;
constexpr int kSteps = 10000;
constexpr int kStepDraws = 1 + 2 * kJitterEntries;  // a jump test, x and y per jitter entry
constexpr std::uint32_t kSeed = 20260601;

// The functions below are not inlined, so that callgrind can collect and
// count exactly them.
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

// Every step in a running game: a game that is over is dealt anew first.
__attribute__((noinline)) void runSteps() {
    std::uint32_t seed = kSeed;
    for (int step = 0; step < kSteps; ++step) {
        if (gameState.gameOver) {
            dealNewGame(++seed);
        }
        stepGame();
    }
}

// The draws alone, nothing done with them but a sum.
__attribute__((noinline)) std::uint32_t floorDraws() {
    std::mt19937 engine(kSeed);
    std::uint32_t sum = 0;
    for (int step = 0; step < kSteps; ++step) {
        for (int i = 0; i < kStepDraws; ++i) {
            sum += static_cast<std::uint32_t>(engine());
        }
    }
    return sum;
}

}  // namespace

int main(int argc, char** argv) {
    if (chdir(KESSARY_SOURCE_DIR) != 0) {
        return 1;
    }
    dealNewGame(kSeed);
    if (argc > 1 && std::strcmp(argv[1], "steps") == 0) {
        runSteps();
        volatile std::uint32_t sink = floorDraws();  // used, so the draws stay
        (void)sink;
        return 0;
    }
    loadTextureSet();
    setUpFrameKeeping();
    compileStrokeFont();
    playFrames();
    releaseTextureSet();
    return 0;
}
