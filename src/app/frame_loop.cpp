// The main loop: drain the events, run the update steps that the elapsed time
// allows, draw one picture and show it.
//
// Keys and pads are one input: a pad's moves arrive as the keys' own presses
// and releases, and go the same way, focus-loss swallowing included.
//
// Game time moves in whole 30 ms steps whatever the frame rate: each frame adds
// its elapsed milliseconds to a budget, runs one step per whole 30 ms in it and
// carries the rest. The tick arithmetic is unsigned 32-bit on purpose, so the
// elapsed time stays right when SDL's millisecond counter wraps (after ~49
// days). Pictures come at sixty a second: the swap waits for a 60 Hz display,
// or the pacer sleeps right after it. Either way the next drain still reads
// every key pressed meanwhile, and the wait is just elapsed time to the steps.
#include "frame_loop.h"

#include <SDL.h>

#include <cstdint>
#include <utility>

#include "app/frame_pacer.h"
#include "app/gamepad.h"
#include "app/window_mode.h"
#include "game/controls.h"
#include "game/game_state.h"
#include "render/scene.h"

namespace {

constexpr std::uint32_t kStepBudgetMs = kStepMilliseconds;
constexpr float kSparkNudge = 1.0f;  // velocity change of one arrow release

// The release half of the spark steering; the press half is in handleKeyDown.
// Releasing a vertical arrow pushes the same way its press did, so a tap
// accelerates for good; a horizontal release undoes its press.
void steerSparkOnKeyUp(SDLKey key) {
    Spark& spark = gameState.spark;
    switch (key) {
        case SDLK_UP:
            spark.vy += kSparkNudge;
            break;
        case SDLK_DOWN:
            spark.vy -= kSparkNudge;
            break;
        case SDLK_RIGHT:
            spark.vx += kSparkNudge;
            break;
        case SDLK_LEFT:
            spark.vx -= kSparkNudge;
            break;
        default:
            break;
    }
}

// F11, or Enter with either Alt held, switches full screen; a bare Alt press is
// the first half of that chord. Like Escape these keys are the loop's own and
// never reach the game, so they cannot deal a new game at its end. This is the
// only place the loop reads a key's modifiers: other keys pass on, Alt or not.
bool isFullScreenKey(const SDL_keysym& key) {
    const bool enter = key.sym == SDLK_RETURN || key.sym == SDLK_KP_ENTER;
    return key.sym == SDLK_F11 || (enter && (key.mod & KMOD_ALT) != 0);
}

bool isAltKey(SDLKey key) {
    return key == SDLK_LALT || key == SDLK_RALT;
}

// The release half of any key, from the keyboard or a pad.
void releaseKey(std::int32_t key) {
    if (!gameState.gameOver) {
        steerSparkOnKeyUp(static_cast<SDLKey>(key));
    }
}

// A pad's move: the keys it stands for, pressed and released like the
// keyboard's. A pad has no Escape and no full-screen key of its own.
void pressPadKeys(const SDL_Event& event, bool& swallowKeyDown) {
    PadKey keys[kMaxPadKeys];
    const int count = padKeys(event, keys);
    for (int i = 0; i < count; ++i) {
        if (!keys[i].down) {
            releaseKey(keys[i].key);
        } else if (!std::exchange(swallowKeyDown, false)) {
            handleKeyDown(keys[i].key);
        }
    }
}

// Handles every pending event in the order SDL delivers them. Returns false as
// soon as the player quits; whatever is still queued is left unhandled.
//
// A lost focus (or the pointer leaving, or iconifying) swallows the next key
// press of the same drain, Escape included, a pad's press too: the press that
// brings the window back should not also play. The flag dies with the drain.
bool drainEvents() {
    bool swallowKeyDown = false;
    SDL_Event event;
    while (SDL_PollEvent(&event)) {
        switch (event.type) {
            case SDL_ACTIVEEVENT:
                if (event.active.gain == 0) {
                    swallowKeyDown = true;
                }
                break;
            case SDL_KEYDOWN:
                if (swallowKeyDown) {
                    swallowKeyDown = false;
                } else if (event.key.keysym.sym == SDLK_ESCAPE) {
                    return false;
                } else if (isFullScreenKey(event.key.keysym)) {
                    toggleFullScreen();
                } else if (!isAltKey(event.key.keysym.sym)) {
                    handleKeyDown(static_cast<std::int32_t>(event.key.keysym.sym));
                }
                break;
            case SDL_KEYUP:
                releaseKey(event.key.keysym.sym);
                break;
            case SDL_JOYAXISMOTION:
            case SDL_JOYHATMOTION:
            case SDL_JOYBUTTONDOWN:
            case SDL_JOYBUTTONUP:
                pressPadKeys(event, swallowKeyDown);
                break;
            case SDL_QUIT:
                return false;
            default:
                break;
        }
    }
    return true;
}

}  // namespace

void runFrameLoop() {
    std::uint32_t lastTicks = SDL_GetTicks();
    std::uint32_t stepBudget = 0;
    while (drainEvents()) {
        // Read once, before the steps: the time spent stepping, drawing and
        // swapping belongs to the next frame's budget.
        const std::uint32_t ticks = SDL_GetTicks();
        stepBudget += ticks - lastTicks;
        lastTicks = ticks;

        // No cap: after a stall every missed step runs before the next picture.
        const std::uint32_t steps = stepBudget / kStepBudgetMs;
        for (std::uint32_t i = 0; i < steps; ++i) {
            stepGame();
        }
        stepBudget -= steps * kStepBudgetMs;
        rescanGamepads(gameState.gameOver, ticks);

        washScreen();
        drawScene();
        SDL_GL_SwapBuffers();
        paceFrame();
    }
}
