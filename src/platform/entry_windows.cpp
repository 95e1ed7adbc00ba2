// The program's entry on Windows: a GUI program, so no console window opens.
// SDL's own WinMain (SDLmain) is not used: the one sdl12-compat ships writes
// stdout.txt and stderr.txt beside the program at every start. SDL 2 needs no
// set-up from its main on the desktop, so the portable start is called as is.
#include <windows.h>

#include "platform/platform.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    return runKessary();
}
