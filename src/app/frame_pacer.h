// Sixty pictures a second on any display: the sleep after each buffer swap.
#pragma once

// Called by the frame loop once per pass, right after the swap. Sleeps for as long
// as the loop is ahead of sixty pictures a second, unless the swap itself already
// waits for a display of about 60 Hz or less.
void paceFrame();
