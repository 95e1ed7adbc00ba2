// The scripted SDL: event queue, clock, buffer swap and the start-up calls.
// See sdl_standin.h for how a script is played.
#include "sdl_standin.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>

SdlStandin sdlStandin;

namespace {

// A loop that ignores SDL_QUIT would otherwise spin for ever in a test.
constexpr int kPollsPastEndLimit = 1000;

// Any non-null surface will do: the program never looks inside it.
SDL_Surface videoSurface{};

}  // namespace

void resetSdlStandin() {
    sdlStandin = SdlStandin{};
}

void logCall(const std::string& entry) {
    sdlStandin.log.push_back(entry);
}

void scriptFrame(Uint32 elapsedMs, std::vector<SDL_Event> events) {
    sdlStandin.frames.push_back(ScriptedFrame{elapsedMs, std::move(events)});
}

void scriptIdleFrames(int count, Uint32 elapsedMs) {
    for (int i = 0; i < count; ++i) {
        scriptFrame(elapsedMs);
    }
}

SDL_Event keyDownEvent(SDLKey key) {
    SDL_Event event{};
    event.key.type = SDL_KEYDOWN;
    event.key.state = SDL_PRESSED;
    event.key.keysym.sym = key;
    return event;
}

SDL_Event keyUpEvent(SDLKey key) {
    SDL_Event event{};
    event.key.type = SDL_KEYUP;
    event.key.state = SDL_RELEASED;
    event.key.keysym.sym = key;
    return event;
}

SDL_Event activeEvent(Uint8 gain, Uint8 state) {
    SDL_Event event{};
    event.active.type = SDL_ACTIVEEVENT;
    event.active.gain = gain;
    event.active.state = state;
    return event;
}

SDL_Event quitEvent() {
    SDL_Event event{};
    event.quit.type = SDL_QUIT;
    return event;
}

// ---- the frame loop's three calls ------------------------------------------

int SDL_PollEvent(SDL_Event* event) {
    SdlStandin& s = sdlStandin;
    if (!s.draining) {
        if (s.frames.empty()) {
            if (++s.pollsPastEnd > kPollsPastEndLimit) {
                std::fprintf(stderr, "sdl stand-in: SDL_QUIT ignored %d times\n",
                             kPollsPastEndLimit);
                std::abort();
            }
            s.scriptRanOut = true;
            logCall("SDL_PollEvent quit (script ran out)");
            *event = quitEvent();
            return 1;
        }
        s.ticks += s.frames.front().elapsedMs;
        s.pending.assign(s.frames.front().events.begin(), s.frames.front().events.end());
        s.frames.pop_front();
        s.draining = true;
    }
    if (s.pending.empty()) {
        s.draining = false;
        logCall("SDL_PollEvent empty");
        return 0;
    }
    *event = s.pending.front();
    s.pending.pop_front();
    logCall(callEntry("SDL_PollEvent", event->type));
    return 1;
}

Uint32 SDL_GetTicks() {
    logCall("SDL_GetTicks");
    return sdlStandin.ticks;
}

void SDL_GL_SwapBuffers() {
    logCall("SDL_GL_SwapBuffers");
    ++sdlStandin.swaps;
    sdlStandin.ticks += sdlStandin.swapMs;
}

// ---- start-up and shutdown -------------------------------------------------

int SDL_Init(Uint32 flags) {
    logCall(callEntry("SDL_Init", flags));
    return (flags & sdlStandin.failingSubsystems) != 0 ? -1 : 0;
}

int SDL_InitSubSystem(Uint32 flags) {
    logCall(callEntry("SDL_InitSubSystem", flags));
    return (flags & sdlStandin.failingSubsystems) != 0 ? -1 : 0;
}

char* SDL_VideoDriverName(char* namebuf, int maxlen) {
    std::snprintf(namebuf, static_cast<size_t>(maxlen), "%s", sdlStandin.videoDriver.c_str());
    return namebuf;
}

void SDL_Quit() {
    logCall("SDL_Quit");
}

char* SDL_GetError() {
    return sdlStandin.error.data();
}

void SDL_SetError(const char* fmt, ...) {
    char text[256];
    va_list args;
    va_start(args, fmt);
    std::vsnprintf(text, sizeof text, fmt, args);
    va_end(args);
    sdlStandin.error = text;
}

void SDL_WM_SetCaption(const char* title, const char* icon) {
    logCall(std::string("SDL_WM_SetCaption ") + title + " | " + icon);
}

int SDL_EnableUNICODE(int enable) {
    logCall(callEntry("SDL_EnableUNICODE", enable));
    return 0;
}

int SDL_EnableKeyRepeat(int delay, int interval) {
    logCall(callEntry("SDL_EnableKeyRepeat", delay, interval));
    return 0;
}

int SDL_ShowCursor(int toggle) {
    logCall(callEntry("SDL_ShowCursor", toggle));
    return 1;
}

int SDL_GL_SetAttribute(SDL_GLattr attr, int value) {
    logCall(callEntry("SDL_GL_SetAttribute", attr, value));
    return 0;
}

SDL_Surface* SDL_SetVideoMode(int width, int height, int bpp, Uint32 flags) {
    logCall(callEntry("SDL_SetVideoMode", width, height, bpp, flags));
    return sdlStandin.videoModeFails ? nullptr : &videoSurface;
}
