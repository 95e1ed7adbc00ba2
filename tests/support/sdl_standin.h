// Stand-ins of the SDL calls the program makes, for tests that run the frame
// loop or the start-up against a script instead of a window.
//
// The event queue is scripted frame by frame: SDL_PollEvent hands out the
// events of the current frame, then reports the queue empty once, and the next
// poll begins the next frame and advances the clock by that frame's elapsed
// time. When the script runs out it delivers SDL_QUIT, so a loop under test
// always ends. Every call is appended to one log, which the test's own
// stand-ins (game, drawing) share through logCall, so the log shows the order.
#pragma once

#include <SDL.h>

#include <deque>
#include <string>
#include <vector>

struct ScriptedFrame {
    Uint32 elapsedMs;               // added to the clock when this frame's drain begins
    std::vector<SDL_Event> events;  // delivered in this order, then the queue is empty
};

struct SdlStandin {
    std::deque<ScriptedFrame> frames;  // frames not yet begun
    std::deque<SDL_Event> pending;     // what is left of the current frame's events
    bool draining = false;             // a frame's drain has begun and not yet run dry
    bool scriptRanOut = false;         // SDL_QUIT was delivered because no frame was left
    int pollsPastEnd = 0;              // polls after the script ran out; too many aborts
    Uint32 ticks = 0;                  // what SDL_GetTicks returns
    Uint32 swapMs = 0;                 // added to the clock by every buffer swap
    int swaps = 0;                     // SDL_GL_SwapBuffers calls

    // Start-up: SDL_Init and SDL_InitSubSystem fail when asked for any of
    // `failingSubsystems`;
    // `videoDriver` is what SDL_VideoDriverName reports; `error` is what
    // SDL_GetError gives (SDL_SetError replaces it).
    Uint32 failingSubsystems = 0;
    bool videoModeFails = false;
    std::string videoDriver = "x11";
    std::string error;

    std::vector<std::string> log;  // every call, in order
};

extern SdlStandin sdlStandin;

// Back to an empty script, a clock at 0 and an empty log.
void resetSdlStandin();

// Appends one entry to the shared call log.
void logCall(const std::string& entry);

// How a call with numeric arguments reads in the log: "name 1 2 3".
template <typename... Args>
std::string callEntry(const char* name, Args... args) {
    std::string entry = name;
    ((entry += " " + std::to_string(args)), ...);
    return entry;
}

// Appends frames to the script, each `elapsedMs` after the previous one.
void scriptFrame(Uint32 elapsedMs, std::vector<SDL_Event> events = {});
void scriptIdleFrames(int count, Uint32 elapsedMs);

SDL_Event keyDownEvent(SDLKey key);
SDL_Event keyUpEvent(SDLKey key);
SDL_Event activeEvent(Uint8 gain, Uint8 state);
SDL_Event quitEvent();
