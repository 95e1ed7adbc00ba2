// Preloaded by end-to-end tests to watch the program shut down: glDeleteLists,
// glDeleteTextures (a line per id) and SDL_Quit are noted in the file named by
// KESSARY_SHUTDOWN_TRACE, then passed on. Only the program's own calls come here.
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

}  // namespace

extern "C" void glDeleteLists(GLuint list, GLsizei range) {
    note("glDeleteLists %u %d\n", list, range);
    reinterpret_cast<void (*)(GLuint, GLsizei)>(dlsym(RTLD_NEXT, "glDeleteLists"))(list, range);
}

extern "C" void glDeleteTextures(GLsizei count, const GLuint* ids) {
    for (GLsizei i = 0; i < count; ++i) {
        note("glDeleteTextures %u\n", ids[i]);
    }
    using Real = void (*)(GLsizei, const GLuint*);
    reinterpret_cast<Real>(dlsym(RTLD_NEXT, "glDeleteTextures"))(count, ids);
}

extern "C" void SDL_Quit() {
    note("%s\n", "SDL_Quit");
    reinterpret_cast<void (*)()>(dlsym(RTLD_NEXT, "SDL_Quit"))();
}
