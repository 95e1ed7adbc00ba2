// A probe preloaded (LD_PRELOAD) into the game or the reference program to
// time them from outside, without a line of either knowing about it.
//
// It wraps five library calls. SDL_GL_SwapBuffers marks frames: the first
// swap is start-up's white clear, the second the first frame of the loop, so
// start-up is timed from exec (a time the launcher hands over in
// KESSARY_PROBE_EXEC_NS) to the second swap, and picture loading from the
// return of SDL_SetVideoMode to the first swap. Frames are counted over a
// window that opens after a warm-up; when it closes, the results are written
// and SDL_PollEvent hands the program a quit event, so it shuts down its own
// way. SDL_PollEvent can also deliver a number of space presses in the first
// drain, and time() can answer a fixed second, which together put the game
// into a chosen position before its first frame.
//
// Displays are emulated too, since Xvfb's swap never waits: with
// KESSARY_PROBE_VSYNC_HZ set, every swap waits after the real one for the next
// refresh of a display at that rate (the next whole period on CLOCK_MONOTONIC),
// as a swap with vsync does. SDL_Delay is timed, so the share of the window
// the program slept is reported; KESSARY_PROBE_NO_DELAY=1 makes it return at
// once, for comparisons with a program that never sleeps.
//
// Environment: KESSARY_PROBE_OUT (results file, required), KESSARY_PROBE_EXEC_NS,
// KESSARY_PROBE_WARMUP_MS, KESSARY_PROBE_MEASURE_MS, KESSARY_PROBE_SEED,
// KESSARY_PROBE_SPACES, KESSARY_PROBE_VSYNC_HZ, KESSARY_PROBE_NO_DELAY.
#include <SDL.h>
#include <dlfcn.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <ctime>

namespace {

constexpr std::int64_t kNanosPerMilli = 1000000;
constexpr std::int64_t kDefaultWarmupMs = 500;
constexpr std::int64_t kDefaultMeasureMs = 2000;
constexpr int kLoopFirstSwap = 2;  // swap 1 is start-up's white clear

// Wall-clock times come from CLOCK_MONOTONIC; the *Cpu twins are the process's
// CPU time (all its threads, the GL's included) at the same moments, which a
// busy machine disturbs far less.
struct Probe {
    std::int64_t execNs = -1;
    std::int64_t videoModeCpu = -1;
    std::int64_t firstSwapCpu = -1;
    std::int64_t loopFirstSwapCpu = -1;
    std::int64_t windowOpenCpu = -1;
    std::int64_t windowCloseCpu = -1;
    std::int64_t videoModeNs = -1;
    std::int64_t firstSwapNs = -1;
    std::int64_t loopFirstSwapNs = -1;
    std::int64_t windowOpenNs = -1;    // first swap inside the counting window
    std::int64_t windowCloseNs = -1;   // last one
    std::int64_t sleptInWindowNs = 0;  // in SDL_Delay
    std::int64_t swaps = 0;
    std::int64_t framesInWindow = 0;
    std::int64_t vsyncPeriodNs = 0;  // 0: the swap does not wait
    bool noDelay = false;
    std::int64_t warmupNs = kDefaultWarmupMs * kNanosPerMilli;
    std::int64_t measureNs = kDefaultMeasureMs * kNanosPerMilli;
    long spacesToSend = 0;
    bool quitting = false;
};

Probe probe;

std::int64_t clockNs(clockid_t clock) {
    timespec t{};
    clock_gettime(clock, &t);
    return std::int64_t{t.tv_sec} * 1000000000 + t.tv_nsec;
}

std::int64_t nowNs() {
    return clockNs(CLOCK_MONOTONIC);
}

std::int64_t cpuNs() {
    return clockNs(CLOCK_PROCESS_CPUTIME_ID);
}

std::int64_t envNumber(const char* name, std::int64_t fallback) {
    const char* text = std::getenv(name);
    return text != nullptr && *text != '\0' ? std::strtoll(text, nullptr, 10) : fallback;
}

template <typename Function>
Function realCall(const char* name) {
    return reinterpret_cast<Function>(dlsym(RTLD_NEXT, name));
}

double millisBetween(std::int64_t from, std::int64_t to) {
    return from < 0 || to < 0 ? -1.0 : static_cast<double>(to - from) / kNanosPerMilli;
}

void writeResults() {
    const char* path = std::getenv("KESSARY_PROBE_OUT");
    FILE* out = path != nullptr ? std::fopen(path, "w") : nullptr;
    if (out == nullptr) {
        return;
    }
    const double seconds = millisBetween(probe.windowOpenNs, probe.windowCloseNs) / 1000.0;
    const auto frames = static_cast<double>(probe.framesInWindow - 1);
    const double fps = seconds > 0.0 ? frames / seconds : 0.0;
    const double cpuMs = millisBetween(probe.windowOpenCpu, probe.windowCloseCpu);
    const double cpuPerFrame = frames > 0.0 ? cpuMs / frames : -1.0;
    const double percentOfWindow = seconds > 0.0 ? 100.0 / (seconds * 1000.0) : 0.0;
    std::fprintf(
        out,
        "startup_ms=%.3f pictures_ms=%.3f fps=%.2f frames=%lld startup_cpu_ms=%.3f "
        "pictures_cpu_ms=%.3f frame_cpu_ms=%.4f cpu_percent=%.1f slept_percent=%.2f\n",
        millisBetween(probe.execNs, probe.loopFirstSwapNs),
        millisBetween(probe.videoModeNs, probe.firstSwapNs), fps,
        static_cast<long long>(probe.framesInWindow), millisBetween(0, probe.loopFirstSwapCpu),
        millisBetween(probe.videoModeCpu, probe.firstSwapCpu), cpuPerFrame, cpuMs * percentOfWindow,
        static_cast<double>(probe.sleptInWindowNs) / kNanosPerMilli * percentOfWindow);
    std::fclose(out);
}

// Counts one swap; the window opens at the first swap after the warm-up and
// closes at the first one past its length.
void countSwap(std::int64_t now, std::int64_t cpu) {
    ++probe.swaps;
    if (probe.swaps == 1) {
        probe.firstSwapNs = now;
        probe.firstSwapCpu = cpu;
    }
    if (probe.swaps == kLoopFirstSwap) {
        probe.loopFirstSwapNs = now;
        probe.loopFirstSwapCpu = cpu;
    }
    if (probe.swaps < kLoopFirstSwap || probe.quitting ||
        now - probe.loopFirstSwapNs < probe.warmupNs) {
        return;
    }
    if (probe.windowOpenNs < 0) {
        probe.windowOpenNs = now;
        probe.windowOpenCpu = cpu;
    }
    ++probe.framesInWindow;
    probe.windowCloseNs = now;
    probe.windowCloseCpu = cpu;
    if (now - probe.windowOpenNs >= probe.measureNs) {
        probe.quitting = true;
        writeResults();
    }
}

__attribute__((constructor)) void startProbe() {
    probe.execNs = envNumber("KESSARY_PROBE_EXEC_NS", -1);
    probe.warmupNs = envNumber("KESSARY_PROBE_WARMUP_MS", kDefaultWarmupMs) * kNanosPerMilli;
    probe.measureNs = envNumber("KESSARY_PROBE_MEASURE_MS", kDefaultMeasureMs) * kNanosPerMilli;
    probe.spacesToSend = static_cast<long>(envNumber("KESSARY_PROBE_SPACES", 0));
    const char* hertz = std::getenv("KESSARY_PROBE_VSYNC_HZ");
    const double rate = hertz != nullptr ? std::strtod(hertz, nullptr) : 0.0;
    probe.vsyncPeriodNs = rate > 0.0 ? static_cast<std::int64_t>(1e9 / rate) : 0;
    probe.noDelay = envNumber("KESSARY_PROBE_NO_DELAY", 0) != 0;
}

// Sleeps until the next whole multiple of the period: the next refresh.
void waitForRefresh() {
    const std::int64_t next = (nowNs() / probe.vsyncPeriodNs + 1) * probe.vsyncPeriodNs;
    const timespec until{static_cast<time_t>(next / 1000000000),
                         static_cast<long>(next % 1000000000)};
    while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &until, nullptr) == EINTR) {
    }
}

bool windowIsOpen() {
    return probe.windowOpenNs >= 0 && !probe.quitting;
}

}  // namespace

extern "C" {

void SDL_GL_SwapBuffers() {
    static const auto real = realCall<void (*)()>("SDL_GL_SwapBuffers");
    countSwap(nowNs(), cpuNs());
    real();
    if (probe.vsyncPeriodNs > 0) {
        waitForRefresh();
    }
}

void SDL_Delay(Uint32 ms) {
    static const auto real = realCall<void (*)(Uint32)>("SDL_Delay");
    if (probe.noDelay) {
        return;
    }
    const std::int64_t start = nowNs();
    real(ms);
    if (windowIsOpen()) {
        probe.sleptInWindowNs += nowNs() - start;
    }
}

SDL_Surface* SDL_SetVideoMode(int width, int height, int bpp, Uint32 flags) {
    static const auto real = realCall<SDL_Surface* (*)(int, int, int, Uint32)>("SDL_SetVideoMode");
    SDL_Surface* surface = real(width, height, bpp, flags);
    probe.videoModeNs = nowNs();
    probe.videoModeCpu = cpuNs();
    return surface;
}

int SDL_PollEvent(SDL_Event* event) {
    static const auto real = realCall<int (*)(SDL_Event*)>("SDL_PollEvent");
    if (probe.quitting && event != nullptr) {
        event->type = SDL_QUIT;
        return 1;
    }
    if (probe.spacesToSend > 0 && event != nullptr) {
        --probe.spacesToSend;
        *event = SDL_Event{};
        event->type = SDL_KEYDOWN;
        event->key.state = SDL_PRESSED;
        event->key.keysym.sym = SDLK_SPACE;
        return 1;
    }
    return real(event);
}

time_t time(time_t* out) {
    static const auto real = realCall<time_t (*)(time_t*)>("time");
    const std::int64_t seed = envNumber("KESSARY_PROBE_SEED", -1);
    if (seed < 0) {
        return real(out);
    }
    if (out != nullptr) {
        *out = static_cast<time_t>(seed);
    }
    return static_cast<time_t>(seed);
}

}  // extern "C"
