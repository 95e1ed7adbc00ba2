// Keeping the picture from one frame to the next where the platform does not.
#pragma once

// True when drawing goes straight to the window, not to a framebuffer object
// of the windowing library's own (which keeps the picture and can show it scaled).
bool drawingGoesToWindow();

// Decides once, with the window open, whether the finished frame has to be
// kept in a texture of our own; makes that texture when it does.
void setUpFrameKeeping();

// Draws the kept picture back; the first thing of every frame.
void restoreKeptFrame();

// Copies the finished picture into the texture; the last thing of every frame.
void keepFrame();

// Deletes the texture, while the GL context still exists.
void releaseFrameKeeping();
