// setenv and unsetenv, which the tests use to steer the libraries and which
// MinGW's C library lacks; forced into the tests built for Windows. An empty
// value is how Windows' C library removes a variable.
#pragma once

#include <cstdlib>

inline int setenv(const char* name, const char* value, int overwrite) {
    return !overwrite && std::getenv(name) != nullptr ? 0 : _putenv_s(name, value);
}

inline int unsetenv(const char* name) {
    return _putenv_s(name, "");
}
