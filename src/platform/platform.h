// What differs between the systems the game runs on, one function each. Each
// system has its own source file (platform_posix.cpp, platform_windows.cpp),
// and CMake compiles the one that fits; nothing else in the game asks which
// system it is on. The entry point itself (main or WinMain) is in entry_*.cpp,
// compiled into the program only, and hands over to runKessary.
#pragma once

#include <string>

// The portable start of the program, in app/main.cpp: its exit status.
int runKessary();

// Opens the picture file at `path` (UTF-8) for reading, in binary mode, so that
// neither a pipe nor a device in its place can block the game; a file
// descriptor, or -1 when it cannot be opened.
int openPictureFile(const char* path);

// Sets the environment variable `name` to `value`, for this process and for the
// libraries it loads.
void setEnvironmentVariable(const char* name, const char* value);

// Where the pictures are read from (ending in a separator, so a picture's path
// is the folder followed by its name), and the advice given after it when some
// could not be read there.
struct PictureFolder {
    std::string path;
    const char* advice;
};
const PictureFolder& pictureFolder();

// Tells the player about an error (the game then stops) or a warning (the game
// plays on once it is read): on stderr always, and where a player may have no
// console, in a message box too. `message` is one line, without "kessary: ".
enum class Notice { error, warning };
void tellPlayer(Notice kind, const std::string& message);
