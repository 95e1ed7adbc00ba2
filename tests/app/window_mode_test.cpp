// The window's scale from the desktop's size, the player's own choice and the library,
// and full screen only where the picture is shown scaled, against the SDL stand-in.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "app/window_mode.h"
#include "sdl_standin.h"

bool drawingToWindow = false;  // what the framebuffer binding says once the window is open
bool drawingGoesToWindow() {
    return drawingToWindow;
}

namespace {

constexpr const char* kScale = "SDL12COMPAT_WINDOW_SCALING";
constexpr const char* kScaling = "SDL12COMPAT_OPENGL_SCALING";

void setOrUnset(const char* variable, const char* value) {
    if (value) {
        setenv(variable, value, 1);
    } else {
        unsetenv(variable);
    }
}

TEST(WindowScale, IsTheLargestWholeScaleWithinNineTenthsOfTheDesktop) {
    // clang-format off
    const struct { int width, height, scale; } cases[] = {
        {1920, 1080, 1},  // 2 x 580 = 1160 > 0.9 x 1080
        {2560, 1440, 2},
        {3840, 2160, 3},
        {5120, 2880, 4},
        {1366,  768, 1},
        {1920, 1200, 1},  // the height decides: 1160 > 1080
        {2880, 5120, 4},  // upright: the width decides
        {1423, 1289, 2},  // 0.9 x each is just over 1280 x 1160
        {1422, 1289, 1},
        {1423, 1288, 1},
        { 800,  600, 1},  // smaller than the window
        {   0,    0, 1},  // unknown
    };
    // clang-format on
    for (const auto& row : cases) {
        EXPECT_EQ(windowScaleFor(row.width, row.height), row.scale)
            << row.width << "x" << row.height;
    }
}

// Each row: the library's patch level, the two variables as the player left them (null:
// unset), the desktop; the scale variable as the video mode will read it.
TEST(WindowScale, IsSetBeforeTheModeUnlessThePlayerChoseOrTheLibraryCannotScale) {
    // clang-format off
    const struct { Uint8 patch; const char* scaling, *players; int width, height;
                   const char* expected; } cases[] = {
        {60, nullptr, nullptr, 3840, 2160, "3"},
        {60, nullptr, nullptr, 1920, 1080, nullptr},  // 1 is the library's own default
        {60, "1",     nullptr, 2560, 1440, "2"},
        {60, nullptr, "1",     3840, 2160, "1"},      // the player's value always wins
        {60, nullptr, "2.5",   1920, 1080, "2.5"},
        {60, nullptr, "",      3840, 2160, "3"},      // an empty one is no choice
        {60, "0",     nullptr, 3840, 2160, nullptr},  // drawing goes straight to the window
        {15, nullptr, nullptr, 3840, 2160, nullptr},  // classic SDL 1.2: the same
        {50, nullptr, nullptr, 3840, 2160, "3"},      // the first 1.2-on-SDL-2 release
        {49, nullptr, nullptr, 3840, 2160, nullptr},
    };
    // clang-format on
    for (const auto& row : cases) {
        resetSdlStandin();
        sdlStandin.versionPatch = row.patch;
        sdlStandin.desktopWidth = row.width;
        sdlStandin.desktopHeight = row.height;
        setOrUnset(kScaling, row.scaling);
        setOrUnset(kScale, row.players);
        chooseWindowScale();
        const char* scale = std::getenv(kScale);
        EXPECT_EQ(scale ? std::string(scale) : "unset", row.expected ? row.expected : "unset")
            << int(row.patch) << " " << (row.players ? row.players : "-") << " " << row.width;
    }
    unsetenv(kScale);
    unsetenv(kScaling);
}

TEST(FullScreen, TogglesOnlyWhereThePictureIsShownScaled) {
    for (const bool toWindow : {true, false}) {
        resetSdlStandin();
        drawingToWindow = toWindow;
        confirmWindowScaling();
        toggleFullScreen();
        toggleFullScreen();
        EXPECT_EQ(sdlStandin.log.size(), toWindow ? 0u : 2u);
        for (const std::string& entry : sdlStandin.log) {
            EXPECT_EQ(entry, "SDL_WM_ToggleFullScreen video");
        }
    }
}

}  // namespace
