// The frame loop under hostile timing and floods of input, driving the real
// rules through the scripted SDL stand-in (drawing is left out).
//
// Each test checks that the loop neither loses nor invents work under load:
// every queued event is seen, every missed step is run, and the elapsed time
// stays right across the wrap of the millisecond counter. The game state must
// come out whole, and the heavy passes must finish in bounded time.
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstdint>
#include <vector>

#include "app/frame_loop.h"
#include "game/controls.h"
#include "game/game_state.h"
#include "render/scene.h"
#include "sdl_standin.h"

namespace {

constexpr double kHeavyPassSeconds = 10.0;  // generous: sanitizers and a busy machine
constexpr int kFloodEvents = 100000;
constexpr Uint32 kOneHourMs = 60 * 60 * 1000;
constexpr int kStepsInAnHour = kOneHourMs / kStepMilliseconds;  // 120 000

int stepsRun = 0;  // counted by the wrapper around stepGame
int frameSteps = 0;
std::vector<int> stepsPerFrame;

}  // namespace

// The real stepGame, counted. A finished game is dealt anew at once, as a
// player's key press would, so that every step of a long pass does real work.
extern "C" void __real__Z8stepGamev();
extern "C" void __wrap__Z8stepGamev() {
    if (gameState.gameOver) {
        handleKeyDown(kKeySpace);
    }
    __real__Z8stepGamev();
    ++stepsRun;
    ++frameSteps;
}

void washScreen() {}
void drawScene() {
    stepsPerFrame.push_back(frameSteps);
    frameSteps = 0;
}

namespace {

void startScript(std::uint32_t seed) {
    resetSdlStandin();
    dealNewGame(seed);
    stepsRun = 0;
    frameSteps = 0;
    stepsPerFrame.clear();
}

double secondsToRun() {
    const auto start = std::chrono::steady_clock::now();
    runFrameLoop();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

bool finite(float value) {
    return std::isfinite(value);
}

// What must hold of the state whatever was done to it.
void expectWholeState() {
    const GameState& g = gameState;
    EXPECT_TRUE(g.cursor >= 0 && g.cursor < kColumnCount);
    for (const Column& column : g.columns) {
        EXPECT_TRUE(column.count >= 0 && column.count <= kColumnHeight);
    }
    EXPECT_TRUE(g.dropTimer >= 0 && g.dropTimer <= kDropTimerLimit);
    EXPECT_GE(g.score, 0);
    EXPECT_GE(g.bestScore, g.gameOver ? g.score : 0);
    EXPECT_TRUE(finite(g.spark.x) && finite(g.spark.y) && finite(g.spark.vx) && finite(g.spark.vy));
    ASSERT_EQ(g.jitter.size(), std::size_t(kJitterEntries));
    for (const JitterOffset& offset : g.jitter) {
        EXPECT_TRUE(finite(offset.x) && finite(offset.y));
    }
}

int polledEvents() {
    int count = 0;
    for (const std::string& entry : sdlStandin.log) {
        count += entry.rfind("SDL_PollEvent ", 0) == 0 && entry != "SDL_PollEvent empty";
    }
    return count;
}

// A flood of every kind of event the loop handles, including focus losses
// that swallow the Escape right behind them: none of those may quit.
std::vector<SDL_Event> flood(int count) {
    const std::vector<SDL_Event> cycle = {
        keyDownEvent(SDLK_SPACE),
        keyDownEvent(SDLK_LEFT),
        keyUpEvent(SDLK_LEFT),
        keyDownEvent(SDLK_z),
        keyDownEvent(SDLK_RIGHT),
        keyUpEvent(SDLK_RIGHT),
        keyUpEvent(SDLK_UP),
        keyUpEvent(SDLK_DOWN),
        activeEvent(0, SDL_APPINPUTFOCUS),
        keyDownEvent(SDLK_ESCAPE),
        activeEvent(1, SDL_APPINPUTFOCUS),
        keyDownEvent(SDLK_a),
    };
    std::vector<SDL_Event> events;
    for (int i = 0; i < count; ++i) {
        events.push_back(cycle[i % cycle.size()]);
    }
    return events;
}

TEST(FrameLoopStress, DrainsAHundredThousandEventsInOneFrame) {
    startScript(11);
    scriptFrame(16, flood(kFloodEvents));
    scriptFrame(16);
    scriptFrame(16, {keyDownEvent(SDLK_ESCAPE), keyDownEvent(SDLK_SPACE)});
    const double seconds = secondsToRun();

    EXPECT_EQ(polledEvents(), kFloodEvents + 1);  // the flood, then the Escape
    EXPECT_EQ(sdlStandin.swaps, 2);               // the quitting pass draws nothing
    EXPECT_FALSE(sdlStandin.scriptRanOut);
    EXPECT_LT(seconds, kHeavyPassSeconds);
    expectWholeState();
    RecordProperty("flood_ms", static_cast<int>(seconds * 1000));
}

TEST(FrameLoopStress, RunsAnHourOfMissedStepsInOnePass) {
    startScript(12);
    scriptFrame(0);
    scriptFrame(kOneHourMs + 29);  // the 29 ms are carried
    scriptFrame(1);
    const double seconds = secondsToRun();

    EXPECT_EQ(stepsPerFrame, (std::vector<int>{0, kStepsInAnHour, 1}));
    EXPECT_LT(seconds, kHeavyPassSeconds);
    expectWholeState();
    RecordProperty("hour_stall_ms", static_cast<int>(seconds * 1000));
}

TEST(FrameLoopStress, KeepsTimeAcrossTheTickCounterWrap) {
    constexpr Uint32 kBeforeWrapMs = 10000;
    constexpr int kFrames = 1000;
    constexpr Uint32 kFrameMs = 17;
    startScript(13);
    sdlStandin.ticks = 0u - kBeforeWrapMs;  // the counter wraps in frame 589
    scriptIdleFrames(kFrames, kFrameMs);
    runFrameLoop();

    ASSERT_EQ(stepsPerFrame.size(), std::size_t(kFrames));
    EXPECT_EQ(stepsRun, int(kFrames * kFrameMs / kStepMilliseconds));
    for (int steps : stepsPerFrame) {
        ASSERT_LE(steps, 1);  // 17 ms frames never owe two steps
    }
    expectWholeState();
}

TEST(FrameLoopStress, SurvivesTheCounterJumpingFromItsLargestValue) {
    startScript(14);
    sdlStandin.ticks = 0xFFFFFFFFu;
    scriptFrame(0);
    scriptFrame(1);   // 2^32 - 1 -> 0: one millisecond, not four billion
    scriptFrame(89);  // 90 ms in all: three steps
    runFrameLoop();

    EXPECT_EQ(stepsPerFrame, (std::vector<int>{0, 0, 3}));
}

}  // namespace
