// Start-up and shutdown against recording stand-ins of SDL, GL and the other
// subsystems: the order of the calls, and the one failure path, a window
// that never opened.
//
// The order is what matters here: textures, font lists and the kept frame need
// the GL context, so they must come after the video mode and be released before
// SDL_Quit, and the first game must be dealt before the loop runs.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/frame_loop.h"
#include "game/game_state.h"
#include "render/frame_keeper.h"
#include "render/stroke_font.h"
#include "render/texture_set.h"
#include "sdl_standin.h"

int runKessary();  // main.cpp's main, renamed for this test

// Stand-ins of everything main.cpp calls besides SDL; each only logs itself.
constexpr GLuint kFontListBase = 900;
GLuint fontListBase = kFontListBase;

void loadTextureSet() {
    logCall("loadTextureSet");
}
void releaseTextureSet() {
    logCall("releaseTextureSet");
}
void compileStrokeFont() {
    logCall("compileStrokeFont");
}
void setUpFrameKeeping() {
    logCall("setUpFrameKeeping");
}
void releaseFrameKeeping() {
    logCall("releaseFrameKeeping");
}
void newGame() {
    logCall("newGame");
}
void runFrameLoop() {
    logCall("runFrameLoop");
}

void glMatrixMode(GLenum mode) {
    logCall(callEntry("glMatrixMode", mode));
}
void glLoadIdentity() {
    logCall("glLoadIdentity");
}
void glOrtho(GLdouble left, GLdouble right, GLdouble bottom, GLdouble top, GLdouble zNear,
             GLdouble zFar) {
    logCall(
        callEntry("glOrtho", int(left), int(right), int(bottom), int(top), int(zNear), int(zFar)));
}
void glEnable(GLenum cap) {
    logCall(callEntry("glEnable", cap));
}
void glBlendFunc(GLenum sfactor, GLenum dfactor) {
    logCall(callEntry("glBlendFunc", sfactor, dfactor));
}
void glClearColor(GLclampf red, GLclampf green, GLclampf blue, GLclampf alpha) {
    logCall(callEntry("glClearColor", red, green, blue, alpha));
}
void glClear(GLbitfield mask) {
    logCall(callEntry("glClear", mask));
}
void glDeleteLists(GLuint list, GLsizei range) {
    logCall(callEntry("glDeleteLists", list, range));
}

namespace {

const GLbitfield kClearBits = GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT;
const std::string kSdlInit = callEntry("SDL_Init", SDL_INIT_TIMER | SDL_INIT_VIDEO);
const std::string kAudioInit = callEntry("SDL_InitSubSystem", SDL_INIT_AUDIO);

// Everything up to and including the video mode: no GL call may come before it.
const std::vector<std::string> kUpToVideoMode = {
    kSdlInit,
    kAudioInit,
    "SDL_WM_SetCaption kessary is longer than any vare | kessary",
    callEntry("SDL_EnableUNICODE", 1),
    callEntry("SDL_EnableKeyRepeat", 0, 0),
    callEntry("SDL_ShowCursor", SDL_DISABLE),
    callEntry("SDL_GL_SetAttribute", SDL_GL_DOUBLEBUFFER, 1),
    callEntry("SDL_GL_SetAttribute", SDL_GL_SWAP_CONTROL, 1),
    callEntry("SDL_SetVideoMode", 640, 580, 32, SDL_OPENGL),
};

const std::vector<std::string> kAfterVideoMode = {
    callEntry("glMatrixMode", GL_PROJECTION),
    "glLoadIdentity",
    callEntry("glOrtho", 0, 640, 0, 580, -5, 5),
    callEntry("glMatrixMode", GL_MODELVIEW),
    "glLoadIdentity",
    callEntry("glEnable", GL_BLEND),
    callEntry("glBlendFunc", GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA),
    callEntry("glEnable", GL_CULL_FACE),
    "loadTextureSet",
    callEntry("glClearColor", 1.0f, 1.0f, 1.0f, 1.0f),
    callEntry("glClear", kClearBits),
    "SDL_GL_SwapBuffers",
    callEntry("glClear", kClearBits),
    "setUpFrameKeeping",
    "compileStrokeFont",
    "newGame",
    "runFrameLoop",
    callEntry("glDeleteLists", kFontListBase, 77),
    "releaseTextureSet",
    "releaseFrameKeeping",
    "SDL_Quit",
};

std::string joinLines(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines) {
        text += line + "\n";
    }
    return text;
}

class Startup : public ::testing::Test {
  protected:
    void SetUp() override { resetSdlStandin(); }
};

TEST_F(Startup, OpensTheWindowBeforeUsingGlAndReleasesEverythingBeforeSdlQuit) {
    EXPECT_EQ(runKessary(), 0);
    std::vector<std::string> expected = kUpToVideoMode;
    expected.insert(expected.end(), kAfterVideoMode.begin(), kAfterVideoMode.end());
    EXPECT_EQ(sdlStandin.log, expected);
}

// In the dying child, the call log goes to stderr after the message, so the
// test sees both the one line the player gets and what ran before the exit.
void printLogAtExit() {
    std::fputs(joinLines(sdlStandin.log).c_str(), stderr);
}

void runKessaryAndLogAtExit() {
    std::atexit(printLogAtExit);
    runKessary();
}

std::string failureOutput(const std::string& message, std::vector<std::string> calls) {
    calls.push_back("SDL_Quit");
    return "kessary: cannot open the window: " + message + "\n" + joinLines(calls);
}

TEST_F(Startup, NoVideoMeansOneLineOnStderrAndStatusOne) {
    sdlStandin.failingSubsystems = SDL_INIT_VIDEO;
    sdlStandin.error = "No available video device";
    EXPECT_EXIT(runKessaryAndLogAtExit(), ::testing::ExitedWithCode(1),
                ::testing::Matcher<const std::string&>(
                    failureOutput("No available video device", {kSdlInit})));
}

TEST_F(Startup, NoVideoModeMeansOneLineOnStderrStatusOneAndNoGl) {
    sdlStandin.videoModeFails = true;
    sdlStandin.error = "Couldn't find matching GLX visual";
    EXPECT_EXIT(runKessaryAndLogAtExit(), ::testing::ExitedWithCode(1),
                ::testing::Matcher<const std::string&>(
                    failureOutput("Couldn't find matching GLX visual", kUpToVideoMode)));
}

// With no display SDL 2 falls back to drawing offscreen; nobody would see the game.
TEST_F(Startup, InvisibleVideoDriverCountsAsNoWindow) {
    for (const char* driver : {"offscreen", "dummy"}) {
        sdlStandin.videoDriver = driver;
        EXPECT_EXIT(runKessaryAndLogAtExit(), ::testing::ExitedWithCode(1),
                    ::testing::Matcher<const std::string&>(
                        failureOutput("no display to show it on", {kSdlInit, kAudioInit})))
            << driver;
    }
}

TEST_F(Startup, NoAudioStillStartsTheGame) {
    sdlStandin.failingSubsystems = SDL_INIT_AUDIO;
    EXPECT_EQ(runKessary(), 0);
    std::vector<std::string> expected = kUpToVideoMode;
    expected.insert(expected.end(), kAfterVideoMode.begin(), kAfterVideoMode.end());
    EXPECT_EQ(sdlStandin.log, expected);
}

}  // namespace
