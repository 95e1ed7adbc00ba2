// A preloaded library that lets end-to-end tests watch the program shut down.
//
// It stands in front of the real glDeleteLists, glDeleteTextures and SDL_Quit,
// appends one line per call (one per texture id) to the file named by
// KESSARY_SHUTDOWN_TRACE and passes the call on. Only the program's own calls
// pass here: the libraries reach GL through their own function pointers.
#include <GL/gl.h>
#include <dlfcn.h>

#include <cstdio>
#include <cstdlib>

namespace {

template <typename... Args>
void note(const char* format, Args... args) {
    const char* path = std::getenv("KESSARY_SHUTDOWN_TRACE");
    if (FILE* trace = path ? std::fopen(path, "a") : nullptr) {
        std::fprintf(trace, format, args...);
        std::fclose(trace);
    }
}

template <typename Function>
Function real(const char* name) {
    return reinterpret_cast<Function>(dlsym(RTLD_NEXT, name));
}

}  // namespace

extern "C" void glDeleteLists(GLuint list, GLsizei range) {
    note("glDeleteLists %u %d\n", list, range);
    real<void (*)(GLuint, GLsizei)>("glDeleteLists")(list, range);
}

extern "C" void glDeleteTextures(GLsizei count, const GLuint* ids) {
    for (GLsizei i = 0; i < count; ++i) {
        note("glDeleteTextures %u\n", ids[i]);
    }
    real<void (*)(GLsizei, const GLuint*)>("glDeleteTextures")(count, ids);
}

extern "C" void SDL_Quit() {
    note("%s\n", "SDL_Quit");
    real<void (*)()>("SDL_Quit")();
}
