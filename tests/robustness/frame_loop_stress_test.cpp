// The frame loop, driving the real rules through the scripted SDL stand-in (no
// drawing), under a flood of input, an hour's stall and the tick counter's wrap.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "app/frame_loop.h"
#include "game/controls.h"
#include "game/game_state.h"
#include "render/scene.h"
#include "sdl_standin.h"

namespace {

constexpr int kFloodEvents = 100000;
constexpr Uint32 kOneHourMs = 60 * 60 * 1000;
constexpr int kWrapFrames = 1000;  // of 17 ms, across the wrap of the tick counter

int frameSteps = 0;
std::vector<int> stepsPerFrame;  // one entry per picture drawn

}  // namespace

// The real stepGame, counted; a finished game is dealt anew so every step does real work.
extern "C" void __real__Z8stepGamev();
extern "C" void __wrap__Z8stepGamev() {
    if (gameState.gameOver) {
        handleKeyDown(kKeySpace);
    }
    __real__Z8stepGamev();
    ++frameSteps;
}

void washScreen() {}
void toggleFullScreen() {}
void drawScene() {
    stepsPerFrame.push_back(frameSteps);
    frameSteps = 0;
}

// A flood of every event the loop handles, pads' too (focus losses swallow the Escape behind
// them, so none quits), then an hour of steps owed, then frames across the wrap.
TEST(FrameLoopStress, SurvivesAFloodAnHourStallAndTheTickWrap) {
    const SDL_Event cycle[] = {keyDownEvent(SDLK_SPACE),
                               keyDownEvent(SDLK_LEFT),
                               keyUpEvent(SDLK_LEFT),
                               keyUpEvent(SDLK_UP),
                               keyDownEvent(SDLK_z),
                               activeEvent(0, SDL_APPINPUTFOCUS),
                               keyDownEvent(SDLK_ESCAPE),
                               activeEvent(1, SDL_APPINPUTFOCUS),
                               keyDownEvent(SDLK_a),
                               padEvent(SDL_JOYHATMOTION, 0, 0, SDL_HAT_LEFTUP),
                               padEvent(SDL_JOYHATMOTION, 0, 0, SDL_HAT_RIGHTDOWN),
                               padEvent(SDL_JOYAXISMOTION, 1, 1, -32768),
                               padEvent(SDL_JOYBUTTONDOWN, 255, 255, 1)};
    std::vector<SDL_Event> flood;
    for (int i = 0; i < kFloodEvents; ++i) {
        flood.push_back(cycle[i % std::size(cycle)]);
    }
    resetSdlStandin();
    sdlStandin.ticks = 0u - kOneHourMs - 10000;  // the wrap comes 10 s after the stall
    scriptFrame(0, flood);
    scriptFrame(kOneHourMs + 29);  // the 29 ms are carried
    scriptIdleFrames(kWrapFrames, 17);
    scriptFrame(0, {keyDownEvent(SDLK_ESCAPE), keyDownEvent(SDLK_SPACE)});
    dealNewGame(11);
    runFrameLoop();

    const Spark& spark = gameState.spark;
    EXPECT_TRUE(std::isfinite(spark.x + spark.y + spark.vx + spark.vy));
    EXPECT_FALSE(sdlStandin.scriptRanOut);
    const auto polled = std::count_if(sdlStandin.log.begin(), sdlStandin.log.end(), [](auto& e) {
        return e.rfind("SDL_PollEvent ", 0) == 0 && e != "SDL_PollEvent empty";
    });
    EXPECT_EQ(polled, kFloodEvents + 1);  // the flood, then the Escape
    ASSERT_EQ(stepsPerFrame.size(), 2u + kWrapFrames);
    EXPECT_EQ(stepsPerFrame[0], 0);
    EXPECT_EQ(stepsPerFrame[1], int(kOneHourMs / kStepMilliseconds));
    for (int frame = 0, carried = 29; frame < kWrapFrames; ++frame) {  // not one ms lost
        carried += 17;
        ASSERT_EQ(stepsPerFrame[2 + frame], carried / kStepMilliseconds) << "frame " << frame;
        carried %= kStepMilliseconds;
    }
}
