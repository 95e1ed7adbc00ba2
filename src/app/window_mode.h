// The window's size on big screens, and full screen on F11 or Alt+Enter.
#pragma once

// The largest whole scale of the 640 x 580 picture that keeps the window
// within nine tenths of a desktop of this size each way; at least 1.
int windowScaleFor(int desktopWidth, int desktopHeight);

// Before the video mode: sizes the window to the desktop, unless the player
// chose a scale of their own or the library cannot show the picture scaled.
void chooseWindowScale();

// With the window open: settles whether the picture really is shown scaled,
// which full screen needs. Until then full screen is off.
void confirmWindowScaling();

// Switches between the window and full screen; does nothing where the
// picture is not shown scaled.
void toggleFullScreen();
