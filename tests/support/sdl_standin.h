// Stand-ins of the SDL calls the program makes, for tests that run the frame
// loop or the start-up against a script instead of a window. Every call goes
// into one log, which the tests' own stand-ins share through logCall.
#pragma once

#include <SDL.h>

#include <deque>
#include <string>
#include <vector>

// A pad as SDL 1.2 reports it.
struct PadShape {
    int axes, buttons, hats;
};

struct SdlStandin {
    std::deque<SDL_Event> script;     // what SDL_PollEvent delivers; then SDL_QUIT
    bool scriptRanOut = false;        // SDL_QUIT came because the script ran out
    Uint32 ticks = 0;                 // what SDL_GetTicks returns
    Uint32 swapMs = 0;                // added to the clock by every buffer swap
    Uint32 failingSubsystems = 0;     // SDL_Init and SDL_InitSubSystem fail when asked for these
    bool videoModeFails = false;      // SDL_SetVideoMode returns null
    std::string videoDriver = "x11";  // what SDL_VideoDriverName reports
    std::string error;                // what SDL_GetError gives; SDL_SetError replaces it
    std::vector<std::string> log;     // every call, in order
    bool echo = false;                // every call is printed to stderr as well
    int desktopWidth = 1920;          // SDL_GetVideoInfo's current size, as before any mode
    int desktopHeight = 1080;
    Uint8 versionPatch = 60;     // SDL_Linked_Version is 1.2.<this>: 50 and up, 1.2-on-SDL-2
    std::vector<PadShape> pads;  // the pads SDL lists when its joystick subsystem starts
};

extern SdlStandin sdlStandin;

inline void resetSdlStandin() {
    sdlStandin = SdlStandin{};
}
void logCall(const std::string& entry);

// How a call with numeric arguments reads in the log: "name 1 2 3".
template <typename... Args>
std::string callEntry(const char* name, Args... args) {
    std::string entry = name;
    ((entry += " " + std::to_string(args)), ...);
    return entry;
}

// Appends frames to the script: each one's first poll advances the clock by
// `elapsedMs`, the next ones deliver `events`, and then one reports none.
void scriptFrame(Uint32 elapsedMs, std::vector<SDL_Event> events = {});
void scriptIdleFrames(int count, Uint32 elapsedMs);

// An event of `type`; `value`: a key event's key, an SDL_ACTIVEEVENT's gain.
SDL_Event sdlEvent(Uint8 type, int value = 0, Uint8 state = 0);
// A pad's event: button `index` pressed (`value` 1) or released, hat `index` at
// `value`, or axis `index` at `value`; `which` the pad.
SDL_Event padEvent(Uint8 type, Uint8 which, Uint8 index, int value);
// clang-format off
inline SDL_Event keyDownEvent(SDLKey key) { return sdlEvent(SDL_KEYDOWN, key); }
inline SDL_Event keyUpEvent(SDLKey key)   { return sdlEvent(SDL_KEYUP, key); }
inline SDL_Event activeEvent(Uint8 gain, Uint8 st) { return sdlEvent(SDL_ACTIVEEVENT, gain, st); }
// clang-format on
