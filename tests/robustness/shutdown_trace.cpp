// A preloaded library that lets end-to-end tests watch the program shut down.
//
// It stands in front of the real glDeleteLists, glDeleteTextures and SDL_Quit,
// appends one line per call to the file named by KESSARY_SHUTDOWN_TRACE, and
// passes the call on. From the lines a test can tell that the font lists and
// every texture were deleted before SDL went away, and which pictures had
// loaded (a failed one deletes id 0). Only the program's own calls pass here:
// the libraries reach GL through their own function pointers.
#include <GL/gl.h>
#include <dlfcn.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

namespace {

void trace(const char* line, int length) {
    static const int fd = [] {
        const char* path = std::getenv("KESSARY_SHUTDOWN_TRACE");
        return path ? open(path, O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644) : -1;
    }();
    if (fd >= 0 && length > 0) {
        (void)!write(fd, line, static_cast<std::size_t>(length));
    }
}

template <typename Function>
Function next(const char* name) {
    return reinterpret_cast<Function>(dlsym(RTLD_NEXT, name));
}

}  // namespace

extern "C" void glDeleteLists(GLuint list, GLsizei range) {
    char line[64];
    trace(line, std::snprintf(line, sizeof line, "glDeleteLists %u %d\n", list, range));
    static const auto real = next<void (*)(GLuint, GLsizei)>("glDeleteLists");
    real(list, range);
}

extern "C" void glDeleteTextures(GLsizei count, const GLuint* ids) {
    for (GLsizei i = 0; i < count; ++i) {
        char line[64];
        trace(line, std::snprintf(line, sizeof line, "glDeleteTextures %u\n", ids[i]));
    }
    static const auto real = next<void (*)(GLsizei, const GLuint*)>("glDeleteTextures");
    real(count, ids);
}

extern "C" void SDL_Quit() {
    trace("SDL_Quit\n", 9);
    static const auto real = next<void (*)()>("SDL_Quit");
    real();
}
