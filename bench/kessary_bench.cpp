// CPU benchmarks of the rules and of our own drawing code.
//
// The update step is measured against its floor, the 81 raw mt19937 draws that
// every step must make; the frame against a GL that does nothing, so only our
// own code's time shows. Picture loading is timed both ways: read and decoded
// once by the picture check, as the game does now, and the way it was before,
// checked and then opened and decoded a second time by SOIL's loader.
//
// Run from anywhere: the pictures are found under the source tree.
#include <SOIL.h>
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <random>

#include "game/controls.h"
#include "game/drop.h"
#include "game/game_state.h"
#include "game/meld.h"
#include "render/frame_keeper.h"
#include "render/picture_check.h"
#include "render/scene.h"
#include "render/stroke_font.h"
#include "render/texture_set.h"

namespace {

constexpr std::uint32_t kSeed = 20260601;
constexpr int kStepDraws = 1 + 2 * kJitterEntries;  // a jump test, x and y per jitter entry
constexpr int kMeldSamples = 64;
constexpr int kBestScore = 300;  // long enough to give the score line its most digits
constexpr int kPictureSide = 4096;

// The floor of stepGame: the draws alone, nothing done with them but a sum.
void randomFloor(benchmark::State& state) {
    std::mt19937 engine(kSeed);
    for (auto _ : state) {
        std::uint32_t sum = 0;
        for (int i = 0; i < kStepDraws; ++i) {
            sum += engine();
        }
        benchmark::DoNotOptimize(sum);
    }
}
BENCHMARK(randomFloor);

// One call of `call` in a running game: a step or a drop. A game ends after at
// most 42 drops (840 steps); the next deal is made outside the timing.
void inRunningGame(benchmark::State& state, void (*call)()) {
    std::uint32_t seed = kSeed;
    dealNewGame(seed);
    for (auto _ : state) {
        call();
        if (gameState.gameOver) {
            state.PauseTiming();
            dealNewGame(++seed);
            state.ResumeTiming();
        }
    }
}
BENCHMARK_CAPTURE(inRunningGame, stepGame, stepGame);
BENCHMARK_CAPTURE(inRunningGame, dropTile, dropTile);

// Full columns as play makes them: four tiles dropped in a row, for a spread
// of deals so the branches see pure, mixed and dragon melds alike.
void scoreColumnCall(benchmark::State& state) {
    Column melds[kMeldSamples];
    for (int k = 0; k < kMeldSamples; ++k) {
        dealNewGame(kSeed + k);
        for (int t = 0; t < kColumnHeight; ++t) {
            melds[k].tiles[t] = gameState.queue[t];
        }
        melds[k].count = kColumnHeight;
    }
    gameState.cursor = 0;
    int k = 0;
    for (auto _ : state) {
        gameState.columns[0] = melds[k];
        gameState.score = 0;
        benchmark::DoNotOptimize(scoreColumn());
        k = (k + 1) % kMeldSamples;
    }
}
BENCHMARK(scoreColumnCall);

void dealNewGameCall(benchmark::State& state) {
    std::uint32_t seed = kSeed;
    for (auto _ : state) {
        dealNewGame(++seed);
    }
}
BENCHMARK(dealNewGameCall);

// The drawing needs its pictures and font once, against the GL stand-in.
void setUpDrawing() {
    static bool ready = false;
    if (!ready) {
        loadTextureSet();
        setUpFrameKeeping();
        compileStrokeFont();
        ready = true;
    }
}

void frame(benchmark::State& state) {
    for (auto _ : state) {
        washScreen();
        drawScene();
    }
}

// The first frame of a game: seven queue tiles and the preview.
void frameOpening(benchmark::State& state) {
    setUpDrawing();
    dealNewGame(kSeed);
    frame(state);
}
BENCHMARK(frameOpening);

// The busiest frame: a game over on a full board, so 32 shaken tiles, the
// outline, the reward picture and the longest score line.
void frameFullBoard(benchmark::State& state) {
    setUpDrawing();
    dealNewGame(kSeed);
    TileCode code = 1;
    for (Column& column : gameState.columns) {
        for (TileCode& tile : column.tiles) {
            tile = code++;
        }
        column.count = kColumnHeight;
    }
    for (TileCode& tile : gameState.queue) {
        tile = code++;
    }
    gameState.cursor = kColumnCount - 1;
    gameState.score = kBestScore;
    gameState.bestScore = kBestScore;
    gameState.gameOver = true;
    frame(state);
}
BENCHMARK(frameFullBoard);

// The pictures are timed in two sets, the 42 tile faces (128 x 128 RGBA) and
// the 4 reward pictures (larger, fewer), from entry range(0) to range(1).
// Neither includes SOIL's copy of the pixels or the upload, which a GL adds
// alike to both ways.
template <bool kReadTwice>
void loadPictures(benchmark::State& state) {
    Picture picture;
    for (auto _ : state) {
        for (auto k = state.range(0); k < state.range(1); ++k) {
            std::snprintf(textBuffer, sizeof textBuffer, kPicturePath, textureNames[k]);
            benchmark::DoNotOptimize(readPicture(textBuffer, kPictureSide, picture));
            if (kReadTwice) {
                int width = 0;
                int height = 0;
                int channels = 0;
                unsigned char* pixels =
                    SOIL_load_image(textBuffer, &width, &height, &channels, SOIL_LOAD_AUTO);
                benchmark::DoNotOptimize(pixels);
                SOIL_free_image_data(pixels);
            }
        }
    }
}
BENCHMARK_TEMPLATE(loadPictures, false)
    ->Name("picturesReadOnce")
    ->Args({0, kTileFaceCount})
    ->Args({kTileFaceCount, kPictureCount})
    ->Unit(benchmark::kMillisecond);
BENCHMARK_TEMPLATE(loadPictures, true)
    ->Name("picturesReadTwice")
    ->Args({0, kTileFaceCount})
    ->Args({kTileFaceCount, kPictureCount})
    ->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    if (chdir(KESSARY_SOURCE_DIR) != 0) {
        return 1;
    }
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
