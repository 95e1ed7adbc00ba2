// The main loop: events, fixed 30 ms update steps, one picture per pass.
#pragma once

// Runs until Escape is pressed (and not swallowed) or the window is closed.
void runFrameLoop();
