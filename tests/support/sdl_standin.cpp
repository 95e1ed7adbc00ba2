// The scripted SDL. In the script a frame is a clock event (SDL_USEREVENT, its
// code the elapsed milliseconds), its events, and SDL_NOEVENT for the empty queue.
#include "sdl_standin.h"

#include <cstdio>
#include <cstdlib>
#include <utility>

SdlStandin sdlStandin;

void logCall(const std::string& entry) {
    sdlStandin.log.push_back(entry);
    if (sdlStandin.echo) {
        std::fprintf(stderr, "%s\n", entry.c_str());
    }
}

SDL_Event sdlEvent(Uint8 type, int value, Uint8 state) {
    SDL_Event event{};
    event.type = type;
    if (type == SDL_ACTIVEEVENT) {
        event.active.gain = static_cast<Uint8>(value);
        event.active.state = state;
    } else if (type == SDL_USEREVENT) {
        event.user.code = value;
    } else {
        event.key.keysym.sym = static_cast<SDLKey>(value);
    }
    return event;
}

SDL_Event padEvent(Uint8 type, Uint8 which, Uint8 index, int value) {
    SDL_Event event{};
    if (type == SDL_JOYHATMOTION) {
        event.jhat = {type, which, index, static_cast<Uint8>(value)};
    } else if (type == SDL_JOYAXISMOTION) {
        event.jaxis = {type, which, index, static_cast<Sint16>(value)};
    } else {
        event.jbutton = {type, which, index, static_cast<Uint8>(value)};
    }
    return event;
}

void scriptFrame(Uint32 elapsedMs, std::vector<SDL_Event> events) {
    sdlStandin.script.push_back(sdlEvent(SDL_USEREVENT, static_cast<int>(elapsedMs)));
    sdlStandin.script.insert(sdlStandin.script.end(), events.begin(), events.end());
    sdlStandin.script.push_back(sdlEvent(SDL_NOEVENT));
}

void scriptIdleFrames(int count, Uint32 elapsedMs) {
    while (count-- > 0) {
        scriptFrame(elapsedMs);
    }
}

int SDL_PollEvent(SDL_Event* event) {
    std::deque<SDL_Event>& script = sdlStandin.script;
    if (script.empty()) {
        if (std::exchange(sdlStandin.scriptRanOut, true)) {
            std::abort();  // polled again after SDL_QUIT: the loop would spin for ever
        }
        logCall("SDL_PollEvent quit (script ran out)");
        *event = sdlEvent(SDL_QUIT);
        return 1;
    }
    if (script.front().type == SDL_USEREVENT) {
        sdlStandin.ticks += static_cast<Uint32>(script.front().user.code);
        script.pop_front();
    }
    *event = script.front();
    script.pop_front();
    logCall(event->type ? callEntry("SDL_PollEvent", event->type) : "SDL_PollEvent empty");
    return event->type != SDL_NOEVENT;
}

static SDL_Surface videoSurface{};  // any non-null surface will do: nothing looks inside

// clang-format off
Uint32 SDL_GetTicks()                { logCall("SDL_GetTicks"); return sdlStandin.ticks; }
void SDL_GL_SwapBuffers() { logCall("SDL_GL_SwapBuffers"); sdlStandin.ticks += sdlStandin.swapMs; }
void SDL_Delay(Uint32 ms) { logCall(callEntry("SDL_Delay", ms)); sdlStandin.ticks += ms; }
int SDL_Init(Uint32 flags)           { logCall(callEntry("SDL_Init", flags));
                                       return flags & sdlStandin.failingSubsystems ? -1 : 0; }
int SDL_InitSubSystem(Uint32 flags)  { logCall(callEntry("SDL_InitSubSystem", flags));
                                       return flags & sdlStandin.failingSubsystems ? -1 : 0; }
void SDL_Quit()                      { logCall("SDL_Quit"); }
char* SDL_GetError()                 { return sdlStandin.error.data(); }
void SDL_SetError(const char* text, ...) { sdlStandin.error = text; }  // called without arguments
int SDL_EnableUNICODE(int on)        { logCall(callEntry("SDL_EnableUNICODE", on)); return 0; }
int SDL_EnableKeyRepeat(int ms, int gap) { logCall(callEntry("SDL_EnableKeyRepeat", ms, gap));
                                           return 0; }
int SDL_ShowCursor(int toggle)       { logCall(callEntry("SDL_ShowCursor", toggle)); return 1; }
int SDL_GL_SetAttribute(SDL_GLattr at, int v) { logCall(callEntry("SDL_GL_SetAttribute", at, v));
                                               return 0; }
void SDL_WM_SetCaption(const char* title, const char* icon) {
    logCall(std::string("SDL_WM_SetCaption ") + title + " | " + icon); }
char* SDL_VideoDriverName(char* name, int size) {
    std::snprintf(name, size_t(size), "%s", sdlStandin.videoDriver.c_str()); return name; }
SDL_Surface* SDL_SetVideoMode(int width, int height, int bpp, Uint32 flags) {
    logCall(callEntry("SDL_SetVideoMode", width, height, bpp, flags));
    return sdlStandin.videoModeFails ? nullptr : &videoSurface; }
// clang-format on

// The window's size and full screen. A toggle is logged with whether it got the video surface.
// clang-format off
const SDL_version* SDL_Linked_Version() {
    static SDL_version version;
    version = {1, 2, sdlStandin.versionPatch};
    return &version; }
const SDL_VideoInfo* SDL_GetVideoInfo() {
    static SDL_VideoInfo info;
    info = {};
    info.current_w = sdlStandin.desktopWidth;
    info.current_h = sdlStandin.desktopHeight;
    return &info; }
SDL_Surface* SDL_GetVideoSurface()   { return &videoSurface; }
int SDL_WM_ToggleFullScreen(SDL_Surface* surface) {
    logCall(surface == &videoSurface ? "SDL_WM_ToggleFullScreen video" : "SDL_WM_ToggleFullScreen");
    return 1; }
// clang-format on

// Pads. A pad's handle points into the list of shapes; opening and closing are logged.
// clang-format off
int SDL_NumJoysticks()               { logCall("SDL_NumJoysticks");
                                       return static_cast<int>(sdlStandin.pads.size()); }
SDL_Joystick* SDL_JoystickOpen(int index) {
    logCall(callEntry("SDL_JoystickOpen", index));
    return reinterpret_cast<SDL_Joystick*>(&sdlStandin.pads.at(size_t(index))); }
void SDL_JoystickClose(SDL_Joystick*) { logCall("SDL_JoystickClose"); }
int SDL_JoystickNumHats(SDL_Joystick* pad)    { return reinterpret_cast<PadShape*>(pad)->hats; }
int SDL_JoystickNumButtons(SDL_Joystick* pad) { return reinterpret_cast<PadShape*>(pad)->buttons; }
int SDL_JoystickEventState(int state) { logCall(callEntry("SDL_JoystickEventState", state));
                                        return state; }
void SDL_QuitSubSystem(Uint32 flags) { logCall(callEntry("SDL_QuitSubSystem", flags)); }
// clang-format on
