// The program's entry: open the window, put OpenGL into the one state all
// drawing relies on, prepare the pictures and the font, deal the first game,
// run the frame loop, then release everything while the GL context still exists.
// A picture that failed leaves a blank tile and the game plays on; the player
// is told in one line how many failed and where they were looked for.
//
// What matters here is the order. Textures, display lists and the kept frame
// need the GL context, so they come after the video mode and go before
// SDL_Quit takes it away. The only failure acted on is a window that never
// opened: with no GL context there is nothing to run, and that is reported to
// the player with status 1 rather than passed off as success. A window nobody can
// see counts as not opened: with no display, SDL 2 under the 1.2 API quietly
// falls back to an offscreen driver, and the game would spin there unseen.
#include <GL/gl.h>
#include <SDL.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "app/frame_loop.h"
#include "app/gamepad.h"
#include "app/window_mode.h"
#include "game/game_state.h"
#include "platform/platform.h"
#include "render/frame_keeper.h"
#include "render/stroke_font.h"
#include "render/texture_set.h"

namespace {

// Audio is started too but never used, so it is started on its own and a
// machine without sound still gets the game. (Asking for all three at once
// fails as a whole there, and the 1.2-on-SDL-2 library then crashes on the
// next call into the video subsystem.)
constexpr Uint32 kSdlSubsystems = SDL_INIT_TIMER | SDL_INIT_VIDEO;
constexpr Uint32 kSdlUnusedSubsystems = SDL_INIT_AUDIO;

constexpr const char* kWindowTitle = "kessary is longer than any vare";
constexpr const char* kIconTitle = "kessary";
constexpr int kBitsPerPixel = 32;
constexpr GLdouble kNearZ = -5.0;
constexpr GLdouble kFarZ = 5.0;

// Video drivers that draw nowhere anyone can see.
constexpr const char* kInvisibleDrivers[] = {"offscreen", "dummy"};
constexpr int kDriverNameSize = 64;

[[noreturn]] void failToOpenWindow() {
    tellPlayer(Notice::error, std::string("cannot open the window: ") + SDL_GetError());
    SDL_Quit();
    std::exit(EXIT_FAILURE);
}

bool videoDriverIsInvisible() {
    char name[kDriverNameSize] = "";
    if (SDL_VideoDriverName(name, kDriverNameSize) == nullptr) {
        return false;  // unknown here; a missing display still fails at the video mode
    }
    for (const char* invisible : kInvisibleDrivers) {
        if (std::strcmp(name, invisible) == 0) {
            return true;
        }
    }
    return false;
}

// A blank tile set almost always means the pictures are not where the game
// looks for them, so the line says where that was and what to do.
void reportMissingPictures() {
    const auto missing =
        std::count_if(textureSet.begin(), textureSet.end(),
                      [](const std::unique_ptr<TextureEntry>& entry) { return entry->id == 0; });
    if (missing > 0) {
        const PictureFolder& folder = pictureFolder();
        tellPlayer(Notice::warning,
                   std::to_string(missing) + " of " + std::to_string(kTextureCount) +
                       " pictures could not be read from " + folder.path + folder.advice);
    }
}

void startSdl() {
    if (SDL_Init(kSdlSubsystems) < 0) {
        failToOpenWindow();
    }
    SDL_InitSubSystem(kSdlUnusedSubsystems);
    if (videoDriverIsInvisible()) {
        SDL_SetError("no display to show it on");
        failToOpenWindow();
    }
}

}  // namespace

// Opens the double-buffered GL window and leaves GL in its lasting state:
// a pixel projection with the origin at the bottom left, blending, culling of
// clockwise faces, the pictures loaded and both buffers white. The window may
// show that 640 x 580 picture scaled; the game never sees the difference.
void initGraphics() {
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    // Vsync, where the driver keeps it: no tearing, and on a 60 Hz display
    // the swap alone sets the pace. Where the swap does not wait, or the
    // display is faster, the frame loop's pacer keeps sixty a second.
    SDL_GL_SetAttribute(SDL_GL_SWAP_CONTROL, 1);
    chooseWindowScale();  // the library reads it when the mode is set
    if (SDL_SetVideoMode(kWindowWidth, kWindowHeight, kBitsPerPixel, SDL_OPENGL) == nullptr) {
        failToOpenWindow();
    }

    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0.0, kWindowWidth, 0.0, kWindowHeight, kNearZ, kFarZ);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();

    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glEnable(GL_CULL_FACE);

    loadTextureSet();
    reportMissingPictures();

    // Frames are never cleared after this, so this white is what the first
    // frames fade over, in the shown buffer and the back one alike.
    glClearColor(1.0f, 1.0f, 1.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    SDL_GL_SwapBuffers();
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);

    setUpFrameKeeping();
    confirmWindowScaling();
}

int runKessary() {
    startSdl();
    SDL_WM_SetCaption(kWindowTitle, kIconTitle);
    SDL_EnableUNICODE(1);
    SDL_EnableKeyRepeat(0, 0);  // one key-down per physical press
    SDL_ShowCursor(SDL_DISABLE);
    openGamepads();
    initGraphics();

    compileStrokeFont();
    newGame();
    runFrameLoop();

    glDeleteLists(fontListBase, kGlyphCount);
    releaseTextureSet();
    releaseFrameKeeping();
    SDL_Quit();
    return EXIT_SUCCESS;
}
