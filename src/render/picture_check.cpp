#include "picture_check.h"

bool pictureIsSafe(const char*, int) { return true; }
