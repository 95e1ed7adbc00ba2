// The pacer against a simulated machine: a true clock in nanoseconds that
// SDL_GetTicks floors to whole milliseconds, an SDL_Delay that oversleeps a
// little as real ones do, passes of a few milliseconds' work, and a swap that
// waits for the next refresh of a display (or does not wait). Each row plays
// a run of displays and checks what a player would see: the pictures a
// second, the time slept, and no refresh left without a new picture where the
// display is about 60 Hz.
#include <SDL.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "app/frame_pacer.h"

namespace {

constexpr std::int64_t kNsPerMs = 1000000;
constexpr std::int64_t kNsPerSecond = 1000 * kNsPerMs;
constexpr std::int64_t kWorkNs = 4 * kNsPerMs;  // a pass's drain, steps and drawing
constexpr double kNoVsync = 0.0;
constexpr std::int64_t kLeastOversleepNs = 60000;  // SDL_Delay wakes 0.06 to 0.56 ms late
constexpr std::int64_t kOversleepSpreadNs = 500000;

struct Machine {
    std::int64_t nowNs = 0;
    Uint32 ticksAtZero = 0;  // SDL_GetTicks at true time 0
    std::uint32_t noise = 1;
    std::int64_t sleptNs = 0;  // in the last pass's pacing
    std::int64_t longestSleepNs = 0;
};

Machine machine;

// 0..n-1, the same on every run.
std::int64_t noise(std::int64_t n) {
    machine.noise = machine.noise * 1664525u + 1013904223u;
    return static_cast<std::int64_t>(machine.noise >> 8) % n;
}

}  // namespace

Uint32 SDL_GetTicks() {
    return machine.ticksAtZero + static_cast<Uint32>(machine.nowNs / kNsPerMs);
}

void SDL_Delay(Uint32 ms) {
    const std::int64_t sleptNs = ms * kNsPerMs + kLeastOversleepNs + noise(kOversleepSpreadNs);
    machine.nowNs += sleptNs;
    machine.sleptNs += sleptNs;
    machine.longestSleepNs = std::max(machine.longestSleepNs, sleptNs);
}

namespace {

constexpr double kFpsTolerance = 1.0;  // pictures a second; the game promises 60 +- 3
constexpr double kAnyShare = 1.0;
constexpr double kLowestSixtyHz = 57.0;  // displays the swap alone paces
constexpr double kHighestSixtyHz = 63.0;
constexpr std::int64_t kEventAfterNs = 2 * kNsPerSecond;
constexpr std::int64_t kStallNs = 10 * kNsPerSecond;
constexpr std::int64_t kHitchNs = 100 * kNsPerMs;
constexpr std::int64_t kBurstWindowNs = 100 * kNsPerMs;
constexpr int kMostPicturesInWindow = 7;  // 100 ms at sixty a second, and one
constexpr std::int64_t kSlowPassNs = 40 * kNsPerMs;
constexpr std::int64_t kHalfRefreshAt60Ns = kNsPerSecond / 120;
constexpr std::int64_t kLongestSleepNs = 20 * kNsPerMs;
constexpr Uint32 kWrapsIn2s = 0u - 2000u;

// A stretch of a run on one display; the checks cover it from `settleS` on.
struct Stretch {
    double hertz;  // the display's refresh rate; kNoVsync: the swap never waits
    double seconds;
    double fps;                // pictures a second expected over the checked part
    double sleptAtMost = 1.0;  // share of the checked part spent sleeping
    double settleS = 1.0;      // from its start: back to sixty within a second
    std::int64_t passNs = kWorkNs;
    std::int64_t lateSwapNs = 0;      // every 7th swap returns this late (a loaded machine)
    std::int64_t refreshPhaseNs = 0;  // where the display's refreshes fall
};

struct Script {
    const char* name;
    std::vector<Stretch> stretches;
    Uint32 ticksAtZero = 1000;
    std::int64_t stallNs = 0;      // one swap returns this much later, 2 s into the run
    std::int64_t ticksJumpMs = 0;  // SDL_GetTicks jumps by this there
};

std::int64_t seconds(double s) {
    return static_cast<std::int64_t>(s * kNsPerSecond);
}

// Sixty a second on every display faster than 63 Hz and where the swap does not wait;
// no sleeping and not one refresh missed at 57 to 63 Hz, nor any sleeping below; a
// stall, a jumping clock, the wrap and a change of display all settle within a second.
TEST(FramePacer, ShowsSixtyPicturesASecondOnEveryDisplay) {
    // clang-format off
    const Script runs[] = {
        {"60 Hz",          {{60,    20, 60,    0.01}}},
        {"59.94 Hz",       {{59.94, 20, 59.94, 0.01}}},
        {"60.05 Hz",       {{60.05, 20, 60.05, 0.01}}},
        // Either side of the 63 Hz bound, which swaps timed in whole milliseconds must not
        // mistake for a faster display.
        {"62 Hz",          {{62,    20, 62,    0.01}}},
        {"63 Hz",          {{63,    20, 63,    0.01}}},
        {"64 Hz",          {{64,    20, 60,    kAnyShare}}},
        {"60 Hz, loaded",  {{60,    20, 60,    0.01, 1, kWorkNs, 6 * kNsPerMs}}},
        {"50 Hz",          {{50,    20, 50,    0.0}}},
        {"75 Hz",          {{75,    20, 60,    kAnyShare}}},
        {"144 Hz",         {{144,   20, 60,    kAnyShare}}},
        {"240 Hz",         {{240,   20, 60,    kAnyShare}}},
        {"no vsync",       {{kNoVsync, 20, 60, kAnyShare}}},
        {"no vsync, loaded", {{kNoVsync, 20, 60, kAnyShare, 1, kWorkNs, 30 * kNsPerMs}}},
        {"no vsync, slow", {{kNoVsync, 20, 50, 0.0, 1, 20 * kNsPerMs}}},
        {"144 Hz, 10 s stall",       {{144, 20, 60, kAnyShare, 13}}, 1000, kStallNs},
        {"no vsync, 0.1 s hitch",    {{kNoVsync, 20, 60, kAnyShare}}, 1000, kHitchNs},
        {"no vsync, clock jumps back", {{kNoVsync, 20, 60, kAnyShare, 3}}, 1000, 0, -5000},
        {"144 Hz across the wrap",   {{144, 20, 60, kAnyShare}}, kWrapsIn2s},
        // Dragged to other monitors: pacing goes on at 60 Hz until the swap is timed again.
        {"144, 60, no vsync, 50, 240 Hz", {{144, 10, 60, kAnyShare}, {60, 10, 60, 0.01, 4},
                                           {kNoVsync, 10, 60, kAnyShare}, {50, 10, 50, 0.0},
                                           {240, 10, 60, kAnyShare}}},
        {"144, 60 Hz half a refresh later", {{144, 10, 60, kAnyShare},
                                             {60, 10, 60, 0.01, 4, kWorkNs, 0, kHalfRefreshAt60Ns}}},
    };
    // clang-format on
    for (const Script& run : runs) {
        machine = Machine{};
        machine.ticksAtZero = run.ticksAtZero;
        while (machine.nowNs < kNsPerSecond) {  // too slow to pace: whatever the last row did ends
            machine.nowNs += kSlowPassNs;
            paceFrame();
        }
        const std::int64_t eventAt = machine.nowNs + kEventAfterNs;
        std::int64_t eventEnd = -1, picturesAfterEvent = 0, passes = 0;
        std::int64_t start = machine.nowNs;
        for (const Stretch& stretch : run.stretches) {
            const std::int64_t end = start + seconds(stretch.seconds);
            const std::int64_t checkFrom = start + seconds(stretch.settleS);
            const std::int64_t periodNs = stretch.hertz > 0 ? seconds(1.0 / stretch.hertz) : 0;
            std::int64_t pictures = 0, sleptNs = 0, lastRefresh = -1, missedRefreshes = 0;
            while (machine.nowNs < end) {
                machine.nowNs += stretch.passNs * (80 + noise(41)) / 100;
                if (periodNs > 0) {  // the swap waits for the next refresh
                    const std::int64_t refresh =
                        (machine.nowNs - stretch.refreshPhaseNs) / periodNs + 1;
                    machine.nowNs = refresh * periodNs + stretch.refreshPhaseNs;
                    if (machine.nowNs >= checkFrom && lastRefresh >= 0) {
                        missedRefreshes += refresh - lastRefresh - 1;
                    }
                    lastRefresh = refresh;
                }
                machine.nowNs += ++passes % 7 ? 0 : stretch.lateSwapNs;
                if (eventEnd < 0 && machine.nowNs >= eventAt) {
                    machine.nowNs += run.stallNs;
                    machine.ticksAtZero += static_cast<Uint32>(run.ticksJumpMs);
                    eventEnd = machine.nowNs;
                }
                const bool checked = machine.nowNs >= checkFrom && machine.nowNs < end;
                machine.sleptNs = 0;
                paceFrame();
                pictures += checked;
                picturesAfterEvent += eventEnd >= 0 && machine.nowNs < eventEnd + kBurstWindowNs;
                sleptNs += checked ? machine.sleptNs : 0;
            }
            const double checkedS = static_cast<double>(end - checkFrom) / kNsPerSecond;
            const std::string what = std::string(run.name) + " at " + std::to_string(stretch.hertz);
            EXPECT_NEAR(pictures / checkedS, stretch.fps, kFpsTolerance) << what;
            EXPECT_LE(sleptNs / checkedS / kNsPerSecond, stretch.sleptAtMost) << what;
            if (stretch.hertz >= kLowestSixtyHz && stretch.hertz <= kHighestSixtyHz) {
                EXPECT_EQ(missedRefreshes, 0) << what;
            }
            start = end;
        }
        EXPECT_LT(machine.longestSleepNs, kLongestSleepNs) << run.name;
        EXPECT_LE(picturesAfterEvent, kMostPicturesInWindow) << run.name;  // no catching up
    }
}

}  // namespace
