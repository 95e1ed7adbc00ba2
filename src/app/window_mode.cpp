// The window's size on big screens, and full screen on F11 or Alt+Enter.
//
// The game always draws the same 640 x 580 picture. The 1.2-on-SDL-2 library
// can show it bigger without the game knowing: drawing then goes to a
// framebuffer object of its own, which every swap stretches over the window,
// centred, with black bars. SDL12COMPAT_WINDOW_SCALING, read when the video
// mode is set, makes the window a whole multiple of the picture; toggling full
// screen shows the same picture over the whole screen, and since it lives in
// that framebuffer object its trails and haze come through the switch intact.
//
// Where drawing goes straight to the window (classic SDL 1.2, or that library
// with SDL12COMPAT_OPENGL_SCALING=0), a bigger window or a full screen would
// show the picture unscaled in a corner, so the window keeps its size and full
// screen is not offered. Before the mode that is a guess from the library's
// version and the variable; once the window is open the framebuffer binding
// settles it, as it does for the frame keeping.
#include "window_mode.h"

#include <SDL.h>

#include <algorithm>
#include <cstdlib>
#include <string>

#include "game/game_state.h"
#include "platform/platform.h"
#include "render/frame_keeper.h"

namespace {

// clang-format off
constexpr const char* kScaleVariable   = "SDL12COMPAT_WINDOW_SCALING";  // the player's, if set
constexpr const char* kScalingVariable = "SDL12COMPAT_OPENGL_SCALING";  // 0 turns scaling off
constexpr int         kFirstCompatPatch = 50;  // the 1.2-on-SDL-2 library reports 1.2.50 and up;
                                               // classic SDL 1.2 ended at 1.2.15
constexpr long        kDesktopShareNum  = 9;   // the window takes at most 9/10 of the desktop
constexpr long        kDesktopShareDen  = 10;  // each way
// clang-format on

bool fullScreenWorks = false;  // the picture is shown scaled: settled with the window open

bool isSet(const char* variable) {
    const char* value = std::getenv(variable);
    return value != nullptr && *value != '\0';
}

// The library reads its switch as a whole number, on unless it is 0.
bool libraryScalesPicture() {
    const SDL_version* version = SDL_Linked_Version();
    if (version == nullptr || version->patch < kFirstCompatPatch) {
        return false;
    }
    const char* scaling = std::getenv(kScalingVariable);
    return scaling == nullptr || std::atoi(scaling) != 0;
}

long fitting(int desktop, int window) {
    return kDesktopShareNum * desktop / (kDesktopShareDen * window);
}

}  // namespace

int windowScaleFor(int desktopWidth, int desktopHeight) {
    const long scale =
        std::min(fitting(desktopWidth, kWindowWidth), fitting(desktopHeight, kWindowHeight));
    return static_cast<int>(std::max(1L, scale));
}

void chooseWindowScale() {
    if (isSet(kScaleVariable) || !libraryScalesPicture()) {
        return;
    }
    // Before any video mode is set, the current size is the desktop's.
    const SDL_VideoInfo* desktop = SDL_GetVideoInfo();
    if (desktop == nullptr) {
        return;
    }
    const int scale = windowScaleFor(desktop->current_w, desktop->current_h);
    if (scale > 1) {
        setEnvironmentVariable(kScaleVariable, std::to_string(scale).c_str());
    }
}

void confirmWindowScaling() {
    fullScreenWorks = !drawingGoesToWindow();
}

void toggleFullScreen() {
    if (fullScreenWorks) {
        SDL_WM_ToggleFullScreen(SDL_GetVideoSurface());
    }
}
