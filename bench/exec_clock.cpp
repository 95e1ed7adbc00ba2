// Runs a program with the moment of its exec in its environment
// (KESSARY_PROBE_EXEC_NS, CLOCK_MONOTONIC nanoseconds), so that the preloaded
// probe can time start-up from the very exec rather than from whenever the
// dynamic loader got round to it.
//
//   exec_clock PROGRAM [ARGS...]
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: exec_clock PROGRAM [ARGS...]\n");
        return EXIT_FAILURE;
    }
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    const long long ns = static_cast<long long>(t.tv_sec) * 1000000000LL + t.tv_nsec;
    setenv("KESSARY_PROBE_EXEC_NS", std::to_string(ns).c_str(), 1);
    execv(argv[1], argv + 1);
    std::perror("exec_clock");
    return EXIT_FAILURE;
}
