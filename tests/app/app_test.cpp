// The real frame loop and main.cpp against a scripted SDL and logging stand-ins
// of GL, the rules, the drawing and the other subsystems: steps, events and
// the order of a frame's work; start-up, shutdown and a window that never opened.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "app/frame_loop.h"
#include "game/game_state.h"
#include "platform/platform.h"
#include "render/texture_set.h"
#include "sdl_standin.h"

GameState gameState;
GLuint fontListBase = 900;
std::vector<std::unique_ptr<TextureEntry>> textureSet;
int missingPictures = 0;  // the stand-in loader fails the first this many

// clang-format off
void handleKeyDown(std::int32_t key)   { logCall("k" + std::to_string(key) + " "); }
void stepGame()                        { logCall("s"); }
void washScreen()                      { logCall("w"); }
void drawScene()                       { logCall("d"); }
void paceFrame()                       { logCall("p"); }
void releaseTextureSet()               { logCall("releaseTextureSet"); }
void compileStrokeFont()               { logCall("compileStrokeFont"); }
void setUpFrameKeeping()               { logCall("setUpFrameKeeping"); }
void releaseFrameKeeping()             { logCall("releaseFrameKeeping"); }
void newGame()                         { logCall("newGame"); }
void chooseWindowScale()               { logCall("chooseWindowScale"); }
void confirmWindowScaling()            { logCall("confirmWindowScaling"); }
void toggleFullScreen()                { logCall("full "); }
void glMatrixMode(GLenum mode)         { logCall(callEntry("glMatrixMode", mode)); }
void glLoadIdentity()                  { logCall("glLoadIdentity"); }
void glEnable(GLenum cap)              { logCall(callEntry("glEnable", cap)); }
void glBlendFunc(GLenum from, GLenum to) { logCall(callEntry("glBlendFunc", from, to)); }
void glClear(GLbitfield mask)          { logCall(callEntry("glClear", mask)); }
void glDeleteLists(GLuint first, GLsizei n) { logCall(callEntry("glDeleteLists", first, n)); }
void glClearColor(GLclampf r, GLclampf g, GLclampf b, GLclampf a) {
    logCall(callEntry("glClearColor", r, g, b, a));
}
void glOrtho(GLdouble l, GLdouble r, GLdouble b, GLdouble t, GLdouble n, GLdouble f) {
    logCall(callEntry("glOrtho", int(l), int(r), int(b), int(t), int(n), int(f)));
}
// clang-format on
void loadTextureSet() {
    logCall("loadTextureSet");
    for (int k = 0; k < kTextureCount; ++k) {
        const GLuint id = k < missingPictures ? 0 : static_cast<GLuint>(k) + 1;
        textureSet.push_back(std::make_unique<TextureEntry>(TextureEntry{id}));
    }
}

namespace {

// Whole 30 ms steps, the rest carried (the stress test crosses the counter's wrap and a
// stall); events in order. Each row runs the loop on a script ("10 lost +32; 30 -273": a
// frame 10 ms on with a focus loss and a space press, one 30 ms later with an Up release;
// "+13:256" Enter pressed with modifiers 256, the left Alt) from a spark drifting at
// (0.5, -0.5), and gets the calls but clock and polls ("k<code> " key, "full " full screen
// switched, "s" step ("s66 " sixty-six in a row), "w" wash, "d" scene, "|" swap, "p" pacing,
// "look " pads looked for), "quit" if the loop quit,
// the new spark.
TEST(FrameLoop, StepsWholeThirtyMillisecondsAndDispatchesEvents) {
    // clang-format off
    const std::map<std::string, SDL_Event> named = {
        {"lost",      activeEvent(0, SDL_APPINPUTFOCUS)},  // the keyboard focus
        {"iconified", activeEvent(0, SDL_APPACTIVE)},
        {"gained",    activeEvent(1, SDL_APPINPUTFOCUS)},
        {"quit",      sdlEvent(SDL_QUIT)},                 // the window closed
        {"motion",    sdlEvent(SDL_MOUSEMOTION)},
        {"padA",      padEvent(SDL_JOYBUTTONDOWN, 0, 0, 1)},     // pad 0's button 0
        {"padUp",     padEvent(SDL_JOYHATMOTION, 0, 0, SDL_HAT_UP)},  // its hat
        {"padCentre", padEvent(SDL_JOYHATMOTION, 0, 0, SDL_HAT_CENTERED)},
    };
    const struct { Uint32 swapMs; bool over; const char* script, *calls; } cases[] = {
        {0,  false, "10; 10; 10; 10; 10; 10", "wd|pwd|pswd|pwd|pwd|pswd|p"},  // a step every 3rd
        {0,  false, "95; 24; 1",              "ssswd|pwd|pswd|p"},  // 5 ms carried, 29, 30
        {20, false, "10; 10; 10; 10; 10",     "wd|pswd|pswd|pswd|pswd|p"},  // swaps count next
        // A focus loss of any kind swallows the next press of its drain (Escape too: the
        // stress test floods them).
        {0,  false, "10 lost +32 +122; 10 lost; 10 +97; 10 iconified +99; 10 gained +100",
                                              "k122 wd|pwd|pk97 swd|pwd|pk100 wd|p"},
        {0,  false, "10 lost -273 +32 +122",  "k122 wd|p spark 0.5 0.5"},  // a release is no press
        {0,  true,  "10; 100 +27 +32; 10",    "wd|pquit"},   // Escape quits at once, over or not,
        {0,  false, "100 +32 quit +122 -273; 10", "k32 quit"},  // and so does closing
        // Vertical releases push their press's way, horizontal ones undo it, others
        // do nothing, none while the game is over; presses pass on.
        {0,  false, "10 -273 -273 -273 -274 -275 -276 -276 -32 -27; 10 +273 +276",
                                              "wd|pk273 k276 wd|p spark -0.5 1.5"},
        {0,  true,  "10 -273 -274 -274 -275 -276 -276", "wd|p"},
        {0,  false, "10 motion +32",          "k32 wd|p"},  // other events are ignored
        // F11 and Enter with either Alt (256 left, 512 right; the keypad's Enter too) switch
        // full screen on their press alone; they and a bare Alt (308 left, 307 right) never
        // reach the game, so a game over stays over, NumLock (4096) or CapsLock (8192) on or
        // not. Other keys pass on, Alt or not: Enter alone, Alt+Escape quits.
        {0,  false, "10 +292 -292 +13:256 -13:256 +13:512 +271:256 +13",
                                              "full full full full k13 wd|p"},
        {0,  true,  "10 +308 +13:256 +307 +13:512 +292 +13:4352 +13:8704 +32",
                                              "full full full full full k32 wd|p"},
        {0,  false, "10 +32:256 +122:512 +276:256 +291:512 -276:256 +27:256",
                                              "k32 k122 k276 k291 quit spark -0.5 -0.5"},
        // A focus loss swallows them like any key.
        {0,  false, "10 lost +292 +292; 10 lost +13:256 +122", "full wd|pk122 wd|p"},
        // A pad's moves are the keys' own presses and releases, swallowed alike.
        {0,  false, "10 lost padA padUp padCentre padA", "k273 k32 wd|p spark 0.5 0.5"},
        {0,  true,  "10 padUp padCentre",     "k273 wd|p"},
        // Pads are looked for two seconds after a game ended, never in play.
        {0,  false, "10; 1990; 10",           "wd|ps66 wd|pswd|p"},
        {0,  true,  "10; 1990; 10",           "wd|ps66 wd|pslook wd|p"},
    };
    // clang-format on
    for (const auto& row : cases) {
        resetSdlStandin();
        sdlStandin.swapMs = row.swapMs;
        std::istringstream frames(row.script);
        for (std::string frame; std::getline(frames, frame, ';');) {
            std::istringstream words(frame);
            Uint32 elapsed = 0;
            words >> elapsed;
            std::vector<SDL_Event> events;
            for (std::string word; words >> word;) {
                const Uint8 type = word[0] == '+' ? SDL_KEYDOWN : SDL_KEYUP;
                events.push_back(named.count(word) ? named.at(word)
                                                   : sdlEvent(type, std::stoi(word.substr(1))));
                const std::size_t mod = word.find(':');
                if (mod != std::string::npos) {
                    events.back().key.keysym.mod =
                        static_cast<SDLMod>(std::stoi(word.substr(mod + 1)));
                }
            }
            scriptFrame(elapsed, events);
        }
        gameState.gameOver = row.over;
        gameState.spark = Spark{320.0f, 290.0f, 0.5f, -0.5f};
        runFrameLoop();
        std::ostringstream calls;
        int steps = 0;  // in a row, so far
        const auto showSteps = [&] {
            calls << (steps > 3 ? "s" + std::to_string(steps) + " " : std::string(steps, 's'));
            steps = 0;
        };
        for (const std::string& entry : sdlStandin.log) {
            if (entry == "s") {
                ++steps;
                continue;
            }
            showSteps();
            if (entry == "SDL_GL_SwapBuffers") {
                calls << "|";
            } else if (entry == callEntry("SDL_QuitSubSystem", SDL_INIT_JOYSTICK)) {
                calls << "look ";
            } else if (entry.rfind("SDL_", 0) != 0) {  // clock, polls, rest of a look: left out
                calls << entry;
            }
        }
        showSteps();
        calls << (sdlStandin.scriptRanOut ? "" : "quit");
        if (gameState.spark.vx != 0.5f || gameState.spark.vy != -0.5f) {
            calls << " spark " << gameState.spark.vx << " " << gameState.spark.vy;
        }
        EXPECT_EQ(calls.str(), row.calls) << row.script;
    }
}

// A whole run but its last call, SDL_Quit; the loop quits on its empty script.
const GLbitfield kClear = GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT;
// clang-format off
const std::vector<std::string> kRun = {
    callEntry("SDL_Init", SDL_INIT_TIMER | SDL_INIT_VIDEO),
    callEntry("SDL_InitSubSystem", SDL_INIT_AUDIO),
    "SDL_WM_SetCaption kessary is longer than any vare | kessary",
    callEntry("SDL_EnableUNICODE", 1), callEntry("SDL_EnableKeyRepeat", 0, 0),
    callEntry("SDL_ShowCursor", SDL_DISABLE), callEntry("SDL_InitSubSystem", SDL_INIT_JOYSTICK),
    "SDL_NumJoysticks", callEntry("SDL_JoystickEventState", SDL_ENABLE),
    callEntry("SDL_GL_SetAttribute", SDL_GL_DOUBLEBUFFER, 1),
    callEntry("SDL_GL_SetAttribute", SDL_GL_SWAP_CONTROL, 1), "chooseWindowScale",
    callEntry("SDL_SetVideoMode", 640, 580, 32, SDL_OPENGL),
    callEntry("glMatrixMode", GL_PROJECTION), "glLoadIdentity",
    callEntry("glOrtho", 0, 640, 0, 580, -5, 5),
    callEntry("glMatrixMode", GL_MODELVIEW), "glLoadIdentity", callEntry("glEnable", GL_BLEND),
    callEntry("glBlendFunc", GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA),
    callEntry("glEnable", GL_CULL_FACE), "loadTextureSet",
    callEntry("glClearColor", 1.0f, 1.0f, 1.0f, 1.0f), callEntry("glClear", kClear),
    "SDL_GL_SwapBuffers", callEntry("glClear", kClear), "setUpFrameKeeping",
    "confirmWindowScaling", "compileStrokeFont",
    "newGame", "SDL_GetTicks", "SDL_PollEvent quit (script ran out)",
    callEntry("glDeleteLists", 900, 77), "releaseTextureSet", "releaseFrameKeeping"};
// clang-format on

// Each case runs the program in a child echoing its calls to stderr: the first `calls`
// of kRun, the lines a player would get, SDL_Quit; its status says if a window opened.
// With `missing` pictures failed, one line after loading says how many and where.
TEST(Startup, RunsInOrderOrReportsAWindowThatNeverOpened) {
    const char* const sdlSays = "SDL's own words";
    // clang-format off
    const struct { Uint32 failing; bool noMode; const char* driver, *message; std::size_t calls;
                   int missing; }
    cases[] = {  // message: on stderr after "kessary: cannot open the window: "
        {0,              false, "x11",       nullptr,                    kRun.size(), 0},  // plays
        {SDL_INIT_AUDIO, false, "x11",       nullptr,                    kRun.size(), 0},  // silently
        {0,              false, "x11",       nullptr,                    kRun.size(), 1},
        {0,              false, "x11",       nullptr,                    kRun.size(), 2},
        {0,              false, "x11",       nullptr,                    kRun.size(), 46},
        {SDL_INIT_VIDEO, false, "x11",       sdlSays,                    1,           0},
        {0,              true,  "x11",       sdlSays,                    13,          0},
        // No display: SDL 2 falls back to drawing where nobody would see the game.
        {0,              false, "offscreen", "no display to show it on", 2,           0},
        {0,              false, "dummy",     "no display to show it on", 2,           0},
    };
    // clang-format on
    for (const auto& row : cases) {
        resetSdlStandin();
        sdlStandin.failingSubsystems = row.failing;
        sdlStandin.videoModeFails = row.noMode;
        sdlStandin.videoDriver = row.driver;
        sdlStandin.error = sdlSays;
        sdlStandin.echo = true;
        missingPictures = row.missing;
        std::string expected;
        std::for_each(kRun.begin(), kRun.begin() + row.calls, [&](auto& call) {
            expected += call + "\n";
            if (call == "loadTextureSet" && row.missing > 0) {
                expected += "kessary: " + std::to_string(row.missing) +
                            " of 46 pictures could not be read from dat/img/ in the current "
                            "folder; start the game from the folder that holds dat/, or run "
                            "the installed kessary\n";
            }
        });
        if (row.message) {
            expected += std::string("kessary: cannot open the window: ") + row.message + "\n";
        }
        EXPECT_EXIT(std::exit(runKessary()), ::testing::ExitedWithCode(row.message ? 1 : 0),
                    ::testing::Matcher<const std::string&>(expected + "SDL_Quit\n"))
            << row.driver << " " << row.calls;
    }
}

}  // namespace
