// The one record of game state and the operations that deal a new game.
//
// Everything the rules know lives in `gameState`, a single process-wide
// record that the other rule files, the frame loop and the drawing read and
// write directly. There are no accessors: each field's comment says what it
// holds and in which unit. The game's own random source lives here too; it is
// the only randomness that changes the game, so a seed fixes a whole game.
#pragma once

#include <array>
#include <cstdint>
#include <list>
#include <random>
#include <vector>

// 0 is an empty slot; 1..42 are the tile kinds, one tile of each per game.
using TileCode = std::int32_t;

// clang-format off
constexpr TileCode kTileKinds     = 42;   // codes 1..42
constexpr int      kColumnCount   = 6;    // columns, index 0 leftmost
constexpr int      kColumnHeight  = 4;    // slots per column; a full column is a meld
constexpr int      kQueueLength   = 7;    // queue slots; slot 0 is the tile in hand
constexpr int      kJitterEntries = 40;   // shake offsets walked every step
constexpr int      kWindowWidth   = 640;  // window and view, pixels: one view unit is one pixel
constexpr int      kWindowHeight  = 580;
constexpr float    kSparkStartX   = kWindowWidth / 2.0f;  // window centre
constexpr float    kSparkStartY   = kWindowHeight / 2.0f;
// clang-format on

struct Column {
    TileCode tiles[kColumnHeight];  // filled from index 0 up; slots from `count` up hold 0
    std::int32_t count;             // filled slots, 0..4; the next tile goes to tiles[count]
};

// The small drifting triangle. Positions are window pixels (origin bottom
// left, y up); velocities are pixels per 30 ms step.
struct Spark {
    float x;
    float y;
    float vx;
    float vy;
};

// How far one shaken tile is displaced from its place, in pixels.
struct JitterOffset {
    float x;
    float y;
};

using JitterTable = std::vector<JitterOffset>;

// Standard mt19937 whose `next` halves each 32-bit output: every value of
// 0..2147483647 is hit by exactly two outputs and no output is rejected, so a
// seed gives the same game on every platform and standard library (a library
// distribution would not promise that).
struct GameRandom {
    std::mt19937 engine;  // default-seeded with 5489 until the first deal

    void reseed(std::uint32_t seed) { engine.seed(seed); }
    std::int32_t next() { return static_cast<std::int32_t>(engine() / 2u); }
};

// clang-format off
struct GameState {
    std::array<Column, kColumnCount>   columns{};         // the board, index 0 leftmost
    std::int32_t                       cursor = 0;        // column that takes the next drop, 0..5
    std::array<TileCode, kQueueLength> queue{};           // coming tiles, slot 0 in hand; zeros only at the end
    std::list<TileCode>                deck;              // undealt codes, front to back; refills take the back
    std::int32_t                       dropTimer = 0;     // +5 per step; the hand drops at 100 (every 600 ms)
    std::int32_t                       score = 0;         // points of the current game
    std::int32_t                       bestScore = 0;     // highest final score since the process started
    bool                               gameOver = false;  // the game has ended; any key deals the next
    Spark                              spark{};           // the drifting triangle
    JitterTable                        jitter;            // 40 offsets from the first deal on, never reset
    std::int32_t                       jitterCursor = 0;  // next `jitter` entry a shaken quad takes, per frame
    GameRandom                         random;            // the only randomness that changes the game
};
// clang-format on

extern GameState gameState;

// Deals a new game seeded from the calendar time in seconds.
void newGame();

// Deals a new game from `seed`: reseed, shuffle, deal and reset. Keeps the
// best score, the drop timer and the jitter offsets already walked.
void dealNewGame(std::uint32_t seed);
