// The program's entry on POSIX systems. Arguments are ignored: the game has no options.
#include "platform/platform.h"

int main() {
    return runKessary();
}
