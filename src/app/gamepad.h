// Gamepads: every pad SDL lists plays the one game, beside the keyboard.
#pragma once

#include <SDL.h>

#include <cstdint>

// One key press or release that a pad's move stands for.
struct PadKey {
    std::int32_t key;  // a key code as handleKeyDown takes it
    bool down;         // a press, or else a release
};

// The most keys one event can stand for: a hat rolled from one diagonal to the
// opposite one releases two arrows and presses two.
constexpr int kMaxPadKeys = 4;

// What a pad's other buttons press: a key the game has no use for while it
// runs, which, like any key, deals a new game once it is over.
constexpr std::int32_t kPadOtherButtonKey = SDLK_UNKNOWN;

// At start-up: opens every pad there is. With no joystick support or no pad,
// the game runs on the keyboard alone and nothing is said.
void openGamepads();

// The keys a joystick event stands for, written to `keys`; returns how many
// (0 for an event that is not a pad's, or a move that changes nothing).
int padKeys(const SDL_Event& event, PadKey keys[kMaxPadKeys]);

// Called by the frame loop once per pass. While a game is over, looks for pads
// plugged in since start-up, every couple of seconds; never during play, as a
// look stops the game for a few milliseconds.
void rescanGamepads(bool gameOver, std::uint32_t ticks);
