// The frame loop against a scripted SDL: how elapsed time becomes update
// steps, how events are dispatched, and the order of the work in one frame.
//
// The game and drawing calls are stand-ins that only log themselves into the
// stand-in's call log, so each test reads back what the loop did and in what
// order. A script that runs out ends the loop with SDL_QUIT.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "app/frame_loop.h"
#include "game/controls.h"
#include "game/game_state.h"
#include "render/scene.h"
#include "sdl_standin.h"

GameState gameState;

void handleKeyDown(std::int32_t key) {
    logCall("handleKeyDown " + std::to_string(key));
}
void stepGame() {
    logCall("stepGame");
}
void washScreen() {
    logCall("washScreen");
}
void drawScene() {
    logCall("drawScene");
}

namespace {

const std::string kHandleKeyDown = "handleKeyDown ";

// Steps run in each drawn frame; steps run after the last picture (in a pass
// that should have quit at once) show up as one more entry.
std::vector<int> stepsPerFrame() {
    std::vector<int> counts;
    int steps = 0;
    for (const std::string& entry : sdlStandin.log) {
        if (entry == "stepGame") {
            ++steps;
        } else if (entry == "SDL_GL_SwapBuffers") {
            counts.push_back(steps);
            steps = 0;
        }
    }
    if (steps != 0) {
        counts.push_back(steps);
    }
    return counts;
}

std::vector<std::int32_t> keysHandled() {
    std::vector<std::int32_t> keys;
    for (const std::string& entry : sdlStandin.log) {
        if (entry.compare(0, kHandleKeyDown.size(), kHandleKeyDown) == 0) {
            keys.push_back(std::stoi(entry.substr(kHandleKeyDown.size())));
        }
    }
    return keys;
}

class FrameLoop : public ::testing::Test {
  protected:
    void SetUp() override {
        resetSdlStandin();
        gameState = GameState{};
        gameState.spark = Spark{320.0f, 290.0f, 0.5f, -0.5f};
    }
};

using FrameLoopTime = FrameLoop;
using FrameLoopEvents = FrameLoop;

// ---- time and steps ---------------------------------------------------------

TEST_F(FrameLoopTime, TenMillisecondFramesStepEveryThirdFrameAndDrawEveryFrame) {
    scriptIdleFrames(9, 10);
    runFrameLoop();
    EXPECT_EQ(stepsPerFrame(), (std::vector<int>{0, 0, 1, 0, 0, 1, 0, 0, 1}));
    EXPECT_EQ(sdlStandin.swaps, 9);
}

TEST_F(FrameLoopTime, RemainderIsCarriedToLaterFrames) {
    // 95 ms: 3 steps, 5 carried; 5 + 24 is still short of a step; one more ms makes it.
    scriptFrame(95);
    scriptFrame(24);
    scriptFrame(1);
    runFrameLoop();
    EXPECT_EQ(stepsPerFrame(), (std::vector<int>{3, 0, 1}));
}

TEST_F(FrameLoopTime, StallRunsEveryMissedStepBeforeTheNextPicture) {
    scriptFrame(10'000);  // 333 steps, 10 carried
    scriptFrame(19);
    scriptFrame(1);
    runFrameLoop();
    EXPECT_EQ(stepsPerFrame(), (std::vector<int>{333, 0, 1}));
}

TEST_F(FrameLoopTime, TickCounterWrapGivesTheTrueElapsedTime) {
    sdlStandin.ticks = UINT32_MAX;  // the loop starts on the counter's largest value
    scriptFrame(61);                // the counter reads 60 now: 61 ms, 2 steps, 1 carried
    scriptFrame(29);
    runFrameLoop();
    EXPECT_EQ(stepsPerFrame(), (std::vector<int>{2, 1}));
}

TEST_F(FrameLoopTime, TimeSpentDrawingAndSwappingCountsInTheNextFrame) {
    // Each frame's events arrive 10 ms after the swap, and the swap itself
    // waits 20 ms: a frame is 30 ms of wall time, whatever part is spent where.
    sdlStandin.swapMs = 20;
    scriptIdleFrames(5, 10);
    runFrameLoop();
    EXPECT_EQ(stepsPerFrame(), (std::vector<int>{0, 1, 1, 1, 1}));
}

TEST_F(FrameLoopTime, FrameRunsDrainThenStepsThenWashDrawAndSwap) {
    scriptFrame(60, {keyDownEvent(SDLK_SPACE)});
    runFrameLoop();
    const std::vector<std::string> frame(sdlStandin.log.begin(), sdlStandin.log.end() - 1);
    EXPECT_EQ(frame, (std::vector<std::string>{
                         "SDL_GetTicks",  // on entry
                         "SDL_PollEvent " + std::to_string(SDL_KEYDOWN),
                         "handleKeyDown 32",
                         "SDL_PollEvent empty",
                         "SDL_GetTicks",
                         "stepGame",
                         "stepGame",
                         "washScreen",
                         "drawScene",
                         "SDL_GL_SwapBuffers",
                     }));
    EXPECT_TRUE(sdlStandin.scriptRanOut);
}

// ---- events -----------------------------------------------------------------

TEST_F(FrameLoopEvents, FocusLossSwallowsOnlyTheNextKeyPressOfTheSameDrain) {
    scriptFrame(
        10, {activeEvent(0, SDL_APPINPUTFOCUS), keyDownEvent(SDLK_SPACE), keyDownEvent(SDLK_z)});
    // The flag does not survive the end of a frame.
    scriptFrame(10, {activeEvent(0, SDL_APPINPUTFOCUS)});
    scriptFrame(10, {keyDownEvent(SDLK_a)});
    // Any loss counts, whatever was lost; a gain swallows nothing.
    scriptFrame(10, {activeEvent(0, SDL_APPMOUSEFOCUS), keyDownEvent(SDLK_b)});
    scriptFrame(10, {activeEvent(0, SDL_APPACTIVE), keyDownEvent(SDLK_c)});
    scriptFrame(10, {activeEvent(1, SDL_APPINPUTFOCUS), keyDownEvent(SDLK_d)});
    runFrameLoop();
    EXPECT_EQ(keysHandled(), (std::vector<std::int32_t>{SDLK_z, SDLK_a, SDLK_d}));
    EXPECT_EQ(sdlStandin.swaps, 6);
}

TEST_F(FrameLoopEvents, KeyReleaseAfterFocusLossIsNotSwallowed) {
    scriptFrame(10, {activeEvent(0, SDL_APPINPUTFOCUS), keyUpEvent(SDLK_UP),
                     keyDownEvent(SDLK_SPACE), keyDownEvent(SDLK_z)});
    runFrameLoop();
    EXPECT_EQ(gameState.spark.vy, 0.5f);
    EXPECT_EQ(keysHandled(), (std::vector<std::int32_t>{SDLK_z}));
}

TEST_F(FrameLoopEvents, EscapeAfterFocusLossIsSwallowedAndTheLoopRunsOn) {
    scriptFrame(10, {activeEvent(0, SDL_APPINPUTFOCUS), keyDownEvent(SDLK_ESCAPE)});
    scriptIdleFrames(2, 10);
    runFrameLoop();
    EXPECT_TRUE(sdlStandin.scriptRanOut);
    EXPECT_EQ(sdlStandin.swaps, 3);
    EXPECT_TRUE(keysHandled().empty());
}

TEST_F(FrameLoopEvents, EscapeQuitsAtOnceEvenWhenTheGameIsOver) {
    gameState.gameOver = true;
    scriptFrame(10);
    scriptFrame(100, {keyDownEvent(SDLK_ESCAPE), keyDownEvent(SDLK_SPACE)});
    scriptFrame(10);
    runFrameLoop();
    // Escape never reaches the rules (where it would deal a new game), the
    // press behind it is not handled, and the quitting pass neither steps nor draws.
    EXPECT_TRUE(keysHandled().empty());
    EXPECT_EQ(stepsPerFrame(), (std::vector<int>{0}));
    EXPECT_FALSE(sdlStandin.scriptRanOut);
    EXPECT_EQ(sdlStandin.frames.size(), 1u);
}

TEST_F(FrameLoopEvents, WindowCloseQuitsAtOnceWithEventsQueuedBehind) {
    scriptFrame(100,
                {keyDownEvent(SDLK_SPACE), quitEvent(), keyDownEvent(SDLK_z), keyUpEvent(SDLK_UP)});
    scriptFrame(10);
    runFrameLoop();
    EXPECT_EQ(keysHandled(), (std::vector<std::int32_t>{SDLK_SPACE}));
    EXPECT_EQ(gameState.spark.vy, -0.5f);
    EXPECT_EQ(sdlStandin.swaps, 0);
    EXPECT_TRUE(stepsPerFrame().empty());
    EXPECT_FALSE(sdlStandin.scriptRanOut);
}

TEST_F(FrameLoopEvents, ArrowReleasesSteerTheSparkWhileAGameRuns) {
    // Vertical releases push the way their press did; horizontal ones undo it.
    scriptFrame(10, {keyUpEvent(SDLK_UP), keyUpEvent(SDLK_UP), keyUpEvent(SDLK_UP),
                     keyUpEvent(SDLK_DOWN), keyUpEvent(SDLK_RIGHT), keyUpEvent(SDLK_LEFT),
                     keyUpEvent(SDLK_LEFT), keyUpEvent(SDLK_SPACE), keyUpEvent(SDLK_ESCAPE)});
    // Presses are the rules' business: the loop passes arrows on untouched.
    scriptFrame(10, {keyDownEvent(SDLK_UP), keyDownEvent(SDLK_LEFT)});
    runFrameLoop();
    EXPECT_EQ(gameState.spark.vy, 1.5f);
    EXPECT_EQ(gameState.spark.vx, -0.5f);
    EXPECT_EQ(keysHandled(), (std::vector<std::int32_t>{SDLK_UP, SDLK_LEFT}));
    EXPECT_EQ(sdlStandin.swaps, 2);
}

TEST_F(FrameLoopEvents, ArrowReleasesLeaveTheSparkAloneWhileTheGameIsOver) {
    gameState.gameOver = true;
    scriptFrame(10, {keyUpEvent(SDLK_UP), keyUpEvent(SDLK_DOWN), keyUpEvent(SDLK_DOWN),
                     keyUpEvent(SDLK_RIGHT), keyUpEvent(SDLK_LEFT), keyUpEvent(SDLK_LEFT)});
    runFrameLoop();
    EXPECT_EQ(gameState.spark.vx, 0.5f);
    EXPECT_EQ(gameState.spark.vy, -0.5f);
}

TEST_F(FrameLoopEvents, OtherEventsAreIgnored) {
    SDL_Event motion{};
    motion.motion.type = SDL_MOUSEMOTION;
    SDL_Event expose{};
    expose.expose.type = SDL_VIDEOEXPOSE;
    scriptFrame(10, {motion, expose, keyDownEvent(SDLK_SPACE)});
    runFrameLoop();
    EXPECT_EQ(keysHandled(), (std::vector<std::int32_t>{SDLK_SPACE}));
    EXPECT_EQ(sdlStandin.swaps, 1);
}

}  // namespace
