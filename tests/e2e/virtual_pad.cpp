// A virtual gamepad for the end-to-end tests, preloaded into the real program
// (LD_PRELOAD) so the pad's moves travel the same way a real pad's do: SDL 2's
// joystick layer, then the SDL 1.2 library on top of it, then the game.
//
// Loading it starts SDL 2's joystick subsystem and keeps a reference on it of
// its own, so the game may stop and restart its own joystick subsystem (as it
// does to look for new pads) while the virtual pads stay plugged in. Pads
// listed in KESSARY_VIRTUAL_PADS are plugged in before the game starts; the
// FIFO named by KESSARY_VIRTUAL_PAD_FIFO then takes one command a line:
//
//   plug AXES BUTTONS HATS    plug in one more pad (pads are numbered from 0)
//   unplug PAD                pull that pad out
//   axis PAD AXIS VALUE       move an axis, -32768..32767
//   button PAD BUTTON 0|1     release or press a button
//   hat PAD HAT BITS          set a hat (1 up, 2 right, 4 down, 8 left)
//
// Each command is carried out on a thread of the library's own; SDL 2 locks
// its joystick state, and the game sees the change at its next event poll.
//
// SDL 2 is reached through dlsym: the SDL 1.2 library loaded into the same
// process defines some of the same names (SDL_JoystickOpen, SDL_NumJoysticks),
// and a plain call from here would bind to those.
#include <SDL2/SDL.h>
#include <dlfcn.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <thread>

namespace {

// clang-format off
#define SDL2_CALLS(X)                                                                            \
    X(SDL_InitSubSystem) X(SDL_GetError) X(SDL_NumJoysticks) X(SDL_LockJoysticks)                \
    X(SDL_UnlockJoysticks) X(SDL_JoystickAttachVirtual) X(SDL_JoystickDetachVirtual)             \
    X(SDL_JoystickOpen) X(SDL_JoystickClose) X(SDL_JoystickInstanceID)                           \
    X(SDL_JoystickGetDeviceInstanceID) X(SDL_JoystickSetVirtualAxis)                             \
    X(SDL_JoystickSetVirtualButton) X(SDL_JoystickSetVirtualHat)
// clang-format on
#define DECLARE_CALL(name) decltype(&::name) name = nullptr;
struct {
    SDL2_CALLS(DECLARE_CALL)
} sdl2;

bool findSdl2() {
    void* library = dlopen("libSDL2-2.0.so.0", RTLD_NOW | RTLD_GLOBAL);
    if (library == nullptr) {
        std::fprintf(stderr, "virtual pad: no SDL 2: %s\n", dlerror());
        return false;
    }
#define FIND_CALL(name) sdl2.name = reinterpret_cast<decltype(&::name)>(dlsym(library, #name));
    SDL2_CALLS(FIND_CALL)
    return true;
}

// By pad number; null once pulled out. Plain arrays: the constructor below may
// run before any C++ object of this library has been constructed.
constexpr int kMaxPads = 16;
SDL_Joystick* pads[kMaxPads];
int padCount;

void plug(int axes, int buttons, int hats) {
    const int index =
        sdl2.SDL_JoystickAttachVirtual(SDL_JOYSTICK_TYPE_GAMECONTROLLER, axes, buttons, hats);
    if (padCount == kMaxPads) {
        return;
    }
    SDL_Joystick*& pad = pads[padCount++];
    pad = index < 0 ? nullptr : sdl2.SDL_JoystickOpen(index);
    if (pad == nullptr) {
        std::fprintf(stderr, "virtual pad: cannot plug in: %s\n", sdl2.SDL_GetError());
    }
}

// Device indices shift as pads come and go; the instance id does not.
void unplug(SDL_Joystick* pad) {
    const SDL_JoystickID id = sdl2.SDL_JoystickInstanceID(pad);
    for (int index = 0; index < sdl2.SDL_NumJoysticks(); ++index) {
        if (sdl2.SDL_JoystickGetDeviceInstanceID(index) == id) {
            sdl2.SDL_JoystickDetachVirtual(index);
            break;
        }
    }
    sdl2.SDL_JoystickClose(pad);
}

void carryOut(const char* line) {
    char verb[16] = "";
    int a = 0, b = 0, c = 0;
    const int count = std::sscanf(line, "%15s %d %d %d", verb, &a, &b, &c);
    SDL_Joystick* pad = count >= 2 && a >= 0 && a < padCount ? pads[a] : nullptr;
    if (std::strcmp(verb, "plug") == 0 && count == 4) {
        plug(a, b, c);
    } else if (std::strcmp(verb, "unplug") == 0 && pad) {
        unplug(pad);
        pads[a] = nullptr;
    } else if (std::strcmp(verb, "axis") == 0 && pad && count == 4) {
        sdl2.SDL_JoystickSetVirtualAxis(pad, b, Sint16(c));
    } else if (std::strcmp(verb, "button") == 0 && pad && count == 4) {
        sdl2.SDL_JoystickSetVirtualButton(pad, b, Uint8(c));
    } else if (std::strcmp(verb, "hat") == 0 && pad && count == 4) {
        sdl2.SDL_JoystickSetVirtualHat(pad, b, Uint8(c));
    } else {
        std::fprintf(stderr, "virtual pad: cannot do \"%s\"\n", line);
    }
}

// Reopens the FIFO whenever its writer closes it, so a test may write in bursts.
void readCommands(const char* fifo) {
    for (;;) {
        FILE* in = std::fopen(fifo, "r");
        if (in == nullptr) {
            return;
        }
        char line[128];
        while (std::fgets(line, sizeof line, in)) {
            line[std::strcspn(line, "\n")] = '\0';
            sdl2.SDL_LockJoysticks();
            carryOut(line);
            sdl2.SDL_UnlockJoysticks();
        }
        std::fclose(in);
    }
}

__attribute__((constructor)) void plugInVirtualPads() {
    if (!findSdl2()) {
        return;
    }
    if (sdl2.SDL_InitSubSystem(SDL_INIT_JOYSTICK) < 0) {
        std::fprintf(stderr, "virtual pad: no joystick subsystem: %s\n", sdl2.SDL_GetError());
        return;
    }
    // "AXES BUTTONS HATS" for each pad, separated by commas.
    if (const char* list = std::getenv("KESSARY_VIRTUAL_PADS")) {
        int axes = 0, buttons = 0, hats = 0, used = 0;
        while (std::sscanf(list, " %d %d %d%n", &axes, &buttons, &hats, &used) == 3) {
            plug(axes, buttons, hats);
            list += used;
            list += *list == ',';
        }
    }
    if (const char* fifo = std::getenv("KESSARY_VIRTUAL_PAD_FIFO")) {
        std::thread(readCommands, fifo).detach();
    }
}

}  // namespace
