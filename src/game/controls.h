// What the player's keys and the passing of time do to the game.
#pragma once

#include <cstdint>

// Key symbols as the platform layer reports them (SDL 1.2's values). The rules
// keep their own copies so they build and test without SDL.
constexpr std::int32_t kKeySpace = 32;
constexpr std::int32_t kKeyZ = 122;
constexpr std::int32_t kKeyUp = 273;
constexpr std::int32_t kKeyDown = 274;
constexpr std::int32_t kKeyRight = 275;
constexpr std::int32_t kKeyLeft = 276;

constexpr int kStepMilliseconds = 30;  // one update step of game time
constexpr std::int32_t kDropTimerPerStep = 5;
constexpr std::int32_t kDropTimerLimit = 100;  // 20 steps: the hand drops every 600 ms

// A key press that the frame loop did not keep for itself (Escape, a press
// swallowed after a focus loss). While the game is over any key deals anew.
void handleKeyDown(std::int32_t key);

// One 30 ms update step: moves the spark, runs the automatic drop and walks the
// jitter offsets. Does nothing while the game is over.
void stepGame();
