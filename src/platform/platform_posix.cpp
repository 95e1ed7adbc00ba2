// The platform layer on Linux and other POSIX systems: pictures from the
// working folder (the launcher starts the game in its installed picture
// folder), messages on stderr only.
#include "platform.h"

#include <fcntl.h>

#include <cstdio>
#include <cstdlib>

#include "render/picture_names.h"

int openPictureFile(const char* path) {
    // Non-blocking, so that opening a FIFO put in a picture's place returns at once.
    return open(path, O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
}

void setEnvironmentVariable(const char* name, const char* value) {
    setenv(name, value, 1);
}

const PictureFolder& pictureFolder() {
    static const PictureFolder folder{
        kPictureFolder,
        " in the current folder; start the game from the folder that holds dat/, or run the "
        "installed kessary"};
    return folder;
}

void tellPlayer(Notice, const std::string& message) {
    std::fprintf(stderr, "kessary: %s\n", message.c_str());
}
