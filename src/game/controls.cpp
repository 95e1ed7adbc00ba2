// Key presses and the fixed 30 ms update step.
//
// The spark's steering is deliberately lopsided: a vertical arrow pushes the
// spark its own way on press and again on release, so every tap speeds it up
// for good, while a horizontal arrow pushes it the opposite way only while held
// (the release half lives in the frame loop). The cursor skips full columns.
#include "controls.h"

#include "drop.h"
#include "game_state.h"

namespace {

// clang-format off
constexpr std::int32_t kSparkJumpOdds = 100;     // one step in 100 on average
constexpr std::int32_t kJitterSpan    = 101;     // integer steps -50..50
constexpr std::int32_t kJitterCentre  = 50;
constexpr float        kJitterUnit    = 0.025f;  // so an offset moves at most 1.25 px a step
// clang-format on

// Moves the cursor one column in `direction` (+1 right, -1 left), wrapping and
// skipping full columns. The cursor column always has room while a game runs,
// so the search ends at the latest back where it started.
void moveCursor(int direction) {
    int column = gameState.cursor;
    do {
        column = (column + direction + kColumnCount) % kColumnCount;
    } while (gameState.columns[column].count >= kColumnHeight);
    gameState.cursor = column;
}

float jitterStep() {
    return static_cast<float>(gameState.random.next() % kJitterSpan - kJitterCentre) * kJitterUnit;
}

}  // namespace

void handleKeyDown(std::int32_t key) {
    GameState& g = gameState;
    if (g.gameOver) {
        // The restarting press does nothing else, whatever the key.
        newGame();
        return;
    }
    switch (key) {
        case kKeySpace:
        case kKeyZ:
            dropTile();
            break;
        case kKeyUp:
            g.spark.vy += 1.0f;
            break;
        case kKeyDown:
            g.spark.vy -= 1.0f;
            break;
        case kKeyRight:
            g.spark.vx -= 1.0f;
            moveCursor(+1);
            break;
        case kKeyLeft:
            g.spark.vx += 1.0f;
            moveCursor(-1);
            break;
        default:
            break;
    }
}

void stepGame() {
    GameState& g = gameState;
    if (g.gameOver) {
        return;
    }

    g.spark.x += g.spark.vx;
    g.dropTimer += kDropTimerPerStep;
    g.spark.y += g.spark.vy;

    if (g.random.next() % kSparkJumpOdds == 0) {
        g.spark.x = static_cast<float>(g.random.next() % kWindowWidth);
        g.spark.y = static_cast<float>(g.random.next() % kWindowHeight);
    }

    if (g.dropTimer >= kDropTimerLimit) {
        dropTile();
    }

    // The walk runs even in the step whose drop ended the game, and is never
    // pulled back towards 0.
    for (JitterOffset& offset : g.jitter) {
        offset.x += jitterStep();
        offset.y += jitterStep();
    }
}
