// What one look for new gamepads costs: the game's own look, run back to back
// as it runs every two seconds on the game-over screen (every pad closed, the
// joystick subsystem restarted, which lists the pads anew, every pad opened).
// Prints the mean, median and worst of many looks, and how long starting the
// joystick subsystem and opening the pads took at start-up.
//
//   pad_rescan [LOOKS]    default 500
#include <SDL.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <numeric>
#include <vector>

#include "app/gamepad.h"

namespace {

double millisecondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
        .count();
}

}  // namespace

int main(int argc, char** argv) {
    const int looks = argc > 1 ? std::atoi(argv[1]) : 500;
    constexpr std::uint32_t kLookInterval = 2000;  // ms of game-over screen between looks
    SDL_Init(SDL_INIT_TIMER);
    const auto start = std::chrono::steady_clock::now();
    openGamepads();
    const double opening = millisecondsSince(start);

    rescanGamepads(true, 0);  // the game has ended; the first look is due two seconds on
    std::vector<double> times;
    for (int i = 1; i <= looks; ++i) {
        const auto before = std::chrono::steady_clock::now();
        rescanGamepads(true, static_cast<std::uint32_t>(i) * kLookInterval);
        times.push_back(millisecondsSince(before));
    }
    std::sort(times.begin(), times.end());
    std::printf(
        "pads %d, start-up's opening %.2f ms; %d looks: mean %.2f ms, median %.2f ms, "
        "worst %.2f ms\n",
        SDL_NumJoysticks(), opening, looks,
        std::accumulate(times.begin(), times.end(), 0.0) / looks, times[times.size() / 2],
        times.back());
    SDL_Quit();
    return 0;
}
